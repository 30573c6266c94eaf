#include "EditorLauncher_posix.h"

#include "Translation.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
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

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string Trim(const std::string& s) {
    const std::size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return std::string();
    return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

// The keys of one [group] of a desktop-entry style file (later duplicates
// ignored). Localised keys such as Name[ja] are kept under their full name.
std::vector<std::pair<std::string, std::string>> ReadGroup(const std::string& file, const std::string& group) {
    std::vector<std::pair<std::string, std::string>> keys;
    std::ifstream in(file);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inGroup = line == "[" + group + "]";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inGroup || eq == std::string::npos) continue;
        keys.emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
    return keys;
}

std::string Lookup(const std::vector<std::pair<std::string, std::string>>& keys, const std::string& name) {
    for (const auto& kv : keys)
        if (kv.first == name) return kv.second;
    return std::string();
}

// The escapes of a desktop-entry string value.
std::string UnescapeValue(const std::string& v) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        const char c = v[++i];
        out += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return (v && *v) ? std::string(v) : fallback;
}

}  // namespace

PosixEditorLauncher::PosixEditorLauncher(std::vector<std::string> searchPath, std::vector<std::string> editors,
                                         DesktopDirs desktop)
    : FSearchPath(std::move(searchPath)), FEditors(std::move(editors)), FDesktop(std::move(desktop)) {}

std::vector<std::string> PosixEditorLauncher::DefaultSearchPath() {
    return SplitList(EnvOr("PATH", "/usr/local/bin:/usr/bin:/bin"), ':');
}

std::vector<std::string> PosixEditorLauncher::DefaultEditors() {
    return {"gnome-text-editor", "gedit",   "kwrite", "kate", "mousepad", "pluma", "xed",
            "featherpad",        "leafpad", "geany",  "xedit"};
}

DesktopDirs PosixEditorLauncher::DefaultDesktopDirs() {
    const std::string home = EnvOr("HOME", "");
    DesktopDirs dirs;
    const std::string configHome = EnvOr("XDG_CONFIG_HOME", home.empty() ? "" : home + "/.config");
    const std::string dataHome = EnvOr("XDG_DATA_HOME", home.empty() ? "" : home + "/.local/share");
    if (!configHome.empty()) dirs.ConfigDirs.push_back(configHome);
    for (const std::string& d : SplitList(EnvOr("XDG_CONFIG_DIRS", "/etc/xdg"), ':')) dirs.ConfigDirs.push_back(d);
    if (!dataHome.empty()) dirs.DataDirs.push_back(dataHome);
    for (const std::string& d : SplitList(EnvOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), ':'))
        dirs.DataDirs.push_back(d);
    return dirs;
}

std::vector<std::string> PosixEditorLauncher::ExpandExec(const std::string& rawExec, const std::string& path) {
    const std::string exec = UnescapeValue(rawExec);
    std::vector<std::string> args;
    std::string current;
    // inArg: something was seen; keep: the argument is more than field
    // codes that expand to nothing, which vanish with their argument.
    bool inArg = false, keep = false, quoted = false, usedPath = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size()) {
                current += exec[++i];
            } else {
                current += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t') {
            if (inArg && keep) args.push_back(current);
            current.clear();
            inArg = keep = false;
            continue;
        }
        inArg = true;
        if (c == '"') {
            quoted = keep = true;
        } else if (c == '%' && i + 1 < exec.size()) {
            const char code = exec[++i];
            if (code == '%') {
                current += '%';
                keep = true;
            } else if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
                // The path goes in as one argument, never re-split.
                current += path;
                usedPath = keep = true;
            }
            // Other field codes (icon, name, location, deprecated ones)
            // expand to nothing.
        } else {
            current += c;
            keep = true;
        }
    }
    if (quoted) return {};
    if (inArg && keep) args.push_back(current);
    if (args.empty()) return {};
    if (!usedPath) args.push_back(path);
    return args;
}

std::string PosixEditorLauncher::FindProgram(const std::string& name) const {
    if (name.empty()) return std::string();
    if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
    for (const std::string& dir : FSearchPath) {
        // An empty or relative entry would mean the current folder: never
        // start a program just because it lies where the user happens to be.
        if (dir.empty() || dir[0] != '/') continue;
        const std::string candidate = dir + (dir.back() == '/' ? "" : "/") + name;
        if (IsExecutableFile(candidate)) return candidate;
    }
    return std::string();
}

std::string PosixEditorLauncher::FindEditor() const {
    for (const std::string& editor : FEditors) {
        const std::string found = FindProgram(editor);
        if (!found.empty()) return found;
    }
    return std::string();
}

