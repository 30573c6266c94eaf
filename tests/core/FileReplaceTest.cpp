#include "CodePage.h"
#include "FileIo.h"
#include "SectionEngine.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <new>
#include <cerrno>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace quillane;
using namespace quillane::test;

namespace {

enum class Step { None, Resolve, CreateTemp, Write, WriteSecond, Flush, Commit, Backup, Restore, OutOfMemory };

// The real file system with one chosen step failing with `code`, the way a
// full disk, a locked file or a read-only folder would make it fail; with
// `inPlace` the file is rewritten in place, as one that the rename would
// change. Tests run as root, where permission bits stop nothing, so faults
// come in through here.
class FaultyOps : public IFileOps {
public:
    FaultyOps(Step fail, FileError code = EIO, bool inPlace = false) : FFail(fail), FCode(code), FInPlace(inPlace) {}

    std::unique_ptr<IReadableFile> OpenRead(const std::string& path, FileError& error) override {
        return FReal.OpenRead(path, error);
    }

    FileError ResolveTarget(const std::string& path, std::string& target) override {
        if (FFail == Step::Resolve) return FCode;
        return FReal.ResolveTarget(path, target);
    }

    std::unique_ptr<ITempFile> CreateTempBeside(const std::string& target, FileError& error) override {
        if (FInPlace) {
            error = NeedsRewriteInPlace;
            return nullptr;
        }
        if (FFail == Step::OutOfMemory) throw std::bad_alloc();
        if (FFail == Step::CreateTemp) {
            error = FCode;
            return nullptr;
        }
        auto file = FReal.CreateTempBeside(target, error);
        if (!file) return nullptr;
        return std::make_unique<FaultyFile<ITempFile>>(std::move(file), FFail, FCode);
    }

    std::unique_ptr<IInPlaceFile> OpenInPlace(const std::string& target, FileError& error) override {
        if (FFail == Step::OutOfMemory) throw std::bad_alloc();
        auto file = FReal.OpenInPlace(target, error);
        if (!file) return nullptr;
        return std::make_unique<FaultyFile<IInPlaceFile>>(std::move(file), FFail, FCode);
    }

    std::unique_ptr<IWritableFile> CreateBackup(const std::string& target, std::string& backupPath,
                                                FileError& error) override {
        if (FFail == Step::Backup) {
            error = FCode;
            return nullptr;
        }
        auto file = FReal.CreateBackup(target, backupPath, error);
        Backup = backupPath;
        return file;
    }

    void Remove(const std::string& path) override { FReal.Remove(path); }

    std::string Backup;  // the backup made, if any

private:
    // Writes part of the data for real before failing, as a full disk does.
    template <class File>
    class FaultyFile : public File {
    public:
        FaultyFile(std::unique_ptr<File> real, Step fail, FileError code)
            : FReal(std::move(real)), FFail(fail), FCode(code) {}
        FileError Write(const char* data, std::size_t size) override {
            ++FWrites;
            const bool first = FFail == Step::Write || FFail == Step::Restore;
            if ((first && FWrites == 1) || (FFail == Step::WriteSecond && FWrites == 2)) {
                FReal->Write(data, size / 2);
                return FCode;
            }
            return FReal->Write(data, size);
        }
        // A flush fails once, so that a restore can work.
        FileError Flush() override { return Once(Step::Flush) ? FCode : FReal->Flush(); }
        FileError Close() override { return FReal->Close(); }
        FileError Commit() { return FFail == Step::Commit ? FCode : FReal->Commit(); }
        // A restore that fails too: the first write fails, and so does going back.
        FileError Rewind() { return FFail == Step::Restore ? FCode : FReal->Rewind(); }

    private:
        bool Once(Step step) {
            if (FFail != step || FFailed) return false;
            FFailed = true;
            return true;
        }

        std::unique_ptr<File> FReal;
        Step FFail;
        FileError FCode;
        int FWrites = 0;
        bool FFailed = false;
    };

