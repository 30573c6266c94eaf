// The lines behind CustomEditItems and their change hook.

#include "StringList.h"

#include <gtest/gtest.h>

using namespace quillane;

namespace {

TEST(StringListTest, HookRunsAfterEveryChange) {
    TStringList items;
    int changes = 0;
    QStringList seen;
    items.OnChange = [&] {
        ++changes;
        seen = items.Lines();
    };
    items.Add("a");
    EXPECT_EQ(seen, QStringList({"a"}));
    items.Insert(0, "b");
    items.Insert(99, "c");
    EXPECT_EQ(seen, QStringList({"b", "a", "c"}));
    items.Delete(1);
    items.Delete(7);  // no such line: no change, no hook
    EXPECT_EQ(seen, QStringList({"b", "c"}));
    items.Assign({"x", "x"});
    items.Clear();
    EXPECT_EQ(items.Count(), 0);
    EXPECT_EQ(changes, 6);
}

}  // namespace
