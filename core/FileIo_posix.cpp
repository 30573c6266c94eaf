// File steps on POSIX: plain descriptors; the new file is made unnamed in the
// target's folder (O_TMPFILE) and linked in under a temporary name just
// before the rename, or made under that name where the file system cannot;
// fsync of the file and of its folder. A running save holds a lock on its
// file, which tells the files of saves that were killed from it.
#include "ExtendedAttributes_posix.h"
#include "FileIo.h"
#include "Translation.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <system_error>
#include <vector>

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
    int Release() {
        const int fd = FFd;
        FFd = -1;
        return fd;
    }
    void Reset() {
        if (FFd >= 0) ::close(FFd);
        FFd = -1;
    }

private:
    int FFd;
};

// Writing to a descriptor, in stretches that are handed to the disk while
// the rest is still being written, so that the flush at the end waits for
// little. The hint costs nothing where it does not apply; durability comes
// from Flush alone.
template <class Base>
class PosixFile : public Base {
public:
    explicit PosixFile(int fd) : FFd(fd) {}

    FileError Write(const char* data, std::size_t size) override {
        constexpr std::size_t stretch = std::size_t{1} << 20;
        while (size > 0) {
            const ssize_t n = ::write(FFd.Get(), data, std::min(size, stretch));
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            data += n;
            size -= static_cast<std::size_t>(n);
            FWritten += static_cast<std::uint64_t>(n);
            StartWriteback();
        }
        return 0;
    }

    FileError Flush() override { return ::fsync(FFd.Get()) == 0 ? 0 : errno; }

    FileError Close() override {
        if (!FFd.Valid()) return 0;
        return ::close(FFd.Release()) == 0 ? 0 : errno;
    }

protected:
    void StartWriteback() {
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

using PosixWritableFile = PosixFile<IWritableFile>;

class PosixInPlaceFile : public PosixFile<IInPlaceFile> {
public:
    using PosixFile::PosixFile;

    FileError Rewind() override {
        if (::lseek(FFd.Get(), 0, SEEK_SET) != 0) return errno;
        FWritten = FSubmitted = 0;
        return 0;
    }

    FileError Flush() override {
        if (::ftruncate(FFd.Get(), static_cast<off_t>(FWritten)) != 0) return errno;
        return ::fsync(FFd.Get()) == 0 ? 0 : errno;
    }
};

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

// Temporary names: fixed length, so any name of a file fits beside it, and
// of a form no user gives a file.
constexpr std::string_view TempPrefix = ".quillane-";
constexpr std::string_view TempSuffix = ".tmp";
constexpr std::size_t TempRandom = 8;
constexpr char TempChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";

std::string RandomChars(std::size_t count) {
    static thread_local std::mt19937 rng(std::random_device{}());
    std::string chars;
    for (std::size_t i = 0; i < count; ++i) chars += TempChars[rng() % (sizeof TempChars - 1)];
    return chars;
}

std::string RandomTempName() {
    return std::string(TempPrefix) + RandomChars(TempRandom) + std::string(TempSuffix);
}

bool IsTempName(const char* name) {
    const std::string_view n(name);
    if (n.size() != TempPrefix.size() + TempRandom + TempSuffix.size()) return false;
    if (n.substr(0, TempPrefix.size()) != TempPrefix || n.substr(n.size() - TempSuffix.size()) != TempSuffix)
        return false;
    const std::string_view random = n.substr(TempPrefix.size(), TempRandom);
    return random.find_first_not_of(TempChars) == std::string_view::npos;
}

// Removes the temporary files that saves which were killed left in
// `folder`: a running save holds a lock on its file, and a file that is
// replaced while looked at is left alone.
void RemoveStaleTemps(const std::string& folder) {
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.Valid()) return;
    DIR* stream = ::fdopendir(::dup(dir.Get()));
    if (!stream) return;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(stream)) {
        if (IsTempName(entry->d_name)) names.emplace_back(entry->d_name);
    }
    ::closedir(stream);
    for (const std::string& name : names) {
        Fd fd(::openat(dir.Get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {
        }, now{};
        if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) continue;
        if (::fstatat(dir.Get(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 || now.st_ino != st.st_ino ||
            now.st_dev != st.st_dev)
            continue;
        ::unlinkat(dir.Get(), name.c_str(), 0);
    }
}

// Creates a named temporary file in `folder`, locked. A clean-up that took
// the file between its creation and the lock shows as a lock that fails or a
// file without a name: then another name is tried.
int CreateNamedTemp(const std::string& folder, std::string& tempPath, FileError& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = folder + "/" + RandomTempName();
        Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!fd.Valid()) {
            if (errno == EEXIST) continue;
            error = errno;
            return -1;
        }
        struct stat st {};
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 || ::fstat(fd.Get(), &st) != 0 || st.st_nlink == 0) continue;
        tempPath = path;
        return fd.Release();
    }
    error = EEXIST;
    return -1;
}

void SyncFolder(const std::string& folder) {
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) ::fsync(dir.Get());
}

class PosixTempFile : public PosixFile<ITempFile> {
public:
    // `tempPath` is empty for an unnamed file.
    PosixTempFile(int fd, std::string target, std::string tempPath)
        : PosixFile(fd), FTarget(std::move(target)), FTempPath(std::move(tempPath)) {}
    ~PosixTempFile() override {
        if (!FTempPath.empty()) ::unlink(FTempPath.c_str());
    }

    int Descriptor() const { return FFd.Get(); }

