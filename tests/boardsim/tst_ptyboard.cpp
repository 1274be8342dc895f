#include "PortEnd.h"
#include "PortPaths.h"
#include "PtyBoard.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QObject>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <sys/stat.h>

// The simulated board over a real pseudo-terminal, reached through its COM<n> link as the
// panel reaches it.
class TestPtyBoard : public QObject
{
    Q_OBJECT

private:
    static constexpr int port = 4;
    std::unique_ptr<PtyBoard> m_board;

    static bool linkExists(const QString &path)
    {
        struct stat info
        {};
        return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
    }

    // A request, and the whole reply that follows it.
    static QByteArray exchange(PortEnd &line, qsizetype expected = 70)
    {
        if (!line.write(statusRequest()))
            return {};
        if (!line.waitForBytes(expected))
            return {};
        return line.take();
    }

private Q_SLOTS:
    void init()
    {
        m_board = std::make_unique<PtyBoard>();
        m_board->setReplyDelay(5);
        QVERIFY2(m_board->start(port), qPrintable(m_board->errorString()));
    }

    void cleanup() { m_board.reset(); }

    void linkLeadsToThePseudoTerminal()
    {
        QCOMPARE(m_board->linkPath(), PortPaths::linkPath(port));
        QVERIFY(QFileInfo(m_board->linkPath()).isSymLink());
        QCOMPARE(QFileInfo(m_board->linkPath()).symLinkTarget(), m_board->devicePath());
        QVERIFY(m_board->devicePath().startsWith(QStringLiteral("/dev/pts/")));
        // The panel resolves the port number to the link.
        QCOMPARE(PortPaths::devicePath(port), m_board->linkPath());
    }

    void statusRequestAnsweredWithTheStatusFrame()
    {
        m_board->setMeter(3, 456);
        m_board->setFrequency(" 1234");
        PortEnd line(m_board->linkPath());
        QVERIFY(line.isOpen());
        QSignalSpy requested(m_board.get(), &PtyBoard::statusRequested);

        const QByteArray reply = exchange(line);
        QCOMPARE(reply.size(), 70);
        QCOMPARE(reply, m_board->state().statusFrame());
        QCOMPARE(reply.mid(44, 3), QByteArray("456"));
        QCOMPARE(requested.count(), 1);
        QCOMPARE(m_board->statusRequests(), 1);
        QCOMPARE(m_board->repliesSent(), 1);

        // The next exchange brings exactly the next frame: the first reply had nothing more.
        QCOMPARE(exchange(line), m_board->state().statusFrame());
    }

    void replyWaitsForTheLineTime()
    {
        QCOMPARE(PtyBoard().replyDelay(), 36);
        m_board->setReplyDelay(100);
        PortEnd line(m_board->linkPath());
        QSignalSpy requested(m_board.get(), &PtyBoard::statusRequested);
        QSignalSpy sent(m_board.get(), &PtyBoard::bytesSent);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(line.write(statusRequest()));
        QVERIFY(requested.wait(10000));
        QCOMPARE(sent.count(), 0); // not answered on the spot
        QVERIFY(sent.wait(10000));
        QVERIFY(clock.elapsed() >= 100);
        QVERIFY(line.waitForBytes(70));
    }

    // Each of these argument bytes means something to a terminal in its default mode.
    void argumentBytesArriveUnchanged_data()
    {
        QTest::addColumn<int>("argument");
        for (const int byte : {0x00, 0x03, 0x04, 0x0A, 0x0D, 0x11, 0x13, 0x1A, 0x24, 0x7F, 0xFF})
            QTest::newRow(qPrintable(QStringLiteral("0x%1").arg(byte, 2, 16, QLatin1Char('0'))))
                << byte;
    }
    void argumentBytesArriveUnchanged()
    {
        QFETCH(int, argument);
        PortEnd line(m_board->linkPath());
        QSignalSpy received(m_board.get(), &PtyBoard::frameReceived);
        const QByteArray frame = commandFrame("II", quint8(argument));
        QVERIFY(line.write(frame + statusRequest()));
        QVERIFY(QTest::qWaitFor([&] { return received.count() >= 2; }, 10000));
        QCOMPARE(received.at(0).at(0).toByteArray(), frame);
        QCOMPARE(received.at(1).at(0).toByteArray(), statusRequest());
        QCOMPARE(m_board->state().analogOutput(1), std::optional<quint8>(quint8(argument)));
        QCOMPARE(m_board->garbageReceived(), 0);
        // Nothing was echoed back: the reply is the frame alone.
        QVERIFY(line.waitForBytes(70));
        QCOMPARE(line.take(), m_board->state().statusFrame());
    }

