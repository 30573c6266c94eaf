#include "QuillaneApplication.h"

#include "AppTestSupport.h"  // readable QStrings in failure messages

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace quillane;

namespace {

class TThrowingObject : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("escaped a handler");
        return QObject::event(event);
    }
};

}  // namespace

TEST(TQuillaneApplication, ReportsAnExceptionThatEscapesEveryHandler)
{
    auto* app = qobject_cast<TQuillaneApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    QStringList reports;
    app->SetFailureReport([&reports](const QString& text) { reports << text; });
    TThrowingObject target;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&target, QEvent::User);
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&target, QEvent::User);
    app->SetFailureReport(nullptr);
    EXPECT_EQ(reports, (QStringList{QStringLiteral("escaped a handler."), QStringLiteral("escaped a handler.")}));
}
