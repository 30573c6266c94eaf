#include "WarmUp.h"

namespace quillane {

// The platform's font system needs no loading ahead of its first use.
TWarmUp StartFontWarmUp() {
    return TWarmUp(nullptr);
}

}  // namespace quillane
