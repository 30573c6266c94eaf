#include "InitFileCandidates.h"
#include "InitFilePlatform.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace quillane {
namespace initfiles {

const std::vector<BaseFolder>& UserBaseFolders() {
    // ~/.Wolfram from 14.1 on, ~/.Mathematica before, ~/.WolframEngine for
    // the free engine.
    static const std::vector<BaseFolder> folders{{".Wolfram", "WOLFRAM_USERBASE", true},
                                                 {".Mathematica", "MATHEMATICA_USERBASE", false},
                                                 {".WolframEngine", nullptr, false}};
    return folders;
}

const char PathSeparator = '/';

bool IsSeparator(char c) {
    return c == '/';
}

std::string PathKey(const std::string& path) {
    return path;
}

}  // namespace initfiles

namespace {

// The folder `path` lies in: "/" for a top-level name, "." for a bare name.
std::string Parent(const std::string& path) {
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') --end;
    const std::size_t cut = path.rfind('/', end - 1);
    if (cut == std::string::npos) return ".";
    std::size_t keep = cut;
    while (keep > 0 && path[keep - 1] == '/') --keep;
    return keep == 0 ? "/" : path.substr(0, keep);
}

// Effective ids: what the process may do, not what its real user may.
bool MayAccess(const std::string& path, int mode) {
    return ::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0;
}

// Nothing at all there: a dangling link is something, and cannot be made.
bool IsAbsent(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}

}  // namespace

KernelEnvironment SystemKernelEnvironment() {
    KernelEnvironment environment;
    for (const char* name : {"WOLFRAM_USERBASE", "MATHEMATICA_USERBASE", "WOLFRAM_BASE", "MATHEMATICA_BASE"}) {
        const char* value = std::getenv(name);
        if (value && *value) environment.Variables[name] = value;
    }
    const char* home = std::getenv("HOME");
    if (home && *home) {
        environment.UserDataFolder = home;
    } else {
        // No HOME (a service, a stripped environment): the account's own.
        std::vector<char> buffer(16384);
        passwd entry{};
        passwd* found = nullptr;
        if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
            environment.UserDataFolder = found->pw_dir;
    }
    environment.SharedDataFolder = "/usr/share";
    return environment;
}

InitFileAccess ProbeInitFile(const std::string& pathUtf8) {
    InitFileAccess access;
    if (pathUtf8.empty()) return access;
    struct stat st;
    if (::stat(pathUtf8.c_str(), &st) == 0) {
        access.Exists = true;
        access.Writable = !S_ISDIR(st.st_mode) && MayAccess(pathUtf8, W_OK);
        return access;
    }
    // Not there, or not reachable (a folder in the way that may not be
    // searched, a file where a folder should be): only a plain absence can
    // be mended by creating it. The nearest folder that exists must let this
    // user add entries; every folder below it is then made by this user.
    for (std::string path = pathUtf8; IsAbsent(path);) {
        path = Parent(path);
        if (::stat(path.c_str(), &st) == 0) {
            access.Writable = S_ISDIR(st.st_mode) && MayAccess(path, W_OK | X_OK);
            break;
        }
    }
    return access;
}

}  // namespace quillane
