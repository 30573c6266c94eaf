#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillane {

/// What a file is and holds at one moment: enough to tell, later, whether
/// someone else has changed or replaced it in between.
struct FileStamp {
    bool Readable = false;          ///< the file could be opened and read whole
    std::uint64_t Volume = 0;       ///< device (POSIX) or volume serial (Windows)
    std::uint64_t FileId = 0;       ///< inode (POSIX) or file index (Windows)
    std::uint64_t Size = 0;         ///< bytes read
    std::int64_t ModifiedNs = 0;    ///< last write time, in the platform's epoch
    std::uint64_t ContentHash = 0;  ///< of the bytes read

    /// Same identity, time, size and contents.
    bool operator==(const FileStamp& other) const;
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

/// Whether `a` and `b` saw the same bytes (or both no readable file),
/// whatever file held them: a file replaced by an identical copy is not a
/// change of contents.
bool SameContents(const FileStamp& a, const FileStamp& b);

/// Stamps the file at `pathUtf8` (through a symbolic link to its target).
/// A missing or unreadable file gives a stamp that is not Readable.
FileStamp StampFile(const std::string& pathUtf8);

/// The hash FileStamp uses, fed in pieces of any size.
class ContentHasher {
public:
    void Add(const char* data, std::size_t size);
    std::uint64_t Value() const;

private:
    std::uint64_t FState = 0x9E3779B97F4A7C15ull;
    std::uint64_t FLength = 0;
    unsigned char FTail[8] = {};
    std::size_t FTailSize = 0;
};

}  // namespace quillane
