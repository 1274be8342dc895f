#include "AGauge.h"
#include "MonitorFixture.h"
#include "TestMain.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 red = 3289800;   // OffColor
constexpr quint32 green = 3328050; // OnColor

// A monitor that has started on an open port and shown one frame, so commands pass the
// guard. Each poll() hands the window one reply and runs a tick.
struct Running : MonitorFixture
{
    explicit Running(const std::function<void(Running &)> &before = {})
    {
        if (before)
            before(*this);
        load();
        poll(FrameBuilder{}.frame());
    }
    void poll(const QByteArray &reply)
    {
        port.receive(reply);
        port.clearLog();
        window->poll().Timer1_Timer();
    }
    // Lets the resume timer's tick run, as the event loop would.
    void resume() { window->poll().Timer3_Timer(); }
    quint32 lamp(int k) const { return MonitorLayout::backColor(child(u"LblStatus_%1"_s.arg(k))); }
    AGauge *gauge(int m) const { return child<AGauge>(u"AGauge1_%1"_s.arg(m)); }
    QStringList writes() const
    {
        QStringList hex;
        for (const QByteArray &bytes : port.writes())
            hex << FakeSerialPort::hex(bytes);
        return hex;
    }
    void click(const QString &name) { child<QAbstractButton>(name)->click(); }
};

const QString request = u"24 3B 3B 3B 0D"_s;

} // namespace

