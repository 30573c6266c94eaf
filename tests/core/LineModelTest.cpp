#include "LineModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quillane;
using namespace std::string_literals;

namespace {

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

class SplitLinesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, CutsAtEveryKindOfBreak)
{
    const auto& c = GetParam();
    const auto views = SplitLines(c.text);
    EXPECT_EQ(std::vector<std::string>(views.begin(), views.end()), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, SplitLinesTest,
    ::testing::Values(
        SplitCase{"Empty", "", {}},
        SplitCase{"OneLineNoBreak", "abc", {"abc"}},
        SplitCase{"FinalBreakAddsNoLine", "abc\r\n", {"abc"}},
        SplitCase{"Lf", "a\nb\n", {"a", "b"}},
        SplitCase{"Cr", "a\rb\r", {"a", "b"}},
        SplitCase{"CrLfIsOneBreak", "a\r\nb", {"a", "b"}},
        SplitCase{"LfCrIsTwoBreaks", "a\n\rb", {"a", "", "b"}},
        SplitCase{"CrCrLf", "a\r\r\nb", {"a", "", "b"}},
        SplitCase{"OnlyBreaks", "\r\n\n\r", {"", "", ""}},
        SplitCase{"LoneCrAtEnd", "a\r", {"a"}},
        SplitCase{"MixedLastWithoutBreak", "x\ny\r\nz", {"x", "y", "z"}},
        SplitCase{"NulKept", "a\0b\nc\0"s, {"a\0b"s, "c\0"s}},
        // Code page 932 text whose trail bytes are 0x5C stays intact.
        SplitCase{"Cp932Trail5C", "\x95\x5c\x83\x5c\r\n\x94\x5c", {"\x95\x5c\x83\x5c", "\x94\x5c"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JoinLinesTest, EveryLineGetsCrLfTheLastIncluded)
{
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    // A file with LF breaks and no final break comes back with CR LF.
    EXPECT_EQ(JoinLines(SplitLines("a\nb\nc")), "a\r\nb\r\nc\r\n");
}

struct MatchCase {
    const char* name;
    std::string line;
    bool equal;
};

class MarkerMatchTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MarkerMatchTest, WholeLineIgnoringCase)
{
    const std::string marker = "(*--- This section is added by Quillane ---*)";
    EXPECT_EQ(EqualsIgnoringCase(GetParam().line, marker), GetParam().equal);
}

INSTANTIATE_TEST_SUITE_P(
    Markers, MarkerMatchTest,
    ::testing::Values(MatchCase{"Exact", "(*--- This section is added by Quillane ---*)", true},
                      MatchCase{"Upper", "(*--- THIS SECTION IS ADDED BY QUILLANE ---*)", true},
                      MatchCase{"Lower", "(*--- this section is added by quillane ---*)", true},
                      MatchCase{"TrailingBlank", "(*--- This section is added by Quillane ---*) ", false},
                      MatchCase{"LeadingBlank", " (*--- This section is added by Quillane ---*)", false},
                      MatchCase{"Prefix", "(*--- This section is added by Quillane ---", false},
                      MatchCase{"Empty", "", false},
                      // A fold that just sets bit 0x20 would take ')' for '\t'.
                      MatchCase{"NonLetterNotFolded", "(*--- This section is added by Quillane ---*\x09", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EqualsIgnoringCaseTest, FoldsLettersOnly)
{
    EXPECT_TRUE(EqualsIgnoringCase("aZ", "Az"));
    EXPECT_FALSE(EqualsIgnoringCase("[", "{"));
    EXPECT_FALSE(EqualsIgnoringCase("@", "`"));
    // Code page 932 lead bytes are never folded onto ASCII.
    EXPECT_FALSE(EqualsIgnoringCase("\x82\x60", "ab"));
}

TEST(FindMarkerLineTest, FirstMatchFromTheTop)
{
    const std::vector<std::string_view> lines{"a", "END", "b", "end", "End"};
    EXPECT_EQ(FindMarkerLine(lines, "end"), 1);
    EXPECT_EQ(FindMarkerLine(lines, "b"), 2);
    EXPECT_EQ(FindMarkerLine(lines, "c"), LineNotFound);
    EXPECT_EQ(FindMarkerLine({}, "a"), LineNotFound);
}

struct DirectiveCase {
    const char* name;
    std::string line;
    bool is;
};

class DirectiveTest : public ::testing::TestWithParam<DirectiveCase> {};

TEST_P(DirectiveTest, CaseSensitivePrefix)
{
    EXPECT_EQ(IsDirective(GetParam().line, "[HomeDirectory]"), GetParam().is);
}

INSTANTIATE_TEST_SUITE_P(Directives, DirectiveTest,
                         ::testing::Values(DirectiveCase{"Bare", "[HomeDirectory]", true},
                                           DirectiveCase{"WithValue", "[HomeDirectory]C:\\work", true},
                                           DirectiveCase{"LowerCase", "[homedirectory]C:\\work", false},
                                           DirectiveCase{"LeadingBlank", " [HomeDirectory]C:\\work", false},
                                           DirectiveCase{"Shorter", "[HomeDirectory", false},
                                           DirectiveCase{"Empty", "", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LineListTest, ViewsSurviveAMove)
{
    // Short text sits inside the string object itself; the list must keep
    // its views valid when it is moved.
    LineList a(std::string("x\ny"));
    LineList b(std::move(a));
    ASSERT_EQ(b.Count(), 2u);
    EXPECT_EQ(b.Lines()[0], "x");
    EXPECT_EQ(b.Lines()[1], "y");
}

}  // namespace

namespace {

TEST(FindMarkerHitsTest, FirstLinesAcrossPiecesWithTheirPlaces)
{
    // Pieces are cut into lines on their own, as the parts of a file being
    // assembled: the CR ending the first piece and the LF starting the
    // second are two breaks.
    const std::string_view pieces[] = {"a\r\nEND\r", "\nb\nend", "", "B\r\n"};
    const std::string_view markers[] = {"end", "b", "none"};
    MarkerHit hits[3];
    FindMarkerHits(pieces, 4, markers, 3, hits);
    EXPECT_EQ(hits[0].Line, 1);
    EXPECT_EQ(hits[0].Begin.Piece, 0u);
    EXPECT_EQ(hits[0].Begin.Offset, 3u);
    EXPECT_EQ(hits[0].Next.Offset, 7u);
    EXPECT_EQ(hits[1].Line, 3);
    EXPECT_EQ(hits[1].Begin.Piece, 1u);
    EXPECT_EQ(hits[1].Begin.Offset, 1u);
    EXPECT_EQ(hits[1].Next.Offset, 3u);
    EXPECT_EQ(hits[2].Line, LineNotFound);
}

TEST(FindMarkerHitsTest, LongMarkersAreFoundToo)
{
    const std::string marker(100, 'm');
    const std::string text = "x\n" + std::string(100, 'M') + "\n" + marker;
    const std::string_view piece = text;
    const std::string_view markers[] = {marker};
    MarkerHit hit;
    FindMarkerHits(&piece, 1, markers, 1, &hit);
    EXPECT_EQ(hit.Line, 1);
}

}  // namespace
