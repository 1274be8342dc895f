#include "FrameReader.h"
#include "TestMain.h"

#include <QObject>
#include <QTest>

// Cutting the panel's byte stream into five-byte frames.
class TestFrameReader : public QObject
{
    Q_OBJECT

private:
    struct Outcome
    {
        QList<QByteArray> frames;
        qint64 discarded = 0;
        qsizetype pending = 0;
    };

    static Outcome feedInPieces(const QByteArray &stream, const QList<qsizetype> &cuts)
    {
        FrameReader reader;
        Outcome outcome;
        qsizetype from = 0;
        QList<qsizetype> ends = cuts;
        ends.append(stream.size());
        for (const qsizetype to : ends) {
            outcome.frames += reader.feed(QByteArrayView(stream).sliced(from, to - from));
            from = to;
        }
        outcome.discarded = reader.discardedBytes();
        outcome.pending = reader.pendingBytes();
        return outcome;
    }

private Q_SLOTS:
    void frames_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QList<QByteArray>>("frames");
        QTest::addColumn<int>("garbage");
        QTest::addColumn<int>("pending");

        const QByteArray request("$;;;\r");
        const QByteArray relayA("$A0\x01\r");
        const QByteArray argumentCr("$II\r\r", 5);
        const QByteArray argumentDollar("$JJ$\r", 5);
        const QByteArray argumentZero("$JJ\0\r", 5);

        QTest::newRow("one frame") << request << QList<QByteArray>{request} << 0 << 0;
        QTest::newRow("argument 0x0D") << argumentCr << QList<QByteArray>{argumentCr} << 0 << 0;
        QTest::newRow("argument 0x24")
            << argumentDollar << QList<QByteArray>{argumentDollar} << 0 << 0;
        QTest::newRow("argument 0x00") << argumentZero << QList<QByteArray>{argumentZero} << 0 << 0;
        QTest::newRow("argument 0x0D then a request")
            << argumentCr + request << QList<QByteArray>{argumentCr, request} << 0 << 0;
        QTest::newRow("argument 0x24 then a request")
            << argumentDollar + request << QList<QByteArray>{argumentDollar, request} << 0 << 0;
        QTest::newRow("three frames back to back")
            << relayA + argumentZero + request << QList<QByteArray>{relayA, argumentZero, request}
            << 0 << 0;
        QTest::newRow("garbage before") << "xyz" + relayA << QList<QByteArray>{relayA} << 3 << 0;
        QTest::newRow("garbage between")
            << relayA + "\r\n" + request << QList<QByteArray>{relayA, request} << 2 << 0;
        QTest::newRow("stray $ before a frame")
            << "$" + relayA << QList<QByteArray>{relayA} << 1 << 0;
        QTest::newRow("stray $ before a frame whose argument is $")
            << "$" + argumentDollar << QList<QByteArray>{argumentDollar} << 1 << 0;
        QTest::newRow("candidate without its CR, then a frame")
            << QByteArray("$A0\x01X") + request << QList<QByteArray>{request} << 5 << 0;
        QTest::newRow("frame starting inside a false candidate")
            << QByteArray("$X") + relayA << QList<QByteArray>{relayA} << 2 << 0;
        QTest::newRow("only garbage") << QByteArray("\r\r\r;;;A0") << QList<QByteArray>{} << 8 << 0;
        QTest::newRow("incomplete frame waits")
            << QByteArray("$A0") << QList<QByteArray>{} << 0 << 3;
        QTest::newRow("frame then incomplete one")
            << request + "$I" << QList<QByteArray>{request} << 0 << 2;
        QTest::newRow("empty") << QByteArray() << QList<QByteArray>{} << 0 << 0;
    }

    // The result must not depend on how the stream is cut into pieces by the line.
    void frames()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QList<QByteArray>, frames);
        QFETCH(int, garbage);
        QFETCH(int, pending);

        auto check = [&](const Outcome &outcome, const QString &how) {
            QVERIFY2(outcome.frames == frames, qPrintable(how));
            QVERIFY2(outcome.discarded == garbage, qPrintable(how));
            QVERIFY2(outcome.pending == pending, qPrintable(how));
        };

        check(feedInPieces(stream, {}), QStringLiteral("whole"));
        if (QTest::currentTestFailed())
            return;

        QList<qsizetype> everyByte;
        for (qsizetype at = 1; at < stream.size(); ++at)
            everyByte.append(at);
        check(feedInPieces(stream, everyByte), QStringLiteral("byte by byte"));
        if (QTest::currentTestFailed())
            return;

        for (qsizetype at = 1; at < stream.size(); ++at) {
            check(feedInPieces(stream, {at}), QStringLiteral("cut at %1").arg(at));
            if (QTest::currentTestFailed())
                return;
        }
    }

    void clearForgetsAPartialFrame()
    {
        FrameReader reader;
        QVERIFY(reader.feed("xx$A0").isEmpty());
        reader.clear();
        QCOMPARE(reader.pendingBytes(), 0);
        QCOMPARE(reader.discardedBytes(), 0);
        // The tail of the old frame alone is not a frame.
        QVERIFY(reader.feed("\x01\r").isEmpty());
        QCOMPARE(reader.feed("$;;;\r"), QList<QByteArray>{QByteArray("$;;;\r")});
    }
};

TARNWICK_TEST_MAIN(TestFrameReader)
#include "tst_framereader.moc"
