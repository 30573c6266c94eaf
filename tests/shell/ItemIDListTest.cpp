// ID-list arithmetic on blocks of the counting allocator, so that every test
// also proves that what it was handed has been given back.

#include "ItemIDList.h"
#include "MemoryShell.h"
#include "ShellRoutines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace quillane::shell;

namespace {

// One item of `cb` bytes: the size field, then `fill` repeated.
std::string Item(std::uint16_t cb, char fill) {
    std::string item(cb, fill);
    item[0] = static_cast<char>(cb & 0xFF);
    item[1] = static_cast<char>(cb >> 8);
    return item;
}

// Lists in blocks of the unit's allocator; the fixture checks the balance.
class ItemIDListTest : public ::testing::Test {
protected:
    void SetUp() override {
        FShell = std::make_shared<MemoryShell>("");
        StartShellUnit(FShell);
    }
    void TearDown() override {
        EXPECT_EQ(FShell->Allocator().Outstanding(), 0u) << "an ID list leaked";
        EXPECT_EQ(FShell->Allocator().BadFrees(), 0u) << "a block was freed twice";
        EndShellUnit();
    }
    IDListPtr List(const std::string& items) { return MakeIDList(items); }
    std::shared_ptr<MemoryShell> FShell;
};

TEST_F(ItemIDListTest, SizeCountsItemsAndTerminator) {
    struct Case {
        std::vector<std::uint16_t> sizes;
        std::size_t expected;
    };
    const Case cases[] = {
        {{}, 2},
        {{20, 14}, 36},
        {{2}, 4},  // an item with no payload still counts its size field
        {{3, 300, 65535}, 3 + 300 + 65535 + 2},
    };
    for (const Case& c : cases) {
        std::string items;
        for (std::uint16_t cb : c.sizes) items += Item(cb, 'x');
        IDListPtr list = List(items);
        ASSERT_TRUE(list);
        EXPECT_EQ(GetIDListSize(list.get()), c.expected);
        EXPECT_EQ(GetIDListItemCount(list.get()), c.sizes.size());
        EXPECT_EQ(FShell->Allocator().BlockSize(list.get()), c.expected);
    }
    EXPECT_EQ(GetIDListSize(nullptr), 0u);
    EXPECT_EQ(GetIDListItemCount(nullptr), 0u);
}

TEST_F(ItemIDListTest, SizeFieldIsLittleEndian) {
    // 0x0102 = 258 bytes; read big-endian it would be 513 and run past the block.
    IDListPtr list = List(Item(0x0102, '\x01'));
    EXPECT_EQ(GetIDListSize(list.get()), 260u);
}

TEST_F(ItemIDListTest, MalformedSizeEndsTheWalk) {
    // A size of 1 cannot hold its own field; the walk must not loop or run on.
    std::string bytes = Item(6, 'a');
    bytes += '\x01';
    bytes += '\x00';
    IDListPtr list = List(bytes);
    EXPECT_EQ(GetIDListSize(list.get()), 8u);
    EXPECT_EQ(GetIDListItemCount(list.get()), 1u);
}

TEST_F(ItemIDListTest, DesktopIsTheEmptyList) {
    IDListPtr desktop = List("");
    EXPECT_TRUE(IsDesktopIDList(desktop.get()));
    EXPECT_FALSE(IsDesktopIDList(nullptr));
    IDListPtr one = List(Item(5, 'q'));
    EXPECT_FALSE(IsDesktopIDList(one.get()));
}

TEST_F(ItemIDListTest, ConcatJoinsFirstItemsWithWholeSecond) {
    struct Case {
        const char* name;
        bool firstNull;
        std::string first;
        bool secondNull;
        std::string second;
        bool resultNull;
        std::string expected;
    };
    const std::string a = Item(20, 'a'), b = Item(14, 'b'), c = Item(7, 'c');
    const Case cases[] = {
        {"desktop + item is a copy of item", false, "", false, c, false, c},
        {"null + item is a copy of item", true, "", false, c, false, c},
        {"list + null is null", false, a, true, "", true, ""},
        {"null + null is null", true, "", true, "", true, ""},
        {"two + one", false, a + b, false, c, false, a + b + c},
        {"one + desktop is a copy of one", false, a, false, "", false, a},
        {"desktop + desktop is the desktop", false, "", false, "", false, ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        IDListPtr first = k.firstNull ? nullptr : List(k.first);
        IDListPtr second = k.secondNull ? nullptr : List(k.second);
        const std::string firstBefore = IDListBytes(first.get());
        const std::string secondBefore = IDListBytes(second.get());
        IDListPtr result = ConcatIDLists(first.get(), second.get());
        if (k.resultNull) {
            EXPECT_FALSE(result);
            continue;
        }
        ASSERT_TRUE(result);
        EXPECT_NE(result.get(), first.get());
        EXPECT_NE(result.get(), second.get());
        EXPECT_EQ(IDListBytes(result.get()), k.expected);
        EXPECT_EQ(GetIDListSize(result.get()), k.expected.size() + 2);
        EXPECT_EQ(FShell->Allocator().BlockSize(result.get()), k.expected.size() + 2);
        EXPECT_EQ(result.get()[k.expected.size()], 0);
        EXPECT_EQ(result.get()[k.expected.size() + 1], 0);
        EXPECT_EQ(IDListBytes(first.get()), firstBefore) << "input changed";
        EXPECT_EQ(IDListBytes(second.get()), secondBefore) << "input changed";
    }
}

TEST_F(ItemIDListTest, ConcatAndCopyGiveNullWhenOutOfMemory) {
    IDListPtr a = List(Item(9, 'a'));
    FShell->Allocator().FailAfter(0);
    EXPECT_FALSE(ConcatIDLists(a.get(), a.get()));
    EXPECT_FALSE(CopyIDList(a.get()));
    EXPECT_FALSE(AllocIDList(10));
    FShell->Allocator().FailAfter(-1);
}

TEST_F(ItemIDListTest, MatchPrefix) {
    const std::string a = Item(20, 'a'), b = Item(14, 'b'), c = Item(7, 'c');
    // Same payload as `a` for its first bytes but a different size field.
    const std::string aShort = Item(19, 'a');
    std::string aOtherPayload = a;
    aOtherPayload[10] = 'z';
    struct Case {
        const char* name;
        std::string prefix;
        std::string list;
        long expectedOffset;  // -1: no match
    };
    const Case cases[] = {
        {"desktop prefix matches at the start", "", a + b, 0},
        {"desktop prefix of the desktop", "", "", 0},
        {"list against itself ends at the terminator", a + b + c, a + b + c, 34 + 7},
        {"one-item prefix", a, a + b, 20},
        {"two-item prefix of a one-item list", a + b, a, -1},
        {"equal content, different size", aShort, a, -1},
        {"payload differs", aOtherPayload, a + b, -1},
        {"second item differs", a + c, a + b, -1},
        {"non-empty prefix of the desktop", a, "", -1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        IDListPtr prefix = List(k.prefix);
        IDListPtr list = List(k.list);
        const std::size_t allocationsBefore = FShell->Allocator().Allocations();
        PCItemIDList rest = MatchIDListPrefix(prefix.get(), list.get());
        EXPECT_EQ(FShell->Allocator().Allocations(), allocationsBefore) << "match must not allocate";
        if (k.expectedOffset < 0) {
            EXPECT_EQ(rest, nullptr);
        } else {
            EXPECT_EQ(rest, list.get() + k.expectedOffset);
        }
    }
    IDListPtr any = List(a);
    EXPECT_EQ(MatchIDListPrefix(nullptr, any.get()), nullptr);
    EXPECT_EQ(MatchIDListPrefix(any.get(), nullptr), nullptr);
}

TEST_F(ItemIDListTest, OwnedListsAreFreedOnceThroughTheAllocator) {
    const std::size_t freesBefore = FShell->Allocator().Frees();
    {
        IDListPtr a = List(Item(8, 'a'));
        IDListPtr copy = CopyIDList(a.get());
        EXPECT_EQ(IDListBytes(copy.get()), IDListBytes(a.get()));
        IDListPtr moved = std::move(copy);
        EXPECT_FALSE(copy);
        EXPECT_EQ(FShell->Allocator().Outstanding(), 2u);
    }
    EXPECT_EQ(FShell->Allocator().Frees(), freesBefore + 2);
    FreeIDList(nullptr);  // ignored
}

TEST(ItemIDListNoUnit, RoutinesWithoutUnitAllocateNothing) {
    ASSERT_FALSE(ShellUnitStarted());
    EXPECT_FALSE(AllocIDList(8));
    const std::uint8_t desktop[2] = {0, 0};
    EXPECT_FALSE(ConcatIDLists(nullptr, desktop));
    EXPECT_EQ(GetIDListSize(desktop), 2u);
    EXPECT_EQ(MatchIDListPrefix(desktop, desktop), desktop);
}

TEST(ItemIDListNoUnit, FreeingAListAfterTheUnitHasEndedIsAFault) {
#ifdef NDEBUG
    GTEST_SKIP() << "an assertion of debug builds";
#else
    auto shell = std::make_shared<MemoryShell>("");
    PItemIDList list = nullptr;
    {
        ShellUnitScope unit(shell);
        list = MakeIDList(Item(4, 'x')).release();
    }
    EXPECT_DEATH(FreeIDList(list), "after the shell unit had ended");
    shell->Allocator().Free(list);
#endif
}

}  // namespace
