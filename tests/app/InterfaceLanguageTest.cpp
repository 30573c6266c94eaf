#include "InterfaceLanguage.h"

#include "AppTestSupport.h"  // readable QStrings in failure messages

#include <QTranslator>

#include <gtest/gtest.h>

using namespace quillane;

TEST(InterfaceLanguage, EnglishOnlyWhereTheLocalesLanguageIsEnglish) {
    const struct {
        QLocale Locale;
        QLocale::Language Expected;
    } cases[] = {
        {QLocale::c(), QLocale::Japanese},
        {QLocale(QStringLiteral("POSIX")), QLocale::Japanese},
        {QLocale(QStringLiteral("ja_JP")), QLocale::Japanese},
        {QLocale(QStringLiteral("en_US")), QLocale::English},
        {QLocale(QStringLiteral("en_GB")), QLocale::English},
        {QLocale(QStringLiteral("de_DE")), QLocale::Japanese},
    };
    for (const auto& c : cases) EXPECT_EQ(InterfaceLanguage(c.Locale), c.Expected) << c.Locale.name().toStdString();
}

TEST(InterfaceLanguage, OnlyEnglishHasATranslator) {
    EXPECT_EQ(OwnTranslator(QLocale::Japanese), nullptr);
    EXPECT_EQ(OwnTranslator(QLocale::German), nullptr);
    const std::unique_ptr<QTranslator> english = OwnTranslator(QLocale::English);
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(english->language(), QStringLiteral("en"));
}
