// The program as a whole, started as a user starts it: one panel per settings store, a start
// after a killed panel, an end by a signal that saves like "Exit" (also while the start's
// message waits), and a start that a stale lock file does not hold up.
// The panel runs as its own process on the offscreen platform against the simulated board.
#include "PanelInstance.h"
#include "PanelProcess.h"
#include "PtyBoard.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <csignal>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int patience = 15000; // ms: an upper bound, never a delay; below QLockFile's 30 s

QString configFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}
QString iniPath()
{
    return QDir(configFolder()).filePath(u"Tarnwick/Tarnwick.ini"_s);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

using Panel = PanelProcess;

// Asks the panel on this store to come to the front; true when it answered.
bool askToRaise(const QString &socket)
{
    QLocalSocket panel;
    panel.connectToServer(socket);
    if (!panel.waitForConnected(200))
        return false;
    panel.write("{\"command\":\"raise\"}\n");
    while (!panel.canReadLine())
        if (!panel.waitForReadyRead(patience))
            return false;
    return panel.readLine() == "{\"ok\":true}\n";
}

bool awaitPanelUp(Panel &panel)
{
    const QString socket = PanelInstance::socketPath();
    if (!panel.process.waitForStarted(patience))
        return false;
    return QTest::qWaitFor([&] { return !panel.running() || askToRaise(socket); }, patience) &&
           panel.running();
}

// Serial lock files that still name the process.
QStringList lockFilesOf(qint64 pid)
{
    QStringList found;
    for (const QString &folder : {u"/var/lock"_s, u"/run/lock"_s, QDir::tempPath()})
        for (const QFileInfo &file :
             QDir(folder).entryInfoList({u"LCK..*"_s}, QDir::Files | QDir::System))
            if (readFile(file.absoluteFilePath()).split('\n').value(0).trimmed().toLongLong() ==
                pid)
                found << file.absoluteFilePath();
    return found;
}

} // namespace

class TestProgram : public QObject
{
    Q_OBJECT

    std::unique_ptr<PtyBoard> m_board;

private Q_SLOTS:
    void init()
    {
        QDir(configFolder() + u"/Tarnwick"_s).removeRecursively();
        m_board = std::make_unique<PtyBoard>();
        QVERIFY2(m_board->start(1), qPrintable(m_board->errorString()));
    }
    void cleanup() { m_board.reset(); }

    void aSecondStartLeavesTheFirstPanelAlone()
    {
        Panel first;
        QVERIFY(awaitPanelUp(first));
        QVERIFY(QTest::qWaitFor([&] { return m_board->repliesSent() >= 2; }, patience));
        const QByteArray settings = readFile(iniPath());

        Panel second;
        QVERIFY(second.process.waitForFinished(patience));
        QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process.exitCode(), 0);
        QCOMPARE(readFile(iniPath()), settings);
        QVERIFY(first.running());
        const int replies = m_board->repliesSent();
        QVERIFY(QTest::qWaitFor([&] { return m_board->repliesSent() > replies; }, patience));

