// The real Windows shell (run under Wine here): the desktop, the computer
// and its drives, parsing, paths back, attributes, icons and special folders,
// also from the worker threads the folder tree lists on.

#include "ShellListing.h"
#include "ShellRoutines.h"
#include "ShellWorker.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <string>
#include <vector>

using namespace quillane::shell;

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::wstring Wide(const std::string& utf8) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    return w;
}

class WinShellTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StartShellUnit(); }
    static void TearDownTestSuite() { EndShellUnit(); }

    // The absolute lists of the children of an absolute list, as the tree
    // builds them: parent + each enumerated item.
    static std::vector<IDListPtr> Children(PCItemIDList parent, std::uint32_t flags) {
        std::vector<IDListPtr> result;
        ShellFolderPtr folder = DesktopFolder();
        if (!IsDesktopIDList(parent)) {
            folder.reset();
            if (DesktopFolder()->BindToObject(parent, folder) != ShellOk) return result;
        }
        ShellEnumPtr items;
        if (folder->EnumObjects(0, flags, items) != ShellOk) return result;
        PItemIDList raw = nullptr;
        while (items->Next(raw) == ShellOk) {
            IDListPtr item(raw);
            result.push_back(ConcatIDLists(parent, item.get()));
        }
        return result;
    }
};

TEST_F(WinShellTest, UnitHoldsTheShellObjects) {
    ASSERT_TRUE(ShellUnitStarted());
    EXPECT_NE(ShellMalloc(), nullptr);
    EXPECT_NE(DesktopFolder(), nullptr);
    IDListPtr desktop = PathToIDList("", sfDesktop);
    ASSERT_TRUE(desktop);
    EXPECT_EQ(GetIDListSize(desktop.get()), 2u);
}

TEST_F(WinShellTest, SpecialFolderIdsComeFromTheNTColumn) {
    ASSERT_TRUE(ShellPlatformInUse()->IsNTFamily());
    EXPECT_EQ(GetSpecialFolderID(sfCommonPrograms), 23);
    EXPECT_EQ(GetSpecialFolderID(sfCommonDesktopDir), 25);
    EXPECT_EQ(GetSpecialFolderID(sfMyComputer), 17);
}

TEST_F(WinShellTest, DesktopListsTheComputerWhichListsTheDrives) {
    IDListPtr desktop = PathToIDList("", sfDesktop);
    IDListPtr computer = PathToIDList("", sfMyComputer);
    ASSERT_TRUE(computer);
    EXPECT_EQ(GetIDListItemCount(computer.get()), 1u);
    EXPECT_EQ(GetPathFromIDList(computer.get()), "") << "the computer has no path of its own";

    const std::vector<IDListPtr> top = Children(desktop.get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS);
    EXPECT_FALSE(top.empty());
    const bool listed = std::any_of(top.begin(), top.end(), [&](const IDListPtr& l) {
        return IDListBytes(l.get()) == IDListBytes(computer.get());
    });
    EXPECT_TRUE(listed) << "the desktop lists the computer";
    std::uint32_t attrs =
        GetItemAttributes(*DesktopFolder(), computer.get(), SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_FILESYSTEM);
    EXPECT_TRUE(attrs & SFGAO_FOLDER);
    EXPECT_TRUE(attrs & SFGAO_FILESYSANCESTOR);
    EXPECT_FALSE(attrs & SFGAO_FILESYSTEM);
    EXPECT_FALSE(GetDisplayName(*DesktopFolder(), computer.get(), DisplayNameNormal).empty());

    std::vector<std::string> drives;
    for (const IDListPtr& child : Children(computer.get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS))
        drives.push_back(Lower(GetPathFromIDList(child.get())));
    EXPECT_NE(std::find(drives.begin(), drives.end(), "c:\\"), drives.end());
    EXPECT_NE(std::find(drives.begin(), drives.end(), "z:\\"), drives.end());
}

