// Code-page conversion on Windows: through UTF-16 with the Win32 calls,
// failing on invalid bytes and on characters without an exact mapping.
#include "CodePage.h"
#include "Translation.h"

#include <windows.h>

#include <string>

namespace quillane {
namespace {

std::wstring Widen(const std::string& bytes, unsigned codePage)
{
    if (bytes.empty()) return {};
    const int inLen = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLen, nullptr, 0);
    if (n <= 0) {
        if (GetLastError() == ERROR_INVALID_PARAMETER)
            throw ECodePageError(
                Arg(Translate("quillane::CodePage", "コードページ %1 には対応していません"), {std::to_string(codePage)}));
        throw ECodePageError(
            Arg(Translate("quillane::CodePage", "コードページ %1 のテキストとして読めないバイトがあります"), {std::to_string(codePage)}));
    }
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLen, wide.data(), n);
    return wide;
}

std::string Narrow(const std::wstring& wide, unsigned codePage)
{
    if (wide.empty()) return {};
    const int inLen = static_cast<int>(wide.size());
    // UTF-8 accepts neither flags nor the default-character check; it fails
    // on lone surrogates instead when asked to.
    const bool utf = codePage == CP_UTF8;
    const DWORD flags = utf ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultArg = utf ? nullptr : &usedDefault;
    const int n = WideCharToMultiByte(codePage, flags, wide.data(), inLen, nullptr, 0, nullptr, usedDefaultArg);
    if (n <= 0 || usedDefault) {
        if (n <= 0 && GetLastError() == ERROR_INVALID_PARAMETER)
            throw ECodePageError(
                Arg(Translate("quillane::CodePage", "コードページ %1 には対応していません"), {std::to_string(codePage)}));
        throw ECodePageError(
            Arg(Translate("quillane::CodePage", "コードページ %1 で表せない文字があります"), {std::to_string(codePage)}));
    }
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), inLen, out.data(), n, nullptr, usedDefaultArg);
    return out;
}

}  // namespace

unsigned SystemCodePage()
{
    return GetACP();
}

std::string ToUtf8(const std::string& bytes, unsigned codePage)
{
    return Narrow(Widen(bytes, codePage), CP_UTF8);
}

std::string FromUtf8(const std::string& utf8, unsigned codePage)
{
    return Narrow(Widen(utf8, CP_UTF8), codePage);
}

bool IsLeadByte(unsigned char byte, unsigned codePage)
{
    if (codePage == CP_UTF8) return false;
    return IsDBCSLeadByteEx(codePage, byte) != FALSE;
}

}  // namespace quillane