        // A panel with a settings store of its own runs beside it (here on a port with no
        // device, so it stops at its message and waits there).
        QTemporaryDir otherConfig;
        QVERIFY(writeFile(otherConfig.filePath(u"Tarnwick/Tarnwick.ini"_s),
                          "[StartUp]\nMeter-ComPort=9\n"));
        Panel other(otherConfig.path());
        QVERIFY(other.process.waitForStarted(patience));
        QVERIFY(!other.process.waitForFinished(1000) && other.running());
        QVERIFY(first.running());
    }

    void theNextStartTakesOverTheSocketOfAKilledPanel()
    {
        Panel killed;
        QVERIFY(awaitPanelUp(killed));
        killed.process.kill(); // SIGKILL: the socket file and the lock stay behind
        QVERIFY(killed.process.waitForFinished(patience));
        QVERIFY(QFile::exists(PanelInstance::socketPath()));
        QVERIFY(!askToRaise(PanelInstance::socketPath()));

        Panel next;
        QVERIFY(awaitPanelUp(next));
        const int replies = m_board->repliesSent();
        QVERIFY(QTest::qWaitFor([&] { return m_board->repliesSent() > replies; }, patience));
    }

    void aSignalEndsThePanelAsExitDoes_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void aSignalEndsThePanelAsExitDoes()
    {
        QFETCH(int, signalNumber);
        Panel panel;
        QVERIFY(awaitPanelUp(panel));
        QVERIFY(QTest::qWaitFor([&] { return m_board->repliesSent() >= 2; }, patience));
        const qint64 pid = panel.process.processId();
        QVERIFY(!lockFilesOf(pid).isEmpty()); // the port's lock, while it runs

        // Only the save-all writes every key again: the start's seeding is long done.
        QVERIFY(writeFile(iniPath(), "[StartUp]\nMeter-ComPort=1\n"));
        ::kill(pid_t(pid), signalNumber);
        QVERIFY(panel.process.waitForFinished(patience));
        QCOMPARE(panel.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(panel.process.exitCode(), 0);

        QSettings saved(iniPath(), QSettings::IniFormat);
        QCOMPARE(saved.value(u"StartUp/OnTop"_s).toString(), u"0"_s);
        QCOMPARE(saved.value(u"StartUp/Height"_s).toString(), u"5240"_s);
        QVERIFY(saved.contains(u"StartUp/Position-Left"_s));
        QCOMPARE(lockFilesOf(pid), QStringList());
        QVERIFY(!QFile::exists(PanelInstance::lockPath()));
        QVERIFY(!QFile::exists(iniPath() + u".lock"_s));
    }

    void aSignalDuringTheStartMessageEndsThePanelAsExitDoes_data()
    {
        aSignalEndsThePanelAsExitDoes_data();
    }
    void aSignalDuringTheStartMessageEndsThePanelAsExitDoes()
    {
        QFETCH(int, signalNumber);
        // No board on port 6: the start's message "COM 6: not available" waits for its OK.
        QVERIFY(writeFile(iniPath(), "[StartUp]\nMeter-ComPort=6\n"));
        {
            Panel panel;
            // The panel answers its socket only from an event loop, and the first one it runs
            // is the message's own.
            QVERIFY(awaitPanelUp(panel));
            ::kill(pid_t(panel.process.processId()), signalNumber);
            QVERIFY(panel.process.waitForFinished(patience));
            QCOMPARE(panel.process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(panel.process.exitCode(), 0);
        }
        QSettings saved(iniPath(), QSettings::IniFormat);
        QCOMPARE(saved.value(u"StartUp/Meter-ComPort"_s).toString(), u"6"_s);
        QCOMPARE(saved.value(u"StartUp/Height"_s).toString(), u"5240"_s); // the save-all ran
        QVERIFY(!QFile::exists(PanelInstance::lockPath()));

        // And the next start is a panel of its own, not a call on one that hangs.
        QVERIFY(writeFile(iniPath(), "[StartUp]\nMeter-ComPort=1\n"));
        Panel next;
        QVERIFY(awaitPanelUp(next));
        QVERIFY(QTest::qWaitFor([&] { return m_board->repliesSent() >= 2; }, patience));
    }

    // A lock file nobody holds, beside the settings and of the panel itself: left empty by a
    // kill between making and filling it, or naming a process that has ended.
    void aStaleLockDoesNotHoldTheStartUp_data()
    {
        QTest::addColumn<QByteArray>("lock");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("dead process")
            << "999999\ntarnwick\n" + QSysInfo::machineHostName().toUtf8() + "\n";
    }
    void aStaleLockDoesNotHoldTheStartUp()
    {
        QFETCH(QByteArray, lock);
        QVERIFY(writeFile(iniPath(), "[StartUp]\nMeter-ComPort=1\nAout1=110\n"));
        QVERIFY(writeFile(iniPath() + u".lock"_s, lock));
        QVERIFY(writeFile(PanelInstance::lockPath(), lock));

        Panel panel;
        QVERIFY(awaitPanelUp(panel));
        QVERIFY(QTest::qWaitFor([&] { return m_board->repliesSent() >= 2; }, patience));
        QSettings settings(iniPath(), QSettings::IniFormat);
        QCOMPARE(settings.value(u"StartUp/Aout1"_s).toString(), u"110"_s);
        QVERIFY(settings.contains(u"StartUp/Meter Response"_s)); // seeded: the store was read
    }
};

TARNWICK_TEST_MAIN(TestProgram)
#include "tst_program.moc"
