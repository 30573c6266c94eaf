#pragma once

#include <QString>

#include <exception>

namespace quillane {

/// The report text for an exception's message: a full stop is appended
/// when the last character's code lies above that of the full stop. One
/// rule for every report, so the browse unit's definition serves both.
QString FailureReportText(const QString& message);

/// The user-facing message of a caught exception (UTF-8 messages decoded).
QString ExceptionMessage(std::exception_ptr error);

}  // namespace quillane
