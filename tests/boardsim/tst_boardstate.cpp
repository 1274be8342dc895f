#include "BoardState.h"
#include "ChangingState.h"
#include "StatusField.h"
#include "TestMain.h"

#include <QObject>
#include <QTest>
#include <vector>

Q_DECLARE_METATYPE(BoardState)

// The board's status frame layout and how it applies command frames, without any I/O.
class TestBoardState : public QObject
{
    Q_OBJECT

private:
    // Every field holds a value of its own, so a field written at the wrong place shows.
    static BoardState sampleState()
    {
        BoardState state;
        const quint8 banks[] = {1, 23, 45, 67, 89, 123, 200, 255};
        for (int bank = 0; bank < 8; ++bank)
            state.setRelayBank(bank, banks[bank]);
        const int meters[] = {7, 128, 255, 300, 999, 64};
        for (int channel = 0; channel < 6; ++channel)
            state.setMeter(channel, meters[channel]);
        state.setInputs(130);
        state.setTemperature(75);
        state.setFrequency(" 1234");
        return state;
    }

private Q_SLOTS:
    void frameIsSeventyCharactersEndingInCarriageReturn_data()
    {
        QTest::addColumn<BoardState>("state");
        QTest::newRow("fresh") << BoardState();
        QTest::newRow("sample") << sampleState();
        BoardState widest;
        widest.setTemperature(-99);
        for (int channel = 0; channel < 6; ++channel)
            widest.setMeter(channel, 999);
        QTest::newRow("widest values") << widest;
    }
    void frameIsSeventyCharactersEndingInCarriageReturn()
    {
        QFETCH(BoardState, state);
        const QByteArray frame = state.statusFrame();
        QCOMPARE(frame.size(), 70);
        QCOMPARE(frame.back(), '\r');
        QCOMPARE(frame.count('\r'), 1);
    }

    void fieldAtItsPosition_data()
    {
        QTest::addColumn<int>("position"); // 1-based
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("relay bank A") << 1 << QByteArray("001");
        QTest::newRow("relay bank B") << 5 << QByteArray("023");
        QTest::newRow("relay bank C") << 9 << QByteArray("045");
        QTest::newRow("relay bank D") << 13 << QByteArray("067");
        QTest::newRow("relay bank E") << 17 << QByteArray("089");
        QTest::newRow("relay bank F") << 21 << QByteArray("123");
        QTest::newRow("relay bank G") << 25 << QByteArray("200");
        QTest::newRow("relay bank H") << 29 << QByteArray("255");
        QTest::newRow("meter 0") << 34 << QByteArray("007");
        QTest::newRow("meter 1") << 38 << QByteArray("128");
        QTest::newRow("meter 2") << 42 << QByteArray("255");
        QTest::newRow("meter 3") << 45 << QByteArray("300");
        QTest::newRow("meter 4") << 49 << QByteArray("999");
        QTest::newRow("meter 5") << 53 << QByteArray("064");
        QTest::newRow("inputs") << 57 << QByteArray("130");
        QTest::newRow("temperature") << 61 << QByteArray("075");
        QTest::newRow("frequency, leading blank kept") << 65 << QByteArray(" 1234");
    }
    void fieldAtItsPosition()
    {
        QFETCH(int, position);
        QFETCH(QByteArray, text);
        QCOMPARE(sampleState().statusFrame().mid(position - 1, text.size()), text);
    }

    void undecodedPositionsAreCommas()
    {
        const QByteArray frame = sampleState().statusFrame();
        const int commas[] = {4, 8, 12, 16, 20, 24, 28, 32, 33, 37, 41, 48, 52, 56, 60, 64};
        for (const int position : commas)
            QVERIFY2(frame[position - 1] == ',',
                     qPrintable(QStringLiteral("position %1").arg(position)));
        // Those sixteen, the carriage return and the fields account for all 70 characters.
        QCOMPARE(frame.count(','), 16);
    }

    void meterThreeFollowsMeterTwoWithoutSeparator()
    {
        BoardState state;
        state.setMeter(2, 123);
        state.setMeter(3, 456);
        QCOMPARE(state.statusFrame().mid(40, 8), QByteArray(",123456,"));
    }

