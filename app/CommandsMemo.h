#pragma once

#include <QPlainTextEdit>

namespace quillane {

/// The commands field. While it shows nothing but the not-set text, which
/// stands for "no commands", whatever the user types, pastes or drops
/// replaces that text instead of joining it.
class TCommandsMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TCommandsMemo(QWidget* parent = nullptr);

    /// Whether the field shows exactly the not-set text.
    bool ShowsNotSet() const;
    /// The text with its lines separated by CR LF, as the file has them;
    /// raw, so that characters toPlainText would replace (no-break spaces)
    /// stay.
    QString FileText() const;
    /// Shows `text`, whose lines may be separated by CR LF, CR or LF.
    void SetFileText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void ReplaceNotSet();
};

}  // namespace quillane
