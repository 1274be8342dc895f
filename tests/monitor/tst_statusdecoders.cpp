#include "StatusDecoders.h"
#include "StatusFrame.h"
#include "TestMain.h"

using StatusDecoders::Lights;

namespace {

// A complete frame: every bank, channel and the inputs "000", 75 F, frequency " 1234".
QByteArray quietFrame()
{
    QByteArray frame = "000,000,000,000,000,000,000,000,,000,000,000000,000,000,000,075, 1234\r";
    Q_ASSERT(frame.size() == StatusFrame::length);
    return frame;
}

void put(QByteArray &frame, StatusFrame::Field field, const QByteArray &text)
{
    Q_ASSERT(text.size() == field.width);
    frame.replace(field.position - 1, field.width, text);
}

// Lit lamps as a mask, bit k for lamp k, so rows can name them in one number.
int maskOf(const Lights &lights)
{
    int mask = 0;
    for (int k = 0; k < 8; ++k)
        mask |= lights[k] ? 1 << k : 0;
    return mask;
}

using Scales = std::array<double, 6>;
using Multipliers = std::array<QString, 6>;

Multipliers ones()
{
    Multipliers all;
    all.fill(QStringLiteral("1.0"));
    return all;
}

} // namespace

class TestStatusDecoders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void inputLamps_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("litMask");
        QTest::newRow("000 all off") << QByteArray("000") << 0x00;
        QTest::newRow("255 all on") << QByteArray("255") << 0xFF;
        QTest::newRow("001 Input 1") << QByteArray("001") << 0x01;
        QTest::newRow("130 Input 8 and Input 2") << QByteArray("130") << 0x82;
        QTest::newRow("128 Input 8") << QByteArray("128") << 0x80;
        QTest::newRow("127 all but Input 8") << QByteArray("127") << 0x7F;
        // Greedy from the top, not a bit test: values past a byte light everything.
        QTest::newRow("300") << QByteArray("300") << 0xFF;
        QTest::newRow("256 (bit test would give none)") << QByteArray("256") << 0xFF;
        QTest::newRow("999") << QByteArray("999") << 0xFF;
        QTest::newRow("-5 none") << QByteArray(" -5") << 0x00;
        QTest::newRow("-99 none") << QByteArray("-99") << 0x00;
        QTest::newRow("leading blanks") << QByteArray("  6") << 0x06;
    }
    void inputLamps()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, litMask);
        QByteArray frame = quietFrame();
        put(frame, StatusFrame::inputs, field);
        const StatusDecoders::InputDisplay display = StatusDecoders::decodeInputs(frame);
        QVERIFY(display.decoded);
        QCOMPARE(maskOf(display.lamps), litMask);
    }

    void inputLampsReadTheirOwnField()
    {
        // Fields around the inputs (channel 5, temperature) must not leak into the lamps.
        QByteArray frame = quietFrame();
        put(frame, StatusFrame::meters[5], "255");
        put(frame, StatusFrame::temperature, "255");
        put(frame, StatusFrame::inputs, "004");
        QCOMPARE(maskOf(StatusDecoders::decodeInputs(frame).lamps), 0x04);
    }

    void unreadableInputFieldEndsTheTickWithAllLampsOff_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("letters") << QByteArray("abc");
        QTest::newRow("blanks") << QByteArray("   ");
        QTest::newRow("point") << QByteArray("1.5");
        QTest::newRow("trailing blank") << QByteArray("12 ");
    }
    void unreadableInputFieldEndsTheTickWithAllLampsOff()
    {
        QFETCH(QByteArray, field);
        QByteArray frame = quietFrame();
        put(frame, StatusFrame::relayBanks[0], "255");
        put(frame, StatusFrame::inputs, field);
        const StatusDecoders::TickDisplay tick = StatusDecoders::decodeTick(frame, {}, ones());
        QVERIFY(!tick.inputs.decoded);
        QCOMPARE(maskOf(tick.inputs.lamps), 0);
        QVERIFY(!tick.relays);
        QVERIFY(!tick.meters);
        QVERIFY(!tick.reachesOutputs);
    }

    void relayBank_data()
    {
        QTest::addColumn<int>("bank");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("litMask");
        QTest::newRow("A 000") << 0 << QByteArray("000") << 0x00;
        QTest::newRow("A 255") << 0 << QByteArray("255") << 0xFF;
        QTest::newRow("A 001 R1") << 0 << QByteArray("001") << 0x01;
        QTest::newRow("A 128 R8") << 0 << QByteArray("128") << 0x80;
        QTest::newRow("C 005 R17 R19") << 2 << QByteArray("005") << 0x05;
        QTest::newRow("H 064 R63") << 7 << QByteArray("064") << 0x40;
        QTest::newRow("E 300") << 4 << QByteArray("300") << 0xFF;
        QTest::newRow("F 256") << 5 << QByteArray("256") << 0xFF;
        QTest::newRow("B negative") << 1 << QByteArray("-12") << 0x00;
    }
    void relayBank()
    {
        QFETCH(int, bank);
        QFETCH(QByteArray, field);
        QFETCH(int, litMask);
        QByteArray frame = quietFrame();
        put(frame, StatusFrame::relayBanks[bank], field);
        const StatusDecoders::RelayDisplay display = StatusDecoders::decodeRelays(frame);
        QVERIFY(display.decoded());
        for (int k = 0; k < 8; ++k)
            QCOMPARE(maskOf(display.banks[k]), k == bank ? litMask : 0);
    }

    void everyBankReadsItsOwnField()
    {
        const QByteArray frame =
            "001,002,004,008,016,032,064,128,,000,000,000000,000,000,000,075, 1234\r";
        const StatusDecoders::RelayDisplay display = StatusDecoders::decodeRelays(frame);
        QCOMPARE(display.banksDecoded, 8);
        for (int bank = 0; bank < 8; ++bank)
            QCOMPARE(maskOf(display.banks[bank]), 1 << bank);
    }

    void allZeroBanksTurnEveryButtonOff()
    {
        // A frame after one with every relay on: nothing of the earlier state may survive.
        QByteArray allOn = quietFrame();
        for (const StatusFrame::Field &field : StatusFrame::relayBanks)
            put(allOn, field, "255");
        QVERIFY(StatusDecoders::decodeRelays(allOn).banks[3][7]);
        const StatusDecoders::RelayDisplay display = StatusDecoders::decodeRelays(quietFrame());
        QVERIFY(display.decoded());
        for (const Lights &bank : display.banks)
            QCOMPARE(maskOf(bank), 0);
    }

    void unreadableBankStopsTheDecoderThere_data()
    {
        QTest::addColumn<int>("badBank");
        QTest::newRow("bank A") << 0;
        QTest::newRow("bank D") << 3;
        QTest::newRow("bank H") << 7;
    }
    void unreadableBankStopsTheDecoderThere()
    {
        QFETCH(int, badBank);
        QByteArray frame = quietFrame();
        for (const StatusFrame::Field &field : StatusFrame::relayBanks)
            put(frame, field, "255");
        put(frame, StatusFrame::relayBanks[badBank], "x55");
        const StatusDecoders::TickDisplay tick = StatusDecoders::decodeTick(frame, {}, ones());
        QVERIFY(tick.inputs.decoded);
        QVERIFY(tick.relays);
        QCOMPARE(tick.relays->banksDecoded, badBank);
        QVERIFY(!tick.relays->decoded());
        for (int bank = 0; bank < 8; ++bank)
            QCOMPARE(maskOf(tick.relays->banks[bank]), bank < badBank ? 0xFF : 0x00);
        QVERIFY(!tick.meters);
        QVERIFY(!tick.reachesOutputs);
    }

    void needle_data()
    {
        QTest::addColumn<double>("scaleMax");
        QTest::addColumn<QString>("multiplier");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<double>("needle");
        QTest::newRow("0..4 x1.0, 255") << 4.0 << QStringLiteral("1.0") << QByteArray("255") << 4.0;
        QTest::newRow("0..4 x1.0, 128")
            << 4.0 << QStringLiteral("1.0") << QByteArray("128") << 2.00784313725490196;
        QTest::newRow("0..4 x1.0, 000") << 4.0 << QStringLiteral("1.0") << QByteArray("000") << 0.0;
        QTest::newRow("0..4 x2.5, 102") << 4.0 << QStringLiteral("2.5") << QByteArray("102") << 4.0;
        QTest::newRow("10..20, 000 below the scale")
            << 20.0 << QStringLiteral("1.0") << QByteArray("000") << 0.0;
        QTest::newRow("10..20, 255") << 20.0 << QStringLiteral("1.0") << QByteArray("255") << 20.0;
        QTest::newRow("above 255 goes past the maximum")
            << 4.0 << QStringLiteral("1.0") << QByteArray("300") << 4.70588235294117647;
        QTest::newRow("negative field") << 5.0 << QStringLiteral("1") << QByteArray("-51") << -1.0;
        QTest::newRow("negative multiplier")
            << 10.0 << QStringLiteral("-0.5") << QByteArray("051") << -1.0;
        QTest::newRow("multiplier with exponent")
            << 1.0 << QStringLiteral("2e1") << QByteArray("051") << 4.0;
        QTest::newRow("multiplier between blanks")
            << 1.0 << QStringLiteral(" 0.5 ") << QByteArray("255") << 0.5;
    }
    void needle()
    {
        QFETCH(double, scaleMax);
        QFETCH(QString, multiplier);
        QFETCH(QByteArray, field);
        QFETCH(double, needle);
        for (int m = 0; m < 6; ++m) {
            QByteArray frame = quietFrame();
            put(frame, StatusFrame::meters[m], field);
            Scales scales{};
            scales[m] = scaleMax;
            Multipliers multipliers = ones();
            multipliers[m] = multiplier;
            const StatusDecoders::MeterDisplay display =
                StatusDecoders::decodeMeters(frame, scales, multipliers);
            QVERIFY(display.decoded());
            QCOMPARE(display.needles[m], needle);
        }
    }

    void needleIsComputedInTheWrittenOrder()
    {
        // (F / 255) x S x M rounds differently from F x S x M / 255 for these values
        // (...237 in the last digits); the needles must match the old panel's to the bit.
        QByteArray frame = quietFrame();
        put(frame, StatusFrame::meters[0], "001");
        Scales scales{3.0};
        Multipliers multipliers = ones();
        multipliers[0] = QStringLiteral("1.1");
        const double needle = StatusDecoders::decodeMeters(frame, scales, multipliers).needles[0];
        QVERIFY2(needle == 0.012941176470588235, qPrintable(QString::number(needle, 'g', 17)));
    }

    void eachMeterReadsItsOwnChannel()
    {
        // Channel 3 starts at 45, right behind channel 2: "012013" in 42-47.
        const QByteArray frame =
            "000,000,000,000,000,000,000,000,,010,011,012013,014,015,000,075, 1234\r";
        Scales scales;
        scales.fill(255.0);
        const StatusDecoders::MeterDisplay display =
            StatusDecoders::decodeMeters(frame, scales, ones());
        QCOMPARE(display.metersDecoded, 6);
        for (int m = 0; m < 6; ++m)
            QCOMPARE(display.needles[m], 10.0 + m);
    }

    void unreadableMeterStopsTheDecoderThere_data()
    {
        QTest::addColumn<int>("badMeter");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("multiplier");
        QTest::newRow("channel 3 not a number") << 3 << QByteArray("1x0") << QStringLiteral("1.0");
        QTest::newRow("channel 0 blanks") << 0 << QByteArray("   ") << QStringLiteral("1.0");
        QTest::newRow("multiplier 2 empty") << 2 << QByteArray("100") << QString();
        QTest::newRow("multiplier 0 abc") << 0 << QByteArray("100") << QStringLiteral("abc");
        QTest::newRow("multiplier 5 comma") << 5 << QByteArray("100") << QStringLiteral("1,5");
    }
    void unreadableMeterStopsTheDecoderThere()
    {
        QFETCH(int, badMeter);
        QFETCH(QByteArray, field);
        QFETCH(QString, multiplier);
        QByteArray frame = quietFrame();
        for (const StatusFrame::Field &channel : StatusFrame::meters)
            put(frame, channel, "255");
        put(frame, StatusFrame::meters[badMeter], field);
        Scales scales;
        scales.fill(2.0);
        Multipliers multipliers = ones();
        multipliers[badMeter] = multiplier;
        const StatusDecoders::TickDisplay tick =
            StatusDecoders::decodeTick(frame, scales, multipliers);
        QVERIFY(tick.inputs.decoded);
        QVERIFY(tick.relays && tick.relays->decoded());
        QVERIFY(tick.meters);
        QCOMPARE(tick.meters->metersDecoded, badMeter);
        for (int m = 0; m < badMeter; ++m)
            QCOMPARE(tick.meters->needles[m], 2.0);
        QVERIFY(!tick.reachesOutputs);
    }

    void completeFrameReachesTheOutputs()
    {
        QByteArray frame = quietFrame();
        put(frame, StatusFrame::inputs, "130");
        put(frame, StatusFrame::relayBanks[2], "005");
        put(frame, StatusFrame::meters[1], "255");
        Scales scales;
        scales.fill(4.0);
        const StatusDecoders::TickDisplay tick = StatusDecoders::decodeTick(frame, scales, ones());
        QCOMPARE(maskOf(tick.inputs.lamps), 0x82);
        QVERIFY(tick.relays);
        QCOMPARE(maskOf(tick.relays->banks[2]), 0x05);
        QVERIFY(tick.meters);
        QCOMPARE(tick.meters->needles[1], 4.0);
        QVERIFY(tick.reachesOutputs);
    }

    void shortFrameDoesNotReadPastItsEnd()
    {
        // Only complete frames are decoded, but a short one must still fail quietly.
        for (const QByteArray &frame :
             {QByteArray(), quietFrame().left(58), quietFrame().left(40)}) {
            const StatusDecoders::TickDisplay tick = StatusDecoders::decodeTick(frame, {}, ones());
            QVERIFY(!tick.inputs.decoded);
            QVERIFY(!tick.reachesOutputs);
        }
        const StatusDecoders::RelayDisplay relays = StatusDecoders::decodeRelays("001,002,0");
        QCOMPARE(relays.banksDecoded, 2);
        const StatusDecoders::MeterDisplay meters =
            StatusDecoders::decodeMeters(quietFrame().left(44), {}, ones());
        QCOMPARE(meters.metersDecoded, 3);
    }
};

TARNWICK_TEST_MAIN(TestStatusDecoders)
#include "tst_statusdecoders.moc"