    void temperatureText_data()
    {
        QTest::addColumn<int>("fahrenheit");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("75") << 75 << QByteArray("075");
        QTest::newRow("32") << 32 << QByteArray("032");
        QTest::newRow("0") << 0 << QByteArray("000");
        QTest::newRow("212") << 212 << QByteArray("212");
        QTest::newRow("999, highest") << 999 << QByteArray("999");
        QTest::newRow("-1") << -1 << QByteArray("-01");
        QTest::newRow("-5") << -5 << QByteArray("-05");
        QTest::newRow("-40") << -40 << QByteArray("-40");
        QTest::newRow("-99, lowest") << -99 << QByteArray("-99");
    }
    void temperatureText()
    {
        QFETCH(int, fahrenheit);
        QFETCH(QByteArray, text);
        BoardState state;
        QVERIFY(state.setTemperature(fahrenheit));
        const QByteArray frame = state.statusFrame();
        QCOMPARE(frame.mid(60, 3), text);
        QCOMPARE(frame.size(), 70);
    }

    void settersRefuseValuesTheFrameCannotCarry()
    {
        BoardState state = sampleState();
        const BoardState before = state;
        QVERIFY(!state.setTemperature(-100));
        QVERIFY(!state.setTemperature(1000));
        QVERIFY(!state.setMeter(0, 1000));
        QVERIFY(!state.setMeter(0, -1));
        QVERIFY(!state.setMeter(6, 1));
        QVERIFY(!state.setMeter(-1, 1));
        QVERIFY(!state.setFrequency("1234"));
        QVERIFY(!state.setFrequency("123456"));
        QVERIFY(!state.setFrequency("12\r45"));
        QVERIFY(!state.setFrequency("12\xe9"
                                    "45"));
        QVERIFY(!state.setRelayBank(8, 1));
        QVERIFY(!state.setRelayBank(-1, 1));
        QVERIFY(!state.setRelay(0, true));
        QVERIFY(!state.setRelay(65, true));
        QVERIFY(!state.setAnalogOutput(3, 1));
        QVERIFY(state == before);
        QCOMPARE(state.statusFrame(), before.statusFrame());
    }

