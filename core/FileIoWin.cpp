// File steps on Windows: UTF-8 paths become UTF-16 at this edge; the
// temporary file is flushed with FlushFileBuffers and put in place with
// ReplaceFileW, which keeps the old file's attributes and security.
#include "FileIo.h"

#include <windows.h>

#include <string>

namespace quillane {
namespace {

std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

std::string Utf8(const std::wstring& wide)
{
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, nullptr, nullptr);
    return s;
}

FileError LastError()
{
    return static_cast<FileError>(GetLastError());
}

// Owns a file handle.
class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : FH(h) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return FH; }
    bool Valid() const { return FH != INVALID_HANDLE_VALUE && FH != nullptr; }
    HANDLE Release()
    {
        HANDLE h = FH;
        FH = INVALID_HANDLE_VALUE;
        return h;
    }
    void Reset()
    {
        if (Valid()) CloseHandle(FH);
        FH = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE FH;
};

class WinWritableFile : public IWritableFile {
public:
    explicit WinWritableFile(HANDLE h) : FH(h) {}

    FileError Write(const char* data, std::size_t size) override
    {
        while (size > 0) {
            const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(FH.Get(), data, chunk, &written, nullptr)) return LastError();
            if (written == 0) return ERROR_WRITE_FAULT;
            data += written;
            size -= written;
        }
        return 0;
    }

    FileError Flush() override { return FlushFileBuffers(FH.Get()) ? 0 : LastError(); }

    FileError Close() override
    {
        if (!FH.Valid()) return 0;
        return CloseHandle(FH.Release()) ? 0 : LastError();
    }

private:
    Handle FH;
};

class WinReadableFile : public IReadableFile {
public:
    WinReadableFile(HANDLE h, std::size_t size) : FH(h), FSize(size) {}

    std::size_t SizeHint() const override { return FSize; }

    FileError Read(char* data, std::size_t size, std::size_t& got) override
    {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD n = 0;
        if (!ReadFile(FH.Get(), data, chunk, &n, nullptr)) return LastError();
        got = n;
        return 0;
    }

private:
    Handle FH;
    std::size_t FSize;
};

std::wstring FolderOf(const std::wstring& path)
{
    const auto sep = path.find_last_of(L"\\/");
    if (sep == std::wstring::npos) return L".";
    // Keep the separator of a drive root ("C:\"), drop it elsewhere.
    if (sep == 0 || (sep == 2 && path[1] == L':')) return path.substr(0, sep + 1);
    return path.substr(0, sep);
}

class WinFileOps : public IFileOps {
public:
    std::unique_ptr<IReadableFile> OpenRead(const std::string& path, FileError& error) override
    {
        const std::wstring w = Wide(path);
        if (w.empty()) {
            error = path.empty() ? ERROR_PATH_NOT_FOUND : ERROR_NO_UNICODE_TRANSLATION;
            return nullptr;
        }
        Handle h(CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.Valid()) {
            error = LastError();
            return nullptr;
        }
        LARGE_INTEGER size{};
        if (GetFileType(h.Get()) != FILE_TYPE_DISK) {
            error = NotARegularFile;
            return nullptr;
        }
        if (!GetFileSizeEx(h.Get(), &size)) {
            error = LastError();
            return nullptr;
        }
        return std::make_unique<WinReadableFile>(h.Release(), static_cast<std::size_t>(size.QuadPart));
    }

