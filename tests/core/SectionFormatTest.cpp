#include "CodePage.h"
#include "LineModel.h"
#include "SectionFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <random>

#include <string>
#include <vector>

using namespace quillane;

namespace {

std::vector<std::string> WrittenLines(const SectionSettings& s, unsigned cp) {
    return BuildSectionLines(s, cp);
}

std::string WrittenText(const SectionSettings& s, unsigned cp) {
    std::string text;
    for (const auto& line : BuildSectionLines(s, cp)) text += line + "\r\n";
    return text;
}

const std::vector<std::string> HomeBlock(const std::string& literal) {
    return {"",
            "$Path = DeleteCases[$Path, $HomeDirectory]",
            "Unprotect[$HomeDirectory]",
            "$HomeDirectory = \"" + literal + "\"",
            "Protect[$HomeDirectory]",
            "AppendTo[$Path, $HomeDirectory]",
            "SetDirectory[$HomeDirectory]",
            ""};
}

const std::vector<std::string> UtilsBlock() {
    return {"",
            "MoveToNotebookDirectory::usage =",
            "\"MoveToNotebook[] はノートブックの保存先ディレクトリをカレントディレクトリにする。(Quillane)\"",
            "MoveToNotebookDirectory[] :=",
            "SetDirectory[ ToFileName[NotebookDirectory /. Options[$FrontEnd]] ];",
            ""};
}

const std::string Start = "(*--- This section is added by Quillane ---*)";
const std::string End = "(*--- End of section added by Quillane ---*)";

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(SectionLayoutTest, WorkedExampleIsEighteenLines) {
    SectionSettings s;
    s.HomeDirectory = "C:\\work";
    s.DefineUtils = false;
    s.Commands = "Off[General::spell]\r\n";
    const std::vector<std::string> expected{Start,
                                            "(*",
                                            "[HomeDirectory]C:\\work",
                                            "*)",
                                            "",
                                            "$Path = DeleteCases[$Path, $HomeDirectory]",
                                            "Unprotect[$HomeDirectory]",
                                            "$HomeDirectory = \"C:\\\\work\"",
                                            "Protect[$HomeDirectory]",
                                            "AppendTo[$Path, $HomeDirectory]",
                                            "SetDirectory[$HomeDirectory]",
                                            "",
                                            "(* Quillane commands begin *)",
                                            "Off[General::spell]",
                                            "",
                                            "(* Quillane commands end *)",
                                            "",
                                            End};
    EXPECT_EQ(WrittenLines(s, CpUtf8), expected);
    EXPECT_EQ(WrittenLines(s, CpShiftJis), expected);
}

struct LayoutCase {
    const char* name;
    bool home;
    bool utils;
    bool commands;
};

class SectionLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(SectionLayoutTest, BlocksFollowTheSettings) {
    const auto& c = GetParam();
    SectionSettings s = DefaultSettings(CpUtf8);
    if (c.home) s.HomeDirectory = "/home/u";
    s.DefineUtils = c.utils;
    if (c.commands) s.Commands = "A\r\nB";
    std::vector<std::string> expected{Start, "(*"};
    if (c.home) expected.push_back("[HomeDirectory]/home/u");
    if (c.utils) expected.push_back("[DefineUtils]");
    expected.push_back("*)");
    if (c.home) expected = Concat({expected, HomeBlock("/home/u")});
    if (c.utils) expected = Concat({expected, UtilsBlock()});
    if (c.commands)
        expected =
            Concat({expected, {"(* Quillane commands begin *)", "A", "B", "", "(* Quillane commands end *)", ""}});
    expected.push_back(End);
    EXPECT_EQ(WrittenLines(s, CpUtf8), expected);
}

INSTANTIATE_TEST_SUITE_P(Combinations, SectionLayoutTest,
                         ::testing::Values(LayoutCase{"OnlyUtils", false, true, false},
                                           LayoutCase{"OnlyHome", true, false, false},
                                           LayoutCase{"OnlyCommands", false, false, true},
                                           LayoutCase{"HomeAndUtils", true, true, false},
                                           LayoutCase{"All", true, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SectionLayoutTest, UsageTextIsEncodedInTheCodePage) {
    SectionSettings s = DefaultSettings(CpShiftJis);
    s.DefineUtils = true;
    const std::string text = WrittenText(s, CpShiftJis);
    const std::string usage = FromUtf8("はノートブック", CpShiftJis);
    EXPECT_NE(text.find(usage), std::string::npos);
    EXPECT_EQ(text.find("はノートブック"), std::string::npos);
}

struct NotSetCase {
    const char* name;
    std::string home;
    std::string commands;
    bool homeWritten;
    bool commandsWritten;
};

class NotSetRuleTest : public ::testing::TestWithParam<NotSetCase> {};

TEST_P(NotSetRuleTest, ExactForHomeContainedForCommands) {
    const auto& c = GetParam();
    for (const unsigned cp : {CpUtf8, CpShiftJis}) {
        SectionSettings s;
        s.HomeDirectory = FromUtf8(c.home, cp);
        s.Commands = FromUtf8(c.commands, cp);
        s.DefineUtils = true;  // so a section is always written
        const std::string text = WrittenText(s, cp);
        EXPECT_EQ(text.find("[HomeDirectory]") != std::string::npos, c.homeWritten) << cp;
        EXPECT_EQ(text.find("(* Quillane commands begin *)") != std::string::npos, c.commandsWritten) << cp;
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, NotSetRuleTest,
                         ::testing::Values(NotSetCase{"BothNotSet", "(未設定)", "(未設定)", false, false},
                                           NotSetCase{"NotSetInsideCommands", "(未設定)", "Print[1]\r\n(未設定)x\r\n",
                                                      false, false},
                                           NotSetCase{"HomeWithBlank", " (未設定)", "", true, true},
                                           NotSetCase{"HomeOtherCase", "(未設定)X", "a", true, true},
                                           NotSetCase{"EmptyHomeIsAValue", "", "a", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SectionWantedTest, OnlyAllThreeNotSetMeansNoSection) {
    const std::string ns = NotSetText(CpShiftJis);
    SectionSettings s{ns, false, "x" + ns};
    EXPECT_FALSE(SectionWanted(s, ns));
    s.DefineUtils = true;
    EXPECT_TRUE(SectionWanted(s, ns));
    s = SectionSettings{ns + " ", false, ns};
    EXPECT_TRUE(SectionWanted(s, ns));
    s = SectionSettings{ns, false, ""};
    EXPECT_TRUE(SectionWanted(s, ns));
}

struct EscapeCase {
    const char* name;
    unsigned codePage;
    std::string text;
    std::string literal;
};

class EscapeTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeTest, BackslashAndQuoteOnly) {
    const auto& c = GetParam();
    EXPECT_EQ(EscapeMathematicaString(c.text, c.codePage), c.literal);
}

INSTANTIATE_TEST_SUITE_P(Texts, EscapeTest,
                         ::testing::Values(EscapeCase{"Plain", CpUtf8, "/home/u", "/home/u"},
                                           EscapeCase{"TabTrap", CpShiftJis, "C:\\temp", "C:\\\\temp"},
                                           EscapeCase{"NewlineTrap", CpShiftJis, "C:\\new", "C:\\\\new"},
                                           EscapeCase{"Quote", CpUtf8, "a\"b", "a\\\"b"},
                                           EscapeCase{"TrailingBackslash", CpUtf8, "C:\\", "C:\\\\"},
                                           EscapeCase{"OtherBytesKept", CpUtf8, "a'b$c`\t", "a'b$c`\t"},
                                           // 表 is 0x95 0x5C in code page 932: the 0x5C is no backslash.
                                           EscapeCase{"Cp932Trail5C", CpShiftJis, "C:\\\x95\x5c\\x",
                                                      "C:\\\\\x95\x5c\\\\x"},
                                           EscapeCase{"Cp932Trail5CAtEnd", CpShiftJis, "\x83\x5c", "\x83\x5c"},
                                           // In UTF-8 the same bytes are not a character pair.
                                           EscapeCase{"Utf8Has5C", CpUtf8, "\x95\x5c", "\x95\\\x5c"},
                                           EscapeCase{"Utf8Japanese", CpUtf8, "表\\ソ", "表\\\\ソ"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SectionLayoutTest, HeaderKeepsTheRawHomeDirectory) {
    SectionSettings s = DefaultSettings(CpShiftJis);
    s.HomeDirectory = "C:\\\x95\x5c\"q";
    const auto lines = WrittenLines(s, CpShiftJis);
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[2], "[HomeDirectory]C:\\\x95\x5c\"q");
    EXPECT_EQ(lines[7], "$HomeDirectory = \"C:\\\\\x95\x5c\\\"q\"");
}

}  // namespace

namespace {

// Serves a text a few bytes at a time.
class SmallReads : public IReadableFile {
public:
    SmallReads(std::string text, std::size_t step) : FText(std::move(text)), FStep(step) {}
    FileError Read(char* data, std::size_t size, std::size_t& got) override {
        got = std::min({FStep, size, FText.size() - FAt});
        std::copy_n(FText.data() + FAt, got, data);
        FAt += got;
        return 0;
    }

private:
    std::string FText;
    std::size_t FStep;
    std::size_t FAt = 0;
};

bool Same(const SectionSettings& a, const SectionSettings& b) {
    return a.HomeDirectory == b.HomeDirectory && a.DefineUtils == b.DefineUtils && a.Commands == b.Commands;
}

// The reader's steps one line at a time over the whole text, without the
// shortcuts the engine takes.
SectionSettings ReferenceRead(const std::string& text, const SectionMarkers& m, SectionSettings s) {
    const std::vector<std::string_view> lines = SplitLines(std::string_view(text).substr(BomLength(text)));
    const auto first = [&](std::string_view marker) {
        const auto it = std::find_if(lines.begin(), lines.end(),
                                     [&](std::string_view line) { return EqualsIgnoringCase(line, marker); });
        return it == lines.end() ? LineNotFound : it - lines.begin();
    };
    const std::ptrdiff_t start = first(m.StartMarker);
    const std::ptrdiff_t end = first(m.EndMarker);
    const std::ptrdiff_t begin = first(m.CommandsBegin);
    const std::ptrdiff_t stop = first(m.CommandsEnd);
    s.DefineUtils = false;
    if (start < 0 || end < 0) return s;
    for (std::ptrdiff_t i = start + 1; i < end; ++i) {
        const std::string_view line = lines[static_cast<std::size_t>(i)];
        if (IsDirective(line, m.HomeDirective)) s.HomeDirectory = std::string(line.substr(m.HomeDirective.size()));
        if (IsDirective(line, m.DefineUtilsDirective)) s.DefineUtils = true;
    }
    if (begin > start && stop < end) {
        s.Commands.clear();
        for (std::ptrdiff_t i = begin + 1; i < stop; ++i) {
            s.Commands.append(lines[static_cast<std::size_t>(i)]);
            s.Commands.append("\r\n");
        }
        // The empty line just before the end marker is the writer's.
        if (stop > begin + 1 && lines[static_cast<std::size_t>(stop - 1)].empty())
            s.Commands.resize(s.Commands.size() - 2);
    }
    return s;
}

// Random files for the reader: lines drawn from `Lines` (the markers first,
// then the case's own), each with any break, up to `MaxLines` of them, read
// `1 + rng() % MaxStep` bytes at a time.
struct ReaderCase {
    const char* Name;
    std::vector<std::string> Lines;
    std::size_t MaxLines;
    std::size_t MaxStep;
    unsigned Seed;
    int Rounds;
};

class RandomReaderTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(RandomReaderTest, BothReadersReadWhatALineByLineReadingReads) {
    // Files made mostly of markers and directives in every order, so that
    // each rule about which lines count is exercised: the reader on the
    // whole text and the one-pass reader on the file must both agree with
    // the plain line-by-line reading.
    const ReaderCase& c = GetParam();
    const SectionMarkers m = EncodeMarkers(CpUtf8);
    std::vector<std::string> lines = {m.StartMarker, m.EndMarker, m.CommandsBegin, m.CommandsEnd};
    lines.insert(lines.end(), c.Lines.begin(), c.Lines.end());
    const char* const breaks[] = {"\r\n", "\n", "\r"};
    std::mt19937 rng(c.Seed);
    int sections = 0;
    for (int round = 0; round < c.Rounds; ++round) {
        std::string text;
        for (std::size_t n = rng() % c.MaxLines; n > 0; --n) {
            std::string line = lines[rng() % lines.size()];
            if (line == "[HomeDirectory]a") line += std::to_string(rng() % 5);
            text += line + breaks[rng() % 3];
        }
        if (rng() % 3 == 0 && !text.empty()) text.pop_back();
        if (rng() % 8 == 0) text = std::string(Utf8Bom) + text;
        const SectionSettings before{"home", true, "cmds"};
        const SectionSettings want = ReferenceRead(text, m, before);
        SectionSettings whole = before;
        const std::string_view view = std::string_view(text).substr(BomLength(text));
        const std::string_view wanted[] = {m.StartMarker, m.EndMarker, m.CommandsBegin, m.CommandsEnd};
        MarkerHit hits[4];
        ContinueMarkerHits(&view, 1, 0, 0, wanted, 4, 4, hits);
        ReadSectionAt(&view, hits, m, whole);
        ASSERT_TRUE(Same(whole, want)) << round << ": " << text;
        SectionSettings pieces = before;
        SmallReads file(text, 1 + rng() % c.MaxStep);
        ASSERT_EQ(ReadSectionFromFile(file, m, pieces), 0);
        ASSERT_TRUE(Same(pieces, want)) << round << ": " << text;
        sections += want.HomeDirectory != "home" || want.Commands != "cmds";
    }
    // Enough files must have had a section that changed something.
    EXPECT_GT(sections, 300);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RandomReaderTest,
    ::testing::Values(ReaderCase{"ShortFilesTinyReads",
                                 {"(*--- this section is added by quillane ---*)", "[HomeDirectory]a",
                                  "[HomeDirectory]", "[DefineUtils]", "text", ""},
                                 12,
                                 7,
                                 3,
                                 4000},
                      // Long lines, most beginning like a marker, so that markers fall
                      // anywhere in the scan's blocks and the reads.
                      ReaderCase{"LongFilesLongLines",
                                 {"(* QUILLANE COMMANDS BEGIN *)", "[HomeDirectory]h", "[DefineUtils]",
                                  "(* a comment that runs on for a while, longer than one block of the scan *)",
                                  "(*--- This section is added by Quillane ---*) ", std::string(90, 'x')},
                                 60,
                                 400,
                                 37,
                                 1500}),
    [](const auto& info) { return std::string(info.param.Name); });

// Serves `text` in one read; any read after it fails.
class OneReadThenFail : public IReadableFile {
public:
    explicit OneReadThenFail(std::string text) : FText(std::move(text)) {}
    FileError Read(char* data, std::size_t size, std::size_t& got) override {
        if (FDone) return EIO;
        got = std::min(size, FText.size());
        std::copy_n(FText.data(), got, data);
        FDone = true;
        return 0;
    }

private:
    std::string FText;
    bool FDone = false;
};

TEST(SectionReaderTest, StopsReadingOnceNothingLaterCanCount) {
    // Every marker is found and both ranges are closed: a later read that
    // would fail is never made.
    OneReadThenFail file(
        "(*--- This section is added by Quillane ---*)\r\n[HomeDirectory]x\r\n"
        "(* Quillane commands begin *)\r\nc\r\n(* Quillane commands end *)\r\n"
        "(*--- End of section added by Quillane ---*)\r\nmore\r\n");
    SectionSettings s{"home", true, "cmds"};
    EXPECT_EQ(ReadSectionFromFile(file, EncodeMarkers(CpUtf8), s), 0);
    EXPECT_TRUE(Same(s, SectionSettings{"x", false, "c\r\n"}));
}

TEST(SectionReaderTest, AFailedReadChangesOnlyDefineUtils) {
    OneReadThenFail file("(*--- This section is added by Quillane ---*)\r\n[HomeDirectory]x\r\n");
    SectionSettings s{"home", true, "cmds"};
    EXPECT_EQ(ReadSectionFromFile(file, EncodeMarkers(CpUtf8), s), EIO);
    EXPECT_TRUE(Same(s, SectionSettings{"home", false, "cmds"}));
}

}  // namespace
