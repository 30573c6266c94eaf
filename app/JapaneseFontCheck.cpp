#include "JapaneseFontCheck.h"

#include "QuillaneApplication.h"

#include <QFontDatabase>
#include <QMessageBox>

namespace quillane {

// Qt's font database knows which scripts each face covers (from fontconfig
// on Linux), so one face for Japanese is enough: Qt's fallback finds it for
// every caption even when it is not one of the design's stand-ins.
bool JapaneseFontInstalled() {
    return !QFontDatabase::families(QFontDatabase::Japanese).isEmpty();
}

QString MissingJapaneseFontText() {
    return QStringLiteral(
        "No font installed on this computer can show Japanese, the language of Quillane's window, "
        "so the window's texts are drawn as empty boxes.\n\n"
        "Install a Japanese font, for example the package fonts-ipafont-gothic "
        "(sudo apt install fonts-ipafont-gothic), and start Quillane again.");
}

void WarnWithoutJapaneseFont(const std::function<bool()>& installed) {
    if (installed()) return;
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(ApplicationTitle), MissingJapaneseFontText(),
                    QMessageBox::Ok);
    box.exec();
}

}  // namespace quillane
