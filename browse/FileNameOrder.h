#pragma once

// The order of file-system paths among siblings in the folder tree: lower-
// cased the way the system lower-cases file names, then compared with the
// user's collation.

#include <QString>

namespace quillane {

/// Lower-cases a file name: only the letters A to Z when `asciiOnly` (the
/// rule of systems with a double-byte code page), else the user locale's
/// lower-casing.
QString FileNameLower(const QString& name, bool asciiOnly);

/// Whether this system lower-cases file names in ASCII only.
bool FileNamesLowerAsciiOnly();

}  // namespace quillane
