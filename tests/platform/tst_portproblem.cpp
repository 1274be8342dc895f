// Why a port cannot be opened, each reason from a real situation on this machine: a path
// that is not there, a link to nothing, a device another program holds, a device this user
// may not open; and the system errors that the real situations cannot all produce here.
#include "PortPaths.h"
#include "PortProblem.h"
#include "PseudoTerminal.h"
#include "QtSerialPortAdapter.h"
#include "TestMain.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>
#include <grp.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Kind = PortProblem::Kind;

Q_DECLARE_METATYPE(PortProblem::Kind)

namespace {

constexpr int patience = 10000; // ms: an upper bound, never a delay

// The probe in another process, holding `path` until it is told to let go.
struct Holder
{
    QProcess process;

    bool hold(const QString &path)
    {
        process.start(QStringLiteral(PORT_PROBE), {u"hold"_s, path});
        if (!process.waitForStarted(patience))
            return false;
        while (!process.canReadLine())
            if (!process.waitForReadyRead(patience))
                return false;
        return process.readLine().trimmed() == "held";
    }
    ~Holder()
    {
        process.closeWriteChannel();
        process.waitForFinished(patience);
    }
};

// Where serial programs keep their lock files, Qt's first.
const QStringList lockFolders{u"/var/lock"_s,        u"/run/lock"_s,       u"/var/lock/lockdev"_s,
                              u"/var/spool/locks"_s, u"/var/spool/uucp"_s, u"/tmp"_s,
                              u"/var/tmp"_s};

// The lock file of that name in any of the folders; empty when there is none.
QString findLock(const QString &name)
{
    for (const QString &folder : lockFolders)
        if (QFileInfo::exists(folder + u'/' + name))
            return folder + u'/' + name;
    return {};
}

// Opens `path` through the panel's adapter in the probe, as "nobody" when this is root, and
// gives what it met; empty when the probe could not say.
QJsonObject openAsAnotherUser(const QString &path)
{
    QProcess probe;
    if (::geteuid() != 0) {
        probe.start(QStringLiteral(PORT_PROBE), {u"open"_s, path});
    } else {
        const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
        if (setpriv.isEmpty())
            return {};
        probe.start(setpriv, {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                              QStringLiteral(PORT_PROBE), u"open"_s, path});
    }
    if (!probe.waitForFinished(patience))
        return {};
    return QJsonDocument::fromJson(probe.readAllStandardOutput()).object();
}

} // namespace

class TestPortProblem : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<QTemporaryDir> m_config;

