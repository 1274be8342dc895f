#include "StatusFrame.h"
#include "TestMain.h"

namespace {

// A frame with every field at its place: banks 1..8, meters 10..15, inputs 130, 75 F.
QByteArray sampleFrame()
{
    QByteArray frame(StatusFrame::length, ',');
    auto put = [&frame](StatusFrame::Field field, const char *text) {
        frame.replace(field.position - 1, field.width, text);
    };
    const char *banks[] = {"001", "002", "003", "004", "005", "006", "007", "008"};
    for (int bank = 0; bank < 8; ++bank)
        put(StatusFrame::relayBanks[bank], banks[bank]);
    const char *meters[] = {"010", "011", "012", "013", "014", "015"};
    for (int m = 0; m < 6; ++m)
        put(StatusFrame::meters[m], meters[m]);
    put(StatusFrame::inputs, "130");
    put(StatusFrame::temperature, "075");
    put(StatusFrame::frequency, " 1234");
    frame[69] = '\r';
    return frame;
}

} // namespace

class TestStatusFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fieldsSitAtTheirPositions()
    {
        // Written out by position, as the board lays the frame out.
        const QByteArray frame =
            "001,002,003,004,005,006,007,008,,010,011,012013,014,015,130,075, 1234\r";
        QCOMPARE(frame.size(), StatusFrame::length);
        QCOMPARE(frame, sampleFrame());
        for (int bank = 0; bank < 8; ++bank)
            QCOMPARE(StatusFrame::readNumber(frame, StatusFrame::relayBanks[bank]), bank + 1);
        for (int m = 0; m < 6; ++m)
            QCOMPARE(StatusFrame::readNumber(frame, StatusFrame::meters[m]), 10 + m);
        QCOMPARE(StatusFrame::readNumber(frame, StatusFrame::inputs), 130);
        QCOMPARE(StatusFrame::readNumber(frame, StatusFrame::temperature), 75);
        QCOMPARE(StatusFrame::frequencyText(frame), QStringLiteral(" 1234"));
    }

    void readNumber_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("reads");
        QTest::newRow("zeros") << QByteArray("000") << 0 << true;
        QTest::newRow("leading zeros") << QByteArray("005") << 5 << true;
        QTest::newRow("full") << QByteArray("255") << 255 << true;
        QTest::newRow("above a byte") << QByteArray("300") << 300 << true;
        QTest::newRow("leading blanks") << QByteArray("  7") << 7 << true;
        QTest::newRow("minus") << QByteArray("-12") << -12 << true;
        QTest::newRow("blank then minus") << QByteArray(" -5") << -5 << true;
        QTest::newRow("plus") << QByteArray("+12") << 12 << true;
        QTest::newRow("letter") << QByteArray("x05") << 0 << false;
        QTest::newRow("letter inside") << QByteArray("0x5") << 0 << false;
        QTest::newRow("trailing blank") << QByteArray("12 ") << 0 << false;
        QTest::newRow("all blanks") << QByteArray("   ") << 0 << false;
        QTest::newRow("sign alone") << QByteArray("  -") << 0 << false;
        QTest::newRow("two signs") << QByteArray("--1") << 0 << false;
        QTest::newRow("decimal point") << QByteArray("1.5") << 0 << false;
        QTest::newRow("NUL byte") << QByteArray("0\0"
                                                "1",
                                                3)
                                  << 0 << false;
        QTest::newRow("high byte") << QByteArray("\xB9"
                                                 "01")
                                   << 0 << false;
    }
    void readNumber()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, expected);
        QFETCH(bool, reads);
        QByteArray frame = sampleFrame();
        frame.replace(StatusFrame::inputs.position - 1, 3, field);
        QCOMPARE(frame.size(), StatusFrame::length);
        const std::optional<int> value = StatusFrame::readNumber(frame, StatusFrame::inputs);
        QCOMPARE(value.has_value(), reads);
        if (reads)
            QCOMPARE(*value, expected);
    }

    void fieldBeyondTheEndDoesNotRead()
    {
        QVERIFY(!StatusFrame::readNumber("001,", StatusFrame::relayBanks[1]));
        QVERIFY(!StatusFrame::readNumber({}, StatusFrame::relayBanks[0]));
        QCOMPARE(StatusFrame::frequencyText("short"), QString());
    }

    void temperature_data()
    {
        QTest::addColumn<int>("fahrenheit");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("celsius");
        QTest::newRow("075") << 75 << "75F"
                             << "23C";
        QTest::newRow("032") << 32 << "32F"
                             << "0C";
        QTest::newRow("000") << 0 << "0F"
                             << "-18C";
        QTest::newRow("212") << 212 << "212F"
                             << "100C";
        QTest::newRow("-40") << -40 << "-40F"
                             << "-40C";
        QTest::newRow("033") << 33 << "33F"
                             << "0C";
        QTest::newRow("031") << 31 << "31F"
                             << "-1C";
    }
    void temperature()
    {
        QFETCH(int, fahrenheit);
        QFETCH(QString, plain);
        QFETCH(QString, celsius);
        QCOMPARE(StatusFrame::temperatureText(fahrenheit, false), plain);
        QCOMPARE(StatusFrame::temperatureText(fahrenheit, true), celsius);
    }

    void frequencyKeepsItsCharacters_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("leading blank") << QByteArray(" 1234");
        QTest::newRow("leading zero") << QByteArray("01234");
        QTest::newRow("anything") << QByteArray("ab.c ");
    }
    void frequencyKeepsItsCharacters()
    {
        QFETCH(QByteArray, field);
        QByteArray frame = sampleFrame();
        frame.replace(StatusFrame::frequency.position - 1, 5, field);
        QCOMPARE(StatusFrame::frequencyText(frame), QString::fromLatin1(field));
    }

    void textKeepsEveryByte()
    {
        QByteArray bytes;
        for (int b = 0; b < 256; ++b)
            bytes.append(char(b));
        const QString text = StatusFrame::text(bytes);
        QCOMPARE(text.size(), 256);
        for (int b = 0; b < 256; ++b)
            QCOMPARE(text.at(b).unicode(), char16_t(b));
    }
};

TARNWICK_TEST_MAIN(TestStatusFrame)
#include "tst_statusframe.moc"
