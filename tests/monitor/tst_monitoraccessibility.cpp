// What assistive technology learns of the monitor window, read through QAccessible as a
// screen reader reads it: the state of each lamp and relay button, the link lamps, and the
// names of the controls that have no text of their own.
#include "AGauge.h"
#include "ColorButton.h"
#include "LampLabel.h"
#include "LinkLamp.h"
#include "MonitorAccessibility.h"
#include "MonitorFixture.h"
#include "ScreenReader.h"
#include "TestMain.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSlider>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QAccessibleInterface *accessible(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget);
}

QString description(QWidget *widget)
{
    return accessible(widget)->text(QAccessible::Description);
}

QString name(QWidget *widget)
{
    return accessible(widget)->text(QAccessible::Name);
}

// Lights for weights 1, 2, 4, ... from a bit pattern.
StatusDecoders::Lights lights(int pattern)
{
    StatusDecoders::Lights result{};
    for (int k = 0; k < 8; ++k)
        result[k] = (pattern >> k) & 1;
    return result;
}

} // namespace

class TestMonitorAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lightsAreDescribedOnOrOff_data()
    {
        QTest::addColumn<int>("inputs");
        QTest::addColumn<int>("bankA");
        QTest::addColumn<int>("bankH");
        QTest::newRow("all out") << 0x00 << 0x00 << 0x00;
        QTest::newRow("all lit") << 0xFF << 0xFF << 0xFF;
        QTest::newRow("first and last") << 0x81 << 0x01 << 0x80;
        QTest::newRow("alternate") << 0x55 << 0xAA << 0x0F;
    }
    void lightsAreDescribedOnOrOff()
    {
        QFETCH(int, inputs);
        QFETCH(int, bankA);
        QFETCH(int, bankH);
        MonitorFixture f;
        frmMonitor &window = f.load();
        StatusDecoders::TickDisplay tick;
        tick.inputs.lamps = lights(inputs);
        tick.relays.emplace();
        tick.relays->banks[0] = lights(bankA);
        tick.relays->banks[7] = lights(bankH);
        MonitorAccessibility::describeLights(window.w, tick);

        const auto word = [](int pattern, int k) {
            return (pattern >> k) & 1 ? u"on"_s : u"off"_s;
        };
        for (int k = 0; k < 8; ++k) {
            QCOMPARE(description(window.w.LblStatus[k]), word(inputs, k));
            QCOMPARE(description(window.w.cmdRelay[0][k]), word(bankA, k));
            QCOMPARE(description(window.w.cmdRelay[3][k]), u"off"_s);
            QCOMPARE(description(window.w.cmdRelay[7][k]), word(bankH, k));
        }
        // The relay buttons keep their visible caption as their name.
        QCOMPARE(name(window.w.cmdRelay[7][7]), u"R64"_s);
        QCOMPARE(name(window.w.LblStatus[2]), u"Input 3"_s);
    }

    // A screen reader announces a change of state, not of description: each relay and lamp
    // is checkable, and checked while lit, exactly as its description says. A click asks the
    // board and changes nothing until the board's frame does.
    void lightsAreCheckedWhileLit()
    {
        MonitorFixture f;
        frmMonitor &window = f.load();
        window.poll().Timer1->stop();
        QAccessible::setActive(true);
        const auto quiet = qScopeGuard([] { QAccessible::setActive(false); });
        FrameBuilder b;
        b.banks[1] = "005"; // R9 and R11
        b.banks[6] = "128"; // R56
        b.inputs = "009";   // inputs 1 and 4
        f.port.receive(b.frame());
        window.poll().Timer1_Timer();

        const auto expectLit = [&](QWidget *light, bool lit) {
            const QAccessible::State state = accessible(light)->state();
            QVERIFY2(state.checkable, qPrintable(light->objectName()));
            QVERIFY2(state.checked == lit, qPrintable(light->objectName()));
            QCOMPARE(description(light), lit ? u"on"_s : u"off"_s);
        };
        for (int bank = 0; bank < 8; ++bank)
            for (int position = 0; position < 8; ++position) {
                const int relay = 8 * bank + position + 1;
                expectLit(window.w.cmdRelay[bank][position],
                          relay == 9 || relay == 11 || relay == 56);
            }
        for (int k = 0; k < 8; ++k)
            expectLit(window.w.LblStatus[k], k == 0 || k == 3);
        // Lamps read as their caption, renamed or not.
        QCOMPARE(name(window.w.LblStatus[3]), u"Input 4"_s);

        ColorButton *r9 = window.w.cmdRelay[1][0];
        const qsizetype written = f.port.writes().size();
        r9->click();
        QCOMPARE(f.port.writes().size(), written + 1); // the board is asked...
        expectLit(r9, true); // ...and the button says "on" until the board says otherwise
        b.banks[1] = "004";
        f.port.receive(b.frame());
        window.poll().Timer1_Timer();
        expectLit(r9, false);
        expectLit(window.w.cmdRelay[1][2], true);
    }

    // Six gauges, told apart by their number, read their needle as their value; the
    // readouts are named for what they read and described by the reading.
    void gaugesAndReadoutsAreNamed()
    {
        MonitorFixture f;
        f.preset(Keys::CaptionGauge, u"Tank level"_s, 2);
        frmMonitor &window = f.load();
        window.poll().Timer1->stop();
        QAccessible::setActive(true);
        const auto quiet = qScopeGuard([] { QAccessible::setActive(false); });
        for (int m = 0; m < 6; ++m) {
            const QString caption = m == 2 ? u"Tank level"_s : u"Volts DC"_s;
            QCOMPARE(name(window.w.AGauge1[m]), u"Meter %1: %2"_s.arg(m + 1).arg(caption));
            QCOMPARE(accessible(window.w.AGauge1[m])->role(), QAccessible::Dial);
        }
        f.port.receive(sampleFrame);
        window.poll().Timer1_Timer();
        QAccessibleValueInterface *value = accessible(window.w.AGauge1[0])->valueInterface();
        QVERIFY(value);
        QCOMPARE(value->currentValue().toDouble(), window.w.AGauge1[0]->needleValue());
        QCOMPARE(name(window.w.AGauge1[0]), u"Meter 1: Volts DC"_s);

        QCOMPARE(name(window.w.LabelFreq), u"Frequency"_s);
        QCOMPARE(name(window.w.LabelTemp), u"Temperature"_s);
        QVERIFY(!window.w.LabelFreq->text().isEmpty());
        QCOMPARE(description(window.w.LabelFreq), window.w.LabelFreq->text());
        QCOMPARE(description(window.w.LabelTemp), window.w.LabelTemp->text());
    }

    // A frame without decoded relay banks leaves the buttons as the last frame described
    // them, as it leaves their colours.
    void undecodedRelaysKeepTheirDescription()
    {
        MonitorFixture f;
        frmMonitor &window = f.load();
        StatusDecoders::TickDisplay tick;
        tick.relays.emplace();
        tick.relays->banks[2] = lights(0x04);
        MonitorAccessibility::describeLights(window.w, tick);
        tick.relays.reset();
        tick.inputs.lamps = lights(0x01);
        MonitorAccessibility::describeLights(window.w, tick);
        QCOMPARE(description(window.w.cmdRelay[2][2]), u"on"_s);
        QCOMPARE(description(window.w.LblStatus[0]), u"on"_s);
    }

    // Each frame describes every light, but only a changed light gets a new description
    // (each new one sends an event to assistive technology).
    void onlyChangesAreDescribedAgain()
    {
        MonitorFixture f;
        frmMonitor &window = f.load();
        StatusDecoders::TickDisplay tick;
        tick.relays.emplace();
        QCOMPARE(MonitorAccessibility::describeLights(window.w, tick), 72); // all "off"
        QCOMPARE(MonitorAccessibility::describeLights(window.w, tick), 0);
        tick.inputs.lamps[5] = true;
        tick.relays->banks[4][1] = true;
        QCOMPARE(MonitorAccessibility::describeLights(window.w, tick), 2);
        QCOMPARE(description(window.w.LblStatus[5]), u"on"_s);
        QCOMPARE(MonitorAccessibility::describeLights(window.w, tick), 0);
        QVERIFY(!MonitorAccessibility::describeLight(window.w.cmdRelay[4][1], true));
        QVERIFY(MonitorAccessibility::describeLight(window.w.cmdRelay[4][1], false));
        QCOMPARE(description(window.w.cmdRelay[4][1]), u"off"_s);
    }

    // Frames shown while no screen reader listens describe nothing (each description is an
    // accessibility event); a reader that starts is told the lights as they show, and then
    // each change as it comes.
    void framesAreDescribedToAReaderThatListens()
    {
        MonitorFixture f;
        frmMonitor &window = f.load();
        window.poll().Timer1->stop();
        const auto show = [&](const QByteArray &frame) {
            f.port.receive(frame);
            window.poll().Timer1_Timer();
        };
        FrameBuilder b;
        b.banks[0] = "001";
        b.inputs = "002";
        show(b.frame());
        QVERIFY(!ScreenReader::listening());
        QCOMPARE(description(window.w.cmdRelay[0][0]), QString());

        QAccessible::setActive(true);
        const auto quiet = qScopeGuard([] { QAccessible::setActive(false); });
        QCOMPARE(description(window.w.cmdRelay[0][0]), u"on"_s);
        QCOMPARE(description(window.w.cmdRelay[0][1]), u"off"_s);
        QCOMPARE(description(window.w.LblStatus[1]), u"on"_s);

        b.banks[0] = "002";
        show(b.frame());
        QCOMPARE(description(window.w.cmdRelay[0][0]), u"off"_s);
        QCOMPARE(description(window.w.cmdRelay[0][1]), u"on"_s);

        // Inputs that do not read put every lamp out and leave the relays as they were.
        b.inputs = "x02";
        b.banks[0] = "000";
        show(b.frame());
        QCOMPARE(description(window.w.LblStatus[1]), u"off"_s);
        QCOMPARE(description(window.w.cmdRelay[0][1]), u"on"_s);
    }

    // The lamps beside "Connect" are named by it and described by the link's state, the
    // text of their tooltip.
    void linkLampsHaveNameAndState()
    {
        MonitorFixture f;
        frmMonitor &window = f.load();
        for (LinkLamp *lamp : {window.w.Picture2, window.w.Picture5}) {
            QCOMPARE(name(lamp), u"Connect"_s);
            QVERIFY(!lamp->toolTip().isEmpty());
            QCOMPARE(description(lamp), lamp->toolTip());
        }
    }

    void checkBoxesAreLabelledByTheirCaption_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Deg C") << u"Check4"_s << u"Label7"_s << u"Deg C"_s;
        QTest::newRow("On Top") << u"chkOnTop"_s << u"Label8"_s << u"On Top"_s;
        QTest::newRow("WDT") << u"chkWDT"_s << u"Label3"_s << u"WDT"_s;
    }
    void checkBoxesAreLabelledByTheirCaption()
    {
        QFETCH(QString, box);
        QFETCH(QString, label);
        QFETCH(QString, caption);
        MonitorFixture f;
        f.load();
        auto *check = f.child<QCheckBox>(box);
        auto *captionLabel = f.child<QLabel>(label);
        QCOMPARE(captionLabel->buddy(), check);
        QCOMPARE(name(check), caption);
        const auto labels = accessible(check)->relations(QAccessible::Label);
        QVERIFY(std::any_of(labels.cbegin(), labels.cend(), [&](const auto &relation) {
            return relation.first->object() == captionLabel;
        }));
    }

    // Each analog output's slider is named by the output's name, and follows it.
    void analogSlidersAreNamedByTheirOutput_data()
    {
        QTest::addColumn<QString>("slider");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("seeded");
        QTest::newRow("output 1") << u"VScroll1"_s << u"Label9"_s << u"An Out 1"_s;
        QTest::newRow("output 2") << u"VScroll2"_s << u"Label12"_s << u"An Out 2"_s;
    }
    void analogSlidersAreNamedByTheirOutput()
    {
        QFETCH(QString, slider);
        QFETCH(QString, label);
        QFETCH(QString, seeded);
        MonitorFixture f;
        f.load();
        auto *bar = f.child<QSlider>(slider);
        QCOMPARE(name(bar), seeded);
        f.child<QLabel>(label)->setText(u"Pump speed"_s);
        QCOMPARE(name(bar), u"Pump speed"_s);
    }

    void debugStripBoxesHaveNames_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Text1") << u"Text1"_s << u"Relay list"_s;
        for (int i = 0; i < 6; ++i)
            QTest::addRow("Text2_%d", i) << u"Text2_%1"_s.arg(i) << u"Field %1"_s.arg(i + 1);
    }
    void debugStripBoxesHaveNames()
    {
        QFETCH(QString, box);
        QFETCH(QString, expected);
        MonitorFixture f;
        f.load();
        QCOMPARE(name(f.child<QLineEdit>(box)), expected);
    }
};

TARNWICK_TEST_MAIN(TestMonitorAccessibility)
#include "tst_monitoraccessibility.moc"
