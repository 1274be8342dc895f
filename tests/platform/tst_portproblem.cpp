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
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>
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

} // namespace

class TestPortProblem : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
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

        QVERIFY(PortPaths::assign(4, pty.slavePath(), &error));
        QtSerialPortAdapter port;
        port.setPortNumber(4);
        QVERIFY(!port.open());
        QCOMPARE(port.lastProblem().kind, Kind::Busy);
        QCOMPARE(port.lastProblem().pid, pid);
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

    // A device whose mode lets nobody in, opened by a user without privileges: this user
    // when it is one, otherwise "nobody" through setpriv.
    void aDeviceThisUserMayNotOpen()
    {
        PseudoTerminal pty;
        QString error;
        QVERIFY2(pty.open(&error), qPrintable(error));
        QVERIFY(::chmod(QFile::encodeName(pty.slavePath()).constData(), 0) == 0);

        QString output;
        if (::geteuid() != 0) {
            QProcess probe;
            probe.start(QStringLiteral(PORT_PROBE), {u"open"_s, pty.slavePath()});
            QVERIFY(probe.waitForFinished(patience));
            output = QString::fromLocal8Bit(probe.readAllStandardOutput());
        } else {
            const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
            if (setpriv.isEmpty())
                QSKIP("running as root without setpriv: no unprivileged user to open it as");
            QProcess probe;
            probe.start(setpriv, {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                                  QStringLiteral(PORT_PROBE), u"open"_s, pty.slavePath()});
            QVERIFY(probe.waitForFinished(patience));
            output = QString::fromLocal8Bit(probe.readAllStandardOutput());
        }
        const QStringList fields = output.trimmed().split(u'|');
        QCOMPARE(fields.size(), 3);
        QCOMPARE(fields[0].toInt(), int(Kind::PermissionDenied));
        const QString group = QFileInfo(pty.slavePath()).group(); // tty on most systems
        QCOMPARE(fields[1], group);
        QVERIFY2(fields[2].contains(u"permission denied"_s), qPrintable(fields[2]));
        QVERIFY2(fields[2].contains(u"sudo adduser $USER %1"_s.arg(group)), qPrintable(fields[2]));
        QVERIFY2(fields[2].contains(u"log out"_s), qPrintable(fields[2]));
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

    void permissionRemedyNamesTheGroup_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("remedy");
        QTest::newRow("dialout") << u"dialout"_s
                                 << u"Join the group with \"sudo adduser $USER dialout\", then "
                                    "log out and in again for it to take effect."_s;
        QTest::newRow("unknown group")
            << QString() << u"Ask the administrator for read and write access to it."_s;
    }
    void permissionRemedyNamesTheGroup()
    {
        QFETCH(QString, group);
        QFETCH(QString, remedy);
        PortProblem problem;
        problem.kind = Kind::PermissionDenied;
        problem.path = u"/dev/ttyUSB0"_s;
        problem.group = group;
        QCOMPARE(PortDiagnosis::remedy(problem), remedy);
        QVERIFY(
            PortDiagnosis::explanation(problem).startsWith(u"/dev/ttyUSB0: permission denied"_s));
    }
};

TARNWICK_TEST_MAIN(TestPortProblem)
#include "tst_portproblem.moc"
