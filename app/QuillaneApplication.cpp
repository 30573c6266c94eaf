#include "QuillaneApplication.h"

#include "FailureReport.h"

#include <cstdio>

namespace quillane {

const char* const ApplicationTitle = "Quillane";

TQuillaneApplication::TQuillaneApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The name, not the display name: Qt appends a display name to every
    // window title, and the main window's caption stands alone.
    setApplicationName(QString::fromUtf8(ApplicationTitle));
}

void TQuillaneApplication::SetFailureReport(std::function<void(const QString&)> report)
{
    FReport = std::move(report);
}

// The window's handlers report their own failures; this catches what slips
// past them (a slot of a later component, Qt calling into our code), since
// an exception must never unwind through the event loop.
bool TQuillaneApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        const QString text = FailureReportText(ExceptionMessage(std::current_exception()));
        if (FReport) {
            try {
                FReport(text);
                return false;
            } catch (...) {
            }
        }
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        return false;
    }
}

}  // namespace quillane
