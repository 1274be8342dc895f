#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <unistd.h>

// A real file system of a few kilobytes for the length of a scope: a tmpfs mounted on a
// folder of its own, so a full disk is the kernel's own ENOSPC. Only root may mount one;
// elsewhere isMounted() is false and the test says so.
class SmallDisk
{
public:
    explicit SmallDisk(int kilobytes)
    {
        if (!m_mountPoint.isValid() || geteuid() != 0 ||
            QStandardPaths::findExecutable(QStringLiteral("mount")).isEmpty())
            return;
        m_mounted = run(QStringLiteral("mount"),
                        {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                         QStringLiteral("size=%1k,mode=0755").arg(kilobytes),
                         QStringLiteral("tarnwick-test"), m_mountPoint.path()});
    }
    ~SmallDisk()
    {
        if (m_mounted)
            run(QStringLiteral("umount"), {m_mountPoint.path()});
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_mountPoint.path(); }

private:
    static bool run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.start(program, arguments);
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QTemporaryDir m_mountPoint;
    bool m_mounted = false;
};
