// What the folder tree asks of the shell off the window's thread: listings
// and look-ups that outlive the unit, and the folder object that answers
// for a listed item afterwards.

#include "MemoryUnitTest.h"
#include "ShellListing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quillane::shell;

namespace {

using ShellListingTest = test::MemoryUnitTest;

TEST_F(ShellListingTest, WorkHoldsWhatItUsesAndOutlivesTheUnit) {
    // As a worker thread would, after the window's side has ended the unit.
    const ShellContext context = CurrentShellContext();
    EndShellUnit();
    ASSERT_TRUE(context);
    const ShellItemInfo root = DescribeShellRoot(context, "", sfMyComputer, false, 0);
    ASSERT_TRUE(root.item);
    EXPECT_EQ(root.name, "Computer");
    EXPECT_TRUE(root.hasSubItems);
    EXPECT_FALSE(DescribeShellRoot(context, "C:\\Nope", sfDesktop, false, 0).item);

    const HeldIDList drive = ParseFirstPath(context, {"C:\\Missing\\Deeper", "C:\\Missing", "C:\\"}, 0);
    ASSERT_TRUE(drive);
    std::vector<ShellItemInfo> items;
    ASSERT_TRUE(ListShellFolder(context, drive.Get(), true, 0, items));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].name, "Users");
    EXPECT_EQ(items[0].path, "C:\\Users");
    EXPECT_TRUE(items[0].hasSubItems);
    EXPECT_EQ(items[1].attributes & SFGAO_FOLDER, 0u);
    EXPECT_FALSE(ParseFirstPath(context, {"Q:\\", "Q:"}, 0));
    FShell->Failures().bind = true;
    EXPECT_FALSE(ListShellFolder(context, drive.Get(), false, 0, items));
    EXPECT_TRUE(items.empty());
    StartShellUnit(FShell);  // for TearDown's end
}

TEST_F(ShellListingTest, ListedItemFolderAnswersOnlyWhatTheListingGathered) {
    const ShellContext context = CurrentShellContext();
    const HeldIDList drive = ParseFirstPath(context, {"C:\\"}, 0);
    std::vector<ShellItemInfo> items;
    ASSERT_TRUE(ListShellFolder(context, drive.Get(), false, 0, items));
    ListedItemFolder folder(context, items[0]);
    PCItemIDList item = items[0].item.Get();
    std::uint32_t mask = SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
    EXPECT_EQ(folder.GetAttributesOf(1, &item, mask), ShellOk);
    EXPECT_EQ(mask, SFGAO_FOLDER);
    EXPECT_EQ(GetDisplayName(folder, item, DisplayNameInFolder), "Users");
    // The rest lives with the real folder, where the shell may block.
    EXPECT_EQ(GetDisplayName(folder, item, DisplayNameNormal), "");
    mask = SFGAO_HASSUBFOLDER;
    EXPECT_NE(folder.GetAttributesOf(1, &item, mask), ShellOk);
    PCItemIDList other = items[1].item.Get();
    mask = SFGAO_FOLDER;
    EXPECT_NE(folder.GetAttributesOf(1, &other, mask), ShellOk);
    ShellEnumPtr enumerator;
    EXPECT_NE(folder.EnumObjects(0, SHCONTF_FOLDERS, enumerator), ShellOk);
    ShellFolderPtr bound;
    EXPECT_NE(folder.BindToObject(item, bound), ShellOk);
}

}  // namespace
