#include "Font.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <cstdlib>

namespace quillane {

namespace {

// The resolution at which point sizes become pixels: the one Qt itself
// uses to draw the font on the primary screen.
double FontDpi() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) return screen->logicalDotsPerInchY();
    }
    return 96.0;
}

}  // namespace

TFont::TFont() : FFont(QGuiApplication::font()) {}

TFont::TFont(const QFont& font, const QColor& color) : FFont(font), FColor(color) {}

TFont::TFont(const TFont& other) : FFont(other.FFont), FColor(other.FColor) {}

TFont& TFont::operator=(const TFont& other) {
    if (this != &other) Change(other.FFont, other.FColor);
    return *this;
}

void TFont::Change(const QFont& font, const QColor& color) {
    if (font == FFont && color == FColor) return;
    FFont = font;
    FColor = color;
    if (OnChange) OnChange();
}

template <class F>
void TFont::Edit(F&& edit) {
    QFont f = FFont;
    edit(f);
    Change(f, FColor);
}

void TFont::SetValue(const QFont& value) {
    Change(value, FColor);
}

void TFont::SetName(const QString& value) {
    Edit([&](QFont& f) { f.setFamily(value); });
}

int TFont::Height() const {
    if (FFont.pixelSize() > 0) return -FFont.pixelSize();
    return -static_cast<int>(std::lround(FFont.pointSizeF() * FontDpi() / 72.0));
}

void TFont::SetHeight(int value) {
    const int pixels = std::abs(value);
    // Qt has no font of no size; such a height leaves the font as it was.
    if (pixels == 0) return;
    Edit([&](QFont& f) { f.setPixelSize(pixels); });
}

int TFont::Size() const {
    if (FFont.pixelSize() > 0) return static_cast<int>(std::lround(FFont.pixelSize() * 72.0 / FontDpi()));
    return static_cast<int>(std::lround(FFont.pointSizeF()));
}

void TFont::SetSize(int value) {
    if (value <= 0) return;
    Edit([&](QFont& f) { f.setPointSize(value); });
}

void TFont::SetBold(bool value) {
    Edit([&](QFont& f) { f.setBold(value); });
}

void TFont::SetItalic(bool value) {
    Edit([&](QFont& f) { f.setItalic(value); });
}

void TFont::SetUnderline(bool value) {
    Edit([&](QFont& f) { f.setUnderline(value); });
}

void TFont::SetStrikeOut(bool value) {
    Edit([&](QFont& f) { f.setStrikeOut(value); });
}

void TFont::SetColor(const QColor& value) {
    Change(FFont, value);
}

bool operator==(const TFont& a, const TFont& b) {
    return a.FFont == b.FFont && a.FColor == b.FColor;
}

}  // namespace quillane
