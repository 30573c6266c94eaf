#include "ExampleMemo.h"

#include "DesignLook.h"

namespace quillane {

TExampleMemo::TExampleMemo(QWidget* parent) : QTextEdit(parent)
{
    setFont(MemoFont());
    UseButtonFace(this);
    // A narrow margin, so that three 12-pixel lines fit the design height.
    document()->setDocumentMargin(2);
}

}  // namespace quillane
