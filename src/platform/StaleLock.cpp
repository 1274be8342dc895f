#include "StaleLock.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <signal.h>
#endif

namespace {

// QLockFile writes its file in the call that creates it; an empty file younger than this may
// be one being written right now.
constexpr qint64 creationGraceMs = 200;

} // namespace

namespace StaleLock {

bool isProcessAlive(qint64 pid)
{
#ifdef Q_OS_UNIX
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
#else
    Q_UNUSED(pid);
    return true; // never taken over where the process cannot be asked
#endif
}

bool clear(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    QLockFile lock(path);
    qint64 pid = 0;
    QString host, application;
    if (lock.getLockInfo(&pid, &host, &application)) {
        if (host != QSysInfo::machineHostName() || isProcessAlive(pid))
            return false;
    } else {
        const qint64 age = info.lastModified().msecsTo(QDateTime::currentDateTime());
        if (age >= 0 && age < creationGraceMs) {
            QThread::msleep(static_cast<unsigned long>(creationGraceMs - age));
            if (lock.getLockInfo(&pid, &host, &application))
                return clear(path);
        }
    }
    return QFile::remove(path);
}

} // namespace StaleLock
