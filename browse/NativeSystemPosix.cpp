// This system's path and file-name conventions: POSIX.

#include "FileNameOrder.h"
#include "PathSyntax.h"

namespace quillane {

TPathSyntax NativePathSyntax() {
    return TPathSyntax::Posix;
}

// POSIX text is UTF-8, never a double-byte code page.
bool FileNamesLowerAsciiOnly() {
    return false;
}

}  // namespace quillane
