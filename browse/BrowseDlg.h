#pragma once

// The folder browse component: a non-visual object that an owner window
// configures (mostly from its stored design values) and runs with Execute.
// Each run builds a fresh modal window, TBrowseDlgForm, that reads every
// setting from the component and reports the user's choice back to it.

#include "BrowseDlgError.h"
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
#include <QPointer>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace quillane {

class TBrowseDlgForm;

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
    TBrowseDlgForm* Form() const { return FForm; }
    /// Whether Execute is running.
    bool Running() const { return FForm != nullptr; }

    // Published properties (defaults in brackets). Setters store the value
    // and, while the window runs, apply it to the window at once; the ones
    // marked "refused" throw EBrowseDlgPropertyError while it runs.

    /// Gap below the button row [8].
    int BottomMargin() const { return FBottomMargin; }
    void SetBottomMargin(int value);
    /// Height of the buttons [24].
    int BtnHeight() const { return FBtnHeight; }
    void SetBtnHeight(int value);
    /// Gap between the client edges and the outer buttons [12].
    int BtnHorzMargin() const { return FBtnHorzMargin; }
    void SetBtnHorzMargin(int value);
    /// Gap between neighbouring buttons [8].
    int BtnHorzSpacing() const { return FBtnHorzSpacing; }
    void SetBtnHorzSpacing(int value);
    /// Caption of Cancel ["キャンセル(&C)"].
    QString CancelBtnCaption() const { return FCancelBtnCaption; }
    void SetCancelBtnCaption(const QString& value);
    /// Width of Cancel [88].
    int CancelBtnWidth() const { return FCancelBtnWidth; }
    void SetCancelBtnWidth(int value);
    /// Window title ["フォルダの参照"].
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value);
    /// Caption of the custom button or check box ["カスタム(&U)"].
    QString CustomBtnCaption() const { return FCustomBtnCaption; }
    void SetCustomBtnCaption(const QString& value);
    /// State of the custom check box [false]; while a window with a check
    /// box runs, reads and writes the box itself.
    bool CustomBtnChecked() const;
    void SetCustomBtnChecked(bool value);
    /// Whether the custom control is enabled [true].
    bool CustomBtnEnabled() const { return FCustomBtnEnabled; }
    void SetCustomBtnEnabled(bool value);
    /// Kind of custom control [cbNone]; refused while running.
    TCustomBtnType CustomBtnType() const { return FCustomBtnType; }
    void SetCustomBtnType(TCustomBtnType value);
    /// Whether the custom control is visible [true].
    bool CustomBtnVisible() const { return FCustomBtnVisible; }
    void SetCustomBtnVisible(bool value);
    /// Left and right gap of the custom edit [8].
    int CustomEditHorzMargin() const { return FCustomEditHorzMargin; }
    void SetCustomEditHorzMargin(int value);
    /// The combo box's list and history [empty]. Editing the list reaches a
    /// running combo box.
    TStringList& CustomEditItems() { return FCustomEditItems; }
    const TStringList& CustomEditItems() const { return FCustomEditItems; }
    /// The lines of CustomEditItems.
    QStringList CustomEditLines() const { return FCustomEditItems.Lines(); }
    /// Copies `lines` into CustomEditItems.
    void SetCustomEditItems(const QStringList& lines);
    /// Kind of custom edit [ceEdit]; refused while running.
    TCustomEditType CustomEditType() const { return FCustomEditType; }
    void SetCustomEditType(TCustomEditType value);
    /// Whether the custom edit is shown and its row reserved [true].
    bool CustomEditVisible() const { return FCustomEditVisible; }
    void SetCustomEditVisible(bool value);
    /// Font of the window, its controls and text rows [a copy of
    /// SystemFont()]. Any change of its value turns UseSystemFont off.
    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }
    TFont FontValue() const { return FFont; }
    /// Copies `value` into Font.
    void SetFont(const TFont& value);
    /// Outer height of the window [300].
    int Height() const { return FHeight; }
    void SetHeight(int value);
    /// Caption of OK ["&OK"].
    QString OKBtnCaption() const { return FOKBtnCaption; }
    void SetOKBtnCaption(const QString& value);
    /// Width of OK [88].
    int OKBtnWidth() const { return FOKBtnWidth; }
    void SetOKBtnWidth(int value);
    /// Options [boReturnOnlyDirectory]; refused while running.
    TBrowseOptions Options() const { return FOptions; }
    void SetOptions(TBrowseOptions value);
    /// Path of the tree's root folder; empty: SpecialRoot [empty]; refused
    /// while running.
    QString Root() const { return FRoot; }
    void SetRoot(const QString& value);
    /// Centre on the screen, else stand at X, Y [true].
    bool ScreenCenter() const { return FScreenCenter; }
    void SetScreenCenter(bool value);
    /// The tree's root when Root is empty [sfDesktop]; refused while
    /// running.
    TSpecialFolder SpecialRoot() const { return FSpecialRoot; }
    void SetSpecialRoot(TSpecialFolder value);
    /// First text row [empty].
    QString Text1() const { return FText1; }
    void SetText1(const QString& value);
    /// Whether the first row is shown and reserved [true].
    bool Text1Visible() const { return FText1Visible; }
    void SetText1Visible(bool value);
    /// Second text row [empty].
    QString Text2() const { return FText2; }
    void SetText2(const QString& value);
    /// Whether the second row is shown and reserved [false].
    bool Text2Visible() const { return FText2Visible; }
    void SetText2Visible(bool value);
    /// Left and right gap of the text rows [12].
    int TextHorzMargin() const { return FTextHorzMargin; }
    void SetTextHorzMargin(int value);
    /// Gap above the first row [8].
    int TopMargin() const { return FTopMargin; }
    void SetTopMargin(int value);
    /// Left and right gap of the tree [8].
    int TreeHorzMargin() const { return FTreeHorzMargin; }
    void SetTreeHorzMargin(int value);
    /// Whether the tree draws lines and buttons at its root level [false].
    bool TreeShowRoot() const { return FTreeShowRoot; }
    void SetTreeShowRoot(bool value);
    /// Whether OK enters the chosen text into the history [true].
    bool UseHistory() const { return FUseHistory; }
    void SetUseHistory(bool value);
    /// Whether Font follows SystemFont() [true].
    bool UseSystemFont() const { return FUseSystemFont; }
    void SetUseSystemFont(bool value);
    /// Vertical gap between rows [4].
    int VertSpacing() const { return FVertSpacing; }
    void SetVertSpacing(int value);
    /// Outer width of the window [378].
    int Width() const { return FWidth; }
    void SetWidth(int value);
    /// Left edge when not centred [64].
    int X() const { return FX; }
    void SetX(int value);
    /// Top edge when not centred [64].
    int Y() const { return FY; }
    void SetY(int value);
    /// A number for the owner's use [0].
    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }

    // Run-time members (never stored).

    /// Text of the custom edit; the chosen folder after OK. Writing it also
    /// puts it into the running edit or combo box.
    QString CustomEditText() const { return FCustomEditText; }
    void SetCustomEditText(const QString& value);
    /// Path of the tree item selected last; empty for items without one.
    /// Writing selects that path in the running tree and stores nothing.
    QString SelectedPath() const { return FSelectedPath; }
    void SetSelectedPath(const QString& value);
    /// Caption of the tree item selected last.
    QString SelectedName() const { return FSelectedName; }

    /// Path syntax of the paths handed to the tree (this system's at
    /// first); not stored.
    TPathSyntax PathSyntax() const { return FPathSyntax; }
    void SetPathSyntax(TPathSyntax value) { FPathSyntax = value; }

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

    void CheckNotRunning(const char* propertyName) const;
    void FontChanged();
    void ItemsChanged();
    void Relayout();
    void Reposition();
    void Repaint();

    TBrowseDlgForm* FForm = nullptr;
    int FBottomMargin = 8;
    int FBtnHeight = 24;
    int FBtnHorzMargin = 12;
    int FBtnHorzSpacing = 8;
    QString FCancelBtnCaption;
    int FCancelBtnWidth = 88;
    QString FCaption;
    QString FCustomBtnCaption;
    bool FCustomBtnChecked = false;
    bool FCustomBtnEnabled = true;
    TCustomBtnType FCustomBtnType = cbNone;
    bool FCustomBtnVisible = true;
    int FCustomEditHorzMargin = 8;
    TStringList FCustomEditItems;
    QString FCustomEditText;
    TCustomEditType FCustomEditType = ceEdit;
    bool FCustomEditVisible = true;
    int FX = 64;
    int FY = 64;
    int FWidth = 378;
    int FHeight = 300;
    TFont FFont;
    QString FOKBtnCaption;
    int FOKBtnWidth = 88;
    TBrowseOptions FOptions{boReturnOnlyDirectory};
    QString FRoot;
    bool FScreenCenter = true;
    QString FSelectedPath;
    QString FSelectedName;
    TSpecialFolder FSpecialRoot = shell::sfDesktop;
    QString FText1;
    QString FText2;
    bool FText1Visible = true;
    bool FText2Visible = false;
    int FTextHorzMargin = 12;
    int FTopMargin = 8;
    int FTreeHorzMargin = 8;
    bool FTreeShowRoot = false;
    bool FUseHistory = true;
    bool FUseSystemFont = true;
    int FVertSpacing = 4;
    int FTag = 0;
    TPathSyntax FPathSyntax;
    std::map<QString, QString> FHandlerNames;
    // Windows whose queued release is still pending; deleted with the
    // component when the event loop has not got to them.
    std::vector<QPointer<TBrowseDlgForm>> FReleased;
};

}  // namespace quillane
