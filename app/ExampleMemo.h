#pragma once

#include <QTextEdit>

namespace quillane {

/// A read-only example memo of the main window (Memo1, Memo2): the memo font
/// on the button face, in lines 12 pixels high. The form gives its text
/// through `ExampleText`, so that the text is laid out once, in its own font
/// and line height.
class TExampleMemo : public QTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString ExampleText READ toPlainText WRITE SetExampleText)
public:
    explicit TExampleMemo(QWidget* parent = nullptr);

    /// Replaces the text, each line as tall as the design face's 12 pixels.
    void SetExampleText(const QString& text);
};

}  // namespace quillane
