#pragma once

#include <QApplication>

#include <functional>
#include <memory>

class QLocale;
class QTranslator;

namespace quillane {

/// The application object: titled "Quillane", the last line of defence
/// that keeps an exception from unwinding through Qt's event loop, the
/// guard that keeps Alt+letter out of every text field of every window, and
/// the translation of the Qt-free layers' texts while it lives.
class TQuillaneApplication : public QApplication {
    Q_OBJECT
public:
    TQuillaneApplication(int& argc, char** argv);
    ~TQuillaneApplication() override;

    /// Where an exception that escaped every handler is reported; without
    /// one it is written to stderr.
    void SetFailureReport(std::function<void(const QString&)> report);

    /// Loads the translations for `locale`: the program's own texts in its
    /// InterfaceLanguage, and Qt's own texts (dialogs, context menus) from
    /// the system's Qt translations. Replaces those loaded before; false
    /// when Qt has none for the locale's languages.
    bool LoadTranslations(const QLocale& locale);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void(const QString&)> FReport;
    std::unique_ptr<QTranslator> FQtTranslator;
    std::unique_ptr<QTranslator> FOwnTranslator;
};

/// The title of the application, used for the failure report.
extern const char* const ApplicationTitle;

}  // namespace quillane
