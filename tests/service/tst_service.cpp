// tarnwickd as users run it: its own process on the simulated board over a real
// pseudo-terminal, reached with tarnwick-ctl and over a real mosquitto. It polls at the
// stored interval, takes commands as the window's socket does, reads changed settings on
// SIGHUP and when the file changes, never writes them, ends clean on SIGTERM, keeps the
// board through a hang-up and a late plug-in, and shares no store with a window or another
// service.
#include "MosquittoBroker.h"
#include "MqttProbe.h"
#include "PortProblem.h"
#include "PtyBoard.h"
#include "ServiceProcess.h"
#include "TestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <algorithm>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace ServiceTest;
using namespace Qt::StringLiterals;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaced as an editor or another program saves it: a new file renamed over the old.
bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
           file.commit();
}

// A settings folder of one board: its store, and the simulated board linked in it as COM1.
struct Store
{
    QTemporaryDir folder;
    PtyBoard board;

    QString config() const { return folder.path(); }
    QString ini() const { return folder.filePath(u"Tarnwick/Tarnwick.ini"_s); }
    bool write(const QByteArray &content) const { return writeFile(ini(), content); }
    // Links the board into this folder's ports.
    bool plugIn(int port = 1)
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config()));
        const bool started = board.start(port);
        if (!started)
            qWarning("board: %s", qPrintable(board.errorString()));
        return started;
    }
    QJsonObject status() const
    {
        const Ran ran = ctl({u"status"_s, u"--json"_s}, config());
        return ran.exitCode == 0 ? QJsonDocument::fromJson(ran.out).object() : QJsonObject();
    }
    bool awaitLink(const QString &state) const
    {
        return QTest::qWaitFor([&] { return status().value(u"link"_s).toString() == state; },
                               patience);
    }
};

// The gaps between the next `count` status requests the board receives.
QList<qint64> requestGaps(PtyBoard &board, int count)
{
    QList<qint64> gaps;
    QElapsedTimer clock;
    const QMetaObject::Connection connection =
        QObject::connect(&board, &PtyBoard::statusRequested, [&] {
            if (clock.isValid())
                gaps << clock.restart();
            else
                clock.start();
        });
    if (!QTest::qWaitFor([&] { return gaps.size() >= count; }, patience))
        qWarning("only %d status requests came", int(gaps.size()));
    QObject::disconnect(connection);
    return gaps;
}

// The datagram socket systemd gives a service of Type=notify, and what it was told.
struct NotifySocket
{
    int fd = -1;
    QString path;
    QByteArrayList told;
    std::unique_ptr<QSocketNotifier> notifier;

    explicit NotifySocket(const QString &folder)
    {
        path = QDir(folder).filePath(u"notify"_s);
        fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        if (fd < 0 || name.size() >= qsizetype(sizeof address.sun_path))
            return;
        std::copy(name.begin(), name.end(), address.sun_path);
        if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            return;
        notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] {
            char buffer[4096];
            const ssize_t size = ::recv(fd, buffer, sizeof buffer, 0);
            if (size > 0)
                told << QByteArray(buffer, size).split('\n');
        });
    }
    ~NotifySocket()
    {
        notifier.reset();
        if (fd >= 0)
            ::close(fd);
    }
    bool bound() const { return notifier != nullptr; }
};

// A log line that begins with the local time.
const QRegularExpression
    stamped(u"^tarnwickd: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} "_s);

qint64 median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

} // namespace

class TestService : public QObject
{
    Q_OBJECT

