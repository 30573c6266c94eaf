#include "InitFileChoices.h"

#include "QuillaneUnt.h"

#include <QDir>
#include <QFileInfo>

namespace quillane {

namespace {

QString Describe(const InitFileCandidate& c) {
    QString kind;
    switch (c.Kind) {
    case InitFileKind::PerUser:
        kind = TFrmQuillane::tr("このﾕｰｻﾞｰ用");
        break;
    case InitFileKind::AllUsers:
        kind = TFrmQuillane::tr("全ﾕｰｻﾞｰ用");
        break;
    case InitFileKind::Installation:
        kind = TFrmQuillane::tr("ｲﾝｽﾄｰﾙ先 %1 %2")
                   .arg(QString::fromStdString(c.Product), QString::fromStdString(c.Version))
                   .trimmed();
        break;
    }
    QString access;
    if (c.Access.Exists)
        access = c.Access.Writable ? TFrmQuillane::tr("書き込み可") : TFrmQuillane::tr("書き込み不可");
    else
        access = c.Access.Writable ? TFrmQuillane::tr("未作成・作成可") : TFrmQuillane::tr("未作成・作成不可");
    return QStringLiteral("%1 [%2]  %3").arg(kind, access, QString::fromStdString(c.Path));
}

}  // namespace

QList<TInitFileChoice> InitFileChoices(const std::vector<InitFileCandidate>& candidates) {
    QList<TInitFileChoice> choices;
    for (const InitFileCandidate& c : candidates) choices.append({Describe(c), c.Access.Exists || c.Access.Writable});
    return choices;
}

QStringList InitFileFolders(const std::vector<InitFileCandidate>& candidates) {
    QStringList places;
    for (const InitFileCandidate& c : candidates) {
        const QString folder = QFileInfo(QString::fromStdString(c.Path)).absolutePath();
        const QString place = QFileInfo::exists(folder) ? folder : QFileInfo(folder).absolutePath();
        if (QFileInfo(place).isDir() && !places.contains(QDir::toNativeSeparators(place)))
            places << QDir::toNativeSeparators(place);
    }
    return places;
}

QString WritablePerUserFile(const std::vector<InitFileCandidate>& candidates, const QString& except) {
    for (const InitFileCandidate& c : candidates) {
        if (c.Kind == InitFileKind::PerUser && c.Access.Writable && QString::fromStdString(c.Path) != except)
            return QString::fromStdString(c.Path);
    }
    return QString();
}

}  // namespace quillane
