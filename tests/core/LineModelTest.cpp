#include "LineModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
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

TEST_P(SplitLinesTest, CutsAtEveryKindOfBreak) {
    const auto& c = GetParam();
    const auto views = SplitLines(c.text);
    EXPECT_EQ(std::vector<std::string>(views.begin(), views.end()), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, SplitLinesTest,
    ::testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"OneLineNoBreak", "abc", {"abc"}},
                      SplitCase{"FinalBreakAddsNoLine", "abc\r\n", {"abc"}}, SplitCase{"Lf", "a\nb\n", {"a", "b"}},
                      SplitCase{"Cr", "a\rb\r", {"a", "b"}}, SplitCase{"CrLfIsOneBreak", "a\r\nb", {"a", "b"}},
                      SplitCase{"LfCrIsTwoBreaks", "a\n\rb", {"a", "", "b"}},
                      SplitCase{"CrCrLf", "a\r\r\nb", {"a", "", "b"}},
                      SplitCase{"OnlyBreaks", "\r\n\n\r", {"", "", ""}}, SplitCase{"LoneCrAtEnd", "a\r", {"a"}},
                      SplitCase{"MixedLastWithoutBreak", "x\ny\r\nz", {"x", "y", "z"}},
                      SplitCase{"NulKept", "a\0b\nc\0"s, {"a\0b"s, "c\0"s}},
                      // Code page 932 text whose trail bytes are 0x5C stays intact.
                      SplitCase{"Cp932Trail5C", "\x95\x5c\x83\x5c\r\n\x94\x5c", {"\x95\x5c\x83\x5c", "\x94\x5c"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JoinLinesTest, EveryLineGetsCrLfTheLastIncluded) {
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

TEST_P(MarkerMatchTest, WholeLineIgnoringCase) {
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

TEST(EqualsIgnoringCaseTest, FoldsLettersOnly) {
    EXPECT_TRUE(EqualsIgnoringCase("aZ", "Az"));
    EXPECT_FALSE(EqualsIgnoringCase("[", "{"));
    EXPECT_FALSE(EqualsIgnoringCase("@", "`"));
    // Code page 932 lead bytes are never folded onto ASCII.
    EXPECT_FALSE(EqualsIgnoringCase("\x82\x60", "ab"));
}

struct DirectiveCase {
    const char* name;
    std::string line;
    bool is;
};

class DirectiveTest : public ::testing::TestWithParam<DirectiveCase> {};

TEST_P(DirectiveTest, CaseSensitivePrefix) {
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

}  // namespace

namespace {

TEST(MarkerHitsTest, FirstLinesAcrossPiecesWithTheirPlaces) {
    // Pieces are cut into lines on their own, as the parts of a file being
    // assembled: the CR ending the first piece and the LF starting the
    // second are two breaks.
    const std::string_view pieces[] = {"a\r\nEND\r", "\nb\nend", "", "B\r\n"};
    const std::string_view markers[] = {"end", "b", "none"};
    MarkerHit hits[3];
    ContinueMarkerHits(pieces, 4, 0, 0, markers, 3, 3, hits);
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

TEST(MarkerHitsTest, LongMarkersAreFoundToo) {
    const std::string marker(100, 'm');
    const std::string text = "x\n" + std::string(100, 'M') + "\n" + marker;
    const std::string_view piece = text;
    const std::string_view markers[] = {marker};
    MarkerHit hit;
    ContinueMarkerHits(&piece, 1, 0, 0, markers, 1, 1, &hit);
    EXPECT_EQ(hit.Line, 1);
}

// The first line of each marker over the lines of the pieces, each piece cut
// on its own, found one line at a time.
std::vector<MarkerHit> ReferenceHits(const std::vector<std::string>& pieces, const std::vector<std::string>& markers) {
    std::vector<MarkerHit> hits(markers.size());
    std::ptrdiff_t index = 0;
    for (std::size_t p = 0; p < pieces.size(); ++p) {
        const std::string_view text = pieces[p];
        for (const std::string_view line : SplitLines(text)) {
            const std::size_t begin = static_cast<std::size_t>(line.data() - text.data());
            std::size_t next = begin + line.size();
            if (next < text.size()) next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
            for (std::size_t k = 0; k < markers.size(); ++k) {
                if (hits[k].Line == LineNotFound && EqualsIgnoringCase(line, markers[k]))
                    hits[k] = MarkerHit{index, {p, begin}, {p, next}};
            }
            ++index;
        }
    }
    return hits;
}

struct MarkerSetCase {
    const char* name;
    std::vector<std::string> markers;
    bool lead;  // whether only lines with the markers' first bytes are looked at
};

class MarkerSearchTest : public ::testing::TestWithParam<MarkerSetCase> {};

TEST_P(MarkerSearchTest, FindsWhatALineByLineSearchFinds) {
    const auto& c = GetParam();
    std::vector<std::string_view> markers(c.markers.begin(), c.markers.end());
    EXPECT_EQ(MarkerSet(markers.data(), markers.size()).HasLead(), c.lead);

    // Lines that are markers in any case, nearly markers, or filler long
    // enough to push markers across the 64-byte blocks of the scan.
    std::vector<std::string> lines;
    for (const std::string& m : c.markers) {
        std::string upper = m;
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        lines.insert(lines.end(), {m, upper, m + " ", m.substr(0, m.size() - 1), "x" + m});
    }
    lines.insert(lines.end(), {"", "(*", "(* filler *)", std::string(50, 'f'), std::string(70, '(')});
    const char* const breaks[] = {"\r\n", "\n", "\r"};
    std::mt19937 rng(29);
    int found = 0;
    for (int round = 0; round < 1500; ++round) {
        std::vector<std::string> pieces(1 + rng() % 3);
        for (std::string& piece : pieces) {
            for (std::size_t n = rng() % 14; n > 0; --n) piece += lines[rng() % lines.size()] + breaks[rng() % 3];
            if (rng() % 3 == 0 && !piece.empty()) piece.pop_back();
        }
        std::vector<std::string_view> views(pieces.begin(), pieces.end());
        std::vector<MarkerHit> hits(markers.size());
        const std::ptrdiff_t looked = ContinueMarkerHits(views.data(), views.size(), 0, 0, markers.data(),
                                                         markers.size(), markers.size(), hits.data());
        const std::vector<MarkerHit> want = ReferenceHits(pieces, c.markers);
        // The lines looked at: up to the last marker found first, or all.
        std::ptrdiff_t wantLooked = 0;
        bool all = true;
        for (const MarkerHit& h : want) {
            all = all && h.Line != LineNotFound;
            wantLooked = std::max(wantLooked, h.Line + 1);
        }
        if (!all) {
            wantLooked = 0;
            for (const std::string& piece : pieces) wantLooked += static_cast<std::ptrdiff_t>(SplitLines(piece).size());
        }
        ASSERT_EQ(looked, wantLooked) << round;
        for (std::size_t k = 0; k < markers.size(); ++k) {
            ASSERT_EQ(hits[k].Line, want[k].Line) << round << " marker " << k;
            if (want[k].Line == LineNotFound) continue;
            ++found;
            ASSERT_EQ(hits[k].Begin.Piece, want[k].Begin.Piece) << round;
            ASSERT_EQ(hits[k].Begin.Offset, want[k].Begin.Offset) << round;
            ASSERT_EQ(hits[k].Next.Piece, want[k].Next.Piece) << round;
            ASSERT_EQ(hits[k].Next.Offset, want[k].Next.Offset) << round;
        }
    }
    EXPECT_GT(found, 1000);
}

INSTANTIATE_TEST_SUITE_P(Sets, MarkerSearchTest,
                         ::testing::Values(MarkerSetCase{"SharedLead",
                                                         {"(*--- Begin ---*)", "(*--- End ---*)", "(* c b *)",
                                                          "(* c e *)"},
                                                         true},
                                           MarkerSetCase{"LetterLead", {"Begin", "bend"}, false},
                                           MarkerSetCase{"DifferentLeads", {"(*x*)", "(-y-)"}, false},
                                           MarkerSetCase{"OneByteMarker", {"(", "(*z"}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
