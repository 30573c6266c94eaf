// Code-page conversion on POSIX: iconv, with the file's code page named the
// way glibc names it. The system code page here is UTF-8.
#include "CodePage.h"
#include "Translation.h"

#include <iconv.h>

#include <cerrno>
#include <string>

namespace quillane {
namespace {

std::string IconvName(unsigned codePage) {
    switch (codePage) {
    case CpUtf8:
        return "UTF-8";
    case CpShiftJis:
        return "CP932";
    default:
        return "CP" + std::to_string(codePage);
    }
}

// Owns one iconv descriptor.
class Converter {
public:
    Converter(const std::string& to, const std::string& from) : FCd(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (Valid()) iconv_close(FCd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return FCd != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`; false at the first byte sequence or character
    // that does not convert, with its offset in `badOffset`.
    bool Run(const std::string& in, std::string& out, std::size_t& badOffset) {
        out.clear();
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buf[4096];
        while (srcLeft > 0) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            const std::size_t rc = iconv(FCd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (rc == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) continue;
                badOffset = in.size() - srcLeft;
                return false;
            }
            // glibc counts characters it replaced instead of failing; there
            // must be none, or the text would not be what the user typed.
            if (rc != 0) {
                badOffset = in.size() - srcLeft;
                return false;
            }
        }
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        if (iconv(FCd, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
            badOffset = in.size();
            return false;
        }
        out.append(buf, static_cast<std::size_t>(dst - buf));
        return true;
    }

private:
    iconv_t FCd;
};

// Length of the UTF-8 sequence that `lead` starts; the input is known valid.
std::size_t Utf8Length(unsigned char lead) {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// Offset of the first character of `utf8` that its encoding `encoded` does
// not give back as itself, or npos. glibc maps some characters to
// look-alikes without counting them as replaced (U+00A5 becomes 0x5C, a
// backslash).
std::size_t FirstLookAlike(const std::string& utf8, const std::string& encoded, const std::string& cpName) {
    Converter there(cpName, "UTF-8");
    Converter back("UTF-8", cpName);
    std::string bytes, again;
    std::size_t bad = 0;
    if (!there.Valid() || !back.Valid()) return 0;
    if (back.Run(encoded, again, bad) && again == utf8) return std::string::npos;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::string one = utf8.substr(i, Utf8Length(static_cast<unsigned char>(utf8[i])));
        if (!there.Run(one, bytes, bad) || !back.Run(bytes, again, bad) || again != one) return i;
        i += one.size();
    }
    return 0;
}

std::string Convert(const std::string& in, unsigned codePage, bool toUtf8) {
    const std::string cpName = IconvName(codePage);
    Converter conv(toUtf8 ? "UTF-8" : cpName, toUtf8 ? cpName : "UTF-8");
    if (!conv.Valid())
        throw ECodePageError(
            Arg(Translate("quillane::CodePage", "コードページ %1 には対応していません"), {std::to_string(codePage)}));
    std::string out;
    std::size_t bad = 0;
    if (!conv.Run(in, out, bad)) {
        if (toUtf8)
            throw ECodePageError(
                Arg(Translate("quillane::CodePage",
                              "コードページ %1 のテキストとして読めないバイトがあります (%2 バイト目)"),
                    {std::to_string(codePage), std::to_string(bad + 1)}));
        throw ECodePageError(
            Arg(Translate("quillane::CodePage", "コードページ %1 で表せない文字があります (%2 バイト目)"),
                {std::to_string(codePage), std::to_string(bad + 1)}));
    }
    if (!toUtf8 && codePage != CpUtf8) {
        const std::size_t lookAlike = FirstLookAlike(in, out, cpName);
        if (lookAlike != std::string::npos)
            throw ECodePageError(
                Arg(Translate("quillane::CodePage", "コードページ %1 で表せない文字があります (%2 バイト目)"),
                    {std::to_string(codePage), std::to_string(lookAlike + 1)}));
    }
    return out;
}

}  // namespace

unsigned SystemCodePage() {
    return CpUtf8;
}

std::string ToUtf8(const std::string& bytes, unsigned codePage) {
    return Convert(bytes, codePage, true);
}

std::string FromUtf8(const std::string& utf8, unsigned codePage) {
    return Convert(utf8, codePage, false);
}

bool IsLeadByte(unsigned char byte, unsigned codePage) {
    // UTF-8 continuation bytes are never ASCII, so a byte scan is exact there.
    if (codePage == CpShiftJis) return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return false;
}

}  // namespace quillane
