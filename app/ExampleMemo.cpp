#include "ExampleMemo.h"

#include "DesignLook.h"

#include <QTextBlockFormat>
#include <QTextCursor>

namespace quillane {

TExampleMemo::TExampleMemo(QWidget* parent) : QTextEdit(parent) {
    setFont(MemoFont());
    UseButtonFace(this);
    setUndoRedoEnabled(false);
    // A narrow margin, so that three 12-pixel lines fit the design height.
    document()->setDocumentMargin(2);
}

void TExampleMemo::SetExampleText(const QString& text) {
    // The substitute faces have taller line spacing than the design face, and
    // the three lines would no longer fit the fixed height. Text and line
    // height go in as one edit, so the text is laid out only once.
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(text);
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setLineHeight(12, QTextBlockFormat::FixedHeight);
    cursor.mergeBlockFormat(format);
    cursor.endEditBlock();
    document()->setModified(false);
}

}  // namespace quillane