    void relayNumberToBankAndBit_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<int>("bank");
        QTest::addColumn<int>("bits");
        QTest::newRow("R1") << 1 << 0 << 0x01;
        QTest::newRow("R8") << 8 << 0 << 0x80;
        QTest::newRow("R9") << 9 << 1 << 0x01;
        QTest::newRow("R16") << 16 << 1 << 0x80;
        QTest::newRow("R30") << 30 << 3 << 0x20;
        QTest::newRow("R64") << 64 << 7 << 0x80;
    }
    void relayNumberToBankAndBit()
    {
        QFETCH(int, relay);
        QFETCH(int, bank);
        QFETCH(int, bits);
        BoardState state;
        state.setRelayBank(bank, 0x5A & ~bits);
        QVERIFY(state.setRelay(relay, true));
        QCOMPARE(int(state.relayBank(bank)), (0x5A & ~bits) | bits);
        QVERIFY(state.relay(relay));
        QVERIFY(state.setRelay(relay, false));
        QCOMPARE(int(state.relayBank(bank)), 0x5A & ~bits);
        QVERIFY(!state.relay(relay));
    }

    void relayFrameInvertsMaskedRelays_data()
    {
        QTest::addColumn<char>("letter");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("after");
        QTest::newRow("A0 01 switches R1 on") << 'A' << 0x00 << 0x01 << 0x01;
        QTest::newRow("A0 01 switches R1 off") << 'A' << 0x01 << 0x01 << 0x00;
        QTest::newRow("B0 80, others kept") << 'B' << 0x0F << 0x80 << 0x8F;
        QTest::newRow("H0 FF inverts all") << 'H' << 0x0F << 0xFF << 0xF0;
        QTest::newRow("C0 00 changes nothing") << 'C' << 0xAA << 0x00 << 0xAA;
        QTest::newRow("E0 several bits") << 'E' << 0x30 << 0x11 << 0x21;
    }
    void relayFrameInvertsMaskedRelays()
    {
        QFETCH(char, letter);
        QFETCH(int, before);
        QFETCH(int, mask);
        QFETCH(int, after);
        const int bank = letter - 'A';
        BoardState state = sampleState();
        state.setRelayBank(bank, quint8(before));
        BoardState expected = state;
        expected.setRelayBank(bank, quint8(after));

        const char code[] = {letter, '0'};
        QByteArray frame("$");
        frame.append(code, 2).append(char(mask)).append('\r');
        QCOMPARE(state.apply(frame), FrameKind::RelayBank);
        QVERIFY(state == expected); // no other bank, nor anything else, moved
    }

    void analogOutputsRecorded()
    {
        BoardState state;
        QCOMPARE(state.analogOutput(1), std::nullopt);
        QCOMPARE(state.analogOutput(2), std::nullopt);
        const QByteArray frame = state.statusFrame();

        QCOMPARE(state.apply(QByteArray("$II\r\r", 5)), FrameKind::AnalogOutput1);
        QCOMPARE(state.analogOutput(1), std::optional<quint8>(13));
        QCOMPARE(state.analogOutput(2), std::nullopt);
        // Zero is a level like any other, distinct from "never received".
        QCOMPARE(state.apply(QByteArray("$JJ\0\r", 5)), FrameKind::AnalogOutput2);
        QCOMPARE(state.analogOutput(2), std::optional<quint8>(0));
        QCOMPARE(state.apply(QByteArray("$II\xff\r", 5)), FrameKind::AnalogOutput1);
        QCOMPARE(state.analogOutput(1), std::optional<quint8>(255));
        // The outputs are not part of the status frame.
        QCOMPARE(state.statusFrame(), frame);
    }

    void statusRequestChangesNothing()
    {
        BoardState state = sampleState();
        QCOMPARE(state.apply(QByteArray("$;;;\r")), FrameKind::StatusRequest);
        QVERIFY(state == sampleState());
    }

    void otherFramesIgnored_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("bank I") << QByteArray("$I0\x01\r");
        QTest::newRow("lower-case bank") << QByteArray("$a0\x01\r");
        QTest::newRow("A1 instead of A0") << QByteArray("$A1\x01\r");
        QTest::newRow("status code, wrong argument") << QByteArray("$;;:\r");
        QTest::newRow("IJ") << QByteArray("$IJ\x01\r");
        QTest::newRow("too short") << QByteArray("$A0\r");
        QTest::newRow("too long") << QByteArray("$A0\x01\x01\r");
        QTest::newRow("no start byte") << QByteArray("#A0\x01\r");
        QTest::newRow("no end byte") << QByteArray("$A0\x01\n");
    }
    void otherFramesIgnored()
    {
        QFETCH(QByteArray, frame);
        BoardState state = sampleState();
        QCOMPARE(state.apply(frame), FrameKind::Unknown);
        QVERIFY(state == sampleState());
    }

    // The benchmark's load is only honest if no field of the frame repeats from one reply
    // to the next, for as long as a run lasts.
    void changingStateChangesEveryFieldEachStep()
    {
        BoardState base;
        base.setAnalogOutput(1, quint8(13));
        QByteArray previous = ChangingState::at(base, 0).statusFrame();
        for (quint64 step = 1; step < 2000; ++step) {
            const BoardState state = ChangingState::at(base, step);
            QCOMPARE(state.analogOutput(1), std::optional<quint8>(13));
            const QByteArray frame = state.statusFrame();
            QCOMPARE(frame.size(), 70);
            std::vector<std::pair<int, int>> fields; // 1-based start, width
            for (const int start : StatusLayout::relayBankStart)
                fields.emplace_back(start, StatusLayout::numberWidth);
            for (const int start : StatusLayout::meterStart)
                fields.emplace_back(start, StatusLayout::numberWidth);
            fields.emplace_back(StatusLayout::inputsStart, StatusLayout::numberWidth);
            fields.emplace_back(StatusLayout::temperatureStart, StatusLayout::numberWidth);
            fields.emplace_back(StatusLayout::frequencyStart, StatusLayout::frequencyWidth);
            for (const auto &[start, width] : fields) {
                QVERIFY2(frame.mid(start - 1, width) != previous.mid(start - 1, width),
                         qPrintable(QStringLiteral("step %1, field at %2: %3")
                                        .arg(step)
                                        .arg(start)
                                        .arg(QString::fromLatin1(frame))));
            }
            for (int channel = 0; channel < BoardState::meterCount; ++channel)
                QVERIFY(state.meter(channel) >= 0 && state.meter(channel) <= 255);
            previous = frame;
        }
    }
};

TARNWICK_TEST_MAIN(TestBoardState)
#include "tst_boardstate.moc"
