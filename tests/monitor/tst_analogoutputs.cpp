#include "AnalogOutputs.h"
#include "TestMain.h"

using AnalogOutputs::Output;

class TestAnalogOutputs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void levelText_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("bottom") << 0 << QStringLiteral("0.00");
        QTest::newRow("51") << 51 << QStringLiteral("1.00");
        QTest::newRow("128") << 128 << QStringLiteral("2.51");
        QTest::newRow("top") << 255 << QStringLiteral("5.00");
        QTest::newRow("1 rounds up") << 1 << QStringLiteral("0.02");
        QTest::newRow("5 carries into the tenths") << 5 << QStringLiteral("0.10");
        QTest::newRow("13") << 13 << QStringLiteral("0.25");
        QTest::newRow("50 carries into the units") << 50 << QStringLiteral("0.98");
        QTest::newRow("101") << 101 << QStringLiteral("1.98");
        QTest::newRow("254") << 254 << QStringLiteral("4.98");
        QTest::newRow("negative") << -51 << QStringLiteral("-1.00");
    }
    void levelText()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(AnalogOutputs::levelText(value), text);
    }

    void levelTextMatchesTheNearestHundredthEverywhere()
    {
        // No value of the slider is within a rounding error of a half: the text is the
        // nearest hundredth, from the exact quotient.
        for (int value = 0; value <= 255; ++value) {
            const QString text = AnalogOutputs::levelText(value);
            QCOMPARE(text.size(), 4);
            const double shown = text.toDouble();
            QVERIFY2(qAbs(shown - value / 51.0) <= 0.005, qPrintable(text));
        }
    }

    void nothingIsSentAtStart()
    {
        Output output1(1);
        Output output2(2);
        QCOMPARE(output1.pending(), QString());
        QCOMPARE(output1.lastSent(), QString());
        QVERIFY(AnalogOutputs::sendingStep(output1, output2).isEmpty());
    }

    void frameForAChange_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("pending");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("output 1 at the top")
            << 1 << 255 << QStringLiteral("255") << QByteArray::fromHex("244949FF0D");
        QTest::newRow("output 2 at the bottom")
            << 2 << 0 << QStringLiteral("0") << QByteArray::fromHex("244A4A000D");
        QTest::newRow("13 equals the end byte")
            << 1 << 13 << QStringLiteral("13") << QByteArray::fromHex("2449490D0D");
        QTest::newRow("36 equals the start byte")
            << 2 << 36 << QStringLiteral("36") << QByteArray::fromHex("244A4A240D");
        QTest::newRow("above the range is pinned")
            << 1 << 300 << QStringLiteral("255") << QByteArray::fromHex("244949FF0D");
        QTest::newRow("below the range is pinned")
            << 2 << -4 << QStringLiteral("0") << QByteArray::fromHex("244A4A000D");
    }
    void frameForAChange()
    {
        QFETCH(int, number);
        QFETCH(int, value);
        QFETCH(QString, pending);
        QFETCH(QByteArray, frame);
        Output changed(number);
        Output other(3 - number);
        changed.change(value);
        QCOMPARE(changed.pending(), pending);
        const QList<QByteArray> sent = number == 1 ? AnalogOutputs::sendingStep(changed, other)
                                                   : AnalogOutputs::sendingStep(other, changed);
        QCOMPARE(sent, QList<QByteArray>{frame});
        QCOMPARE(changed.lastSent(), pending);
        // Sent once: the next tick has nothing new.
        QVERIFY(AnalogOutputs::sendingStep(changed, other).isEmpty());
    }

    void outputOneGoesFirst()
    {
        Output output1(1);
        Output output2(2);
        output2.change(7);
        output1.change(200);
        QCOMPARE(AnalogOutputs::sendingStep(output1, output2),
                 (QList<QByteArray>{QByteArray::fromHex("244949C80D"),
                                    QByteArray::fromHex("244A4A070D")}));
    }

    void onlyTheLatestValueIsSent()
    {
        Output output1(1);
        Output output2(2);
        output1.change(10);
        output1.change(20);
        output1.change(30);
        QCOMPARE(AnalogOutputs::sendingStep(output1, output2),
                 QList<QByteArray>{QByteArray::fromHex("2449491E0D")});
    }

    void movingBackToTheLastSentValueSendsNothing()
    {
        Output output1(1);
        Output output2(2);
        output1.change(100);
        QCOMPARE(AnalogOutputs::sendingStep(output1, output2).size(), 1);
        output1.change(101);
        output1.change(100);
        QVERIFY(AnalogOutputs::sendingStep(output1, output2).isEmpty());
        QCOMPARE(output1.lastSent(), QStringLiteral("100"));
    }

    void aChangeWaitsForTheNextCompleteTick()
    {
        // Ticks without a complete frame do not call the sending step; the change waits.
        Output output1(1);
        Output output2(2);
        output2.change(64);
        QCOMPARE(output2.lastSent(), QString());
        QCOMPARE(AnalogOutputs::sendingStep(output1, output2),
                 QList<QByteArray>{QByteArray::fromHex("244A4A400D")});
    }
};

TARNWICK_TEST_MAIN(TestAnalogOutputs)
#include "tst_analogoutputs.moc"
