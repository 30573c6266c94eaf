#include "CodePage.h"
#include "FileIo.h"
#include "SectionEngine.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace quillane;
using namespace quillane::test;

namespace {

enum class Step { None, Resolve, CreateTemp, Write, WriteSecond, Flush, Close, Replace, ReadOnlyFolder };

// The real file system with one chosen step failing with `code`, the way a
// full disk, a locked file or a read-only folder would make it fail. Tests
// run as root, where permission bits stop nothing, so faults come in
// through here.
class FaultyOps : public IFileOps {
public:
    explicit FaultyOps(Step fail, FileError code = EIO) : FFail(fail), FCode(code) {}

    std::unique_ptr<IReadableFile> OpenRead(const std::string& path, FileError& error) override
    {
        return FReal.OpenRead(path, error);
    }

    FileError ResolveTarget(const std::string& path, std::string& target) override
    {
        if (FFail == Step::Resolve) return FCode;
        return FReal.ResolveTarget(path, target);
    }

    std::unique_ptr<IWritableFile> CreateTempBeside(const std::string& target, std::string& tempPath,
                                                    FileError& error) override
    {
        if (FFail == Step::CreateTemp || FFail == Step::ReadOnlyFolder) {
            error = FCode;
            return nullptr;
        }
        auto file = FReal.CreateTempBeside(target, tempPath, error);
        if (!file) return nullptr;
        return std::make_unique<FaultyFile>(std::move(file), FFail, FCode);
    }

    FileError Replace(const std::string& tempPath, const std::string& target) override
    {
        if (FFail == Step::Replace || FFail == Step::ReadOnlyFolder) return FCode;
        return FReal.Replace(tempPath, target);
    }

    void SyncFolderOf(const std::string& target) override { FReal.SyncFolderOf(target); }

    void Remove(const std::string& tempPath) override
    {
        if (FFail == Step::ReadOnlyFolder) return;
        FReal.Remove(tempPath);
    }

private:
    // Writes part of the data for real before failing, as a full disk does.
    class FaultyFile : public IWritableFile {
    public:
        FaultyFile(std::unique_ptr<IWritableFile> real, Step fail, FileError code)
            : FReal(std::move(real)), FFail(fail), FCode(code)
        {
        }
        FileError Write(const char* data, std::size_t size) override
        {
            ++FWrites;
            if ((FFail == Step::Write && FWrites == 1) || (FFail == Step::WriteSecond && FWrites == 2)) {
                FReal->Write(data, size / 2);
                return FCode;
            }
            return FReal->Write(data, size);
        }
        FileError Flush() override { return FFail == Step::Flush ? FCode : FReal->Flush(); }
        FileError Close() override
        {
            const FileError error = FReal->Close();
            return FFail == Step::Close ? FCode : error;
        }

    private:
        std::unique_ptr<IWritableFile> FReal;
        Step FFail;
        FileError FCode;
        int FWrites = 0;
    };

    IFileOps& FReal = SystemFileOps();
    Step FFail;
    FileError FCode;
};

struct FaultCase {
    const char* name;
    Step fail;
    std::size_t userLines;  // enough lines make the output span several writes
    FileError code;         // what the system says; the message ends with its words
};

class SaveFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SaveFaultTest, OldFileStaysByteIdentical)
{
    const auto& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("init.m");
    std::string before = "(* mine *)\n";
    for (std::size_t i = 0; i < c.userLines; ++i) before += "line " + std::to_string(i) + "\r";
    WriteBytes(path, before);

    FaultyOps ops(c.fail, c.code);
    try {
        SaveSection(path, SectionSettings{"/home/u", true, "Print[1]"}, CpUtf8, ops);
        FAIL() << "the save reported success";
    } catch (const ESectionError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル " + path + " を作成できません: " + FileErrorText(c.code));
    }
    EXPECT_EQ(ReadBytes(path), before);
    // Only when the folder itself refuses changes may a temporary file stay
    // (and then none could be made).
    EXPECT_EQ(dir.EntryCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Steps, SaveFaultTest,
                         ::testing::Values(FaultCase{"ResolveFails", Step::Resolve, 3, ELOOP},
                                           FaultCase{"TempFileCannotBeCreated", Step::CreateTemp, 3, ENAMETOOLONG},
                                           FaultCase{"FirstWriteFails", Step::Write, 3, ENOSPC},
                                           FaultCase{"LaterWriteFails", Step::WriteSecond, 40000, ENOSPC},
                                           FaultCase{"FlushFails", Step::Flush, 3, EIO},
                                           FaultCase{"CloseFails", Step::Close, 3, EFBIG},
                                           FaultCase{"RenameFails", Step::Replace, 3, EROFS},
                                           FaultCase{"ReadOnlyFolder", Step::ReadOnlyFolder, 3, EACCES}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SaveFaultTest, NoFaultSavesThroughTheSameSeam)
{
    // The wrapper itself must not be what makes the cases above fail.
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, "a\n");
    FaultyOps ops(Step::None);
    SaveSection(path, SectionSettings{"(未設定)", false, "(未設定)"}, CpUtf8, ops);
    EXPECT_EQ(ReadBytes(path), "a\n");
}

}  // namespace

