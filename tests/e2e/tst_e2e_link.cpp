// The monitor window's poll and relay command against the simulated board, over a real
// pseudo-terminal and the real serial-port adapter.
#include "BoardPanel.h"
#include "CommandFrames.h"
#include "StatusFrame.h"
#include "TestMain.h"
#include "frmMonitor.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <memory>

namespace {

constexpr int boardPort = 5;
constexpr int patience = 5000; // ms: an upper bound, never a delay

struct Rig : BoardPanel
{
    bool start()
    {
        if (!startBoardAndWindow(boardPort))
            return false;
        window->Form_Load();
        return messages.texts.isEmpty() && port.isOpen();
    }

    StatusPoll &poll() { return window->poll(); }

    // One tick by hand, then wait until the board has the request and has answered it, so
    // the next tick finds the whole reply waiting.
    bool tickAndAwaitReply()
    {
        const int replies = board.repliesSent();
        poll().Timer1_Timer();
        return QTest::qWaitFor([&] { return board.repliesSent() > replies; }, patience);
    }

    QString label2() const { return window->findChild<QLabel *>(QStringLiteral("Label2"))->text(); }
};

} // namespace

class TestEndToEndLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pollSendsARequestEachInterval()
    {
        Rig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.poll().Timer1->isActive());
        QSignalSpy requests(&rig.board, &PtyBoard::statusRequested);
        QVERIFY(QTest::qWaitFor([&] { return requests.size() >= 3; }, patience));
        QCOMPARE(rig.poll().Timer1->interval(), 200);
        // Besides the requests, the board received output 2's stored level with the first
        // complete poll, and nothing it could not read.
        QCOMPARE(rig.board.framesReceived(), rig.board.statusRequests() + 1);
        QCOMPARE(rig.board.unknownFrames(), 0);
        QCOMPARE(rig.board.state().analogOutput(2), std::optional<quint8>(1));
        QCOMPARE(rig.board.state().analogOutput(1), std::nullopt);
        QVERIFY(rig.poll().linkLit());
    }

    void secondTickReadsTheFirstReply()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.poll().Timer1->stop();
        rig.board.setTemperature(212);

        QVERIFY(rig.tickAndAwaitReply());
        QVERIFY(!rig.poll().linkLit());
        QCOMPARE(rig.label2(), QStringLiteral("test"));

        QVERIFY(rig.tickAndAwaitReply());
        QVERIFY(rig.poll().linkLit());
        QCOMPARE(rig.poll().A(), rig.board.state().statusFrame());
        QCOMPARE(rig.label2(), QString::fromLatin1(rig.board.state().statusFrame()));
        QCOMPARE(rig.window->findChild<QLabel *>(QStringLiteral("LabelTemp"))->text(),
                 QStringLiteral("212F"));
    }

    void relayFrameInvertsTheBoardsRelay()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.poll().Timer1->stop();
        QVERIFY(rig.tickAndAwaitReply());
        QVERIFY(rig.tickAndAwaitReply());
        QCOMPARE(StatusFrame::readNumber(rig.poll().A(), StatusFrame::relayBanks[2]), 0);

        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        QVERIFY(
            rig.poll().RunRelayCommand([] { return QList<QByteArray>{MakeRelayFrame('C', 2)}; }));
        QVERIFY(frames.wait(patience));
        QCOMPARE(frames.first().first().toByteArray(), QByteArray::fromHex("244330040D"));
        QVERIFY(rig.board.state().relay(19));

        // The resume tick restarts the poll; the next frame reports the relay on.
        QTRY_VERIFY_WITH_TIMEOUT(!rig.poll().Timer3->isActive(), patience);
        rig.poll().Timer1->stop();
        QVERIFY(rig.tickAndAwaitReply());
        QVERIFY(rig.tickAndAwaitReply());
        QCOMPARE(StatusFrame::readNumber(rig.poll().A(), StatusFrame::relayBanks[2]), 4);
    }

    void hangUpAndReturn()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.poll().Timer1->stop();
        qint64 now = 100'000;
        rig.poll().setClock([&now] { return now; });
        QVERIFY(rig.tickAndAwaitReply());
        QVERIFY(rig.tickAndAwaitReply());
        QVERIFY(rig.poll().linkLit());

        QVERIFY(rig.board.hangUp());
        for (int i = 0; i < 5; ++i)
            rig.poll().Timer1_Timer();
        QVERIFY(!rig.port.isOpen());
        QVERIFY(rig.port.isLost());
        // The relay command stays harmless while the device is away.
        QTRY_VERIFY_WITH_TIMEOUT(!rig.poll().Timer3->isActive(), patience);
        QVERIFY(
            rig.poll().RunRelayCommand([] { return QList<QByteArray>{MakeRelayFrame('A', 0)}; }));
        rig.poll().Timer3->stop();

        QVERIFY(rig.board.reconnect());
        rig.board.setInputs(0x81);
        now += StatusPoll::reopenSpacingMs;
        QVERIFY(rig.tickAndAwaitReply());
        QVERIFY(rig.port.isOpen());
        QVERIFY(rig.tickAndAwaitReply());
        QCOMPARE(StatusFrame::readNumber(rig.poll().A(), StatusFrame::inputs), 0x81);
        QVERIFY(!rig.board.state().relay(1)); // the command during the hang-up never arrived
    }

    void aReplyLeftOnTheLineBeforeTheOpenIsNotTaken_data()
    {
        QTest::addColumn<bool>("reopened");
        QTest::newRow("at start") << false;
        QTest::newRow("after the device came back") << true;
    }

    void aReplyLeftOnTheLineBeforeTheOpenIsNotTaken()
    {
        QFETCH(bool, reopened);
        Rig rig;
        QVERIFY(rig.startBoardAndWindow(boardPort));
        qint64 now = 100'000;
        rig.poll().setClock([&now] { return now; });
        rig.board.setSilent(true); // from here on, only the reply from before can answer
        if (!reopened) {
            QVERIFY(rig.board.sendUnaskedReply());
            rig.window->Form_Load();
            QVERIFY(rig.port.isOpen());
        } else {
            rig.window->Form_Load();
            rig.poll().Timer1->stop();
            QVERIFY(rig.board.hangUp());
            rig.poll().Timer1_Timer();
            QVERIFY(rig.port.isLost());
            QVERIFY(rig.board.reconnect());
            QVERIFY(rig.board.sendUnaskedReply());
            now += StatusPoll::reopenSpacingMs;
        }
        rig.poll().Timer1->stop();
        QSignalSpy shown(&rig.poll(), &StatusPoll::frameShown);
        // The reply was written before the port opened: it is in the line's queue already, so
        // a tick that took it would take it at once.
        rig.poll().Timer1_Timer();
        rig.poll().Timer1_Timer();
        QVERIFY(rig.port.isOpen());
        QCOMPARE(shown.count(), 0);
        QVERIFY(!rig.poll().linkLit());
        QVERIFY(
            !rig.poll().RunRelayCommand([] { return QList<QByteArray>{MakeRelayFrame('A', 0)}; }));
    }

    void faultyRepliesLeaveTheDisplay_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("69") << 69;
        QTest::newRow("71") << 71;
        QTest::newRow("140") << 140;
    }
    void faultyRepliesLeaveTheDisplay()
    {
        QFETCH(int, length);
        Rig rig;
        QVERIFY(rig.start());
        rig.poll().Timer1->stop();
        QVERIFY(rig.tickAndAwaitReply());
        QVERIFY(rig.tickAndAwaitReply());

        QVERIFY(rig.board.setNextReplyLength(length));
        rig.board.setInputs(255);
        QVERIFY(rig.tickAndAwaitReply()); // reads a good reply, asks for the faulty one
        const QByteArray good = rig.poll().A();
        QCOMPARE(StatusFrame::readNumber(good, StatusFrame::inputs), 0);
        QVERIFY(rig.tickAndAwaitReply()); // reads the faulty one
        QCOMPARE(rig.poll().A(), good);
        QCOMPARE(rig.label2(), QString::fromLatin1(good));
        QVERIFY(rig.tickAndAwaitReply()); // back in step
        QCOMPARE(StatusFrame::readNumber(rig.poll().A(), StatusFrame::inputs), 255);
    }

    void garbageAndSplitRepliesAreDropped()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.poll().Timer1->stop();
        QVERIFY(rig.tickAndAwaitReply());
        QVERIFY(rig.tickAndAwaitReply());
        const QByteArray shown = rig.poll().A();

        // Counts every write of the board: garbage, whole replies and halves of a split one.
        QSignalSpy sent(&rig.board, &PtyBoard::bytesSent);
        auto awaitWrites = [&](int count) {
            return QTest::qWaitFor([&] { return sent.size() >= count; }, patience);
        };
        QVERIFY(rig.board.sendGarbage(17));
        QVERIFY(awaitWrites(1));
        rig.poll().Timer1_Timer(); // a reply and 17 garbage bytes: dropped
        QCOMPARE(rig.poll().A(), shown);
        QVERIFY(awaitWrites(2));

        rig.board.setInputs(3);
        rig.board.setNextReplySplit();
        rig.poll().Timer1_Timer(); // reads the reply that came after the garbage
        QCOMPARE(StatusFrame::readNumber(rig.poll().A(), StatusFrame::inputs), 0);
        QVERIFY(awaitWrites(3));
        rig.poll().Timer1_Timer(); // the first half: dropped
        QCOMPARE(StatusFrame::readNumber(rig.poll().A(), StatusFrame::inputs), 0);
        QVERIFY(awaitWrites(5));
        rig.poll().Timer1_Timer(); // the second half and the next reply together: dropped
        QCOMPARE(StatusFrame::readNumber(rig.poll().A(), StatusFrame::inputs), 0);
        QVERIFY(awaitWrites(6));
        rig.poll().Timer1_Timer(); // back in step
        QCOMPARE(StatusFrame::readNumber(rig.poll().A(), StatusFrame::inputs), 3);
    }
};

TARNWICK_TEST_MAIN(TestEndToEndLink)
#include "tst_e2e_link.moc"
