#include "CommandFrames.h"
#include "TestMain.h"

class TestCommandFrames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void relayFrames_data()
    {
        QTest::addColumn<char>("bank");
        QTest::addColumn<int>("position");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("R1") << 'A' << 0 << QByteArray::fromHex("244130010D");
        QTest::newRow("R8") << 'A' << 7 << QByteArray::fromHex("244130800D");
        QTest::newRow("R15") << 'B' << 6 << QByteArray::fromHex("244230400D");
        QTest::newRow("R16") << 'B' << 7 << QByteArray::fromHex("244230800D");
        QTest::newRow("R19") << 'C' << 2 << QByteArray::fromHex("244330040D");
        QTest::newRow("R64") << 'H' << 7 << QByteArray::fromHex("244830800D");
    }
    void relayFrames()
    {
        QFETCH(char, bank);
        QFETCH(int, position);
        QFETCH(QByteArray, bytes);
        QCOMPARE(MakeRelayFrame(bank, position), bytes);
    }

    void everyRelayFrameCarriesOneBit()
    {
        for (char bank : CommandFrames::bankLetters) {
            for (int position = 0; position < CommandFrames::relaysPerBank; ++position) {
                const QByteArray frame = MakeRelayFrame(bank, position);
                QCOMPARE(frame.size(), 5);
                QCOMPARE(frame.at(0), '$');
                QCOMPARE(frame.at(1), bank);
                QCOMPARE(frame.at(2), '0');
                QCOMPARE(quint8(frame.at(3)), quint8(1u << position));
                QCOMPARE(frame.at(4), '\r');
            }
        }
    }

    void statusRequest()
    {
        QCOMPARE(CommandFrames::statusRequest(), QByteArray::fromHex("243B3B3B0D"));
    }

    void analogOutputFrames_data()
    {
        QTest::addColumn<int>("output");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("bytes");
        // The argument is raw: equal to the end byte, the start byte or zero, it stays one byte.
        QTest::newRow("output 1 at 13") << 1 << 13 << QByteArray::fromHex("2449490D0D");
        QTest::newRow("output 2 at 0") << 2 << 0 << QByteArray::fromHex("244A4A000D");
        QTest::newRow("output 1 at 255") << 1 << 255 << QByteArray::fromHex("244949FF0D");
        QTest::newRow("output 2 at 36") << 2 << 36 << QByteArray::fromHex("244A4A240D");
    }
    void analogOutputFrames()
    {
        QFETCH(int, output);
        QFETCH(int, value);
        QFETCH(QByteArray, bytes);
        QCOMPARE(CommandFrames::analogOutputFrame(output, quint8(value)), bytes);
    }
};

TARNWICK_TEST_MAIN(TestCommandFrames)
#include "tst_commandframes.moc"
