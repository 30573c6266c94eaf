#include "CodePage.h"
#include "FileIo.h"
#include "SectionEngine.h"
#include "TestFiles.h"

#include "LineModel.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <random>

#include <string>
#include <vector>

using namespace quillane;
using namespace quillane::test;
using namespace std::string_literals;

namespace {

const std::string S = "(*--- This section is added by Quillane ---*)";
const std::string E = "(*--- End of section added by Quillane ---*)";
const std::string CB = "(* Quillane commands begin *)";
const std::string CE = "(* Quillane commands end *)";

class RecordingReporter : public IReadFailureReporter {
public:
    void ReportReadFailure(const std::string& messageUtf8) override { Messages.push_back(messageUtf8); }
    std::vector<std::string> Messages;
};

std::string Crlf(std::initializer_list<std::string> lines)
{
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    return out;
}

// ---- Reader -------------------------------------------------------------

struct LoadCase {
    const char* name;
    std::string file;
    SectionSettings expected;  // starting from {"old home", true, "old cmds"}
};

class LoadSectionTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadSectionTest, ReadsWhatTheSectionMentions)
{
    const auto& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, c.file);
    SectionSettings s{"old home", true, "old cmds"};
    RecordingReporter reporter;
    LoadSection(path, s, CpUtf8, reporter);
    EXPECT_TRUE(reporter.Messages.empty());
    EXPECT_EQ(s.HomeDirectory, c.expected.HomeDirectory);
    EXPECT_EQ(s.DefineUtils, c.expected.DefineUtils);
    EXPECT_EQ(s.Commands, c.expected.Commands);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadSectionTest,
    ::testing::Values(
        LoadCase{"Empty", "", {"old home", false, "old cmds"}},
        LoadCase{"NoSection", "a\r\n[HomeDirectory]x\r\n[DefineUtils]\r\n", {"old home", false, "old cmds"}},
        LoadCase{"Full", Crlf({"u", S, "(*", "[HomeDirectory]C:\\work", "[DefineUtils]", "*)", CB, "Off[x]", "", CE, "", E}),
                 {"C:\\work", true, "Off[x]\r\n\r\n"}},
        LoadCase{"BareHomeDirective", Crlf({S, "[HomeDirectory]", E}), {"", false, "old cmds"}},
        LoadCase{"LaterHomeWins", Crlf({S, "[HomeDirectory]a", "[HomeDirectory]b", E}), {"b", false, "old cmds"}},
        LoadCase{"LowerCaseDirectiveIgnored", Crlf({S, "[homedirectory]a", "[defineutils]", E}),
                 {"old home", false, "old cmds"}},
        LoadCase{"UpperCaseMarkersFound", Crlf({"(*--- THIS SECTION IS ADDED BY QUILLANE ---*)", "[HomeDirectory]h",
                                                "(*--- END OF SECTION ADDED BY QUILLANE ---*)"}),
                 {"h", false, "old cmds"}},
        LoadCase{"MarkerWithTrailingBlank", Crlf({S + " ", "[HomeDirectory]h", E}), {"old home", false, "old cmds"}},
        LoadCase{"NoEndMarker", Crlf({S, "[HomeDirectory]h", CB, "x", CE}), {"old home", false, "old cmds"}},
        LoadCase{"DirectiveInCommandsCounts", Crlf({S, "*)", CB, "[DefineUtils]", CE, E}),
                 {"old home", true, "[DefineUtils]\r\n"}},
        LoadCase{"CommandsLinesVerbatim", Crlf({S, CB, "A", "", "B", CE, E}), {"old home", false, "A\r\n\r\nB\r\n"}},
        LoadCase{"EmptyCommandsBlock", Crlf({S, CB, CE, E}), {"old home", false, ""}},
        LoadCase{"CommandsEndMissingEmpties", Crlf({S, CB, "x", E}), {"old home", false, ""}},
        LoadCase{"CommandsBlockBelowSectionIgnored", Crlf({S, E, CB, "x", CE}), {"old home", false, "old cmds"}},
        LoadCase{"CommandsBeginAboveSectionIgnored", Crlf({CB, S, "x", CE, E}), {"old home", false, "old cmds"}},
        // End above start: no directive is read, but the commands rule of
        // the reader still applies (begin below start, end missing = -1).
        LoadCase{"ReversedMarkers", Crlf({E, S, "[HomeDirectory]h", "[DefineUtils]", CB, "x"}),
                 {"old home", false, ""}},
        LoadCase{"ReversedMarkersCommandsKept", Crlf({E, S, "[HomeDirectory]h", CB, "x", CE}),
                 {"old home", false, "old cmds"}},
        LoadCase{"LfAndCrBreaks", "x\n" + S + "\r[HomeDirectory]h\n" + CB + "\ra\n\rb\n" + CE + "\n" + E,
                 {"h", false, "a\r\n\r\nb\r\n"}},
        LoadCase{"NulBytesKept", Crlf({S, "[HomeDirectory]a\0b"s, CB, "\0"s, CE, E}),
                 {"a\0b"s, false, "\0\r\n"s}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadSectionTest, Cp932BytesAreKept)
{
    TempDir dir;
    const std::string path = dir.File("init.m");
    const std::string home = FromUtf8("C:\\表\\ソフト", CpShiftJis);
    WriteBytes(path, Crlf({S, "[HomeDirectory]" + home, CB, FromUtf8("Print[\"能\"]", CpShiftJis), CE, E}));
    SectionSettings s = DefaultSettings(CpShiftJis);
    RecordingReporter reporter;
    LoadSection(path, s, CpShiftJis, reporter);
    EXPECT_EQ(s.HomeDirectory, home);
    EXPECT_EQ(s.Commands, FromUtf8("Print[\"能\"]\r\n", CpShiftJis));
}

TEST(LoadSectionTest, DefaultsAreTheNotSetText)
{
    const SectionSettings s = DefaultSettings(CpShiftJis);
    EXPECT_EQ(s.HomeDirectory, "(\x96\xa2\x90\xdd\x92\xe8)");
    EXPECT_EQ(s.Commands, "(\x96\xa2\x90\xdd\x92\xe8)");
    EXPECT_FALSE(s.DefineUtils);
    EXPECT_EQ(NotSetText(CpShiftJis).size(), 8u);
    EXPECT_EQ(NotSetText(CpUtf8), NotSetTextUtf8);
}

struct LoadFailureCase {
    const char* name;
    std::string relative;  // inside a temporary folder; "<empty>" for ""
    int cause;             // the system's code: errno, or Windows' 2 file / 3 path not found, 5 denied
};

class LoadFailureTest : public ::testing::TestWithParam<LoadFailureCase> {};

TEST_P(LoadFailureTest, ReportsThePathAndKeepsTheSettings)
{
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "folder");
    const std::string path = GetParam().relative == "<empty>" ? "" : dir.File(GetParam().relative);
    SectionSettings s{"h", true, "c"};
    RecordingReporter reporter;
    LoadSection(path, s, CpUtf8, reporter);
    ASSERT_EQ(reporter.Messages.size(), 1u);
    EXPECT_EQ(reporter.Messages[0], path + "\nファイルの読込みに失敗しました: " + FileErrorText(GetParam().cause));
    EXPECT_EQ(s.HomeDirectory, "h");
    EXPECT_FALSE(s.DefineUtils);
    EXPECT_EQ(s.Commands, "c");
}

