// The in-memory namespace itself: what a description builds, how it
// enumerates and binds, the failures a test can switch on, the calls it can
// slow down or hold, and its counts.

#include "MemoryShell.h"
#include "ShellRoutines.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace quillane::shell;
using namespace std::chrono_literals;

namespace {

const char* const Tree = R"(
# comment lines and blank lines are skipped

Computer | ancestor
  C:\ | | C:\
    Dir | | C:\Dir
      Sub | folder | C:\Dir\Sub
      file.txt | | C:\Dir\file.txt
    .hidden | folder hidden | C:\.hidden
    Locked | folder noenum | C:\Locked
    Sealed | folder nobind | C:\Sealed
    FilesOnly | sub | C:\FilesOnly
      a.txt | | C:\FilesOnly\a.txt
Printers | folder nosub
  Printer | folder
)";

// The in-folder names that an enumeration with `flags` lists in `address`.
std::vector<std::string> List(MemoryShell& shell, const std::string& address, std::uint32_t flags,
                              HResult* status = nullptr) {
    std::vector<std::string> names;
    ShellFolderPtr folder = DesktopFolder();
    if (!address.empty()) {
        IDListPtr abs(shell.ListOf(address));
        folder.reset();
        if (DesktopFolder()->BindToObject(abs.get(), folder) != ShellOk) {
            if (status) *status = ShellFail;
            return names;
        }
    }
    ShellEnumPtr items;
    const HResult hr = folder->EnumObjects(0, flags, items);
    if (status) *status = hr;
    if (hr != ShellOk) return names;
    PItemIDList item = nullptr;
    while (items->Next(item) == ShellOk) {
        IDListPtr owned(item);
        names.push_back(GetDisplayName(*folder, owned.get(), DisplayNameInFolder));
    }
    EXPECT_EQ(item, nullptr) << "the end of a walk hands out no item";
    return names;
}

class MemoryShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        FShell = std::make_shared<MemoryShell>(Tree);
        StartShellUnit(FShell);
    }
    void TearDown() override {
        EndShellUnit();
        EXPECT_EQ(FShell->Allocator().Outstanding(), 0u);
        EXPECT_EQ(FShell->Allocator().BadFrees(), 0u);
        EXPECT_EQ(FShell->LiveFolders(), 0u);
        EXPECT_EQ(FShell->LiveEnumerators(), 0u);
    }
    std::shared_ptr<MemoryShell> FShell;
};

TEST_F(MemoryShellTest, EnumerationFollowsFlagsAndHidesHiddenItems) {
    using V = std::vector<std::string>;
    struct Case {
        std::string address;
        std::uint32_t flags;
        V expected;
    };
    const Case cases[] = {
        {"", SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, V{"Computer", "Printers"}},
        {"Computer/C:\\", SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, V{"Dir", "Locked", "Sealed", "FilesOnly"}},
        {"Computer/C:\\", SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN,
         V{"Dir", ".hidden", "Locked", "Sealed", "FilesOnly"}},
        {"Computer/C:\\/Dir", SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, V{"Sub", "file.txt"}},
        {"Computer/C:\\/Dir", SHCONTF_FOLDERS, V{"Sub"}},
        {"Computer/C:\\/Dir", SHCONTF_NONFOLDERS, V{"file.txt"}},
        {"Computer/C:\\/Dir/Sub", SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, V{}},
    };
    for (const Case& c : cases) {
        HResult status = ShellFail;
        EXPECT_EQ(List(*FShell, c.address, c.flags, &status), c.expected) << c.address << " flags " << c.flags;
        EXPECT_EQ(status, ShellOk);
    }
}

TEST_F(MemoryShellTest, AttributesFollowTheShapeUnlessGiven) {
    struct Case {
        std::string address;
        std::uint32_t expected;
    };
    const std::uint32_t all = SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_HASSUBFOLDER;
    const Case cases[] = {
        {"Computer", SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_HASSUBFOLDER},
        {"Computer/C:\\", SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_HASSUBFOLDER},
        {"Computer/C:\\/Dir/file.txt", SFGAO_FILESYSTEM},
        {"Computer/C:\\/Dir/Sub", SFGAO_FOLDER | SFGAO_FILESYSTEM},
        {"Computer/C:\\/FilesOnly", SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_HASSUBFOLDER},
        {"Printers", SFGAO_FOLDER},
    };
    for (const Case& c : cases) {
        IDListPtr abs(FShell->ListOf(c.address));
        EXPECT_EQ(GetItemAttributes(*DesktopFolder(), abs.get(), all), c.expected) << c.address;
        EXPECT_EQ(GetItemAttributes(*DesktopFolder(), abs.get(), SFGAO_FOLDER), c.expected & SFGAO_FOLDER);
    }
    // Several items at once: the attributes they have in common.
    IDListPtr a(FShell->ListOf("Computer"));
    IDListPtr b(FShell->ListOf("Printers"));
    PCItemIDList both[] = {a.get(), b.get()};
    std::uint32_t mask = all;
    EXPECT_EQ(DesktopFolder()->GetAttributesOf(2, both, mask), ShellOk);
    EXPECT_EQ(mask, SFGAO_FOLDER);
}

