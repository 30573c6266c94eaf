#include "BrowseCustomEdit.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>

#include <algorithm>

namespace quillane {

namespace {

// The height the toolkit gives a one-line control for its font.
void FitHeightToFont(QWidget& widget) {
    widget.resize(widget.width(), widget.sizeHint().height());
}

// The drop-down row count of the native combo box, the same on every
// platform, so that the list scrolls (and needs room for its scroll bar)
// from the ninth entry on.
constexpr int DropDownRowCount = 8;

}  // namespace

// ----------------------------------------------------------- TBrowseEdit

TBrowseEdit::TBrowseEdit(QWidget* parent) : QLineEdit(parent) {
    ensurePolished();
    FitHeightToFont(*this);
}

void TBrowseEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) FitHeightToFont(*this);
}

// ------------------------------------------------------- TBrowseComboBox

TBrowseComboBox::TBrowseComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // The list is the owner's history: typing never adds to it, and no
    // completion rewrites what the user types.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    // Qt makes an entry equal to the typed text current when the edit
    // loses focus or takes Enter, and reports that as the user's choice;
    // typed text stays typing until the user really picks an entry.
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
    disconnect(lineEdit(), &QLineEdit::returnPressed, this, nullptr);
    setMaxVisibleItems(DropDownRowCount);
    ensurePolished();
    FitHeightToFont(*this);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        FItemIndex = -1;
        if (OnChange) OnChange();
    });
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        FItemIndex = index;
        if (OnChange) OnChange();
    });
}

void TBrowseComboBox::SetText(const QString& text) {
    FItemIndex = -1;
    setEditText(text);
}

void TBrowseComboBox::SetItems(const QStringList& items) {
    const QString text = currentText();
    clear();
    addItems(items);
    setEditText(text);
    FItemIndex = -1;
}

void TBrowseComboBox::SetDroppedWidth(int width) {
    // The popup is never narrower than the combo box itself.
    view()->setMinimumWidth(std::max(width, 0));
}

void TBrowseComboBox::showPopup() {
    if (OnDropDown) OnDropDown();
    QComboBox::showPopup();
}

void TBrowseComboBox::keyPressEvent(QKeyEvent* event) {
    // Enter belongs to the window's default button. Qt's combo box would
    // first make an entry equal to the text current, which is no choice of
    // the user's.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void TBrowseComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange) FitHeightToFont(*this);
}

int DropDownListWidth(const QStringList& items, const std::function<int(const QString&)>& textWidth, int rowCount,
                      int scrollBarWidth) {
    int width = 0;
    for (const QString& item : items) width = std::max(width, textWidth(item));
    width += 6;
    if (items.size() > rowCount) width += scrollBarWidth;
    return width;
}

}  // namespace quillane
