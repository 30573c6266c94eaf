#pragma once

// The one UTF-8 <-> UTF-16 conversion at the edge of the Windows API.
// Windows backends only.

#include <string>
#include <string_view>

namespace quillane {

/// Converts UTF-8 to UTF-16; false, with `wide` empty, when `utf8` is not
/// well-formed.
bool Utf8ToWide(std::string_view utf8, std::wstring& wide);

/// Converts UTF-16 (NULs included) to UTF-8; false, with `utf8` empty, on an
/// unpaired surrogate.
bool WideToUtf8(std::wstring_view wide, std::string& utf8);

/// The system's description of a Win32 error code in the user's language,
/// in UTF-8 and without its closing line break; empty when it has none.
std::string SystemErrorText(unsigned long error);

}  // namespace quillane
