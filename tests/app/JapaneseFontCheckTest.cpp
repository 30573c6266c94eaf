#include "JapaneseFontCheck.h"

#include "AppTestSupport.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillane;
using namespace quillane::test;

TEST(WarnWithoutJapaneseFont, ShowsTheEnglishNoticeOnlyWhereNoFontCoversJapanese) {
    struct Case {
        const char* Name;
        std::function<bool()> Installed;
        bool Shown;
    };
    const std::vector<Case> cases = {
        {"this machine's fonts, which cover Japanese", JapaneseFontInstalled, false},
        {"no font covers Japanese", [] { return false; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        int shown = 0;
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
        auto driver = WhenModalShown([&](QWidget* modal) {
            ++shown;
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) return modal->close(), void();
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (QAbstractButton* button : box->buttons()) buttons << button->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        WarnWithoutJapaneseFont(c.Installed);
        EXPECT_EQ(shown, c.Shown ? 1 : 0);
        if (!c.Shown) continue;
        EXPECT_EQ(title, QStringLiteral("Quillane"));
        EXPECT_EQ(icon, QMessageBox::Warning);
        EXPECT_EQ(buttons, QStringList{QStringLiteral("OK")});
        EXPECT_TRUE(text.contains(QStringLiteral("fonts-ipafont-gothic")));
        // Shown where Japanese cannot be drawn: nothing in it may need it.
        for (const QChar ch : text) ASSERT_LT(ch.unicode(), 0x80) << "character at " << text.indexOf(ch);
    }
}