    FileError Commit() override {
        const std::string folder = FolderOf(FTarget);
        if (FTempPath.empty()) {
            if (const FileError error = LinkIn(folder)) return error;
        }
        if (::rename(FTempPath.c_str(), FTarget.c_str()) != 0) return errno;
        FTempPath.clear();
        SyncFolder(folder);
        // The file was flushed before; its lock goes with it.
        Close();
        return 0;
    }

private:
    // Gives the unnamed file a temporary name beside its target.
    FileError LinkIn(const std::string& folder) {
        const std::string self = "/proc/self/fd/" + std::to_string(FFd.Get());
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string path = folder + "/" + RandomTempName();
            // Through /proc where it is mounted; a descriptor of its own
            // otherwise, which needs more rights.
            int rc = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW);
            if (rc != 0 && errno == ENOENT) rc = ::linkat(FFd.Get(), "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH);
            if (rc == 0) {
                FTempPath = std::move(path);
                return 0;
            }
            if (errno != EEXIST) return errno;
        }
        return EEXIST;
    }

    std::string FTarget;
    std::string FTempPath;
};

// Opens `path` for reading when it is a regular file. Non-blocking, so that
// a FIFO cannot hang the open; `size` gets the size it has now.
int OpenRegular(const std::string& path, std::size_t& size, FileError& error) {
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

    FileError Read(char* data, std::size_t size, std::size_t& got) override {
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

// The user's cache folder: XDG_CACHE_HOME, else .cache in the home folder.
std::string CacheFolder() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.cache";
    const passwd* pw = ::getpwuid(::getuid());
    return pw && pw->pw_dir ? std::string(pw->pw_dir) + "/.cache" : std::string();
}

class PosixFileOps : public IFileOps {
public:
    std::unique_ptr<IReadableFile> OpenRead(const std::string& path, FileError& error) override {
        std::size_t size = 0;
        const int fd = OpenRegular(path, size, error);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixReadableFile>(fd, size);
    }

    FileError ResolveTarget(const std::string& path, std::string& target) override {
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

    std::unique_ptr<ITempFile> CreateTempBeside(const std::string& target, FileError& error) override {
        // A file the user may not write is to stay as it is, though the
        // rename that follows would ask only the folder.
        Fd old(::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (!old.Valid() || ::fstat(old.Get(), &st) != 0 ||
            ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            error = errno;
            return nullptr;
        }
        // A rename would split a hard link off.
        if (st.st_nlink > 1) return InPlace(error);
        const std::string folder = FolderOf(target);
        RemoveStaleTemps(folder);

        // Unnamed where the file system can, so that a killed save leaves
        // nothing; a folder that takes no new file, around a file that may
        // be written, is written in place.
        std::string tempPath;
        int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX);
        } else if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
            fd = CreateNamedTemp(folder, tempPath, error);
            if (fd < 0) return error == EACCES || error == EPERM ? InPlace(error) : nullptr;
        } else {
            if (errno == EACCES || errno == EPERM) return InPlace(error);
            error = errno;
            return nullptr;
        }
        auto file = std::make_unique<PosixTempFile>(fd, target, tempPath);
        const int newFd = file->Descriptor();
        // Owner first: changing it may clear set-id bits, which fchmod
        // restores. Only root may give a file away: anyone else saving
        // another's file, or one with a group they are not in, keeps it
        // only by writing in place.
        struct stat made {};
        if (::fchown(newFd, st.st_uid, st.st_gid) != 0 &&
            (::fstat(newFd, &made) != 0 || made.st_uid != st.st_uid || made.st_gid != st.st_gid))
            return InPlace(error);
        if (::fchmod(newFd, st.st_mode & 07777) != 0) {
            error = errno;
            return nullptr;
        }
        if (!CopyExtendedAttributes(old.Get(), newFd)) return InPlace(error);
        return file;
    }

    std::unique_ptr<IInPlaceFile> OpenInPlace(const std::string& target, FileError& error) override {
        Fd fd(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        if (!fd.Valid()) {
            error = errno;
            return nullptr;
        }
        return std::make_unique<PosixInPlaceFile>(fd.Release());
    }

    std::unique_ptr<IWritableFile> CreateBackup(const std::string& target, std::string& backupPath,
                                                FileError& error) override {
        const std::string cache = CacheFolder();
        if (cache.empty()) {
            error = ENOENT;
            return nullptr;
        }
        const std::string folder = cache + "/quillane";
        if ((::mkdir(cache.c_str(), 0700) != 0 && errno != EEXIST) ||
            (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)) {
            error = errno;
            return nullptr;
        }
        // The file's own name, cut to leave room, tells the user whose copy it is.
        const std::string name = NameOf(target).substr(0, 200);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string path = folder + "/" + name + "." + RandomChars(TempRandom) + ".bak";
            Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
            if (fd.Valid()) {
                backupPath = path;
                return std::make_unique<PosixWritableFile>(fd.Release());
            }
            if (errno != EEXIST) break;
        }
        error = errno;
        return nullptr;
    }

    void Remove(const std::string& path) override {
        if (!path.empty()) ::unlink(path.c_str());
    }

private:
    static std::nullptr_t InPlace(FileError& error) {
        error = NeedsRewriteInPlace;
        return nullptr;
    }
};

}  // namespace

std::string FileErrorText(FileError error) {
    if (error == NotARegularFile) return Translate("quillane::FileIo", "通常のファイルではありません");
    // The C library's words, in the language of the user's locale.
    return std::generic_category().message(error);
}

FileError OutOfMemoryError() {
    return ENOMEM;
}

std::string_view NativeLineBreak() {
    return "\n";
}

IFileOps& SystemFileOps() {
    static PosixFileOps ops;
    return ops;
}

}  // namespace quillane