TEST_F(WinShellTest, WorkerThreadsListInAnApartmentOfTheirOwn) {
    const ShellContext context = CurrentShellContext();
    HRESULT apartment = E_FAIL;
    bool listed = false;
    std::vector<ShellItemInfo> drives;
    const ShellTaskPtr task = context.worker->Run([&] {
        // Already initialised by the worker: only the count goes up.
        apartment = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(apartment)) ::CoUninitialize();
        const ShellItemInfo computer = DescribeShellRoot(context, "", sfMyComputer, false, 0);
        listed = computer.item && ListShellFolder(context, computer.item.Get(), false, 0, drives);
    });
    ASSERT_TRUE(task->WaitUntil(ShellWorker::Clock::now() + std::chrono::seconds(60)));
    EXPECT_EQ(apartment, S_FALSE);
    ASSERT_TRUE(listed);
    const bool sawC = std::any_of(drives.begin(), drives.end(), [](const ShellItemInfo& d) {
        return Lower(d.path) == "c:\\" && (d.attributes & SFGAO_FOLDER) && d.icon >= 0;
    });
    EXPECT_TRUE(sawC);
}

TEST_F(WinShellTest, ParsedPathsComeBackAndLieUnderTheComputer) {
    struct Case {
        std::string path;
        bool parses;
    };
    const Case cases[] = {
        {"C:\\windows", true},
        {"C:\\windows\\system32", true},
        {"C:\\", true},
        {"C:\\no such folder\\deeper", false},
    };
    IDListPtr computer = PathToIDList("", sfMyComputer);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        IDListPtr list = PathToIDList(c.path, sfDesktop);
        EXPECT_EQ(static_cast<bool>(list), c.parses);
        if (!list) continue;
        EXPECT_EQ(Lower(GetPathFromIDList(list.get())), Lower(c.path));
        EXPECT_NE(MatchIDListPrefix(computer.get(), list.get()), nullptr);
        EXPECT_TRUE(IsFolderItem(*DesktopFolder(), list.get()));
        ImageListHandle images = 0;
        EXPECT_GE(GetShellIconIndex(list.get(), IconNormal, &images), 0);
        EXPECT_NE(images, 0u);
        EXPECT_GE(GetShellIconIndex(list.get(), IconOpen), 0);
    }
    IDListPtr windows = PathToIDList("C:\\windows", sfDesktop);
    EXPECT_EQ(Lower(GetDisplayName(*DesktopFolder(), windows.get(), DisplayNameNormal)), "windows");
    EXPECT_TRUE(HasSubFolderItem(*DesktopFolder(), windows.get()));
}

TEST_F(WinShellTest, EnumeratedChildrenMatchTheirParsedLists) {
    IDListPtr windows = PathToIDList("C:\\windows", sfDesktop);
    ASSERT_TRUE(windows);
    bool sawSystem32 = false;
    for (const IDListPtr& child : Children(windows.get(), SHCONTF_FOLDERS)) {
        const std::string path = GetPathFromIDList(child.get());
        EXPECT_TRUE(IsFolderItem(*DesktopFolder(), child.get())) << path;
        if (Lower(path) != "c:\\windows\\system32") continue;
        sawSystem32 = true;
        IDListPtr parsed = PathToIDList(path, sfDesktop);
        EXPECT_NE(MatchIDListPrefix(windows.get(), parsed.get()), nullptr);
    }
    EXPECT_TRUE(sawSystem32);
}

TEST_F(WinShellTest, JapaneseAndSpacedNamesCrossTheEdgeIntact) {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    char tempUtf8[MAX_PATH * 3];
    ::WideCharToMultiByte(CP_UTF8, 0, temp, -1, tempUtf8, sizeof tempUtf8, nullptr, nullptr);
    const std::string folder = std::string(tempUtf8) + "quillane 表ソ能";
    const std::wstring wide = Wide(folder);
    ::CreateDirectoryW(wide.c_str(), nullptr);
    IDListPtr list = PathToIDList(folder, sfDesktop);
    ASSERT_TRUE(list);
    EXPECT_EQ(Lower(GetPathFromIDList(list.get())), Lower(folder));
    EXPECT_EQ(GetDisplayName(*DesktopFolder(), list.get(), DisplayNameNormal), "quillane 表ソ能");
    list.reset();
    ::RemoveDirectoryW(wide.c_str());
}

}  // namespace
