#include "FileStamp.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

using namespace quillane;
using namespace quillane::test;

namespace {

TEST(FileStamp, TellsWhatHappenedToTheFile) {
    struct Case {
        const char* Name;
        std::function<void(const TempDir&, const std::string&)> Change;
        bool Same;  // the stamps are equal
        bool SameContents;
    };
    const std::string original = "(* init *)\r\nPrint[\"表\"]\r\n";
    const Case cases[] = {
        {"untouched", [](const TempDir&, const std::string&) {}, true, true},
        {"same size, other bytes",
         [](const TempDir&, const std::string& p) { WriteBytes(p, "(* init *)\r\nPrint[\"ソ\"]\r\n"); }, false, false},
        {"one byte more", [&](const TempDir&, const std::string& p) { WriteBytes(p, original + "\n"); }, false, false},
        {"a zero byte more", [&](const TempDir&, const std::string& p) { WriteBytes(p, original + '\0'); }, false,
         false},
        {"replaced by an identical copy",
         [&](const TempDir& d, const std::string& p) {
             WriteBytes(d.File("copy"), original);
             std::filesystem::rename(std::filesystem::u8path(d.File("copy")), std::filesystem::u8path(p));
         },
         false, true},
        {"removed", [](const TempDir&, const std::string& p) { std::filesystem::remove(std::filesystem::u8path(p)); },
         false, false},
        {"a folder in its place",
         [](const TempDir&, const std::string& p) {
             std::filesystem::remove(std::filesystem::u8path(p));
             std::filesystem::create_directory(std::filesystem::u8path(p));
         },
         false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir dir;
        const std::string path = dir.File("数学/init.m");
        std::filesystem::create_directory(dir.Path() / std::filesystem::u8path("数学"));
        WriteBytes(path, original);
        const FileStamp before = StampFile(path);
        ASSERT_TRUE(before.Readable);
        EXPECT_EQ(before.Size, original.size());
        c.Change(dir, path);
        const FileStamp after = StampFile(path);
        EXPECT_EQ(after == before, c.Same);
        EXPECT_EQ(SameContents(before, after), c.SameContents);
    }
    EXPECT_FALSE(StampFile("").Readable);
    EXPECT_TRUE(SameContents(StampFile(""), StampFile("/no/such/quillane/file")));
}

TEST(ContentHasher, ValueDoesNotDependOnHowTheBytesArrive) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(i * 7);
    ContentHasher whole;
    whole.Add(bytes.data(), bytes.size());
    for (std::size_t piece : {1u, 3u, 8u, 13u, 999u}) {
        SCOPED_TRACE(piece);
        ContentHasher parts;
        for (std::size_t at = 0; at < bytes.size(); at += piece)
            parts.Add(bytes.data() + at, std::min(piece, bytes.size() - at));
        EXPECT_EQ(parts.Value(), whole.Value());
    }
    ContentHasher shorter;
    shorter.Add(bytes.data(), bytes.size() - 1);
    EXPECT_NE(shorter.Value(), whole.Value());
}

}  // namespace
