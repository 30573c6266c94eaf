#pragma once

// UTF-8 <-> UTF-16 at the edge of the Windows API. Windows backends only.

#include <string>

namespace quillane {

/// Converts UTF-8 to UTF-16; false when `utf8` is not well-formed.
bool Utf8ToWide(const std::string& utf8, std::wstring& wide);

/// Converts UTF-16 (NULs included) to UTF-8; false on an unpaired surrogate.
bool WideToUtf8(const std::wstring& wide, std::string& utf8);

}  // namespace quillane
