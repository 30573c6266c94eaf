// The platform-neutral order of a safe replace; the steps themselves are the
// backend's.
#include "FileIo.h"

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
        if (bytes.size() >= Capacity) return FOk = FFile.Write(bytes.data(), bytes.size());
        std::memcpy(FBuf.get(), bytes.data(), bytes.size());
        FUsed = bytes.size();
        return true;
    }

    bool Drain()
    {
        if (FOk && FUsed > 0) FOk = FFile.Write(FBuf.get(), FUsed);
        FUsed = 0;
        return FOk;
    }

private:
    static constexpr std::size_t Capacity = 1 << 16;
    IWritableFile& FFile;
    std::unique_ptr<char[]> FBuf;
    std::size_t FUsed = 0;
    bool FOk = true;
};

}  // namespace

bool ReplaceFileWithLines(const std::string& path, const std::vector<std::string_view>& lines,
                          std::string_view lineBreak, IFileOps& ops)
{
    LineSpans spans;
    spans.Append(lines.data(), lines.size());
    return ReplaceFileWithLines(path, spans, lineBreak, ops);
}

bool ReplaceFileWithLines(const std::string& path, const LineSpans& lines, std::string_view lineBreak, IFileOps& ops)
{
    const std::string target = ops.ResolveTarget(path);
    if (target.empty()) return false;

    std::string tempPath;
    std::unique_ptr<IWritableFile> file = ops.CreateTempBeside(target, tempPath);
    if (!file) return false;

    bool ok = true;
    {
        BufferedWriter out(*file);
        lines.ForEach([&](std::size_t, std::string_view line) {
            // After a failure the rest is skipped: Append refuses at once.
            ok = ok && out.Append(line) && out.Append(lineBreak);
        });
        ok = ok && out.Drain();
    }
    ok = ok && file->Flush();
    // Close even after a failure, so the temporary file can be removed.
    ok = file->Close() && ok;
    file.reset();
    if (ok) ok = ops.Replace(tempPath, target);
    if (!ok) {
        ops.Remove(tempPath);
        return false;
    }
    ops.SyncFolderOf(target);
    return true;
}

}  // namespace quillane
