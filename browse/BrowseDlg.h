#pragma once

// The folder browse component: a non-visual object that an owner window
// configures (mostly from its stored design values) and runs with Execute.
// Each run builds a fresh modal window, TBrowseDlgForm, that reads every
// setting from the component and reports the user's choice back to it.

#include "PathSyntax.h"
#include "QuillaneError.h"
#include "ShellRoutines.h"

#include <QColor>
#include <QFont>
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quillane {

class TBrowseDlg;
class TBrowseDlgForm;

using shell::TSpecialFolder;

/// Kind of the extra control at the left of the button row.
enum TCustomBtnType : std::uint8_t {
    cbNone,      ///< no extra control
    cbButton,    ///< a push button
    cbCheckBox,  ///< a check box
};

/// Kind of the edit above the tree.
enum TCustomEditType : std::uint8_t {
    ceNone,      ///< no edit
    ceEdit,      ///< a single-line edit
    ceComboBox,  ///< an editable combo box whose list is CustomEditItems
};

/// One option of the browse window.
enum TBrowseOption : std::uint8_t {
    boReturnOnlyDirectory,  ///< OK is enabled exactly when the selected item has a path
    boIncludeFiles,         ///< the tree lists files as well as folders
};

/// A set of TBrowseOption values, one bit per option (bit = ordinal value).
class TBrowseOptions {
public:
    /// The empty set.
    constexpr TBrowseOptions() = default;
    /// The set of the given options.
    constexpr TBrowseOptions(std::initializer_list<TBrowseOption> options) {
        for (TBrowseOption o : options) FBits = static_cast<std::uint8_t>(FBits | Bit(o));
    }
    /// The set whose bits are `bits` (bits above the options are dropped).
    static constexpr TBrowseOptions FromBits(std::uint8_t bits) {
        TBrowseOptions result;
        result.FBits = static_cast<std::uint8_t>(bits & 0x03u);
        return result;
    }
    /// The set as one byte.
    constexpr std::uint8_t Bits() const { return FBits; }
    /// Whether `option` is in the set.
    constexpr bool Contains(TBrowseOption option) const { return (FBits & Bit(option)) != 0; }
    /// The set with `option` added.
    constexpr TBrowseOptions With(TBrowseOption option) const {
        return FromBits(static_cast<std::uint8_t>(FBits | Bit(option)));
    }
    /// The set with `option` removed.
    constexpr TBrowseOptions Without(TBrowseOption option) const {
        return FromBits(static_cast<std::uint8_t>(FBits & ~Bit(option)));
    }
    friend constexpr bool operator==(TBrowseOptions a, TBrowseOptions b) { return a.FBits == b.FBits; }
    friend constexpr bool operator!=(TBrowseOptions a, TBrowseOptions b) { return a.FBits != b.FBits; }

private:
    static constexpr std::uint8_t Bit(TBrowseOption o) { return static_cast<std::uint8_t>(1u << o); }
    std::uint8_t FBits = 0;
};

/// What an OnShow or OnChange handler asks of the OK button.
enum TBrowseOKState : std::uint8_t {
    okNoChange,  ///< leave it as it is
    okEnable,    ///< enable it
    okDisable,   ///< disable it
};

/// A plain notification; Sender is the component.
using TNotifyEvent = std::function<void(QObject* Sender)>;
/// OnShow and OnChange: the handler may set OKButtonState (it comes in as
/// okNoChange).
using TBrowseEvent = std::function<void(QObject* Sender, TBrowseOKState& OKButtonState)>;
/// OnAddHistrory: the handler may change Path; the empty text cancels the
/// history entry.
using TBrowseAddHistoryEvent = std::function<void(QObject* Sender, QString& Path)>;

/// Failures of the browse component.
class EBrowseDlgError : public EQuillaneError {
public:
    using EQuillaneError::EQuillaneError;
};

/// A property that cannot change while the window runs.
class EBrowseDlgPropertyError : public EBrowseDlgError {
public:
    using EBrowseDlgError::EBrowseDlgError;
};

/// Message of a second Execute while one runs.
inline constexpr const char* ExecuteRunningMessage = "TBrowseDlg: Execute is already running";
/// Message of a refused property change; %s is the property's name.
inline constexpr const char* PropertyRunningMessage =
    "TBrowseDlg: Execute の実行中には %s プロパティの値を変更できません";

/// A font value with a change hook: face, pixel or point size, style and
/// colour. The hook runs only when an attribute actually changes; copying
/// never copies the hook. An invalid colour stands for the window's own
/// text colour.
class TFont {
public:
    /// The application's default font in the window's text colour.
    TFont();
    /// A font of the given face and colour.
    explicit TFont(const QFont& font, const QColor& color = QColor());
    /// Copies the value, not the hook.
    TFont(const TFont& other);
    /// Assigns the value (the hook runs when it differs), keeps this hook.
    TFont& operator=(const TFont& other);

    /// The face, size and style.
    const QFont& Value() const { return FFont; }
    /// Replaces face, size and style.
    void SetValue(const QFont& value);
    /// Family name.
    QString Name() const { return FFont.family(); }
    /// Sets the family name.
    void SetName(const QString& value);
    /// Character height in pixels, negative (the height of the em): the
    /// pixel size, or the point size converted at the screen's resolution.
    int Height() const;
    /// Sets the character height in pixels (the sign is ignored).
    void SetHeight(int value);
    /// Size in points (rounded).
    int Size() const;
    /// Sets the size in points.
    void SetSize(int value);
    /// Whether the face is bold.
    bool Bold() const { return FFont.bold(); }
    /// Sets bold.
    void SetBold(bool value);
    /// Whether the face is italic.
    bool Italic() const { return FFont.italic(); }
    /// Sets italic.
    void SetItalic(bool value);
    /// Whether the text is underlined.
    bool Underline() const { return FFont.underline(); }
    /// Sets underline.
    void SetUnderline(bool value);
    /// Whether the text is struck out.
    bool StrikeOut() const { return FFont.strikeOut(); }
    /// Sets strike-out.
    void SetStrikeOut(bool value);
    /// Text colour; invalid for the window's text colour.
    QColor Color() const { return FColor; }
    /// Sets the text colour.
    void SetColor(const QColor& value);

    /// Runs after every actual change of the value.
    std::function<void()> OnChange;

    /// Equal face, size, style and colour.
    friend bool operator==(const TFont& a, const TFont& b);
    friend bool operator!=(const TFont& a, const TFont& b) { return !(a == b); }

private:
    void Change(const QFont& font, const QColor& color);
    QFont FFont;
    QColor FColor;
};

/// An ordered list of lines (unsorted, duplicates allowed) with a hook that
/// runs after every change.
class TStringList {
public:
    /// Number of lines.
    int Count() const { return static_cast<int>(FLines.size()); }
    /// Line `index` (0-based; must exist).
    const QString& operator[](int index) const { return FLines.at(index); }
    /// All lines.
    const QStringList& Lines() const { return FLines; }
    /// Replaces all lines with a copy of `lines`.
    void Assign(const QStringList& lines);
    /// Appends a line.
    void Add(const QString& line);
    /// Inserts a line before `index` (0 .. Count).
    void Insert(int index, const QString& line);
    /// Deletes line `index`.
    void Delete(int index);
    /// Deletes all lines.
    void Clear();

    /// Runs after every change of the list.
    std::function<void()> OnChange;

private:
    void Changed();
    QStringList FLines;
};

/// The unit-wide copy of the system's message font, filled once on first
/// use (a QGuiApplication must exist by then).
TFont& SystemFont();

/// Fills `font` with the system's message font: the non-client metrics'
/// message font on Windows, Qt's general system font elsewhere. On failure
/// `font` stays as it was. The colour is not touched.
void LoadMessageFont(TFont& font);

/// Removes at most one trailing separator of `path`: a root ("C:\" in the
/// Windows syntax, "/" in POSIX) and a text without a trailing separator
/// come back unchanged. Character-aware: works on characters, not bytes.
QString NormalizeBrowsePath(const QString& path, TPathSyntax syntax);

/// Whether two paths are equal as file names: letters A to Z without
/// regard to case, then the user locale's comparison.
bool SameFileName(const QString& a, const QString& b);

/// Starts the browse unit: the system font, then the shell unit (see
/// shell::StartShellUnit). Later calls only count.
void StartBrowseUnit(std::shared_ptr<shell::ShellPlatform> platform = nullptr);
/// Ends the browse unit (the shell unit's end).
void EndBrowseUnit();

/// Starts the browse unit for the lifetime of the object.
class BrowseUnitScope {
public:
    /// Starts the unit (may throw, as StartShellUnit).
    explicit BrowseUnitScope(std::shared_ptr<shell::ShellPlatform> platform = nullptr) {
        StartBrowseUnit(std::move(platform));
    }
    /// Ends the unit.
    ~BrowseUnitScope() { EndBrowseUnit(); }
    BrowseUnitScope(const BrowseUnitScope&) = delete;
    BrowseUnitScope& operator=(const BrowseUnitScope&) = delete;
};

/// The folder browse component.
class TBrowseDlg : public QObject {
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
    /// Raises OnShow.
    virtual void DoShow(TBrowseOKState& OKButtonState);
    /// Raises OnChange.
    virtual void DoChange(TBrowseOKState& OKButtonState);
    /// Raises OnCustomBtnClick.
    virtual void DoCustomBtnClick();
    /// Raises OnCustomEditChange.
    virtual void DoCustomEditChange();
    /// Raises OnOKBtnClick.
    virtual void DoOKBtnClick();
    /// Raises OnCancelBtnClick.
    virtual void DoCancelBtnClick();
    /// Raises OnAddHistrory.
    virtual void DoAddHistory(QString& Path);

private:
    friend class TBrowseDlgForm;

    void CheckNotRunning(const char* propertyName) const;
    void FontChanged();
    void ItemsChanged();
    void Relayout();
    void Reposition();
    void Repaint();

    // Direct stores made by the window.
    void StoreSelectedPath(const QString& value) { FSelectedPath = value; }
    void StoreSelectedName(const QString& value) { FSelectedName = value; }
    void StoreCustomEditText(const QString& value) { FCustomEditText = value; }
    void StoreCustomBtnChecked(bool value) { FCustomBtnChecked = value; }

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

// Stored design values: a small text form, one "Name = value" line per
// stored property, Tag first, then in declaration order. Integers,
// Booleans (True/False), enumerations and sets ([boIncludeFiles]) are
// written when they differ from the default; strings ('text', quotes
// doubled, #n for control characters) when not empty, and also when
// emptied where the default is not (so that loading keeps them empty);
// CustomEditItems as ('a', 'b') when it holds
// lines; Font as Font.Name, Font.Height (pixels) or Font.Size (points),
// Font.Style and Font.Color lines
// only while UseSystemFont is off; events as the handler's name when a
// handler is bound. Blank lines and lines starting with "#" are skipped.

/// The handlers an owner offers to a stored form, by name.
struct TBrowseHandlerTable {
    std::map<QString, TBrowseEvent> BrowseEvents;          ///< for OnShow, OnChange
    std::map<QString, TNotifyEvent> NotifyEvents;          ///< for the four notifications
    std::map<QString, TBrowseAddHistoryEvent> AddHistoryEvents;  ///< for OnAddHistrory
};

/// The stored form of `dlg`'s design values. Throws EBrowseDlgError for a
/// bound event without a recorded handler name.
QString SaveBrowseDlgForm(const TBrowseDlg& dlg);

/// Applies a stored form to `dlg` through its setters, binding events from
/// `handlers` and recording their names. Throws EBrowseDlgError naming the
/// line for an unknown property, a malformed value or an unknown handler;
/// lines before the faulty one stay applied.
void LoadBrowseDlgForm(TBrowseDlg& dlg, const QString& text, const TBrowseHandlerTable& handlers);

/// Reads a stored form from a file or Qt resource (":/...") and applies it.
/// Throws EBrowseDlgError when the file cannot be read, or as above.
void LoadBrowseDlgFormFile(TBrowseDlg& dlg, const QString& fileName, const TBrowseHandlerTable& handlers);

/// Reports a failure that reached an event handler's boundary. The
/// application installs its report; by default a message box titled with
/// the application name, with the error icon and an OK button.
using TFailureReport = std::function<void(const QString& message)>;

/// Installs the failure report (an empty function restores the default);
/// returns the previous one.
TFailureReport SetFailureReport(TFailureReport report);

/// Reports the current exception (call inside a catch block) through the
/// installed failure report, message text with the full-stop rule applied.
void ReportCurrentException();

/// The failure report's text: `message` with a full stop appended when its
/// last character's code is above that of the full stop.
QString FailureReportText(const QString& message);

/// The user-facing message of a caught exception (UTF-8 messages decoded;
/// one that is no std::exception gets a general text).
QString ExceptionMessage(std::exception_ptr error);

}  // namespace quillane

Q_DECLARE_METATYPE(quillane::TCustomBtnType)
Q_DECLARE_METATYPE(quillane::TCustomEditType)
Q_DECLARE_METATYPE(quillane::TBrowseOptions)
Q_DECLARE_METATYPE(quillane::TFont)
