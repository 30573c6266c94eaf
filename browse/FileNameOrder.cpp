#include "FileNameOrder.h"

#include <QLocale>

namespace quillane {

QString FileNameLower(const QString& name, bool asciiOnly) {
    if (!asciiOnly) return QLocale().toLower(name);
    QString lower = name;
    for (QChar& c : lower)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
    return lower;
}

bool SameFileName(const QString& a, const QString& b) {
    return QString::localeAwareCompare(FileNameLower(a, true), FileNameLower(b, true)) == 0;
}

}  // namespace quillane
