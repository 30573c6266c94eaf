#pragma once

// Path rules of the folder tree and the browse dialog. They are pure
// functions of the text and a syntax, so both syntaxes are tested on every
// platform; only this system's syntax comes from its backend
// (PathSyntax_*.cpp).

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

/// Removes at most one trailing separator of `path`: a root ("C:\" in the
/// Windows syntax, "/" in POSIX) and a text without a trailing separator
/// come back unchanged. Character-aware: works on characters, not bytes.
QString NormalizeBrowsePath(const QString& path, TPathSyntax syntax);

}  // namespace quillane
