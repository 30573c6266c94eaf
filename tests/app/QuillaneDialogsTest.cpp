#include "QuillaneDialogs.h"

#include "AppTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

using namespace quillane;
using namespace quillane::test;

namespace {

struct TBoxSeen {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QStringList Buttons;  // left to right
    QString Default;
};

TBoxSeen Inspect(QMessageBox* box) {
    TBoxSeen seen;
    seen.Title = box->windowTitle();
    seen.Text = box->text();
    seen.Icon = box->icon();
    QList<QAbstractButton*> buttons = box->buttons();
    std::sort(buttons.begin(), buttons.end(), [](QAbstractButton* a, QAbstractButton* b) {
        return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
    });
    for (QAbstractButton* button : buttons) seen.Buttons << button->text();
    if (box->defaultButton()) seen.Default = box->defaultButton()->text();
    return seen;
}

QAbstractButton* ButtonWithText(QMessageBox* box, const QString& text) {
    for (QAbstractButton* button : box->buttons())
        if (button->text() == text) return button;
    return nullptr;
}

// The boxes whose texts matter, once in each language of the interface.
class TQtDialogsLanguageTest : public ::testing::Test, public TLanguageParam {};

INSTANTIATE_TEST_SUITE_P(Languages, TQtDialogsLanguageTest, ::testing::ValuesIn(InterfaceLanguages),
                         TLanguageParam::Name);

TEST_P(TQtDialogsLanguageTest, ErrorBoxesShowTitleIconTextAndOneOkButton) {
    struct Case {
        const char* Name;
        std::function<void(TQtDialogs&)> Show;
        QString Title;
        QString Text;
        Qt::Key Key;  // how the box is answered
    };
    const QString readText = QStringLiteral("/x/init.m\nファイルの読込みに失敗しました");
    const QString report = QStringLiteral("ファイル /x/init.m は開けません.");
    const QString error = English() ? QStringLiteral("Error") : QStringLiteral("エラー");
    const std::vector<Case> cases = {
        {"reader's box, Enter", [&](TQtDialogs& d) { d.ShowReadFailure(readText); }, error, readText, Qt::Key_Return},
        {"reader's box, Esc", [&](TQtDialogs& d) { d.ShowReadFailure(readText); }, error, readText, Qt::Key_Escape},
        {"failure report", [&](TQtDialogs& d) { d.ShowFailureReport(report); }, QStringLiteral("Quillane"), report,
         Qt::Key_Return},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TQtDialogs dialogs(nullptr);
        TBoxSeen seen;
        bool answered = false;
        auto driver = WhenModalShown([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) return modal->close(), void();
            seen = Inspect(box);
            answered = true;
            QTest::keyClick(box, c.Key);
        });
        c.Show(dialogs);
        ASSERT_TRUE(answered);
        EXPECT_EQ(seen.Title, c.Title);
        EXPECT_EQ(seen.Text, c.Text);
        EXPECT_EQ(seen.Icon, QMessageBox::Critical);
        EXPECT_EQ(seen.Buttons, QStringList{QStringLiteral("OK")});
        EXPECT_EQ(seen.Default, QStringLiteral("OK"));
    }
}

TEST_P(TQtDialogsLanguageTest, SaveQuestionOffersYesNoCancelWithYesAsDefault) {
    const QStringList answers =
        English() ? QStringList{QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("Cancel")}
                  : QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"), QStringLiteral("キャンセル")};
    struct Case {
        const char* Name;
        std::function<void(QMessageBox*)> Answer;
        TSaveAnswer Expected;
    };
    const std::vector<Case> cases = {
        {"Enter takes the default", [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Return); }, TSaveAnswer::Yes},
        {"Esc cancels", [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Escape); }, TSaveAnswer::Cancel},
        {"no button", [&](QMessageBox* b) { ButtonWithText(b, answers[1])->click(); }, TSaveAnswer::No},
        {"cancel button", [&](QMessageBox* b) { ButtonWithText(b, answers[2])->click(); }, TSaveAnswer::Cancel},
        {"yes button", [&](QMessageBox* b) { ButtonWithText(b, answers[0])->click(); }, TSaveAnswer::Yes},
        {"close box", [](QMessageBox* b) { b->close(); }, TSaveAnswer::Cancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TQtDialogs dialogs(nullptr);
        TBoxSeen seen;
        auto driver = WhenModalShown([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) return modal->close(), void();
            seen = Inspect(box);
            c.Answer(box);
        });
        EXPECT_EQ(dialogs.AskSaveChanges(), c.Expected);
        EXPECT_EQ(seen.Title, English() ? QStringLiteral("Confirm") : QStringLiteral("確認"));
        EXPECT_EQ(seen.Text, English() ? QStringLiteral("The contents have been changed. Save the changes?")
                                       : QStringLiteral("内容が変更されています。変更を保存しますか？"));
        EXPECT_EQ(seen.Icon, QMessageBox::Question);
        EXPECT_EQ(seen.Buttons, answers);
        EXPECT_EQ(seen.Default, answers[0]);
    }
}

