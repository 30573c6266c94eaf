#include "FailureReport.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include <utility>

namespace quillane {

namespace {

TFailureReport& FailureReportSlot() {
    static TFailureReport report;
    return report;
}

void ShowFailureBox(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok);
    box.exec();
}

}  // namespace

QString FailureReportText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') return message + u'.';
    return message;
}

TFailureReport SetFailureReport(TFailureReport report) {
    return std::exchange(FailureReportSlot(), std::move(report));
}

QString ExceptionMessage(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QCoreApplication::translate("quillane::FailureReport", "予期しないエラーが発生しました");
    }
}

void ReportCurrentException() {
    const QString text = FailureReportText(ExceptionMessage(std::current_exception()));
    const TFailureReport& report = FailureReportSlot();
    try {
        if (report)
            report(text);
        else
            ShowFailureBox(text);
    } catch (...) {
        // A report that fails itself has nowhere left to go; the event
        // loop must not be unwound.
    }
}

}  // namespace quillane