    QTemporaryDir m_runtime;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("says");
        QTest::newRow("--version") << QStringList{u"--version"_s} << 0 << QByteArray("tarnwickd ");
        QTest::newRow("--help") << QStringList{u"--help"_s} << 0 << QByteArray("SIGHUP");
        QTest::newRow("an unknown option") << QStringList{u"--port=3"_s} << 2 << QByteArray();
        QTest::newRow("an argument") << QStringList{u"COM1"_s} << 2 << QByteArray();
    }
    void usage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, says);
        QTemporaryDir config;
        const Ran ran = run(QStringLiteral(TARNWICKD), arguments, config.path());
        QCOMPARE(ran.exitCode, exitCode);
        QVERIFY(ran.out.contains(says));
        if (exitCode != 0)
            QVERIFY(ran.err.contains("Try 'tarnwickd --help'"));
        // Neither the store nor its lock is touched for these.
        QVERIFY(!QFile::exists(config.filePath(u"Tarnwick"_s)));
    }

    void pollsAtTheStoredIntervalAndTakesTheCommandsOfTheSocket()
    {
        Store store;
        QVERIFY(store.plugIn());
        const QByteArray settings = "[StartUp]\nMeter%20Response=400\nOnString0=\"06,09,\"\n"
                                    "DigStatusName2=Door\nCaption-Gauge0=Flow\n"
                                    "[Service]\nWDT=1\n[Relays]\nName3=Pump\nName20=Fan\n"
                                    "Name21=fan\n";
        QVERIFY(store.write(settings));
        ServiceProcess service(store.config());
        QVERIFY(store.awaitLink(u"live"_s));

        const qint64 gap = median(requestGaps(store.board, 6));
        QVERIFY2(gap >= 360 && gap <= 800, qPrintable(QString::number(gap)));

        const QJsonObject status = store.status();
        QCOMPARE(status.value(u"inputNames"_s).toArray().at(2).toString(), u"Door"_s);
        QCOMPARE(status.value(u"meterCaptions"_s).toArray().at(0).toString(), u"Flow"_s);
        QCOMPARE(status.value(u"port"_s).toInt(), 1);

        QCOMPARE(status.value(u"relayNames"_s).toArray().at(2).toString(), u"Pump"_s);
        // A relay by its name, whole and in any case; a name of two is a usage error.
        Ran ran = ctl({u"relay"_s, u"pump"_s, u"on"_s, u"--wait"_s}, store.config());
        QCOMPARE(ran.exitCode, 0);
        QVERIFY(store.board.state().relay(3));
        ran = ctl({u"relay"_s, u"FAN"_s, u"on"_s}, store.config());
        QCOMPARE(ran.exitCode, 2);
        QVERIFY2(ran.err.contains("R20 Fan, R21 fan"), ran.err.constData());
        ran = ctl({u"macro"_s, u"1"_s, u"--wait"_s}, store.config());
        QCOMPARE(ran.exitCode, 0);
        QVERIFY(store.board.state().relay(7));
        QVERIFY(store.board.state().relay(10));
        ran = ctl({u"aout"_s, u"2"_s, u"100"_s}, store.config());
        QCOMPARE(ran.exitCode, 0);
        QVERIFY(QTest::qWaitFor(
            [&] { return store.board.state().analogOutput(2) == std::optional<quint8>(100); },
            patience));
        // [Service] WDT=1 keeps the watchdog relay as it is.
        ran = ctl({u"relay"_s, u"R16"_s, u"on"_s}, store.config());
        QCOMPARE(ran.exitCode, 4);
        QVERIFY(!store.board.state().relay(16));

        // A second start's raise is told that a service drives the board.
        QCOMPARE(service.end(), 0);
        QCOMPARE(readFile(store.ini()), settings); // never written, not even the output
    }

    void takesChangedSettingsOnSighupAndWhenTheFileChanges_data()
    {
        QTest::addColumn<bool>("hangUpSignal");
        QTest::newRow("SIGHUP") << true;
        QTest::newRow("the file changed") << false;
    }
    void takesChangedSettingsOnSighupAndWhenTheFileChanges()
    {
        QFETCH(bool, hangUpSignal);
        Store store;
        QVERIFY(store.plugIn());
        QVERIFY(store.write("[StartUp]\nMeter%20Response=200\nOnString0=\"00,\"\n"));
        ServiceProcess service(store.config());
        QVERIFY(service.waitForLine("link: live"));

        const QByteArray changed = "[StartUp]\nMeter%20Response=700\nOnString0=\"04,05,\"\n";
        QVERIFY(store.write(changed));
        if (hangUpSignal)
            service.signal(SIGHUP);
        QVERIFY(service.waitForLine("polling every 700 ms"));
        const qint64 gap = median(requestGaps(store.board, 4));
        QVERIFY2(gap >= 630, qPrintable(QString::number(gap)));

        QCOMPARE(ctl({u"macro"_s, u"1"_s, u"--wait"_s}, store.config()).exitCode, 0);
        QVERIFY(!store.board.state().relay(1));
        QVERIFY(store.board.state().relay(5));
        QVERIFY(store.board.state().relay(6));
        QCOMPARE(service.end(), 0);
        QCOMPARE(readFile(store.ini()), changed);
    }

    void tellsSystemdAndLeavesTheTimeToTheJournal()
    {
        Store store;
        QVERIFY(store.plugIn());
        NotifySocket systemd(m_runtime.path());
        QVERIFY(systemd.bound());
        QProcessEnvironment underSystemd;
        underSystemd.insert(u"NOTIFY_SOCKET"_s, systemd.path);
        underSystemd.insert(u"JOURNAL_STREAM"_s, u"8:12345"_s);
        ServiceProcess service(store.config(), underSystemd);

        QVERIFY(QTest::qWaitFor([&] { return systemd.told.contains("READY=1"); }, patience));
        QVERIFY(service.waitForLine("link: live"));
        QCOMPARE(service.end(), 0);
        QVERIFY(QTest::qWaitFor([&] { return systemd.told.contains("STOPPING=1"); }, patience));
        // Every line as the journal wants it: no time stamp of our own.
        const QByteArrayList lines = service.log.trimmed().split('\n');
        QVERIFY(lines.size() >= 3);
        QCOMPARE(lines.first(), QByteArray("tarnwickd: tarnwickd " TARNWICK_VERSION " starting"));
        for (const QByteArray &line : lines)
            QVERIFY2(line.startsWith("tarnwickd: ") &&
                         !stamped.match(QString::fromUtf8(line)).hasMatch(),
                     line.constData());
    }

    void endsCleanOnSigtermAndSigint_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void endsCleanOnSigtermAndSigint()
    {
        QFETCH(int, signalNumber);
        Store store;
        QVERIFY(store.plugIn());
        ServiceProcess service(store.config());
        QVERIFY(store.awaitLink(u"live"_s));
        // A pulse still running is ended first; a command just written is let finish.
        QCOMPARE(
            ctl({u"relay"_s, u"R13"_s, u"pulse"_s, u"600"_s, u"--wait"_s}, store.config()).exitCode,
            0);
        const QJsonArray pulses = store.status().value(u"pulses"_s).toArray();
        QCOMPARE(pulses.size(), 1);
        QCOMPARE(pulses.at(0)[u"relay"_s].toInt(), 13);
        QVERIFY(pulses.at(0)[u"secondsLeft"_s].toDouble() > 500);
        QCOMPARE(ctl({u"relay"_s, u"R12"_s, u"on"_s}, store.config()).exitCode, 0);
        QCOMPARE(service.end(signalNumber), 0);
        QVERIFY(store.board.state().relay(12));
        QVERIFY(QTest::qWaitFor([&] { return !store.board.state().relay(13); }, patience));
        QVERIFY(service.log.contains("ended"));
        // Outside the journal each line carries its time.
        for (const QByteArray &line : service.log.trimmed().split('\n'))
            QVERIFY2(stamped.match(QString::fromUtf8(line)).hasMatch(), line.constData());

        QVERIFY(!QFile::exists(store.folder.filePath(u"Tarnwick/Tarnwick.panel.lock"_s)));
        QCOMPARE(PortDiagnosis::lockHolder(store.board.devicePath()), 0);
        QCOMPARE(PortDiagnosis::lockHolder(store.board.linkPath()), 0);
        QCOMPARE(ctl({u"status"_s}, store.config()).exitCode, 3); // no panel
        QVERIFY(!QFile::exists(store.ini()));                     // not even made
    }

    void keepsTheBoardThroughAHangUp()
    {
        Store store;
        QVERIFY(store.plugIn());
        ServiceProcess service(store.config());
        QVERIFY(service.waitForLine("link: live"));
        QVERIFY(store.board.hangUp());
        QVERIFY(service.waitForLine("link: lost"));
        QVERIFY(store.awaitLink(u"lost"_s));
        QVERIFY(store.board.reconnect());
        QVERIFY(service.waitForLine("link: live", 2));
        QCOMPARE(ctl({u"relay"_s, u"R2"_s, u"on"_s, u"--wait"_s}, store.config()).exitCode, 0);
        QVERIFY(store.board.state().relay(2));
    }

    void picksUpADevicePluggedInAfterItsStart()
    {
        // A port whose fallback device is not there either.
        constexpr int port = 200;
        Store store;
        QVERIFY(store.write("[StartUp]\nMeter-ComPort=200\n"));
        ServiceProcess service(store.config());
        QVERIFY(service.waitForLine("COM 200: not available."));
        // It answers meanwhile, and says the reason once, not at every retry.
        QCOMPARE(store.status().value(u"link"_s).toString(), u"never"_s);
        QVERIFY(store.plugIn(port));
        QVERIFY(service.waitForLine("link: live"));
        QCOMPARE(service.linesWith("not available"), 1);
        QVERIFY(store.awaitLink(u"live"_s));
    }

    void aWindowStartedOnTheServicesStoreSaysSoAndEnds()
    {
        Store store;
        QVERIFY(store.plugIn());
        ServiceProcess service(store.config());
        QVERIFY(store.awaitLink(u"live"_s));
        const int requests = store.board.statusRequests();

        QProcessEnvironment offscreen;
        offscreen.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        for (const QProcessEnvironment &extra : {offscreen, QProcessEnvironment()}) {
            const Ran window = run(QStringLiteral(TARNWICK_PROGRAM), {}, store.config(), extra);
            QCOMPARE(window.exitCode, 0);
            QVERIFY2(window.err.contains("Tarnwick is running as a service for this board; use "
                                         "tarnwick-ctl or its MQTT topics."),
                     window.err.constData());
        }
        QVERIFY(!QFile::exists(store.ini()));
        QVERIFY(service.running());
        QVERIFY(QTest::qWaitFor([&] { return store.board.statusRequests() > requests; },
                                patience)); // the service polls on
        QCOMPARE(service.end(), 0);
    }

    void aServiceStartedBesideAWindowEndsWithTheReason()
    {
        Store store;
        QVERIFY(store.plugIn());
        QProcess window;
        QProcessEnvironment environment = environmentFor(store.config());
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        window.setProcessEnvironment(environment);
        window.start(QStringLiteral(TARNWICK_PROGRAM), {});
        const auto endWindow = qScopeGuard([&] {
            ::kill(pid_t(window.processId()), SIGTERM);
            if (!window.waitForFinished(patience))
                window.kill();
        });
        QVERIFY(store.awaitLink(u"live"_s));
        const QByteArray before = readFile(store.ini());

        const Ran service = run(QStringLiteral(TARNWICKD), {}, store.config());
        QCOMPARE(service.exitCode, 1);
        QVERIFY2(service.err.contains("Tarnwick already runs on the settings in"),
                 service.err.constData());
        QCOMPARE(readFile(store.ini()), before);
        QCOMPARE(store.status().value(u"link"_s).toString(), u"live"_s);
    }

    void twoServicesOnTwoStoresDriveTheirOwnBoards()
    {
        Store first;
        Store second;
        QVERIFY(first.plugIn());
        QVERIFY(second.plugIn());
        ServiceProcess one(first.config());
        ServiceProcess two(second.config());
        QVERIFY(first.awaitLink(u"live"_s));
        QVERIFY(second.awaitLink(u"live"_s));
        QCOMPARE(ctl({u"relay"_s, u"R4"_s, u"on"_s, u"--wait"_s}, first.config()).exitCode, 0);
        QCOMPARE(ctl({u"relay"_s, u"R5"_s, u"on"_s, u"--wait"_s}, second.config()).exitCode, 0);
        QVERIFY(first.board.state().relay(4) && !first.board.state().relay(5));
        QVERIFY(second.board.state().relay(5) && !second.board.state().relay(4));
        QCOMPARE(one.end(), 0);
        QCOMPARE(two.end(), 0);
    }

    void runsTheBridgeOnARealBroker()
    {
        Store store;
        QVERIFY(store.plugIn());
        store.board.setRelay(9, true);
        MosquittoBroker broker;
        QVERIFY2(broker.start(), qPrintable(broker.errorString()));
        MqttProbe probe(broker.port(), u"cabinet/#"_s);
        QVERIFY(QTest::qWaitFor([&] { return probe.isSubscribed(); }, patience));
        QVERIFY(writeFile(store.folder.filePath(u"Tarnwick/mqtt.ini"_s),
                          "[mqtt]\nhost=127.0.0.1\nport=" + QByteArray::number(broker.port()) +
                              "\nbase_topic=cabinet/board\ncommands=on\n"));

        ServiceProcess service(store.config());
        QVERIFY(probe.waitFor(u"cabinet/board/status"_s, "online", patience));
        QVERIFY(probe.waitFor(u"cabinet/board/link"_s, "live", patience));
        QVERIFY(probe.waitFor(u"cabinet/board/relay/9"_s, "ON", patience));
        QVERIFY(service.waitForLine("mqtt: connected to 127.0.0.1"));

        QVERIFY(probe.publish(u"cabinet/board/relay/3/set"_s, "ON"));
        QVERIFY(probe.waitFor(u"cabinet/board/relay/3"_s, "ON", patience));
        QVERIFY(store.board.state().relay(3));
        // A pulse: on, and off again by itself.
        QVERIFY(probe.publish(u"cabinet/board/relay/4/pulse"_s, "0.3"));
        QVERIFY(probe.waitFor(u"cabinet/board/relay/4"_s, "ON", patience));
        QVERIFY(probe.waitFor(u"cabinet/board/relay/4"_s, "OFF", patience));

        QCOMPARE(service.end(), 0);
        QVERIFY(probe.waitFor(u"cabinet/board/status"_s, "offline", patience));
    }
};

TARNWICK_TEST_MAIN(TestService)
#include "tst_service.moc"
