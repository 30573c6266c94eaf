// This system's file-name case rule: Windows.

#include "FileNameOrder.h"

#include <windows.h>

namespace quillane {

// Systems whose ANSI code page is double-byte lower only A to Z in file
// names; double-byte characters stay as they are.
bool FileNamesLowerAsciiOnly() {
    CPINFO info{};
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 2;
}

}  // namespace quillane
