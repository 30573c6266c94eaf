#pragma once

// Path rules the folder tree and the browse dialog share. They are pure
// functions of the text and a syntax, so both syntaxes are tested on every
// platform.

#include <QString>

namespace quillane {

/// Which path syntax a text follows.
enum class TPathSyntax {
    Windows,  ///< "\" separates, ":" ends a drive, roots like "C:\".
    Posix,    ///< "/" separates, the root is "/".
};

/// The syntax of this system's paths.
TPathSyntax NativePathSyntax();

/// The parent directory of `path`: the text up to its last separator, that
/// separator kept only where it is part of a root ("C:\", "C:", "/", the
/// leading "\\" of a share). Empty when `path` holds no separator. A root
/// is its own parent, so a caller stops when the answer equals its input.
QString ParentDirectory(const QString& path, TPathSyntax syntax);

/// The caption of a root item from its normal display name: the part
/// behind the last separator, or, when the name ends with separators, the
/// last non-empty part; a name of separators only is kept whole.
QString LastNameComponent(const QString& displayName, TPathSyntax syntax);

}  // namespace quillane
