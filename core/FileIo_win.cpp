// File steps on Windows: UTF-8 paths become UTF-16 at this edge; the new
// file is written beside the old one under a temporary name, flushed with
// FlushFileBuffers and put in place with ReplaceFileW, which keeps the old
// file's attributes, security and named streams. A running save holds its
// file open without delete sharing, which keeps the clean-up of the files
// of killed saves away from it.
#include "FileIo.h"
#include "Translation.h"
#include "UniqueHandle.h"
#include "WideText_win.h"

#include <windows.h>
#include <shlobj.h>

#include <random>
#include <string>

namespace quillane {
namespace {

FileError LastError() {
    return static_cast<FileError>(GetLastError());
}

// The wide form of a UTF-8 path; the cause in `error` when there is none.
bool WidePath(const std::string& path, std::wstring& wide, FileError& error) {
    if (path.empty()) {
        error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    if (Utf8ToWide(path, wide)) return true;
    error = ERROR_NO_UNICODE_TRANSLATION;
    return false;
}

// The UTF-8 form of a path the system answered; a name that UTF-8 cannot
// hold (an unpaired surrogate) is an error, not a near miss.
bool Utf8Path(const std::wstring& wide, std::string& path, FileError& error) {
    if (WideToUtf8(wide, path)) return true;
    error = ERROR_NO_UNICODE_TRANSLATION;
    return false;
}

template <class Base>
class WinFile : public Base {
public:
    explicit WinFile(FileHandle h) : FH(std::move(h)) {}

    FileError Write(const char* data, std::size_t size) override {
        while (size > 0) {
            const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(FH.get(), data, chunk, &written, nullptr)) return LastError();
            if (written == 0) return ERROR_WRITE_FAULT;
            data += written;
            size -= written;
        }
        return 0;
    }

    FileError Flush() override { return FlushFileBuffers(FH.get()) ? 0 : LastError(); }

    FileError Close() override {
        if (!FH) return 0;
        return CloseHandle(FH.release()) ? 0 : LastError();
    }

protected:
    FileHandle FH;
};

using WinWritableFile = WinFile<IWritableFile>;

class WinInPlaceFile : public WinFile<IInPlaceFile> {
public:
    using WinFile::WinFile;

    FileError Rewind() override {
        const LARGE_INTEGER start{};
        return SetFilePointerEx(FH.get(), start, nullptr, FILE_BEGIN) ? 0 : LastError();
    }

    FileError Flush() override {
        if (!SetEndOfFile(FH.get()) || !FlushFileBuffers(FH.get())) return LastError();
        return 0;
    }
};

class WinReadableFile : public IReadableFile {
public:
    WinReadableFile(FileHandle h, std::size_t size) : FH(std::move(h)), FSize(size) {}

    std::size_t SizeHint() const override { return FSize; }

    FileError Read(char* data, std::size_t size, std::size_t& got) override {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD n = 0;
        if (!ReadFile(FH.get(), data, chunk, &n, nullptr)) return LastError();
        got = n;
        return 0;
    }

private:
    FileHandle FH;
    std::size_t FSize;
};

std::wstring FolderOf(const std::wstring& path) {
    const auto sep = path.find_last_of(L"\\/");
    if (sep == std::wstring::npos) return L".";
    // Keep the separator of a drive root ("C:\"), drop it elsewhere.
    if (sep == 0 || (sep == 2 && path[1] == L':')) return path.substr(0, sep + 1);
    return path.substr(0, sep);
}

std::wstring NameOf(const std::wstring& path) {
    const auto sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

std::wstring InFolder(const std::wstring& folder, const std::wstring& name) {
    const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return separated ? folder + name : folder + L"\\" + name;
}

// Temporary names: fixed length, so any name of a file fits beside it, and
// of a form no user gives a file.
constexpr wchar_t TempPrefix[] = L".quillane-";
constexpr wchar_t TempSuffix[] = L".tmp";
constexpr std::size_t TempRandom = 8;
constexpr wchar_t TempChars[] = L"abcdefghijklmnopqrstuvwxyz0123456789";

std::wstring RandomChars(std::size_t count) {
    static thread_local std::mt19937 rng(std::random_device{}() ^ GetCurrentProcessId() ^ GetTickCount());
    std::wstring chars;
    for (std::size_t i = 0; i < count; ++i) chars += TempChars[rng() % (sizeof TempChars / sizeof TempChars[0] - 1)];
    return chars;
}

bool IsTempName(const std::wstring& name) {
    const std::wstring prefix(TempPrefix), suffix(TempSuffix);
    if (name.size() != prefix.size() + TempRandom + suffix.size()) return false;
    if (name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    return name.substr(prefix.size(), TempRandom).find_first_not_of(TempChars) == std::wstring::npos;
}

// Removes the temporary files that saves which were killed left in
// `folder`. A running save's file is open without delete sharing, so it
// cannot be removed; the minute covers the moment between its close and the
// replace.
void RemoveStaleTemps(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    const FindHandle find(FindFirstFileW(InFolder(folder, std::wstring(TempPrefix) + L"*").c_str(), &found));
    if (!find) return;
    FILETIME nowFt{};
    GetSystemTimeAsFileTime(&nowFt);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    constexpr ULONGLONG minute = 60ull * 10000000ull;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsTempName(found.cFileName)) continue;
        if (ticks(nowFt) - ticks(found.ftLastWriteTime) < minute) continue;
        DeleteFileW(InFolder(folder, found.cFileName).c_str());
    } while (FindNextFileW(find.get(), &found));
}

class WinTempFile : public WinFile<ITempFile> {
public:
    WinTempFile(FileHandle h, std::wstring path, std::wstring target)
        : WinFile(std::move(h)), FPath(std::move(path)), FTarget(std::move(target)) {}
    ~WinTempFile() override {
        FH.reset();
        if (!FPath.empty()) DeleteFileW(FPath.c_str());
    }

