#include "NewFile.h"

#include "QuillaneError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillane {

namespace {

void RemoveFolders(const QStringList& folders) {
    for (auto it = folders.crbegin(); it != folders.crend(); ++it) QDir().rmdir(*it);
}

}  // namespace

QStringList CreateEmptyFile(const QString& path) {
    QStringList made;
    for (QString up = QFileInfo(path).absolutePath(); !QFileInfo::exists(up);) {
        made.prepend(up);
        const QString parent = QFileInfo(up).absolutePath();
        if (parent == up) break;
        up = parent;
    }
    for (const QString& dir : made) {
        if (!QDir().mkdir(dir)) {
            RemoveFolders(made);
            throw EQuillaneError(QCoreApplication::translate("quillane::TFrmQuillane", "ﾌｫﾙﾀﾞ %1 を作成できません")
                                     .arg(QDir::toNativeSeparators(dir))
                                     .toStdString());
        }
    }
    // NewOnly: a file that appeared meanwhile is someone's, not ours to fill.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        const QString why = file.errorString();
        RemoveFolders(made);
        throw EQuillaneError(QCoreApplication::translate("quillane::TFrmQuillane", "ﾌｧｲﾙ %1 を作成できません: %2")
                                 .arg(path, why)
                                 .toStdString());
    }
    return made;
}

void RemoveCreatedFile(const QString& path, const QStringList& folders) {
    QFile::remove(path);
    RemoveFolders(folders);
}

}  // namespace quillane
