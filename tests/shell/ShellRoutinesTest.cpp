// The routines the folder tree calls, over the in-memory namespace: unit
// start and end, special folders, parsing, display names of every answer
// kind, icons, paths and attributes, each proving that nothing leaks.

#include "MemoryUnitTest.h"
#include "QuillaneError.h"
#include "ShellIcons.h"
#include "ShellRoutines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace quillane::shell;

namespace {

class ShellRoutinesTest : public test::MemoryUnitTest {
protected:
    // The absolute list of an address, owned through the unit's allocator.
    IDListPtr Abs(const std::string& address) { return IDListPtr(FShell->ListOf(address)); }

    // The last item of an address, as the folder above it would hand it out.
    IDListPtr Child(const std::string& address) {
        IDListPtr abs = Abs(address);
        PCItemIDList last = abs.get();
        for (PCItemIDList it = abs.get(); ItemSize(it) != 0; it = NextIDListItem(it)) last = it;
        return CopyIDList(last);
    }

    ShellFolderPtr Bind(const std::string& address) {
        IDListPtr abs = Abs(address);
        ShellFolderPtr folder;
        EXPECT_EQ(DesktopFolder()->BindToObject(abs.get(), folder), ShellOk) << address;
        return folder;
    }
};

TEST(SpecialFolderIDs, BothColumnsOfTheTable) {
    struct Row {
        TSpecialFolder folder;
        int nt;
        int other;
    };
    const Row rows[] = {
        {sfDesktop, 0, 0},
        {sfInternet, 1, 1},
        {sfPrograms, 2, 2},
        {sfControlPanel, 3, 3},
        {sfPrinters, 4, 4},
        {sfPersonal, 5, 5},
        {sfFavorites, 6, 6},
        {sfStartup, 7, 7},
        {sfRecent, 8, 8},
        {sfSendTo, 9, 9},
        {sfRecycleBin, 10, 10},
        {sfStartMenu, 11, 11},
        {sfDesktopDir, 16, 16},
        {sfMyComputer, 17, 17},
        {sfNetwork, 18, 18},
        {sfNetHood, 19, 19},
        {sfFonts, 20, 20},
        {sfTemplates, 21, 21},
        {sfCommonStartMenu, 22, 11},
        {sfCommonPrograms, 23, 2},
        {sfCommonStartup, 24, 7},
        {sfCommonDesktopDir, 25, 16},
        {sfAppData, 26, 26},
        {sfPrintHood, 27, 27},
    };
    static_assert(sizeof rows / sizeof rows[0] == SpecialFolderCount, "every value is listed");
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.folder));
        EXPECT_EQ(GetSpecialFolderID(row.folder, true), row.nt);
        EXPECT_EQ(GetSpecialFolderID(row.folder, false), row.other);
    }
    EXPECT_EQ(GetSpecialFolderID(static_cast<TSpecialFolder>(24), true), -1);
    EXPECT_EQ(sizeof(TSpecialFolder), 1u);
}

TEST_F(ShellRoutinesTest, CommonFolderFollowsThePlatformFamily) {
    for (bool nt : {true, false}) {
        FShell->SetNTFamily(nt);
        IDListPtr list = PathToIDList("", sfCommonPrograms);
        ASSERT_TRUE(list);
        EXPECT_EQ(GetPathFromIDList(list.get()), nt ? "C:\\All\\Programs" : "C:\\Programs");
        EXPECT_EQ(GetSpecialFolderID(sfCommonPrograms), nt ? 23 : 2);
    }
}

