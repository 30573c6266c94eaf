// File steps on POSIX: plain descriptors, mkstemp beside the target, fsync
// of the file and of its folder, rename for the one-step replace.
#include "FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <system_error>

namespace quillane {
namespace {

// Owns a descriptor.
class Fd {
public:
    explicit Fd(int fd = -1) : FFd(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return FFd; }
    bool Valid() const { return FFd >= 0; }
    int Release()
    {
        const int fd = FFd;
        FFd = -1;
        return fd;
    }
    void Reset()
    {
        if (FFd >= 0) ::close(FFd);
        FFd = -1;
    }

private:
    int FFd;
};

class PosixWritableFile : public IWritableFile {
public:
    explicit PosixWritableFile(int fd) : FFd(fd) {}

    FileError Write(const char* data, std::size_t size) override
    {
        while (size > 0) {
            const ssize_t n = ::write(FFd.Get(), data, size);
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            data += n;
            size -= static_cast<std::size_t>(n);
            FWritten += static_cast<std::uint64_t>(n);
        }
        StartWriteback();
        return 0;
    }

    FileError Flush() override { return ::fsync(FFd.Get()) == 0 ? 0 : errno; }

    FileError Close() override
    {
        if (!FFd.Valid()) return 0;
        return ::close(FFd.Release()) == 0 ? 0 : errno;
    }

private:
    // Hands each finished stretch of the file to the disk while the rest is
    // still being produced, so that the flush at the end waits for little.
    // Only a hint: durability still comes from Flush.
    void StartWriteback()
    {
#ifdef __linux__
        constexpr std::uint64_t stretch = std::uint64_t{1} << 20;
        if (FWritten - FSubmitted < stretch) return;
        ::sync_file_range(FFd.Get(), static_cast<off_t>(FSubmitted), static_cast<off_t>(FWritten - FSubmitted),
                          SYNC_FILE_RANGE_WRITE);
        FSubmitted = FWritten;
#endif
    }

    Fd FFd;
    std::uint64_t FWritten = 0;
    std::uint64_t FSubmitted = 0;
};

// Opens `path` for reading when it is a regular file. Non-blocking, so that
// a FIFO cannot hang the open; `size` gets the size it has now.
int OpenRegular(const std::string& path, std::size_t& size, FileError& error)
{
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0) {
        error = errno;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? EISDIR : NotARegularFile;
        return -1;
    }
    size = static_cast<std::size_t>(st.st_size);
    return fd.Release();
}

class PosixReadableFile : public IReadableFile {
public:
    PosixReadableFile(int fd, std::size_t size) : FFd(fd), FSize(size) {}

    std::size_t SizeHint() const override { return FSize; }

    FileError Read(char* data, std::size_t size, std::size_t& got) override
    {
        for (;;) {
            const ssize_t n = ::read(FFd.Get(), data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return errno;
            got = static_cast<std::size_t>(n);
            return 0;
        }
    }

private:
    Fd FFd;
    std::size_t FSize;
};

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

class PosixFileOps : public IFileOps {
public:
    std::unique_ptr<IReadableFile> OpenRead(const std::string& path, FileError& error) override
    {
        std::size_t size = 0;
        const int fd = OpenRegular(path, size, error);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixReadableFile>(fd, size);
    }

    FileError ResolveTarget(const std::string& path, std::string& target) override
    {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return errno;
        if (!S_ISLNK(st.st_mode)) {
            target = path;
            return 0;
        }
        char resolved[PATH_MAX];
        if (!::realpath(path.c_str(), resolved)) return errno;
        target = resolved;
        return 0;
    }

    std::unique_ptr<IWritableFile> CreateTempBeside(const std::string& target, std::string& tempPath,
                                                    FileError& error) override
    {
        struct stat st {};
        // The rename that follows asks only the folder; a file the user may
        // not write is to stay as it is, as if it had been opened for writing.
        if (::stat(target.c_str(), &st) != 0 || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            error = errno;
            return nullptr;
        }
        const std::string folder = FolderOf(target);
        const std::string name = target.substr(target.find_last_of('/') + 1);
        std::string pattern = folder + "/." + name + ".XXXXXX";
        Fd fd(::mkostemp(pattern.data(), O_CLOEXEC));
        if (!fd.Valid()) {
            error = errno;
            return nullptr;
        }
        tempPath = pattern;
        // Owner first: changing it may clear set-id bits, which fchmod restores.
        // Only root may give the file away; elsewhere it stays the user's.
        if (::fchown(fd.Get(), st.st_uid, st.st_gid) != 0) {
            // Keeping the owner is a courtesy; the mode below is the rule.
        }
        if (::fchmod(fd.Get(), st.st_mode & 07777) != 0) {
            error = errno;
            fd.Reset();
            ::unlink(tempPath.c_str());
            return nullptr;
        }
        return std::make_unique<PosixWritableFile>(fd.Release());
    }

    FileError Replace(const std::string& tempPath, const std::string& target) override
    {
        return ::rename(tempPath.c_str(), target.c_str()) == 0 ? 0 : errno;
    }

    void SyncFolderOf(const std::string& target) override
    {
        Fd dir(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.Valid()) ::fsync(dir.Get());
    }

    void Remove(const std::string& tempPath) override
    {
        if (!tempPath.empty()) ::unlink(tempPath.c_str());
    }
};

}  // namespace

std::string FileErrorText(FileError error)
{
    if (error == NotARegularFile) return "通常のファイルではありません";
    // The C library's words, in the language of the user's locale.
    return std::generic_category().message(error);
}

std::string_view NativeLineBreak()
{
    return "\n";
}

FileError OutOfMemoryError()
{
    return ENOMEM;
}

IFileOps& SystemFileOps()
{
    static PosixFileOps ops;
    return ops;
}

}  // namespace quillane
