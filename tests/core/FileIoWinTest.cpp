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

std::wstring Wide(const std::string& utf8)
{
    return std::filesystem::u8path(utf8).wstring();
}

enum class Guard { ReadOnly, OpenWithoutSharing };

struct GuardCase {
    const char* Name;
    Guard Kind;
};

void PrintTo(const GuardCase& c, std::ostream* os) { *os << c.Name; }

class ProtectedFileTest : public ::testing::TestWithParam<GuardCase> {};

TEST_P(ProtectedFileTest, SaveFailsAndLeavesTheFile)
{
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

}  // namespace
