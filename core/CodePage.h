#pragma once

#include "QuillaneError.h"

#include <string>

namespace quillane {

/// Code page numbers as Windows names them.
constexpr unsigned CpUtf8 = 65001;
constexpr unsigned CpShiftJis = 932;

/// Raised when bytes do not decode in a code page, or a character cannot be
/// encoded in it. Nothing is ever silently replaced.
class ECodePageError : public EQuillaneError {
public:
    using EQuillaneError::EQuillaneError;
};

/// The code page of init.m on this system: the ANSI code page on Windows,
/// UTF-8 elsewhere.
unsigned SystemCodePage();

/// Decodes `bytes` of code page `codePage` into UTF-8.
std::string ToUtf8(const std::string& bytes, unsigned codePage);

/// Encodes UTF-8 text into code page `codePage`.
std::string FromUtf8(const std::string& utf8, unsigned codePage);

/// Whether `byte` starts a two-byte character in code page `codePage`, so
/// that the byte after it (possibly 0x5C) belongs to the same character.
bool IsLeadByte(unsigned char byte, unsigned codePage);

}  // namespace quillane
