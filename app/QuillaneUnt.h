#pragma once

#include "BrowseDlg.h"
#include "FileStamp.h"
#include "InitFileCandidates.h"
#include "QuillaneDialogs.h"
#include "SectionEngine.h"

#include <QWidget>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

class QAction;

namespace Ui {
class TFrmQuillane;
}

namespace quillane {

class IRegistry;
class IEditorLauncher;
class TFileWatch;

/// The stored design values of the window's folder browse component, a
/// Qt resource in the component's stored-form format.
extern const char* const BrowseDlgFormResource;

/// What the main window works with besides its own controls. The window
/// does not own them; they outlive it.
struct TQuillaneServices {
    IRegistry& Registry;           ///< where the newest installation is found
    IEditorLauncher& Launcher;     ///< opens init.m as text
    IQuillaneDialogs& Dialogs;     ///< every box and dialog the window shows
    unsigned CodePage;             ///< code page of init.m (SystemCodePage())
    QString InitFile = QString();  ///< the file to edit (command line); empty: the discovered one
    /// Where the kernel's base folders are (SystemKernelEnvironment()).
    KernelEnvironment Environment = KernelEnvironment();
    /// Whether a file is there and this user may write it.
    std::function<InitFileAccess(const std::string&)> Probe = ProbeInitFile;
};

/// The main window FrmQuillane: its controls hold the settings of the
/// managed section of one init.m. Unsaved changes are the fields' texts as
/// they differ from the last load or save, and FChanged for the changes
/// that are not typed (the check box, a folder taken from the browse window).
class TFrmQuillane : public QWidget, private IReadFailureReporter {
    Q_OBJECT
public:
    /// Builds the window from its design values and runs FormCreate.
    explicit TFrmQuillane(const TQuillaneServices& services, QWidget* parent = nullptr);
    ~TFrmQuillane() override;

    /// Whether settings were changed since the last load or save.
    bool Changed() const;

    /// The session is ending (log-out): asks about unsaved changes when
    /// `mayAsk`, as closing does. False when the user wants to stay.
    bool CommitData(bool mayAsk);

    /// Shows the window at the centre of its screen.
    void ShowCentred();

    /// The actions of ActionList1.
    QAction* ActSave() const;
    QAction* ActExit() const;
    QAction* ActOpenAsText() const;

    /// The home folder picker, owned by the window.
    TBrowseDlg& BrowseDlg() const { return *FBrowseDlg; }

    /// BrowseDlg's OnShow: the tree opens at the current home directory;
    /// the OK button's state is left to the component.
    void BrowseDlgShow(QObject* Sender, TBrowseOKState& OKButtonState);
    /// BrowseDlg's OnOKBtnClick: the chosen folder becomes the home
    /// directory and counts as a change.
    void BrowseDlgOKBtnClick(QObject* Sender);

public slots:
    /// Start-up: locate init.m, reload, and the empty-home rule.
    void FormCreate();
    /// Focus left the home-directory field.
    void EdtHomeExit();
    /// Focus left the commands field.
    void MemCommandsExit();
    /// Focus left the file-name field: a changed path is reloaded.
    void EdtFileNameExit();
    /// The DefineUtils check box changed.
    void ChkDefineUtilsClick();
    /// Idle-time update: the save action follows FChanged.
    void ActSaveUpdate();
    /// Saves the settings into the file named by EdtFileName.
    void ActSaveExecute();
    /// Closes the window, which asks to save when needed.
    void ActExitExecute();
    /// Opens the file in the text editor as it stands on disk.
    void ActOpenAsTextExecute();
    /// Picks another init.m with the file-open dialog and reloads.
    void BtnFileClick();
    /// Offers every init.m of this machine below the file field.
    void ChooseInitFileAmongCandidates();
    /// Picks the home directory in the folder browse window.
    void BtnHomeClick();
    /// The loaded file or its folder changed on disk: without unsaved
    /// changes the window reloads; with them, the save asks first.
    void CheckFileOnDisk();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// Every way of closing asks about unsaved changes, as 終了 does.
    void closeEvent(QCloseEvent* event) override;

private:
    // What the user sees: the texts compared to tell unsaved changes, and
    // what a log-out was told to leave behind.
    struct TShown {
        QString Home;
        QString Commands;
        bool DefineUtils = false;
        QString FileName;
        bool operator==(const TShown& o) const {
            return Home == o.Home && Commands == o.Commands && DefineUtils == o.DefineUtils && FileName == o.FileName;
        }
    };

    void ReportReadFailure(const std::string& messageUtf8) override;

    template <class Body>
    void Guarded(Body&& body);
    void Report(std::exception_ptr error, const QString& afterwards = QString());
    void SetUpLook();
    void BindControls();
    void SetUpInitFileChooser();
    void LoadBrowseDlg();
    void Reload();
    void LoadFrom(const QString& path, bool newIfMissing = false);
    void SwitchTo(const QString& path, bool newIfMissing);
    void NoticeIfNotWritable(const QString& path);
    QStringList CreateForFirstSave(const QString& path);
    void MarkUnchanged();
    bool SaveInto(const QString& path);
    bool AskAboutNotSetInCommands();
    bool AskAboutChangeOnDisk(const QString& path);
    bool SaveBeforeLeavingFile();
    bool SwitchToTypedFile();
    bool CommitPendingEdit();
    bool QueryClose();
    void EdtHomeEdited(const QString& text);
    TShown Shown() const;
    SectionSettings CurrentSettings() const;
    QString NotSet() const;

    std::unique_ptr<Ui::TFrmQuillane> ui;
    TQuillaneServices FServices;
    bool FChanged = false;
    TShown FBaseline;                      // as loaded or saved
    QString FHomeBefore;                   // the home field's text before the current edit
    QString FLoadedPath;                   // the file the fields were loaded from
    FileStamp FLoadedStamp;                // that file as it was loaded or saved
    bool FCreateOnSave = false;            // that file is missing and is made by the first save
    QString FNoticedPath;                  // the last file said to be read-only
    std::optional<TShown> FLeaveApproved;  // a log-out may drop exactly these changes
    TFileWatch* FFileWatch = nullptr;
    TBrowseDlg* FBrowseDlg = nullptr;  // a child: deleted with the window
    TFailureReport FPreviousFailureReport;
};

// Every handler runs through here: whatever it throws ends the handler and
// is shown as the failure report, and never unwinds into Qt's event loop.
template <class Body>
void TFrmQuillane::Guarded(Body&& body) {
    try {
        body();
    } catch (...) {
        Report(std::current_exception());
    }
}

}  // namespace quillane
