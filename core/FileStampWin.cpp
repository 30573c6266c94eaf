// File stamps on Windows: one handle for the identity
// (GetFileInformationByHandle) and the bytes, so both describe the same file.
#include "FileStamp.h"

#include <windows.h>

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

// Owns a file handle.
class Handle {
public:
    explicit Handle(HANDLE h) : FH(h) {}
    ~Handle()
    {
        if (Valid()) CloseHandle(FH);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return FH; }
    bool Valid() const { return FH != INVALID_HANDLE_VALUE && FH != nullptr; }

private:
    HANDLE FH;
};

}  // namespace

FileStamp StampFile(const std::string& pathUtf8)
{
    FileStamp stamp;
    const std::wstring path = Wide(pathUtf8);
    if (path.empty()) return stamp;
    // Others may go on reading, writing and replacing the file meanwhile.
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return stamp;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.Get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return stamp;
    ContentHasher hash;
    std::uint64_t size = 0;
    char buffer[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) return stamp;
        if (got == 0) break;
        hash.Add(buffer, got);
        size += got;
    }
    stamp.Readable = true;
    stamp.Volume = info.dwVolumeSerialNumber;
    stamp.FileId = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.Size = size;
    // 100-nanosecond ticks since 1601.
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    stamp.ModifiedNs = static_cast<std::int64_t>(ticks) * 100;
    stamp.ContentHash = hash.Value();
    return stamp;
}

}  // namespace quillane
