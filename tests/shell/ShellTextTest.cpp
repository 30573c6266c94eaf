// UTF-8 / UTF-16 conversion at the edges of the shell layer.

#include "ShellText.h"

#include <gtest/gtest.h>

#include <string>

using namespace quillane::shell;

namespace {

TEST(ShellText, ConvertsBothWays) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"", u""},
        {"C:\\Users", u"C:\\Users"},
        {"表ソ能", u"表ソ能"},  // code-page 932 trail byte 0x5C in each
        {"é\xC2\xA0x", u"é\u00A0x"},
        {"\xF0\x9F\x93\x81 dir", u"\U0001F4C1 dir"},  // outside the BMP: a surrogate pair
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.utf8;
    }
}

TEST(ShellText, MalformedInputBecomesReplacementCharacters) {
    struct Case {
        const char* name;
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"stray continuation byte",
         "a\x80"
         "b",
         u"a\uFFFDb"},
        {"truncated sequence at the end", "a\xE3\x81", u"a\uFFFD\uFFFD"},
        {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.name;

    const std::u16string lone = {u'a', static_cast<char16_t>(0xD800), u'b', static_cast<char16_t>(0xDC00)};
    EXPECT_EQ(Utf16ToUtf8(lone),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

}  // namespace
