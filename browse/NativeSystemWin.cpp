// This system's path and file-name conventions: Windows.

#include "FileNameOrder.h"
#include "PathSyntax.h"

#include <windows.h>

namespace quillane {

TPathSyntax NativePathSyntax() {
    return TPathSyntax::Windows;
}

// Systems whose ANSI code page is double-byte lower only A to Z in file
// names; double-byte characters stay as they are.
bool FileNamesLowerAsciiOnly() {
    CPINFO info{};
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 2;
}

}  // namespace quillane
