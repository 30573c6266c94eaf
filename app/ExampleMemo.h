#pragma once

#include <QTextEdit>

namespace quillane {

/// A read-only example memo of the main window (Memo1, Memo2): the memo font
/// on the button face. Both are in place before the design's text arrives, so
/// the text is laid out in its own font only once.
class TExampleMemo : public QTextEdit {
    Q_OBJECT
public:
    explicit TExampleMemo(QWidget* parent = nullptr);
};

}  // namespace quillane
