// File-name lower-casing in its two modes.

#include "FileNameOrder.h"

#include <gtest/gtest.h>

using namespace quillane;

namespace {

TEST(FileNameOrderTest, Lower) {
    struct Case {
        const char16_t* name;
        bool asciiOnly;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"C:\\Program Files\\ABC", true, u"c:\\program files\\abc"},
        // Double-byte systems lower A to Z only: accented and full-width
        // letters and kana stay as they are.
        {u"ÀÉ\\Ｚ表ソ", true, u"ÀÉ\\Ｚ表ソ"},
        {u"Zeta", true, u"zeta"},
        {u"[@`{", true, u"[@`{"},  // the neighbours of A-Z and a-z
        {u"ÀÉ/Ｚ表ソ", false, u"àé/ｚ表ソ"},
        {u"/Home/ME", false, u"/home/me"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileNameLower(QString::fromUtf16(c.name), c.asciiOnly), QString::fromUtf16(c.expected))
            << QString::fromUtf16(c.name).toStdString() << (c.asciiOnly ? " ascii" : " locale");
    }
}

}  // namespace
