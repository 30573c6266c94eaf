#include "FileWatch.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace quillane {

TFileWatch::TFileWatch(QObject* parent)
    : QObject(parent), FWatcher(new QFileSystemWatcher(this)), FDelay(new QTimer(this)) {
    FDelay->setSingleShot(true);
    FDelay->setInterval(150);
    connect(FWatcher, &QFileSystemWatcher::fileChanged, FDelay, qOverload<>(&QTimer::start));
    connect(FWatcher, &QFileSystemWatcher::directoryChanged, FDelay, qOverload<>(&QTimer::start));
    connect(FDelay, &QTimer::timeout, this, &TFileWatch::CheckDue);
}

void TFileWatch::Watch(const QString& path) {
    FPath = path;
    if (!FWatcher->files().isEmpty()) FWatcher->removePaths(FWatcher->files());
    if (!FWatcher->directories().isEmpty()) FWatcher->removePaths(FWatcher->directories());
    if (path.isEmpty()) return;
    const QFileInfo file(path);
    if (file.exists()) FWatcher->addPath(file.absoluteFilePath());
    if (file.absoluteDir().exists()) FWatcher->addPath(file.absolutePath());
}

void TFileWatch::Rewatch() {
    if (FPath.isEmpty()) return;
    const QString file = QFileInfo(FPath).absoluteFilePath();
    if (!FWatcher->files().contains(file)) FWatcher->addPath(file);
}

void TFileWatch::CheckLater() {
    FDelay->start();
}

void TFileWatch::Stop() {
    FDelay->stop();
}

}  // namespace quillane
