#include "WinText.h"

#include <windows.h>

#include <climits>

namespace quillane {

bool Utf8ToWide(const std::string& utf8, std::wstring& wide) {
    wide.clear();
    if (utf8.empty()) return true;
    if (utf8.size() > static_cast<std::size_t>(INT_MAX)) return false;
    const int inLen = static_cast<int>(utf8.size());
    // MB_ERR_INVALID_CHARS: a malformed name must not silently become U+FFFD
    // and then match, or open, something else.
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLen, nullptr, 0);
    if (n <= 0) return false;
    wide.resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLen, &wide[0], n) == n;
}

bool WideToUtf8(const std::wstring& wide, std::string& utf8) {
    utf8.clear();
    if (wide.empty()) return true;
    if (wide.size() > static_cast<std::size_t>(INT_MAX)) return false;
    const int inLen = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), inLen, nullptr, 0,
                                      nullptr, nullptr);
    if (n <= 0) return false;
    utf8.resize(static_cast<std::size_t>(n));
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), inLen, &utf8[0], n, nullptr,
                               nullptr) == n;
}

}  // namespace quillane
