#include "AGauge.h"
#include "FakeSerialPort.h"
#include "MemorySettingsStore.h"
#include "PreferenceHolders.h"
#include "Preferences.h"
#include "RegInit.h"
#include "TestMain.h"

#include <array>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

class FakeMacroStrings final : public MacroStringHolders
{
public:
    QString onString(int n) const override { return on.at(n); }
    void setOnString(int n, const QString &text) override { on[n] = text; }
    QString offString(int n) const override { return off.at(n); }
    void setOffString(int n, const QString &text) override { off[n] = text; }
    std::array<QString, 32> on, off;
};

// The holders as plain values, with the monitor window's initial state. Geometry is kept as
// given; the window itself is tested elsewhere.
class FakeHolders final : public PreferenceHolders, public RegInitSource
{
public:
    FakeHolders()
    {
        for (int n = 0; n < 32; ++n)
            macros[n] = u"Macro%1"_s.arg(n + 1);
        for (int k = 0; k < 8; ++k)
            inputs[k] = u"Input %1"_s.arg(k + 1);
        for (auto &gauge : gauges)
            gauge = std::make_unique<AGauge>();
    }

    float windowHeight() const override { return height; }
    void setWindowHeight(float twips) override { height = twips; }
    float windowLeft() const override { return left; }
    void setWindowLeft(float twips) override { left = twips; }
    float windowTop() const override { return top; }
    void setWindowTop(float twips) override { top = twips; }
    int tempMode() const override { return temp; }
    void setTempMode(int state) override { temp = state; }
    int onTop() const override { return topmost; }
    void setOnTop(int state) override { topmost = state; }
    QString inputName(int k) const override { return inputs.at(k); }
    void setInputName(int k, const QString &text) override { inputs[k] = text; }
    QString macroName(int n) const override { return macros.at(n); }
    void setMacroName(int n, const QString &text) override { macros[n] = text; }
    QString macroCaption(int n) const override { return macros.at(n); }
    QString inputCaption(int k) const override { return inputs.at(k); }
    QString analogOutName(int output) const override { return outNames.at(output - 1); }
    void setAnalogOutName(int output, const QString &text) override { outNames[output - 1] = text; }
    int analogOutValue(int output) const override { return outValues.at(output - 1); }
    void setAnalogOutValue(int output, int value) override { outValues[output - 1] = value; }
    QString mtrResponse() const override { return response; }
    void setMtrResponse(const QString &text) override { response = text; }
    SerialPort &serialPort() override { return port; }
    AGauge &gauge(int m) override { return *gauges.at(m); }
    MacroStringHolders *macroStrings() override
    {
        if (!strings && createStrings)
            createStrings();
        return strings.get();
    }

    float height = 5240, left = 3000, top = 1500;
    int temp = 0, topmost = 0;
    std::array<QString, 32> macros;
    std::array<QString, 8> inputs;
    std::array<QString, 2> outNames{u"Out 1"_s, u"Out 2"_s};
    std::array<int, 2> outValues{1, 0};
    QString response;
    FakeSerialPort port;
    std::array<std::unique_ptr<AGauge>, 6> gauges;
    std::unique_ptr<FakeMacroStrings> strings;
    std::function<void()> createStrings;
};

struct Fixture
{
    MemorySettingsStore store;
    FakeHolders holders;
    Preferences preferences{store, holders};

    void seed() { RegInit(store, holders); }
    void preset(SettingsKey key, const QString &value, int index = -1)
    {
        store.preset(SettingsKeys::application, SettingsKeys::section,
                     SettingsKeys::keyName(key, index), value);
    }
    QString stored(SettingsKey key, int index = -1) const
    {
        return store.read(SettingsKeys::application, SettingsKeys::section,
                          SettingsKeys::keyName(key, index));
    }
    // The annular's start, end and colour.
    std::tuple<double, double, quint32> band(int m, int annular)
    {
        AGauge &gauge = holders.gauge(m);
        gauge.setCurrentAnnular(annular);
        return {gauge.annularStart(), gauge.annularEnd(), gauge.annularColor()};
    }
};

