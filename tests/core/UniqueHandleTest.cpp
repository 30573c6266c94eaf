// The handle owner: every handle it takes is closed exactly once, and none
// that it gave up or never held.
#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quillane;

namespace {

std::vector<int> Closed;

struct CountedTraits {
    using Type = int;
    static Type Invalid() noexcept { return -1; }
    static void Close(Type handle) noexcept { Closed.push_back(handle); }
};

using Counted = UniqueHandle<CountedTraits>;

TEST(UniqueHandle, ClosesEachHandleOnce) {
    Closed.clear();
    {
        Counted a(1);
        Counted b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 1);
        Counted c(2);
        c = std::move(b);  // 2 goes, 1 moves on
        EXPECT_EQ(Closed, std::vector<int>{2});
        c.reset(3);
        Counted d(4);
        EXPECT_EQ(d.release(), 4);
        Counted e(5);
        *e.out() = 6;  // 5 goes before a call fills the place
        Counted none;
        EXPECT_FALSE(none);
    }
    EXPECT_EQ(Closed, (std::vector<int>{2, 1, 5, 6, 3}));
}

}  // namespace