TEST(ShellUnit, StartFailuresRaiseTheirMessagesAndLeaveTheUnitStopped) {
    struct Case {
        bool mallocFails;
        bool desktopFails;
        const char* message;
    };
    const Case cases[] = {
        {true, false, "SHGetMalloc failed"},
        {true, true, "SHGetMalloc failed"},
        {false, true, "SHGetDesktopFolder failed"},
    };
    for (const Case& c : cases) {
        auto shell = std::make_shared<MemoryShell>("A | folder");
        shell->Failures().malloc = c.mallocFails;
        shell->Failures().desktop = c.desktopFails;
        try {
            StartShellUnit(shell);
            ADD_FAILURE() << "no exception for " << c.message;
            EndShellUnit();
        } catch (const quillane::EQuillaneError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_FALSE(ShellUnitStarted());
        EXPECT_EQ(ShellMalloc(), nullptr);
        EXPECT_EQ(DesktopFolder(), nullptr);
        EXPECT_EQ(shell->LiveFolders(), 0u);
    }
}

TEST(ShellUnit, StartsAreCountedAndTheLastEndReleases) {
    auto shell = std::make_shared<MemoryShell>("A | folder");
    auto other = std::make_shared<MemoryShell>("B | folder");
    StartShellUnit(shell);
    StartShellUnit(other);  // counted only: the objects are never replaced
    EXPECT_EQ(ShellPlatformInUse(), shell.get());
    EXPECT_EQ(ShellMalloc(), &shell->Allocator());
    EXPECT_EQ(shell->LiveFolders(), 1u);
    EXPECT_EQ(other->LiveFolders(), 0u);
    EndShellUnit();
    EXPECT_TRUE(ShellUnitStarted());
    EXPECT_NE(DesktopFolder(), nullptr);
    EndShellUnit();
    EXPECT_FALSE(ShellUnitStarted());
    EXPECT_EQ(ShellMalloc(), nullptr);
    EXPECT_EQ(shell->LiveFolders(), 0u);
    EndShellUnit();  // an extra end is harmless
    EXPECT_FALSE(ShellUnitStarted());
    {
        ShellUnitScope scope(shell);
        EXPECT_TRUE(ShellUnitStarted());
    }
    EXPECT_FALSE(ShellUnitStarted());
}

TEST_F(ShellRoutinesTest, PathToIDList) {
    struct Case {
        const char* name;
        std::string path;
        TSpecialFolder folder;
        bool parseFails;
        bool specialFails;
        bool expectNull;
        std::string expectedAddress;
    };
    const Case cases[] = {
        {"empty path gives the desktop, not null", "", sfDesktop, false, false, false, ""},
        {"empty path gives the special folder", "", sfMyComputer, false, false, false, "Computer"},
        {"a path wins over the special folder", "C:\\Users", sfMyComputer, false, false, false, "Computer/C:\\/Users"},
        {"Japanese path", "C:\\Users\\表ソ能", sfDesktop, false, false, false, "Computer/C:\\/Users/表ソ能"},
        {"a path that does not exist", "C:\\Missing", sfDesktop, false, false, true, ""},
        {"a path in other letter case is another path here", "c:\\users", sfDesktop, false, false, true, ""},
        {"parsing fails", "C:\\Users", sfDesktop, true, false, true, ""},
        {"locating fails", "", sfMyComputer, false, true, true, ""},
        {"a folder the platform does not have", "", sfFonts, false, false, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FShell->Failures().parse = c.parseFails;
        FShell->Failures().specialFolder = c.specialFails;
        IDListPtr list = PathToIDList(c.path, c.folder);
        if (c.expectNull) {
            EXPECT_FALSE(list);
            continue;
        }
        ASSERT_TRUE(list);
        IDListPtr expected = Abs(c.expectedAddress);
        EXPECT_EQ(IDListBytes(list.get()), IDListBytes(expected.get()));
        EXPECT_EQ(GetIDListSize(list.get()), GetIDListSize(expected.get()));
    }
    FShell->Failures() = MemoryFailures();
    IDListPtr desktop = PathToIDList("", sfDesktop);
    EXPECT_EQ(GetIDListSize(desktop.get()), 2u);
}

// A folder that answers every display-name query with a prepared record, to
// reach the answers no backend gives on its own.
class PreparedNameFolder : public ShellFolder {
public:
    PreparedNameFolder(StrRet answer, HResult result) : FAnswer(answer), FResult(result) {}
    HResult ParseDisplayName(WindowHandle, const std::string&, PItemIDList&) override { return ShellFail; }
    HResult EnumObjects(WindowHandle, std::uint32_t, ShellEnumPtr&) override { return ShellFail; }
    HResult BindToObject(PCItemIDList, ShellFolderPtr&) override { return ShellFail; }
    HResult GetAttributesOf(unsigned, const PCItemIDList*, std::uint32_t&) override { return ShellFail; }
    HResult GetDisplayNameOf(PCItemIDList, std::uint32_t, StrRet& name) override {
        name = FAnswer;
        return FResult;
    }

private:
    StrRet FAnswer;
    HResult FResult;
};

TEST_F(ShellRoutinesTest, DisplayNameAnswerKinds) {
    // The item: size 12, then "ab\0" at offset 2, then "cdefg" without a
    // zero up to the end of the item, then a second item "xy\0".
    const std::string bytes = std::string(
                                  "\x0c\x00"
                                  "ab\0cdefghi\x00",
                                  12) +
                              std::string("\x05\x00xy\x00", 5);
    IDListPtr item = MakeIDList(bytes);
    std::string full260(StrRetBufferSize, 'z');
    struct Case {
        const char* name;
        std::uint32_t type;
        std::uint32_t offset;
        std::string buffer;
        HResult result;
        std::string expected;
    };
    const Case cases[] = {
        {"offset text read from the item", STRRET_OFFSET, 2, "decoy", ShellOk, "ab"},
        {"offset text in a later item of the list", STRRET_OFFSET, 14, "decoy", ShellOk, "xy"},
        {"offset text may run into the next item", STRRET_OFFSET, 5, "", ShellOk, "cdefghi\x05"},
        {"offset past the list", STRRET_OFFSET, 17, "", ShellOk, ""},
        {"buffer text up to its zero", STRRET_CSTR, 0, std::string("Local Disk\0junk", 15), ShellOk, "Local Disk"},
        {"buffer text filling all 260 bytes", STRRET_CSTR, 0, full260, ShellOk, full260},
        {"unknown answer type", 7, 0, "decoy", ShellOk, ""},
        {"failure code", STRRET_CSTR, 0, "decoy", ShellFail, ""},
        {"ShellFalse is not success", STRRET_CSTR, 0, "decoy", ShellFalse, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StrRet answer;
        answer.uType = c.type;
        answer.uOffset = c.offset;
        std::memcpy(answer.cStr, c.buffer.data(), c.buffer.size());
        PreparedNameFolder folder(answer, c.result);
        EXPECT_EQ(GetDisplayName(folder, item.get(), DisplayNameNormal), c.expected);
    }
}

TEST_F(ShellRoutinesTest, DisplayNamesOfTheNamespaceInEveryAnswerKind) {
    struct Case {
        std::string folder;
        std::string item;
        int kind;
        std::string expected;
    };
    const Case cases[] = {
        {"Computer", "Computer/C:\\", DisplayNameNormal, "Local Disk (C:)"},
        {"Computer", "Computer/C:\\", DisplayNameInFolder, "C:\\"},
        {"Computer/C:\\/Users", "Computer/C:\\/Users/表ソ能", DisplayNameInFolder, "表ソ能"},
        {"", "Computer", DisplayNameNormal, "Computer"},
    };
    for (std::uint32_t type : {STRRET_WSTR, STRRET_OFFSET, STRRET_CSTR}) {
        FShell->SetNameAnswer(type);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.item + " answered as kind " + std::to_string(type));
            ShellFolderPtr folder = c.folder.empty() ? DesktopFolder() : Bind(c.folder);
            ASSERT_TRUE(folder);
            IDListPtr child = Child(c.item);
            EXPECT_EQ(GetDisplayName(*folder, child.get(), c.kind), c.expected);
        }
        {
            // The desktop's normal name of an absolute list of several items.
            IDListPtr abs = Abs("Computer/C:\\/Users/表ソ能");
            EXPECT_EQ(GetDisplayName(*DesktopFolder(), abs.get(), DisplayNameNormal), "表ソ能");
        }
        // The text block of a UTF-16 answer went back to the allocator.
        EXPECT_EQ(FShell->Allocator().Outstanding(), 0u);
    }
    FShell->SetNameAnswer(5);
    IDListPtr abs = Abs("Computer");
    EXPECT_EQ(GetDisplayName(*DesktopFolder(), abs.get(), DisplayNameNormal), "");
}

TEST_F(ShellRoutinesTest, DisplayNameFailuresGiveEmptyText) {
    IDListPtr broken = Abs("Broken");
    EXPECT_EQ(GetDisplayName(*DesktopFolder(), broken.get(), DisplayNameInFolder), "");
    IDListPtr computer = Abs("Computer");
    FShell->Failures().displayName = true;
    EXPECT_EQ(GetDisplayName(*DesktopFolder(), computer.get(), DisplayNameNormal), "");
    FShell->Failures().displayName = false;
    FShell->Allocator().FailAfter(0);  // no block for the UTF-16 text
    EXPECT_EQ(GetDisplayName(*DesktopFolder(), computer.get(), DisplayNameNormal), "");
    FShell->Allocator().FailAfter(-1);
    EXPECT_EQ(GetDisplayName(*DesktopFolder(), nullptr, DisplayNameNormal), "");
}

TEST_F(ShellRoutinesTest, IconIndexes) {
    struct Case {
        std::string address;
        int normal;
        int open;
    };
    const Case cases[] = {
        {"", IconDesktop, IconDesktop},
        {"Computer", IconComputer, IconComputer},
        {"Computer/C:\\/Users", IconFolder, IconFolderOpen},
        {"Computer/C:\\/readme.txt", IconFile, IconFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        IDListPtr abs = Abs(c.address);
        ImageListHandle list = 0;
        EXPECT_EQ(GetShellIconIndex(abs.get(), IconNormal, &list), c.normal);
        EXPECT_EQ(list, SharedIconListHandle);
        EXPECT_EQ(GetShellIconIndex(abs.get(), IconOpen), c.open);
    }
    IDListPtr noIcon = Abs("Computer/D:\\");
    ImageListHandle list = 99;
    EXPECT_EQ(GetShellIconIndex(noIcon.get(), IconNormal, &list), -1);
    EXPECT_EQ(list, 0u);
    IDListPtr computer = Abs("Computer");
    FShell->Failures().icon = true;
    EXPECT_EQ(GetShellIconIndex(computer.get(), IconNormal, &list), -1);
    EXPECT_EQ(GetShellIconIndex(nullptr, IconNormal, &list), -1);
}

TEST_F(ShellRoutinesTest, PathsFromIDLists) {
    struct Case {
        std::string address;
        std::string expected;
    };
    const Case cases[] = {
        {"Computer/C:\\", "C:\\"},
        {"Computer/C:\\/Users/表ソ能", "C:\\Users\\表ソ能"},
        {"Computer", ""},
        {"Control Panel", ""},
        {"", ""},
        {"Broken", ""},
    };
    for (const Case& c : cases) {
        IDListPtr abs = Abs(c.address);
        EXPECT_EQ(GetPathFromIDList(abs.get()), c.expected) << c.address;
    }
    FShell->SetDesktop("Desktop", "C:\\Desktop");
    IDListPtr desktop = Abs("");
    EXPECT_EQ(GetPathFromIDList(desktop.get()), "C:\\Desktop");
    FShell->Failures().path = true;
    EXPECT_EQ(GetPathFromIDList(desktop.get()), "");
    EXPECT_EQ(GetPathFromIDList(nullptr), "");
}

TEST_F(ShellRoutinesTest, FolderAndSubfolderAttributes) {
    struct Case {
        std::string folder;
        std::string item;
        bool isFolder;
        bool hasSub;
    };
    const Case cases[] = {
        {"", "Computer", true, true},
        {"Computer", "Computer/C:\\", true, true},
        {"Computer/C:\\", "Computer/C:\\/Users", true, true},
        {"Computer/C:\\", "Computer/C:\\/Empty", true, false},
        {"Computer/C:\\", "Computer/C:\\/readme.txt", false, false},
        {"Computer/C:\\/Users", "Computer/C:\\/Users/表ソ能", true, false},
        {"", "Broken", false, false},  // its attributes cannot be read
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        ShellFolderPtr folder = c.folder.empty() ? DesktopFolder() : Bind(c.folder);
        ASSERT_TRUE(folder);
        IDListPtr child = Child(c.item);
        EXPECT_EQ(IsFolderItem(*folder, child.get()), c.isFolder);
        EXPECT_EQ(HasSubFolderItem(*folder, child.get()), c.hasSub);
        // The desktop answers for the absolute list just as the parent does.
        IDListPtr abs = Abs(c.item);
        EXPECT_EQ(IsFolderItem(*DesktopFolder(), abs.get()), c.isFolder);
    }
    IDListPtr users = Child("Computer/C:\\/Users");
    ShellFolderPtr drive = Bind("Computer/C:\\");
    EXPECT_EQ(GetItemAttributes(*drive, users.get(), SFGAO_FOLDER | SFGAO_FILESYSTEM), SFGAO_FOLDER | SFGAO_FILESYSTEM);
    FShell->Failures().attributes = true;
    EXPECT_FALSE(IsFolderItem(*drive, users.get()));
    EXPECT_EQ(GetItemAttributes(*drive, users.get(), SFGAO_FOLDER), 0u);
}

TEST(ShellRoutinesNoUnit, EverythingAnswersEmptyWithoutTheUnit) {
    ASSERT_FALSE(ShellUnitStarted());
    EXPECT_FALSE(PathToIDList("", sfDesktop));
    EXPECT_FALSE(PathToIDList("C:\\", sfDesktop));
    const std::uint8_t desktop[2] = {0, 0};
    EXPECT_EQ(GetPathFromIDList(desktop), "");
    EXPECT_EQ(GetShellIconIndex(desktop, IconNormal), -1);
    EXPECT_EQ(GetSpecialFolderID(sfCommonPrograms), 23);
}

}  // namespace