using Band = std::tuple<double, double, quint32>;

// What a key holds after a start with `text` stored in it (index 0 of an indexed key) and a
// save-all.
QString savedAfterLoad(SettingsKey key, const QString &text)
{
    const int index = SettingsKeys::row(key).range == KeyRange::None ? -1 : 0;
    Fixture f;
    f.seed();
    f.preset(key, text, index);
    f.preferences.GetPreferences();
    f.preferences.SaveSettings();
    return f.stored(key, index);
}

// The save-all's order, written out independently of the code under test.
QStringList documentedSaveOrder()
{
    QStringList keys{u"Meter-ComPort"_s, u"Aout1"_s, u"Aout2"_s, u"OnTop"_s};
    for (int m = 0; m < 6; ++m) {
        for (const char *name :
             {"Start-Annular2-Gauge", "Stop-Annular2-Gauge", "Color-Annular2-Gauge",
              "Start-Annular3-Gauge", "Stop-Annular3-Gauge", "Color-Annular3-Gauge",
              "Start-Annular4-Gauge", "Stop-Annular4-Gauge", "Color-Annular4-Gauge",
              "ScaleMin-Gauge", "ScaleMax-Gauge", "TicSubCount-Gauge", "Caption-Gauge"})
            keys << QString::fromLatin1(name) + QString::number(m);
    }
    keys << u"Meter Response"_s;
    for (int n = 0; n < 32; ++n)
        keys << u"MacroName%1"_s.arg(n);
    for (int k = 0; k < 8; ++k)
        keys << u"DigStatusName%1"_s.arg(k);
    keys << u"AnalogOut1"_s << u"AnalogOut2"_s << u"Height"_s << u"Position-Left"_s
         << u"Position-Top"_s << u"Height"_s << u"TempMode"_s;
    return keys;
}

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshStart()
    {
        Fixture f;
        f.seed();
        f.preferences.GetPreferences();
        for (int m = 0; m < 6; ++m) {
            AGauge &gauge = f.holders.gauge(m);
            QCOMPARE(gauge.scaleMin(), 0.0);
            QCOMPARE(gauge.scaleMax(), 4.0);
            QCOMPARE(gauge.caption(), u"Volts DC"_s);
            QCOMPARE(f.band(m, 2), Band(0.0, 2.5, 32768u));
            QCOMPARE(f.band(m, 3), Band(2.5, 3.0, 65535u));
            QCOMPARE(f.band(m, 4), Band(3.0, 4.0, 255u));
            for (int set = 0; set < 2; ++set) {
                gauge.setCurrentTickSet(set);
                QCOMPARE(gauge.minorTickCount(), 4);
            }
            QCOMPARE(f.preferences.mtr_multiplier(m), u"1.0"_s);
        }
        for (int n = 0; n < 32; ++n)
            QCOMPARE(f.holders.macros[n], u"Macro%1"_s.arg(n + 1));
        for (int k = 0; k < 8; ++k)
            QCOMPARE(f.holders.inputs[k], u"Input %1"_s.arg(k + 1));
        QCOMPARE(f.holders.outNames, (std::array<QString, 2>{u"An Out 1"_s, u"An Out 2"_s}));
        QCOMPARE(f.holders.outValues, (std::array<int, 2>{1, 1}));
        QCOMPARE(f.holders.response, u"200"_s);
        QCOMPARE(f.holders.port.portNumber(), 1);
        QCOMPARE(f.store.flushCount(), 1); // the seeding; the load writes nothing
    }

    void saveAllOrderAndTexts()
    {
        Fixture f;
        f.seed();
        f.preferences.GetPreferences();
        f.store.clearLog();
        f.preferences.SaveSettings();

        QStringList order;
        for (const auto &save : f.store.saves())
            order << save.key;
        QCOMPARE(order, documentedSaveOrder());
        QCOMPARE(f.store.flushCount(), 1);

        QCOMPARE(f.stored(Keys::StartAnnular2Gauge, 5), u"0"_s);
        QCOMPARE(f.stored(Keys::StopAnnular2Gauge, 0), u"2.5"_s);
        QCOMPARE(f.stored(Keys::ColorAnnular3Gauge, 2), u"65535"_s);
        QCOMPARE(f.stored(Keys::ScaleMaxGauge, 1), u"4"_s);
        QCOMPARE(f.stored(Keys::TicSubCountGauge, 4), u"4"_s);
        QCOMPARE(f.stored(Keys::Height), u"5240"_s);
        QCOMPARE(f.stored(Keys::PositionLeft), u"3000"_s);
        QCOMPARE(f.stored(Keys::Aout2), u"1"_s);
        // The multipliers are not the save-all's to write.
        QVERIFY(!order.contains(u"Multiplier0"_s));
    }

    void savedValuesAsTheHoldersShowThem()
    {
        Fixture f;
        f.seed();
        f.preferences.GetPreferences();
        f.holders.height = 7200;
        f.holders.left = 1234.5f;
        f.holders.topmost = 1;
        f.holders.outValues = {255, 0};
        f.holders.port.setPortNumber(3);
        AGauge &gauge = f.holders.gauge(2);
        gauge.setScaleMax(10.0);
        gauge.setCurrentAnnular(3);
        gauge.setAnnularEnd(0.6 * 4); // 2.4000000000000004
        f.preferences.SaveSettings();
        QCOMPARE(f.stored(Keys::Height), u"7200"_s);
        QCOMPARE(f.stored(Keys::PositionLeft), u"1234.5"_s);
        QCOMPARE(f.stored(Keys::OnTop), u"1"_s);
        QCOMPARE(f.stored(Keys::Aout1), u"255"_s);
        QCOMPARE(f.stored(Keys::Aout2), u"0"_s);
        QCOMPARE(f.stored(Keys::MeterComPort), u"3"_s);
        QCOMPARE(f.stored(Keys::ScaleMaxGauge, 2), u"10"_s);
        QCOMPARE(f.stored(Keys::StopAnnular3Gauge, 2), u"2.4"_s);
    }

    void storedStartOfAnnular2IsNotRead()
    {
        Fixture f;
        f.seed();
        f.preset(Keys::StartAnnular2Gauge, u"1.5"_s, 3);
        f.preset(Keys::ScaleMinGauge, u"-2"_s, 3);
        f.preferences.GetPreferences();
        QCOMPARE(std::get<0>(f.band(3, 2)), -2.0);
    }

    void saveThenLoadReproducesTheGauges()
    {
        Fixture f;
        f.seed();
        f.preferences.GetPreferences();
        for (int m = 0; m < 6; ++m) {
            AGauge &gauge = f.holders.gauge(m);
            gauge.setScaleMin(-10.0 * m);
            gauge.setScaleMax(100.0 + m);
            gauge.setCaption(u"Meter %1 °C"_s.arg(m));
            for (int set = 0; set < 2; ++set) {
                gauge.setCurrentTickSet(set);
                gauge.setMinorTickCount(m);
            }
            for (int annular = 2; annular <= 4; ++annular) {
                gauge.setCurrentAnnular(annular);
                gauge.setAnnularStart(annular * 10.25 + m);
                gauge.setAnnularEnd(annular * 20.5 + m);
                gauge.setAnnularColor(quint32(0x010203 * (annular + m)));
            }
        }
        f.preferences.SaveSettings();

        Fixture g;
        for (const auto &save : f.store.saves())
            g.store.preset(save.application, save.section, save.key, save.value);
        g.preferences.GetPreferences();
        for (int m = 0; m < 6; ++m) {
            AGauge &gauge = g.holders.gauge(m);
            QCOMPARE(gauge.scaleMin(), -10.0 * m);
            QCOMPARE(gauge.scaleMax(), 100.0 + m);
            QCOMPARE(gauge.caption(), u"Meter %1 °C"_s.arg(m));
            for (int set = 0; set < 2; ++set) {
                gauge.setCurrentTickSet(set);
                QCOMPARE(gauge.minorTickCount(), m);
            }
            for (int annular = 2; annular <= 4; ++annular) {
                const auto [start, end, color] = g.band(m, annular);
                // Annular 2 starts at the scale minimum whatever was saved.
                QCOMPARE(start, annular == 2 ? -10.0 * m : annular * 10.25 + m);
                QCOMPARE(end, annular * 20.5 + m);
                QCOMPARE(color, quint32(0x010203 * (annular + m)));
            }
        }
    }

    void loadClosesAnOpenPort()
    {
        Fixture f;
        f.seed();
        f.preset(Keys::MeterComPort, u"7"_s);
        f.holders.port.setPortNumber(2);
        f.holders.port.open();
        f.preferences.GetPreferences();
        QVERIFY(!f.holders.port.isOpen());
        QCOMPARE(f.holders.port.portNumber(), 7);
    }

    void absentMultiplierIsEmpty()
    {
        Fixture f;
        f.preferences.GetMultiplier();
        QCOMPARE(f.preferences.mtr_multiplier(0), QString());
        f.preset(Keys::Multiplier, u" 2.50"_s, 4);
        f.preferences.GetMultiplier();
        QCOMPARE(f.preferences.mtr_multiplier(4), u" 2.50"_s);
    }

    // What the load cannot use as it stands is written back as it was, until the user
    // changes that setting.
    void notUnderstoodIsNotRewritten_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        const SettingsKey numeric[] = {Keys::Height,
                                       Keys::PositionLeft,
                                       Keys::PositionTop,
                                       Keys::TempMode,
                                       Keys::Aout1,
                                       Keys::Aout2,
                                       Keys::OnTop,
                                       Keys::MeterComPort,
                                       Keys::ScaleMaxGauge,
                                       Keys::TicSubCountGauge,
                                       Keys::ColorAnnular3Gauge};
        for (SettingsKey key : numeric) {
            for (const char *text : {"abc", "", "12abc", "1e999", "4,5", "0x10"}) {
                QTest::addRow("%s=%s", qPrintable(SettingsKeys::keyName(key, 0)), text)
                    << int(key) << QString::fromLatin1(text);
            }
        }
    }
    void notUnderstoodIsNotRewritten()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QCOMPARE(savedAfterLoad(SettingsKey(key), text), text);
    }

    // A stored number, however it is written, is written back by the number-to-text rule
    // from what its holder holds.
    void storedNumbersFollowTheNumberRule_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("saved");
        const auto row = [](SettingsKey key, const char *text, const char *saved) {
            const int index = SettingsKeys::row(key).range == KeyRange::None ? -1 : 0;
            QTest::addRow("%s=%s", qPrintable(SettingsKeys::keyName(key, index)), text)
                << int(key) << QString::fromLatin1(text) << QString::fromLatin1(saved);
        };
        row(Keys::ScaleMaxGauge, "4.0", "4");
        row(Keys::ScaleMaxGauge, "1e3", "1000");
        row(Keys::ScaleMinGauge, " -0.50 ", "-0.5");
        row(Keys::StopAnnular2Gauge, "2.50", "2.5");
        row(Keys::StartAnnular4Gauge, "+3", "3");
        row(Keys::Height, "5240.0", "5240");
        row(Keys::PositionLeft, "-5.0", "-5");
        row(Keys::PositionTop, "1.5E2", "150");
        row(Keys::MeterComPort, "01", "1");
        row(Keys::MeterComPort, "3.0", "3");
        row(Keys::Aout1, "12.0", "12");
        row(Keys::Aout1, "300", "255");
        row(Keys::Aout2, "1e308", "255");
        row(Keys::Aout2, "-5", "0");
        row(Keys::TempMode, "1.0", "1");
        row(Keys::OnTop, "0.0", "0");
        row(Keys::TicSubCountGauge, " 4 ", "4");
        row(Keys::ColorAnnular3Gauge, "65535.0", "65535");
    }
    void storedNumbersFollowTheNumberRule()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(QString, saved);
        QCOMPARE(savedAfterLoad(SettingsKey(key), text), saved);
    }

    void userChangeReplacesWhatWasNotUnderstood()
    {
        Fixture f;
        f.seed();
        f.preset(Keys::Height, u"tall"_s);
        f.preset(Keys::Aout1, u"300"_s);
        f.preferences.GetPreferences();
        QCOMPARE(f.holders.height, 5240.0f);
        QCOMPARE(f.holders.outValues[0], 255);
        f.holders.height = 7200;
        f.holders.outValues[0] = 17;
        f.preferences.SaveSettings();
        QCOMPARE(f.stored(Keys::Height), u"7200"_s);
        QCOMPARE(f.stored(Keys::Aout1), u"17"_s);
        // Changed once, the setting follows its holder from then on.
        f.holders.height = 5240;
        f.preferences.SaveSettings();
        QCOMPARE(f.stored(Keys::Height), u"5240"_s);
    }

    void outOfRangeValuesAreClamped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("slider");
        QTest::newRow("in range") << u"128"_s << 128;
        QTest::newRow("above") << u"300"_s << 255;
        QTest::newRow("huge") << u"1e308"_s << 255;
        QTest::newRow("negative") << u"-5"_s << 0;
        QTest::newRow("half to even down") << u"12.5"_s << 12;
        QTest::newRow("half to even up") << u"13.5"_s << 14;
        QTest::newRow("just above the top") << u"255.6"_s << 255;
        QTest::newRow("blanks around") << u" 42 "_s << 42;
        QTest::newRow("number and letters keep the initial value") << u"12abc"_s << 1;
        QTest::newRow("beyond a double keeps the initial value") << u"1e999"_s << 1;
        QTest::newRow("text keeps the initial value") << u"abc"_s << 1;
        QTest::newRow("empty keeps the initial value") << QString() << 1;
    }
    void outOfRangeValuesAreClamped()
    {
        QFETCH(QString, text);
        QFETCH(int, slider);
        Fixture f;
        f.seed();
        f.preset(Keys::Aout1, text);
        f.preferences.GetPreferences();
        QCOMPARE(f.holders.outValues[0], slider);
    }

    void checkStatesOtherThanZeroAndOneAreIgnored()
    {
        Fixture f;
        f.seed();
        f.preset(Keys::OnTop, u"2"_s);
        f.preset(Keys::TempMode, u"1"_s);
        f.preferences.GetPreferences();
        QCOMPARE(f.holders.topmost, 0);
        QCOMPARE(f.holders.temp, 1);
    }

    // The setup dialog, created by the load-all when it needs the string fields, runs a
    // load-all of its own; both complete and every field is filled.
    void nestedLoadFillsEveryField()
    {
        Fixture f;
        f.seed();
        for (int n = 0; n < 32; ++n) {
            f.preset(Keys::OnString, u"%1,"_s.arg(n, 2, 10, QLatin1Char('0')), n);
            f.preset(Keys::OffString, u"%1,"_s.arg(63 - n, 2, 10, QLatin1Char('0')), n);
        }
        int nestedRuns = 0;
        f.holders.createStrings = [&] {
            f.holders.strings = std::make_unique<FakeMacroStrings>();
            ++nestedRuns;
            f.preferences.GetPreferences();
        };
        f.preferences.GetPreferences();
        QCOMPARE(nestedRuns, 1);
        for (int n = 0; n < 32; ++n) {
            QCOMPARE(f.holders.strings->on[n], u"%1,"_s.arg(n, 2, 10, QLatin1Char('0')));
            QCOMPARE(f.holders.strings->off[n], u"%1,"_s.arg(63 - n, 2, 10, QLatin1Char('0')));
        }
        QCOMPARE(f.preferences.mtr_multiplier(5), u"1.0"_s);

        f.store.clearLog();
        f.holders.strings->on[4] = u"05,12,"_s;
        f.preferences.SaveSettings();
        QCOMPARE(f.stored(Keys::OnString, 4), u"05,12,"_s);
        QCOMPARE(f.store.saves().size(), documentedSaveOrder().size() + 64);
    }
};

TARNWICK_TEST_MAIN(TestPreferences)
#include "tst_Preferences.moc"
