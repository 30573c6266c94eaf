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
std::vector<RefLine> ReferenceLines(const std::string& t)
{
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

std::vector<std::size_t> ReferenceLoneBreaks(const std::string& t)
{
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const bool loneCr = t[i] == '\r' && !(i + 1 < t.size() && t[i + 1] == '\n');
        const bool loneLf = t[i] == '\n' && !(i > 0 && t[i - 1] == '\r');
        if (loneCr || loneLf) out.push_back(i);
    }
    return out;
}

std::vector<RefLine> ScannedLines(const std::string& t)
{
    std::vector<RefLine> out;
    ForEachLine(t, [&](std::string_view line, std::size_t next) {
        out.push_back({std::string(line), next});
        return true;
    });
    return out;
}

std::vector<std::size_t> ScannedLoneBreaks(const std::string& t)
{
    std::vector<std::size_t> out;
    ForEachLoneBreak(t, [&](std::size_t pos) {
        out.push_back(pos);
        return true;
    });
    return out;
}

// Breaks that straddle the 64-byte blocks the scan works in, and bytes that
// differ from CR or LF only in the top bit.
struct EdgeCase {
    const char* name;
    std::string text;
};

std::string At(std::size_t pos, const std::string& piece, std::size_t size = 0)
{
    std::string t(pos, 'x');
    t += piece;
    if (t.size() < size) t.append(size - t.size(), 'y');
    return t;
}

class LineScanEdgeTest : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(LineScanEdgeTest, AgreesWithTheByteRules)
{
    const std::string& t = GetParam().text;
    EXPECT_EQ(ScannedLines(t), ReferenceLines(t));
    EXPECT_EQ(ScannedLoneBreaks(t), ReferenceLoneBreaks(t));
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

TEST(LineScanTest, RandomTextsAgreeWithTheByteRules)
{
    // Dense breaks over a few blocks: every carry between blocks and every
    // CR LF / LF CR combination turns up.
    std::mt19937 rng(7);
    const char alphabet[] = {'\r', '\n', 'a', '\0', '\x8d', '\x8a', '\x0c'};
    for (int round = 0; round < 3000; ++round) {
        const std::size_t size = rng() % 300;
        std::string t;
        for (std::size_t i = 0; i < size; ++i) t += alphabet[rng() % (round % 2 ? 7 : 3)];
        ASSERT_EQ(ScannedLines(t), ReferenceLines(t)) << round;
        ASSERT_EQ(ScannedLoneBreaks(t), ReferenceLoneBreaks(t)) << round;
    }
}

TEST(LineScanTest, StopsWhenAsked)
{
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
    calls = 0;
    EXPECT_FALSE(ForEachLoneBreak(t, [&](std::size_t) { return ++calls < 1; }));
    EXPECT_EQ(calls, 1);
}

}  // namespace
