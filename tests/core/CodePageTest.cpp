#include "CodePage.h"

#include <gtest/gtest.h>

#include <string>

using namespace quillane;

namespace {

struct RoundTripCase {
    const char* name;
    unsigned codePage;
    std::string utf8;
    std::string bytes;
};

class CodePageRoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(CodePageRoundTripTest, EncodesAndDecodesExactly) {
    const auto& c = GetParam();
    EXPECT_EQ(FromUtf8(c.utf8, c.codePage), c.bytes);
    EXPECT_EQ(ToUtf8(c.bytes, c.codePage), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CodePageRoundTripTest,
    ::testing::Values(RoundTripCase{"EmptyCp932", CpShiftJis, "", ""},
                      RoundTripCase{"AsciiCp932", CpShiftJis, "C:\\work", "C:\\work"},
                      RoundTripCase{"NotSetCp932", CpShiftJis, "(未設定)", "(\x96\xa2\x90\xdd\x92\xe8)"},
                      // Trail byte 0x5C: must not be taken for a backslash.
                      RoundTripCase{"Trail5CCp932", CpShiftJis, "表ソ能", "\x95\x5c\x83\x5c\x94\x5c"},
                      RoundTripCase{"HalfWidthKanaCp932", CpShiftJis, "ｱ", "\xb1"},
                      RoundTripCase{"FullWidthTildeCp932", CpShiftJis, "\uff5e", "\x81\x60"},
                      RoundTripCase{"Utf8", CpUtf8, "(未設定)", "(未設定)"},
                      RoundTripCase{"Utf8Nul", CpUtf8, std::string("a\0b", 3), std::string("a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
    const char* name;
    unsigned codePage;
    std::string input;
    bool decoding;
};

class CodePageErrorTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(CodePageErrorTest, RaisesInsteadOfReplacing) {
    const auto& c = GetParam();
    if (c.decoding)
        EXPECT_THROW(ToUtf8(c.input, c.codePage), ECodePageError);
    else
        EXPECT_THROW(FromUtf8(c.input, c.codePage), ECodePageError);
}

INSTANTIATE_TEST_SUITE_P(Bad, CodePageErrorTest,
                         ::testing::Values(BadCase{"Cp932LoneLeadByte", CpShiftJis, "a\x95", true},
                                           BadCase{"Cp932InvalidTrail", CpShiftJis, "\x81\x20", true},
                                           BadCase{"Utf8Truncated", CpUtf8, "\xe6\x9c", true},
                                           BadCase{"Utf8Overlong", CpUtf8, "\xc0\xaf", true},
                                           BadCase{"Cp932CannotHoldEmoji", CpShiftJis, "\xf0\x9f\x98\x80", false},
                                           BadCase{"Cp932CannotHoldHangul", CpShiftJis, "한", false},
                                           BadCase{"InvalidUtf8Input", CpShiftJis, "\xff", false},
                                           // Characters that only a look-alike of the code page
                                           // stands for: the yen sign would come back as a
                                           // backslash, a path separator.
                                           BadCase{"Cp932YenSignIsNotABackslash", CpShiftJis,
                                                   "C:\\a\u00a5"
                                                   "b",
                                                   false},
                                           BadCase{"Cp932OverlineIsNotATilde", CpShiftJis, "\u203e", false},
                                           BadCase{"Cp932WaveDashIsNotFullWidthTilde", CpShiftJis, "\u301c", false},
                                           BadCase{"Cp932MinusSignIsNotFullWidthHyphen", CpShiftJis, "\u2212", false},
                                           BadCase{"Cp932EmDashIsNotHorizontalBar", CpShiftJis, "x\u2014", false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct LeadCase {
    unsigned char byte;
    bool lead932;
};

TEST(CodePageTest, LeadBytesOfCp932) {
    const LeadCase cases[] = {{0x5C, false}, {0x80, false}, {0x81, true}, {0x9F, true}, {0xA0, false},
                              {0xB1, false}, {0xDF, false}, {0xE0, true}, {0xFC, true}, {0xFD, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(IsLeadByte(c.byte, CpShiftJis), c.lead932) << int(c.byte);
        EXPECT_FALSE(IsLeadByte(c.byte, CpUtf8)) << int(c.byte);
    }
}

}  // namespace