    void relayFrameInvertsTheRelayAndTheNextReplyShowsIt()
    {
        PortEnd line(m_board->linkPath());
        QSignalSpy changed(m_board.get(), &PtyBoard::stateChanged);
        const QByteArray r19 = commandFrame("C0", 0x04);

        QVERIFY(line.write(r19));
        QVERIFY(changed.wait(10000));
        QVERIFY(m_board->state().relay(19));
        QCOMPARE(exchange(line).mid(8, 3), QByteArray("004"));

        QVERIFY(line.write(r19));
        QVERIFY(changed.wait(10000));
        QVERIFY(!m_board->state().relay(19));
        QCOMPARE(exchange(line).mid(8, 3), QByteArray("000"));
        QCOMPARE(m_board->framesReceived(), 4);
    }

    // The panel closes its port (setup dialog, restart) and opens it again later.
    void boardOutlivesTheProgramClosingItsPort()
    {
        {
            PortEnd first(m_board->linkPath());
            QCOMPARE(exchange(first).size(), 70);
        }
        // Let the board see the port closed before it is opened again.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        {
            PortEnd second(m_board->linkPath());
            QCOMPARE(exchange(second), m_board->state().statusFrame());
        }
        QVERIFY(m_board->errorString().isEmpty());
    }

    void garbageAndUnknownFramesAreCountedAndIgnored()
    {
        PortEnd line(m_board->linkPath());
        const BoardState before = m_board->state();
        QVERIFY(line.write(QByteArray("noise") + commandFrame("K0", 1) + statusRequest()));
        QVERIFY(QTest::qWaitFor([&] { return m_board->statusRequests() == 1; }, 10000));
        QCOMPARE(m_board->garbageReceived(), 5);
        QCOMPARE(m_board->unknownFrames(), 1);
        QCOMPARE(m_board->framesReceived(), 2);
        QVERIFY(m_board->state() == before);
        QVERIFY(line.waitForBytes(70));
    }

    void settersAnnounceOnlyRealChanges()
    {
        QSignalSpy changed(m_board.get(), &PtyBoard::stateChanged);
        QVERIFY(m_board->setMeter(0, 5));
        QVERIFY(m_board->setMeter(0, 5));
        QVERIFY(!m_board->setMeter(0, 1000));
        QVERIFY(!m_board->setInputs(256));
        QCOMPARE(changed.count(), 1);
        QVERIFY(m_board->setInputs(130));
        QVERIFY(m_board->setTemperature(-5));
        QVERIFY(m_board->setRelay(64, true));
        QVERIFY(m_board->setRelayBank(1, 3));
        QCOMPARE(changed.count(), 5);
        const QByteArray frame = m_board->state().statusFrame();
        QCOMPARE(frame.mid(56, 3), QByteArray("130"));
        QCOMPARE(frame.mid(60, 3), QByteArray("-05"));
        QCOMPARE(frame.mid(28, 3), QByteArray("128"));
        QCOMPARE(frame.mid(4, 3), QByteArray("003"));
    }

    void silentBoardDoesNotAnswer()
    {
        PortEnd line(m_board->linkPath());
        m_board->setSilent(true);
        QSignalSpy requested(m_board.get(), &PtyBoard::statusRequested);
        QVERIFY(line.write(statusRequest()));
        QVERIFY(requested.wait(10000));
        m_board->setSilent(false);
        // Replies go out in order, so once the second one is in, the first would be too.
        QCOMPARE(exchange(line), m_board->state().statusFrame());
        QCOMPARE(m_board->statusRequests(), 2);
        QCOMPARE(m_board->repliesSent(), 1);
    }

    void wrongReplyLength_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("69") << 69;
        QTest::newRow("71") << 71;
        QTest::newRow("140, two frames") << 140;
    }
    void wrongReplyLength()
    {
        QFETCH(int, length);
        PortEnd line(m_board->linkPath());
        const QByteArray frame = m_board->state().statusFrame();
        QVERIFY(m_board->setNextReplyLength(length));

        // The faulty reply, then a good one: together exactly length + 70 bytes.
        QVERIFY(line.write(statusRequest()));
        QVERIFY(QTest::qWaitFor([&] { return m_board->repliesSent() == 1; }, 10000));
        const QByteArray both = exchange(line, length + 70);
        QCOMPARE(both.size(), length + 70);
        QCOMPARE(both.right(70), frame);
        const QByteArray faulty = both.left(length);
        if (length == 140)
            QCOMPARE(faulty, frame + frame);
        else
            QCOMPARE(faulty.left(qMin(length, 70)), frame.left(qMin(length, 70)));
    }

    void onlyTheReplyLengthsThatTheFaultsKnow()
    {
        QVERIFY(!m_board->setNextReplyLength(0));
        QVERIFY(!m_board->setNextReplyLength(72));
        QVERIFY(m_board->setNextReplyLength(69));
        QVERIFY(m_board->setNextReplyLength(70)); // cancels
        PortEnd line(m_board->linkPath());
        QCOMPARE(exchange(line), m_board->state().statusFrame());
    }

    void garbageSentNow()
    {
        PortEnd line(m_board->linkPath());
        QSignalSpy sent(m_board.get(), &PtyBoard::bytesSent);
        QVERIFY(!m_board->sendGarbage(0));
        QVERIFY(m_board->sendGarbage(25));
        QCOMPARE(sent.count(), 1);
        const QByteArray garbage = sent.at(0).at(0).toByteArray();
        QCOMPARE(garbage.size(), 25);
        QCOMPARE(exchange(line, 95), garbage + m_board->state().statusFrame());
    }

    void nonNumericField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("position");
        QTest::newRow("relay bank A") << QStringLiteral("A") << 1;
        QTest::newRow("relay bank H") << QStringLiteral("h") << 29;
        QTest::newRow("meter 0") << QStringLiteral("meter 0") << 34;
        QTest::newRow("meter 3") << QStringLiteral("meter 3") << 45;
        QTest::newRow("meter 5") << QStringLiteral("m5") << 53;
        QTest::newRow("inputs") << QStringLiteral("inputs") << 57;
        QTest::newRow("temperature") << QStringLiteral("temp") << 61;
    }
    void nonNumericField()
    {
        QFETCH(QString, field);
        QFETCH(int, position);
        m_board->setTemperature(-5);
        const std::optional<StatusField> parsed = parseStatusField(field);
        QVERIFY(parsed);
        m_board->setNextReplyNonNumeric(*parsed);
        PortEnd line(m_board->linkPath());

        QByteArray expected = m_board->state().statusFrame();
        expected[position - 1] = 'x';
        QCOMPARE(exchange(line), expected);
        // Once only.
        QCOMPARE(exchange(line), m_board->state().statusFrame());
    }

    void faultsCombineInOneReply()
    {
        m_board->setNextReplyNonNumeric({StatusField::Kind::Inputs, 0});
        m_board->setNextReplyLength(140);
        PortEnd line(m_board->linkPath());
        QByteArray marked = m_board->state().statusFrame();
        marked[56] = 'x';
        QCOMPARE(exchange(line, 140), marked + marked);
    }

    void splitReplyComesInTwoHalvesAGapApart()
    {
        m_board->setSplitGap(250);
        m_board->setNextReplySplit();
        PortEnd line(m_board->linkPath());
        QList<qint64> sentAt;
        QList<QByteArray> pieces;
        QElapsedTimer clock;
        clock.start();
        connect(m_board.get(), &PtyBoard::bytesSent, this, [&](const QByteArray &bytes) {
            sentAt.append(clock.elapsed());
            pieces.append(bytes);
        });

        QVERIFY(line.write(statusRequest()));
        QVERIFY(line.waitForBytes(70));
        QCOMPARE(pieces.size(), 2);
        QCOMPARE(pieces.at(0).size(), 35);
        QCOMPARE(pieces.at(1).size(), 35);
        QVERIFY2(sentAt.at(1) - sentAt.at(0) >= 250,
                 qPrintable(QStringLiteral("gap %1 ms").arg(sentAt.at(1) - sentAt.at(0))));
        QCOMPARE(line.take(), m_board->state().statusFrame());
        QCOMPARE(m_board->repliesSent(), 1);
        // The next reply is whole again.
        pieces.clear();
        QCOMPARE(exchange(line), m_board->state().statusFrame());
        QCOMPARE(pieces.size(), 1);
    }

    void hangUpFailsTheOpenPortWithEioAndRemovesTheLink()
    {
        PortEnd line(m_board->linkPath());
        QCOMPARE(exchange(line).size(), 70);
        const QString link = m_board->linkPath();

        QVERIFY(m_board->hangUp());
        QVERIFY(!m_board->isConnected());
        QVERIFY(!linkExists(link));
        QVERIFY(!line.write(statusRequest()));
        QCOMPARE(line.lastError(), EIO);
        QVERIFY(!m_board->hangUp());
        QVERIFY(!m_board->sendGarbage(3));
        // The path no longer opens, as a pulled adapter's node is gone.
        PortEnd again(link);
        QVERIFY(!again.isOpen());
    }

    void returnMakesTheLinkUsableAgain()
    {
        PortEnd old(m_board->linkPath());
        QVERIFY(!m_board->reconnect()); // not hung up
        QVERIFY(m_board->hangUp());
        QVERIFY2(m_board->reconnect(), qPrintable(m_board->errorString()));
        QVERIFY(m_board->isConnected());
        QCOMPARE(QFileInfo(m_board->linkPath()).symLinkTarget(), m_board->devicePath());

        PortEnd line(m_board->linkPath());
        QVERIFY(line.isOpen());
        QCOMPARE(exchange(line), m_board->state().statusFrame());
        // The port opened before the hang-up stays dead.
        QVERIFY(!old.write(statusRequest()));
        QCOMPARE(old.lastError(), EIO);
    }

    // A test may pull the plug the moment the panel sends something.
    void hangUpFromAFrameSlot()
    {
        PortEnd line(m_board->linkPath());
        connect(m_board.get(), &PtyBoard::frameReceived, this, [this] { m_board->hangUp(); });
        QVERIFY(line.write(commandFrame("A0", 0x01) + statusRequest() + commandFrame("B0", 0x01)));
        QVERIFY(QTest::qWaitFor([&] { return !m_board->isConnected(); }, 10000));
        // The frames behind the first went with the device.
        QCOMPARE(m_board->framesReceived(), 1);
        QCOMPARE(m_board->statusRequests(), 0);
        m_board->disconnect(this);

        QVERIFY(m_board->reconnect());
        PortEnd fresh(m_board->linkPath());
        QCOMPARE(exchange(fresh), m_board->state().statusFrame());
        QCOMPARE(int(m_board->state().relayBank(1)), 0);
    }

    void replyDueAtHangUpIsDropped()
    {
        m_board->setReplyDelay(150);
        PortEnd line(m_board->linkPath());
        QSignalSpy requested(m_board.get(), &PtyBoard::statusRequested);
        QVERIFY(line.write(statusRequest()));
        QVERIFY(requested.wait(10000));
        QVERIFY(m_board->hangUp());
        QVERIFY(m_board->reconnect());
        PortEnd fresh(m_board->linkPath());
        // Only the reply to the new request arrives on the new device.
        QCOMPARE(exchange(fresh), m_board->state().statusFrame());
        QCOMPARE(m_board->repliesSent(), 1);
    }

    void secondBoardOnTheSamePortIsRefused()
    {
        PtyBoard second;
        QVERIFY(!second.start(port));
        QVERIFY(second.errorString().contains(m_board->linkPath()));
        QVERIFY(!second.isConnected());
        PortEnd line(m_board->linkPath());
        QCOMPARE(exchange(line).size(), 70);
    }

    void portNumberBelowOneIsRefused()
    {
        PtyBoard board;
        QVERIFY(!board.start(0));
        QVERIFY(!board.errorString().isEmpty());
    }

    void destructionRemovesTheLink()
    {
        const QString link = m_board->linkPath();
        QVERIFY(linkExists(link));
        m_board.reset();
        QVERIFY(!linkExists(link));
    }

    // The panel opens the port with Qt's serial port class, through the link.
    void qserialPortThroughTheLink()
    {
        QSerialPort serial(m_board->linkPath());
        serial.setBaudRate(QSerialPort::Baud19200);
        serial.setDataBits(QSerialPort::Data8);
        serial.setParity(QSerialPort::NoParity);
        serial.setStopBits(QSerialPort::OneStop);
        QVERIFY2(serial.open(QIODevice::ReadWrite), qPrintable(serial.errorString()));
        serial.write(commandFrame("A0", 0x0D) + statusRequest());
        QVERIFY(serial.flush() || serial.bytesToWrite() == 0);
        QByteArray reply;
        QVERIFY(QTest::qWaitFor(
            [&] {
                serial.waitForReadyRead(10);
                reply += serial.readAll();
                return reply.size() >= 70;
            },
            10000));
        QCOMPARE(reply, m_board->state().statusFrame());
        QCOMPARE(reply.left(3), QByteArray("013"));
    }

    // What the panel's port class makes of a hang-up: the error of a pulled adapter.
    void qserialPortSeesHangUpAsResourceError()
    {
        QSerialPort serial(m_board->linkPath());
        QVERIFY2(serial.open(QIODevice::ReadWrite), qPrintable(serial.errorString()));
        QSignalSpy errors(&serial, &QSerialPort::errorOccurred);
        QVERIFY(m_board->hangUp());
        serial.write(statusRequest());
        serial.flush();
        QVERIFY(QTest::qWaitFor(
            [&] {
                serial.waitForReadyRead(10);
                return serial.error() == QSerialPort::ResourceError;
            },
            10000));
        QVERIFY(serial.errorString().contains(QStringLiteral("Input/output error")));
    }
};

TARNWICK_TEST_MAIN(TestPtyBoard)
#include "tst_ptyboard.moc"
