// Renders the main window, filled from a sample init.m, to a PNG file:
//   quillane_snapshot <output.png>
// The window is drawn by Qt itself (no window manager), so the picture is
// the same offscreen and on a display.
#include "QuillaneApplication.h"
#include "QuillaneDialogs.h"
#include "QuillaneUnt.h"

#include "CodePage.h"
#include "EditorLauncher.h"
#include "Registry.h"

#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace quillane;

// One installation whose folder is `dir`.
class TSampleRegistry : public IRegistry {
public:
    explicit TSampleRegistry(std::string dir) : FDir(std::move(dir)) {}
    std::unique_ptr<IRegistryKey> OpenLocalMachineKey(const std::string& path) override
    {
        const bool version = path.size() > 4 && path.compare(path.size() - 4, 4, "\\5.0") == 0;
        return std::make_unique<TKey>(version ? FDir : std::string());
    }

private:
    class TKey : public IRegistryKey {
    public:
        explicit TKey(std::string dir) : FDir(std::move(dir)) {}
        std::vector<std::string> SubKeyNames() override { return FDir.empty() ? std::vector<std::string>{"5.0"} : std::vector<std::string>{}; }
        bool HasValue(const std::string& name) override { return !FDir.empty() && name == "InstallDir"; }
        bool QueryValueInfo(const std::string&, RegType& type, std::uint32_t& size) override
        {
            type = RegType::String;
            size = static_cast<std::uint32_t>(FDir.size() + 1);
            return true;
        }
        bool ReadValue(const std::string&, std::string& data) override
        {
            data = FDir + '\0';
            return true;
        }

    private:
        std::string FDir;
    };
    std::string FDir;
};

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
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("Configuration/Kernel"));
    QFile file(dir.filePath(QStringLiteral("Configuration/Kernel/init.m")));
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write("(*--- This section is added by Quillane ---*)\r\n"
               "(*\r\n[HomeDirectory]/home/ann/mathematica\r\n[DefineUtils]\r\n*)\r\n"
               "(* Quillane commands begin *)\r\nOff[General::spell]\r\n<<Graphics`Colors`\r\n"
               "(* Quillane commands end *)\r\n"
               "(*--- End of section added by Quillane ---*)\r\n");
    file.close();

    TSampleRegistry registry(dir.path().toStdString());
    TNoEditor editor;
    TSilentDialogs dialogs;
    TFrmQuillane window({registry, editor, dialogs, SystemCodePage()});
    window.ShowCentred();
    QCoreApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
