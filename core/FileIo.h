#pragma once

#include "LineModel.h"

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace quillane {

/// Why a file step failed: the system's error code (errno on POSIX,
/// GetLastError() on Windows) or one of the causes below; 0 when it did not.
using FileError = int;

/// The path names something that is not a regular file.
constexpr FileError NotARegularFile = -1;

/// Replacing the file would change what it is (its owner, its other hard
/// links, extended attributes the process may not set), or its folder takes
/// no new file: it is to be rewritten in place instead.
constexpr FileError NeedsRewriteInPlace = -2;

/// The cause as the user reads it, UTF-8: the system's own words for its
/// codes, in the language it uses.
std::string FileErrorText(FileError error);

/// The code the system uses for running out of memory.
FileError OutOfMemoryError();

/// The break of a text file on this system, for a file that has none yet:
/// CR LF on Windows, LF elsewhere.
std::string_view NativeLineBreak();

/// A file open for writing. Closed (without error report) when destroyed.
/// No method throws.
class IWritableFile {
public:
    virtual ~IWritableFile() = default;
    /// Writes all `size` bytes.
    virtual FileError Write(const char* data, std::size_t size) = 0;
    /// Forces the written bytes to the disk.
    virtual FileError Flush() = 0;
    /// Closes the file, reporting failures of deferred writes.
    virtual FileError Close() = 0;
};

/// A new file written beside the one it is to take the place of. Removed
/// when destroyed before Commit.
class ITempFile : public IWritableFile {
public:
    /// Puts the flushed file in place of its target in one step, durably,
    /// and closes it. Close without Commit gives up the file.
    virtual FileError Commit() = 0;
};

/// An existing file rewritten from its first byte.
class IInPlaceFile : public IWritableFile {
public:
    /// Goes back to the first byte, to write the file anew.
    virtual FileError Rewind() = 0;
    /// Cuts the file after the bytes written since the first byte, then
    /// forces it to the disk.
    FileError Flush() override = 0;
};

/// A regular file open for reading. Closed when destroyed.
class IReadableFile {
public:
    virtual ~IReadableFile() = default;
    /// Reads up to `size` bytes into `data`; `got` is 0 at the end of the
    /// file.
    virtual FileError Read(char* data, std::size_t size, std::size_t& got) = 0;
    /// The size the file had when it was opened, to size a buffer by; 0
    /// when unknown.
    virtual std::size_t SizeHint() const { return 0; }
};

/// A whole file's bytes in a buffer that was never filled with zeros first.
struct FileBytes {
    std::unique_ptr<char[]> Data;
    std::size_t Size = 0;
    std::string_view View() const { return {Data.get(), Size}; }
};

/// Reads `file` to its end into `bytes`.
FileError ReadWhole(IReadableFile& file, FileBytes& bytes);

/// The file-system steps that reading and safely replacing a file take.
/// Paths are UTF-8. A seam: tests wrap the real one to make steps fail.
class IFileOps {
public:
    virtual ~IFileOps() = default;
    /// Opens the regular file at `path` to read it in pieces; null on any
    /// failure (missing, no access, a folder or other non-regular file),
    /// with the cause in `error`.
    virtual std::unique_ptr<IReadableFile> OpenRead(const std::string& path, FileError& error) = 0;
    /// The file that writing to `path` should replace: the final target when
    /// `path` is a symbolic link, `path` itself otherwise.
    virtual FileError ResolveTarget(const std::string& path, std::string& target) = 0;
    /// Creates the file that is to take the place of the existing `target`,
    /// empty, in its folder, with its owner, permissions and extended
    /// attributes. Null on failure, with the cause in `error`; that is
    /// NeedsRewriteInPlace where the file is to be rewritten in place.
    virtual std::unique_ptr<ITempFile> CreateTempBeside(const std::string& target, FileError& error) = 0;
    /// Opens the existing `target` to rewrite it in place.
    virtual std::unique_ptr<IInPlaceFile> OpenInPlace(const std::string& target, FileError& error) = 0;
    /// Creates a new file in the user's cache folder to hold a copy of
    /// `target`'s bytes; its path goes to `backupPath`.
    virtual std::unique_ptr<IWritableFile> CreateBackup(const std::string& target, std::string& backupPath,
                                                        FileError& error) = 0;
    /// Removes the file at `path`; best effort.
    virtual void Remove(const std::string& path) = 0;
};

/// Doubles the `capacity` bytes of `buf`, keeping the first `used`.
inline void GrowBuffer(std::unique_ptr<char[]>& buf, std::size_t used, std::size_t& capacity) {
    std::unique_ptr<char[]> bigger(new char[capacity * 2]);
    std::memcpy(bigger.get(), buf.get(), used);
    buf = std::move(bigger);
    capacity *= 2;
}

/// Reads `file` and calls `f(text, offset)` for consecutive stretches of
/// whole lines, `offset` being where `text` starts in the file, holding only
/// a piece of the file in memory at a time. A stretch ends after a break
/// that the next bytes cannot change (a final CR waits for a possible LF);
/// the last stretch is the rest of the file. Stops early when `f` returns
/// false.
template <class F>
FileError ForEachStretchOf(IReadableFile& file, F&& f) {
    constexpr std::size_t chunk = std::size_t{1} << 20;
    std::unique_ptr<char[]> buf(new char[chunk]);
    std::size_t capacity = chunk;
    std::size_t held = 0;  // an unfinished line kept at the front
    std::uint64_t offset = 0;
    for (;;) {
        // A line longer than the buffer: make room for it.
        if (capacity - held < chunk / 2) GrowBuffer(buf, held, capacity);
        std::size_t got = 0;
        if (const FileError error = file.Read(buf.get() + held, capacity - held, got)) return error;
        const bool end = got == 0;
        const std::string_view text(buf.get(), held + got);
        std::size_t whole = text.size();
        if (!end) {
            if (whole > 0 && text[whole - 1] == '\r') --whole;
            while (whole > 0 && text[whole - 1] != '\n' && text[whole - 1] != '\r') --whole;
        }
        if (whole > 0 && !f(text.substr(0, whole), offset)) return 0;
        if (end) return 0;
        held = text.size() - whole;
        std::memmove(buf.get(), buf.get() + whole, held);
        offset += whole;
    }
}

/// The real file system of this platform.
IFileOps& SystemFileOps();

/// How a replace ended.
struct ReplaceOutcome {
    FileError Error = 0;     ///< 0, or the cause of the failure
    std::string KeptBackup;  ///< the copy of the old bytes, when a failed rewrite could not put them back
};

/// Replaces the contents of the file at `path`, whose bytes are `oldBytes`,
/// with `parts`, in order: written to a new file beside it, flushed and
/// moved over it; or, where that would change what the file is, copied to a
/// backup first and rewritten in place, and put back from the copy when that
/// fails. On failure the old file is unchanged, unless KeptBackup says where
/// its bytes are.
ReplaceOutcome ReplaceFileWithParts(const std::string& path, std::string_view oldBytes, const std::string_view* parts,
                                    std::size_t count, IFileOps& ops);

}  // namespace quillane
