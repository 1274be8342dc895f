#include "CommandFrames.h"
#include "FakeSerialPort.h"
#include "StatusFrame.h"
#include "StatusPoll.h"
#include "TestMain.h"

#include <QTimer>

namespace {

const QByteArray frame70 =
    "001,002,003,004,005,006,007,008,,010,011,012013,014,015,130,075, 1234\r";
const QString request = QStringLiteral("write 24 3B 3B 3B 0D");

class RecordingHandler final : public StatusFrameHandler
{
public:
    void showStatusFrame(const QByteArray &frame) override { frames << frame; }
    QList<QByteArray> frames;
};

struct Fixture
{
    Fixture()
        : poll(port, handler)
    {
        port.setPortNumber(3);
        port.open();
        port.clearLog();
        poll.setClock([this] { return now; });
    }
    FakeSerialPort port;
    RecordingHandler handler;
    StatusPoll poll;
    qint64 now = 50'000;
};

} // namespace

class TestStatusPoll : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timersAsCreated()
    {
        Fixture f;
        QVERIFY(f.poll.Timer1->isActive());
        QCOMPARE(f.poll.Timer1->interval(), 100);
        QVERIFY(f.poll.Timer3->isActive());
        QCOMPARE(f.poll.Timer3->interval(), 1);
        QVERIFY(!f.poll.linkLit());
        QVERIFY(f.poll.A().isEmpty());
    }

    void tickRequestsThenReads()
    {
        Fixture f;
        f.poll.Timer1_Timer();
        QCOMPARE(f.port.log(), QStringList({QStringLiteral("clearOutput"), request}));
        QVERIFY(f.handler.frames.isEmpty());
        QVERIFY(!f.poll.linkLit());

        // The reply to the first request is read by the second tick.
        f.port.receive(frame70);
        f.port.clearLog();
        f.poll.Timer1_Timer();
        QCOMPARE(f.port.log(), QStringList({QStringLiteral("clearOutput"), request,
                                            QStringLiteral("clearInput")}));
        QCOMPARE(f.handler.frames, QList<QByteArray>{frame70});
        QCOMPARE(f.poll.A(), frame70);
        QVERIFY(f.poll.linkLit());
    }

    void tickTakesThePollInterval()
    {
        Fixture f;
        f.poll.setPollInterval(250);
        f.poll.Timer1_Timer();
        QCOMPARE(f.poll.Timer1->interval(), 250);
    }

    void repliesOfAnotherLengthChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("69") << frame70.left(69);
        QTest::newRow("71") << frame70 + ',';
        QTest::newRow("140") << frame70 + frame70;
        QTest::newRow("half") << frame70.right(35);
    }
    void repliesOfAnotherLengthChangeNothing()
    {
        QFETCH(QByteArray, reply);
        Fixture f;
        const QByteArray first = QByteArray(frame70).replace(0, 3, "255");
        f.port.receive(first);
        f.poll.Timer1_Timer();
        QCOMPARE(f.poll.A(), first);

        f.port.receive(reply);
        f.poll.Timer1_Timer();
        QCOMPARE(f.handler.frames.size(), 1);
        QCOMPARE(f.poll.A(), first);

        // The exchange is back in step with the next single reply.
        f.port.receive(frame70);
        f.poll.Timer1_Timer();
        QCOMPARE(f.handler.frames.size(), 2);
        QCOMPARE(f.poll.A(), frame70);
    }

    void linkStaysLitWhenTheBoardFallsSilent()
    {
        Fixture f;
        f.port.receive(frame70);
        f.poll.Timer1_Timer();
        for (int i = 0; i < 5; ++i)
            f.poll.Timer1_Timer();
        QVERIFY(f.poll.linkLit());
        QCOMPARE(f.handler.frames.size(), 1);
    }

    void closedPortTickDoesNothing()
    {
        Fixture f;
        f.port.close();
        f.port.clearLog();
        f.port.receive(frame70);
        f.poll.Timer1_Timer();
        QVERIFY(f.port.log().isEmpty());
        QVERIFY(f.handler.frames.isEmpty());
    }

    void effectivePollInterval_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<int>("interval");
        QTest::newRow("default") << 200.0 << true << 200;
        QTest::newRow("slowest") << 5000.0 << true << 5000;
        QTest::newRow("fastest") << 180.0 << true << 180;
        QTest::newRow("zero") << 0.0 << true << 180;
        QTest::newRow("negative") << -50.0 << true << 180;
        QTest::newRow("huge") << 1e300 << true << 5000;
        QTest::newRow("fraction") << 250.6 << true << 251;
        QTest::newRow("not a number") << 0.0 << false << 200;
        QTest::newRow("nan") << std::nan("") << true << 200;
    }
    void effectivePollInterval()
    {
        QFETCH(double, stored);
        QFETCH(bool, isNumber);
        QFETCH(int, interval);
        QCOMPARE(::effectivePollInterval(isNumber ? std::optional(stored) : std::nullopt),
                 interval);
    }

    void relayCommandWaitsForTheFirstFrame()
    {
        Fixture f;
        f.poll.Timer3->stop();
        bool bodyRan = false;
        QVERIFY(!f.poll.RunRelayCommand([&] {
            bodyRan = true;
            return QList<QByteArray>{MakeRelayFrame('A', 0)};
        }));
        QVERIFY(!bodyRan);
        QVERIFY(f.port.log().isEmpty());
        QVERIFY(f.poll.Timer1->isActive());
        QVERIFY(!f.poll.Timer3->isActive());
    }

    void relayCommandSequence()
    {
        Fixture f;
        f.poll.Timer3->stop();
        f.port.receive(frame70);
        f.poll.Timer1_Timer();
        f.port.clearLog();

        QVERIFY(f.poll.RunRelayCommand([] {
            return QList<QByteArray>{MakeRelayFrame('A', 0), MakeRelayFrame('H', 7)};
        }));
        QCOMPARE(f.port.log(),
                 QStringList({QStringLiteral("clearOutput"), QStringLiteral("write 24 41 30 01 0D"),
                              QStringLiteral("write 24 48 30 80 0D")}));
        QVERIFY(!f.poll.Timer1->isActive());
        QVERIFY(f.poll.Timer3->isActive());

        // A second command before the resume tick is refused and changes nothing.
        f.port.clearLog();
        QVERIFY(!f.poll.RunRelayCommand([] { return QList<QByteArray>{MakeRelayFrame('B', 0)}; }));
        QVERIFY(f.port.log().isEmpty());
        QVERIFY(!f.poll.Timer1->isActive());
        QVERIFY(f.poll.Timer3->isActive());

        // The resume tick restarts the poll and stops itself.
        f.poll.Timer3_Timer();
        QVERIFY(f.poll.Timer1->isActive());
        QVERIFY(!f.poll.Timer3->isActive());
        QVERIFY(f.poll.RunRelayCommand([] { return QList<QByteArray>{}; }));
    }

    void emptyBodyStillPausesThePoll()
    {
        Fixture f;
        f.poll.Timer3->stop();
        f.port.receive(frame70);
        f.poll.Timer1_Timer();
        f.port.clearLog();
        QVERIFY(f.poll.RunRelayCommand([] { return QList<QByteArray>{}; }));
        QCOMPARE(f.port.log(), QStringList{QStringLiteral("clearOutput")});
        QVERIFY(!f.poll.Timer1->isActive());
        QVERIFY(f.poll.Timer3->isActive());
    }

    void relayCommandOnAClosedPortIsQuiet()
    {
        Fixture f;
        f.poll.Timer3->stop();
        f.port.receive(frame70);
        f.poll.Timer1_Timer();
        f.port.close();
        QVERIFY(f.poll.RunRelayCommand([] { return QList<QByteArray>{MakeRelayFrame('A', 1)}; }));
        QVERIFY(!f.port.writes().contains(MakeRelayFrame('A', 1)));
        QVERIFY(f.poll.Timer3->isActive());
    }

    void lostPortIsLookedForOnceASecond()
    {
        Fixture f;
        f.port.receive(frame70);
        f.poll.Timer1_Timer();
        f.port.hangUp();
        f.port.clearLog();

        f.poll.Timer1_Timer(); // first try at once
        f.poll.Timer1_Timer(); // no second try within the second
        f.now += 999;
        f.poll.Timer1_Timer();
        QCOMPARE(f.port.log(), QStringList{QStringLiteral("open")});

        f.now += 1;
        f.poll.Timer1_Timer();
        QCOMPARE(f.port.log().count(QStringLiteral("open")), 2);

        // The device is back: the next try reopens it and the poll goes on.
        f.port.setOpenSucceeds(true);
        f.port.clearLog();
        f.now += 1000;
        f.port.receive(frame70); // sent before the reopen: answers nothing asked since
        f.poll.Timer1_Timer();
        QVERIFY(f.port.isOpen());
        QCOMPARE(f.port.readLength(), 0);
        QCOMPARE(f.port.log().mid(0, 3),
                 QStringList({QStringLiteral("open"), QStringLiteral("clearOutput"), request}));
        QCOMPARE(f.handler.frames.size(), 1);
        f.port.receive(frame70); // the reply to the reopen's first request
        f.poll.Timer1_Timer();
        QCOMPARE(f.handler.frames.size(), 2);
    }

    void portThatNeverOpenedIsNotRetried()
    {
        Fixture f;
        f.port.close();
        f.port.setOpenSucceeds(false);
        f.port.clearLog();
        for (int i = 0; i < 3; ++i) {
            f.now += 5000;
            f.poll.Timer1_Timer();
        }
        QVERIFY(f.port.log().isEmpty());
    }
};

TARNWICK_TEST_MAIN(TestStatusPoll)
#include "tst_statuspoll.moc"
