// The platform-neutral order of a safe replace; the steps themselves are the
// backend's.
#include "FileIo.h"

#include <algorithm>
#include <cstring>

namespace quillane {
namespace {

// Gathers small writes into large ones; the output of a big file is made of
// millions of short lines.
class BufferedWriter {
public:
    explicit BufferedWriter(IWritableFile& file) : FFile(file), FBuf(new char[Capacity]) {}

    bool Append(std::string_view bytes)
    {
        if (bytes.size() <= Capacity - FUsed) {
            std::memcpy(FBuf.get() + FUsed, bytes.data(), bytes.size());
            FUsed += bytes.size();
            return true;
        }
        if (!Drain()) return false;
        if (bytes.size() >= Capacity) {
            FError = FFile.Write(bytes.data(), bytes.size());
            return FError == 0;
        }
        std::memcpy(FBuf.get(), bytes.data(), bytes.size());
        FUsed = bytes.size();
        return true;
    }

    static constexpr std::size_t Capacity = 1 << 18;

    bool Drain()
    {
        if (FError == 0 && FUsed > 0) FError = FFile.Write(FBuf.get(), FUsed);
        FUsed = 0;
        return FError == 0;
    }

    /// The first failure of a write, or 0.
    FileError Error() const { return FError; }

private:
    IWritableFile& FFile;
    std::unique_ptr<char[]> FBuf;
    std::size_t FUsed = 0;
    FileError FError = 0;
};

// The safe replace around `write`, which puts the new contents into the
// temporary file.
template <class Write>
FileError ReplaceFileWith(const std::string& path, IFileOps& ops, Write&& write)
{
    std::string target;
    if (const FileError error = ops.ResolveTarget(path, target)) return error;

    std::string tempPath;
    FileError error = 0;
    std::unique_ptr<IWritableFile> file = ops.CreateTempBeside(target, tempPath, error);
    if (!file) return error;

    {
        BufferedWriter out(*file);
        write(out);
        out.Drain();
        error = out.Error();
    }
    if (error == 0) error = file->Flush();
    // Close even after a failure, so the temporary file can be removed.
    const FileError closed = file->Close();
    if (error == 0) error = closed;
    file.reset();
    if (error == 0) error = ops.Replace(tempPath, target);
    if (error != 0) {
        ops.Remove(tempPath);
        return error;
    }
    ops.SyncFolderOf(target);
    return 0;
}

}  // namespace

FileError ReadWhole(IReadableFile& file, FileBytes& bytes)
{
    // One byte more than the hint, so that reaching the end needs no second
    // buffer when the size is right.
    std::size_t capacity = file.SizeHint() + 1;
    std::unique_ptr<char[]> data(new char[capacity]);
    std::size_t size = 0;
    for (;;) {
        if (size == capacity) GrowBuffer(data, size, capacity);
        std::size_t got = 0;
        if (const FileError error = file.Read(data.get() + size, capacity - size, got)) return error;
        if (got == 0) break;
        size += got;
    }
    bytes.Data = std::move(data);
    bytes.Size = size;
    return 0;
}

FileError ReplaceFileWithParts(const std::string& path, const std::string_view* parts, std::size_t count,
                               IFileOps& ops)
{
    return ReplaceFileWith(path, ops, [&](BufferedWriter& out) {
        for (std::size_t i = 0; i < count; ++i) {
            if (!out.Append(parts[i])) return false;
        }
        return true;
    });
}

}  // namespace quillane