class TestMonitorControls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void inputLamps_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("litMask");
        QTest::newRow("000") << QByteArray("000") << 0x00;
        QTest::newRow("255") << QByteArray("255") << 0xFF;
        QTest::newRow("001") << QByteArray("001") << 0x01;
        QTest::newRow("130") << QByteArray("130") << 0x82;
        QTest::newRow("300") << QByteArray("300") << 0xFF;
        QTest::newRow("-05") << QByteArray("-05") << 0x00;
    }
    void inputLamps()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, litMask);
        Running f;
        FrameBuilder frame;
        frame.inputs = field;
        f.poll(frame.frame());
        for (int k = 0; k < 8; ++k)
            QCOMPARE(f.lamp(k), (litMask >> k & 1) ? green : red);
    }

    void relayButtons_data()
    {
        QTest::addColumn<int>("bank");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("litMask");
        QTest::newRow("C 005") << 2 << QByteArray("005") << 0x05; // R17 and R19
        QTest::newRow("A 001") << 0 << QByteArray("001") << 0x01;
        QTest::newRow("A 128") << 0 << QByteArray("128") << 0x80;
        QTest::newRow("H 255") << 7 << QByteArray("255") << 0xFF;
        QTest::newRow("E 300") << 4 << QByteArray("300") << 0xFF;
        QTest::newRow("F -01") << 5 << QByteArray("-01") << 0x00;
    }
    void relayButtons()
    {
        QFETCH(int, bank);
        QFETCH(QByteArray, field);
        QFETCH(int, litMask);
        Running f;
        FrameBuilder frame;
        frame.banks[bank] = field;
        f.poll(frame.frame());
        for (int b = 0; b < 8; ++b)
            for (int p = 0; p < 8; ++p)
                QCOMPARE(f.relay(char('A' + b), p)->backColor(),
                         b == bank && (litMask >> p & 1) ? green : red);
    }

    void allOffTurnsGreenButtonsRed()
    {
        Running f;
        FrameBuilder all;
        all.banks.fill("255");
        f.poll(all.frame());
        QCOMPARE(f.relay('D', 3)->backColor(), green);
        f.poll(FrameBuilder{}.frame());
        for (char bank = 'A'; bank <= 'H'; ++bank)
            for (int p = 0; p < 8; ++p)
                QCOMPARE(f.relay(bank, p)->backColor(), red);
    }

    void needles_data()
    {
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<QString>("maximum");
        QTest::addColumn<QString>("multiplier");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<double>("needle");
        QTest::newRow("full") << u"0"_s << u"4"_s << u"1.0"_s << QByteArray("255") << 4.0;
        QTest::newRow("half") << u"0"_s << u"4"_s << u"1.0"_s << QByteArray("128")
                              << 128.0 / 255 * 4;
        QTest::newRow("zero") << u"0"_s << u"4"_s << u"1.0"_s << QByteArray("000") << 0.0;
        QTest::newRow("times 2.5") << u"0"_s << u"4"_s << u"2.5"_s << QByteArray("102") << 4.0;
        QTest::newRow("scale 10 to 20")
            << u"10"_s << u"20"_s << u"1.0"_s << QByteArray("000") << 0.0;
        QTest::newRow("above 255") << u"0"_s << u"4"_s << u"1.0"_s << QByteArray("510") << 8.0;
    }
    void needles()
    {
        QFETCH(QString, minimum);
        QFETCH(QString, maximum);
        QFETCH(QString, multiplier);
        QFETCH(QByteArray, field);
        QFETCH(double, needle);
        Running f([&](Running &r) {
            r.preset(Keys::ScaleMinGauge, minimum, 0);
            r.preset(Keys::ScaleMaxGauge, maximum, 0);
            r.preset(Keys::Multiplier, multiplier, 0);
        });
        FrameBuilder frame;
        frame.meters[0] = field;
        f.poll(frame.frame());
        QCOMPARE(f.gauge(0)->needleValue(), needle);
    }

    // A field that is not a number ends the tick where it stands.
    void partialFailures_data()
    {
        QTest::addColumn<QString>("broken");
        QTest::addColumn<int>("lampsLit");      // -1: all at the off colour
        QTest::addColumn<int>("banksDecoded");  // banks showing the new frame
        QTest::addColumn<int>("metersDecoded"); // needles moved
        QTest::newRow("input field") << u"inputs"_s << -1 << 0 << 0;
        QTest::newRow("bank D") << u"bank 3"_s << 0xFF << 3 << 0;
        QTest::newRow("channel 3") << u"meter 3"_s << 0xFF << 8 << 3;
        QTest::newRow("empty multiplier 2") << u"multiplier 2"_s << 0xFF << 8 << 2;
        QTest::newRow("text multiplier 0") << u"multiplier 0 abc"_s << 0xFF << 8 << 0;
    }
    void partialFailures()
    {
        QFETCH(QString, broken);
        QFETCH(int, lampsLit);
        QFETCH(int, banksDecoded);
        QFETCH(int, metersDecoded);
        Running f;
        // Multipliers are taken as they are stored; the seeding would refill an empty one.
        if (broken == u"multiplier 2"_s)
            f.preset(Keys::Multiplier, u""_s, 2);
        if (broken == u"multiplier 0 abc"_s)
            f.preset(Keys::Multiplier, u"abc"_s, 0);
        f.window->preferences().GetMultiplier();
        // Before: every relay on, every needle at its full scale.
        FrameBuilder before;
        before.banks.fill("255");
        before.meters.fill("255");
        before.inputs = "000";
        f.poll(before.frame());

        f.child<QAbstractSlider>(u"VScroll1"_s)->setValue(77);
        FrameBuilder after;
        after.banks.fill("255");
        after.inputs = "255";
        after.meters.fill("051");
        if (broken == u"inputs"_s)
            after.inputs = "2x5";
        if (broken == u"bank 3"_s)
            after.banks[3] = "x00";
        if (broken == u"meter 3"_s)
            after.meters[3] = "0x1";
        f.poll(after.frame());

        for (int k = 0; k < 8; ++k)
            QCOMPARE(f.lamp(k), lampsLit == -1 ? red : green);
        // Banks decoded from the new frame show it; a failing bank and those after it stay
        // reset to off. A failing input field stops the tick before the relays.
        for (int b = 0; b < 8; ++b) {
            const bool on = broken == u"inputs"_s || b < banksDecoded;
            for (int p = 0; p < 8; ++p)
                QCOMPARE(f.relay(char('A' + b), p)->backColor(), on ? green : red);
        }
        // A needle that did not move keeps the earlier frame's value; with a multiplier
        // that never read, the earlier frame could not move it either.
        const double earlier = broken.startsWith(u"multiplier"_s) ? 0.0 : 4.0;
        for (int m = 0; m < 6; ++m)
            QCOMPARE(f.gauge(m)->needleValue(), m < metersDecoded ? 0.8 : earlier);
        // The analog outputs wait for a tick that goes through.
        QCOMPARE(f.writes(), QStringList{request});
    }

    void relayButtonBytes_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("wdt");
        QTest::addColumn<QStringList>("writes");
        QTest::newRow("R1") << u"cmdRelayA_0"_s << false << QStringList{u"24 41 30 01 0D"_s};
        QTest::newRow("R64") << u"cmdRelayH_7"_s << false << QStringList{u"24 48 30 80 0D"_s};
        QTest::newRow("R16") << u"cmdRelayB_7"_s << false << QStringList{u"24 42 30 80 0D"_s};
        QTest::newRow("R16 locked") << u"cmdRelayB_7"_s << true << QStringList{};
        QTest::newRow("R15 with WDT")
            << u"cmdRelayB_6"_s << true << QStringList{u"24 42 30 40 0D"_s};
        QTest::newRow("R8 with WDT")
            << u"cmdRelayA_7"_s << true << QStringList{u"24 41 30 80 0D"_s};
    }
    void relayButtonBytes()
    {
        QFETCH(QString, button);
        QFETCH(bool, wdt);
        QFETCH(QStringList, writes);
        Running f;
        f.child<QCheckBox>(u"chkWDT"_s)->setChecked(wdt);
        f.port.clearLog();
        const quint32 before = f.child<ColorButton>(button)->backColor();
        f.click(button);
        QCOMPARE(f.writes(), writes);
        QCOMPARE(f.port.log().first(), u"clearOutput"_s);
        QVERIFY(!f.window->poll().Timer1->isActive());
        QVERIFY(f.window->poll().Timer3->isActive());
        QCOMPARE(f.child<ColorButton>(button)->backColor(), before);
    }

    void clicksWaitForTheResumeTick()
    {
        Running f;
        f.port.clearLog();
        f.click(u"cmdRelayA_0"_s);
        f.click(u"cmdRelayA_1"_s);
        QCOMPARE(f.writes(), QStringList{u"24 41 30 01 0D"_s});
        f.resume();
        f.click(u"cmdRelayA_0"_s);
        QCOMPARE(f.writes(), QStringList({u"24 41 30 01 0D"_s, u"24 41 30 01 0D"_s}));
    }

    void clickBeforeTheFirstFrameSendsNothing()
    {
        MonitorFixture f;
        f.load();
        f.port.clearLog();
        f.child<QAbstractButton>(u"cmdRelayA_0"_s)->click();
        f.child<QAbstractButton>(u"cmdMacro_0"_s)->click();
        QVERIFY(f.port.log().isEmpty());
        QVERIFY(f.window->poll().Timer1->isActive());
    }

    void macros_data()
    {
        QTest::addColumn<QString>("onList");
        QTest::addColumn<QString>("offList");
        QTest::addColumn<QByteArray>("bankA"); // the state the buttons show
        QTest::addColumn<QByteArray>("bankB");
        QTest::addColumn<QByteArray>("bankH");
        QTest::addColumn<bool>("wdt");
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<QString>("text1");
        QTest::newRow("00,09,") << u"00,09,"_s << QString() << QByteArray("000")
                                << QByteArray("002") << QByteArray("000") << false
                                << QStringList{u"24 41 30 01 0D"_s} << u"A"_s;
        QTest::newRow("off 63") << QString() << u"63"_s << QByteArray("000") << QByteArray("000")
                                << QByteArray("128") << false << QStringList{u"24 48 30 80 0D"_s}
                                << u"H"_s;
        QTest::newRow("05,05,") << u"05,05,"_s << QString() << QByteArray("000")
                                << QByteArray("000") << QByteArray("000") << false
                                << QStringList{u"24 41 30 20 0D"_s, u"24 41 30 20 0D"_s} << u"A"_s;
        QTest::newRow("both lists, off")
            << u"02,"_s << u"02,"_s << QByteArray("000") << QByteArray("000") << QByteArray("000")
            << false << QStringList{u"24 41 30 04 0D"_s} << u"A"_s;
        QTest::newRow("both lists, on")
            << u"02,"_s << u"02,"_s << QByteArray("004") << QByteArray("000") << QByteArray("000")
            << false << QStringList{u"24 41 30 04 0D"_s} << u"A"_s;
        QTest::newRow("01 02 03") << u"01 02 03"_s << QString() << QByteArray("000")
                                  << QByteArray("000") << QByteArray("000") << false
                                  << QStringList{u"24 41 30 08 0D"_s} << u"A"_s;
        QTest::newRow("64,99,") << u"64,99,"_s << QString() << QByteArray("000")
                                << QByteArray("000") << QByteArray("000") << false << QStringList{}
                                << QString();
        QTest::newRow("-1,") << u"-1,"_s << QString() << QByteArray("000") << QByteArray("000")
                             << QByteArray("000") << false << QStringList{} << QString();
        QTest::newRow("WDT 15,") << u"15,"_s << QString() << QByteArray("000") << QByteArray("000")
                                 << QByteArray("000") << true << QStringList{u"24 42 30 80 0D"_s}
                                 << u"B"_s;
        QTest::newRow("nine fields")
            << u"00,01,02,03,04,05,06,07,08,"_s << QString() << QByteArray("000")
            << QByteArray("000") << QByteArray("000") << false
            << QStringList{u"24 41 30 01 0D"_s, u"24 41 30 02 0D"_s, u"24 41 30 04 0D"_s,
                           u"24 41 30 08 0D"_s, u"24 41 30 10 0D"_s, u"24 41 30 20 0D"_s,
                           u"24 41 30 40 0D"_s, u"24 41 30 80 0D"_s, u"24 42 30 01 0D"_s}
            << u"B"_s;
    }
    void macros()
    {
        QFETCH(QString, onList);
        QFETCH(QString, offList);
        QFETCH(QByteArray, bankA);
        QFETCH(QByteArray, bankB);
        QFETCH(QByteArray, bankH);
        QFETCH(bool, wdt);
        QFETCH(QStringList, writes);
        QFETCH(QString, text1);
        Running f;
        FrameBuilder state;
        state.banks[0] = bankA;
        state.banks[1] = bankB;
        state.banks[7] = bankH;
        f.poll(state.frame());
        f.child<QCheckBox>(u"chkWDT"_s)->setChecked(wdt);
        // The lists are read from the store at the click.
        f.preset(Keys::OnString, onList, 4);
        f.preset(Keys::OffString, offList, 4);
        f.port.clearLog();
        f.click(u"cmdMacro_4"_s);
        QCOMPARE(f.writes(), writes);
        QCOMPARE(f.child<QLineEdit>(u"Text1"_s)->text(), text1);
        QVERIFY(f.window->poll().Timer3->isActive());
        QCOMPARE(f.child<ColorButton>(u"cmdMacro_4"_s)->backColor(), 16761024u);
    }

    void macroShowsItsWalkInTheDebugStrip()
    {
        Running f;
        f.preset(Keys::OnString, u"00,09,"_s, 0);
        f.click(u"cmdMacro_0"_s);
        QCOMPARE(f.child<QLineEdit>(u"Text2_0"_s)->text(), u"09,"_s);
        QCOMPARE(f.child<QLineEdit>(u"Text2_1"_s)->text(), QString());
    }

    void command1SplitsText1_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("07,15,") << u"07,15,"_s << QStringList{u"7"_s, u"15"_s};
        QTest::newRow("123") << u"123"_s << QStringList{u"12"_s};
        QTest::newRow("eight fields")
            << u"01,02,03,04,05,06,07,08,"_s
            << QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s};
    }
    void command1SplitsText1()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, shown);
        MonitorFixture f;
        f.load();
        f.port.clearLog();
        f.child<QLineEdit>(u"Text1"_s)->setText(text);
        f.child<QPushButton>(u"Command1"_s)->click();
        for (int slot = 0; slot < shown.size(); ++slot)
            QCOMPARE(f.child<QLineEdit>(u"Text2_%1"_s.arg(slot))->text(), shown[slot]);
        QVERIFY(f.port.log().isEmpty());
    }

    void sliders_data()
    {
        QTest::addColumn<QString>("slider");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("frame");
        QTest::newRow("1 at the top")
            << u"VScroll1"_s << 255 << u"Label10"_s << u"5.00"_s << u"24 49 49 FF 0D"_s;
        QTest::newRow("2 at the bottom")
            << u"VScroll2"_s << 0 << u"Label11"_s << u"0.00"_s << u"24 4A 4A 00 0D"_s;
        QTest::newRow("13") << u"VScroll1"_s << 13 << u"Label10"_s << u"0.25"_s
                            << u"24 49 49 0D 0D"_s;
        QTest::newRow("128") << u"VScroll2"_s << 128 << u"Label11"_s << u"2.51"_s
                             << u"24 4A 4A 80 0D"_s;
    }
    void sliders()
    {
        QFETCH(QString, slider);
        QFETCH(int, value);
        QFETCH(QString, label);
        QFETCH(QString, level);
        QFETCH(QString, frame);
        Running f([](Running &r) { r.preset(Keys::Aout2, u"5"_s); });
        f.poll(FrameBuilder{}.frame()); // sends what the load set
        f.child<QAbstractSlider>(slider)->setValue(value);
        QCOMPARE(f.text(label), level);
        QCOMPARE(f.stored(slider == u"VScroll1"_s ? Keys::Aout1 : Keys::Aout2),
                 QString::number(value));
        QVERIFY(f.window->poll().Timer1->isActive());
        f.poll(FrameBuilder{}.frame());
        QCOMPARE(f.writes(), QStringList({request, frame}));
        f.poll(FrameBuilder{}.frame());
        QCOMPARE(f.writes(), QStringList{request});
    }

    void backAndForthBetweenPollsSendsNothing()
    {
        Running f;
        auto *slider = f.child<QAbstractSlider>(u"VScroll1"_s);
        slider->setValue(100);
        f.poll(FrameBuilder{}.frame());
        QCOMPARE(f.writes(), QStringList({request, u"24 49 49 64 0D"_s}));
        slider->setValue(101);
        slider->setValue(100);
        f.poll(FrameBuilder{}.frame());
        QCOMPARE(f.writes(), QStringList{request});
    }

    void savedValuesAtStart()
    {
        // With the stored defaults, output 1 stays where it was created (1) and is not sent;
        // output 2 moves from 0 to 1 and is sent with the first complete poll.
        MonitorFixture f;
        f.load();
        QCOMPARE(f.text(u"Label10"_s), u"0.00"_s);
        QCOMPARE(f.text(u"Label11"_s), u"0.02"_s);
        f.port.receive(FrameBuilder{}.frame());
        f.port.clearLog();
        f.window->poll().Timer1_Timer();
        QStringList writes;
        for (const QByteArray &bytes : f.port.writes())
            writes << FakeSerialPort::hex(bytes);
        QCOMPARE(writes, QStringList({request, u"24 4A 4A 01 0D"_s}));
    }

    void outputsWaitForACompleteFrame()
    {
        Running f;
        f.child<QAbstractSlider>(u"VScroll1"_s)->setValue(200);
        f.poll(FrameBuilder{}.frame().left(69));
        QCOMPARE(f.writes(), QStringList{request});
        f.poll(FrameBuilder{}.frame());
        QCOMPARE(f.writes(), QStringList({request, u"24 49 49 C8 0D"_s}));
    }
};

TARNWICK_TEST_MAIN(TestMonitorControls)
#include "tst_monitorcontrols.moc"
