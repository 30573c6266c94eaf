#include "InitFileCandidates.h"
#include "InitFilePlatform.h"
#include "UniqueHandle.h"
#include "WideText_win.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <vector>

namespace quillane {
namespace initfiles {

const std::vector<BaseFolder>& UserBaseFolders() {
    // %APPDATA%\Wolfram from 14.1 on, %APPDATA%\Mathematica before.
    static const std::vector<BaseFolder> folders{{"Wolfram", "WOLFRAM_USERBASE", true},
                                                 {"Mathematica", "MATHEMATICA_USERBASE", false}};
    return folders;
}

const char PathSeparator = '\\';

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string PathKey(const std::string& path) {
    std::string key = path;
    for (char& c : key) {
        if (c == '/') c = '\\';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

}  // namespace initfiles

namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
    CoTaskMemPtr<wchar_t> path;
    std::string utf8;
    // The shell allocates the answer, even on failure.
    if (FAILED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, path.out())) || !path) return utf8;
    WideToUtf8(path.get(), utf8);
    return utf8;
}

std::string EnvironmentVariable(const wchar_t* name) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        const DWORD n = GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::string();
        if (n < buffer.size()) {
            std::string utf8;
            return WideToUtf8(std::wstring(buffer.data(), n), utf8) ? utf8 : std::string();
        }
        buffer.resize(n);  // n counts the terminator when the buffer was too small
    }
}

// Asks for `access` on an existing file or folder without changing it: the
// system checks the rights on opening, nothing is written.
bool Grants(const std::wstring& path, DWORD access, DWORD flags) {
    const FileHandle handle(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, flags, nullptr));
    // Another program holding the file open does not take the right away.
    return handle || GetLastError() == ERROR_SHARING_VIOLATION;
}

bool IsNotFound(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The folder `path` lies in, or empty at a root ("C:\", "\\server\share").
std::wstring Parent(const std::wstring& path) {
    std::size_t end = path.size();
    while (end > 0 && (path[end - 1] == L'\\' || path[end - 1] == L'/')) --end;
    const std::size_t cut = path.find_last_of(L"\\/", end == 0 ? 0 : end - 1);
    if (cut == std::wstring::npos || end == 0) return std::wstring();
    std::size_t keep = cut;
    while (keep > 0 && (path[keep - 1] == L'\\' || path[keep - 1] == L'/')) --keep;
    if (keep == 0) return std::wstring();
    std::wstring parent = path.substr(0, keep);
    // A drive's root keeps its separator: "C:" alone is the drive's current folder.
    if (parent.size() == 2 && parent[1] == L':') parent += L'\\';
    return parent;
}

}  // namespace

KernelEnvironment SystemKernelEnvironment() {
    KernelEnvironment environment;
    for (const char* name : {"WOLFRAM_USERBASE", "MATHEMATICA_USERBASE", "WOLFRAM_BASE", "MATHEMATICA_BASE"}) {
        std::wstring wname;
        Utf8ToWide(name, wname);
        const std::string value = EnvironmentVariable(wname.c_str());
        if (!value.empty()) environment.Variables[name] = value;
    }
    environment.UserDataFolder = KnownFolder(FOLDERID_RoamingAppData);
    environment.SharedDataFolder = KnownFolder(FOLDERID_ProgramData);
    return environment;
}

InitFileAccess ProbeInitFile(const std::string& pathUtf8) {
    InitFileAccess access;
    std::wstring path;
    if (pathUtf8.empty() || !Utf8ToWide(pathUtf8, path)) return access;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        access.Exists = true;
        // The read-only attribute stops every writer, administrators too;
        // asked for first, since Wine running as root would let the open pass.
        access.Writable = !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) &&
                          Grants(path, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
        return access;
    }
    if (!IsNotFound(GetLastError())) return access;
    // The nearest folder that exists must let this user add the file, or the
    // first of the folders that are missing.
    DWORD right = FILE_ADD_FILE;
    for (std::wstring folder = Parent(path); !folder.empty(); folder = Parent(folder)) {
        const DWORD folderAttributes = GetFileAttributesW(folder.c_str());
        if (folderAttributes != INVALID_FILE_ATTRIBUTES) {
            access.Writable =
                (folderAttributes & FILE_ATTRIBUTE_DIRECTORY) && Grants(folder, right, FILE_FLAG_BACKUP_SEMANTICS);
            break;
        }
        if (!IsNotFound(GetLastError())) break;
        right = FILE_ADD_SUBDIRECTORY;
    }
    return access;
}

}  // namespace quillane
