// Renders the main window, filled from a sample init.m, to a PNG file:
//   quillane_snapshot <output.png>
// The window is drawn by Qt itself (no window manager), so the picture is
// the same offscreen and on a display.
#include "QuillaneApplication.h"
#include "QuillaneDialogs.h"
#include "QuillaneUnt.h"

#include "CodePage.h"
#include "EditorLauncher.h"
#include "InstallFolderRegistry.h"

#include <QDir>
#include <QFile>
#include <QPixmap>

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
    bool ChooseInitFile(const QString&, QString&) override { return false; }
};

}  // namespace

int main(int argc, char** argv)
{
    TQuillaneApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillane_snapshot <output.png>\n");
        return 2;
    }
    // An install root with one version folder, found as on any Linux machine.
    // A fixed folder, so that the picture does not change from run to run.
    const QString root = QDir::temp().filePath(QStringLiteral("quillane-snapshot/Wolfram/Mathematica"));
    QDir(root).removeRecursively();
    QDir(root).mkpath(QStringLiteral("5.0/Configuration/Kernel"));
    QFile file(QDir(root).filePath(QStringLiteral("5.0/Configuration/Kernel/init.m")));
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write("(*--- This section is added by Quillane ---*)\r\n"
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
    return 0;
}
