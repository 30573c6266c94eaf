#include "WinText.h"

#include <windows.h>

#include <climits>

namespace quillane {

// Both directions refuse malformed input (MB_ERR_INVALID_CHARS,
// WC_ERR_INVALID_CHARS) instead of putting U+FFFD in its place: a name that
// changed on the way would match, open or replace something else.

bool Utf8ToWide(std::string_view utf8, std::wstring& wide) {
    wide.clear();
    if (utf8.empty()) return true;
    if (utf8.size() > static_cast<std::size_t>(INT_MAX)) return false;
    const int inLen = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLen, nullptr, 0);
    if (n <= 0) return false;
    wide.resize(static_cast<std::size_t>(n));
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLen, &wide[0], n) == n) return true;
    wide.clear();
    return false;
}

bool WideToUtf8(std::wstring_view wide, std::string& utf8) {
    utf8.clear();
    if (wide.empty()) return true;
    if (wide.size() > static_cast<std::size_t>(INT_MAX)) return false;
    const int inLen = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), inLen, nullptr, 0,
                                      nullptr, nullptr);
    if (n <= 0) return false;
    utf8.resize(static_cast<std::size_t>(n));
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), inLen, &utf8[0], n, nullptr,
                            nullptr) == n)
        return true;
    utf8.clear();
    return false;
}

}  // namespace quillane
