#pragma once

#include <QApplication>

#include <functional>

namespace quillane {

/// The application object: titled "Quillane", and the last line of defence
/// that keeps an exception from unwinding through Qt's event loop.
class TQuillaneApplication : public QApplication {
    Q_OBJECT
public:
    TQuillaneApplication(int& argc, char** argv);

    /// Where an exception that escaped every handler is reported; without
    /// one it is written to stderr.
    void SetFailureReport(std::function<void(const QString&)> report);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void(const QString&)> FReport;
};

/// The title of the application, used for the failure report.
extern const char* const ApplicationTitle;

}  // namespace quillane
