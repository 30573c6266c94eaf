#include "BrowseUnit.h"

#include "ShellRoutines.h"
#include "SystemFont.h"

namespace quillane {

namespace {

int BrowseUnitStarts = 0;

}  // namespace

void StartBrowseUnit(std::shared_ptr<shell::ShellPlatform> platform) {
    // The font first, as the shell may fail; a failed start counts nothing.
    SystemFont();
    shell::StartShellUnit(std::move(platform));
    ++BrowseUnitStarts;
}

void EndBrowseUnit() {
    if (BrowseUnitStarts == 0) return;
    shell::EndShellUnit();
    if (--BrowseUnitStarts == 0) ReleaseSystemFont();
}

}  // namespace quillane