INSTANTIATE_TEST_SUITE_P(Paths, LoadFailureTest,
                         ::testing::Values(LoadFailureCase{"EmptyPath", "<empty>", SystemCode(ENOENT, 3)},
                                           LoadFailureCase{"Missing", "missing.m", SystemCode(ENOENT, 2)},
                                           LoadFailureCase{"MissingFolder", "nothere/init.m", SystemCode(ENOENT, 3)},
                                           LoadFailureCase{"Folder", "folder", SystemCode(EISDIR, 5)}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Writer -------------------------------------------------------------

struct SaveCase {
    const char* name;
    std::string before;
    SectionSettings settings;  // "(未設定)" as UTF-8; the tests use UTF-8
    std::string after;
};

const std::string NS = "(未設定)";
const std::vector<std::string> OnlyUtilsSection{S,
                                                "(*",
                                                "[DefineUtils]",
                                                "*)",
                                                "",
                                                "MoveToNotebookDirectory::usage =",
                                                "\"MoveToNotebook[] はノートブックの保存先ディレクトリをカレントディレクトリにする。(Quillane)\"",
                                                "MoveToNotebookDirectory[] :=",
                                                "SetDirectory[ ToFileName[NotebookDirectory /. Options[$FrontEnd]] ];",
                                                "",
                                                E};

std::string Join(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    return out;
}

const std::string OnlyUtils = Join(OnlyUtilsSection);
const std::string CmdX = Crlf({S, "(*", "*)", CB, "X", CE, "", E});

class SaveSectionTest : public ::testing::TestWithParam<SaveCase> {};

TEST_P(SaveSectionTest, KeepsUserLinesAndReplacesTheSection)
{
    const auto& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, c.before);
    SaveSection(path, c.settings, CpUtf8);
    EXPECT_EQ(ReadBytes(path), c.after);
    EXPECT_EQ(dir.EntryCount(), 1u) << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveSectionTest,
    ::testing::Values(
        SaveCase{"EmptyFileGetsJustTheSection", "", {NS, true, NS}, OnlyUtils},
        SaveCase{"NoSectionAppends", "a\r\nb\nc", {NS, true, NS}, "a\r\nb\r\nc\r\n" + OnlyUtils},
        SaveCase{"LfFileComesBackCrLf", "a\nb\n", {NS, false, NS}, "a\r\nb\r\n"},
        SaveCase{"BothMarkersReplaced", "top\r\n" + CmdX + "bottom\n", {NS, true, NS},
                 "top\r\n" + OnlyUtils + "bottom\r\n"},
        SaveCase{"UpperCaseMarkersReplaced",
                 "top\r\n(*--- THIS SECTION IS ADDED BY QUILLANE ---*)\r\nold\r\n(*--- end of section added by quillane ---*)\r\nbottom",
                 {NS, true, NS}, "top\r\n" + OnlyUtils + "bottom\r\n"},
        SaveCase{"AllNotSetRemovesTheSection", "top\r\n" + CmdX + "bottom\r\n", {NS, false, NS}, "top\r\nbottom\r\n"},
        SaveCase{"NotSetInsideCommandsDropsBlock", "top\r\n", {NS, false, "Print[1]" + NS},
                 "top\r\n"},
        SaveCase{"StartWithoutEndRunsToTheEnd", "top\r\n" + S + "\r\nold1\r\nold2", {NS, true, NS}, "top\r\n" + OnlyUtils},
        SaveCase{"SecondSectionBelowIsKept", "a\r\n" + CmdX + "b\r\n" + CmdX, {NS, true, NS},
                 "a\r\n" + OnlyUtils + "b\r\n" + CmdX},
        SaveCase{"SeveralStartMarkersInside", Crlf({"a", S, "x", S, "y", E, "b"}), {NS, true, NS},
                 "a\r\n" + OnlyUtils + "b\r\n"},
        SaveCase{"CommandsTextEndingInBreakGetsBlankLine", "", {NS, false, "L1\r\nL2\r\n"},
                 Crlf({S, "(*", "*)", CB, "L1", "L2", "", CE, "", E})},
        SaveCase{"EmptyCommandsTextIsABlock", "", {NS, false, ""}, Crlf({S, "(*", "*)", CB, "", CE, "", E})},
        SaveCase{"CommandsWrittenVerbatim", "", {NS, false, "a\nb"}, Join({S, "(*", "*)", CB, "a\nb", CE, "", E})},
        SaveCase{"HomeWithQuoteEscapedInCodeOnly", "", {"C:\\temp\\\"x\"", false, NS},
                 Crlf({S, "(*", "[HomeDirectory]C:\\temp\\\"x\"", "*)", "", "$Path = DeleteCases[$Path, $HomeDirectory]",
                       "Unprotect[$HomeDirectory]", "$HomeDirectory = \"C:\\\\temp\\\\\\\"x\\\"\"",
                       "Protect[$HomeDirectory]", "AppendTo[$Path, $HomeDirectory]", "SetDirectory[$HomeDirectory]",
                       "", E})},
        SaveCase{"NulBytesKept", "a\0b\r\n\0\r\n"s, {NS, false, NS}, "a\0b\r\n\0\r\n"s},
        SaveCase{"UserLinesWithDirectivesKept", "[HomeDirectory]mine\r\n", {NS, false, NS},
                 "[HomeDirectory]mine\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveSectionTest, WorkedExampleInCodePage932)
{
    TempDir dir;
    const std::string path = dir.File("init.m");
    const std::string user = FromUtf8("(* 表示 *)", CpShiftJis);
    WriteBytes(path, user + "\n");
    SectionSettings s = DefaultSettings(CpShiftJis);
    s.HomeDirectory = "C:\\work";
    s.Commands = "Off[General::spell]\r\n";
    SaveSection(path, s, CpShiftJis);
    EXPECT_EQ(ReadBytes(path),
              Crlf({user, S, "(*", "[HomeDirectory]C:\\work", "*)", "", "$Path = DeleteCases[$Path, $HomeDirectory]",
                    "Unprotect[$HomeDirectory]", "$HomeDirectory = \"C:\\\\work\"", "Protect[$HomeDirectory]",
                    "AppendTo[$Path, $HomeDirectory]", "SetDirectory[$HomeDirectory]", "", CB,
                    "Off[General::spell]", "", CE, "", E}));
}

TEST(SaveSectionTest, EachLoadAndSaveAddsOneBlankCommandsLine)
{
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, Crlf({S, CB, "L1", "L2", CE, E}));
    RecordingReporter reporter;
    for (int round = 1; round <= 2; ++round) {
        SectionSettings s = DefaultSettings(CpUtf8);
        LoadSection(path, s, CpUtf8, reporter);
        SaveSection(path, s, CpUtf8);
        std::vector<std::string> expected{S, "(*", "*)", CB, "L1", "L2"};
        for (int i = 0; i < round; ++i) expected.push_back("");
        expected.insert(expected.end(), {CE, "", E});
        EXPECT_EQ(ReadBytes(path), Join(expected)) << round;
    }
}

struct RefusalCase {
    const char* name;
    std::string before;
    SectionSettings settings;
    std::string messagePart;
};

class SaveRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(SaveRefusalTest, WritesNothingAndSaysWhy)
{
    const auto& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, c.before);
    try {
        SaveSection(path, c.settings, CpUtf8);
        FAIL() << "saved";
    } catch (const ESectionError& e) {
        const std::string msg = e.what();
        EXPECT_NE(msg.find(path), std::string::npos) << msg;
        EXPECT_NE(msg.find(c.messagePart), std::string::npos) << msg;
    }
    EXPECT_EQ(ReadBytes(path), c.before);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, SaveRefusalTest,
    ::testing::Values(
        RefusalCase{"OnlyEndMarker", Crlf({"a", E, "b"}), {NS, true, NS}, "2 行目"},
        RefusalCase{"EndMarkerOnFirstLine", Crlf({E, "a", S, "b"}), {NS, true, NS}, "手作業で修正"},
        RefusalCase{"EndAboveStart", Crlf({"a", E, "b", S, "c", E}), {NS, true, NS}, "(2 行目) が始まりの行 (4 行目)"},
        RefusalCase{"EndAboveStartEvenWhenRemoving", Crlf({E, S}), {NS, false, NS}, "手作業で修正"},
        RefusalCase{"HomeWithLf", "", {"a\nb", false, NS}, "改行"},
        RefusalCase{"HomeWithCr", "", {"a\rb", false, NS}, "改行"},
        RefusalCase{"CommandsWithSectionEnd", "", {NS, false, "x\r\n" + E + "\r\ny"}, "コマンドの 2 行目"},
        RefusalCase{"CommandsWithSectionStartUpper", "",
                    {NS, false, "(*--- THIS SECTION IS ADDED BY QUILLANE ---*)"}, "コマンドの 1 行目"},
        RefusalCase{"CommandsWithCommandsEnd", "", {NS, false, "a\nb\n" + CE}, "コマンドの 3 行目"},
        RefusalCase{"CommandsWithCommandsBegin", "", {NS, false, CB}, "コマンドの 1 行目"},
        RefusalCase{"CommandsWithHomeDirective", "", {"h", false, "[HomeDirectory]other"}, "コマンドの 1 行目"},
        RefusalCase{"CommandsWithUtilsDirective", "", {NS, false, "a\r\n[DefineUtils]"}, "コマンドの 2 行目"},
        RefusalCase{"LongListOfLinesIsCut", "",
                    {NS, false, "[DefineUtils]\n[DefineUtils]\n[DefineUtils]\n[DefineUtils]\n[DefineUtils]\n"
                                "[DefineUtils]\n[DefineUtils]\n[DefineUtils]\n[DefineUtils]\n[DefineUtils]\n"
                                "[DefineUtils]\n[DefineUtils]"},
                    "コマンドの 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 行目ほか 2 行は"},
        RefusalCase{"StrayCommandsBeginBelow", Crlf({S, E, "a", CB, "b"}), {"h", false, NS}, "(4 行目)"},
        RefusalCase{"StrayCommandsBeginAbove", Crlf({CB, "x", S, E}), {NS, false, "c"}, "(1 行目)"},
        RefusalCase{"StrayCommandsEndAbove", Crlf({CE, S, E}), {NS, false, "c"}, "(1 行目)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveSectionTest, ValuesThatAreNotWrittenAreNotChecked)
{
    // A home directory of exactly the not-set text is not written, so there
    // is nothing to refuse; commands with a marker are not written when they
    // hold the not-set text either.
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, "");
    SaveSection(path, {NS, true, E + "\r\n" + NS}, CpUtf8);
    EXPECT_EQ(ReadBytes(path), OnlyUtils);
}

TEST(SaveSectionTest, CodePageWithoutTheSectionTextsRefuses)
{
    // Code page 1252 has no kanji for the not-set text or the usage string.
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, "a\n");
    EXPECT_THROW(SaveSection(path, {"h", true, "c"}, 1252), ESectionError);
    EXPECT_EQ(ReadBytes(path), "a\n");
    // Reading needs only the ASCII markers, so it works there.
    WriteBytes(path, Crlf({S, "[HomeDirectory]h", E}));
    SectionSettings s{"x", true, "y"};
    RecordingReporter reporter;
    LoadSection(path, s, 1252, reporter);
    EXPECT_EQ(s.HomeDirectory, "h");
    EXPECT_TRUE(reporter.Messages.empty());
}

struct OpenFailureCase {
    const char* name;
    std::string relative;
    int cause;  // the system's code for the failure
};

class SaveOpenFailureTest : public ::testing::TestWithParam<OpenFailureCase> {};

TEST_P(SaveOpenFailureTest, CannotOpenAndCreatesNothing)
{
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "folder");
    const std::string path = GetParam().relative.empty() ? "" : dir.File(GetParam().relative);
    try {
        SaveSection(path, {"h", true, "c"}, CpUtf8);
        FAIL() << "saved";
    } catch (const ESectionError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル " + path + " は開けません: " + FileErrorText(GetParam().cause));
    }
    EXPECT_EQ(dir.EntryCount(), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder"));
}

INSTANTIATE_TEST_SUITE_P(Paths, SaveOpenFailureTest,
                         ::testing::Values(OpenFailureCase{"EmptyPath", "", SystemCode(ENOENT, 3)},
                                           OpenFailureCase{"Missing", "init.m", SystemCode(ENOENT, 2)},
                                           OpenFailureCase{"Folder", "folder", SystemCode(EISDIR, 5)}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Seeded randomized round trip ----------------------------------------

namespace roundtrip {

struct Generated {
    std::string file;
    std::vector<std::string> prefix;  // user lines above the section
    std::vector<std::string> suffix;  // user lines below it
    bool malformed = false;           // an end marker with no start above it
    bool strayCommandsMarker = false; // a commands marker among the user lines
};

class Generator {
public:
    Generator(unsigned seed, unsigned cp) : FRng(seed), FCp(cp) {}

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRng); }
    bool Chance(int percent) { return Pick(100) < percent; }

    // Random letter case, as a hand-edited file might have it.
    std::string Mangle(const std::string& marker)
    {
        std::string out = marker;
        const int mode = Pick(3);
        for (char& ch : out) {
            if (mode == 0) break;
            if (mode == 1) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            if (mode == 2 && Chance(50)) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        }
        return out;
    }

    // Random line text; `directives` lets it begin with a directive.
    std::string Text(bool directives = true)
    {
        static const char* const pieces[] = {"x = 1;", "Print[\"表\"]", "ソ能", "C:\\dir\\", "\"q\"", " ", "",
                                             "(* 日本語 *)", "[HomeDirectory]user", "[DefineUtils]", "\t"};
        std::string out;
        for (int n = Pick(4); n > 0; --n) out += FromUtf8(pieces[Pick(directives ? 11 : 8)], FCp);
        if (Chance(5)) out += std::string(1, '\0');
        return out;
    }

    // A user line: text, or now and then a marker.
    std::string UserLine(bool allowSectionMarkers, Generated& g)
    {
        const int roll = Pick(100);
        if (roll < 4) {
            g.strayCommandsMarker = true;
            return Mangle(Pick(2) ? CB : CE);
        }
        if (allowSectionMarkers && roll < 8) return Mangle(Pick(2) ? S : E);
        return Text();
    }

    // Joins lines with random breaks; an empty line after a CR never takes
    // an LF, which would merge into one CR LF.
    std::string JoinRandomly(const std::vector<std::string>& lines, bool finalBreak)
    {
        static const char* const breaks[] = {"\r\n", "\n", "\r"};
        std::string out;
        std::string previous;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            out += lines[i];
            if (i + 1 == lines.size() && !finalBreak) break;
            std::string br = breaks[Pick(3)];
            // The next line is empty and follows a CR: an LF now would fuse.
            if (!out.empty() && out.back() == '\r' && lines[i].empty() && br[0] == '\n') br = "\r";
            out += br;
        }
        return out;
    }

    Generated File()
    {
        Generated g;
        for (int n = Pick(6); n > 0; --n) g.prefix.push_back(UserLine(false, g));
        std::vector<std::string> lines = g.prefix;
        const int shape = Pick(10);
        if (shape < 6) {  // a section, then the user's lines below it
            lines.push_back(Mangle(S));
            for (int n = Pick(5); n > 0; --n) lines.push_back(Chance(30) ? Mangle(CB) : Text());
            lines.push_back(Mangle(E));
            for (int n = Pick(6); n > 0; --n) g.suffix.push_back(UserLine(true, g));
        } else if (shape < 7) {  // a section without its end
            lines.push_back(Mangle(S));
            for (int n = Pick(4); n > 0; --n) lines.push_back(Text());
        } else if (shape < 9) {  // no section at all
        } else {  // an end marker with no start above it
            lines.push_back(Mangle(E));
            g.malformed = true;
            for (int n = Pick(3); n > 0; --n) g.suffix.push_back(UserLine(true, g));
        }
        lines.insert(lines.end(), g.suffix.begin(), g.suffix.end());
        if (g.malformed) g.suffix.clear();
        // With no section, the whole file is kept above the new one.
        if (shape >= 7 && shape < 9) g.prefix = lines;
        // A trailing empty line without a break is no line at all.
        const bool finalBreak = Chance(70) || (!lines.empty() && lines.back().empty());
        g.file = JoinRandomly(lines, finalBreak);
        return g;
    }

    // Commands as lines with random breaks; `lines` is what the reader must
    // give back, each line followed by CR LF.
    std::string Commands(std::string& readBack)
    {
        std::vector<std::string> lines;
        for (int n = Pick(5); n > 0; --n) lines.push_back(Text(false));
        const bool finalBreak = Chance(50);
        if (!finalBreak && !lines.empty() && lines.back().empty()) lines.back() = "x";
        const std::string text = JoinRandomly(lines, finalBreak);
        readBack.clear();
        for (const auto& l : lines) readBack += l + "\r\n";
        // The writer adds one break: a text ending in one gains an empty line,
        // and an empty text is one empty line.
        if (finalBreak || lines.empty()) readBack += "\r\n";
        return text;
    }

private:
    std::mt19937 FRng;
    unsigned FCp;
};

}  // namespace roundtrip

TEST(SectionRoundTripTest, RandomFilesAndSettingsSurviveSaveThenLoad)
{
    TempDir dir;
    const std::string path = dir.File("init.m");
    int saved = 0;
    int refused = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        const unsigned cp = seed % 2 ? CpShiftJis : CpUtf8;
        roundtrip::Generator gen(seed, cp);
        const roundtrip::Generated g = gen.File();
        const std::string ns = NotSetText(cp);

        SectionSettings settings = DefaultSettings(cp);
        std::string commandsReadBack = ns;
        if (gen.Chance(80)) settings.HomeDirectory = gen.Text();
        settings.DefineUtils = gen.Chance(50);
        if (gen.Chance(70)) settings.Commands = gen.Commands(commandsReadBack);
        else if (gen.Chance(50)) settings.Commands = gen.Text() + ns + gen.Text();

        WriteBytes(path, g.file);
        SCOPED_TRACE("seed " + std::to_string(seed));
        try {
            SaveSection(path, settings, cp);
        } catch (const ESectionError& e) {
            // Refusals only for the cases that must be mended by hand, and
            // never with a change on disk.
            EXPECT_TRUE(g.malformed || g.strayCommandsMarker) << e.what();
            EXPECT_EQ(ReadBytes(path), g.file);
            ++refused;
            continue;
        }
        EXPECT_FALSE(g.malformed);
        ++saved;

        const std::string after = ReadBytes(path);
        const auto lines = SplitLines(after);
        ASSERT_GE(lines.size(), g.prefix.size() + g.suffix.size());
        for (std::size_t i = 0; i < g.prefix.size(); ++i) EXPECT_EQ(lines[i], g.prefix[i]) << "line " << i;
        for (std::size_t i = 0; i < g.suffix.size(); ++i)
            EXPECT_EQ(lines[lines.size() - g.suffix.size() + i], g.suffix[i]) << "suffix line " << i;
        const bool sectionWritten = settings.HomeDirectory != ns || settings.DefineUtils ||
                                    settings.Commands.find(ns) == std::string::npos;
        EXPECT_EQ(lines.size() > g.prefix.size() + g.suffix.size(), sectionWritten);

        SectionSettings back = DefaultSettings(cp);
        RecordingReporter reporter;
        LoadSection(path, back, cp, reporter);
        EXPECT_EQ(back.HomeDirectory, settings.HomeDirectory);
        EXPECT_EQ(back.DefineUtils, settings.DefineUtils);
        EXPECT_EQ(back.Commands, commandsReadBack);
    }
    // Most files must go through; otherwise the test proves little.
    EXPECT_GT(saved, 300);
    EXPECT_GT(refused, 10);
}

}  // namespace
