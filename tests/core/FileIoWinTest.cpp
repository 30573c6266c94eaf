// Windows-only behaviour of the safe replace, against the real file system:
// files that must not or cannot be replaced stay exactly as they were.
#include "CodePage.h"
#include "SectionEngine.h"
#include "TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

using namespace quillane;
using namespace quillane::test;

namespace {

std::wstring Wide(const std::string& utf8) {
    return std::filesystem::u8path(utf8).wstring();
}

enum class Guard { ReadOnly, OpenWithoutSharing };

struct GuardCase {
    const char* Name;
    Guard Kind;
};

void PrintTo(const GuardCase& c, std::ostream* os) {
    *os << c.Name;
}

class ProtectedFileTest : public ::testing::TestWithParam<GuardCase> {};

TEST_P(ProtectedFileTest, SaveFailsAndLeavesTheFile) {
    TempDir dir;
    const std::string path = dir.File("init.m");
    const std::string before = "user line\r\n";
    WriteBytes(path, before);
    HANDLE held = INVALID_HANDLE_VALUE;
    if (GetParam().Kind == Guard::ReadOnly) {
        ASSERT_TRUE(SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_READONLY));
    } else {
        // Another program holds the file open and allows no one else in.
        held = CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
    }

    SectionSettings settings = DefaultSettings(CpUtf8);
    settings.HomeDirectory = "C:\\work";
    EXPECT_THROW(SaveSection(path, settings, CpUtf8), ESectionError);

    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    EXPECT_EQ(ReadBytes(path), before);
    const DWORD attrs = GetFileAttributesW(Wide(path).c_str());
    EXPECT_EQ((attrs & FILE_ATTRIBUTE_READONLY) != 0, GetParam().Kind == Guard::ReadOnly);
    EXPECT_EQ(dir.EntryCount(), 1u) << "a temporary file was left behind";
    SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(Guards, ProtectedFileTest,
                         ::testing::Values(GuardCase{"ReadOnly", Guard::ReadOnly},
                                           GuardCase{"OpenWithoutSharing", Guard::OpenWithoutSharing}),
                         [](const ::testing::TestParamInfo<GuardCase>& info) { return info.param.Name; });

// The backup of the old bytes is named after the file, cut to a length;
// the cut must not split a character in two.
struct NameCase {
    const char* Name;
    std::string File;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.Name;
}

class InPlaceTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(InPlaceTest, AHardLinkStaysOne) {
    TempDir dir;
    const std::string path = dir.File(GetParam().File);
    WriteBytes(path, "user line\r\n");
    const std::string link = dir.File("link.m");
    ASSERT_TRUE(CreateHardLinkW(Wide(link).c_str(), Wide(path).c_str(), nullptr));
    SectionSettings settings = DefaultSettings(CpUtf8);
    settings.HomeDirectory = "C:\\work";
    SaveSection(path, settings, CpUtf8);
    EXPECT_NE(ReadBytes(path).find("[HomeDirectory]C:\\work"), std::string::npos);
    EXPECT_EQ(ReadBytes(link), ReadBytes(path));
    EXPECT_EQ(dir.EntryCount(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Names, InPlaceTest,
                         ::testing::Values(NameCase{"Short", "init.m"},
                                           NameCase{"PairAtTheCut", std::string(99, 'n') + "\U0001F600.m"}),
                         [](const ::testing::TestParamInfo<NameCase>& info) { return info.param.Name; });

TEST(TempFileTest, KilledSavesLeftoversGoOthersStay) {
    // Left by a killed save a while ago, by a save that may still be
    // running, and not of this program's making.
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, "a\r\n");
    const char* const names[] = {".quillane-abcd1234.tmp", ".quillane-fresh000.tmp", ".quillane-x.tmp"};
    for (const char* name : names) WriteBytes(dir.File(name), "x");
    for (const char* name : {names[0], names[2]}) {
        HANDLE h =
            CreateFileW(Wide(dir.File(name)).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
        t.QuadPart -= 10ull * 60 * 10000000;  // ten minutes ago
        const FILETIME old{t.LowPart, t.HighPart};
        ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &old));
        CloseHandle(h);
    }
    SaveSection(path, SectionSettings{"C:\\work", false, "(未設定)"}, CpUtf8);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / names[0]));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / names[1]));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / names[2]));
}

TEST(TempFileTest, ANameOfAnyLengthSaves) {
    TempDir dir;
    const std::string path = dir.File(std::string(200, 'n'));
    WriteBytes(path, "a\r\n");
    SaveSection(path, SectionSettings{"C:\\work", false, "(未設定)"}, CpUtf8);
    EXPECT_NE(ReadBytes(path).find("[HomeDirectory]C:\\work"), std::string::npos);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

}  // namespace
