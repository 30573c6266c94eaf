#include "Translation.h"

#include <gtest/gtest.h>

#include <string>

using namespace quillane;

TEST(Translation, ArgReplacesEachPlaceholderOnceAndLeavesTheRest) {
    const struct {
        const char* Pattern;
        std::initializer_list<std::string> Args;
        const char* Expected;
    } cases[] = {
        {"ファイル %1 に保存できません: %2", {"/a b", "理由"}, "ファイル /a b に保存できません: 理由"},
        {"%2 before %1", {"one", "two"}, "two before one"},
        {"%1", {"100%2 %1"}, "100%2 %1"},  // an argument is not read again
        {"%1 and %3, 50%", {"x"}, "x and %3, 50%"},
        {"%%1", {"x"}, "%x"},
        {"%0%1%表%", {"x"}, "%0x%表%"},  // no digit 1 to 9: kept, the end included
    };
    for (const auto& c : cases) EXPECT_EQ(Arg(c.Pattern, c.Args), c.Expected) << c.Pattern;
}

TEST(Translation, TextsGoThroughTheTranslationSetAndStayAsWrittenWithout) {
    EXPECT_EQ(Translate("ctx", "ファイル"), "ファイル");
    const TTranslation before = SetTranslation([](const char* context, const char* text, const char* disambiguation) {
        return std::string(context) + ":" + text + ":" + (disambiguation ? disambiguation : "-");
    });
    EXPECT_FALSE(before);
    EXPECT_EQ(Translate("ctx", "ファイル"), "ctx:ファイル:-");
    EXPECT_EQ(Translate("ctx", "%1 行目", "one line"), "ctx:%1 行目:one line");
    EXPECT_TRUE(SetTranslation(nullptr));
    EXPECT_EQ(Translate("ctx", "ファイル"), "ファイル");
}
