#include "FileWatch.h"

#include <QDir>
#include <QFileInfo>

FileWatch::FileWatch(const QString &path, QObject *parent)
    : QObject(parent)
    , m_path(path)
{
    const QFileInfo info(path);
    m_modified = info.lastModified();
    m_size = info.exists() ? info.size() : -1;

    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &FileWatch::settled);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle,
            qOverload<>(&QTimer::start));
    QDir().mkpath(info.absolutePath());
    m_watcher.addPath(info.absolutePath());
    watch();
}

void FileWatch::watch()
{
    if (QFileInfo::exists(m_path) && !m_watcher.files().contains(m_path))
        m_watcher.addPath(m_path);
}

void FileWatch::settled()
{
    watch(); // a file renamed over the old one is a new file to watch
    const QFileInfo info(m_path);
    const qint64 size = info.exists() ? info.size() : -1;
    const QDateTime modified = info.lastModified();
    if (size == m_size && modified == m_modified)
        return;
    m_size = size;
    m_modified = modified;
    Q_EMIT changed();
}
