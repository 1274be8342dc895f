#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// Tells when a file's content may have changed on disk. Editors and QSettings replace a
// file by renaming a new one over it, which ends a watch on the file itself, so the folder
// is watched as well; a burst of changes is told once, after it has settled, and only when
// the file's time or size differs from what was last told.
class FileWatch : public QObject
{
    Q_OBJECT

public:
    explicit FileWatch(const QString &path, QObject *parent = nullptr);

    static constexpr int settleMs = 200;

Q_SIGNALS:
    void changed();

private:
    void watch();
    void settled();

    QString m_path;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QDateTime m_modified;
    qint64 m_size = -1;
};
