// The platform-neutral order of a safe replace; the steps themselves are the
// backend's. Nothing here allocates once the old file is being rewritten, so
// that running out of memory cannot leave it half written.
#include "FileIo.h"

namespace quillane {
namespace {

FileError WriteAll(IWritableFile& file, const std::string_view* parts, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (parts[i].empty()) continue;
        if (const FileError error = file.Write(parts[i].data(), parts[i].size())) return error;
    }
    return 0;
}

// Writes, flushes and closes; closes after a failure too.
FileError WriteFlushClose(IWritableFile& file, const std::string_view* parts, std::size_t count) {
    FileError error = WriteAll(file, parts, count);
    if (error == 0) error = file.Flush();
    const FileError closed = file.Close();
    return error != 0 ? error : closed;
}

ReplaceOutcome RewriteInPlace(const std::string& target, std::string_view oldBytes, const std::string_view* parts,
                              std::size_t count, IFileOps& ops) {
    // The old bytes go to the disk first, so that they outlive a save that
    // is cut short. The copy goes when the rewrite ends, unless it is all
    // that is left of them.
    struct Backup {
        IFileOps& Ops;
        std::string Path;
        ~Backup() {
            if (!Path.empty()) Ops.Remove(Path);
        }
    } backup{ops, {}};
    FileError error = 0;
    if (const std::unique_ptr<IWritableFile> copy = ops.CreateBackup(target, backup.Path, error)) {
        error = WriteFlushClose(*copy, &oldBytes, 1);
    }
    if (error != 0) return {error, {}};
    const std::unique_ptr<IInPlaceFile> file = ops.OpenInPlace(target, error);
    if (!file) return {error, {}};
    error = WriteAll(*file, parts, count);
    if (error == 0) error = file->Flush();
    if (error == 0) {
        // Flushed: nothing is left for the close to report.
        file->Close();
        return {};
    }
    // Put the old bytes back.
    FileError restored = file->Rewind();
    if (restored == 0) restored = WriteFlushClose(*file, &oldBytes, 1);
    if (restored != 0) {
        std::string kept;
        kept.swap(backup.Path);
        return {error, std::move(kept)};
    }
    return {error, {}};
}

}  // namespace

FileError ReadWhole(IReadableFile& file, FileBytes& bytes) {
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

ReplaceOutcome ReplaceFileWithParts(const std::string& path, std::string_view oldBytes, const std::string_view* parts,
                                    std::size_t count, IFileOps& ops) {
    std::string target;
    if (const FileError error = ops.ResolveTarget(path, target)) return {error, {}};

    FileError error = 0;
    const std::unique_ptr<ITempFile> file = ops.CreateTempBeside(target, error);
    if (!file) {
        if (error == NeedsRewriteInPlace) return RewriteInPlace(target, oldBytes, parts, count, ops);
        return {error, {}};
    }
    error = WriteAll(*file, parts, count);
    if (error == 0) error = file->Flush();
    if (error == 0) error = file->Commit();
    // A file that was not put in place is removed with its object.
    return {error, {}};
}

}  // namespace quillane
