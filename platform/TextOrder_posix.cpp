#include "TextOrder.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace quillane {
namespace {

// Case folding must not depend on whatever LC_CTYPE the process happens to
// run under, so it uses its own UTF-8 locale object; without one only ASCII
// letters are folded.
class FoldLocale {
public:
    FoldLocale() : FLocale(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr))) {}
    ~FoldLocale() {
        if (FLocale) freelocale(FLocale);
    }
    FoldLocale(const FoldLocale&) = delete;
    FoldLocale& operator=(const FoldLocale&) = delete;

    char32_t Fold(char32_t c) const {
        if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
        if (!FLocale) return c;
        return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), FLocale));
    }

private:
    locale_t FLocale;
};

const FoldLocale& Folder() {
    static const FoldLocale instance;
    return instance;
}

// Decodes one character at `i` and advances past it. Bytes that are not
// well-formed UTF-8 map to U+DC80..U+DCFF, so any byte string still has a
// fixed, total order.
char32_t NextChar(const std::string& s, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    std::size_t len = 0;
    char32_t c = 0;
    if (b0 < 0x80) {
        ++i;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        c = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        c = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        c = b0 & 0x07;
    }
    if (len == 0 || i + len > s.size()) {
        ++i;
        return 0xDC00 + b0;
    }
    for (std::size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return 0xDC00 + b0;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    i += len;
    return c;
}

}  // namespace

int CompareTextIgnoreCase(const std::string& a, const std::string& b) {
    const FoldLocale& folder = Folder();
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t ca = folder.Fold(NextChar(a, i));
        const char32_t cb = folder.Fold(NextChar(b, j));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace quillane
