#pragma once

// The folder browse component: a non-visual object that an owner window
// configures (mostly from its stored design values) and runs with Execute.
// Each run builds a fresh modal window, TBrowseDlgForm, that reads every
// setting from the component and reports the user's choice back to it.

#include "BrowseDlgError.h"
#include "BrowseDlgProperties.h"
#include "BrowseDlgStore.h"
#include "BrowseEvents.h"
#include "BrowseFormOwner.h"
#include "BrowseOptions.h"
#include "BrowseUnit.h"
#include "FailureReport.h"
#include "Font.h"
#include "PathSyntax.h"
#include "ShellRoutines.h"
#include "StringList.h"
#include "SystemFont.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace quillane {

class TBrowseDlgForm;
class TBrowseDlgPrivate;

using shell::TSpecialFolder;

/// The folder browse component.
class TBrowseDlg : public QObject, private IBrowseFormOwner {
    Q_OBJECT
    Q_PROPERTY(int BottomMargin READ BottomMargin WRITE SetBottomMargin)
    Q_PROPERTY(int BtnHeight READ BtnHeight WRITE SetBtnHeight)
    Q_PROPERTY(int BtnHorzMargin READ BtnHorzMargin WRITE SetBtnHorzMargin)
    Q_PROPERTY(int BtnHorzSpacing READ BtnHorzSpacing WRITE SetBtnHorzSpacing)
    Q_PROPERTY(QString CancelBtnCaption READ CancelBtnCaption WRITE SetCancelBtnCaption)
    Q_PROPERTY(int CancelBtnWidth READ CancelBtnWidth WRITE SetCancelBtnWidth)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString CustomBtnCaption READ CustomBtnCaption WRITE SetCustomBtnCaption)
    Q_PROPERTY(bool CustomBtnChecked READ CustomBtnChecked WRITE SetCustomBtnChecked)
    Q_PROPERTY(bool CustomBtnEnabled READ CustomBtnEnabled WRITE SetCustomBtnEnabled)
    Q_PROPERTY(quillane::TCustomBtnType CustomBtnType READ CustomBtnType WRITE SetCustomBtnType)
    Q_PROPERTY(bool CustomBtnVisible READ CustomBtnVisible WRITE SetCustomBtnVisible)
    Q_PROPERTY(int CustomEditHorzMargin READ CustomEditHorzMargin WRITE SetCustomEditHorzMargin)
    Q_PROPERTY(QStringList CustomEditItems READ CustomEditLines WRITE SetCustomEditItems)
    Q_PROPERTY(quillane::TCustomEditType CustomEditType READ CustomEditType WRITE SetCustomEditType)
    Q_PROPERTY(bool CustomEditVisible READ CustomEditVisible WRITE SetCustomEditVisible)
    Q_PROPERTY(quillane::TFont Font READ FontValue WRITE SetFont)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(QString OKBtnCaption READ OKBtnCaption WRITE SetOKBtnCaption)
    Q_PROPERTY(int OKBtnWidth READ OKBtnWidth WRITE SetOKBtnWidth)
    Q_PROPERTY(quillane::TBrowseOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(QString Root READ Root WRITE SetRoot)
    Q_PROPERTY(bool ScreenCenter READ ScreenCenter WRITE SetScreenCenter)
    Q_PROPERTY(quillane::shell::TSpecialFolder SpecialRoot READ SpecialRoot WRITE SetSpecialRoot)
    Q_PROPERTY(QString Text1 READ Text1 WRITE SetText1)
    Q_PROPERTY(bool Text1Visible READ Text1Visible WRITE SetText1Visible)
    Q_PROPERTY(QString Text2 READ Text2 WRITE SetText2)
    Q_PROPERTY(bool Text2Visible READ Text2Visible WRITE SetText2Visible)
    Q_PROPERTY(int TextHorzMargin READ TextHorzMargin WRITE SetTextHorzMargin)
    Q_PROPERTY(int TopMargin READ TopMargin WRITE SetTopMargin)
    Q_PROPERTY(int TreeHorzMargin READ TreeHorzMargin WRITE SetTreeHorzMargin)
    Q_PROPERTY(bool TreeShowRoot READ TreeShowRoot WRITE SetTreeShowRoot)
    Q_PROPERTY(bool UseHistory READ UseHistory WRITE SetUseHistory)
    Q_PROPERTY(bool UseSystemFont READ UseSystemFont WRITE SetUseSystemFont)
    Q_PROPERTY(int VertSpacing READ VertSpacing WRITE SetVertSpacing)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int X READ X WRITE SetX)
    Q_PROPERTY(int Y READ Y WRITE SetY)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)