std::vector<std::string> PosixEditorLauncher::DesktopDefaultCommand(const std::string& path) const {
    std::vector<std::string> lists;
    for (const std::string& d : FDesktop.ConfigDirs)
        if (!d.empty()) lists.push_back(d + "/mimeapps.list");
    for (const std::string& d : FDesktop.DataDirs)
        if (!d.empty()) lists.push_back(d + "/applications/mimeapps.list");
    for (const std::string& list : lists) {
        for (const std::string& id : SplitList(Lookup(ReadGroup(list, "Default Applications"), "text/plain"), ';')) {
            if (id.empty() || id.find('/') != std::string::npos) continue;
            for (const std::string& d : FDesktop.DataDirs) {
                if (d.empty()) continue;
                const std::string file = d + "/applications/" + id;
                if (access(file.c_str(), R_OK) != 0) continue;
                const auto entry = ReadGroup(file, "Desktop Entry");
                // A terminal program (vi and the like) cannot run detached
                // from a terminal; a hidden entry is deleted.
                if (Lookup(entry, "Hidden") == "true" || Lookup(entry, "Terminal") == "true") break;
                std::vector<std::string> args = ExpandExec(Lookup(entry, "Exec"), path);
                if (args.empty()) break;
                args[0] = FindProgram(args[0]);
                if (args[0].empty()) break;
                return args;
            }
        }
    }
    return {};
}

std::vector<std::vector<std::string>> PosixEditorLauncher::CommandsFor(const std::string& pathUtf8) const {
    if (pathUtf8.find('\0') != std::string::npos) return {};
    // A name starting with '-' would be read as an option; "./" keeps it the
    // same file.
    const std::string path = (!pathUtf8.empty() && pathUtf8[0] == '-') ? "./" + pathUtf8 : pathUtf8;
    std::vector<std::vector<std::string>> commands;
    std::vector<std::string> desktop = DesktopDefaultCommand(path);
    if (!desktop.empty()) commands.push_back(std::move(desktop));
    for (const std::string& editor : FEditors) {
        const std::string found = FindProgram(editor);
        if (!found.empty() && (commands.empty() || commands.front()[0] != found)) commands.push_back({found, path});
    }
    return commands;
}

std::vector<std::string> PosixEditorLauncher::CommandFor(const std::string& pathUtf8) const {
    const std::vector<std::vector<std::string>> commands = CommandsFor(pathUtf8);
    return commands.empty() ? std::vector<std::string>() : commands.front();
}

namespace {

// Starts `command` detached; 0 once the program runs, else why it did not
// (an errno value). The program's own exit is not waited for.
int StartDetached(std::vector<std::string> command) {
    std::vector<char*> argv;
    for (std::string& a : command) argv.push_back(&a[0]);
    argv.push_back(nullptr);

    // The failed exec reports its errno through a pipe that a successful one
    // closes (close-on-exec), so the parent learns which it was.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return errno;

    // Everything the children need is prepared above: between fork and exec
    // only async-signal-safe calls are allowed.
    const pid_t child = fork();
    if (child < 0) {
        const int error = errno;
        close(report[0]);
        close(report[1]);
        return error;
    }
    if (child == 0) {
        close(report[0]);
        // New session: a Ctrl+C in our terminal or the end of our process
        // group does not take the editor with it.
        setsid();
        const pid_t editor = fork();
        if (editor < 0) {
            const int error = errno;
            (void)!write(report[1], &error, sizeof error);
            _exit(127);
        }
        if (editor != 0) _exit(0);  // the editor is handed to init
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0 && devNull != STDIN_FILENO) {
            dup2(devNull, STDIN_FILENO);
            close(devNull);
        }
        execv(argv[0], argv.data());
        const int error = errno;
        (void)!write(report[1], &error, sizeof error);
        _exit(127);
    }
    close(report[1]);
    int error = 0;
    ssize_t got;
    while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {}
    close(report[0]);
    // The intermediate child exits at once; reaping it leaves no zombie.
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

}  // namespace

void PosixEditorLauncher::OpenAsText(const std::string& pathUtf8) {
    const std::vector<std::vector<std::string>> commands = CommandsFor(pathUtf8);
    if (commands.empty()) {
        std::string names;
        for (const std::string& e : FEditors) names += (names.empty() ? "" : ", ") + e;
        throw EEditorLaunchError(Arg(Translate("quillane::EditorLauncher",
                                               "ﾃｷｽﾄｴﾃﾞｨﾀが見つかりません。ﾃﾞｽｸﾄｯﾌﾟの text/plain の既定のｱﾌﾟﾘｹｰｼｮﾝと、"
                                               "次のﾌﾟﾛｸﾞﾗﾑを探しました: %1"),
                                     {names}));
    }
    std::string tried;
    for (const std::vector<std::string>& command : commands) {
        const int error = StartDetached(command);
        if (error == 0) return;
        tried += "\n" + command[0] + " (" + std::strerror(error) + ")";
    }
    throw EEditorLaunchError(
        Arg(Translate("quillane::EditorLauncher", "ﾃｷｽﾄｴﾃﾞｨﾀを起動できません。試したﾌﾟﾛｸﾞﾗﾑ:%1"), {tried}));
}

std::unique_ptr<IEditorLauncher> CreateSystemEditorLauncher() {
    return std::make_unique<PosixEditorLauncher>(PosixEditorLauncher::DefaultSearchPath(),
                                                 PosixEditorLauncher::DefaultEditors(),
                                                 PosixEditorLauncher::DefaultDesktopDirs());
}

std::unique_ptr<IEditorLauncher> CreateEditorLauncher(const std::string& program) {
    return std::make_unique<PosixEditorLauncher>(PosixEditorLauncher::DefaultSearchPath(),
                                                 std::vector<std::string>{program}, DesktopDirs());
}

}  // namespace quillane
