#pragma once

// The font of the browse component: a value with a change hook, so that the
// component notices every change an owner makes to it.

#include <QColor>
#include <QFont>
#include <QMetaType>
#include <QString>

#include <functional>

namespace quillane {

/// A font value with a change hook: face, pixel or point size, style and
/// colour. The hook runs only when an attribute actually changes; copying
/// never copies the hook. An invalid colour stands for the window's own
/// text colour.
class TFont {
public:
    /// The application's default font in the window's text colour.
    TFont();
    /// A font of the given face and colour.
    explicit TFont(const QFont& font, const QColor& color = QColor());
    /// Copies the value, not the hook.
    TFont(const TFont& other);
    /// Assigns the value (the hook runs when it differs), keeps this hook.
    TFont& operator=(const TFont& other);

    /// The face, size and style.
    const QFont& Value() const { return FFont; }
    /// Replaces face, size and style.
    void SetValue(const QFont& value);
    /// Family name.
    QString Name() const { return FFont.family(); }
    /// Sets the family name.
    void SetName(const QString& value);
    /// Character height in pixels, negative (the height of the em): the
    /// pixel size, or the point size converted at the screen's resolution.
    int Height() const;
    /// Sets the character height in pixels (the sign is ignored).
    void SetHeight(int value);
    /// Size in points (rounded).
    int Size() const;
    /// Sets the size in points.
    void SetSize(int value);
    /// Whether the face is bold.
    bool Bold() const { return FFont.bold(); }
    /// Sets bold.
    void SetBold(bool value);
    /// Whether the face is italic.
    bool Italic() const { return FFont.italic(); }
    /// Sets italic.
    void SetItalic(bool value);
    /// Whether the text is underlined.
    bool Underline() const { return FFont.underline(); }
    /// Sets underline.
    void SetUnderline(bool value);
    /// Whether the text is struck out.
    bool StrikeOut() const { return FFont.strikeOut(); }
    /// Sets strike-out.
    void SetStrikeOut(bool value);
    /// Text colour; invalid for the window's text colour.
    QColor Color() const { return FColor; }
    /// Sets the text colour.
    void SetColor(const QColor& value);

    /// Runs after every actual change of the value.
    std::function<void()> OnChange;

    /// Equal face, size, style and colour.
    friend bool operator==(const TFont& a, const TFont& b);
    friend bool operator!=(const TFont& a, const TFont& b) { return !(a == b); }

private:
    void Change(const QFont& font, const QColor& color);
    // Changes one attribute of a copy of the face and takes the copy.
    template <class F>
    void Edit(F&& edit);
    QFont FFont;
    QColor FColor;
};

}  // namespace quillane

Q_DECLARE_METATYPE(quillane::TFont)
