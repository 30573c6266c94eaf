#include "PathSyntax.h"

namespace quillane {

namespace {

bool IsSeparator(QChar c, TPathSyntax syntax) {
    if (syntax == TPathSyntax::Windows) return c == u'\\' || c == u':';
    return c == u'/';
}

QChar NameSeparator(TPathSyntax syntax) {
    return syntax == TPathSyntax::Windows ? QChar(u'\\') : QChar(u'/');
}

}  // namespace

QString ParentDirectory(const QString& path, TPathSyntax syntax) {
    // Scanning UTF-16 code units is character-aware: no unit of a
    // multi-unit character equals a separator.
    int last = path.size() - 1;
    while (last >= 0 && !IsSeparator(path.at(last), syntax)) --last;
    if (last < 0) return QString();
    const QChar separator = path.at(last);
    // The separator stays where it belongs to a root: a drive ("C:\",
    // "C:"), the leading "\\" of a share, the POSIX root "/".
    if (separator != NameSeparator(syntax) || last == 0) return path.left(last + 1);
    const QChar before = path.at(last - 1);
    if (IsSeparator(before, syntax)) return path.left(last + 1);
    return path.left(last);
}

QString LastNameComponent(const QString& displayName, TPathSyntax syntax) {
    const QChar separator = NameSeparator(syntax);
    int end = displayName.size();
    while (end > 0 && displayName.at(end - 1) == separator) --end;
    // A name of separators only ("/", the POSIX root) names itself.
    if (end == 0) return displayName;
    const int last = displayName.lastIndexOf(separator, end - 1);
    return displayName.mid(last + 1, end - last - 1);
}

QString NormalizeBrowsePath(const QString& path, TPathSyntax syntax) {
    // QString holds characters, so the trail byte of a double-byte
    // character is never mistaken for a separator.
    const QChar separator = NameSeparator(syntax);
    if (path.isEmpty() || path.back() != separator) return path;
    if (syntax == TPathSyntax::Windows) {
        const bool driveRoot =
            path.size() == 3 && path.at(0).unicode() < 0x80 && path.at(0).isLetter() && path.at(1) == u':';
        if (driveRoot) return path;
    } else if (path.size() == 1) {
        return path;  // the root "/"
    }
    return path.left(path.size() - 1);
}

}  // namespace quillane