public:
    /// Every property at its default; Font a copy of SystemFont(), so
    /// UseSystemFont is on. `owner` (optional) owns the component.
    explicit TBrowseDlg(QObject* owner = nullptr);
    /// Frees the list and the font, and any window whose queued release
    /// has not been handled yet.
    ~TBrowseDlg() override;

    TBrowseDlg(const TBrowseDlg&) = delete;
    TBrowseDlg& operator=(const TBrowseDlg&) = delete;

    /// Runs the window modally; true only when it was closed with OK.
    /// Throws EBrowseDlgError while a run is in progress.
    bool Execute();

    /// Selects `Path` in the running window's tree (or its nearest listed
    /// ancestor); does nothing while no window runs.
    void SelectPath(const QString& Path);
    /// Enters CustomEditText into the history (CustomEditItems), newest
    /// first, replacing the last equal line; raises OnAddHistrory.
    void AddHistory();

    /// The window while Execute runs; null otherwise.
    TBrowseDlgForm* Form() const;

    // Published properties. Their defaults, and what setting each does while
    // the window runs, are in the property table (BrowseDlgProperties.cpp):
    // a setter stores the value and, while the window runs, applies it to
    // the window at once.

    /// The value of a property that the table gives a TPropertyValue (all
    /// but CustomEditItems and Font), as its getter reads it.
    TPropertyValue Value(TBrowsePropertyId id) const;
    /// Sets such a property as its setter does. Throws std::invalid_argument
    /// for a value the property cannot hold.
    void SetValue(TBrowsePropertyId id, const TPropertyValue& value);

    /// A number for the owner's use; the window does not read it.
    int Tag() const;
    void SetTag(int value);

    // What the window is built from. These five throw
    // EBrowseDlgPropertyError while the window runs.

    /// Kind of custom control.
    TCustomBtnType CustomBtnType() const;
    void SetCustomBtnType(TCustomBtnType value);
    /// Kind of custom edit.
    TCustomEditType CustomEditType() const;
    void SetCustomEditType(TCustomEditType value);
    /// Options of the window.
    TBrowseOptions Options() const;
    void SetOptions(TBrowseOptions value);
    /// Path of the tree's root folder; empty: SpecialRoot.
    QString Root() const;
    void SetRoot(const QString& value);
    /// The tree's root when Root is empty.
    TSpecialFolder SpecialRoot() const;
    void SetSpecialRoot(TSpecialFolder value);

    // Place and size of the window and of its rows, in pixels.

    /// Outer width of the window.
    int Width() const;
    void SetWidth(int value);
    /// Outer height of the window.
    int Height() const;
    void SetHeight(int value);
    /// Left edge when not centred.
    int X() const;
    void SetX(int value);
    /// Top edge when not centred.
    int Y() const;
    void SetY(int value);
    /// Gap above the first row.
    int TopMargin() const;
    void SetTopMargin(int value);
    /// Vertical gap between rows.
    int VertSpacing() const;
    void SetVertSpacing(int value);
    /// Left and right gap of the text rows.
    int TextHorzMargin() const;
    void SetTextHorzMargin(int value);
    /// Left and right gap of the custom edit.
    int CustomEditHorzMargin() const;
    void SetCustomEditHorzMargin(int value);
    /// Left and right gap of the tree.
    int TreeHorzMargin() const;
    void SetTreeHorzMargin(int value);
    /// Gap below the button row.
    int BottomMargin() const;
    void SetBottomMargin(int value);
    /// Height of the buttons.
    int BtnHeight() const;
    void SetBtnHeight(int value);
    /// Gap between the client edges and the outer buttons.
    int BtnHorzMargin() const;
    void SetBtnHorzMargin(int value);
    /// Gap between neighbouring buttons.
    int BtnHorzSpacing() const;
    void SetBtnHorzSpacing(int value);
    /// Width of OK.
    int OKBtnWidth() const;
    void SetOKBtnWidth(int value);
    /// Width of Cancel.
    int CancelBtnWidth() const;
    void SetCancelBtnWidth(int value);

    // Texts.

    /// Window title.
    QString Caption() const;
    void SetCaption(const QString& value);
    /// First text row.
    QString Text1() const;
    void SetText1(const QString& value);
    /// Second text row.
    QString Text2() const;
    void SetText2(const QString& value);
    /// Caption of OK.
    QString OKBtnCaption() const;
    void SetOKBtnCaption(const QString& value);
    /// Caption of Cancel.
    QString CancelBtnCaption() const;
    void SetCancelBtnCaption(const QString& value);
    /// Caption of the custom button or check box.
    QString CustomBtnCaption() const;
    void SetCustomBtnCaption(const QString& value);

    // Switches.

    /// Centre on the screen, else stand at X, Y.
    bool ScreenCenter() const;
    void SetScreenCenter(bool value);
    /// Whether the first row is shown and reserved.
    bool Text1Visible() const;
    void SetText1Visible(bool value);
    /// Whether the second row is shown and reserved.
    bool Text2Visible() const;
    void SetText2Visible(bool value);
    /// Whether the custom edit is shown and its row reserved.
    bool CustomEditVisible() const;
    void SetCustomEditVisible(bool value);
    /// Whether the custom control is enabled.
    bool CustomBtnEnabled() const;
    void SetCustomBtnEnabled(bool value);
    /// Whether the custom control is visible.
    bool CustomBtnVisible() const;
    void SetCustomBtnVisible(bool value);
    /// Whether the tree draws lines and buttons at its root level.
    bool TreeShowRoot() const;
    void SetTreeShowRoot(bool value);
    /// Whether OK enters the chosen text into the history.
    bool UseHistory() const;
    void SetUseHistory(bool value);
    /// Whether Font follows SystemFont().
    bool UseSystemFont() const;
    void SetUseSystemFont(bool value);
    /// State of the custom check box; while a window with a check box
    /// runs, reads and writes the box itself.
    bool CustomBtnChecked() const;
    void SetCustomBtnChecked(bool value);

    // Objects the component owns; setting them copies the given value.

    /// Font of the window, its controls and text rows. Any change of its
    /// value turns UseSystemFont off.
    TFont& Font();
    const TFont& Font() const;
    void SetFont(const TFont& value);
    /// The combo box's list and history. Editing the list reaches a
    /// running combo box.
    TStringList& CustomEditItems();
    const TStringList& CustomEditItems() const;
    /// The lines of CustomEditItems.
    QStringList CustomEditLines() const;
    void SetCustomEditItems(const QStringList& lines);

    // Run-time members (never stored).

    /// Path of the tree item selected last; empty for items without one.
    /// Writing selects that path in the running tree and stores nothing.
    QString SelectedPath() const;
    void SetSelectedPath(const QString& value);
    /// Caption of the tree item selected last.
    QString SelectedName() const;
    /// Text of the custom edit; the chosen folder after OK. Writing it also
    /// puts it into the running edit or combo box.
    QString CustomEditText() const;
    void SetCustomEditText(const QString& value);

    /// Path syntax of the paths handed to the tree (this system's at
    /// first); not stored.
    TPathSyntax PathSyntax() const;
    void SetPathSyntax(TPathSyntax value);

    /// Height of one text row: |Font.Height| + 2.
    int TextLineHeight() const;

    // Events, raised only through the Do... dispatchers.

    /// The window is about to be shown.
    TBrowseEvent OnShow;
    /// The tree's selection has changed.
    TBrowseEvent OnChange;
    /// The custom button or check box was clicked.
    TNotifyEvent OnCustomBtnClick;
    /// An entry of the combo box's list was chosen; the tree has followed.
    TNotifyEvent OnCustomEditChange;
    /// OK was pressed (before the history entry and the closing).
    TNotifyEvent OnOKBtnClick;
    /// Cancel was pressed.
    TNotifyEvent OnCancelBtnClick;
    /// A history entry is about to be made; the handler may change Path or
    /// cancel it with the empty text.
    TBrowseAddHistoryEvent OnAddHistrory;

    /// The handler name recorded for an event property ("OnShow", ...);
    /// empty when none. The stored form names handlers by these names.
    QString HandlerName(const QString& eventName) const;
    /// Records the handler name of an event property (empty removes it).
    void SetHandlerName(const QString& eventName, const QString& handlerName);

protected:
    // The dispatchers of the events; the window raises the first six.
    void DoShow(TBrowseOKState& OKButtonState) override;
    void DoChange(TBrowseOKState& OKButtonState) override;
    void DoCustomBtnClick() override;
    void DoCustomEditChange() override;
    void DoOKBtnClick() override;
    void DoCancelBtnClick() override;
    /// Raises OnAddHistrory.
    virtual void DoAddHistory(QString& Path);

private:
    // What the window hands back.
    void StoreSelection(const QString& path, const QString& name) override;
    void StoreCustomEditText(const QString& text) override;
    void StoreCustomBtnChecked(bool checked) override;

    // Font as the meta-object reads it, by value.
    TFont FontValue() const;
    int Number(TBrowsePropertyId id) const;
    const QString& String(TBrowsePropertyId id) const;
    void CheckNotRunning(const char* propertyName) const;
    // Applies a change to the running window, if any.
    void ApplyChange(TLiveEffect effect);
    void FontChanged();

    const std::unique_ptr<TBrowseDlgPrivate> FPrivate;
};

}  // namespace quillane
