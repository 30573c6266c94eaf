#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QWidget;

namespace quillane {

/// The answers of the save question on exit.
enum class TSaveAnswer { Yes, No, Cancel };

/// A confirmation ("確認", question icon) with answers of its own.
struct TQuestion {
    QString Text;
    QStringList Answers;  ///< button captions, left to right
    int Default = 0;      ///< the answer Enter gives
    int Cancel = 0;       ///< the answer Esc and the close box give
};

/// One entry of the init-file chooser below the file field.
struct TInitFileChoice {
    QString Text;         ///< what the file is, whether it may be written, its path
    bool Enabled = true;  ///< false: it can be neither read nor made
};

/// Every box and dialog the main window shows. The window talks only to
/// this interface, so tests can answer it with a script.
class IQuillaneDialogs {
public:
    virtual ~IQuillaneDialogs() = default;
    /// The reader's box: "エラー", error icon, `text`, one OK button.
    virtual void ShowReadFailure(const QString& text) = 0;
    /// The failure report: the application title, error icon, `text`
    /// (already ending as the report wants it), one OK button.
    virtual void ShowFailureReport(const QString& text) = 0;
    /// Asks whether to save the changed contents before exiting.
    virtual TSaveAnswer AskSaveChanges() = 0;
    /// Asks `question`; the index of the answer given.
    virtual int Ask(const TQuestion& question) = 0;
    /// The file-open dialog preset with `fileName`, opened in its folder,
    /// with `places` in its sidebar; true and the chosen file's full path in
    /// `chosen` when the user confirms one.
    virtual bool ChooseInitFile(const QString& fileName, const QStringList& places, QString& chosen) = 0;
    /// The list of init files below `field`; the index chosen, or -1.
    virtual int ChooseAmong(const QList<TInitFileChoice>& choices, QWidget* field) = 0;
};

/// Texts and masks of the file-open dialog's filter list, in order.
QStringList InitFileNameFilters();

/// The real boxes: QMessageBox and QFileDialog, modal to `parent`.
class TQtDialogs : public IQuillaneDialogs {
    Q_DECLARE_TR_FUNCTIONS(quillane::TQtDialogs)
public:
    /// `nativeFileDialog` false forces Qt's own widget dialog (tests).
    explicit TQtDialogs(QWidget* parent, bool nativeFileDialog = true);
    /// Boxes opened later belong to `parent` (the window, once it exists).
    void SetParent(QWidget* parent);

    void ShowReadFailure(const QString& text) override;
    void ShowFailureReport(const QString& text) override;
    TSaveAnswer AskSaveChanges() override;
    int Ask(const TQuestion& question) override;
    bool ChooseInitFile(const QString& fileName, const QStringList& places, QString& chosen) override;
    int ChooseAmong(const QList<TInitFileChoice>& choices, QWidget* field) override;

private:
    QWidget* FParent;
    bool FNativeFileDialog;
};

}  // namespace quillane
