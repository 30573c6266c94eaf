// Renders the main window, filled from a sample init.m, to a PNG file, and
// optionally the home folder window opened from it over a sample folder tree:
//   quillane_snapshot <main.png> [<folder.png>]
// The windows are drawn by Qt itself (no window manager), so the pictures are
// the same offscreen and on a display, and the folder tree is the same on
// every machine.
#include "DesignLook.h"
#include "QuillaneApplication.h"
#include "QuillaneDialogs.h"
#include "QuillaneUnt.h"

#include "BrowseDlg.h"
#include "BrowseDlgForm.h"
#include "MemoryShell.h"

#include "CodePage.h"
#include "EditorLauncher.h"
#include "InstallFolderRegistry.h"
#include "Translation.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace {

using namespace quillane;

class TNoEditor : public IEditorLauncher {
public:
    void OpenAsText(const std::string&) override {}
};

// A snapshot must never wait for an answer.
class TSilentDialogs : public IQuillaneDialogs {
public:
    void ShowReadFailure(const QString& text) override { std::fprintf(stderr, "%s\n", qUtf8Printable(text)); }
    void ShowFailureReport(const QString& text) override { std::fprintf(stderr, "%s\n", qUtf8Printable(text)); }
    TSaveAnswer AskSaveChanges() override { return TSaveAnswer::Cancel; }
    int Ask(const TQuestion& question) override { return question.Cancel; }
    bool ChooseInitFile(const QString&, const QStringList&, QString&) override { return false; }
    int ChooseAmong(const QList<TInitFileChoice>&, QWidget*) override { return -1; }
};

// A computer as the POSIX shell shows it: the root file system and a
// removable volume, with the sample home directory below the root. The
// computer's name is the shell's, in the interface's language.
const char* const SampleFolders = R"(
Computer | folder ancestor sub | | %1
  / | folder | / | /
    bin | folder | /bin
    etc | folder | /etc
    home | folder | /home
      ann | folder | /home/ann
        Desktop | folder | /home/ann/Desktop
        Documents | folder | /home/ann/Documents
        mathematica | folder | /home/ann/mathematica
          notebooks | folder | /home/ann/mathematica/notebooks
          packages | folder | /home/ann/mathematica/packages
    opt | folder | /opt
    tmp | folder | /tmp
    usr | folder | /usr
  usb | folder | /media/ann/usb | usb
)";

// Opens the home folder window from `window` and saves its picture.
bool SnapFolderWindow(TFrmQuillane& window, const QString& file) {
    bool saved = false;
    TBrowseDlg& dlg = window.BrowseDlg();
    QTimer::singleShot(0, [&] {
        if (TBrowseDlgForm* form = dlg.Form()) {
            QCoreApplication::processEvents();
            saved = form->grab().save(file, "PNG");
            form->done(2);
        }
    });
    window.BtnHomeClick();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    TQuillaneApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: quillane_snapshot <main.png> [<folder.png>]\n");
        return 2;
    }
    app.LoadTranslations(QLocale());
    UseDesignFontEverywhere();
    auto folders = std::make_shared<shell::MemoryShell>(
        Arg(SampleFolders, {Translate("quillane::shell::PosixShell", "コンピュータ")}));
    folders->SetSpecialFolder(17, "Computer");  // the computer's platform id
    BrowseUnitScope browseUnit(folders);

    // An install root with one version folder, found as on any Linux machine.
    // A fixed folder, so that the picture does not change from run to run.
    const QString root = QDir::temp().filePath(QStringLiteral("quillane-snapshot/Wolfram/Mathematica"));
    QDir(root).removeRecursively();
    QDir(root).mkpath(QStringLiteral("5.0/Configuration/Kernel"));
    QFile file(QDir(root).filePath(QStringLiteral("5.0/Configuration/Kernel/init.m")));
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(
        "(*--- This section is added by Quillane ---*)\r\n"
        "(*\r\n[HomeDirectory]/home/ann/mathematica\r\n[DefineUtils]\r\n*)\r\n"
        "(* Quillane commands begin *)\r\nOff[General::spell]\r\n<<Graphics`Colors`\r\n"
        "(* Quillane commands end *)\r\n"
        "(*--- End of section added by Quillane ---*)\r\n");
    file.close();

    InstallFolderRegistry registry({root.toStdString()});
    TNoEditor editor;
    TSilentDialogs dialogs;
    TFrmQuillane window({registry, editor, dialogs, SystemCodePage()});
    window.ShowCentred();
    QCoreApplication::processEvents();
    const bool saved = window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG");
    QDir(QDir::temp().filePath(QStringLiteral("quillane-snapshot"))).removeRecursively();
    if (!saved) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    if (argc == 3 && !SnapFolderWindow(window, QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
