#include "LineScan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace quillane;

namespace {

struct RefLine {
    std::string text;
    std::size_t next;
    bool operator==(const RefLine& o) const { return text == o.text && next == o.next; }
};

// The line rules, one byte at a time.
std::vector<RefLine> ReferenceLines(const std::string& t) {
    std::vector<RefLine> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '\r' && t[i] != '\n') continue;
        const std::size_t next = (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ? i + 2 : i + 1;
        out.push_back({t.substr(start, i - start), next});
        start = next;
        i = next - 1;
    }
    if (start < t.size()) out.push_back({t.substr(start), t.size()});
    return out;
}

std::vector<std::size_t> ReferenceLoneBreaks(const std::string& t) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const bool loneCr = t[i] == '\r' && !(i + 1 < t.size() && t[i + 1] == '\n');
        const bool loneLf = t[i] == '\n' && !(i > 0 && t[i - 1] == '\r');
        if (loneCr || loneLf) out.push_back(i);
    }
    return out;
}

std::vector<RefLine> ScannedLines(const std::string& t) {
    std::vector<RefLine> out;
    ForEachLine(t, [&](std::string_view line, std::size_t next) {
        out.push_back({std::string(line), next});
        return true;
    });
    return out;
}

// Each kind of break counted by the byte rules: CR LF, lone LF, lone CR.
std::vector<std::size_t> ReferenceCounts(const std::string& t) {
    std::vector<std::size_t> counts(3);
    for (const std::size_t i : ReferenceLoneBreaks(t)) ++counts[t[i] == '\n' ? 1 : 2];
    for (std::size_t i = 0; i + 1 < t.size(); ++i) counts[0] += t[i] == '\r' && t[i + 1] == '\n';
    return counts;
}

std::vector<std::size_t> Counted(const std::string& t) {
    const BreakCounts c = CountBreaks(t);
    return {c.CrLf, c.Lf, c.Cr};
}

// Breaks that straddle the 64-byte blocks the scan works in, and bytes that
// differ from CR or LF only in the top bit.
struct EdgeCase {
    const char* name;
    std::string text;
};

std::string At(std::size_t pos, const std::string& piece, std::size_t size = 0) {
    std::string t(pos, 'x');
    t += piece;
    if (t.size() < size) t.append(size - t.size(), 'y');
    return t;
}

