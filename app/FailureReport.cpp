#include "FailureReport.h"

namespace quillane {

QString FailureReportText(const QString& message)
{
    // Only the last character decides; in UTF-16 a character outside the
    // basic plane ends in a low surrogate, which lies above the full stop too.
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

QString ExceptionMessage(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("予期しないエラーが発生しました");
    }
}

}  // namespace quillane
