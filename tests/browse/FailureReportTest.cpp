// The failure report: its text, the message of a caught exception, and the
// message box shown when no report is installed.

#include "FailureReport.h"

#include "BrowseDlgError.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace quillane;

namespace {

TEST(FailureReportTest, FullStopOnlyAfterCharactersAboveIt) {
    struct Case {
        QString Message;
        QString Report;
    };
    const Case cases[] = {
        {QStringLiteral("ファイル /x/init.m は開けません"), QStringLiteral("ファイル /x/init.m は開けません.")},
        {QStringLiteral("TBrowseDlg: Execute is already running"),
         QStringLiteral("TBrowseDlg: Execute is already running.")},
        {QStringLiteral("ends with a full stop."), QStringLiteral("ends with a full stop.")},
        {QStringLiteral("closing parenthesis)"), QStringLiteral("closing parenthesis)")},
        {QStringLiteral("a!"), QStringLiteral("a!")},
        {QStringLiteral("hyphen-"), QStringLiteral("hyphen-")},  // 0x2D, just below
        {QStringLiteral("a-"), QStringLiteral("a-")},
        {QStringLiteral("slash/"), QStringLiteral("slash/.")},  // 0x2F, just above
        {QStringLiteral("a/"), QStringLiteral("a/.")},
        {QStringLiteral("digit 0"), QStringLiteral("digit 0.")},
        {QStringLiteral("line break\n"), QStringLiteral("line break\n")},
        {QStringLiteral("エラー"), QStringLiteral("エラー.")},
        {QStringLiteral("句点。"), QStringLiteral("句点。.")},
        {QStringLiteral("終わり。"), QStringLiteral("終わり。.")},
        {QStringLiteral("emoji \U0001F600"), QStringLiteral("emoji \U0001F600.")},
        {QString(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Message.toStdString());
        EXPECT_EQ(FailureReportText(c.Message), c.Report);
    }
}

TEST(FailureReportTest, ExceptionMessageDecodesUtf8AndNamesUnknownExceptions) {
    EXPECT_EQ(ExceptionMessage(std::make_exception_ptr(std::runtime_error(u8"'InstallDir' のデータ型が不正です"))),
              QStringLiteral("'InstallDir' のデータ型が不正です"));
    EXPECT_EQ(ExceptionMessage(std::make_exception_ptr(42)), QStringLiteral("予期しないエラーが発生しました"));
}

// Without an installed report, failures show the application's message
// box: its title, the error icon, one OK button, the full-stop rule.
TEST(FailureReportTest, DefaultReportIsAnErrorMessageBox) {
    const TFailureReport collecting = SetFailureReport({});
    QCoreApplication::setApplicationName("Quillane");
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    int polls = 0;
    std::function<void()> answer = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (++polls < 200) QTimer::singleShot(10, answer);
            return;
        }
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    };
    QTimer::singleShot(0, answer);
    try {
        throw EBrowseDlgError("TBrowseDlg: Execute is already running");
    } catch (...) {
        ReportCurrentException();
    }
    SetFailureReport(collecting);
    EXPECT_EQ(title, "Quillane");
    EXPECT_EQ(text, "TBrowseDlg: Execute is already running.");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

}  // namespace
