// This system's file-name case rule: POSIX.

#include "FileNameOrder.h"

namespace quillane {

// POSIX text is UTF-8, never a double-byte code page.
bool FileNamesLowerAsciiOnly() {
    return false;
}

}  // namespace quillane