namespace {

// Serves a text in pieces of the given sizes, in turn; fails after
// `failAfter` reads when that is set.
class ChunkedFile : public IReadableFile {
public:
    ChunkedFile(std::string text, std::vector<std::size_t> sizes, int failAfter = -1, std::size_t hint = 0)
        : FText(std::move(text)), FSizes(std::move(sizes)), FFailAfter(failAfter), FHint(hint)
    {
    }
    std::size_t SizeHint() const override { return FHint; }
    FileError Read(char* data, std::size_t size, std::size_t& got) override
    {
        if (FFailAfter >= 0 && FReads++ >= FFailAfter) return EIO;
        const std::size_t want = FSizes.empty() ? size : FSizes[FTurn++ % FSizes.size()];
        got = std::min({want, size, FText.size() - FAt});
        std::memcpy(data, FText.data() + FAt, got);
        FAt += got;
        return 0;
    }

private:
    std::string FText;
    std::vector<std::size_t> FSizes;
    int FFailAfter;
    std::size_t FHint;
    int FReads = 0;
    std::size_t FTurn = 0;
    std::size_t FAt = 0;
};

std::vector<std::string> LinesOf(IReadableFile& file, bool& ok)
{
    std::vector<std::string> out;
    ok = ForEachStretchOf(file, [&](std::string_view text, std::uint64_t) {
        ForEachLine(text, [&](std::string_view line, std::size_t) {
            out.emplace_back(line);
            return true;
        });
        return true;
    }) == 0;
    return out;
}

std::vector<std::string> Split(const std::string& text)
{
    const auto views = SplitLines(text);
    return {views.begin(), views.end()};
}

struct PieceCase {
    const char* name;
    std::string text;
    std::vector<std::size_t> sizes;
};

class LinesInPiecesTest : public ::testing::TestWithParam<PieceCase> {};

TEST_P(LinesInPiecesTest, SameLinesAsTheWholeText)
{
    const auto& c = GetParam();
    ChunkedFile file(c.text, c.sizes);
    bool ok = false;
    EXPECT_EQ(LinesOf(file, ok), Split(c.text));
    EXPECT_TRUE(ok);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, LinesInPiecesTest,
    ::testing::Values(PieceCase{"Empty", "", {}}, PieceCase{"CrLfSplitBetweenReads", "ab\r\ncd\r\n", {3, 1}},
                      PieceCase{"LoneCrAtTheEndOfARead", "ab\rcd\r", {3}},
                      PieceCase{"LfCrSplitBetweenReads", "a\n\rb", {2}},
                      PieceCase{"LastLineWithoutBreak", "x\r\nlast", {1}},
                      PieceCase{"OneByteAtATime", "a\r\n\r\nb\n\rc\r", {1}},
                      // Longer than the reader's buffer, so it has to grow.
                      PieceCase{"LineLongerThanTheBuffer", std::string(3 << 20, 'L') + "\r\nshort\r" + std::string(5, 'z'),
                                {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinesInPiecesTest, RandomReadSizes)
{
    std::mt19937 rng(11);
    const char alphabet[] = {'\r', '\n', 'a', 'b'};
    for (int round = 0; round < 500; ++round) {
        std::string text;
        for (std::size_t i = rng() % 200; i > 0; --i) text += alphabet[rng() % 4];
        std::vector<std::size_t> sizes;
        for (int i = 0; i < 5; ++i) sizes.push_back(1 + rng() % 9);
        ChunkedFile file(text, sizes);
        bool ok = false;
        ASSERT_EQ(LinesOf(file, ok), Split(text)) << round;
        ASSERT_TRUE(ok);
    }
}

TEST(LinesInPiecesTest, AFailedReadIsReported)
{
    ChunkedFile file("a\r\nb\r\nc\r\n", {3}, 2);
    bool ok = true;
    LinesOf(file, ok);
    EXPECT_FALSE(ok);
}

TEST(LinesInPiecesTest, StretchesEndWhereTheNextBytesCannotChangeALine)
{
    std::mt19937 rng(31);
    const char alphabet[] = {'\r', '\n', 'a'};
    for (int round = 0; round < 500; ++round) {
        std::string text;
        for (std::size_t i = rng() % 200; i > 0; --i) text += alphabet[rng() % 3];
        ChunkedFile file(text, {1 + rng() % 9, 1 + rng() % 9});
        std::string joined;
        std::vector<std::uint64_t> offsets;
        ASSERT_EQ(0, ForEachStretchOf(file, [&](std::string_view stretch, std::uint64_t offset) {
            EXPECT_EQ(offset, joined.size());
            joined += stretch;
            // A stretch ends after a break, and never between the CR and
            // LF of a pair; only the file's end may cut a line short.
            if (joined.size() < text.size()) {
                EXPECT_TRUE(stretch.back() == '\n' || stretch.back() == '\r') << round;
                EXPECT_FALSE(stretch.back() == '\r' && text[joined.size()] == '\n') << round;
            }
            return true;
        }));
        ASSERT_EQ(joined, text) << round;
    }
}

TEST(LinesInPiecesTest, StretchesStopWhenAsked)
{
    ChunkedFile file("a\nb\nc\n", {2}, 2);
    int calls = 0;
    // The failing third read never happens.
    EXPECT_EQ(ForEachStretchOf(file, [&](std::string_view, std::uint64_t) { return ++calls < 1; }), 0);
    EXPECT_EQ(calls, 1);
}

TEST(ReadWholeTest, AnySizeHintGivesTheWholeFile)
{
    const std::string text = "0123456789abcdef\r\nxyz";
    for (const std::size_t hint : {std::size_t{0}, std::size_t{1}, std::size_t{7}, text.size(), text.size() + 100}) {
        ChunkedFile file(text, {3, 5}, -1, hint);
        FileBytes bytes;
        ASSERT_EQ(ReadWhole(file, bytes), 0) << hint;
        EXPECT_EQ(bytes.View(), text) << hint;
    }
    ChunkedFile failing(text, {3}, 2, text.size());
    FileBytes bytes;
    EXPECT_EQ(ReadWhole(failing, bytes), EIO);
}

TEST(OpenReadTest, FileAndNonFiles)
{
    TempDir dir;
    const std::string path = dir.File("f");
    WriteBytes(path, "x\r\ny");
    FileError error = 0;
    auto file = SystemFileOps().OpenRead(path, error);
    ASSERT_TRUE(file);
    bool ok = false;
    EXPECT_EQ(LinesOf(*file, ok), (std::vector<std::string>{"x", "y"}));
    EXPECT_TRUE(ok);
    EXPECT_FALSE(SystemFileOps().OpenRead(dir.Path().u8string(), error));
    EXPECT_FALSE(SystemFileOps().OpenRead(dir.File("none"), error));
    EXPECT_FALSE(SystemFileOps().OpenRead("", error));
}

TEST(ReplaceFileWithPartsTest, PartsAreWrittenAsTheyAre)
{
    std::mt19937 rng(5);
    const char alphabet[] = {'\r', '\n', 'a', '\0'};
    TempDir dir;
    const std::string path = dir.File("init.m");
    for (int round = 0; round < 50; ++round) {
        std::string above, below;
        // Long enough now and then for parts larger than the write buffer.
        const std::size_t size = round % 10 == 0 ? 600000 : rng() % 150;
        for (std::size_t i = 0; i < size; ++i) above += alphabet[rng() % 4];
        for (std::size_t i = rng() % 150; i > 0; --i) below += alphabet[rng() % 4];
        WriteBytes(path, "old");
        const std::string_view parts[] = {above, "S\nlone\r", below};
        ASSERT_EQ(ReplaceFileWithParts(path, parts, 3, SystemFileOps()), 0);
        ASSERT_EQ(ReadBytes(path), above + "S\nlone\r" + below) << round;
    }
    EXPECT_EQ(dir.EntryCount(), 1u);
}

}  // namespace
