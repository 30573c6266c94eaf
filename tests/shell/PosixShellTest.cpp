// The file-system namespace on real temporary folder trees: parsing and
// paths back, enumeration, attributes, names, icons, special folders and
// the choice of volumes.

#include "SystemShell_posix.h"
#include "ShellIcons.h"
#include "ShellRoutines.h"
#include "Translation.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

using namespace quillane::shell;

namespace {

// A temporary folder removed with all its contents at the end.
class TempTree {
public:
    TempTree() {
        char pattern[] = "/tmp/quillane-shell-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (made) FRoot = made;
    }
    ~TempTree() {
        if (FRoot.empty()) return;
        // Give back permissions a test took away, so everything can go.
        ::nftw(
            FRoot.c_str(),
            [](const char* p, const struct stat*, int type, FTW*) {
                if (type == FTW_D || type == FTW_DNR) ::chmod(p, 0700);
                return 0;
            },
            16, FTW_PHYS);
        ::nftw(
            FRoot.c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p); }, 16,
            FTW_DEPTH | FTW_PHYS);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Root() const { return FRoot; }
    std::string operator/(const std::string& relative) const { return FRoot + "/" + relative; }
    void Dir(const std::string& relative) const { ASSERT_EQ(::mkdir((*this / relative).c_str(), 0755), 0) << relative; }
    void File(const std::string& relative) const { std::ofstream(*this / relative) << "x"; }
    void Link(const std::string& target, const std::string& relative) const {
        ASSERT_EQ(::symlink(target.c_str(), (*this / relative).c_str()), 0);
    }

private:
    std::string FRoot;
};

class PosixShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(T.Root().empty());
        for (const char* d : {"home", "home/Desktop", "nested", "nested/a", "nested/a/b", "nested/a/b/c", "empty",
                              "filesonly", "with space", "日本語フォルダ", ".hidden", "vol", "vol/inner", "locked",
                              "locked/sub", "remote", "remote/empty"})
            T.Dir(d);
        for (const char* f : {"filesonly/x.txt", "filesonly/y.txt", "日本語フォルダ/表ソ能.txt", "file.txt",
                              "with space/a b.txt", "vol/v.txt"})
            T.File(f);
        T.Link(T / "nested", "link to nested");
        T.Link(T / "missing", "broken link");
        PosixShellOptions options;
        options.home = T / "home";
        options.desktop = T / "home/Desktop";
        options.volumes = {{T / "vol"}, {T / "remote", true}};
        FShell = CreatePosixShellPlatform(options);
        StartShellUnit(FShell);
    }
    void TearDown() override { EndShellUnit(); }

    IDListPtr Parse(const std::string& path) { return PathToIDList(path, sfDesktop); }

    ShellFolderPtr Bind(const std::string& path) {
        IDListPtr list = Parse(path);
        ShellFolderPtr folder;
        if (list) DesktopFolder()->BindToObject(list.get(), folder);
        return folder;
    }

    // In-folder names listed by an enumeration of `folder` with `flags`.
    static std::vector<std::string> Names(ShellFolder& folder, std::uint32_t flags, HResult* status = nullptr) {
        std::vector<std::string> names;
        ShellEnumPtr e;
        const HResult hr = folder.EnumObjects(0, flags, e);
        if (status) *status = hr;
        if (hr != ShellOk) return names;
        PItemIDList raw = nullptr;
        while (e->Next(raw) == ShellOk) {
            IDListPtr item(raw);
            names.push_back(GetDisplayName(folder, item.get(), DisplayNameInFolder));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempTree T;
    std::shared_ptr<ShellPlatform> FShell;
};

TEST_F(PosixShellTest, PathsParseAndComeBack) {
    struct Case {
        std::string path;
        std::string expected;  // empty: does not parse
        std::size_t items;     // items of the list below the desktop
    };
    const std::size_t depth = std::count(T.Root().begin(), T.Root().end(), '/');
    const Case cases[] = {
        {"/", "/", 2},
        {T.Root(), T.Root(), 2 + depth},
        {T / "nested/a/b/c", T / "nested/a/b/c", 2 + depth + 4},
        {T / "nested/a/b/c/", T / "nested/a/b/c", 2 + depth + 4},
        {T / "nested//a/./b/../b", T / "nested/a/b", 2 + depth + 3},
        {T / "with space", T / "with space", 2 + depth + 1},
        {T / "日本語フォルダ/表ソ能.txt", T / "日本語フォルダ/表ソ能.txt", 2 + depth + 2},
        {T / "file.txt", T / "file.txt", 2 + depth + 1},
        {T / "link to nested/a", T / "link to nested/a", 2 + depth + 2},
        {T / "broken link", T / "broken link", 2 + depth + 1},
        {T / ".hidden", T / ".hidden", 2 + depth + 1},
        // A volume's items start at the volume, not at the root.
        {T / "vol/inner", T / "vol/inner", 3},
        {T / "vol", T / "vol", 2},
        {T / "missing", "", 0},
        {T / "nested/missing/deeper", "", 0},
        {"relative/path", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        IDListPtr list = Parse(c.path);
        if (c.expected.empty()) {
            EXPECT_FALSE(list);
            continue;
        }
        ASSERT_TRUE(list);
        EXPECT_EQ(GetIDListItemCount(list.get()), c.items);
        EXPECT_EQ(GetPathFromIDList(list.get()), c.expected);
    }
}

TEST_F(PosixShellTest, EnumeratedItemsAddUpToTheParsedList) {
    // The tree finds nodes by joining enumerated items to their parent's
    // list; that must give exactly the parsed list of the same path.
    for (const std::string name : {"nested", "file.txt", "link to nested", "broken link", "日本語フォルダ"}) {
        SCOPED_TRACE(name);
        IDListPtr parent = Parse(T.Root());
        ShellFolderPtr folder;
        ASSERT_EQ(DesktopFolder()->BindToObject(parent.get(), folder), ShellOk);
        ShellEnumPtr e;
        ASSERT_EQ(folder->EnumObjects(0, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, e), ShellOk);
        PItemIDList raw = nullptr;
        bool found = false;
        while (!found && e->Next(raw) == ShellOk) {
            IDListPtr item(raw);
            if (GetDisplayName(*folder, item.get(), DisplayNameInFolder) != name) continue;
            found = true;
            IDListPtr joined = ConcatIDLists(parent.get(), item.get());
            IDListPtr parsed = Parse(T / name);
            EXPECT_EQ(IDListBytes(joined.get()), IDListBytes(parsed.get()));
            EXPECT_NE(MatchIDListPrefix(parent.get(), parsed.get()), nullptr);
        }
        EXPECT_TRUE(found);
    }
}

TEST_F(PosixShellTest, EnumerationListsVisibleEntriesByKind) {
    using V = std::vector<std::string>;
    struct Case {
        std::string folder;
        std::uint32_t flags;
        V expected;
    };
    const std::uint32_t both = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
    const Case cases[] = {
        {T.Root(), SHCONTF_FOLDERS,
         V{"empty", "filesonly", "home", "link to nested", "locked", "nested", "remote", "vol", "with space",
           "日本語フォルダ"}},
        {T.Root(), SHCONTF_NONFOLDERS, V{"broken link", "file.txt"}},
        {T / "empty", both, V{}},
        {T / "filesonly", SHCONTF_FOLDERS, V{}},
        {T / "filesonly", both, V{"x.txt", "y.txt"}},
        {T / "with space", both, V{"a b.txt"}},
        {T / "日本語フォルダ", both, V{"表ソ能.txt"}},
        {T / "link to nested", both, V{"a"}},
        {T / "home", SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, V{"Desktop"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        ShellFolderPtr folder = Bind(c.folder);
        ASSERT_TRUE(folder);
        HResult status = ShellFail;
        EXPECT_EQ(Names(*folder, c.flags, &status), c.expected);
        EXPECT_EQ(status, ShellOk);
    }
    // With the flag, dot names are listed too.
    ShellFolderPtr root = Bind(T.Root());
    const V all = Names(*root, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN);
    EXPECT_NE(std::find(all.begin(), all.end(), ".hidden"), all.end());
}

TEST_F(PosixShellTest, FoldersThatCannotBeListedFailToEnumerate) {
    ShellFolderPtr gone = Bind(T / "nested/a/b/c");
    ASSERT_TRUE(gone);
    ASSERT_EQ(::rmdir((T / "nested/a/b/c").c_str()), 0);
    HResult status = ShellOk;
    Names(*gone, SHCONTF_FOLDERS, &status);
    EXPECT_NE(status, ShellOk);

    ASSERT_EQ(::chmod((T / "locked").c_str(), 0), 0);
    ShellFolderPtr locked = Bind(T / "locked");
    ASSERT_TRUE(locked);
    // The attribute comes from the folder's own entry, which stays readable.
    IDListPtr lockedList = Parse(T / "locked");
    EXPECT_TRUE(HasSubFolderItem(*DesktopFolder(), lockedList.get()));
    if (::geteuid() != 0) {
        Names(*locked, SHCONTF_FOLDERS, &status);
        EXPECT_EQ(status, ShellAccessDenied);
        return;
    }
    // Permissions do not bind root: ask again as an unprivileged user, in a
    // child process, with the way down to the folder opened for it.
    ASSERT_EQ(::chmod(T.Root().c_str(), 0755), 0);
    EXPECT_EXIT(
        {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) std::_Exit(3);
            HResult childStatus = ShellOk;
            const std::vector<std::string> names = Names(*locked, SHCONTF_FOLDERS, &childStatus);
            std::_Exit(childStatus == ShellAccessDenied && names.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(PosixShellTest, Attributes) {
    struct Case {
        std::string path;
        bool folder;
        bool hasSub;
    };
    const Case cases[] = {
        {T / "nested", true, true},
        {T / "nested/a/b/c", true, false},
        {T / "empty", true, false},
        {T / "filesonly", true, false},
        {T / "link to nested", true, true},
        {T / "file.txt", false, false},
        {T / "broken link", false, false},
        // Never looked at on a network or FUSE file system.
        {T / "remote/empty", true, true},
    };
    // Where the file system does not count subfolders in the link count, an
    // empty folder can only be answered with "maybe".
    struct stat st;
    ASSERT_EQ(::lstat((T / "empty").c_str(), &st), 0);
    const bool linkCounts = st.st_nlink >= 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        IDListPtr list = Parse(c.path);
        ASSERT_TRUE(list);
        const std::uint32_t attrs =
            GetItemAttributes(*DesktopFolder(), list.get(), SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_FILESYSTEM);
        EXPECT_TRUE(attrs & SFGAO_FILESYSTEM);
        EXPECT_EQ((attrs & SFGAO_FOLDER) != 0, c.folder);
        EXPECT_EQ((attrs & SFGAO_FILESYSANCESTOR) != 0, c.folder);
        if (c.hasSub || linkCounts) {
            EXPECT_EQ(HasSubFolderItem(*DesktopFolder(), list.get()), c.hasSub);
        }
    }
    // The computer: an ancestor of file-system items, not one itself.
    IDListPtr computer = PathToIDList("", sfMyComputer);
    EXPECT_EQ(GetItemAttributes(*DesktopFolder(), computer.get(), 0xF0000000u),
              SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_HASSUBFOLDER);
}

TEST_F(PosixShellTest, DesktopAndComputer) {
    ShellFolderPtr desktop = DesktopFolder();
    EXPECT_EQ(Names(*desktop, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS),
              (std::vector<std::string>{"home", "コンピュータ"}));
    IDListPtr computer = PathToIDList("", sfMyComputer);
    ShellFolderPtr folder;
    ASSERT_EQ(desktop->BindToObject(computer.get(), folder), ShellOk);
    EXPECT_EQ(Names(*folder, SHCONTF_FOLDERS), (std::vector<std::string>{"/", T / "remote", T / "vol"}));
    EXPECT_EQ(GetPathFromIDList(computer.get()), "");

    IDListPtr desktopList = PathToIDList("", sfDesktop);
    EXPECT_EQ(GetIDListSize(desktopList.get()), 2u);
    EXPECT_EQ(GetPathFromIDList(desktopList.get()), T / "home/Desktop");
    EXPECT_EQ(GetDisplayName(*desktop, desktopList.get(), DisplayNameNormal), "デスクトップ");
    // Both names are the shell's own, in the user's language.
    const quillane::TTranslation before = quillane::SetTranslation(
        [](const char*, const char* text, const char*) { return "<" + std::string(text) + ">"; });
    EXPECT_EQ(GetDisplayName(*desktop, desktopList.get(), DisplayNameNormal), "<デスクトップ>");
    EXPECT_EQ(GetDisplayName(*desktop, computer.get(), DisplayNameNormal), "<コンピュータ>");
    quillane::SetTranslation(before);
    IDListPtr home = PathToIDList("", sfPersonal);
    EXPECT_EQ(GetPathFromIDList(home.get()), T / "home");
    IDListPtr desktopDir = PathToIDList("", sfDesktopDir);
    EXPECT_EQ(GetPathFromIDList(desktopDir.get()), T / "home/Desktop");
    // No all-users folders here: the common desktop is the user's.
    IDListPtr commonDesktop = PathToIDList("", sfCommonDesktopDir);
    EXPECT_EQ(GetPathFromIDList(commonDesktop.get()), T / "home/Desktop");
    EXPECT_FALSE(PathToIDList("", sfPrinters));
}

TEST_F(PosixShellTest, NamesAndIcons) {
    struct Case {
        std::string path;
        std::string normalName;
        int icon;
        int openIcon;
    };
    const Case cases[] = {
        {"/", "/", IconDrive, IconDrive},
        {T / "vol", T / "vol", IconDrive, IconDrive},
        {T / "nested", "nested", IconFolder, IconFolderOpen},
        {T / "with space", "with space", IconFolder, IconFolderOpen},
        {T / "日本語フォルダ/表ソ能.txt", "表ソ能.txt", IconFile, IconFile},
        {T / "home", "home", IconHome, IconHome},
        {T / "home/Desktop", "Desktop", IconDesktop, IconDesktop},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        IDListPtr list = Parse(c.path);
        ASSERT_TRUE(list);
        EXPECT_EQ(GetDisplayName(*DesktopFolder(), list.get(), DisplayNameNormal), c.normalName);
        ImageListHandle handle = 0;
        EXPECT_EQ(GetShellIconIndex(list.get(), IconNormal, &handle), c.icon);
        EXPECT_EQ(handle, SharedIconListHandle);
        EXPECT_EQ(GetShellIconIndex(list.get(), IconOpen), c.openIcon);
    }
    IDListPtr computer = PathToIDList("", sfMyComputer);
    EXPECT_EQ(GetShellIconIndex(computer.get(), IconNormal), IconComputer);
    EXPECT_EQ(GetDisplayName(*DesktopFolder(), computer.get(), DisplayNameNormal), "コンピュータ");
}

TEST_F(PosixShellTest, ForeignItemsAreRefused) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"unknown kind", std::string("\x06\x00Zab\x00", 6)},
        {"folder item straight under the desktop", std::string("\x06\x00"
                                                               "Dab\x00",
                                                               6)},
        {"computer with a name", std::string("\x05\x00"
                                             "Cx\x00",
                                             5)},
        {"home not absolute", std::string("\x06\x00Hab\x00", 6)},
        {"no terminating zero", std::string("\x05\x00"
                                            "Cxy",
                                            5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDListPtr list = MakeIDList(c.bytes);
        ShellFolderPtr folder;
        EXPECT_NE(DesktopFolder()->BindToObject(list.get(), folder), ShellOk);
        EXPECT_EQ(GetPathFromIDList(list.get()), "");
        EXPECT_FALSE(IsFolderItem(*DesktopFolder(), list.get()));
    }
    // A component that climbs out of its folder is not an item.
    IDListPtr root = Parse(T.Root());
    IDListPtr dotdot =
        MakeIDList(std::string("\x06\x00"
                               "D..\x00",
                               6));
    IDListPtr joined = ConcatIDLists(root.get(), dotdot.get());
    EXPECT_EQ(GetPathFromIDList(joined.get()), "");
}

TEST(PosixVolumes, MountTableSelection) {
    const std::string table =
        "overlay / overlay rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "sysfs /sys sysfs rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "/dev/sda1 /boot ext4 rw 0 0\n"
        "/dev/sdb1 /media/alice/USB\\040STICK vfat rw 0 0\n"
        "/dev/sdc1 /run/media/bob/Disk ext4 rw 0 0\n"
        "/dev/loop3 /mnt/snap squashfs ro 0 0\n"
        "tmpfs /mnt/scratch tmpfs rw 0 0\n"
        "server:/export /mnt/nfs nfs4 rw 0 0\n"
        "/dev/sdb1 /media/alice/USB\\040STICK/ vfat rw 0 0\n"
        "me@host: /mnt/slow fuse.sshfs rw 0 0\n"
        "gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw 0 0\n"
        "systemd-1 /mnt/auto autofs rw 0 0\n"
        "server:/auto /mnt/auto nfs rw 0 0\n"
        "//srv/share /media/share cifs rw 0 0\n"
        "malformed line\n";
    const std::vector<MountEntry> mounts = ParseMountTable(table);
    ASSERT_EQ(mounts.size(), 16u);
    EXPECT_EQ(mounts[5].mountPoint, "/media/alice/USB STICK");
    EXPECT_EQ(SelectVolumes(mounts), (std::vector<PosixVolume>{{"/"},
                                                               {"/media/alice/USB STICK"},
                                                               {"/run/media/bob/Disk"},
                                                               {"/mnt/nfs", true},
                                                               {"/mnt/slow", true},
                                                               {"/mnt/auto", true},
                                                               {"/media/share", true}}));
    EXPECT_EQ(RemoteMountPoints(mounts),
              (std::vector<std::string>{"/mnt/nfs", "/mnt/slow", "/run/user/1000/gvfs", "/mnt/auto", "/media/share"}));
    EXPECT_EQ(SelectVolumes({}), std::vector<PosixVolume>{{"/"}});
}

TEST(PosixDesktop, NoDesktopFolderMeansNoDesktopPath) {
    TempTree t;
    t.Dir("home");
    PosixShellOptions options;
    options.home = t / "home";
    options.desktop = t / "home/NoSuchDesktop";
    ShellUnitScope unit(CreatePosixShellPlatform(options));
    IDListPtr desktop = PathToIDList("", sfDesktop);
    ASSERT_TRUE(desktop);
    EXPECT_EQ(GetPathFromIDList(desktop.get()), "");
    EXPECT_FALSE(PathToIDList("", sfDesktopDir));
    EXPECT_EQ(GetItemAttributes(*DesktopFolder(), desktop.get(), SFGAO_FILESYSTEM), 0u);
}

TEST(PosixDesktop, DesktopFolderFromTheUserDirsFile) {
    TempTree t;
    t.Dir("home");
    t.Dir("home/config");
    t.Dir("home/デスクトップ");
    t.Dir("home/Desktop");
    std::ofstream(t / "home/config/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                    << "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n"
                                                    << "XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n";
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", (t / "home/config").c_str(), 1);
    struct Case {
        const char* name;
        bool removeXdgFolder;
        std::string expected;
    };
    const Case cases[] = {
        {"the user-dirs entry, $HOME expanded", false, t / "home/デスクトップ"},
        {"~/Desktop when that folder is gone", true, t / "home/Desktop"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.removeXdgFolder) {
            ASSERT_EQ(::rmdir((t / "home/デスクトップ").c_str()), 0);
        }
        PosixShellOptions options;
        options.home = t / "home";
        ShellUnitScope unit(CreatePosixShellPlatform(options));
        IDListPtr desktop = PathToIDList("", sfDesktop);
        EXPECT_EQ(GetPathFromIDList(desktop.get()), c.expected);
    }
    if (saved)
        ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
