#include "EditorLauncher_posix.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace quillane;

namespace {

// A fresh folder, removed at the end of the test.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/quillane-editor-XXXXXX";
        const char* made = mkdtemp(pattern);
        FPath = made ? made : "";
    }
    ~TempDir() {
        if (!FPath.empty()) std::system(("rm -rf '" + FPath + "'").c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

void WriteFile(const std::string& path, const std::string& text, mode_t mode) {
    std::ofstream(path, std::ios::binary) << text;
    chmod(path.c_str(), mode);
}

// A stand-in editor: waits until the test releases it (so a launcher that
// waited for the editor would stall it), then writes each argument followed
// by a NUL into `out`, all at once.
std::string FakeEditorScript(const std::string& out, const std::string& release) {
    return "#!/bin/sh\n"
           "i=0\n"
           "while [ ! -e '" +
           release +
           "' ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done\n"
           "[ -e '" +
           release + "' ] || { printf 'never released' > '" + out +
           "'; exit 1; }\n"
           "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" +
           out +
           ".part'\n"
           "mv '" +
           out + ".part' '" + out + "'\n";
}

// Waits for the file, for at most a minute; empty when it never appears.
std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 600; ++i) {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::ostringstream s;
            s << in.rdbuf();
            return s.str();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return std::string();
}

bool HasChildren() {
    int status = 0;
    return !(waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD);
}

struct PathCase {
    const char* Name;
    std::string Path;
    std::string Arrives;  // the editor's one argument
};

void PrintTo(const PathCase& c, std::ostream* os) {
    *os << c.Name;
}

class PosixEditorLauncherTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(PosixEditorLauncherTest, EditorGetsPathWholeAndRunsDetached) {
    const PathCase& c = GetParam();
    TempDir tmp;
    ASSERT_FALSE(tmp.Path().empty());
    const std::string bin = tmp.Path() + "/bin";
    mkdir(bin.c_str(), 0755);
    const std::string out = tmp.Path() + "/args";
    const std::string release = tmp.Path() + "/release";
    WriteFile(bin + "/fake-editor", FakeEditorScript(out, release), 0755);

    PosixEditorLauncher launcher({bin}, {"fake-editor"});
    launcher.OpenAsText(c.Path);
    // Back before the editor could finish, and nothing of it left to reap.
    EXPECT_FALSE(HasChildren());
    WriteFile(release, "", 0644);
    EXPECT_EQ(WaitForFile(out), c.Arrives + '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PosixEditorLauncherTest,
    ::testing::Values(PathCase{"Plain", "/home/user/init.m", "/home/user/init.m"},
                      PathCase{"Spaces", "/home/user/My Files/  two  spaces /init.m",
                               "/home/user/My Files/  two  spaces /init.m"},
                      PathCase{"Japanese", "/home/ユーザー/数学 表ソ能/init.m", "/home/ユーザー/数学 表ソ能/init.m"},
                      PathCase{"ShellCharacters", "/tmp/a\"b'c$HOME`x`;|&*?.m", "/tmp/a\"b'c$HOME`x`;|&*?.m"},
                      PathCase{"LeadingDashNotAnOption", "-init.m", "./-init.m"},
                      PathCase{"Relative", "Configuration/Kernel/init.m", "Configuration/Kernel/init.m"}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return info.param.Name; });

struct SearchCase {
    const char* Name;
    std::vector<std::string> Executable;     // programs in bin1 (0755)
    std::vector<std::string> NotExecutable;  // files in bin1 (0644)
    std::vector<std::string> InBin2;         // programs in bin2 (0755)
    std::vector<std::string> Editors;        // candidates, in order
    std::string Chosen;                      // "binN/name", or empty
};

void PrintTo(const SearchCase& c, std::ostream* os) {
    *os << c.Name;
}

class PosixEditorSearchTest : public ::testing::TestWithParam<SearchCase> {};

TEST_P(PosixEditorSearchTest, ChoosesFirstAvailableEditor) {
    const SearchCase& c = GetParam();
    TempDir tmp;
    ASSERT_FALSE(tmp.Path().empty());
    const std::string bin1 = tmp.Path() + "/bin1", bin2 = tmp.Path() + "/bin2";
    mkdir(bin1.c_str(), 0755);
    mkdir(bin2.c_str(), 0755);
    mkdir((bin1 + "/folder-editor").c_str(), 0755);
    for (const std::string& n : c.Executable) WriteFile(bin1 + "/" + n, "#!/bin/sh\n", 0755);
    for (const std::string& n : c.NotExecutable) WriteFile(bin1 + "/" + n, "#!/bin/sh\n", 0644);
    for (const std::string& n : c.InBin2) WriteFile(bin2 + "/" + n, "#!/bin/sh\n", 0755);

    PosixEditorLauncher launcher({"", "relative/bin", bin1, bin2}, c.Editors);
    EXPECT_EQ(launcher.FindEditor(), c.Chosen.empty() ? std::string() : tmp.Path() + "/" + c.Chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Candidates, PosixEditorSearchTest,
    ::testing::Values(SearchCase{"FirstCandidateWins", {"kate", "gedit"}, {}, {}, {"gedit", "kate"}, "bin1/gedit"},
                      SearchCase{"SkipsMissing", {"mousepad"}, {}, {}, {"gedit", "mousepad"}, "bin1/mousepad"},
                      SearchCase{"SkipsNotExecutable", {"kate"}, {"gedit"}, {}, {"gedit", "kate"}, "bin1/kate"},
                      SearchCase{"SkipsFolders", {"kate"}, {}, {}, {"folder-editor", "kate"}, "bin1/kate"},
                      SearchCase{
                          "CandidateOrderBeforePathOrder", {"kate"}, {}, {"gedit"}, {"gedit", "kate"}, "bin2/gedit"},
                      SearchCase{"PathOrderForOneCandidate", {"gedit"}, {}, {"gedit"}, {"gedit"}, "bin1/gedit"},
                      SearchCase{"NoneFound", {}, {"gedit"}, {}, {"gedit", "kate"}, ""}),
    [](const ::testing::TestParamInfo<SearchCase>& info) { return info.param.Name; });

struct ExecCase {
    const char* Name;
    std::string Exec;
    std::vector<std::string> Args;  // for the path "/p q/init.m"; empty: refused
};

void PrintTo(const ExecCase& c, std::ostream* os) {
    *os << c.Name;
}

class PosixEditorExecTest : public ::testing::TestWithParam<ExecCase> {};

TEST_P(PosixEditorExecTest, ExpandsDesktopExecLine) {
    EXPECT_EQ(PosixEditorLauncher::ExpandExec(GetParam().Exec, "/p q/init.m"), GetParam().Args);
}

INSTANTIATE_TEST_SUITE_P(
    ExecLines, PosixEditorExecTest,
    ::testing::Values(ExecCase{"FileCode", "gedit %F", {"gedit", "/p q/init.m"}},
                      ExecCase{"UrlCodeWithOptions", "kate -b  --new %U", {"kate", "-b", "--new", "/p q/init.m"}},
                      ExecCase{"NoFieldCodeAppendsPath", "mousepad", {"mousepad", "/p q/init.m"}},
                      ExecCase{"OtherCodesDropped", "xed %i --name=%c %k %f", {"xed", "--name=", "/p q/init.m"}},
                      ExecCase{"PercentLiteral", "ed --ratio=50%% %f", {"ed", "--ratio=50%", "/p q/init.m"}},
                      ExecCase{"QuotedProgram", "\"/opt/My Editor/edit\" %f", {"/opt/My Editor/edit", "/p q/init.m"}},
                      ExecCase{"QuotedEscapes",
                               "sh -c \"echo \\\\\\\"\\\\$HOME\\\\\\\"\" %f",
                               {"sh", "-c", "echo \"$HOME\"", "/p q/init.m"}},
                      ExecCase{"ValueEscapeSpace", "edit\\s--x %f", {"edit", "--x", "/p q/init.m"}},
                      ExecCase{"UnterminatedQuote", "\"edit %f", {}}, ExecCase{"Empty", "", {}}),
    [](const ::testing::TestParamInfo<ExecCase>& info) { return info.param.Name; });

// A desktop with mimeapps.list and .desktop files in temporary XDG folders.
class PosixEditorDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(FTmp.Path().empty());
        for (const char* d : {"/bin", "/config", "/data1", "/data1/applications", "/data2", "/data2/applications"})
            mkdir((FTmp.Path() + d).c_str(), 0755);
        WriteFile(Bin() + "/gedit", "#!/bin/sh\n", 0755);
        WriteFile(Bin() + "/desk-editor", "#!/bin/sh\n", 0755);
        WriteFile(Bin() + "/vi", "#!/bin/sh\n", 0755);
    }
    std::string Bin() const { return FTmp.Path() + "/bin"; }
    void MimeApps(const std::string& dir, const std::string& text) {
        WriteFile(FTmp.Path() + dir + "/mimeapps.list", text, 0644);
    }
    void Desktop(const std::string& dataDir, const std::string& id, const std::string& body) {
        WriteFile(FTmp.Path() + dataDir + "/applications/" + id, "[Desktop Entry]\nType=Application\n" + body, 0644);
    }
    std::vector<std::string> Command() {
        DesktopDirs dirs{{FTmp.Path() + "/config"}, {FTmp.Path() + "/data1", FTmp.Path() + "/data2"}};
        PosixEditorLauncher launcher({Bin()}, {"gedit"}, dirs);
        return launcher.CommandFor("/home/u/init.m");
    }
    std::vector<std::string> Fallback() { return {Bin() + "/gedit", "/home/u/init.m"}; }

    TempDir FTmp;
};

TEST_F(PosixEditorDesktopTest, DefaultForPlainTextWins) {
    MimeApps("/config",
             "[Added Associations]\ntext/plain=vi.desktop;\n[Default Applications]\n"
             "text/html=web.desktop\ntext/plain=desk.desktop;\n");
    Desktop("/data1", "desk.desktop", "Name=Desk\nExec=desk-editor --new-window %U\n");
    EXPECT_EQ(Command(), (std::vector<std::string>{Bin() + "/desk-editor", "--new-window", "/home/u/init.m"}));
}

TEST_F(PosixEditorDesktopTest, SkipsTerminalMissingAndUninstalledEntries) {
    MimeApps("/data2/applications",
             "[Default Applications]\ntext/plain=gone.desktop;vim.desktop;noprog.desktop;desk.desktop;\n");
    Desktop("/data1", "vim.desktop", "Exec=vi %F\nTerminal=true\n");
    Desktop("/data2", "noprog.desktop", "Exec=not-installed %f\n");
    Desktop("/data2", "desk.desktop", "Exec=desk-editor\n");
    EXPECT_EQ(Command(), (std::vector<std::string>{Bin() + "/desk-editor", "/home/u/init.m"}));
}

TEST_F(PosixEditorDesktopTest, FirstDataFolderHoldsTheEntry) {
    MimeApps("/config", "[Default Applications]\ntext/plain=desk.desktop\n");
    Desktop("/data1", "desk.desktop", "Exec=vi %f\nHidden=true\n");
    Desktop("/data2", "desk.desktop", "Exec=desk-editor %f\n");
    // The hidden entry of the first folder deletes the one below it.
    EXPECT_EQ(Command(), Fallback());
}

TEST_F(PosixEditorDesktopTest, NoDefaultFallsBackToKnownEditors) {
    MimeApps("/config", "[Default Applications]\ntext/html=desk.desktop\n");
    Desktop("/data1", "desk.desktop", "Exec=desk-editor %f\n");
    EXPECT_EQ(Command(), Fallback());
}

TEST_F(PosixEditorDesktopTest, DefaultEditorGetsThePathWhole) {
    const std::string out = FTmp.Path() + "/args", release = FTmp.Path() + "/release";
    WriteFile(Bin() + "/desk-editor", FakeEditorScript(out, release), 0755);
    MimeApps("/config", "[Default Applications]\ntext/plain=desk.desktop\n");
    Desktop("/data1", "desk.desktop", "Exec=desk-editor --flag %f\n");
    PosixEditorLauncher launcher({Bin()}, {"gedit"}, {{FTmp.Path() + "/config"}, {FTmp.Path() + "/data1"}});
    launcher.OpenAsText("/tmp/数学 表/init.m");
    EXPECT_FALSE(HasChildren());
    WriteFile(release, "", 0644);
    EXPECT_EQ(WaitForFile(out), std::string("--flag") + '\0' + "/tmp/数学 表/init.m" + '\0');
}

// The message says what was looked for or tried, and why it failed.
TEST(PosixEditorLauncherFailure, SaysWhatWasTried) {
    TempDir tmp;
    ASSERT_FALSE(tmp.Path().empty());
    // Executable, but not a program the system can start.
    WriteFile(tmp.Path() + "/broken",
              "\x7f"
              "ELF garbage",
              0755);
    WriteFile(tmp.Path() + "/also-broken",
              "\x7f"
              "ELF garbage",
              0755);
    const std::string out = tmp.Path() + "/args", release = tmp.Path() + "/release";
    WriteFile(tmp.Path() + "/works", FakeEditorScript(out, release), 0755);
    struct Case {
        const char* Name;
        std::vector<std::string> Editors;
        std::vector<std::string> Said;  // in the message; empty: started
    };
    const Case cases[] = {
        {"nothing found", {"gedit", "kate"}, {"ﾃｷｽﾄｴﾃﾞｨﾀが見つかりません", "gedit, kate"}},
        {"none starts",
         {"broken", "also-broken"},
         {"ﾃｷｽﾄｴﾃﾞｨﾀを起動できません", tmp.Path() + "/broken (", tmp.Path() + "/also-broken ("}},
        {"the next one starts", {"broken", "works"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        PosixEditorLauncher launcher({tmp.Path()}, c.Editors);
        std::string message;
        try {
            launcher.OpenAsText("/tmp/init.m");
        } catch (const EEditorLaunchError& e) {
            message = e.what();
        }
        for (const std::string& said : c.Said) EXPECT_NE(message.find(said), std::string::npos) << message;
        EXPECT_EQ(message.empty(), c.Said.empty()) << message;
        EXPECT_FALSE(HasChildren());
    }
    WriteFile(release, "", 0644);
    EXPECT_EQ(WaitForFile(out), std::string("/tmp/init.m") + '\0');
}

TEST(PosixEditorLauncherDefaults, SearchPathFollowsPathVariable) {
    const char* old = std::getenv("PATH");
    const std::string saved = old ? old : "";
    setenv("PATH", "/a b:/c::/d", 1);
    const std::vector<std::string> dirs = PosixEditorLauncher::DefaultSearchPath();
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(dirs, (std::vector<std::string>{"/a b", "/c", "", "/d"}));
}

}  // namespace
