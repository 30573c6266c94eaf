#pragma once

#include <QFont>
#include <QIcon>

class QGroupBox;
class QWidget;

namespace quillane {

/// The main window's font: "ＭＳ Ｐゴシック" 12 px, or a condensed Japanese
/// gothic stand-in where that face is not installed.
QFont WindowFont();

/// The example memos' font: "ＭＳ ゴシック" 12 px, or a condensed stand-in.
QFont MemoFont();

/// Makes the window font the application's default where the design face
/// is missing (Linux), so that message boxes and dialogs show their Japanese
/// texts in the same stand-in face instead of a Latin face with fallbacks.
/// Where the design faces exist (Windows) the system's font stays.
void UseDesignFontEverywhere();

/// Glyph `index` of the program's resources (":/glyphs/<index>.xpm"), a
/// 16 x 16 picture; a null icon when it is missing.
QIcon Glyph(int index);

/// Draws the frames of `box` as an etched line, as the design has them,
/// instead of the current style's own frame picture.
void UseEtchedFrame(QGroupBox* box);

/// Gives a field the button-face colour behind its text.
void UseButtonFace(QWidget* widget);

}  // namespace quillane
