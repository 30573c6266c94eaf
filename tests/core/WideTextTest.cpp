// The UTF-8 <-> UTF-16 conversion every Windows backend uses: exact both
// ways, and malformed input is refused, never patched with U+FFFD.
#include "WideText_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

using namespace quillane;

namespace {

struct TextCase {
    const char* Name;
    std::string Utf8;
    std::wstring Wide;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.Name;
}

class WinTextRoundTrip : public ::testing::TestWithParam<TextCase> {};

TEST_P(WinTextRoundTrip, BothWaysExact) {
    std::wstring wide = L"stale";
    ASSERT_TRUE(Utf8ToWide(GetParam().Utf8, wide));
    EXPECT_EQ(wide, GetParam().Wide);
    std::string utf8 = "stale";
    ASSERT_TRUE(WideToUtf8(GetParam().Wide, utf8));
    EXPECT_EQ(utf8, GetParam().Utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WinTextRoundTrip,
    ::testing::Values(TextCase{"Empty", "", L""}, TextCase{"Path", "C:\\Wolfram\\init.m", L"C:\\Wolfram\\init.m"},
                      TextCase{"Japanese", "\xE8\xA1\xA8\xE3\x82\xBD\xE8\x83\xBD", L"\x8868\x30BD\x80FD"},
                      TextCase{"SurrogatePair", "\xF0\x9F\x98\x80", L"\xD83D\xDE00"},
                      TextCase{"EmbeddedNul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return info.param.Name; });

TEST(WideText, MalformedInputGivesNothing) {
    // A stray continuation byte, a cut sequence, an overlong form, an
    // encoded surrogate, a byte UTF-8 never uses, a code-page 932 character.
    for (const std::string& bad : {std::string("a\x80"
                                               "b"),
                                   std::string("a\xE8\xA1"), std::string("\xC0\xAF"), std::string("\xED\xA0\x80"),
                                   std::string("\xFF"), std::string("\x95\x5C")}) {
        std::wstring wide = L"stale";
        EXPECT_FALSE(Utf8ToWide(bad, wide)) << ::testing::PrintToString(bad);
        EXPECT_TRUE(wide.empty());
    }
    for (const std::wstring& bad : {std::wstring(L"a\xD800"),
                                    std::wstring(L"\xDC00"
                                                 L"b"),
                                    std::wstring(L"\xDE00\xD83D")}) {
        std::string utf8 = "stale";
        EXPECT_FALSE(WideToUtf8(bad, utf8)) << ::testing::PrintToString(bad);
        EXPECT_TRUE(utf8.empty());
    }
}

// The system's words end without the line break its messages carry, and a
// code it does not know has none.
TEST(WideText, SystemErrorTextHasNoClosingBreak) {
    const std::string known = SystemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(known.empty());
    EXPECT_EQ(std::string("\r\n ").find(known.back()), std::string::npos) << known;
    EXPECT_EQ(SystemErrorText(0x2FFFFFFFul), "");
}

}  // namespace