TEST_F(MemoryShellTest, SwitchedFailures) {
    struct Case {
        const char* name;
        std::function<void(MemoryFailures&)> set;
        std::string address;
        bool listed;
    };
    const Case cases[] = {
        {"enumerate", [](MemoryFailures& f) { f.enumerate = true; }, "Computer", false},
        {"bind", [](MemoryFailures& f) { f.bind = true; }, "Computer", false},
        {"per item: noenum", [](MemoryFailures&) {}, "Computer/C:\\/Locked", false},
        {"per item: nobind", [](MemoryFailures&) {}, "Computer/C:\\/Sealed", false},
        {"none", [](MemoryFailures&) {}, "Computer", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FShell->Failures() = MemoryFailures();
        c.set(FShell->Failures());
        HResult status = ShellOk;
        List(*FShell, c.address, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &status);
        EXPECT_EQ(status == ShellOk, c.listed);
    }
}

TEST_F(MemoryShellTest, ForeignOrStaleItemsAreRefused) {
    IDListPtr c(FShell->ListOf("Computer/C:\\"));
    ShellFolderPtr computer;
    IDListPtr computerList(FShell->ListOf("Computer"));
    ASSERT_EQ(DesktopFolder()->BindToObject(computerList.get(), computer), ShellOk);
    // An absolute list handed to a folder below the desktop names nothing.
    std::uint32_t mask = SFGAO_FOLDER;
    PCItemIDList items[] = {c.get()};
    EXPECT_NE(computer->GetAttributesOf(1, items, mask), ShellOk);
    // A list with an altered name no longer matches its item.
    IDListPtr altered = CopyIDList(c.get());
    altered.get()[GetIDListSize(altered.get()) - 4] ^= 0x20;
    ShellFolderPtr folder;
    EXPECT_NE(DesktopFolder()->BindToObject(altered.get(), folder), ShellOk);
    EXPECT_FALSE(folder);
    // Binding the desktop's own (empty) list is refused.
    IDListPtr desktop(FShell->ListOf(""));
    EXPECT_NE(DesktopFolder()->BindToObject(desktop.get(), folder), ShellOk);
}

TEST_F(MemoryShellTest, EveryEnumeratedItemAndFolderIsCountedAndReleased) {
    // Walk the whole namespace depth first, as an eager tree would.
    std::size_t items = 0;
    std::function<void(ShellFolder&)> walk = [&](ShellFolder& folder) {
        ShellEnumPtr e;
        if (folder.EnumObjects(0, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, e) != ShellOk) return;
        PItemIDList raw = nullptr;
        while (e->Next(raw) == ShellOk) {
            IDListPtr item(raw);
            ++items;
            ShellFolderPtr sub;
            if (IsFolderItem(folder, item.get()) && folder.BindToObject(item.get(), sub) == ShellOk) walk(*sub);
        }
    };
    walk(*DesktopFolder());
    EXPECT_EQ(items, 12u);
    EXPECT_EQ(FShell->LiveFolders(), 1u);  // the desktop only
    EXPECT_EQ(FShell->LiveEnumerators(), 0u);
    EXPECT_EQ(FShell->Allocator().Allocations(), FShell->Allocator().Frees());
    // One final call for each of the 9 folders that could be enumerated.
    EXPECT_EQ(FShell->Calls().next, 12u + 9u);
}

TEST_F(MemoryShellTest, OutOfMemoryEndsTheEnumerationWithoutAnItem) {
    IDListPtr abs(FShell->ListOf("Computer/C:\\"));
    ShellFolderPtr folder;
    ASSERT_EQ(DesktopFolder()->BindToObject(abs.get(), folder), ShellOk);
    ShellEnumPtr e;
    ASSERT_EQ(folder->EnumObjects(0, SHCONTF_FOLDERS, e), ShellOk);
    FShell->Allocator().FailAfter(0);
    PItemIDList item = reinterpret_cast<PItemIDList>(&abs);
    EXPECT_EQ(e->Next(item), ShellOutOfMemory);
    EXPECT_EQ(item, nullptr);
    FShell->Allocator().FailAfter(-1);
}

TEST_F(MemoryShellTest, HeldAndDelayedCallsWaitWhileOthersAnswer) {
    using V = std::vector<std::string>;
    const std::uint32_t both = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
    EXPECT_FALSE(FShell->Hold(MemoryCall::Enumerate, "Computer/Nowhere"));
    ASSERT_TRUE(FShell->Hold(MemoryCall::Enumerate, "Computer/C:\\/Dir"));
    ASSERT_TRUE(FShell->SetDelay(MemoryCall::Enumerate, "Computer/C:\\/FilesOnly", 50ms));
    V held;
    std::thread waiting([&] { held = List(*FShell, "Computer/C:\\/Dir", both); });
    while (FShell->HeldCalls() == 0) std::this_thread::sleep_for(1ms);
    // Other calls answer meanwhile; a delayed one after its delay.
    EXPECT_EQ(List(*FShell, "Computer/C:\\/Dir/Sub", both), V{});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(List(*FShell, "Computer/C:\\/FilesOnly", both), V{"a.txt"});
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_TRUE(held.empty());
    FShell->ReleaseHeld();
    waiting.join();
    EXPECT_EQ(held, (V{"Sub", "file.txt"}));
    EXPECT_EQ(FShell->HeldCalls(), 0u);
    // Released holds stay released.
    EXPECT_EQ(List(*FShell, "Computer/C:\\/Dir", SHCONTF_FOLDERS), V{"Sub"});
}

TEST(MemoryShellDescription, MalformedDescriptionsAreRefused) {
    const char* const bad[] = {
        "A\n    B",          // skips a level
        " A",                // odd indentation
        "A | folder bogus",  // unknown flag
        "A\nA",              // duplicate sibling
        "  A",               // indented first line
        " | folder",         // no name
    };
    for (const char* description : bad)
        EXPECT_THROW(MemoryShell shell(description), std::invalid_argument) << description;
    EXPECT_NO_THROW(MemoryShell shell("A\n  A\nB\n  A"));  // same name, other parents
}

TEST(MemoryShellDescription, SpecialFoldersAndAddresses) {
    MemoryShell shell("Computer | ancestor\n  C:\\ | | C:\\");
    EXPECT_TRUE(shell.SetSpecialFolder(17, "Computer"));
    EXPECT_FALSE(shell.SetSpecialFolder(5, "Computer/D:\\"));
    EXPECT_EQ(shell.ListOf("Nowhere"), nullptr);
    PItemIDList list = nullptr;
    EXPECT_EQ(shell.GetSpecialFolderLocation(0, 5, list), ShellInvalidArg);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(shell.GetSpecialFolderLocation(0, 0, list), ShellOk);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(GetIDListSize(list), 2u);
    shell.Allocator().Free(list);
    EXPECT_EQ(shell.GetSpecialFolderLocation(0, 17, list), ShellOk);
    EXPECT_EQ(GetIDListItemCount(list), 1u);
    shell.Allocator().Free(list);
    EXPECT_EQ(shell.Allocator().Outstanding(), 0u);
}

TEST(CountingAllocator, CountsAndCatchesBadFrees) {
    CountingAllocator a;
    void* x = a.Alloc(10);
    void* y = a.Alloc(0);
    EXPECT_NE(x, y);
    EXPECT_EQ(a.Outstanding(), 2u);
    EXPECT_EQ(a.BlockSize(x), 10u);
    a.Free(x);
    a.Free(x);
    int local = 0;
    a.Free(&local);
    a.Free(nullptr);
    EXPECT_EQ(a.BadFrees(), 2u);
    EXPECT_EQ(a.Frees(), 1u);
    a.FailAfter(1);
    void* z = a.Alloc(4);
    EXPECT_NE(z, nullptr);
    EXPECT_EQ(a.Alloc(4), nullptr);
    a.Free(y);
    a.Free(z);
    EXPECT_EQ(a.Outstanding(), 0u);
    EXPECT_EQ(a.Allocations(), 3u);
}

}  // namespace
