// The "Meters" tab on the monitor's live gauges: meter choice, title, scale and band Apply,
// colours, divisions, multiplier and poll period.
#include "AGauge.h"
#include "MetersPage.h"
#include "NumberBox.h"
#include "SetupFixture.h"
#include "StatusDecoders.h"
#include "TestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Everything a gauge shows that the page can change.
struct GaugeState
{
    QString caption;
    double scaleMin = 0, scaleMax = 0;
    std::array<double, 5> starts{}, ends{};
    std::array<quint32, 5> colors{};
    std::array<int, 2> ticks{};

    static GaugeState of(AGauge &gauge)
    {
        GaugeState state{gauge.caption(), gauge.scaleMin(), gauge.scaleMax()};
        for (int a = 0; a < AGauge::annularCount; ++a) {
            gauge.setCurrentAnnular(a);
            state.starts[a] = gauge.annularStart();
            state.ends[a] = gauge.annularEnd();
            state.colors[a] = gauge.annularColor();
        }
        for (int set = 0; set < AGauge::tickSetCount; ++set) {
            gauge.setCurrentTickSet(set);
            state.ticks[set] = gauge.minorTickCount();
        }
        return state;
    }
    friend bool operator==(const GaugeState &, const GaugeState &) = default;
};

struct MetersFixture : SetupFixture
{
    MetersFixture()
    {
        start();
        open();
    }
    AGauge *gauge(int m) const { return child<AGauge>(u"AGauge1_%1"_s.arg(m)); }
    QLineEdit *box(const QString &name) const { return field<QLineEdit>(name); }
    QScrollBar *slider(const QString &name) const { return field<QScrollBar>(name); }
    QString label(const QString &name) const { return field<QLabel>(name)->text(); }
    void click(const QString &name) const { field<QPushButton>(name)->click(); }
    QComboBox *meterList() const { return field<QComboBox>(u"Combo1"_s); }
    std::pair<double, double> band(int m, int annular) const
    {
        gauge(m)->setCurrentAnnular(annular);
        return {gauge(m)->annularStart(), gauge(m)->annularEnd()};
    }
    quint32 color(int m, int annular) const
    {
        gauge(m)->setCurrentAnnular(annular);
        return gauge(m)->annularColor();
    }
};

using Band = std::pair<double, double>;

} // namespace

class TestMetersPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadShowsMeterOne()
    {
        MetersFixture f;
        QCOMPARE(f.meterList()->currentText(), u"Meter 1"_s);
        QCOMPARE(f.box(u"Text1"_s)->text(), u"Volts DC"_s);
        f.box(u"Text1"_s)->ensurePolished(); // as it is before it is laid out or shown
        QVERIFY(f.box(u"Text1"_s)->font().bold());
        QCOMPARE(f.box(u"Text3"_s)->text(), u"2.5"_s);
        QCOMPARE(f.box(u"Text5"_s)->text(), u"3"_s);
        QCOMPARE(f.box(u"Text7"_s)->text(), u"4"_s);
        QCOMPARE(f.box(u"Text8"_s)->text(), u"0"_s);
        QCOMPARE(f.box(u"Text9"_s)->text(), u"4"_s);
        QCOMPARE(f.slider(u"HScroll2"_s)->value(), 4);
        QCOMPARE(f.slider(u"HScroll4"_s)->value(), 100);
        QCOMPARE(f.label(u"Label8"_s), u"1.0"_s);
    }

    void scaleApply_data()
    {
        QTest::addColumn<QString>("zero");
        QTest::addColumn<QString>("full");
        QTest::addColumn<QStringList>("ends");
        QTest::addColumn<QList<double>>("limits");
        QTest::newRow("0..4") << u"0"_s << u"4"_s << QStringList{u"2.4"_s, u"3.2"_s, u"4"_s}
                              << QList<double>{0, 2.4, 3.2, 4};
        QTest::newRow("0..5") << u"0"_s << u"5"_s << QStringList{u"3"_s, u"4"_s, u"5"_s}
                              << QList<double>{0, 3, 4, 5};
        QTest::newRow("10..20") << u"10"_s << u"20"_s << QStringList{u"16"_s, u"18"_s, u"20"_s}
                                << QList<double>{10, 16, 18, 20};
        QTest::newRow("-10..10") << u"-10"_s << u"10"_s << QStringList{u"2"_s, u"6"_s, u"10"_s}
                                 << QList<double>{-10, 2, 6, 10};
    }
    void scaleApply()
    {
        QFETCH(QString, zero);
        QFETCH(QString, full);
        QFETCH(QStringList, ends);
        QFETCH(QList<double>, limits);
        MetersFixture f;
        SetupFixture::choose(f.meterList(), u"Meter 2"_s);
        const GaugeState before = GaugeState::of(*f.gauge(1));
        f.store.clearLog();

        f.box(u"Text8"_s)->setText(zero);
        f.box(u"Text9"_s)->setText(full);
        f.click(u"Command12"_s);

        QCOMPARE((QStringList{f.box(u"Text3"_s)->text(), f.box(u"Text5"_s)->text(),
                              f.box(u"Text7"_s)->text()}),
                 ends);
        AGauge *g = f.gauge(1);
        QCOMPARE(g->scaleMin(), limits[0]);
        QCOMPARE(g->scaleMax(), limits[3]);
        QCOMPARE(f.band(1, 0), Band(limits[0], limits[3]));
        QCOMPARE(f.band(1, 1), Band(limits[0], limits[3]));
        QCOMPARE(f.band(1, 2), Band(limits[0], limits[1]));
        QCOMPARE(f.band(1, 3), Band(limits[1], limits[2]));
        QCOMPARE(f.band(1, 4), Band(limits[2], limits[3]));
        for (int annular = 2; annular <= 4; ++annular)
            QCOMPARE(f.color(1, annular), before.colors[annular]);
        // Saved, each as the text the page shows.
        QCOMPARE(f.saveAlls(), 1);
        QCOMPARE(f.stored(Keys::ScaleMinGauge, 1), zero);
        QCOMPARE(f.stored(Keys::ScaleMaxGauge, 1), full);
        QCOMPARE(f.stored(Keys::StartAnnular2Gauge, 1), zero);
        QCOMPARE(f.stored(Keys::StopAnnular2Gauge, 1), ends[0]);
        QCOMPARE(f.stored(Keys::StartAnnular3Gauge, 1), ends[0]);
        QCOMPARE(f.stored(Keys::StopAnnular3Gauge, 1), ends[1]);
        QCOMPARE(f.stored(Keys::StartAnnular4Gauge, 1), ends[1]);
        QCOMPARE(f.stored(Keys::StopAnnular4Gauge, 1), ends[2]);
        // The other meters are untouched.
        QCOMPARE(f.gauge(0)->scaleMax(), 4.0);
    }

    void bandApplyLaysTheBandsEndToEnd()
    {
        MetersFixture f;
        f.store.clearLog();
        f.box(u"Text8"_s)->setText(u"0"_s);
        f.box(u"Text3"_s)->setText(u"1"_s);
        f.box(u"Text5"_s)->setText(u"2"_s);
        f.box(u"Text7"_s)->setText(u"3"_s);
        f.click(u"Command10"_s);
        QCOMPARE(f.band(0, 2), Band(0, 1));
        QCOMPARE(f.band(0, 3), Band(1, 2));
        QCOMPARE(f.band(0, 4), Band(2, 3));
        QCOMPARE(f.gauge(0)->scaleMax(), 4.0); // the scale is the scale Apply's
        QCOMPARE(f.saveAlls(), 1);
        QCOMPARE(f.stored(Keys::StopAnnular2Gauge, 0), u"1"_s);
        QCOMPARE(f.stored(Keys::StartAnnular3Gauge, 0), u"1"_s);
        QCOMPARE(f.stored(Keys::StopAnnular3Gauge, 0), u"2"_s);
        QCOMPARE(f.stored(Keys::StartAnnular4Gauge, 0), u"2"_s);
        QCOMPARE(f.stored(Keys::StopAnnular4Gauge, 0), u"3"_s);
    }

    void applyRefusesTextThatIsNotANumber_data()
    {
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("button");
        QTest::newRow("zero, scale") << u"Text8"_s << u"abc"_s << u"Command12"_s;
        QTest::newRow("full scale empty") << u"Text9"_s << QString() << u"Command12"_s;
        QTest::newRow("full scale comma") << u"Text9"_s << u"4,5"_s << u"Command12"_s;
        QTest::newRow("zero, bands") << u"Text8"_s << u"zero"_s << u"Command10"_s;
        QTest::newRow("band 1") << u"Text3"_s << u"1e"_s << u"Command10"_s;
        QTest::newRow("band 2") << u"Text5"_s << u"2,5"_s << u"Command10"_s;
        QTest::newRow("band 3 blank") << u"Text7"_s << u" "_s << u"Command10"_s;
    }
    void applyRefusesTextThatIsNotANumber()
    {
        QFETCH(QString, boxName);
        QFETCH(QString, text);
        QFETCH(QString, button);
        MetersFixture f;
        const GaugeState before = GaugeState::of(*f.gauge(0));
        const QStringList boxes{u"Text1"_s, u"Text3"_s, u"Text5"_s,
                                u"Text7"_s, u"Text8"_s, u"Text9"_s};
        f.store.clearLog();

        f.box(boxName)->setText(text);
        QVERIFY(NumberBox::isMarked(f.box(boxName)));
        QVERIFY(!f.box(boxName)->toolTip().isEmpty());
        QStringList shown;
        for (const QString &name : boxes)
            shown << f.box(name)->text();
        f.click(button);

        QVERIFY(GaugeState::of(*f.gauge(0)) == before);
        QVERIFY(f.store.saves().isEmpty());
        for (int i = 0; i < boxes.size(); ++i)
            QCOMPARE(f.box(boxes[i])->text(), shown[i]);
        for (const QString &name : boxes)
            QCOMPARE(NumberBox::isMarked(f.box(name)), name == boxName);

        // A number again: the mark goes and the Apply works.
        f.box(boxName)->setText(u"3.5"_s);
        QVERIFY(!NumberBox::isMarked(f.box(boxName)));
        QVERIFY(f.box(boxName)->toolTip().isEmpty());
        f.click(button);
        QCOMPARE(f.saveAlls(), 1);
    }

    void multiplierSlider_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("factor");
        QTest::newRow("150") << 150 << u"1.5"_s << 1.5;
        QTest::newRow("1000") << 1000 << u"10"_s << 10.0;
        QTest::newRow("1") << 1 << u"0.01"_s << 0.01;
    }
    void multiplierSlider()
    {
        QFETCH(int, position);
        QFETCH(QString, text);
        QFETCH(double, factor);
        MetersFixture f;
        SetupFixture::choose(f.meterList(), u"Meter 3"_s);
        f.store.clearLog();

        f.slider(u"HScroll4"_s)->setValue(position);
        QCOMPARE(f.label(u"Label8"_s), text);
        QCOMPARE(f.savedKeys(), QStringList{u"Multiplier2"_s});
        QCOMPARE(f.stored(Keys::Multiplier, 2), text);
        QCOMPARE(f.window->preferences().mtr_multiplier(2), text);
        QCOMPARE(f.window->preferences().mtr_multiplier(1), u"1.0"_s);

        // The monitor's meter 3 applies the new factor from its next reading on.
        FrameBuilder frame;
        frame.meters = {"051", "051", "051", "051", "051", "051"};
        f.poll(frame.frame());
        f.poll(frame.frame());
        QCOMPARE(f.gauge(2)->needleValue(), 51 / StatusDecoders::meterFullScale * 4.0 * factor);
        QCOMPARE(f.gauge(1)->needleValue(), 51 / StatusDecoders::meterFullScale * 4.0 * 1.0);
    }

    void choosingMeter3ShowsItsSettings()
    {
        MetersFixture f;
        QVERIFY(f.closeDialog());
        f.preset(Keys::CaptionGauge, u"Amps"_s, 2);
        f.preset(Keys::ScaleMinGauge, u"-5"_s, 2);
        f.preset(Keys::ScaleMaxGauge, u"15"_s, 2);
        f.preset(Keys::StopAnnular2Gauge, u"1"_s, 2);
        f.preset(Keys::StartAnnular3Gauge, u"1"_s, 2);
        f.preset(Keys::StopAnnular3Gauge, u"7.5"_s, 2);
        f.preset(Keys::StartAnnular4Gauge, u"7.5"_s, 2);
        f.preset(Keys::StopAnnular4Gauge, u"15"_s, 2);
        f.preset(Keys::TicSubCountGauge, u"6"_s, 2);
        f.preset(Keys::Multiplier, u"2.5"_s, 2);
        f.open(); // a new dialog: its load applies the stored settings

        SetupFixture::choose(f.meterList(), u"Meter 3"_s);
        QCOMPARE(f.dialog()->metersPage->currentMeter(), 2);
        QCOMPARE(f.box(u"Text1"_s)->text(), u"Amps"_s);
        QCOMPARE(f.box(u"Text3"_s)->text(), u"1"_s);
        QCOMPARE(f.box(u"Text5"_s)->text(), u"7.5"_s);
        QCOMPARE(f.box(u"Text7"_s)->text(), u"15"_s);
        QCOMPARE(f.box(u"Text8"_s)->text(), u"-5"_s);
        QCOMPARE(f.box(u"Text9"_s)->text(), u"15"_s);
        QCOMPARE(f.slider(u"HScroll2"_s)->value(), 6);
        QCOMPARE(f.slider(u"HScroll4"_s)->value(), 250);
        QCOMPARE(f.label(u"Label8"_s), u"2.5"_s);

        // The page's changes now address meter 3 only.
        f.slider(u"HScroll2"_s)->setValue(2);
        QCOMPARE(GaugeState::of(*f.gauge(2)).ticks, (std::array<int, 2>{2, 2}));
        QCOMPARE(GaugeState::of(*f.gauge(0)).ticks, (std::array<int, 2>{4, 4}));
        QCOMPARE(f.gauge(0)->caption(), u"Volts DC"_s);
    }

    void titleFollowsEveryKeystrokeAndCloseStoresIt()
    {
        MetersFixture f;
        SetupFixture::choose(f.meterList(), u"Meter 3"_s);
        QLineEdit *title = f.box(u"Text1"_s);
        title->clear();
        QCOMPARE(f.gauge(2)->caption(), QString());
        const QString typed = u"Amps"_s;
        for (qsizetype i = 0; i < typed.size(); ++i) {
            QTest::keyClick(title, typed[i].toLatin1());
            QCOMPARE(f.gauge(2)->caption(), typed.left(i + 1));
        }
        QCOMPARE(f.gauge(1)->caption(), u"Volts DC"_s);
        QCOMPARE(f.stored(Keys::CaptionGauge, 2), u"Volts DC"_s); // not yet
        QVERIFY(f.closeDialog());
        QCOMPARE(f.stored(Keys::CaptionGauge, 2), u"Amps"_s);
    }

    // A gauge edited while the dialog disables the window is drawn then, and must not keep
    // that look: after the dialog it is, pixel for pixel, the gauge a fresh start shows with
    // the same settings. While the dialog is open too, as the window behind a dialog.
    void anEditedGaugeLooksAsAfterAFreshStart()
    {
        MetersFixture f;
        f.window->poll().Timer1->stop();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        SetupFixture::choose(f.meterList(), u"Meter 3"_s);
        f.box(u"Text1"_s)->setText(u"Amps"_s);
        f.box(u"Text3"_s)->setText(u"1"_s);
        f.box(u"Text5"_s)->setText(u"2"_s);
        f.box(u"Text7"_s)->setText(u"3"_s);
        f.click(u"Command10"_s);
        f.gauge(2)->setNeedleValue(1.5);
        QVERIFY(!f.window->isEnabled());
        const QImage whileOpen = f.gauge(2)->grab().toImage();
        QVERIFY(f.closeDialog());
        QVERIFY(f.window->isEnabled());
        const QImage afterwards = f.gauge(2)->grab().toImage();

        SetupFixture fresh;
        for (const MemorySettingsStore::Save &save : f.store.saves())
            fresh.store.preset(save.application, save.section, save.key, save.value);
        fresh.start();
        fresh.window->poll().Timer1->stop();
        fresh.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(fresh.window.get()));
        auto *gauge = fresh.child<AGauge>(u"AGauge1_2"_s);
        QCOMPARE(gauge->caption(), u"Amps"_s);
        gauge->setNeedleValue(1.5);
        const QImage started = gauge->grab().toImage();
        // With TARNWICK_SCREENSHOTS naming a folder, the three are saved there.
        if (const QString folder = qEnvironmentVariable("TARNWICK_SCREENSHOTS"); !folder.isEmpty())
            for (const auto &[image, name] : {std::pair{whileOpen, "while-open"},
                                              {afterwards, "after-setup"},
                                              {started, "fresh-start"}})
                QVERIFY(image.save(u"%1/gauge-%2.png"_s.arg(folder, QLatin1String(name))));
        QCOMPARE(afterwards, started);
        QCOMPARE(whileOpen, started);
    }

    void titleGoesToTheMeterTheListNames_data()
    {
        QTest::addColumn<QString>("listText");
        QTest::addColumn<int>("meter"); // -1: none
        QTest::newRow("Meter 4 typed") << u"Meter 4"_s << 3;
        QTest::newRow("Meter 7") << u"Meter 7"_s << -1;
        QTest::newRow("Meter 0") << u"Meter 0"_s << -1;
        QTest::newRow("Meter 2.5") << u"Meter 2.5"_s << -1;
        QTest::newRow("word") << u"Pump"_s << -1;
        QTest::newRow("empty") << QString() << -1;
    }
    void titleGoesToTheMeterTheListNames()
    {
        QFETCH(QString, listText);
        QFETCH(int, meter);
        MetersFixture f;
        QLineEdit *listField = f.meterList()->lineEdit();
        listField->selectAll();
        QTest::keyClick(listField, Qt::Key_Delete);
        QTest::keyClicks(listField, listText);
        QCOMPARE(f.meterList()->currentText(), listText);
        QCOMPARE(f.dialog()->metersPage->currentMeter(), 0); // typing chooses nothing

        QTest::keyClicks(f.box(u"Text1"_s), u" x"_s);
        for (int m = 0; m < 6; ++m)
            QCOMPARE(f.gauge(m)->caption(), m == meter ? u"Volts DC x"_s : u"Volts DC"_s);
    }

    void pickedColourRecoloursTheBandAtOnce()
    {
        MetersFixture f;
        SetupFixture::choose(f.meterList(), u"Meter 2"_s);
        const GaugeState before = GaugeState::of(*f.gauge(1));
        f.colors.answers = {0x123456u};
        f.store.clearLog();
        f.click(u"Command5"_s);
        QCOMPARE(f.color(1, 3), 0x123456u);
        QCOMPARE(f.color(1, 2), before.colors[2]);
        QCOMPARE(f.color(1, 4), before.colors[4]);
        QCOMPARE(f.color(0, 3), 65535u);
        QVERIFY(f.store.saves().isEmpty()); // the next save-all stores it
        QVERIFY(f.closeDialog());
        QCOMPARE(f.stored(Keys::ColorAnnular3Gauge, 1), QString::number(0x123456));
    }

    void cancelledPickerLeavesTheColour()
    {
        MetersFixture f;
        f.colors.answers = {std::nullopt};
        const GaugeState before = GaugeState::of(*f.gauge(0));
        f.click(u"Command6"_s);
        QCOMPARE(f.colors.preselects.size(), 1);
        QVERIFY(GaugeState::of(*f.gauge(0)) == before);
    }

    void pickerPreselectsTheColourItGaveLast()
    {
        MetersFixture f;
        f.colors.answers = {0x00FF00u, std::nullopt, 0x0000FFu};
        f.click(u"Command4"_s);
        f.click(u"Command5"_s);
        f.click(u"Command6"_s);
        f.click(u"Command4"_s);
        QCOMPARE(f.colors.preselects, (QList<quint32>{0, 0x00FF00u, 0x00FF00u, 0x0000FFu}));
        QCOMPARE(f.color(0, 2), 0x00FF00u);
        QCOMPARE(f.color(0, 4), 0x0000FFu);
    }

    void divisionsSetBothTickSets()
    {
        MetersFixture f;
        f.store.clearLog();
        f.slider(u"HScroll2"_s)->setValue(7);
        QCOMPARE(GaugeState::of(*f.gauge(0)).ticks, (std::array<int, 2>{7, 7}));
        QVERIFY(f.store.saves().isEmpty());
        QVERIFY(f.closeDialog());
        QCOMPARE(f.stored(Keys::TicSubCountGauge, 0), u"7"_s);
    }

    // The load moves the slider to the stored period, but runs no save-all: the store keeps
    // what it held until the user moves the slider or the dialog closes. The start's own
    // load-all, which goes on after the dialog's, leaves the poll period as stored.
    void pollPeriodAtLoad_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("position");
        QTest::newRow("200") << u"200"_s << 200;
        QTest::newRow("2000") << u"2000"_s << 2000;
        QTest::newRow("5000") << u"5000"_s << 5000;
        QTest::newRow("200.0") << u"200.0"_s << 200;
        // What the slider cannot show it shows as the poll takes it, rewriting nothing.
        QTest::newRow("10000") << u"10000"_s << 5000;
        QTest::newRow("150") << u"150"_s << 180;
        QTest::newRow("200.5") << u"200.5"_s << 200;
        QTest::newRow("fast") << u"fast"_s << 200;
    }
    void pollPeriodAtLoad()
    {
        QFETCH(QString, stored);
        QFETCH(int, position);
        SetupFixture f;
        f.preset(Keys::MeterResponse, stored);
        f.start();
        f.open();
        QCOMPARE(f.field<QScrollBar>(u"HScroll3"_s)->value(), position);
        QCOMPARE(f.field<QLabel>(u"Label6"_s)->text(), QString::number(position));
        // "Start-Annular2-Gauge" is seeded by nobody: only a save-all writes it.
        QVERIFY(!f.store.contains(SettingsKeys::application, SettingsKeys::section,
                                  u"Start-Annular2-Gauge0"_s));
        QCOMPARE(f.window->mtr_response(), stored);
        QCOMPARE(f.stored(Keys::MeterResponse), stored);
        QCOMPARE(f.window->poll().pollInterval(), position);
    }

    void pollPeriodChangeSavesAllAndTakesEffectAfterClose()
    {
        MetersFixture f;
        f.store.clearLog();
        f.slider(u"HScroll3"_s)->setValue(1000);
        QCOMPARE(f.window->mtr_response(), u"1000"_s);
        QCOMPARE(f.label(u"Label6"_s), u"1000"_s);
        QCOMPARE(f.saveAlls(), 1);
        QCOMPARE(f.stored(Keys::MeterResponse), u"1000"_s);
        QVERIFY(!f.window->poll().Timer1->isActive());
        QVERIFY(f.closeDialog());
        f.window->poll().Timer1_Timer();
        QCOMPARE(f.window->poll().Timer1->interval(), 1000);
    }

    void slidersAtLoadForStoredValues_data()
    {
        QTest::addColumn<QString>("multiplier");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("storedAfter");
        QTest::newRow("1.5") << u"1.5"_s << 150 << u"1.5"_s << u"1.5"_s;
        // Finer than the slider, or written otherwise: shown at the nearest position, kept as
        // stored until the user moves the slider.
        QTest::newRow("1.234") << u"1.234"_s << 123 << u"1.234"_s << u"1.234"_s;
        QTest::newRow(" 5") << u" 5"_s << 500 << u" 5"_s << u" 5"_s;
        QTest::newRow("2.50") << u"2.50"_s << 250 << u"2.50"_s << u"2.50"_s;
        // Beyond the slider: shown at its end, kept as stored.
        QTest::newRow("25") << u"25"_s << 1000 << u"25"_s << u"25"_s;
        QTest::newRow("0.001") << u"0.001"_s << 1 << u"0.001"_s << u"0.001"_s;
        QTest::newRow("not a number") << u"double"_s << 100 << u"double"_s << u"double"_s;
    }
    void slidersAtLoadForStoredValues()
    {
        QFETCH(QString, multiplier);
        QFETCH(int, position);
        QFETCH(QString, shown);
        QFETCH(QString, storedAfter);
        SetupFixture f;
        f.preset(Keys::Multiplier, multiplier, 0);
        f.start();
        f.open();
        QCOMPARE(f.field<QScrollBar>(u"HScroll4"_s)->value(), position);
        QCOMPARE(f.field<QLabel>(u"Label8"_s)->text(), shown);
        QCOMPARE(f.stored(Keys::Multiplier, 0), storedAfter);
    }

    // Without a mouse: Tab reaches each slider of the page, and the arrow and page keys move
    // it by its small and large step.
    void slidersTakeKeyboardFocus_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("arrowStep");
        QTest::addColumn<int>("pageStep");
        QTest::newRow("Divisions") << u"HScroll2"_s << 4 << 1 << 1;
        QTest::newRow("Multiplier") << u"HScroll4"_s << 100 << 1 << 10;
        QTest::newRow("Poll Rate") << u"HScroll3"_s << 200 << 10 << 100;
    }
    void slidersTakeKeyboardFocus()
    {
        QFETCH(QString, name);
        QFETCH(int, from);
        QFETCH(int, arrowStep);
        QFETCH(int, pageStep);
        MetersFixture f;
        f.field<QTabWidget>(u"SSTab1"_s)->setCurrentIndex(1);
        QVERIFY(QTest::qWaitForWindowActive(f.dialog()));
        QScrollBar *bar = f.slider(name);
        QCOMPARE(bar->value(), from);

        f.meterList()->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return f.meterList()->hasFocus(); }, 5000));
        // Tab through the page's controls until the slider has the focus.
        for (int press = 0; press < 40 && !bar->hasFocus(); ++press)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(bar->hasFocus());

        QTest::keyClick(bar, Qt::Key_Right);
        QCOMPARE(bar->value(), from + arrowStep);
        QTest::keyClick(bar, Qt::Key_PageUp);
        QCOMPARE(bar->value(), from + arrowStep + pageStep);
        QTest::keyClick(bar, Qt::Key_Left);
        QCOMPARE(bar->value(), from + pageStep);
    }

    void tickCountOutOfRangeIsKept()
    {
        SetupFixture f;
        f.preset(Keys::TicSubCountGauge, u"12"_s, 0);
        f.start();
        f.open();
        auto *divisions = f.field<QScrollBar>(u"HScroll2"_s);
        QCOMPARE(divisions->value(), 9);
        AGauge *g = f.child<AGauge>(u"AGauge1_0"_s);
        QCOMPARE(GaugeState::of(*g).ticks, (std::array<int, 2>{12, 12}));
        QVERIFY(f.closeDialog());
        QCOMPARE(f.stored(Keys::TicSubCountGauge, 0), u"12"_s);
    }
};

TARNWICK_TEST_MAIN(TestMetersPage)
#include "tst_meterspage.moc"