class LineScanEdgeTest : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(LineScanEdgeTest, AgreesWithTheByteRules) {
    const std::string& t = GetParam().text;
    EXPECT_EQ(ScannedLines(t), ReferenceLines(t));
    EXPECT_EQ(Counted(t), ReferenceCounts(t));
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, LineScanEdgeTest,
    ::testing::Values(EdgeCase{"Empty", ""}, EdgeCase{"CrLfAcrossBlocks", At(63, "\r\n", 130)},
                      EdgeCase{"CrLfAcrossBatches", At(16 * 64 - 1, "\r\n", 16 * 64 + 10)},
                      EdgeCase{"LoneCrEndsBlock", At(63, "\rz", 70)}, EdgeCase{"LfStartsBlock", At(64, "\n", 70)},
                      EdgeCase{"LfCrAcrossBlocks", At(63, "\n\r", 70)}, EdgeCase{"CrAtTextEnd", At(127, "\r")},
                      EdgeCase{"CrLfEndsText", At(126, "\r\n")}, EdgeCase{"LastBlockShort", At(70, "\r\n\rq\n")},
                      EdgeCase{"HighBitLookalikes", At(10, "\x8d\x8a\x0d\x8d\x0a\x8a", 80)},
                      EdgeCase{"OtherControlBytes", At(5, std::string("\t\v\f\x0e\x0c\0", 6) + "\r\n", 64)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineScanTest, RandomTextsAgreeWithTheByteRules) {
    // Dense breaks over a few blocks: every carry between blocks and every
    // CR LF / LF CR combination turns up.
    std::mt19937 rng(7);
    const char alphabet[] = {'\r', '\n', 'a', '\0', '\x8d', '\x8a', '\x0c'};
    for (int round = 0; round < 3000; ++round) {
        const std::size_t size = rng() % 300;
        std::string t;
        for (std::size_t i = 0; i < size; ++i) t += alphabet[rng() % (round % 2 ? 7 : 3)];
        ASSERT_EQ(ScannedLines(t), ReferenceLines(t)) << round;
        ASSERT_EQ(Counted(t), ReferenceCounts(t)) << round;
    }
}

TEST(LineScanTest, StopsWhenAsked) {
    const std::string t = At(100, "\n") + At(50, "\n") + "tail";
    int calls = 0;
    EXPECT_FALSE(ForEachLine(t, [&](std::string_view, std::size_t) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
    calls = 0;
    // The last line without a break is offered too, and can stop the scan.
    EXPECT_FALSE(ForEachLine(std::string("a\nb"), [&](std::string_view line, std::size_t) {
        ++calls;
        return line != "b";
    }));
    EXPECT_EQ(calls, 2);
}

// Lines beginning with "(*" by the byte rules: where each starts and how many
// lines come before it.
std::vector<std::pair<std::size_t, std::ptrdiff_t>> ReferenceLeadLines(const std::string& t) {
    std::vector<std::pair<std::size_t, std::ptrdiff_t>> out;
    std::size_t start = 0;
    std::ptrdiff_t index = 0;
    for (const RefLine& line : ReferenceLines(t)) {
        if (line.text.compare(0, 2, "(*") == 0) out.emplace_back(start, index);
        start = line.next;
        ++index;
    }
    return out;
}

TEST(LineScanTest, LinesBeginningWithAgreeWithTheByteRules) {
    // Sizes across several batches of blocks, so that leads, breaks and CR
    // LF pairs fall on every block edge.
    std::mt19937 rng(19);
    const char alphabet[] = {'\r', '\n', '(', '*', 'a', '\0'};
    for (int round = 0; round < 3000; ++round) {
        const std::size_t size = round % 10 == 0 ? rng() % 3000 : rng() % 300;
        std::string t;
        for (std::size_t i = 0; i < size; ++i) t += alphabet[rng() % (round % 3 ? 6 : 4)];
        std::vector<std::pair<std::size_t, std::ptrdiff_t>> got;
        const std::ptrdiff_t lines = ForEachLineBeginningWith(t, '(', '*', [&](std::size_t pos, std::ptrdiff_t index) {
            got.emplace_back(pos, index);
            return true;
        });
        ASSERT_EQ(got, ReferenceLeadLines(t)) << round;
        ASSERT_EQ(lines, static_cast<std::ptrdiff_t>(ReferenceLines(t).size())) << round;
        // Not counting finds the same lines.
        std::vector<std::size_t> uncounted;
        ForEachLineBeginningWith<false>(t, '(', '*', [&](std::size_t pos, std::ptrdiff_t) {
            uncounted.push_back(pos);
            return true;
        });
        ASSERT_EQ(uncounted.size(), got.size()) << round;
        for (std::size_t i = 0; i < got.size(); ++i) ASSERT_EQ(uncounted[i], got[i].first) << round;
    }
}

TEST(LineScanTest, LinesBeginningWithStopWhenAsked) {
    const std::string t = At(70, "\n(*a\n") + "(*b";
    int calls = 0;
    EXPECT_EQ(ForEachLineBeginningWith(t, '(', '*', [&](std::size_t, std::ptrdiff_t) { return ++calls < 1; }), -1);
    EXPECT_EQ(calls, 1);
    // A lead that the text ends in the middle of is no lead.
    const auto stop = [](std::size_t, std::ptrdiff_t) { return false; };
    EXPECT_EQ(ForEachLineBeginningWith(std::string("x\n("), '(', '*', stop), 2);
}

TEST(LineScanTest, BitCountAgreesWithCountingBitByBit) {
    std::vector<std::uint64_t> values = {
        0, 1, 0xFF, 0xFF00, ~std::uint64_t{0}, std::uint64_t{1} << 63, 0x5555555555555555ull, 0xF0F0F0F0F0F0F0F0ull};
    std::mt19937_64 rng(41);
    for (int i = 0; i < 1000; ++i) values.push_back(rng() & rng());
    for (const std::uint64_t v : values) {
        unsigned bits = 0;
        for (int i = 0; i < 64; ++i) bits += (v >> i) & 1;
        ASSERT_EQ(BitCount(v), bits) << std::hex << v;
    }
}

}  // namespace
