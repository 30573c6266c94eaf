// This system's path syntax: Windows.

#include "PathSyntax.h"

namespace quillane {

TPathSyntax NativePathSyntax() {
    return TPathSyntax::Windows;
}

}  // namespace quillane
