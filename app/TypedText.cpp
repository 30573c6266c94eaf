#include "TypedText.h"

#include <QDir>

namespace quillane {

QString InsertedText(const QString& before, const QString& after) {
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return after.mid(head, after.size() - head - tail);
}

QString ExpandHome(const QString& path) {
    if (path == QLatin1String("~")) return QDir::toNativeSeparators(QDir::homePath());
    if (path.startsWith(QLatin1String("~/")) || path.startsWith(QLatin1String("~\\")))
        return QDir::toNativeSeparators(QDir::homePath()) + QDir::separator() + path.mid(2);
    return path;
}

}  // namespace quillane
