// This system's path syntax: POSIX.

#include "PathSyntax.h"

namespace quillane {

TPathSyntax NativePathSyntax() {
    return TPathSyntax::Posix;
}

}  // namespace quillane