    IFileOps& FReal = SystemFileOps();
    Step FFail;
    FileError FCode;
    bool FInPlace;
};

struct FaultCase {
    const char* name;
    Step fail;
    bool inPlace;
    std::size_t userLines;  // enough lines make the output span several writes
    FileError code;         // what the system says; the message ends with its words
};

class SaveFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SaveFaultTest, OldFileStaysByteIdentical) {
    const auto& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("init.m");
    std::string before = "(* mine *)\n";
    for (std::size_t i = 0; i < c.userLines; ++i) before += "line " + std::to_string(i) + "\r";
    WriteBytes(path, before);

    FaultyOps ops(c.fail, c.code, c.inPlace);
    const FileError cause = c.fail == Step::OutOfMemory ? OutOfMemoryError() : c.code;
    try {
        SaveSection(path, SectionSettings{"/home/u", true, "Print[1]"}, CpUtf8, ops);
        FAIL() << "the save reported success";
    } catch (const ESectionError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル " + path + " を作成できません: " + FileErrorText(cause));
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(dir.EntryCount(), 1u) << "a temporary file was left behind";
    EXPECT_TRUE(ops.Backup.empty() || !std::filesystem::exists(std::filesystem::u8path(ops.Backup)));
}

INSTANTIATE_TEST_SUITE_P(Steps, SaveFaultTest,
                         ::testing::Values(FaultCase{"ResolveFails", Step::Resolve, false, 3, ELOOP},
                                           FaultCase{"TempFileCannotBeCreated", Step::CreateTemp, false, 3,
                                                     ENAMETOOLONG},
                                           FaultCase{"FirstWriteFails", Step::Write, false, 3, ENOSPC},
                                           FaultCase{"LaterWriteFails", Step::WriteSecond, false, 20000, ENOSPC},
                                           FaultCase{"FlushFails", Step::Flush, false, 3, EIO},
                                           FaultCase{"RenameFails", Step::Commit, false, 3, EROFS},
                                           FaultCase{"OutOfMemory", Step::OutOfMemory, false, 3, 0},
                                           FaultCase{"BackupCannotBeCreated", Step::Backup, true, 3, EACCES},
                                           FaultCase{"InPlaceFirstWriteFails", Step::Write, true, 3, ENOSPC},
                                           FaultCase{"InPlaceLaterWriteFails", Step::WriteSecond, true, 20000, ENOSPC},
                                           FaultCase{"InPlaceFlushFails", Step::Flush, true, 3, EFBIG},
                                           FaultCase{"InPlaceOutOfMemory", Step::OutOfMemory, true, 3, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SaveFaultTest, AFailedRestoreNamesTheBackup) {
    TempDir dir;
    const std::string path = dir.File("init.m");
    const std::string before = "(* mine *)\r\n";
    WriteBytes(path, before);
    FaultyOps ops(Step::Restore, ENOSPC, true);
    try {
        SaveSection(path, SectionSettings{"/home/u", true, "Print[1]"}, CpUtf8, ops);
        FAIL() << "the save reported success";
    } catch (const ESectionError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル " + path + " を作成できません: " + FileErrorText(ENOSPC) +
                                             "。元の内容に戻せなかったため、元の内容を " + ops.Backup +
                                             " に残してあります");
    }
    EXPECT_EQ(ReadBytes(ops.Backup), before);
    std::filesystem::remove(std::filesystem::u8path(ops.Backup));
}

TEST(SaveFaultTest, NoFaultSavesThroughTheSameSeam) {
    // The wrapper itself must not be what makes the cases above fail.
    for (const bool inPlace : {false, true}) {
        TempDir dir;
        const std::string path = dir.File("init.m");
        WriteBytes(path, "a\nb\n");
        FaultyOps ops(Step::None, 0, inPlace);
        SaveSection(path, SectionSettings{"(未設定)", true, "(未設定)"}, CpUtf8, ops);
        EXPECT_EQ(ReadBytes(path).substr(0, 5), "a\nb\n(") << inPlace;
        EXPECT_EQ(dir.EntryCount(), 1u);
        EXPECT_EQ(ops.Backup.empty(), !inPlace);
        EXPECT_TRUE(!inPlace || !std::filesystem::exists(std::filesystem::u8path(ops.Backup)));
    }
}

}  // namespace

namespace {

// Serves a text in pieces of the given sizes, in turn; fails after
// `failAfter` reads when that is set.
class ChunkedFile : public IReadableFile {
public:
    ChunkedFile(std::string text, std::vector<std::size_t> sizes, int failAfter = -1, std::size_t hint = 0)
        : FText(std::move(text)), FSizes(std::move(sizes)), FFailAfter(failAfter), FHint(hint) {}
    std::size_t SizeHint() const override { return FHint; }
    FileError Read(char* data, std::size_t size, std::size_t& got) override {
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

std::vector<std::string> LinesOf(IReadableFile& file, bool& ok) {
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

std::vector<std::string> Split(const std::string& text) {
    const auto views = SplitLines(text);
    return {views.begin(), views.end()};
}

struct PieceCase {
    const char* name;
    std::string text;
    std::vector<std::size_t> sizes;
};

class LinesInPiecesTest : public ::testing::TestWithParam<PieceCase> {};

TEST_P(LinesInPiecesTest, SameLinesAsTheWholeText) {
    const auto& c = GetParam();
    ChunkedFile file(c.text, c.sizes);
    bool ok = false;
    EXPECT_EQ(LinesOf(file, ok), Split(c.text));
    EXPECT_TRUE(ok);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, LinesInPiecesTest,
    ::testing::Values(
        PieceCase{"Empty", "", {}}, PieceCase{"CrLfSplitBetweenReads", "ab\r\ncd\r\n", {3, 1}},
        PieceCase{"LoneCrAtTheEndOfARead", "ab\rcd\r", {3}}, PieceCase{"LfCrSplitBetweenReads", "a\n\rb", {2}},
        PieceCase{"LastLineWithoutBreak", "x\r\nlast", {1}}, PieceCase{"OneByteAtATime", "a\r\n\r\nb\n\rc\r", {1}},
        // Longer than the reader's buffer, so it has to grow.
        PieceCase{"LineLongerThanTheBuffer", std::string(3 << 20, 'L') + "\r\nshort\r" + std::string(5, 'z'), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinesInPiecesTest, RandomReadSizes) {
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

TEST(LinesInPiecesTest, AFailedReadIsReported) {
    ChunkedFile file("a\r\nb\r\nc\r\n", {3}, 2);
    bool ok = true;
    LinesOf(file, ok);
    EXPECT_FALSE(ok);
}

TEST(LinesInPiecesTest, StretchesEndWhereTheNextBytesCannotChangeALine) {
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

TEST(LinesInPiecesTest, StretchesStopWhenAsked) {
    ChunkedFile file("a\nb\nc\n", {2}, 2);
    int calls = 0;
    // The failing third read never happens.
    EXPECT_EQ(ForEachStretchOf(file, [&](std::string_view, std::uint64_t) { return ++calls < 1; }), 0);
    EXPECT_EQ(calls, 1);
}

TEST(ReadWholeTest, AnySizeHintGivesTheWholeFile) {
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

TEST(OpenReadTest, FileAndNonFiles) {
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

TEST(ReplaceFileWithPartsTest, PartsAreWrittenAsTheyAre) {
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
        ASSERT_EQ(ReplaceFileWithParts(path, "old", parts, 3, SystemFileOps()).Error, 0);
        ASSERT_EQ(ReadBytes(path), above + "S\nlone\r" + below) << round;
    }
    EXPECT_EQ(dir.EntryCount(), 1u);
}

}  // namespace
