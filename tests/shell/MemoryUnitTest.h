#pragma once

// What the tests of the shell routines share: a small Windows-like namespace
// in memory, started as the shell unit, and the check at the end that the
// unit gave back every block, folder object and enumerator.

#include "MemoryShell.h"
#include "ShellRoutines.h"

#include <gtest/gtest.h>

#include <memory>

namespace quillane::shell::test {

/// The computer with two drives, virtual folders with and without
/// file-system items, and an item the shell cannot describe.
inline const char* const SmallNamespace = R"(
Computer | ancestor
  C:\ | | C:\ | Local Disk (C:)
    Users | | C:\Users
      表ソ能 | folder | C:\Users\表ソ能
    readme.txt | | C:\readme.txt
    Empty | folder | C:\Empty
  D:\ | folder noicon | D:\
Control Panel | folder
Programs | folder | C:\Programs
Common Programs | folder | C:\All\Programs
Broken | folder noattr noname nopath
)";

/// The unit started on SmallNamespace for each test.
class MemoryUnitTest : public ::testing::Test {
protected:
    void SetUp() override {
        FShell = std::make_shared<MemoryShell>(SmallNamespace);
        ASSERT_TRUE(FShell->SetSpecialFolder(17, "Computer"));
        ASSERT_TRUE(FShell->SetSpecialFolder(2, "Programs"));
        ASSERT_TRUE(FShell->SetSpecialFolder(23, "Common Programs"));
        StartShellUnit(FShell);
    }
    void TearDown() override {
        EndShellUnit();
        EXPECT_FALSE(ShellUnitStarted());
        EXPECT_EQ(FShell->Allocator().Outstanding(), 0u) << "a block leaked";
        EXPECT_EQ(FShell->Allocator().BadFrees(), 0u);
        EXPECT_EQ(FShell->LiveFolders(), 0u) << "a folder object outlived the unit";
        EXPECT_EQ(FShell->LiveEnumerators(), 0u);
    }

    std::shared_ptr<MemoryShell> FShell;
};

}  // namespace quillane::shell::test
