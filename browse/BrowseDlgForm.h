#pragma once

// The modal folder-picker window of TBrowseDlg. It keeps no settings of its
// own: every margin, size, caption and option is read from the component,
// and the user's choice is written back into it.

#include "BrowseCustomEdit.h"
#include "BrowseDlgProperties.h"
#include "BrowseFormOwner.h"

#include <QDialog>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <exception>

class QAbstractButton;
class QCheckBox;
class QFontMetrics;
class QPushButton;

namespace quillane {

class TBrowseDlg;
class TShellTreeView;

/// The window's place for `ScreenCenter`, `X`, `Y`, `Width`, `Height` on a
/// screen of `screen`: centred with truncation toward zero, or at X, Y.
QRect BrowseWindowBounds(bool screenCenter, QSize screen, int x, int y, int width, int height);

/// The text a row shows: its first line, cut with an ellipsis to fit
/// `width` in `metrics`.
QString BrowseRowText(const QString& text, const QFontMetrics& metrics, int width);

/// The modal folder-picker window.
class TBrowseDlgForm : public QDialog {
    Q_OBJECT
public:
    /// An empty window of `browseDlg`, which it reaches through `owner`
    /// beyond its public operations; no control exists until InitControls.
    TBrowseDlgForm(TBrowseDlg& browseDlg, IBrowseFormOwner& owner);
    ~TBrowseDlgForm() override;

    /// Builds and wires every control from the component's properties.
    void InitControls();
    /// Places and sizes the window (outer size, frame included).
    void UpdateBounds();
    /// Positions every control and repaints the window.
    void ArrangeControls();

    /// Top-left of the first text row.
    QPoint GetText1Pos() const;
    /// Top-left of the second text row.
    QPoint GetText2Pos() const;
    /// Top-left of the custom edit.
    QPoint GetCustomEditPos() const;
    /// Top-left of the tree.
    QPoint GetTreeViewPos() const;
    /// Top-left of the Cancel button (the rightmost of the button row).
    QPoint GetButtonsPos() const;
    /// Rectangle of text row 1 or 2 (client coordinates, exclusive right
    /// and bottom edges).
    QRect TextRowRect(int row) const;

    /// Cancel; always present after InitControls.
    QPushButton* CancelBtn() const { return FCancelBtn; }
    /// OK; always present after InitControls.
    QPushButton* OKBtn() const { return FOKBtn; }
    /// The custom edit with ceEdit; null otherwise.
    TBrowseEdit* Edit() const { return FEdit; }
    /// The custom edit with ceComboBox; null otherwise.
    TBrowseComboBox* ComboBox() const { return FComboBox; }
    /// The custom push button or check box; null with cbNone.
    QAbstractButton* CustomBtn() const { return FCustomBtn; }
    /// The custom check box with cbCheckBox; null otherwise.
    QCheckBox* CustomCheckBox() const;
    /// The folder tree; always present after InitControls.
    TShellTreeView* TreeView() const { return FTreeView; }
    /// The custom edit (edit or combo box); null with ceNone.
    QWidget* CustomEditWidget() const;

    /// Applies a change of the component's values to the window (see
    /// TLiveEffect); effects the component handles itself do nothing here.
    void ApplyChange(TLiveEffect effect);
    /// Selects a path in the tree; an exception from a handler that the
    /// selection raised is passed on to the caller.
    void SelectInTree(const QString& path);
    /// Sets the custom check box's state (a click), passing on a handler's
    /// exception like SelectInTree.
    void SetCheckedByProgram(bool checked);

    /// Closes with result 2 and no event (the close box's way).
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* CreateButton(const QString& caption);
    void CreateCustomBtn();
    void ApplyOKState(int state);
    // The frame around the client area, as far as the platform knows it.
    QMargins FrameMargins();
    void FormShow();
    void TreeViewChange();
    void CustomEditChange();
    void ComboBoxDropDown();
    void ButtonClick(QObject* sender);
    // Runs a change made by program; failures of the handlers it raises are
    // held and thrown once it is done.
    template <class F>
    void ChangeByProgram(F&& change);
    // Runs a control's change handler: a failure is held for a change made
    // by program, else reported.
    template <class F>
    void ProgramChangeBoundary(F&& body);

    TBrowseDlg& FBrowseDlg;
    IBrowseFormOwner& FOwner;
    QPushButton* FCancelBtn = nullptr;
    bool FControlsCreated = false;
    TBrowseComboBox* FComboBox = nullptr;
    QAbstractButton* FCustomBtn = nullptr;
    TBrowseEdit* FEdit = nullptr;
    QPushButton* FOKBtn = nullptr;
    TShellTreeView* FTreeView = nullptr;
    // Changes made by program: a handler's exception is held here until
    // the changing call returns, then passed on.
    int FProgramChange = 0;
    std::exception_ptr FPendingFailure;
    QMargins FFrameUsed;
};

}  // namespace quillane