private Q_SLOTS:
    // Each test links its ports in a configuration folder of its own.
    void init()
    {
        m_config = std::make_unique<QTemporaryDir>();
        QVERIFY(m_config->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
    }

    void aPathThatIsNotThere()
    {
        const QString path = m_dir.filePath(u"ttyUSB7"_s);
        const PortProblem problem = PortDiagnosis::inspect(path);
        QCOMPARE(problem.kind, Kind::NoSuchDevice);
        QCOMPARE(problem.path, path);
        QVERIFY(PortDiagnosis::reason(problem).contains(path));
        QVERIFY(PortDiagnosis::remedy(problem).contains(u"Plug the adapter in"_s));
    }

    void aLinkToNothing()
    {
        const QString link = m_dir.filePath(u"COM9"_s);
        const QString target = m_dir.filePath(u"unplugged"_s);
        QVERIFY(QFile::link(target, link));
        const PortProblem problem = PortDiagnosis::inspect(link);
        QCOMPARE(problem.kind, Kind::DanglingLink);
        QCOMPARE(problem.target, target);
        QCOMPARE(PortDiagnosis::reason(problem),
                 u"%1 leads to %2, which does not exist."_s.arg(link, target));
        QVERIFY(PortDiagnosis::remedy(problem).contains(u"link points nowhere"_s));
    }

    void aDeviceThatCanBeOpened()
    {
        PseudoTerminal pty;
        QString error;
        QVERIFY2(pty.open(&error), qPrintable(error));
        const QString link = m_dir.filePath(u"COM2"_s);
        QVERIFY(QFile::link(pty.slavePath(), link));
        QCOMPARE(PortDiagnosis::inspect(pty.slavePath()).kind, Kind::None);
        QCOMPARE(PortDiagnosis::inspect(link).kind, Kind::None);
        QVERIFY(PortDiagnosis::explanation(PortDiagnosis::inspect(link)).isEmpty());
    }

    // Another program has the device open and locked: seen through its lock file, by
    // inspection and by the panel's own open, which leaves the device to it even where the
    // system would let it in.
    void aDeviceAnotherProgramHolds()
    {
        PseudoTerminal pty;
        QString error;
        QVERIFY2(pty.open(&error), qPrintable(error));
        Holder holder;
        QVERIFY(holder.hold(pty.slavePath()));
        const qint64 pid = holder.process.processId();

        QCOMPARE(PortDiagnosis::lockHolder(pty.slavePath()), pid);
        const PortProblem seen = PortDiagnosis::inspect(pty.slavePath());
        QCOMPARE(seen.kind, Kind::Busy);
        QCOMPARE(seen.pid, pid);
        QCOMPARE(PortDiagnosis::reason(seen),
                 u"%1 is in use by another program (process %2)."_s.arg(pty.slavePath()).arg(pid));

        // Through a link, the reason names the device it leads to as well.
        QVERIFY(PortPaths::assign(4, pty.slavePath(), &error));
        QtSerialPortAdapter port;
        port.setPortNumber(4);
        QVERIFY(!port.open());
        QCOMPARE(port.lastProblem().kind, Kind::Busy);
        QCOMPARE(port.lastProblem().pid, pid);
        QCOMPARE(PortDiagnosis::reason(port.lastProblem()),
                 u"%1 (%2) is in use by another program (process %3)."_s
                     .arg(PortPaths::linkPath(4), pty.slavePath())
                     .arg(pid));
    }

    // A lock file whose process has ended holds nothing.
    void aLockOfAProgramThatEnded()
    {
        PseudoTerminal pty;
        QString error;
        QVERIFY2(pty.open(&error), qPrintable(error));
        {
            Holder holder;
            QVERIFY(holder.hold(pty.slavePath()));
        }
        QCOMPARE(PortDiagnosis::lockHolder(pty.slavePath()), 0);
        QCOMPARE(PortDiagnosis::inspect(pty.slavePath()).kind, Kind::None);
    }

    // A device another user may not read and write, opened through a link by a user without
    // privileges ("nobody" when this is root), who is in no group: joining the device's group
    // is advised only where that group may read and write it, a udev rule otherwise.
    void aDeviceThisUserMayNotOpen_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("group"); // given to the device with root as owner; empty: kept
        QTest::addColumn<QString>("who");   // how the reason ends
        QTest::addColumn<QString>("advice");
        const QString rule = u"KERNEL==\"%1\", MODE=\"0660\", GROUP=\"dialout\""_s;
        const QString onlyRoot = u"; only root may read and write it."_s;
        QTest::newRow("owner only") << 0600 << u"root"_s << onlyRoot << rule;
        QTest::newRow("group may")
            << 0660 << u"dialout"_s << u"; the group \"dialout\" may read and write it."_s
            << u"Join the group with \"sudo adduser $USER dialout\", then "
               "log out and in again for it to take effect."_s;
        QTest::newRow("group may not") << 0600 << u"dialout"_s << onlyRoot << rule;
        QTest::newRow("group may only read") << 0640 << u"dialout"_s << onlyRoot << rule;
        QTest::newRow("root's group") << 0660 << u"root"_s << onlyRoot << rule;
        QTest::newRow("no one") << 0 << QString() << u"; its mode lets no one read and write it."_s
                                << u"KERNEL==\"%1\", MODE=\"0660\", GROUP=\""_s;
    }
    void aDeviceThisUserMayNotOpen()
    {
        QFETCH(int, mode);
        QFETCH(QString, group);
        QFETCH(QString, who);
        QFETCH(QString, advice);
        PseudoTerminal pty;
        QString error;
        QVERIFY2(pty.open(&error), qPrintable(error));
        const QByteArray device = QFile::encodeName(pty.slavePath());
        if (!group.isEmpty()) {
            const ::group *entry = ::getgrnam(group.toLocal8Bit().constData());
            if (!entry)
                QSKIP("no such group on this system");
            if (::chown(device.constData(), 0, entry->gr_gid) != 0)
                QSKIP("giving the device to root and a group takes root");
        }
        QVERIFY(::chmod(device.constData(), mode_t(mode)) == 0);

        const QJsonObject met = openAsAnotherUser(pty.slavePath());
        if (met.isEmpty() && ::geteuid() == 0)
            QSKIP("running as root without setpriv: no unprivileged user to open it as");
        QCOMPARE(met[u"kind"_s].toInt(), int(Kind::PermissionDenied));
        const QString link = met[u"path"_s].toString();
        QVERIFY2(link.endsWith(u"/Tarnwick/ports/COM1"_s), qPrintable(link));
        QCOMPARE(met[u"device"_s].toString(), pty.slavePath());
        QCOMPARE(met[u"reason"_s].toString(),
                 u"%1 (%2): permission denied"_s.arg(link, pty.slavePath()) + who);
        const QString remedy = met[u"remedy"_s].toString();
        QVERIFY2(remedy.contains(advice.replace(u"%1"_s, QFileInfo(pty.slavePath()).fileName())),
                 qPrintable(remedy));
        QCOMPARE(remedy.contains(u"/etc/udev/rules.d/"_s), advice.startsWith(u"KERNEL"_s));
    }

    // Our own lock file is named after the device, as programs that follow the UUCP convention
    // look for it, never after the link; where a link leads is looked up again at every open,
    // as a replugged adapter's link may lead elsewhere. A pseudo-terminal /dev/pts/N gets
    // LCK..pts_N: Qt names the lock after the path below /dev, with '_' for '/'.
    void ourLockIsNamedAfterTheDevice()
    {
        PseudoTerminal first, second;
        QString error;
        QVERIFY2(first.open(&error), qPrintable(error));
        QVERIFY2(second.open(&error), qPrintable(error));
        const auto lockOf = [](const PseudoTerminal &pty) {
            return findLock(u"LCK..pts_"_s + QFileInfo(pty.slavePath()).fileName());
        };
        const QString link = PortPaths::linkPath(5);
        const QString linkLock = u"LCK.."_s + QString(link).replace(u'/', u'_');
        QVERIFY(PortPaths::assign(5, first.slavePath(), &error));

        QtSerialPortAdapter port;
        port.setPortNumber(5);
        QVERIFY(port.open());
        QCOMPARE(port.path(), link);
        QCOMPARE(port.device(), first.slavePath());
        const QString lock = lockOf(first);
        QVERIFY2(!lock.isEmpty(), "no lock file named after the device");
        QFile content(lock);
        QVERIFY(content.open(QIODevice::ReadOnly));
        QCOMPARE(content.readLine().trimmed().toLongLong(), QCoreApplication::applicationPid());
        QCOMPARE(findLock(linkLock), QString());
        QCOMPARE(PortDiagnosis::reason(PortDiagnosis::inspect(link)),
                 u"%1 (%2) is open in this panel."_s.arg(link, first.slavePath()));
        port.close();
        QCOMPARE(lockOf(first), QString());

        QVERIFY(PortPaths::assign(5, second.slavePath(), &error));
        QVERIFY(port.open());
        QCOMPARE(port.device(), second.slavePath());
        QVERIFY(!lockOf(second).isEmpty());
        QCOMPARE(lockOf(first), QString());
        QCOMPARE(findLock(linkLock), QString());
    }

    // Another program's lock in the UUCP format (the process number, ten wide, and a line
    // end), under the device's base name as the convention has it or under Qt's name for it:
    // the device is busy, and the panel leaves it alone.
    void aLockByTheDevicesName_data()
    {
        QTest::addColumn<QString>("prefix"); // before the device's base name
        QTest::newRow("base name") << QString();
        QTest::newRow("Qt's name") << u"pts_"_s;
    }
    void aLockByTheDevicesName()
    {
        QFETCH(QString, prefix);
        const QString cat = QStandardPaths::findExecutable(u"cat"_s);
        if (cat.isEmpty())
            QSKIP("no cat to stand in for the program that holds the device");
        PseudoTerminal pty;
        QString error;
        QVERIFY2(pty.open(&error), qPrintable(error));
        QProcess holder; // alive until its input closes
        holder.start(cat, {});
        QVERIFY(holder.waitForStarted(patience));
        const auto ended = qScopeGuard([&] {
            holder.closeWriteChannel();
            holder.waitForFinished(patience);
        });

        const QString name = u"LCK.."_s + prefix + QFileInfo(pty.slavePath()).fileName();
        QString lock;
        for (const QString &folder : {u"/var/lock"_s, u"/tmp"_s})
            if (QFileInfo(folder).isWritable()) {
                lock = folder + u'/' + name;
                break;
            }
        QVERIFY(!lock.isEmpty());
        QFile file(lock);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::NewOnly));
        const auto removed = qScopeGuard([&] { QFile::remove(lock); });
        file.write(u"%1\n"_s.arg(holder.processId(), 10).toLatin1());
        file.close();

        QCOMPARE(PortDiagnosis::lockHolder(pty.slavePath()), holder.processId());
        QVERIFY(PortPaths::assign(6, pty.slavePath(), &error));
        QtSerialPortAdapter port;
        port.setPortNumber(6);
        QVERIFY(!port.open());
        QCOMPARE(port.lastProblem().kind, Kind::Busy);
        QCOMPARE(port.lastProblem().pid, holder.processId());
        QCOMPARE(PortDiagnosis::reason(port.lastProblem()),
                 u"%1 (%2) is in use by another program (process %3)."_s
                     .arg(PortPaths::linkPath(6), pty.slavePath())
                     .arg(holder.processId()));
    }

    // What the system said when an open failed, where inspection finds nothing against it.
    void systemErrors_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("busy") << EBUSY << Kind::Busy << u"%1 is in use by another program."_s;
        QTest::newRow("refused although allowed")
            << EACCES << Kind::Busy << u"%1 is in use by another program."_s;
        QTest::newRow("gone") << ENXIO << Kind::NoSuchDevice << u"%1 does not exist."_s;
        QTest::newRow("no device") << ENODEV << Kind::NoSuchDevice << u"%1 does not exist."_s;
        QTest::newRow("anything else") << EIO << Kind::Other << u"%1: Input/output error."_s;
    }
    void systemErrors()
    {
        QFETCH(int, error);
        QFETCH(Kind, kind);
        QFETCH(QString, reason);
        const QString path = m_dir.filePath(u"ttyACM0"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const PortProblem problem = PortDiagnosis::fromError(path, error);
        QCOMPARE(problem.kind, kind);
        QCOMPARE(PortDiagnosis::reason(problem), reason.arg(path));
        QVERIFY(!PortDiagnosis::remedy(problem).isEmpty());
    }

    // What inspection finds wins over the error: the error of a missing device is only the
    // last step of the story.
    void inspectionComesFirst()
    {
        const QString link = m_dir.filePath(u"COM5"_s);
        QVERIFY(QFile::link(m_dir.filePath(u"nowhere"_s), link));
        QCOMPARE(PortDiagnosis::fromError(link, ENOENT).kind, Kind::DanglingLink);
    }

    // Refused by a mode that lets everyone in: an access list or a security module decides,
    // and no group or rule is advised. An unknown mode gives no advice of that kind either.
    void permissionWithoutAModeToBlame_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("everyone may") << 0666;
        QTest::newRow("mode unknown") << -1;
    }
    void permissionWithoutAModeToBlame()
    {
        QFETCH(int, mode);
        PortProblem problem;
        problem.kind = Kind::PermissionDenied;
        problem.path = u"/dev/ttyUSB0"_s;
        problem.device = problem.path;
        problem.owner = u"root"_s;
        problem.group = u"dialout"_s;
        problem.mode = mode;
        QCOMPARE(PortDiagnosis::explanation(problem),
                 u"/dev/ttyUSB0: permission denied.\n"
                 "Ask the administrator for read and write access to it."_s);
    }
};

TARNWICK_TEST_MAIN(TestPortProblem)
#include "tst_portproblem.moc"
