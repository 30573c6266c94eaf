// Code-page conversion on Windows: through UTF-16 with the Win32 calls,
// failing on invalid bytes and on characters without an exact mapping. The
// UTF-8 side is the conversion all Windows backends share.
#include "CodePage.h"
#include "Translation.h"
#include "WideText_win.h"

#include <windows.h>

#include <string>

namespace quillane {
namespace {

// Bytes that do not decode in `codePage`.
ECodePageError Unreadable(unsigned codePage) {
    return ECodePageError(
        Arg(Translate("quillane::CodePage", "コードページ %1 のテキストとして読めないバイトがあります"),
            {std::to_string(codePage)}));
}

// Text in a code page other than UTF-8.
std::wstring Widen(const std::string& bytes, unsigned codePage) {
    if (bytes.empty()) return {};
    const int inLen = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLen, nullptr, 0);
    if (n <= 0) {
        if (GetLastError() == ERROR_INVALID_PARAMETER)
            throw ECodePageError(Arg(Translate("quillane::CodePage", "コードページ %1 には対応していません"),
                                     {std::to_string(codePage)}));
        throw Unreadable(codePage);
    }
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLen, wide.data(), n);
    return wide;
}

// Text for a code page other than UTF-8.
std::string Narrow(const std::wstring& wide, unsigned codePage) {
    if (wide.empty()) return {};
    const int inLen = static_cast<int>(wide.size());
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(codePage, flags, wide.data(), inLen, nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) {
        if (n <= 0 && GetLastError() == ERROR_INVALID_PARAMETER)
            throw ECodePageError(Arg(Translate("quillane::CodePage", "コードページ %1 には対応していません"),
                                     {std::to_string(codePage)}));
        throw ECodePageError(Arg(Translate("quillane::CodePage", "コードページ %1 で表せない文字があります"),
                                 {std::to_string(codePage)}));
    }
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), inLen, out.data(), n, nullptr, &usedDefault);
    return out;
}

}  // namespace

unsigned SystemCodePage() {
    return GetACP();
}

std::string ToUtf8(const std::string& bytes, unsigned codePage) {
    std::wstring wide;
    if (codePage == CP_UTF8) {
        // Well-formed UTF-8 is its own answer.
        if (!Utf8ToWide(bytes, wide)) throw Unreadable(codePage);
        return bytes;
    }
    std::string utf8;
    // Decoded text has no unpaired surrogate, so this cannot fail.
    WideToUtf8(Widen(bytes, codePage), utf8);
    return utf8;
}

std::string FromUtf8(const std::string& utf8, unsigned codePage) {
    std::wstring wide;
    if (!Utf8ToWide(utf8, wide)) throw Unreadable(CP_UTF8);
    return codePage == CP_UTF8 ? utf8 : Narrow(wide, codePage);
}

bool IsLeadByte(unsigned char byte, unsigned codePage) {
    if (codePage == CP_UTF8) return false;
    return IsDBCSLeadByteEx(codePage, byte) != FALSE;
}

}  // namespace quillane
