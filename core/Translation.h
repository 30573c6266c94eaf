#pragma once

// The messages and names of the Qt-free layers in the user's language.
// Their sources are Japanese; the program sets the translation (Qt's) at
// start-up, and without one every text stays as written.

#include <functional>
#include <initializer_list>
#include <string>

namespace quillane {

/// Gives `text` (UTF-8) of `context` in the user's language; a
/// `disambiguation` (or null) tells apart two uses of the same text.
using TTranslation = std::function<std::string(const char* context, const char* text, const char* disambiguation)>;

/// Makes `translation` the one the Qt-free layers use, before any other
/// thread asks for a text; an empty one leaves every text as written.
/// Returns the translation set before.
TTranslation SetTranslation(TTranslation translation);

/// `text` of `context` in the user's language. lupdate finds the texts by
/// this name, as it finds QCoreApplication::translate.
std::string Translate(const char* context, const char* text, const char* disambiguation = nullptr);

/// `pattern` with %1, %2, ... (at most 9) replaced by `args` in order, in
/// one pass, so that an argument holding "%2" stays as it is.
std::string Arg(const std::string& pattern, std::initializer_list<std::string> args);

}  // namespace quillane
