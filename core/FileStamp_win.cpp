// File stamps on Windows: one handle for the identity
// (GetFileInformationByHandle) and the bytes, so both describe the same file.
#include "FileStamp.h"
#include "UniqueHandle.h"
#include "WideText_win.h"

#include <windows.h>

namespace quillane {

FileStamp StampFile(const std::string& pathUtf8) {
    FileStamp stamp;
    std::wstring path;
    if (pathUtf8.empty() || !Utf8ToWide(pathUtf8, path)) return stamp;
    // Others may go on reading, writing and replacing the file meanwhile.
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return stamp;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return stamp;
    ContentHasher hash;
    std::uint64_t size = 0;
    char buffer[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return stamp;
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
