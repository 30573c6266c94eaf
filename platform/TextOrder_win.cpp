#include "TextOrder.h"

#include "WideText_win.h"

#include <windows.h>

#include <climits>

namespace quillane {

int CompareTextIgnoreCase(const std::string& a, const std::string& b) {
    std::wstring wa, wb;
    if (Utf8ToWide(a, wa) && Utf8ToWide(b, wb) && wa.size() <= INT_MAX && wb.size() <= INT_MAX) {
        const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.data(), static_cast<int>(wa.size()),
                                     wb.data(), static_cast<int>(wb.size()));
        if (r == CSTR_LESS_THAN) return -1;
        if (r == CSTR_EQUAL) return 0;
        if (r == CSTR_GREATER_THAN) return 1;
    }
    // Only malformed text gets here; a byte order still gives a total order.
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

}  // namespace quillane
