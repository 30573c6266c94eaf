// The system's message font on Windows: the message font of the
// non-client metrics, the one message boxes are drawn in.

#include "SystemFont.h"

#include <windows.h>

#include <cstddef>

namespace quillane {

void LoadMessageFont(TFont& font) {
    NONCLIENTMETRICSW metrics{};
    // The size without the padded border width that later systems added,
    // so that every system fills the record.
    metrics.cbSize = static_cast<UINT>(offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW));
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return;
    const LOGFONTW& lf = metrics.lfMessageFont;
    QFont value = font.Value();
    value.setFamily(QString::fromWCharArray(lf.lfFaceName));
    // A negative height is the character height, a positive one the cell
    // height; both are taken as the font's pixel size.
    const LONG pixels = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    if (pixels > 0) value.setPixelSize(static_cast<int>(pixels));
    // Qt's weights use the same 100 to 900 scale as the system's.
    if (lf.lfWeight > 0) value.setWeight(static_cast<QFont::Weight>(lf.lfWeight));
    value.setItalic(lf.lfItalic != 0);
    value.setUnderline(lf.lfUnderline != 0);
    value.setStrikeOut(lf.lfStrikeOut != 0);
    font.SetValue(value);
}

}  // namespace quillane
