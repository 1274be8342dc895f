#include "BoardConsole.h"
#include "PortEnd.h"
#include "PtyBoard.h"
#include "TestMain.h"

#include <QFileInfo>
#include <QObject>
#include <QSignalSpy>
#include <QTest>

// The commands typed on tarnwick-board's standard input.
class TestBoardConsole : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stateCommands_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("position"); // where the change shows in the status frame
        QTest::addColumn<QByteArray>("text");

        QTest::newRow("inputs") << QStringLiteral("inputs 130") << true << 57 << QByteArray("130");
        QTest::newRow("inputs 256") << QStringLiteral("inputs 256") << false << 0 << QByteArray();
        QTest::newRow("inputs -1") << QStringLiteral("inputs -1") << false << 0 << QByteArray();
        QTest::newRow("inputs text") << QStringLiteral("inputs lots") << false << 0 << QByteArray();
        QTest::newRow("inputs missing") << QStringLiteral("inputs") << false << 0 << QByteArray();
        QTest::newRow("meter 0") << QStringLiteral("meter 0 128") << true << 34
                                 << QByteArray("128");
        QTest::newRow("meter 3") << QStringLiteral("meter 3 999") << true << 45
                                 << QByteArray("999");
        QTest::newRow("meter 6") << QStringLiteral("meter 6 1") << false << 0 << QByteArray();
        QTest::newRow("meter 1000") << QStringLiteral("meter 0 1000") << false << 0 << QByteArray();
        QTest::newRow("temp") << QStringLiteral("temp 75") << true << 61 << QByteArray("075");
        QTest::newRow("temp negative")
            << QStringLiteral("temp -5") << true << 61 << QByteArray("-05");
        QTest::newRow("temp -100") << QStringLiteral("temp -100") << false << 0 << QByteArray();
        QTest::newRow("temp 1000") << QStringLiteral("temp 1000") << false << 0 << QByteArray();
        QTest::newRow("freq quoted with blank")
            << QStringLiteral("freq \" 1234\"") << true << 65 << QByteArray(" 1234");
        QTest::newRow("freq leading zero")
            << QStringLiteral("freq 01234") << true << 65 << QByteArray("01234");
        QTest::newRow("freq four characters")
            << QStringLiteral("freq 1234") << false << 0 << QByteArray();
        QTest::newRow("freq six characters")
            << QStringLiteral("freq \"123456\"") << false << 0 << QByteArray();
        QTest::newRow("freq non-ASCII")
            << QStringLiteral("freq 12\u00e934") << false << 0 << QByteArray();
        QTest::newRow("relay 1 on")
            << QStringLiteral("relay 1 on") << true << 1 << QByteArray("001");
        QTest::newRow("relay 64 on")
            << QStringLiteral("relay 64 on") << true << 29 << QByteArray("128");
        QTest::newRow("relay R16 ON")
            << QStringLiteral("relay R16 ON") << true << 5 << QByteArray("128");
        QTest::newRow("relay 0") << QStringLiteral("relay 0 on") << false << 0 << QByteArray();
        QTest::newRow("relay 65") << QStringLiteral("relay 65 on") << false << 0 << QByteArray();
        QTest::newRow("relay maybe")
            << QStringLiteral("relay 5 maybe") << false << 0 << QByteArray();
        QTest::newRow("bank A") << QStringLiteral("bank A 255") << true << 1 << QByteArray("255");
        QTest::newRow("bank h") << QStringLiteral("bank h 3") << true << 29 << QByteArray("003");
        QTest::newRow("bank I") << QStringLiteral("bank I 1") << false << 0 << QByteArray();
        QTest::newRow("bank 256") << QStringLiteral("bank A 256") << false << 0 << QByteArray();
        QTest::newRow("unknown command") << QStringLiteral("explode") << false << 0 << QByteArray();
        QTest::newRow("empty line") << QStringLiteral("   ") << true << 0 << QByteArray();
    }
    void stateCommands()
    {
        QFETCH(QString, line);
        QFETCH(bool, ok);
        QFETCH(int, position);
        QFETCH(QByteArray, text);
        PtyBoard board;
        BoardConsole console(board);
        const QByteArray before = board.state().statusFrame();

        const BoardConsole::Result result = console.run(line);
        QCOMPARE(result.ok, ok);
        QVERIFY(!result.quit);
        const QByteArray after = board.state().statusFrame();
        if (!ok) {
            QVERIFY(!result.text.isEmpty()); // says what is wrong
            QCOMPARE(after, before);
            return;
        }
        if (position > 0) {
            QCOMPARE(after.mid(position - 1, text.size()), text);
            // Nothing outside the field moved.
            QCOMPARE(after.left(position - 1), before.left(position - 1));
            QCOMPARE(after.mid(position - 1 + text.size()), before.mid(position - 1 + text.size()));
        }
    }

    void relayOffClearsOnlyThatRelay()
    {
        PtyBoard board;
        BoardConsole console(board);
        QVERIFY(console.run(QStringLiteral("bank C 255")).ok);
        QVERIFY(console.run(QStringLiteral("relay 19 off")).ok);
        QCOMPARE(int(board.state().relayBank(2)), 0xFB);
    }

    void faultCommandsCheckTheirArguments_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("ok");
        QTest::newRow("silence on") << QStringLiteral("silence on") << true;
        QTest::newRow("silence maybe") << QStringLiteral("silence maybe") << false;
        QTest::newRow("stuck on") << QStringLiteral("stuck on") << true;
        QTest::newRow("stuck") << QStringLiteral("stuck") << false;
        QTest::newRow("reply 69") << QStringLiteral("reply 69") << true;
        QTest::newRow("reply 140") << QStringLiteral("reply 140") << true;
        QTest::newRow("reply 72") << QStringLiteral("reply 72") << false;
        QTest::newRow("reply text") << QStringLiteral("reply long") << false;
        QTest::newRow("garbage 0") << QStringLiteral("garbage 0") << false;
        QTest::newRow("garbage 5000") << QStringLiteral("garbage 5000") << false;
        QTest::newRow("nonnumeric A") << QStringLiteral("nonnumeric A") << true;
        QTest::newRow("nonnumeric meter 5") << QStringLiteral("nonnumeric meter 5") << true;
        QTest::newRow("nonnumeric meter 6") << QStringLiteral("nonnumeric meter 6") << false;
        QTest::newRow("nonnumeric freq") << QStringLiteral("nonnumeric freq") << false;
        QTest::newRow("split") << QStringLiteral("split") << true;
        QTest::newRow("split 500") << QStringLiteral("split 500") << true;
        QTest::newRow("split -1") << QStringLiteral("split -1") << false;
        QTest::newRow("delay 10") << QStringLiteral("delay 10") << true;
        QTest::newRow("delay x") << QStringLiteral("delay x") << false;
        QTest::newRow("hangup before start") << QStringLiteral("hangup") << false;
        QTest::newRow("return before start") << QStringLiteral("return") << false;
    }
    void faultCommandsCheckTheirArguments()
    {
        QFETCH(QString, line);
        QFETCH(bool, ok);
        PtyBoard board;
        BoardConsole console(board);
        const BoardConsole::Result result = console.run(line);
        QCOMPARE(result.ok, ok);
        QVERIFY(!result.text.isEmpty());
    }

    void faultCommandsReachTheLine()
    {
        PtyBoard board;
        board.setReplyDelay(5);
        QVERIFY2(board.start(2), qPrintable(board.errorString()));
        BoardConsole console(board);
        PortEnd line(board.linkPath());

        QVERIFY(console.run(QStringLiteral("reply 69")).ok);
        QVERIFY(console.run(QStringLiteral("nonnumeric temp")).ok);
        QVERIFY(line.write(statusRequest()));
        QVERIFY(line.waitForBytes(69));
        QByteArray expected = board.state().statusFrame().left(69);
        expected[60] = 'x';
        QCOMPARE(line.take(), expected);

        QVERIFY(console.run(QStringLiteral("silence on")).ok);
        QVERIFY(board.isSilent());
        QVERIFY(console.run(QStringLiteral("silence off")).ok);
        QVERIFY(!board.isSilent());

        // Stuck relays: the frame is read and announced, the relay stays as it was.
        QVERIFY(console.run(QStringLiteral("stuck on")).ok);
        QSignalSpy frames(&board, &PtyBoard::frameReceived);
        QVERIFY(line.write(QByteArray::fromHex("244130010D")));
        QVERIFY(frames.wait(5000));
        QVERIFY(!board.state().relay(1));
        QVERIFY(console.run(QStringLiteral("stuck off")).ok);
        QVERIFY(line.write(QByteArray::fromHex("244130010D")));
        QVERIFY(frames.wait(5000));
        QVERIFY(board.state().relay(1));

        const QString link = board.linkPath();
        QVERIFY(console.run(QStringLiteral("hangup")).ok);
        QVERIFY(!QFileInfo(link).isSymLink());
        QVERIFY(!console.run(QStringLiteral("hangup")).ok);
        QVERIFY(!console.run(QStringLiteral("garbage 3")).ok);
        QVERIFY(console.run(QStringLiteral("return")).ok);
        QCOMPARE(QFileInfo(link).symLinkTarget(), board.devicePath());
    }

    void showPrintsStateAndFrame()
    {
        PtyBoard board;
        BoardConsole console(board);
        console.run(QStringLiteral("relay 10 on"));
        console.run(QStringLiteral("freq \" 1234\""));
        const QString text = console.run(QStringLiteral("show")).text;
        QVERIFY(text.contains(QStringLiteral("R10")));
        QVERIFY(text.contains(QStringLiteral("\" 1234\"")));
        // The frame, with its carriage return made visible.
        QVERIFY(text.contains(QString::fromLatin1(board.state().statusFrame().chopped(1)) +
                              QStringLiteral("<CR>")));
    }

    void helpNamesEveryCommand()
    {
        const QString help = BoardConsole::helpText();
        for (const char *command : {"inputs", "meter", "temp", "freq", "relay", "bank", "show",
                                    "silence", "stuck", "reply", "garbage", "nonnumeric", "split",
                                    "hangup", "return", "delay", "help", "quit"}) {
            QVERIFY2(
                help.contains(QLatin1String("\n  ") + QLatin1String(command) + QLatin1Char(' ')),
                command);
        }
    }

    void quitAsksToEnd()
    {
        PtyBoard board;
        BoardConsole console(board);
        QVERIFY(console.run(QStringLiteral("quit")).quit);
        QVERIFY(!console.run(QStringLiteral("show")).quit);
    }
};

TARNWICK_TEST_MAIN(TestBoardConsole)
#include "tst_boardconsole.moc"
