// The system's message font where there are no non-client metrics: the
// font Qt takes from the desktop for general text, which is what the
// desktop's dialogs and message boxes use.

#include "SystemFont.h"

#include <QFontDatabase>
#include <QGuiApplication>

namespace quillane {

void LoadMessageFont(TFont& font) {
    // Without an application there is no platform to ask; the font stays.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return;
    font.SetValue(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}

}  // namespace quillane
