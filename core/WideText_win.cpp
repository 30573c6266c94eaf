#include "WideText_win.h"
#include "UniqueHandle.h"

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
    const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), inLen, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    utf8.resize(static_cast<std::size_t>(n));
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), inLen, &utf8[0], n, nullptr, nullptr) == n)
        return true;
    utf8.clear();
    return false;
}

std::string SystemErrorText(unsigned long error) {
    UniqueHandle<HandleTraits<wchar_t*, LocalFree>> text;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(text.out()), 0, nullptr);
    std::wstring_view wide = n > 0 && text ? std::wstring_view(text.get(), n) : std::wstring_view();
    // The messages end in a full stop and a line break, of which only the
    // break goes.
    while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' '))
        wide.remove_suffix(1);
    std::string utf8;
    WideToUtf8(wide, utf8);
    return utf8;
}

}  // namespace quillane
