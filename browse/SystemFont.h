#pragma once

// The system's message font, the default font of the browse component and
// its window. The platform's backend fills it (SystemFont_*.cpp).

#include "Font.h"

namespace quillane {

/// The unit-wide copy of the system's message font, filled once on first
/// use (a QGuiApplication must exist by then).
TFont& SystemFont();

/// Frees the unit-wide copy (the browse unit's end); the next SystemFont()
/// fills a new one.
void ReleaseSystemFont();

/// Fills `font` with the system's message font: the non-client metrics'
/// message font on Windows, Qt's general system font elsewhere. On failure
/// `font` stays as it was. The colour is not touched.
void LoadMessageFont(TFont& font);

}  // namespace quillane
