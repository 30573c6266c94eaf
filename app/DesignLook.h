#pragma once

#include <QFont>

class QWidget;

namespace quillane {

/// The main window's font: "ＭＳ Ｐゴシック" 12 px, or a condensed Japanese
/// gothic stand-in where that face is not installed.
QFont WindowFont();

/// The example memos' font: "ＭＳ ゴシック" 12 px, or a condensed stand-in.
QFont MemoFont();

/// Gives a field the button-face colour behind its text.
void UseButtonFace(QWidget* widget);

}  // namespace quillane
