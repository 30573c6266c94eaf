#include "SystemFont.h"

#include <memory>

namespace quillane {

namespace {

std::unique_ptr<TFont>& SystemFontSlot() {
    static std::unique_ptr<TFont> font;
    return font;
}

}  // namespace

TFont& SystemFont() {
    std::unique_ptr<TFont>& slot = SystemFontSlot();
    if (!slot) {
        slot = std::make_unique<TFont>();
        LoadMessageFont(*slot);
    }
    return *slot;
}

void ReleaseSystemFont() {
    SystemFontSlot().reset();
}

}  // namespace quillane