    FileError ResolveTarget(const std::string& path, std::string& target) override
    {
        const std::wstring w = Wide(path);
        if (w.empty()) return path.empty() ? ERROR_PATH_NOT_FOUND : ERROR_NO_UNICODE_TRANSLATION;
        const DWORD attrs = GetFileAttributesW(w.c_str());
        if (attrs == INVALID_FILE_ATTRIBUTES) return LastError();
        if (!(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
            target = path;
            return 0;
        }
        // A link: replace what it points to, so the link itself stays.
        Handle h(CreateFileW(w.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.Valid()) return LastError();
        std::wstring final(MAX_PATH, L'\0');
        DWORD n = GetFinalPathNameByHandleW(h.Get(), final.data(), static_cast<DWORD>(final.size()), 0);
        if (n >= final.size()) {
            final.resize(n + 1);
            n = GetFinalPathNameByHandleW(h.Get(), final.data(), static_cast<DWORD>(final.size()), 0);
        }
        if (n == 0 || n >= final.size()) return LastError();
        final.resize(n);
        // The answer has the \\?\ prefix; plain drive paths read better and
        // work with every call used here.
        if (final.rfind(L"\\\\?\\UNC\\", 0) == 0)
            final = L"\\\\" + final.substr(8);
        else if (final.rfind(L"\\\\?\\", 0) == 0)
            final = final.substr(4);
        target = Utf8(final);
        return 0;
    }

    std::unique_ptr<IWritableFile> CreateTempBeside(const std::string& target, std::string& tempPath,
                                                    FileError& error) override
    {
        const std::wstring w = Wide(target);
        error = ERROR_NO_UNICODE_TRANSLATION;
        if (w.empty()) return nullptr;
        const std::wstring folder = FolderOf(w);
        const std::wstring name = w.substr(w.find_last_of(L"\\/") == std::wstring::npos ? 0 : w.find_last_of(L"\\/") + 1);
        // CREATE_NEW with a counter instead of GetTempFileNameW: the name says
        // whose file it is, and nothing exists on disk until we own it.
        const DWORD pid = GetCurrentProcessId();
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            std::wstring candidate = folder;
            if (candidate.back() != L'\\' && candidate.back() != L'/') candidate += L'\\';
            candidate += name + L"." + std::to_wstring(pid) + L"." + std::to_wstring(GetTickCount() + attempt) + L".tmp";
            HANDLE h = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                tempPath = Utf8(candidate);
                return std::make_unique<WinWritableFile>(h);
            }
            error = LastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return nullptr;
        }
        return nullptr;
    }

    FileError Replace(const std::string& tempPath, const std::string& target) override
    {
        const std::wstring from = Wide(tempPath);
        const std::wstring to = Wide(target);
        if (from.empty() || to.empty()) return ERROR_NO_UNICODE_TRANSLATION;
        // A read-only file is not to be written. Windows refuses to replace
        // it, but not every implementation of ReplaceFileW does (Wine
        // replaces it and drops the flag), so the rule is kept here.
        const DWORD attrs = GetFileAttributesW(to.c_str());
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
        // With a backup name, every failure of ReplaceFileW leaves a way
        // back: either both files keep their names, or the old one sits
        // under the backup name and is moved back.
        const std::wstring backup = from + L".old";
        if (ReplaceFileW(to.c_str(), from.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            DeleteFileW(backup.c_str());
            return 0;
        }
        const DWORD err = GetLastError();
        if (err == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            MoveFileExW(backup.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            return static_cast<FileError>(err);
        }
        if (err == ERROR_UNABLE_TO_REMOVE_REPLACED || err == ERROR_UNABLE_TO_MOVE_REPLACEMENT)
            return static_cast<FileError>(err);
        // Other failures (file systems without ReplaceFileW support, for
        // one) leave the target untouched: a write-through move is the
        // fallback.
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
        return LastError();
    }

    void SyncFolderOf(const std::string&) override
    {
        // ReplaceFileW and MOVEFILE_WRITE_THROUGH are durable on their own.
    }

    void Remove(const std::string& tempPath) override
    {
        const std::wstring w = Wide(tempPath);
        if (!w.empty()) DeleteFileW(w.c_str());
    }
};

}  // namespace

std::string FileErrorText(FileError error)
{
    if (error == NotARegularFile) return "通常のファイルではありません";
    // The system's words in the user's language; its messages end in a
    // full stop and a line break, of which only the break goes.
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring wide = n > 0 && text ? std::wstring(text, n) : std::wstring();
    if (text) LocalFree(text);
    while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ')) wide.pop_back();
    if (wide.empty()) return "エラー " + std::to_string(static_cast<unsigned long>(error));
    return Utf8(wide);
}

std::string_view NativeLineBreak()
{
    return "\r\n";
}

FileError OutOfMemoryError()
{
    return ERROR_NOT_ENOUGH_MEMORY;
}

IFileOps& SystemFileOps()
{
    static WinFileOps ops;
    return ops;
}

}  // namespace quillane
