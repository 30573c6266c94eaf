#pragma once

// File names compared as the system compares them: the order of paths
// among siblings in the folder tree (lower-cased the way the system
// lower-cases file names, then the user's collation) and the equality of
// the browse history's entries. The system's case rule comes from its
// backend (FileNameOrder_*.cpp).

#include <QString>

namespace quillane {

/// Lower-cases a file name: only the letters A to Z when `asciiOnly` (the
/// rule of systems with a double-byte code page), else the user locale's
/// lower-casing.
QString FileNameLower(const QString& name, bool asciiOnly);

/// Whether this system lower-cases file names in ASCII only.
bool FileNamesLowerAsciiOnly();

/// Whether two paths are equal as file names: letters A to Z without
/// regard to case, then the user locale's comparison.
bool SameFileName(const QString& a, const QString& b);

}  // namespace quillane
