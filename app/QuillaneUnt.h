#pragma once

#include "BrowseDlg.h"
#include "QuillaneDialogs.h"
#include "SectionEngine.h"

#include <QWidget>

#include <memory>

class QAction;

namespace Ui {
class TFrmQuillane;
}

namespace quillane {

class IRegistry;
class IEditorLauncher;

/// The stored design values of the window's folder browse component, a
/// Qt resource in the component's stored-form format.
extern const char* const BrowseDlgFormResource;

/// What the main window works with besides its own controls. The window
/// does not own them; they outlive it.
struct TQuillaneServices {
    IRegistry& Registry;          ///< where the newest installation is found
    IEditorLauncher& Launcher;    ///< opens init.m as text
    IQuillaneDialogs& Dialogs;    ///< every box and dialog the window shows
    unsigned CodePage;            ///< code page of init.m (SystemCodePage())
};

/// The main window FrmQuillane: its controls hold the settings of the
/// managed section of one init.m; FChanged records unsaved changes.
class TFrmQuillane : public QWidget, private IReadFailureReporter {
    Q_OBJECT
public:
    /// Builds the window from its design values and runs FormCreate.
    explicit TFrmQuillane(const TQuillaneServices& services, QWidget* parent = nullptr);
    ~TFrmQuillane() override;

    /// Whether settings were changed since the last load or save.
    bool Changed() const { return FChanged; }

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
    /// Asks to save when needed, then closes the window.
    void ActExitExecute();
    /// Opens the file in the text editor as it stands on disk.
    void ActOpenAsTextExecute();
    /// Picks another init.m with the file-open dialog and reloads.
    void BtnFileClick();
    /// Picks the home directory in the folder browse window.
    void BtnHomeClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ReportReadFailure(const std::string& messageUtf8) override;

    template <class Body>
    void Guarded(Body&& body);
    void LoadBrowseDlg();
    void Reload();
    void Save();
    void CommitPendingEdit();
    SectionSettings CurrentSettings() const;
    QString CommandsText() const;
    void SetCommandsText(const QString& text);
    QString NotSet() const;

    std::unique_ptr<Ui::TFrmQuillane> ui;
    TQuillaneServices FServices;
    bool FChanged = false;
    TBrowseDlg* FBrowseDlg = nullptr;  // a child: deleted with the window
    TFailureReport FPreviousFailureReport;
};

}  // namespace quillane
