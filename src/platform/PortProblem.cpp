#include "PortProblem.h"

#include "StaleLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX

// Where serial programs, Qt's among them, keep their "LCK..<name>" files.
const char *const lockFolders[] = {"/var/lock",        "/run/lock",       "/var/lock/lockdev",
                                   "/var/spool/locks", "/var/spool/uucp", "/tmp",
                                   "/var/tmp"};

// The names a lock file for `path` may carry: Qt uses the path below /dev with '/' as '_'
// ("pts_3", or the whole path of a link elsewhere), the classic programs the device's name.
QStringList lockNames(const QString &path)
{
    QStringList names;
    QString below = path.startsWith(QStringLiteral("/dev/")) ? path.mid(5) : path;
    names << below.replace(u'/', u'_') << QFileInfo(path).fileName();
    names.removeDuplicates();
    return names;
}

// The first number in a lock file: Qt writes "pid\nname\nhost\n", UUCP "      1234\n".
qint64 lockFilePid(const QString &file)
{
    QFile lock(file);
    if (!lock.open(QIODevice::ReadOnly))
        return 0;
    bool ok = false;
    const qint64 pid = lock.readLine(64).trimmed().toLongLong(&ok);
    return ok ? pid : 0;
}

QString groupName(gid_t gid)
{
    char buffer[4096];
    group entry{};
    group *found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) != 0 || !found)
        return {};
    return QString::fromLocal8Bit(found->gr_name);
}

#endif

PortProblem problem(PortProblem::Kind kind, const QString &path)
{
    PortProblem p;
    p.kind = kind;
    p.path = path;
    return p;
}

} // namespace

namespace PortDiagnosis {

qint64 lockHolder(const QString &device)
{
#ifdef Q_OS_UNIX
    for (const char *folder : lockFolders)
        for (const QString &name : lockNames(device)) {
            const QString file = QString::fromLatin1(folder) + QStringLiteral("/LCK..") + name;
            if (const qint64 pid = lockFilePid(file); StaleLock::isProcessAlive(pid))
                return pid;
        }
#else
    Q_UNUSED(device);
#endif
    return 0;
}

PortProblem inspect(const QString &path)
{
    if (path.isEmpty())
        return problem(PortProblem::Kind::NoPort, path);
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat info
    {};
    if (::lstat(name.constData(), &info) != 0)
        return problem(PortProblem::Kind::NoSuchDevice, path);
    QString device = path;
    if (S_ISLNK(info.st_mode)) {
        const QFileInfo link(path);
        if (::stat(name.constData(), &info) != 0) {
            PortProblem p = problem(PortProblem::Kind::DanglingLink, path);
            p.target = link.symLinkTarget();
            return p;
        }
        device = link.canonicalFilePath();
    }
    for (const QString &candidate : {path, device})
        if (const qint64 pid = lockHolder(candidate)) {
            PortProblem p = problem(PortProblem::Kind::Busy, path);
            p.pid = pid;
            return p;
        }
    if (::access(name.constData(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM)) {
        PortProblem p = problem(PortProblem::Kind::PermissionDenied, path);
        p.group = groupName(info.st_gid);
        return p;
    }
#endif
    PortProblem none;
    none.path = path;
    return none;
}

PortProblem fromError(const QString &path, int error)
{
    PortProblem found = inspect(path);
    if (found.kind != PortProblem::Kind::None)
        return found;
#ifdef Q_OS_UNIX
    switch (error) {
    case 0:
        return found;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return problem(PortProblem::Kind::NoSuchDevice, path);
    case EACCES:
    case EPERM: // allowed by the file's mode, refused all the same: held for exclusive use
    case EBUSY:
        return problem(PortProblem::Kind::Busy, path);
    default: {
        PortProblem p = problem(PortProblem::Kind::Other, path);
        p.detail = QString::fromLocal8Bit(std::strerror(error));
        return p;
    }
    }
#else
    Q_UNUSED(error);
    return found;
#endif
}

QString reason(const PortProblem &p)
{
    switch (p.kind) {
    case PortProblem::Kind::None:
        return {};
    case PortProblem::Kind::NoPort:
        return QStringLiteral("The port number names no serial port.");
    case PortProblem::Kind::NoSuchDevice:
        return QStringLiteral("%1 does not exist.").arg(p.path);
    case PortProblem::Kind::DanglingLink:
        return QStringLiteral("%1 leads to %2, which does not exist.").arg(p.path, p.target);
    case PortProblem::Kind::PermissionDenied:
        return p.group.isEmpty()
                   ? QStringLiteral("%1: permission denied.").arg(p.path)
                   : QStringLiteral("%1: permission denied; the device belongs to the group "
                                    "\"%2\".")
                         .arg(p.path, p.group);
    case PortProblem::Kind::Busy:
        if (p.pid == QCoreApplication::applicationPid())
            return QStringLiteral("%1 is open in this panel.").arg(p.path);
        return p.pid ? QStringLiteral("%1 is in use by another program (process %2).")
                           .arg(p.path)
                           .arg(p.pid)
                     : QStringLiteral("%1 is in use by another program.").arg(p.path);
    case PortProblem::Kind::Other:
        return QStringLiteral("%1: %2.").arg(p.path, p.detail);
    }
    return {};
}

QString remedy(const PortProblem &p)
{
    switch (p.kind) {
    case PortProblem::Kind::None:
        return {};
    case PortProblem::Kind::NoPort:
    case PortProblem::Kind::Other:
        return QStringLiteral("Choose the board's port under Setup, Comm Port.");
    case PortProblem::Kind::NoSuchDevice:
        return QStringLiteral("Plug the adapter in, or assign the board's device to this port "
                              "under Setup, Comm Port.");
    case PortProblem::Kind::DanglingLink:
        return QStringLiteral("The adapter is unplugged, or the link points nowhere: plug it "
                              "in, or assign another device under Setup, Comm Port.");
    case PortProblem::Kind::PermissionDenied:
        if (p.group.isEmpty())
            return QStringLiteral("Ask the administrator for read and write access to it.");
        return QStringLiteral("Join the group with \"sudo adduser $USER %1\", then log out "
                              "and in again for it to take effect.")
            .arg(p.group);
    case PortProblem::Kind::Busy:
        if (p.pid == QCoreApplication::applicationPid())
            return {};
        return QStringLiteral("Close the program that holds it, or choose another port.");
    }
    return {};
}

QString explanation(const PortProblem &p)
{
    const QString why = reason(p), what = remedy(p);
    if (what.isEmpty())
        return why;
    return why + u'\n' + what;
}

} // namespace PortDiagnosis
