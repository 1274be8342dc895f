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
#include <pwd.h>
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

// A group without a name in the system's lists is shown by its number.
QString groupName(gid_t gid)
{
    char buffer[4096];
    group entry{};
    group *found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) != 0 || !found)
        return QString::number(gid);
    return QString::fromLocal8Bit(found->gr_name);
}

QString userName(uid_t uid)
{
    char buffer[4096];
    passwd entry{};
    passwd *found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) != 0 || !found)
        return QString::number(uid);
    return QString::fromLocal8Bit(found->pw_name);
}

#endif

PortProblem problem(PortProblem::Kind kind, const QString &path, const QString &device = {})
{
    PortProblem p;
    p.kind = kind;
    p.path = path;
    p.device = device;
    return p;
}

// The path, and the device it leads to where that is another name.
QString shownPath(const PortProblem &p)
{
    if (p.device.isEmpty() || p.device == p.path)
        return p.path;
    return QStringLiteral("%1 (%2)").arg(p.path, p.device);
}

constexpr int ownerMay = 0600, groupMay = 0060, othersMay = 0006;

bool may(int mode, int who)
{
    return (mode & who) == who;
}

// Whether the mode explains the refusal. Where it lets everyone in, an access list or a
// security module refused, and no advice about groups or rules fits; nor where it is unknown.
bool modeToBlame(const PortProblem &p)
{
    return p.mode >= 0 && !may(p.mode, othersMay);
}

// Joining the device's group helps only where that group may read and write it; root's
// group is no group to ask a user to join.
bool groupToJoin(const PortProblem &p)
{
    return may(p.mode, groupMay) && !p.group.isEmpty() && p.group != QLatin1String("root");
}

// Who the mode lets read and write the device, where that is neither the device's group
// (see groupToJoin) nor everyone.
QString whoMay(const PortProblem &p)
{
    QStringList who;
    if (may(p.mode, ownerMay))
        who << p.owner;
    if (may(p.mode, groupMay) && p.group != p.owner)
        who << QStringLiteral("the group \"%1\"").arg(p.group);
    if (who.isEmpty())
        return QStringLiteral("its mode lets no one read and write it");
    return QStringLiteral("only %1 may read and write it").arg(who.join(QStringLiteral(" and ")));
}

// The group a udev rule should give the device to: its own, unless that is root's or the
// terminals' group, which no user should join for a serial line.
QString ruleGroup(const PortProblem &p)
{
    if (p.group.isEmpty() || p.group == QLatin1String("root") || p.group == QLatin1String("tty"))
        return QStringLiteral("dialout");
    return p.group;
}

QString udevRemedy(const PortProblem &p)
{
    const QString group = ruleGroup(p);
    const QString kernelName = QFileInfo(p.device.isEmpty() ? p.path : p.device).fileName();
    return QStringLiteral("A udev rule can give the group \"%1\" access, for example this line "
                          "in /etc/udev/rules.d/99-tarnwick.rules:\n"
                          "KERNEL==\"%2\", MODE=\"0660\", GROUP=\"%1\"\n"
                          "Then replug the adapter, and join the group if you are not in it: "
                          "\"sudo adduser $USER %1\", then log out and in again.")
        .arg(group, kernelName);
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
    // The link's own name too: a Qt program that opened the link locks it under that name.
    for (const QString &candidate : {device, path})
        if (const qint64 pid = lockHolder(candidate)) {
            PortProblem p = problem(PortProblem::Kind::Busy, path, device);
            p.pid = pid;
            return p;
        }
    if (::access(name.constData(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM)) {
        PortProblem p = problem(PortProblem::Kind::PermissionDenied, path, device);
        p.owner = userName(info.st_uid);
        p.group = groupName(info.st_gid);
        p.mode = int(info.st_mode & 0777);
        return p;
    }
    return problem(PortProblem::Kind::None, path, device);
#else
    return problem(PortProblem::Kind::None, path, path);
#endif
}

PortProblem inspect(const QString &path, const PortProblem &lastOpen)
{
    const PortProblem seen = inspect(path);
    if (seen.kind != PortProblem::Kind::None || lastOpen.path != path ||
        lastOpen.device != seen.device)
        return seen;
    // What inspection looks at itself (the device there or not, its mode, lock files) it
    // knows better now than the last open did.
    const bool onlyAnOpenSees = (lastOpen.kind == PortProblem::Kind::Busy && lastOpen.pid == 0) ||
                                lastOpen.kind == PortProblem::Kind::Other;
    return onlyAnOpenSees ? lastOpen : seen;
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
        return problem(PortProblem::Kind::NoSuchDevice, path, found.device);
    case EACCES:
    case EPERM: // allowed by the file's mode, refused all the same: held for exclusive use
    case EBUSY:
        return problem(PortProblem::Kind::Busy, path, found.device);
    default: {
        PortProblem p = problem(PortProblem::Kind::Other, path, found.device);
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
        if (!modeToBlame(p))
            return QStringLiteral("%1: permission denied.").arg(shownPath(p));
        if (groupToJoin(p))
            return QStringLiteral("%1: permission denied; the group \"%2\" may read and write "
                                  "it.")
                .arg(shownPath(p), p.group);
        return QStringLiteral("%1: permission denied; %2.").arg(shownPath(p), whoMay(p));
    case PortProblem::Kind::Busy:
        if (p.pid == QCoreApplication::applicationPid())
            return QStringLiteral("%1 is open in this panel.").arg(shownPath(p));
        return p.pid ? QStringLiteral("%1 is in use by another program (process %2).")
                           .arg(shownPath(p))
                           .arg(p.pid)
                     : QStringLiteral("%1 is in use by another program.").arg(shownPath(p));
    case PortProblem::Kind::Other:
        return QStringLiteral("%1: %2.").arg(shownPath(p), p.detail);
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
        if (!modeToBlame(p))
            return QStringLiteral("Ask the administrator for read and write access to it.");
        if (groupToJoin(p))
            return QStringLiteral("Join the group with \"sudo adduser $USER %1\", then log out "
                                  "and in again for it to take effect.")
                .arg(p.group);
        return udevRemedy(p);
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
