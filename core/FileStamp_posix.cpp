// File stamps on POSIX: one descriptor for the identity (fstat) and the
// bytes, so both describe the same file even while it is being replaced.
#include "FileStamp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quillane {

FileStamp StampFile(const std::string& pathUtf8) {
    FileStamp stamp;
    if (pathUtf8.empty()) return stamp;
    // Non-blocking: a FIFO in the file's place must not hang the window.
    const int fd = ::open(pathUtf8.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return stamp;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ContentHasher hash;
    std::uint64_t size = 0;
    char buffer[1 << 16];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        hash.Add(buffer, static_cast<std::size_t>(n));
        size += static_cast<std::uint64_t>(n);
    }
    ::close(fd);
    if (!ok) return stamp;
    stamp.Readable = true;
    stamp.Volume = static_cast<std::uint64_t>(st.st_dev);
    stamp.FileId = static_cast<std::uint64_t>(st.st_ino);
    stamp.Size = size;
    stamp.ModifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.ContentHash = hash.Value();
    return stamp;
}

}  // namespace quillane
