#include "BrowseDlg.h"

#include "AppTestSupport.h"  // readable QStrings in failure messages

#include <gtest/gtest.h>

#include <stdexcept>

using namespace quillane;

TEST(FailureReportText, FullStopOnlyAfterCharactersAboveIt)
{
    struct Case {
        QString Message;
        QString Report;
    };
    const Case cases[] = {
        {QStringLiteral("ファイル /x/init.m は開けません"), QStringLiteral("ファイル /x/init.m は開けません.")},
        {QStringLiteral("ends with a full stop."), QStringLiteral("ends with a full stop.")},
        {QStringLiteral("closing parenthesis)"), QStringLiteral("closing parenthesis)")},
        {QStringLiteral("hyphen-"), QStringLiteral("hyphen-")},        // 0x2D, just below
        {QStringLiteral("slash/"), QStringLiteral("slash/.")},         // 0x2F, just above
        {QStringLiteral("digit 0"), QStringLiteral("digit 0.")},
        {QStringLiteral("line break\n"), QStringLiteral("line break\n")},
        {QStringLiteral("句点。"), QStringLiteral("句点。.")},
        {QStringLiteral("emoji \U0001F600"), QStringLiteral("emoji \U0001F600.")},
        {QString(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Message.toStdString());
        EXPECT_EQ(FailureReportText(c.Message), c.Report);
    }
}

TEST(ExceptionMessage, DecodesUtf8AndNamesUnknownExceptions)
{
    EXPECT_EQ(ExceptionMessage(std::make_exception_ptr(std::runtime_error(u8"'InstallDir' のデータ型が不正です"))),
              QStringLiteral("'InstallDir' のデータ型が不正です"));
    EXPECT_EQ(ExceptionMessage(std::make_exception_ptr(42)), QStringLiteral("予期しないエラーが発生しました"));
}
