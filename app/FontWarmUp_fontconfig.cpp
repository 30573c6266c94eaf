#include "WarmUp.h"

#include <fontconfig/fontconfig.h>

namespace quillane {

// Loading the configuration (its XML files and the font caches) is the
// largest part of the first font lookup. Qt's own call to FcInit later finds
// the configuration loaded and returns at once.
TWarmUp StartFontWarmUp() {
    return TWarmUp([] { FcInit(); });
}

}  // namespace quillane
