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

std::string Crlf(std::initializer_list<std::string> lines) {
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

TEST_P(LoadSectionTest, ReadsWhatTheSectionMentions) {
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
        LoadCase{"Full",
                 Crlf({"u", S, "(*", "[HomeDirectory]C:\\work", "[DefineUtils]", "*)", CB, "Off[x]", "", CE, "", E}),
                 {"C:\\work", true, "Off[x]\r\n"}},
        LoadCase{"OnlyTheWritersEmptyLineDropped", Crlf({S, CB, "A", "", "", CE, E}), {"old home", false, "A\r\n\r\n"}},
        LoadCase{"LoneEmptyLineIsNoCommand", Crlf({S, CB, "", CE, E}), {"old home", false, ""}},
        LoadCase{"ByteOrderMarkBeforeTheStartMarker",
                 "\xEF\xBB\xBF" + Crlf({S, "[HomeDirectory]h", E}),
                 {"h", false, "old cmds"}},
        LoadCase{"BareHomeDirective", Crlf({S, "[HomeDirectory]", E}), {"", false, "old cmds"}},
        LoadCase{"LaterHomeWins", Crlf({S, "[HomeDirectory]a", "[HomeDirectory]b", E}), {"b", false, "old cmds"}},
        LoadCase{"LowerCaseDirectiveIgnored",
                 Crlf({S, "[homedirectory]a", "[defineutils]", E}),
                 {"old home", false, "old cmds"}},
        LoadCase{"UpperCaseMarkersFound",
                 Crlf({"(*--- THIS SECTION IS ADDED BY QUILLANE ---*)", "[HomeDirectory]h",
                       "(*--- END OF SECTION ADDED BY QUILLANE ---*)"}),
                 {"h", false, "old cmds"}},
        LoadCase{"MarkerWithTrailingBlank", Crlf({S + " ", "[HomeDirectory]h", E}), {"old home", false, "old cmds"}},
        LoadCase{"NoEndMarker", Crlf({S, "[HomeDirectory]h", CB, "x", CE}), {"old home", false, "old cmds"}},
        LoadCase{"DirectiveInCommandsCounts",
                 Crlf({S, "*)", CB, "[DefineUtils]", CE, E}),
                 {"old home", true, "[DefineUtils]\r\n"}},
        LoadCase{"CommandsLinesVerbatim", Crlf({S, CB, "A", "", "B", CE, E}), {"old home", false, "A\r\n\r\nB\r\n"}},
        LoadCase{"EmptyCommandsBlock", Crlf({S, CB, CE, E}), {"old home", false, ""}},
        LoadCase{"CommandsEndMissingEmpties", Crlf({S, CB, "x", E}), {"old home", false, ""}},
        LoadCase{"CommandsBlockBelowSectionIgnored", Crlf({S, E, CB, "x", CE}), {"old home", false, "old cmds"}},
        LoadCase{"CommandsBeginAboveSectionIgnored", Crlf({CB, S, "x", CE, E}), {"old home", false, "old cmds"}},
        // End above start: no directive is read, but the commands rule of
        // the reader still applies (begin below start, end missing = -1).
        LoadCase{
            "ReversedMarkers", Crlf({E, S, "[HomeDirectory]h", "[DefineUtils]", CB, "x"}), {"old home", false, ""}},
        LoadCase{"ReversedMarkersCommandsKept",
                 Crlf({E, S, "[HomeDirectory]h", CB, "x", CE}),
                 {"old home", false, "old cmds"}},
        LoadCase{"LfAndCrBreaks",
                 "x\n" + S + "\r[HomeDirectory]h\n" + CB + "\ra\n\rb\n" + CE + "\n" + E,
                 {"h", false, "a\r\n\r\nb\r\n"}},
        LoadCase{"NulBytesKept", Crlf({S, "[HomeDirectory]a\0b"s, CB, "\0"s, CE, E}), {"a\0b"s, false, "\0\r\n"s}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadSectionTest, Cp932BytesAreKept) {
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

TEST(LoadSectionTest, DefaultsAreTheNotSetText) {
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

TEST_P(LoadFailureTest, ReportsThePathAndKeepsTheSettings) {
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
// The break a file without any gets.
const std::string Native = OnWindows ? "\r\n" : "\n";
const std::string Bom = "\xEF\xBB\xBF";
const std::vector<std::string> OnlyUtilsSection{
    S,
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

std::string Join(const std::vector<std::string>& lines, const std::string& br = "\r\n") {
    std::string out;
    for (const auto& l : lines) out += l + br;
    return out;
}

const std::string OnlyUtils = Join(OnlyUtilsSection);
const std::string CmdX = Crlf({S, "(*", "*)", CB, "X", "", CE, "", E});

class SaveSectionTest : public ::testing::TestWithParam<SaveCase> {};

TEST_P(SaveSectionTest, KeepsUserLinesAndReplacesTheSection) {
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
        SaveCase{"EmptyFileGetsJustTheSection", "", {NS, true, NS}, Join(OnlyUtilsSection, Native)},
        // Byte for byte outside the section; the last line gets a break of the
        // kind used most (a tie goes to CR LF).
        SaveCase{"NoSectionAppends", "a\r\nb\nc", {NS, true, NS}, "a\r\nb\nc\r\n" + OnlyUtils},
        SaveCase{"LfFileStaysLf", "a\nb", {NS, true, NS}, "a\nb\n" + Join(OnlyUtilsSection, "\n")},
        SaveCase{"CrFileStaysCr", "a\rb\r", {NS, true, NS}, "a\rb\r" + Join(OnlyUtilsSection, "\r")},
        SaveCase{"OnlyTheUserLinesCount",
                 "a\nb\n" + CmdX + "c\r\n",
                 {NS, true, NS},
                 "a\nb\n" + Join(OnlyUtilsSection, "\n") + "c\r\n"},
        SaveCase{"BreaklessUserLinesTakeTheSectionsBreak", S + "\r\n" + E, {NS, true, NS}, OnlyUtils},
        SaveCase{
            "BreaklessFileTakesTheSystemBreak", "a", {NS, true, NS}, "a" + Native + Join(OnlyUtilsSection, Native)},
        SaveCase{
            "ByteOrderMarkKept", Bom + S + "\n" + E + "\nu", {NS, true, NS}, Bom + Join(OnlyUtilsSection, "\n") + "u"},
        SaveCase{"ByteOrderMarkAloneIsNoLine", Bom, {NS, true, NS}, Bom + Join(OnlyUtilsSection, Native)},
        // A CR then the user's LF would read as one break: the section ends
        // in CR LF there.
        SaveCase{"LoneCrsBeforeAnLf",
                 "a\rb\r" + S + "\n" + E + "\n\nc\r",
                 {NS, true, NS},
                 "a\rb\r" + Join(OnlyUtilsSection, "\r") + "\n\nc\r"},
        SaveCase{
            "BothMarkersReplaced", "top\r\n" + CmdX + "bottom\n", {NS, true, NS}, "top\r\n" + OnlyUtils + "bottom\n"},
        SaveCase{"UpperCaseMarkersReplaced",
                 "top\r\n(*--- THIS SECTION IS ADDED BY QUILLANE ---*)\r\nold\r\n(*--- end of section added by "
                 "quillane ---*)\r\nbottom",
                 {NS, true, NS},
                 "top\r\n" + OnlyUtils + "bottom"},
        SaveCase{"AllNotSetRemovesTheSection", "top\r\n" + CmdX + "bottom\r\n", {NS, false, NS}, "top\r\nbottom\r\n"},
        SaveCase{"NotSetInsideCommandsDropsBlock", "top\r\n", {NS, false, "Print[1]" + NS}, "top\r\n"},
        SaveCase{
            "StartWithoutEndRunsToTheEnd", "top\r\n" + S + "\r\nold1\r\nold2", {NS, true, NS}, "top\r\n" + OnlyUtils},
        SaveCase{"SecondSectionBelowIsKept",
                 "a\r\n" + CmdX + "b\r\n" + CmdX,
                 {NS, true, NS},
                 "a\r\n" + OnlyUtils + "b\r\n" + CmdX},
        SaveCase{"SeveralStartMarkersInside",
                 Crlf({"a", S, "x", S, "y", E, "b"}),
                 {NS, true, NS},
                 "a\r\n" + OnlyUtils + "b\r\n"},
        // One empty line before the commands end marker, whether or not the
        // text ends in a break; the reader drops it again.
        SaveCase{"CommandsTextEndingInBreakGetsBlankLine",
                 "\r\n",
                 {NS, false, "L1\r\nL2\r\n"},
                 Crlf({"", S, "(*", "*)", CB, "L1", "L2", "", CE, "", E})},
        SaveCase{"CommandsTextWithoutFinalBreakToo",
                 "\r\n",
                 {NS, false, "L1\r\nL2"},
                 Crlf({"", S, "(*", "*)", CB, "L1", "L2", "", CE, "", E})},
        SaveCase{"EmptyCommandsTextIsABlock", "\r\n", {NS, false, ""}, Crlf({"", S, "(*", "*)", CB, "", CE, "", E})},
        SaveCase{"CommandsLinesTakeTheFileBreak",
                 "x\n",
                 {NS, false, "a\r\nb\rc"},
                 Join({"x", S, "(*", "*)", CB, "a", "b", "c", "", CE, "", E}, "\n")},
        SaveCase{"HomeWithQuoteEscapedInCodeOnly",
                 "\r\n",
                 {"C:\\temp\\\"x\"", false, NS},
                 Crlf({"", S, "(*", "[HomeDirectory]C:\\temp\\\"x\"", "*)", "",
                       "$Path = DeleteCases[$Path, $HomeDirectory]", "Unprotect[$HomeDirectory]",
                       "$HomeDirectory = \"C:\\\\temp\\\\\\\"x\\\"\"", "Protect[$HomeDirectory]",
                       "AppendTo[$Path, $HomeDirectory]", "SetDirectory[$HomeDirectory]", "", E})},
        SaveCase{"NulBytesKept", "a\0b\r\n\0\r\n"s, {NS, false, NS}, "a\0b\r\n\0\r\n"s},
        SaveCase{"UserLinesWithDirectivesKept", "[HomeDirectory]mine\r\n", {NS, false, NS}, "[HomeDirectory]mine\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveSectionTest, WorkedExampleInCodePage932) {
    TempDir dir;
    const std::string path = dir.File("init.m");
    const std::string user = FromUtf8("(* 表示 *)", CpShiftJis);
    WriteBytes(path, user + "\r\n");
    SectionSettings s = DefaultSettings(CpShiftJis);
    s.HomeDirectory = "C:\\work";
    s.Commands = "Off[General::spell]\r\n";
    SaveSection(path, s, CpShiftJis);
    EXPECT_EQ(ReadBytes(path),
              Crlf({user, S, "(*", "[HomeDirectory]C:\\work", "*)", "", "$Path = DeleteCases[$Path, $HomeDirectory]",
                    "Unprotect[$HomeDirectory]", "$HomeDirectory = \"C:\\\\work\"", "Protect[$HomeDirectory]",
                    "AppendTo[$Path, $HomeDirectory]", "SetDirectory[$HomeDirectory]", "", CB, "Off[General::spell]",
                    "", CE, "", E}));
}

TEST(SaveSectionTest, LoadAndSaveWithoutChangesWritesTheSameBytes) {
    // The commands lines in the file, and as the first save writes them: the
    // files of earlier versions, which gained an empty commands line on
    // every save, stop growing too.
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> commands = {
        {{"L1", "L2"}, {"L1", "L2", ""}}, {{"L1", "L2", "", "", ""}, {"L1", "L2", "", "", ""}}, {{}, {""}}};
    TempDir dir;
    const std::string path = dir.File("init.m");
    RecordingReporter reporter;
    for (const auto& [lines, written] : commands) {
        std::vector<std::string> file{S, CB};
        file.insert(file.end(), lines.begin(), lines.end());
        file.insert(file.end(), {CE, E});
        WriteBytes(path, Join(file));
        std::string first;
        for (int round = 1; round <= 3; ++round) {
            SectionSettings s = DefaultSettings(CpUtf8);
            LoadSection(path, s, CpUtf8, reporter);
            SaveSection(path, s, CpUtf8);
            if (round == 1) first = ReadBytes(path);
            EXPECT_EQ(ReadBytes(path), first) << round;
        }
        std::vector<std::string> expected{S, "(*", "*)", CB};
        expected.insert(expected.end(), written.begin(), written.end());
        expected.insert(expected.end(), {CE, "", E});
        EXPECT_EQ(first, Join(expected));
    }
}

struct RefusalCase {
    const char* name;
    std::string before;
    SectionSettings settings;
    std::string messagePart;
    unsigned codePage = CpUtf8;
};

class SaveRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(SaveRefusalTest, WritesNothingAndSaysWhy) {
    const auto& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, c.before);
    try {
        SectionSettings settings = c.settings;
        if (settings.HomeDirectory == NS) settings.HomeDirectory = NotSetText(c.codePage);
        if (settings.Commands == NS) settings.Commands = NotSetText(c.codePage);
        SaveSection(path, settings, c.codePage);
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
        // Bytes that are no text: the closing quote of the literal would go.
        RefusalCase{"HomeEndsInALeadByte", "", {"C:\\\x95", false, NS}, "ホームディレクトリに", CpShiftJis},
        RefusalCase{"HomeWithAnUnassignedPair", "", {"\x85\x40\"", false, NS}, "ホームディレクトリに", CpShiftJis},
        RefusalCase{"HomeNotUtf8", "", {"\xE8\xA1\"", false, NS}, "ホームディレクトリに"},
        RefusalCase{"CommandsWithSectionEnd", "", {NS, false, "x\r\n" + E + "\r\ny"}, "コマンドの 2 行目"},
        RefusalCase{"CommandsWithSectionStartUpper",
                    "",
                    {NS, false, "(*--- THIS SECTION IS ADDED BY QUILLANE ---*)"},
                    "コマンドの 1 行目"},
        RefusalCase{"CommandsWithCommandsEnd", "", {NS, false, "a\nb\n" + CE}, "コマンドの 3 行目"},
        RefusalCase{"CommandsWithCommandsBegin", "", {NS, false, CB}, "コマンドの 1 行目"},
        RefusalCase{"CommandsWithHomeDirective", "", {"h", false, "[HomeDirectory]other"}, "コマンドの 1 行目"},
        RefusalCase{"CommandsWithUtilsDirective", "", {NS, false, "a\r\n[DefineUtils]"}, "コマンドの 2 行目"},
        RefusalCase{"LongListOfLinesIsCut",
                    "",
                    {NS, false,
                     "[DefineUtils]\n[DefineUtils]\n[DefineUtils]\n[DefineUtils]\n[DefineUtils]\n"
                     "[DefineUtils]\n[DefineUtils]\n[DefineUtils]\n[DefineUtils]\n[DefineUtils]\n"
                     "[DefineUtils]\n[DefineUtils]"},
                    "コマンドの 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 行目ほか 2 行は"},
        RefusalCase{"StrayCommandsBeginBelow", Crlf({S, E, "a", CB, "b"}), {"h", false, NS}, "(4 行目)"},
        RefusalCase{"StrayCommandsBeginAbove", Crlf({CB, "x", S, E}), {NS, false, "c"}, "(1 行目)"},
        RefusalCase{"StrayCommandsEndAbove", Crlf({CE, S, E}), {NS, false, "c"}, "(1 行目)"},
        // Removing the section would make a start marker below it the next one.
        RefusalCase{"RemovingLeavesAStartBelow", Crlf({"a", S, E, "b", S, "c"}), {NS, false, NS}, "(5 行目)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveSectionTest, ValuesThatAreNotWrittenAreNotChecked) {
    // A home directory of exactly the not-set text is not written, so there
    // is nothing to refuse; commands with a marker are not written when they
    // hold the not-set text either.
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, "\r\n");
    SaveSection(path, {NS, true, E + "\r\n" + NS}, CpUtf8);
    EXPECT_EQ(ReadBytes(path), "\r\n" + OnlyUtils);
}

TEST(SaveSectionTest, CodePageWithoutTheSectionTextsRefuses) {
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

TEST_P(SaveOpenFailureTest, CannotOpenAndCreatesNothing) {
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

// How a generated file breaks its lines.
enum class Breaks { Lf, Cr, CrLf, Mixed, None };

struct Generated {
    std::string file;
    std::string above;                 // the bytes before the section, or the whole file
    std::string below;                 // the bytes after the section's end marker line
    bool malformed = false;            // an end marker with no start above it
    bool strayCommandsMarker = false;  // a commands marker among the user lines
    bool straySectionMarker = false;   // a section marker among the user lines below
};

class Generator {
public:
    Generator(unsigned seed, unsigned cp) : FRng(seed), FCp(cp) {}

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRng); }
    bool Chance(int percent) { return Pick(100) < percent; }

    // Random letter case, as a hand-edited file might have it.
    std::string Mangle(const std::string& marker) {
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
    std::string Text(bool directives = true) {
        static const char* const pieces[] = {
            "x = 1;",       "Print[\"表\"]",       "ソ能",          "C:\\dir\\", "\"q\"", " ", "",
            "(* 日本語 *)", "[HomeDirectory]user", "[DefineUtils]", "\t"};
        std::string out;
        for (int n = Pick(4); n > 0; --n) out += FromUtf8(pieces[Pick(directives ? 11 : 8)], FCp);
        if (Chance(5)) out += std::string(1, '\0');
        return out;
    }

    // A user line: text, or now and then a marker.
    std::string UserLine(bool allowSectionMarkers, Generated& g) {
        const int roll = Pick(100);
        if (roll < 4) {
            g.strayCommandsMarker = true;
            return Mangle(Pick(2) ? CB : CE);
        }
        if (allowSectionMarkers && roll < 8) {
            g.straySectionMarker = true;
            return Mangle(Pick(2) ? S : E);
        }
        return Text();
    }

    // Joins lines with breaks of the given kind; `starts` gets where each
    // line begins. An empty line after a CR never takes an LF, which would
    // merge into one CR LF.
    std::string JoinLines(const std::vector<std::string>& lines, bool finalBreak, Breaks kind,
                          std::vector<std::size_t>* starts = nullptr) {
        static const char* const breaks[] = {"\r\n", "\n", "\r"};
        std::string out;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (starts) starts->push_back(out.size());
            out += lines[i];
            if (i + 1 == lines.size() && !finalBreak) break;
            std::string br = kind == Breaks::Lf     ? "\n"
                             : kind == Breaks::Cr   ? "\r"
                             : kind == Breaks::CrLf ? "\r\n"
                                                    : breaks[Pick(3)];
            if (!out.empty() && out.back() == '\r' && lines[i].empty() && br[0] == '\n') br = "\r";
            out += br;
        }
        if (starts) starts->push_back(out.size());
        return out;
    }

    Generated File(Breaks kind) {
        Generated g;
        std::vector<std::string> lines;
        for (int n = Pick(6); n > 0; --n) lines.push_back(UserLine(false, g));
        std::size_t aboveLines = lines.size();
        std::size_t belowLines = 0;
        const int shape = Pick(10);
        if (kind == Breaks::None) {  // one line at most: a user's, or a section that runs to the end
            lines.resize(std::min<std::size_t>(lines.size(), 1));
            if (shape < 5) lines = {Mangle(S)};
            aboveLines = shape < 5 ? 0 : lines.size();
        } else if (shape < 6) {  // a section, then the user's lines below it
            lines.push_back(Mangle(S));
            for (int n = Pick(5); n > 0; --n) lines.push_back(Chance(30) ? Mangle(CB) : Text());
            lines.push_back(Mangle(E));
            for (int n = Pick(6); n > 0; --n, ++belowLines) lines.push_back(UserLine(true, g));
        } else if (shape < 7) {  // a section without its end
            lines.push_back(Mangle(S));
            for (int n = Pick(4); n > 0; --n) lines.push_back(Text());
        } else if (shape < 9) {  // no section at all: the whole file is kept above the new one
            aboveLines = lines.size();
        } else {  // an end marker with no start above it
            lines.push_back(Mangle(E));
            g.malformed = true;
            for (int n = Pick(3); n > 0; --n) lines.push_back(UserLine(true, g));
        }
        // A trailing empty line without a break is no line at all.
        const bool finalBreak = kind != Breaks::None && (Chance(70) || (!lines.empty() && lines.back().empty()));
        std::vector<std::size_t> starts;
        const std::string bom = Chance(10) ? "\xEF\xBB\xBF" : "";
        g.file = bom + JoinLines(lines, finalBreak, kind, &starts);
        g.above = g.file.substr(0, bom.size() + starts[aboveLines]);
        g.below = g.file.substr(bom.size() + starts[lines.size() - belowLines]);
        return g;
    }

    // Commands as lines with random breaks; `readBack` is what the reader
    // must give back, each line followed by CR LF.
    std::string Commands(std::string& readBack) {
        std::vector<std::string> lines;
        for (int n = Pick(5); n > 0; --n) lines.push_back(Text(false));
        const bool finalBreak = Chance(50);
        if (!finalBreak && !lines.empty() && lines.back().empty()) lines.back() = "x";
        readBack.clear();
        for (const auto& l : lines) readBack += l + "\r\n";
        return JoinLines(lines, finalBreak, Breaks::Mixed);
    }

private:
    std::mt19937 FRng;
    unsigned FCp;
};

// The kinds of break in `text`: bit 0 CR LF, bit 1 LF, bit 2 CR.
unsigned BreakKinds(const std::string& text) {
    unsigned kinds = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            kinds |= 1, ++i;
        else if (text[i] == '\n')
            kinds |= 2;
        else if (text[i] == '\r')
            kinds |= 4;
    }
    return kinds;
}

SectionSettings Loaded(const std::string& path, unsigned cp) {
    SectionSettings s = DefaultSettings(cp);
    RecordingReporter reporter;
    LoadSection(path, s, cp, reporter);
    EXPECT_TRUE(reporter.Messages.empty());
    return s;
}

// Every byte around the section in `after` is as it was; the section's
// lines all take one break, the one of the user's lines when they have only
// one kind, the system's when the file has none.
void ExpectKeptAroundTheSection(const std::string& after, const Generated& g, const SectionSettings& settings,
                                unsigned cp) {
    const std::string ns = NotSetText(cp);
    ASSERT_GE(after.size(), g.above.size() + g.below.size());
    ASSERT_EQ(after.substr(0, g.above.size()), g.above);
    ASSERT_EQ(after.substr(after.size() - g.below.size()), g.below);
    std::string middle = after.substr(g.above.size(), after.size() - g.above.size() - g.below.size());
    const bool sectionWritten =
        settings.HomeDirectory != ns || settings.DefineUtils || settings.Commands.find(ns) == std::string::npos;
    EXPECT_EQ(!middle.empty(), sectionWritten);
    if (!sectionWritten) return;
    // A CR section ends in CR LF before the user's LF.
    unsigned kinds = BreakKinds(middle);
    if (kinds == 5 && !g.below.empty() && g.below[0] == '\n') {
        middle.pop_back();
        kinds = BreakKinds(middle);
    }
    EXPECT_TRUE(kinds == 1 || kinds == 2 || kinds == 4) << kinds;
    const unsigned userKinds = BreakKinds(g.above + g.below);
    if (userKinds == 1 || userKinds == 2 || userKinds == 4) {
        EXPECT_EQ(kinds, userKinds);
    }
    if (BreakKinds(g.file) == 0) {
        EXPECT_EQ(kinds, OnWindows ? 1u : 2u);
    }
}

// Saving what was loaded (`back`, from `after`) changes nothing; from the
// generated file itself, the second save of what was loaded writes what the
// first did. Marker lines of the user's may make a file that is refused.
void ExpectSavesOfWhatWasLoadedToStay(const std::string& path, unsigned cp, const Generated& g,
                                      const SectionSettings& back, const std::string& after) {
    const auto saveAgain = [&](const SectionSettings& s) {
        try {
            SaveSection(path, s, cp);
            return true;
        } catch (const ESectionError& e) {
            EXPECT_TRUE(g.strayCommandsMarker || g.straySectionMarker) << e.what();
            return false;
        }
    };
    if (saveAgain(back)) {
        EXPECT_EQ(ReadBytes(path), after);
    }
    WriteBytes(path, g.file);
    if (!saveAgain(Loaded(path, cp))) return;
    const std::string once = ReadBytes(path);
    if (saveAgain(Loaded(path, cp))) {
        EXPECT_EQ(ReadBytes(path), once);
    }
}

}  // namespace roundtrip

TEST(SectionRoundTripTest, RandomFilesAndSettingsSurviveSaveThenLoad) {
    using roundtrip::Breaks;
    // Thousands of saves: in memory where the system has a folder there, as
    // what is measured is what is written, not how durably.
    std::error_code ec;
    TempDir dir(std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                              : std::filesystem::temp_directory_path());
    const std::string path = dir.File("init.m");
    int saved = 0;
    int refused = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        const unsigned cp = seed % 2 ? CpShiftJis : CpUtf8;
        const Breaks kind = static_cast<Breaks>(seed / 2 % 5);
        roundtrip::Generator gen(seed, cp);
        const roundtrip::Generated g = gen.File(kind);
        const std::string ns = NotSetText(cp);

        SectionSettings settings = DefaultSettings(cp);
        std::string commandsReadBack = ns;
        if (gen.Chance(80)) settings.HomeDirectory = gen.Text();
        settings.DefineUtils = gen.Chance(50);
        if (gen.Chance(70))
            settings.Commands = gen.Commands(commandsReadBack);
        else if (gen.Chance(50))
            settings.Commands = gen.Text() + ns + gen.Text();

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
        roundtrip::ExpectKeptAroundTheSection(after, g, settings, cp);
        if (::testing::Test::HasFatalFailure()) return;

        const SectionSettings back = roundtrip::Loaded(path, cp);
        EXPECT_EQ(back.HomeDirectory, settings.HomeDirectory);
        EXPECT_EQ(back.DefineUtils, settings.DefineUtils);
        EXPECT_EQ(back.Commands, commandsReadBack);

        roundtrip::ExpectSavesOfWhatWasLoadedToStay(path, cp, g, back, after);
    }
    // Most files must go through; otherwise the test proves little.
    EXPECT_GT(saved, 300);
    EXPECT_GT(refused, 10);
}

}  // namespace
