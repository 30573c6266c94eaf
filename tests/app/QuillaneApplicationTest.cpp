#include "QuillaneApplication.h"

#include "AppTestSupport.h"  // readable QStrings in failure messages
#include "Translation.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QLocale>
#include <QObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace quillane;

namespace {

class TThrowingObject : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) throw std::runtime_error("escaped a handler");
        return QObject::event(event);
    }
};

}  // namespace

TEST(TQuillaneApplication, ReportsAnExceptionThatEscapesEveryHandler) {
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

// The guard is the application's, so it holds in every window and box.
TEST(TQuillaneApplication, AltLetterNeverBecomesTextWhileAcceleratorsStillWork) {
    struct Case {
        Qt::KeyboardModifiers Modifiers;
        bool Inserted;
    };
    const Case cases[] = {
        {Qt::AltModifier, false},
        {Qt::AltModifier | Qt::ShiftModifier, false},
        {Qt::ControlModifier | Qt::AltModifier, true},  // AltGr on Windows keyboards
        {Qt::NoModifier, true},
    };
    QWidget window;
    auto* line = new QLineEdit(&window);
    auto* memo = new QPlainTextEdit(&window);
    auto* combo = new QComboBox(&window);
    combo->setEditable(true);
    auto* button = new QPushButton(QStringLiteral("&Go"), &window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Modifiers));
        for (QWidget* field :
             {static_cast<QWidget*>(line), static_cast<QWidget*>(memo), static_cast<QWidget*>(combo->lineEdit())}) {
            line->clear();
            memo->clear();
            combo->clearEditText();
            field->setFocus();
            QTest::keyClick(field, Qt::Key_Q, c.Modifiers);
            const QString text = field == line   ? line->text()
                                 : field == memo ? memo->toPlainText()
                                                 : combo->currentText();
            EXPECT_EQ(!text.isEmpty(), c.Inserted) << text.toStdString();
        }
    }
    QSignalSpy clicked(button, &QPushButton::clicked);
    QTest::keyClick(line, Qt::Key_G, Qt::AltModifier);
    EXPECT_TRUE(clicked.wait(1000));
    EXPECT_TRUE(line->text().isEmpty());
}

TEST(TQuillaneApplication, QtsOwnTextsAndTheProgramsFollowTheLocale) {
    auto* app = qobject_cast<TQuillaneApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    const QString undo = QCoreApplication::translate("QLineEdit", "&Undo");
    const char* const caption = "フォルダの参照";
    EXPECT_TRUE(app->LoadTranslations(QLocale(QLocale::Japanese, QLocale::Japan)));
    const QString japanese = QCoreApplication::translate("QLineEdit", "&Undo");
    EXPECT_NE(japanese, undo);
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
    EXPECT_EQ(QCoreApplication::translate("quillane::TBrowseDlg", caption), QString::fromUtf8(caption));
    // English: Qt's own texts again, and the program's in English.
    app->LoadTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Undo"), undo);
    EXPECT_EQ(QCoreApplication::translate("quillane::TBrowseDlg", caption), QStringLiteral("Browse for Folder"));
    EXPECT_EQ(Translate("quillane::SectionEngine", "ファイル %1 は開けません"), "Cannot open the file %1");
    // The C locale: the program's texts as written, Qt's as well.
    EXPECT_FALSE(app->LoadTranslations(QLocale::c()));
    EXPECT_EQ(QCoreApplication::translate("quillane::TBrowseDlg", caption), QString::fromUtf8(caption));
}
