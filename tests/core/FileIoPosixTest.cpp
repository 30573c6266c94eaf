// POSIX-only behaviour of the safe replace: permission bits, owners,
// symbolic links, special files and real permission failures.
#include "CodePage.h"
#include "FileIo.h"
#include "SectionEngine.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
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

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0);
    return st.st_mode;
}

class ModeBitsTest : public ::testing::TestWithParam<mode_t> {};

TEST_P(ModeBitsTest, SaveKeepsThePermissionBits) {
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

TEST_P(SymlinkTest, ReplacesTheTargetAndKeepsTheLink) {
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
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(dir.Path() / "real"), std::filesystem::directory_iterator()),
        1);
}

INSTANTIATE_TEST_SUITE_P(Links, SymlinkTest,
                         ::testing::Values(LinkCase{"Absolute", false, false}, LinkCase{"Relative", true, false},
                                           LinkCase{"Chain", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SymlinkTest, DanglingLinkCannotBeOpened) {
    TempDir dir;
    const std::string link = dir.File("init.m");
    ASSERT_EQ(::symlink("nothing", link.c_str()), 0);
    EXPECT_THROW(SaveSection(link, Utils, CpUtf8), ESectionError);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "nothing"));
}

TEST(SpecialFileTest, FifoIsNotReadAndDoesNotHang) {
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

TEST(OwnerTest, RootKeepsTheFileOwner) {
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
TEST(PermissionTest, UnreadableFileIsReportedOnLoadAndSave) {
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

// Runs `check` as an ordinary user: in a child that gives up root when the
// tests run as root, so that the file's own permission bits count. The
// result is `check`'s answer (0: as expected).
int AsOrdinaryUser(const std::function<int()>& check) {
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
        int code = 101;
        try {
            code = check();
        } catch (...) {}
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
TEST_P(FileModeTest, OnlyAWritableFileIsReplaced) {
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

// Runs `check` as an ordinary user with `cache` as the user's cache folder.
int AsOrdinaryUserWithCache(const std::string& cache, const std::function<int()>& check) {
    return AsOrdinaryUser([&] {
        ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        return check();
    });
}

std::size_t EntriesIn(const std::filesystem::path& folder) {
    std::error_code ec;
    return static_cast<std::size_t>(std::distance(std::filesystem::recursive_directory_iterator(folder, ec),
                                                  std::filesystem::recursive_directory_iterator()));
}

// Where a rename would change what the file is, it is rewritten in place:
// another's file keeps its owner, a hard link stays one, a folder the user
// may not write is no obstacle. The old bytes' backup is gone afterwards.
struct InPlaceCase {
    const char* name;
    uid_t owner;  // of the file; the saving user is 65534 when the tests run as root
    mode_t folderMode;
    bool hardLink;
};

class InPlaceTest : public ::testing::TestWithParam<InPlaceCase> {};

TEST_P(InPlaceTest, TheFileStaysTheSameFile) {
    const auto& c = GetParam();
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to set owners";
    TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    const std::string cache = dir.File("cache");
    std::filesystem::create_directory(cache);
    ASSERT_EQ(::chmod(cache.c_str(), 0777), 0);
    std::filesystem::create_directory(dir.Path() / "f");
    const std::string path = dir.File("f/init.m");
    WriteBytes(path, "a\n");
    ASSERT_EQ(::chown(path.c_str(), c.owner, c.owner), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_TRUE(!c.hardLink || ::link(path.c_str(), dir.File("link.m").c_str()) == 0);
    ASSERT_EQ(::chmod((dir.Path() / "f").c_str(), c.folderMode), 0);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    EXPECT_EQ(AsOrdinaryUserWithCache(cache,
                                      [&] {
                                          SaveSection(path, Utils, CpUtf8);
                                          return 0;
                                      }),
              0);
    ::chmod((dir.Path() / "f").c_str(), 0777);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, c.owner);
    EXPECT_EQ(after.st_mode & 07777, 0666u);
    EXPECT_EQ(ReadBytes(path).rfind("a\n(*--- This section", 0), 0u);
    EXPECT_TRUE(!c.hardLink || ReadBytes(dir.File("link.m")) == ReadBytes(path));
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(dir.Path() / "f"), std::filesystem::directory_iterator()), 1);
    EXPECT_EQ(EntriesIn(cache), 1u) << "only the empty backup folder stays";
}

INSTANTIATE_TEST_SUITE_P(Files, InPlaceTest,
                         ::testing::Values(InPlaceCase{"AnotherUsersFile", 4321, 0777, false},
                                           InPlaceCase{"FolderTheUserMayNotWrite", 65534, 0555, false},
                                           InPlaceCase{"HardLink", 65534, 0777, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AttributeTest, ExtendedAttributesAndAclStay) {
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, "a\n");
    if (::setxattr(path.c_str(), "user.quillane", "kept", 4, 0) != 0) GTEST_SKIP() << "no user attributes here";
    // An access ACL that also grants user 4321 reading: version 2, then
    // entries of tag, permissions and id.
    const std::uint32_t acl[] = {2,   0x00060001, ~0u, 0x00040002, 4321, 0x00040004,
                                 ~0u, 0x00040010, ~0u, 0x00040020, ~0u};
    const bool hasAcl = ::setxattr(path.c_str(), "system.posix_acl_access", acl, sizeof acl, 0) == 0;
    SaveSection(path, Utils, CpUtf8);
    char value[16] = {};
    EXPECT_EQ(::getxattr(path.c_str(), "user.quillane", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
    if (hasAcl) {
        std::uint32_t got[16] = {};
        EXPECT_EQ(::getxattr(path.c_str(), "system.posix_acl_access", got, sizeof got),
                  static_cast<ssize_t>(sizeof acl));
        EXPECT_EQ(std::memcmp(got, acl, sizeof acl), 0);
    }
    EXPECT_NE(ReadBytes(path).find("[DefineUtils]"), std::string::npos);
}

TEST(TempFileTest, ANameOfAnyLengthSaves) {
    TempDir dir;
    const std::string path = dir.File(std::string(250, 'n'));
    WriteBytes(path, "a\n");
    SaveSection(path, Utils, CpUtf8);
    EXPECT_NE(ReadBytes(path).find("[DefineUtils]"), std::string::npos);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(TempFileTest, KilledSavesLeftoversGoOthersStay) {
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, "a\n");
    for (const char* name : {".quillane-abcd1234.tmp", ".quillane-held0000.tmp", ".quillane-x.tmp", ".init.m.AbC123"})
        WriteBytes(dir.File(name), "x");
    // A running save holds its file locked.
    const int held = ::open(dir.File(".quillane-held0000.tmp").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    SaveSection(path, Utils, CpUtf8);
    ::close(held);
    EXPECT_FALSE(std::filesystem::exists(dir.File(".quillane-abcd1234.tmp")));
    for (const char* name : {".quillane-held0000.tmp", ".quillane-x.tmp", ".init.m.AbC123"})
        EXPECT_TRUE(std::filesystem::exists(dir.File(name))) << name;
}

// A child saves a large file over and over and is killed at random moments:
// the file is always one of the saved versions, and the temporary files of
// the killed saves are removed by the next one.
TEST(KillTest, AKilledSaveLeavesAWholeFileAndNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.File("init.m");
    std::string user;
    for (int i = 0; user.size() < (2u << 20); ++i) user += "line " + std::to_string(i) + "\r\n";
    const SectionSettings a{"/a", false, "(未設定)"};
    const SectionSettings b{"/b", true, "(未設定)"};
    std::string versions[2];
    for (int k = 0; k < 2; ++k) {
        WriteBytes(path, user);
        SaveSection(path, k ? b : a, CpUtf8);
        versions[k] = ReadBytes(path);
    }
    const auto t0 = std::chrono::steady_clock::now();
    SaveSection(path, a, CpUtf8);
    const auto saveTime = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0);
    std::mt19937 rng(17);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    int kills = 0;
    for (; kills < 300 && std::chrono::steady_clock::now() < deadline; ++kills) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (int k = 0;; k ^= 1) {
                try {
                    SaveSection(path, k ? b : a, CpUtf8);
                } catch (...) {
                    ::_exit(1);
                }
            }
        }
        ::usleep(static_cast<useconds_t>(rng() % (3 * saveTime.count() / 2 + 1000)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child failed";
        const std::string now = ReadBytes(path);
        ASSERT_TRUE(now == versions[0] || now == versions[1]) << "kill " << kills;
        // A killed save's file is gone once the next save starts.
        ASSERT_LE(dir.EntryCount(), 2u) << "kill " << kills;
    }
    EXPECT_GE(kills, 200);
    SaveSection(path, a, CpUtf8);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(OutOfMemoryTest, ASaveWithoutMemoryFailsAndKeepsTheFile) {
    // A sparse file larger than the memory the child may have.
    TempDir dir;
    const std::string path = dir.File("init.m");
    WriteBytes(path, "a\n");
    constexpr off_t size = off_t{4} << 30;
    ASSERT_EQ(::truncate(path.c_str(), size), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{std::size_t{1} << 30, std::size_t{1} << 30};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(100);
        try {
            SaveSection(path, Utils, CpUtf8);
        } catch (const ESectionError& e) {
            ::_exit(std::string(e.what()) == "ファイル " + path + " を作成できません: " + FileErrorText(ENOMEM) ? 0
                                                                                                                : 2);
        } catch (...) {
            ::_exit(3);
        }
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(std::filesystem::file_size(path), static_cast<std::uintmax_t>(size));
    EXPECT_EQ(dir.EntryCount(), 1u);
}

}  // namespace
