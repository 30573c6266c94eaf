#pragma once

// The custom edit of the browse window, above its tree: a single-line edit
// or an editable combo box whose list is the component's history. Both keep
// the height the toolkit gives a one-line control for their font.

#include <QComboBox>
#include <QLineEdit>
#include <QString>
#include <QStringList>

#include <functional>

namespace quillane {

/// A single-line edit whose height follows its font, as the native edit
/// of the browse window does.
class TBrowseEdit : public QLineEdit {
    Q_OBJECT
public:
    /// An empty edit, sized for its font.
    explicit TBrowseEdit(QWidget* parent);

protected:
    void changeEvent(QEvent* event) override;
};

/// An editable combo box that reports its list opening, keeps its height
/// for its font and tells whether an entry of its list is current.
class TBrowseComboBox : public QComboBox {
    Q_OBJECT
public:
    /// An empty editable combo box, sized for its font.
    explicit TBrowseComboBox(QWidget* parent);

    /// Index of the list entry that is current: the one the user chose
    /// last, -1 after the text was typed or set by program.
    int ItemIndex() const { return FItemIndex; }
    /// Sets the edit text by program; no list entry is current afterwards.
    void SetText(const QString& text);
    /// Replaces the list, keeping the text; no entry is current afterwards.
    void SetItems(const QStringList& items);
    /// Sets the smallest width of the opened list; it never opens narrower
    /// than the combo box.
    void SetDroppedWidth(int width);

    /// Runs each time the list is about to open.
    std::function<void()> OnDropDown;
    /// Runs on each change of the text by the user: typing, or choosing an
    /// entry of the list (after the entry's text has become the text).
    std::function<void()> OnChange;

    void showPopup() override;

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int FItemIndex = -1;
};

/// The width the opened list of a combo box needs: the widest entry plus 6,
/// plus `scrollBarWidth` when there are more entries than `rowCount`.
int DropDownListWidth(const QStringList& items, const std::function<int(const QString&)>& textWidth, int rowCount,
                      int scrollBarWidth);

}  // namespace quillane
