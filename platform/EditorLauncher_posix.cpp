#include "PosixEditorLauncher.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace quillane {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

PosixEditorLauncher::PosixEditorLauncher(std::vector<std::string> searchPath, std::vector<std::string> editors)
    : FSearchPath(std::move(searchPath)), FEditors(std::move(editors)) {}

std::vector<std::string> PosixEditorLauncher::DefaultSearchPath() {
    const char* env = std::getenv("PATH");
    const std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
    std::vector<std::string> dirs;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        dirs.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return dirs;
}

std::vector<std::string> PosixEditorLauncher::DefaultEditors() {
    return {"gnome-text-editor", "gedit", "kwrite", "kate", "mousepad", "pluma",
            "xed",               "featherpad", "leafpad", "geany", "xedit"};
}

std::string PosixEditorLauncher::FindEditor() const {
    for (const std::string& editor : FEditors) {
        if (editor.empty()) continue;
        if (editor.find('/') != std::string::npos) {
            if (IsExecutableFile(editor)) return editor;
            continue;
        }
        for (const std::string& dir : FSearchPath) {
            // An empty entry would mean the current folder: never start a
            // program just because it lies where the user happens to be.
            if (dir.empty() || dir[0] != '/') continue;
            const std::string candidate = dir + (dir.back() == '/' ? "" : "/") + editor;
            if (IsExecutableFile(candidate)) return candidate;
        }
    }
    return std::string();
}

void PosixEditorLauncher::OpenAsText(const std::string& pathUtf8) {
    std::string program = FindEditor();
    if (program.empty()) return;
    if (pathUtf8.find('\0') != std::string::npos) return;
    // A name starting with '-' would be read as an option; "./" keeps it the
    // same file.
    std::string argument = (!pathUtf8.empty() && pathUtf8[0] == '-') ? "./" + pathUtf8 : pathUtf8;
    char* argv[] = {&program[0], &argument[0], nullptr};

    // Everything the children need is prepared above: between fork and exec
    // only async-signal-safe calls are allowed.
    const pid_t child = fork();
    if (child < 0) return;
    if (child == 0) {
        // New session: a Ctrl+C in our terminal or the end of our process
        // group does not take the editor with it.
        setsid();
        const pid_t editor = fork();
        if (editor != 0) _exit(0);  // the editor is handed to init
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0 && devNull != STDIN_FILENO) {
            dup2(devNull, STDIN_FILENO);
            close(devNull);
        }
        execv(argv[0], argv);
        _exit(127);
    }
    // The intermediate child exits at once; reaping it leaves no zombie.
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

std::unique_ptr<IEditorLauncher> CreateSystemEditorLauncher() {
    return std::make_unique<PosixEditorLauncher>(PosixEditorLauncher::DefaultSearchPath(),
                                                 PosixEditorLauncher::DefaultEditors());
}

}  // namespace quillane
