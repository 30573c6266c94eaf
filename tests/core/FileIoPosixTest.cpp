// POSIX-only behaviour of the safe replace: permission bits, owners,
// symbolic links, special files and real permission failures.
#include "CodePage.h"
#include "FileIo.h"
#include "SectionEngine.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>

using namespace quillane;
using namespace quillane::test;

namespace {

const SectionSettings Utils{"(未設定)", true, "(未設定)"};

class NullReporter : public IReadFailureReporter {
public:
    void ReportReadFailure(const std::string& m) override { Messages.push_back(m); }
    std::vector<std::string> Messages;
};

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0);
    return st.st_mode;
}

class ModeBitsTest : public ::testing::TestWithParam<mode_t> {};

TEST_P(ModeBitsTest, SaveKeepsThePermissionBits)
{
    // Only root may save a file without its write bit; for anyone else
    // FileModeTest checks that such a file is left alone.
    if ((GetParam() & S_IWUSR) == 0 && ::geteuid() != 0) GTEST_SKIP() << "needs root";
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, "a\n");
    ASSERT_EQ(::chmod(path.c_str(), GetParam()), 0);
    SaveSection(path, Utils, CpUtf8);
    EXPECT_EQ(ModeOf(path) & 07777, GetParam());
    EXPECT_NE(ReadBytes(path).find("[DefineUtils]"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Modes, ModeBitsTest, ::testing::Values(0644, 0600, 0664, 0755, 0444, 01640));

struct LinkCase {
    const char* name;
    bool relative;
    bool chain;
};

class SymlinkTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(SymlinkTest, ReplacesTheTargetAndKeepsTheLink)
{
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "real");
    const std::string target = dir.File("real/init.m");
    WriteBytes(target, "mine\n");
    const std::string link = dir.File("link.m");
    std::string pointTo = GetParam().relative ? "real/init.m" : target;
    if (GetParam().chain) {
        ASSERT_EQ(::symlink(pointTo.c_str(), dir.File("middle.m").c_str()), 0);
        pointTo = GetParam().relative ? "middle.m" : dir.File("middle.m");
    }
    ASSERT_EQ(::symlink(pointTo.c_str(), link.c_str()), 0);

    SaveSection(link, Utils, CpUtf8);
    EXPECT_TRUE(S_ISLNK(ModeOf(link)));
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), pointTo);
    EXPECT_TRUE(S_ISREG(ModeOf(target)));
    EXPECT_EQ(ReadBytes(target).rfind("mine\n(*--- This section", 0), 0u);
    // The temporary file was made beside the target and is gone.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() / "real"),
                            std::filesystem::directory_iterator()),
              1);
}

INSTANTIATE_TEST_SUITE_P(Links, SymlinkTest,
                         ::testing::Values(LinkCase{"Absolute", false, false}, LinkCase{"Relative", true, false},
                                           LinkCase{"Chain", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SymlinkTest, DanglingLinkCannotBeOpened)
{
    TempDir dir;
    const std::string link = dir.File("init.m");
    ASSERT_EQ(::symlink("nothing", link.c_str()), 0);
    EXPECT_THROW(SaveSection(link, Utils, CpUtf8), ESectionError);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "nothing"));
}

TEST(SpecialFileTest, FifoIsNotReadAndDoesNotHang)
{
    TempDir dir;
    const std::string fifo = dir.File("fifo.m");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    SectionSettings s{"h", true, "c"};
    NullReporter reporter;
    LoadSection(fifo, s, CpUtf8, reporter);
    EXPECT_EQ(reporter.Messages.size(), 1u);
    try {
        SaveSection(fifo, Utils, CpUtf8);
        FAIL();
    } catch (const ESectionError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル " + fifo + " は開けません: 通常のファイルではありません");
    }
}

TEST(OwnerTest, RootKeepsTheFileOwner)
{
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file away";
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, "a\n");
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    SaveSection(path, Utils, CpUtf8);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
}

// Real permission failures; root is not stopped by them, so these run only
// for ordinary users (the seam covers the same failures for root).
TEST(PermissionTest, UnreadableFileIsReportedOnLoadAndSave)
{
    if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, "a\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    SectionSettings s{"h", true, "c"};
    NullReporter reporter;
    LoadSection(path, s, CpUtf8, reporter);
    EXPECT_EQ(reporter.Messages.size(), 1u);
    EXPECT_THROW(SaveSection(path, Utils, CpUtf8), ESectionError);
}

TEST(PermissionTest, ReadOnlyFolderLeavesTheFile)
{
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into any folder";
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "ro");
    const std::string path = dir.File("ro/init.m");
    WriteBytes(path, "a\n");
    ASSERT_EQ(::chmod((dir.Path() / "ro").c_str(), 0555), 0);
    try {
        SaveSection(path, Utils, CpUtf8);
        ADD_FAILURE() << "saved";
    } catch (const ESectionError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル " + path + " を作成できません: " + FileErrorText(EACCES));
    }
    EXPECT_EQ(ReadBytes(path), "a\n");
    ::chmod((dir.Path() / "ro").c_str(), 0755);
}

// Runs `check` as an ordinary user: in a child that gives up root when the
// tests run as root, so that the file's own permission bits count. The
// result is `check`'s answer (0: as expected).
int AsOrdinaryUser(const std::function<int()>& check)
{
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
        int code = 101;
        try {
            code = check();
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

struct WritableCase {
    const char* name;
    mode_t mode;
    bool saved;
};

class FileModeTest : public ::testing::TestWithParam<WritableCase> {};

// A file the user may not write is not replaced behind its back, even though
// the folder would allow the rename.
TEST_P(FileModeTest, OnlyAWritableFileIsReplaced)
{
    const auto& c = GetParam();
    TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    const std::string path = dir.File("init.m");
    WriteBytes(path, "a\n");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
    const int result = AsOrdinaryUser([&] {
        try {
            SaveSection(path, Utils, CpUtf8);
            return c.saved ? 0 : 1;
        } catch (const ESectionError& e) {
            if (c.saved) return 2;
            return std::string(e.what()) == "ファイル " + path + " を作成できません: " + FileErrorText(EACCES) ? 0 : 3;
        }
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadBytes(path).find("[DefineUtils]") != std::string::npos, c.saved);
    EXPECT_EQ(ModeOf(path) & 07777, c.mode);
    EXPECT_EQ(dir.EntryCount(), 1u) << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Modes, FileModeTest,
                         ::testing::Values(WritableCase{"OwnerMayWrite", 0644, true},
                                           WritableCase{"ReadOnlyForAll", 0444, false},
                                           WritableCase{"ReadOnlyForOwner", 0466, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
