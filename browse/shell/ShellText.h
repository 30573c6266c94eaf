#pragma once

// UTF-8 / UTF-16 conversion for the edges of the shell layer.

#include <string>

namespace quillane::shell {

/// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD, since the name is
/// only shown, never parsed back.
std::string Utf16ToUtf8(const std::u16string& text);

/// UTF-8 to UTF-16; bytes that do not decode become U+FFFD each.
std::u16string Utf8ToUtf16(const std::string& text);

}  // namespace quillane::shell
