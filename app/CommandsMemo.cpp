#include "CommandsMemo.h"

#include "SectionEngine.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>

namespace quillane {

TCommandsMemo::TCommandsMemo(QWidget* parent) : QPlainTextEdit(parent) {}

bool TCommandsMemo::ShowsNotSet() const {
    return document()->toRawText() == QString::fromUtf8(NotSetTextUtf8);
}

QString TCommandsMemo::FileText() const {
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return text;
}

void TCommandsMemo::SetFileText(const QString& text) {
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setPlainText(plain);
}

// Selecting the whole text first makes the edit replace it, wherever the
// caret stood.
void TCommandsMemo::ReplaceNotSet() {
    if (ShowsNotSet() && !isReadOnly()) selectAll();
}

void TCommandsMemo::keyPressEvent(QKeyEvent* event) {
    // Keys that edit: those with text (Backspace and Delete included),
    // except Ctrl shortcuts and Tab, which moves the focus; and paste.
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrlOnly = (mods & Qt::ControlModifier) && !(mods & Qt::AltModifier);
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (event->matches(QKeySequence::Paste) || (!event->text().isEmpty() && !ctrlOnly && !tab)) ReplaceNotSet();
    QPlainTextEdit::keyPressEvent(event);
}

void TCommandsMemo::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty() || !event->preeditString().isEmpty()) ReplaceNotSet();
    QPlainTextEdit::inputMethodEvent(event);
}

// Paste, drop and the X11 middle-button paste all arrive here.
void TCommandsMemo::insertFromMimeData(const QMimeData* source) {
    ReplaceNotSet();
    QPlainTextEdit::insertFromMimeData(source);
}

}  // namespace quillane
