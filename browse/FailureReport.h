#pragma once

// The application's failure report: where an exception that reached an event
// handler's boundary is shown, so that none unwinds through the event loop.

#include <QString>

#include <exception>
#include <functional>

namespace quillane {

/// Reports a failure that reached an event handler's boundary. The
/// application installs its report; by default a message box titled with
/// the application name, with the error icon and an OK button.
using TFailureReport = std::function<void(const QString& message)>;

/// Installs the failure report (an empty function restores the default);
/// returns the previous one.
TFailureReport SetFailureReport(TFailureReport report);

/// Reports the current exception (call inside a catch block) through the
/// installed failure report, message text with the full-stop rule applied.
void ReportCurrentException();

/// The failure report's text: `message` with a full stop appended when its
/// last character's code is above that of the full stop.
QString FailureReportText(const QString& message);

/// The user-facing message of a caught exception (UTF-8 messages decoded;
/// one that is no std::exception gets a general text).
QString ExceptionMessage(std::exception_ptr error);

}  // namespace quillane
