#pragma once

#include <string>

namespace quillane {

/// Compares two UTF-8 texts ignoring case, as the platform sorts text for
/// people: negative, zero or positive as `a` sorts before, with or after `b`.
/// Windows uses the user's locale; elsewhere characters are compared by code
/// point after simple case folding.
int CompareTextIgnoreCase(const std::string& a, const std::string& b);

}  // namespace quillane
