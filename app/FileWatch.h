#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

namespace quillane {

/// Watches one file and its folder. Editors save by replacing the file,
/// which ends a watch on the file itself; the folder's watch sees the new
/// one arrive. A burst of notices makes one CheckDue a moment later.
class TFileWatch : public QObject {
    Q_OBJECT
public:
    explicit TFileWatch(QObject* parent = nullptr);

    /// Watches `path` and its folder instead of what was watched; an empty
    /// path watches nothing.
    void Watch(const QString& path);
    /// Watches the file again if a replacement ended its watch.
    void Rewatch();
    /// Raises CheckDue again a moment from now.
    void CheckLater();
    /// Raises no CheckDue that is pending.
    void Stop();

signals:
    /// The file or its folder changed on disk.
    void CheckDue();

private:
    QFileSystemWatcher* FWatcher;
    QTimer* FDelay;
    QString FPath;
};

}  // namespace quillane