TEST(TQtDialogs, FileDialogOffersTheThreeFiltersAndAcceptsAMissingFile) {
    TInstallation install;
    WriteFile(install.InitFile(), "Print[1]\r\n");
    const QString missing = install.File(QStringLiteral("not-there.m"));
    const QString missingFolder = install.File(QStringLiteral("no-folder/init.m"));
    // A per-user folder is a hidden one.
    const QString hidden = install.File(QStringLiteral(".Wolfram/Kernel"));
    QDir().mkpath(hidden);
    WriteFile(hidden + QStringLiteral("/init.m"), "Print[2]\r\n");

    struct Case {
        const char* Name;
        QString Typed;  // empty: cancel
        bool Accepted;
        QString Chosen;
    };
    const std::vector<Case> cases = {
        {"existing file", install.InitFile(), true, install.InitFile()},
        {"missing file", missing, true, missing},
        {"file in a missing folder", missingFolder, true, missingFolder},
        {"cancel", QString(), false, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TQtDialogs dialogs(nullptr, false);
        QStringList filters;
        QString selectedFilter, presetName, folder;
        QList<QUrl> sidebar;
        bool showsHidden = false;
        bool resizable = false;
        auto driver = WhenModalShown([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (!dialog) return modal->close(), void();
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            for (int i = 0; types && i < types->count(); ++i) filters << types->itemText(i);
            if (types) selectedFilter = types->currentText();
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (name) presetName = name->text();
            resizable = dialog->isSizeGripEnabled() && dialog->minimumSize() != dialog->maximumSize();
            sidebar = dialog->sidebarUrls();
            showsHidden = dialog->filter() & QDir::Hidden;
            folder = dialog->directory().absolutePath();
            if (c.Typed.isEmpty() || !name) {
                QTest::keyClick(dialog, Qt::Key_Escape);
                return;
            }
            // The preset file is selected once its folder has loaded; a name
            // typed after that replaces the selection, as it does for a user.
            auto* list = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
            QTRY_VERIFY(list && list->selectionModel()->hasSelection());
            dialog->activateWindow();
            if (!QTest::qWaitForWindowActive(dialog)) ADD_FAILURE() << "the file dialog did not become active";
            name->setFocus(Qt::MouseFocusReason);
            name->setText(c.Typed);
            QTest::keyClick(name, Qt::Key_Return);
        });
        QString chosen;
        EXPECT_EQ(dialogs.ChooseInitFile(install.InitFile(), {hidden}, chosen), c.Accepted);
        EXPECT_EQ(sidebar, QList<QUrl>{QUrl::fromLocalFile(hidden)});
        EXPECT_TRUE(showsHidden);
        EXPECT_EQ(folder, QFileInfo(install.InitFile()).absolutePath());
        EXPECT_EQ(chosen, c.Chosen);
        EXPECT_EQ(filters,
                  (QStringList{QStringLiteral("Mathematica Initialization File(init.m)"),
                               QStringLiteral("Mathematica Packages(*.m)"), QStringLiteral("All Files(*.*)")}));
        EXPECT_EQ(selectedFilter, QStringLiteral("Mathematica Initialization File(init.m)"));
        EXPECT_EQ(presetName, QStringLiteral("init.m"));
        EXPECT_TRUE(resizable);
    }
}

}  // namespace