    FileError Commit() override {
        // Closed first: ReplaceFileW opens the file itself.
        if (const FileError error = Close()) return error;
        // With a backup name, every failure of ReplaceFileW leaves a way
        // back: either both files keep their names, or the old one sits
        // under the backup name and is moved back.
        const std::wstring backup = FPath + L".old";
        if (ReplaceFileW(FTarget.c_str(), FPath.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                         nullptr)) {
            DeleteFileW(backup.c_str());
            FPath.clear();
            return 0;
        }
        const DWORD err = GetLastError();
        if (err == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            MoveFileExW(backup.c_str(), FTarget.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            return static_cast<FileError>(err);
        }
        if (err == ERROR_UNABLE_TO_REMOVE_REPLACED || err == ERROR_UNABLE_TO_MOVE_REPLACEMENT)
            return static_cast<FileError>(err);
        // Other failures (file systems without ReplaceFileW support, for
        // one) leave the target untouched: a write-through move is the
        // fallback.
        if (!MoveFileExW(FPath.c_str(), FTarget.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return LastError();
        FPath.clear();
        return 0;
    }

private:
    std::wstring FPath;
    std::wstring FTarget;
};

class WinFileOps : public IFileOps {
public:
    std::unique_ptr<IReadableFile> OpenRead(const std::string& path, FileError& error) override {
        std::wstring w;
        if (!WidePath(path, w, error)) return nullptr;
        FileHandle h(CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) {
            error = LastError();
            return nullptr;
        }
        LARGE_INTEGER size{};
        if (GetFileType(h.get()) != FILE_TYPE_DISK) {
            error = NotARegularFile;
            return nullptr;
        }
        if (!GetFileSizeEx(h.get(), &size)) {
            error = LastError();
            return nullptr;
        }
        return std::make_unique<WinReadableFile>(std::move(h), static_cast<std::size_t>(size.QuadPart));
    }
    FileError ResolveTarget(const std::string& path, std::string& target) override {
        std::wstring w;
        FileError error = 0;
        if (!WidePath(path, w, error)) return error;
        const DWORD attrs = GetFileAttributesW(w.c_str());
        if (attrs == INVALID_FILE_ATTRIBUTES) return LastError();
        if (!(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
            target = path;
            return 0;
        }
        // A link: replace what it points to, so the link itself stays.
        FileHandle h(CreateFileW(w.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) return LastError();
        std::wstring final(MAX_PATH, L'\0');
        DWORD n = GetFinalPathNameByHandleW(h.get(), final.data(), static_cast<DWORD>(final.size()), 0);
        if (n >= final.size()) {
            final.resize(n + 1);
            n = GetFinalPathNameByHandleW(h.get(), final.data(), static_cast<DWORD>(final.size()), 0);
        }
        if (n == 0 || n >= final.size()) return LastError();
        final.resize(n);
        // The answer has the \\?\ prefix; plain drive paths read better and
        // work with every call used here.
        if (final.rfind(L"\\\\?\\UNC\\", 0) == 0)
            final = L"\\\\" + final.substr(8);
        else if (final.rfind(L"\\\\?\\", 0) == 0)
            final = final.substr(4);
        return Utf8Path(final, target, error) ? 0 : error;
    }

    std::unique_ptr<ITempFile> CreateTempBeside(const std::string& target, FileError& error) override {
        std::wstring w;
        if (!WidePath(target, w, error)) return nullptr;
        // A replace would split a hard link off: such a file is rewritten.
        FileHandle old(CreateFileW(w.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!old || !GetFileInformationByHandle(old.get(), &info)) {
            error = LastError();
            return nullptr;
        }
        // A read-only file is not to be written. Windows refuses to replace
        // it, but not every implementation of ReplaceFileW does (Wine
        // replaces it and drops the flag), so the rule is kept here.
        if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
            error = ERROR_ACCESS_DENIED;
            return nullptr;
        }
        if (info.nNumberOfLinks > 1) {
            error = NeedsRewriteInPlace;
            return nullptr;
        }
        const std::wstring folder = FolderOf(w);
        RemoveStaleTemps(folder);
        // CREATE_NEW with a name of our own instead of GetTempFileNameW:
        // nothing exists on disk until we own it, and no other process may
        // open or remove it while it is written.
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            std::wstring path = InFolder(folder, TempPrefix + RandomChars(TempRandom) + TempSuffix);
            FileHandle h(
                CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (h) return std::make_unique<WinTempFile>(std::move(h), std::move(path), w);
            error = LastError();
            // A folder that takes no new file, around a file that may be written.
            if (error == ERROR_ACCESS_DENIED) error = NeedsRewriteInPlace;
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return nullptr;
        }
        return nullptr;
    }

    std::unique_ptr<IInPlaceFile> OpenInPlace(const std::string& target, FileError& error) override {
        std::wstring w;
        if (!WidePath(target, w, error)) return nullptr;
        FileHandle h(CreateFileW(w.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) {
            error = LastError();
            return nullptr;
        }
        return std::make_unique<WinInPlaceFile>(std::move(h));
    }

    std::unique_ptr<IWritableFile> CreateBackup(const std::string& target, std::string& backupPath,
                                                FileError& error) override {
        // The user's local application data, which does not roam.
        wchar_t local[MAX_PATH] = {};
        const HRESULT hr = SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, local);
        if (FAILED(hr)) {
            error = HRESULT_CODE(hr);
            return nullptr;
        }
        const std::wstring folder = InFolder(local, L"Quillane");
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            error = LastError();
            return nullptr;
        }
        std::wstring wideTarget;
        if (!WidePath(target, wideTarget, error)) return nullptr;
        // The file's own name, cut to leave room, tells the user whose copy
        // it is; the cut keeps a surrogate pair whole.
        std::wstring name = NameOf(wideTarget);
        if (name.size() > 100) name.resize(IS_HIGH_SURROGATE(name[99]) ? 99 : 100);
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            const std::wstring path = InFolder(folder, name + L"." + RandomChars(TempRandom) + L".bak");
            if (!Utf8Path(path, backupPath, error)) return nullptr;
            FileHandle h(
                CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (h) return std::make_unique<WinWritableFile>(std::move(h));
            backupPath.clear();
            error = LastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return nullptr;
        }
        return nullptr;
    }

    void Remove(const std::string& path) override {
        std::wstring w;
        if (!path.empty() && Utf8ToWide(path, w)) DeleteFileW(w.c_str());
    }
};

}  // namespace

std::string FileErrorText(FileError error) {
    if (error == NotARegularFile) return Translate("quillane::FileIo", "通常のファイルではありません");
    // The system's words in the user's language.
    const std::string text = SystemErrorText(static_cast<unsigned long>(error));
    if (text.empty())
        return Arg(Translate("quillane::FileIo", "エラー %1"), {std::to_string(static_cast<unsigned long>(error))});
    return text;
}

FileError OutOfMemoryError() {
    return ERROR_NOT_ENOUGH_MEMORY;
}

std::string_view NativeLineBreak() {
    return "\r\n";
}

IFileOps& SystemFileOps() {
    static WinFileOps ops;
    return ops;
}

}  // namespace quillane
