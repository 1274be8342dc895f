#include "AGauge.h"
#include "ScreenReader.h"
#include "TestMain.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QImage>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <cmath>
#include <functional>
#include <limits>

using GaugeAction = std::function<void(AGauge &)>;
using TextSetter = std::function<bool(AGauge &, const QString &)>;
using NumberGetter = std::function<double(const AGauge &)>;
Q_DECLARE_METATYPE(GaugeAction)
Q_DECLARE_METATYPE(TextSetter)
Q_DECLARE_METATYPE(NumberGetter)

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// The gauge as the settings load leaves it after a fresh seeding: 0 to 4 with green,
// yellow and red bands, every value handed over as text.
void applyDefaultBands(AGauge &gauge)
{
    gauge.setScaleMin(QStringLiteral("0"));
    gauge.setScaleMax(QStringLiteral("4"));
    gauge.setCurrentAnnular(2);
    gauge.setAnnularStart(QStringLiteral("0"));
    gauge.setAnnularEnd(QStringLiteral("2.5"));
    gauge.setAnnularColor(QStringLiteral("32768"));
    gauge.setCurrentAnnular(3);
    gauge.setAnnularStart(QStringLiteral("2.5"));
    gauge.setAnnularEnd(QStringLiteral("3"));
    gauge.setAnnularColor(QStringLiteral("65535"));
    gauge.setCurrentAnnular(4);
    gauge.setAnnularStart(QStringLiteral("3"));
    gauge.setAnnularEnd(QStringLiteral("4"));
    gauge.setAnnularColor(QStringLiteral("255"));
}

QImage grabAtDesignedSize(AGauge &gauge)
{
    gauge.resize(gauge.sizeHint());
    return gauge.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool nearColor(QColor actual, QColor expected, int tolerance = 8)
{
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

QColor pixelAt(const QImage &image, QPointF point)
{
    return image.pixelColor(point.toPoint());
}

// Ink of the needle: the darkest pixel around the point, since a needle one pixel wide
// may fall between pixel centres.
bool isInk(const QImage &image, QPointF point)
{
    const QPoint centre = point.toPoint();
    int darkest = 255;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint p = centre + QPoint(dx, dy);
            if (image.rect().contains(p))
                darkest = std::min(darkest, qGray(image.pixel(p)));
        }
    }
    return darkest < 110;
}

// How many of `steps` points along the needle's line for `value` show ink, between the hub
// and the inner ticks.
int inkAlong(const QImage &image, const AGauge &gauge, double value)
{
    constexpr int steps = 12;
    int count = 0;
    for (int i = 0; i < steps; ++i)
        count += isInk(image, gauge.dialPoint(value, 0.2 + 0.5 * i / (steps - 1))) ? 1 : 0;
    return count;
}

constexpr int lineSteps = 12;

class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// A gauge on screen beside a marker widget in one window. Repainting the marker flushes
// every pending update of that window, so once the marker has painted, an update the gauge
// had asked for has been painted too: nothing waits on a clock.
class ShownGauge
{
public:
    ShownGauge()
    {
        auto *layout = new QHBoxLayout(&m_window);
        layout->addWidget(m_gauge);
        layout->addWidget(m_marker);
        m_marker->setMinimumSize(20, 20);
        m_gauge->installEventFilter(&m_gaugePaints);
        m_marker->installEventFilter(&m_markerPaints);
        m_window.show();
    }

    bool painted()
    {
        return QTest::qWaitForWindowExposed(&m_window) && QTest::qWaitFor([&] {
                   return m_gaugePaints.paints > 0 && m_markerPaints.paints > 0;
               });
    }

    // How often the gauge painted for `action`; -1 if the window was never flushed.
    int paintsFor(const GaugeAction &action)
    {
        const int gaugeBefore = m_gaugePaints.paints;
        const int markerBefore = m_markerPaints.paints;
        action(*m_gauge);
        m_marker->update();
        if (!QTest::qWaitFor([&] { return m_markerPaints.paints > markerBefore; }))
            return -1;
        return m_gaugePaints.paints - gaugeBefore;
    }

private:
    PaintCounter m_gaugePaints;
    PaintCounter m_markerPaints;
    QWidget m_window;
    AGauge *m_gauge = new AGauge;
    QWidget *m_marker = new QWidget;
};

} // namespace

class TestAGauge : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void defaults();
    void colourConversion_data();
    void colourConversion();
    void annularsAreIndependent();
    void tickSetsAreIndependent();
    void selectorsRefuseOutOfRange();
    void textSetters_data();
    void textSetters();
    void textSettersIgnoreUserLocale();
    void numericSettersRefuseNonFinite();
    void unchangedValueDoesNotRepaint_data();
    void unchangedValueDoesNotRepaint();
    void changedValueRepaints_data();
    void changedValueRepaints();
    void dialIsCachedAndNeedleIsLive();
    void describesCaptionAndValue();
    void screenReadersReadNameAndValue();
    void shownTooltipFollowsTheNeedle();

    void scaleFraction_data();
    void scaleFraction();
    void majorStep_data();
    void majorStep();

    void defaultBandsShowTheirColours_data();
    void defaultBandsShowTheirColours();
    void unsetAnnularsAreInvisible();
    void annularOutsideScaleIsClipped();
    void reversedAnnularCoversItsRange();
    void needleMoves();
    void outOfRangeNeedleIsPinnedAndMarked_data();
    void outOfRangeNeedleIsPinnedAndMarked();
    void nanNeedleIsHidden();
    void scaleWithoutRangeShowsNoScale_data();
    void scaleWithoutRangeShowsNoScale();
    void pathologicalValuesPaint_data();
    void pathologicalValuesPaint();
    void tooManyMinorTicksAreLeftOut();
    void paletteDecidesTheFace();
    void looksTheSameEnabledOrDisabled();
};

void TestAGauge::defaults()
{
    AGauge gauge;
    QCOMPARE(gauge.sizeHint(), QSize(105, 57));
    QCOMPARE(gauge.caption(), QStringLiteral("Volts DC"));
    QCOMPARE(gauge.scaleMin(), 0.0);
    QCOMPARE(gauge.scaleMax(), 5.0);
    QCOMPARE(gauge.needleValue(), 0.0);
    for (int set = 0; set < AGauge::tickSetCount; ++set) {
        QVERIFY(gauge.setCurrentTickSet(set));
        QCOMPARE(gauge.minorTickCount(), 4);
    }
    // The bands start out in the colours the settings seed, with no range yet.
    const quint32 seeded[] = {32768, 65535, 255};
    for (int a = 0; a < AGauge::annularCount; ++a) {
        QVERIFY(gauge.setCurrentAnnular(a));
        QCOMPARE(gauge.annularStart(), gauge.annularEnd());
        if (a >= 2)
            QCOMPARE(gauge.annularColor(), seeded[a - 2]);
    }
}

void TestAGauge::colourConversion_data()
{
    QTest::addColumn<quint32>("bgr");
    QTest::addColumn<QColor>("color");
    QTest::newRow("green band") << quint32(32768) << QColor(0, 128, 0);
    QTest::newRow("yellow band") << quint32(65535) << QColor(255, 255, 0);
    QTest::newRow("red band") << quint32(255) << QColor(255, 0, 0);
    QTest::newRow("blue in the high byte") << quint32(0xFF0000) << QColor(0, 0, 255);
    QTest::newRow("OnColor") << quint32(3328050) << QColor(50, 200, 50);
    QTest::newRow("OffColor") << quint32(3289800) << QColor(200, 50, 50);
    QTest::newRow("black") << quint32(0) << QColor(0, 0, 0);
    QTest::newRow("white") << quint32(0xFFFFFF) << QColor(255, 255, 255);
}

void TestAGauge::colourConversion()
{
    QFETCH(quint32, bgr);
    QFETCH(QColor, color);
    QCOMPARE(BgrColor::toColor(bgr), color);
    QCOMPARE(BgrColor::fromColor(color), bgr);
    QColor seeThrough = color;
    seeThrough.setAlpha(40);
    QCOMPARE(BgrColor::fromColor(seeThrough), bgr);
}

void TestAGauge::annularsAreIndependent()
{
    AGauge gauge;
    for (int a = 0; a < AGauge::annularCount; ++a) {
        QVERIFY(gauge.setCurrentAnnular(a));
        QVERIFY(gauge.setAnnularStart(0.5 * a));
        QVERIFY(gauge.setAnnularEnd(10.0 + a));
        QVERIFY(gauge.setAnnularColor(quint32(0x010203 * (a + 1))));
    }
    for (int a = AGauge::annularCount - 1; a >= 0; --a) {
        QVERIFY(gauge.setCurrentAnnular(a));
        QCOMPARE(gauge.currentAnnular(), a);
        QCOMPARE(gauge.annularStart(), 0.5 * a);
        QCOMPARE(gauge.annularEnd(), 10.0 + a);
        QCOMPARE(gauge.annularColor(), quint32(0x010203 * (a + 1)));
    }

    // Recolouring band 2 (annular 3) leaves band 1 (annular 2) as it was.
    gauge.setCurrentAnnular(3);
    gauge.setAnnularColor(0x00FF0000u);
    gauge.setCurrentAnnular(2);
    QCOMPARE(gauge.annularColor(), quint32(0x010203 * 3));
    gauge.setCurrentAnnular(3);
    QCOMPARE(gauge.annularColor(), 0x00FF0000u);
}

void TestAGauge::tickSetsAreIndependent()
{
    AGauge gauge;
    QVERIFY(gauge.setCurrentTickSet(1));
    QVERIFY(gauge.setMinorTickCount(9));
    QVERIFY(gauge.setCurrentTickSet(0));
    QCOMPARE(gauge.minorTickCount(), 4);
    QVERIFY(gauge.setMinorTickCount(QStringLiteral("2")));
    QVERIFY(gauge.setCurrentTickSet(1));
    QCOMPARE(gauge.currentTickSet(), 1);
    QCOMPARE(gauge.minorTickCount(), 9);
}

void TestAGauge::selectorsRefuseOutOfRange()
{
    AGauge gauge;
    QVERIFY(gauge.setCurrentAnnular(4));
    QVERIFY(!gauge.setCurrentAnnular(5));
    QVERIFY(!gauge.setCurrentAnnular(-1));
    QCOMPARE(gauge.currentAnnular(), 4);

    QVERIFY(gauge.setCurrentTickSet(1));
    QVERIFY(!gauge.setCurrentTickSet(2));
    QVERIFY(!gauge.setCurrentTickSet(-1));
    QCOMPARE(gauge.currentTickSet(), 1);
}

void TestAGauge::textSetters_data()
{
    QTest::addColumn<TextSetter>("set");
    QTest::addColumn<NumberGetter>("get");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("expected");

    const TextSetter scaleMax = [](AGauge &g, const QString &t) {
        return g.setScaleMax(t);
    };
    const NumberGetter getMax = [](const AGauge &g) {
        return g.scaleMax();
    };
    const TextSetter scaleMin = [](AGauge &g, const QString &t) {
        return g.setScaleMin(t);
    };
    const NumberGetter getMin = [](const AGauge &g) {
        return g.scaleMin();
    };
    const TextSetter end = [](AGauge &g, const QString &t) {
        g.setCurrentAnnular(3);
        return g.setAnnularEnd(t);
    };
    const NumberGetter getEnd = [](const AGauge &g) {
        return g.annularEnd();
    };
    const TextSetter start = [](AGauge &g, const QString &t) {
        g.setCurrentAnnular(4);
        return g.setAnnularStart(t);
    };
    const NumberGetter getStart = [](const AGauge &g) {
        return g.annularStart();
    };
    const TextSetter count = [](AGauge &g, const QString &t) {
        return g.setMinorTickCount(t);
    };
    const NumberGetter getCount = [](const AGauge &g) {
        return double(g.minorTickCount());
    };
    const TextSetter color = [](AGauge &g, const QString &t) {
        g.setCurrentAnnular(2);
        return g.setAnnularColor(t);
    };
    const NumberGetter getColor = [](const AGauge &g) {
        return double(g.annularColor());
    };

    // Defaults before each row: scale 0..5, annular ends 0, counts 4, annular 2 green.
    QTest::newRow("max whole") << scaleMax << getMax << "4" << true << 4.0;
    QTest::newRow("max fraction") << scaleMax << getMax << "2.5" << true << 2.5;
    QTest::newRow("max blanks") << scaleMax << getMax << "  12.25\t" << true << 12.25;
    QTest::newRow("max exponent") << scaleMax << getMax << "1e3" << true << 1000.0;
    QTest::newRow("max empty") << scaleMax << getMax << "" << false << 5.0;
    QTest::newRow("max blank") << scaleMax << getMax << " " << false << 5.0;
    QTest::newRow("max word") << scaleMax << getMax << "full" << false << 5.0;
    QTest::newRow("max trailing junk") << scaleMax << getMax << "4V" << false << 5.0;
    QTest::newRow("max decimal comma") << scaleMax << getMax << "2,5" << false << 5.0;
    QTest::newRow("max group separator") << scaleMax << getMax << "1,000" << false << 5.0;
    QTest::newRow("max nan") << scaleMax << getMax << "nan" << false << 5.0;
    QTest::newRow("max inf") << scaleMax << getMax << "inf" << false << 5.0;
    QTest::newRow("max overflow") << scaleMax << getMax << "1e999" << false << 5.0;
    QTest::newRow("min negative") << scaleMin << getMin << "-10" << true << -10.0;
    QTest::newRow("min above max kept") << scaleMin << getMin << "20" << true << 20.0;
    QTest::newRow("min word") << scaleMin << getMin << "zero" << false << 0.0;
    QTest::newRow("annular end") << end << getEnd << "3.2" << true << 3.2;
    QTest::newRow("annular end word") << end << getEnd << "end" << false << 0.0;
    QTest::newRow("annular start") << start << getStart << " 3 " << true << 3.0;
    QTest::newRow("annular start empty") << start << getStart << "" << false << 0.0;
    QTest::newRow("count") << count << getCount << "7" << true << 7.0;
    QTest::newRow("count zero") << count << getCount << "0" << true << 0.0;
    QTest::newRow("count largest") << count << getCount << "32767" << true << 32767.0;
    QTest::newRow("count half rounds to even") << count << getCount << "4.5" << true << 4.0;
    QTest::newRow("count fraction rounds") << count << getCount << "5.6" << true << 6.0;
    QTest::newRow("count negative") << count << getCount << "-1" << false << 4.0;
    QTest::newRow("count beyond 16 bits") << count << getCount << "32768" << false << 4.0;
    QTest::newRow("count word") << count << getCount << "four" << false << 4.0;
    QTest::newRow("colour yellow") << color << getColor << "65535" << true << 65535.0;
    QTest::newRow("colour white") << color << getColor << "16777215" << true << 16777215.0;
    QTest::newRow("colour beyond 24 bits") << color << getColor << "16777216" << false << 32768.0;
    QTest::newRow("colour negative") << color << getColor << "-1" << false << 32768.0;
    QTest::newRow("colour fraction") << color << getColor << "255.5" << false << 32768.0;
    QTest::newRow("colour hex") << color << getColor << "#FF0000" << false << 32768.0;
    QTest::newRow("colour empty") << color << getColor << "" << false << 32768.0;
}

void TestAGauge::textSetters()
{
    QFETCH(TextSetter, set);
    QFETCH(NumberGetter, get);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(double, expected);

    AGauge gauge;
    QCOMPARE(set(gauge, text), accepted);
    QCOMPARE(get(gauge), expected);
}

void TestAGauge::textSettersIgnoreUserLocale()
{
    // Stored numbers use the full stop whatever the user's regional format says.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    AGauge gauge;
    QVERIFY(gauge.setScaleMax(QStringLiteral("2.5")));
    QCOMPARE(gauge.scaleMax(), 2.5);
    QVERIFY(!gauge.setScaleMax(QStringLiteral("3,5")));
    QCOMPARE(gauge.scaleMax(), 2.5);
}

void TestAGauge::numericSettersRefuseNonFinite()
{
    AGauge gauge;
    QVERIFY(!gauge.setScaleMin(notANumber));
    QVERIFY(!gauge.setScaleMax(infinity));
    QCOMPARE(gauge.scaleMin(), 0.0);
    QCOMPARE(gauge.scaleMax(), 5.0);
    gauge.setCurrentAnnular(2);
    QVERIFY(!gauge.setAnnularStart(-infinity));
    QVERIFY(!gauge.setAnnularEnd(notANumber));
    QCOMPARE(gauge.annularStart(), 0.0);
    QCOMPARE(gauge.annularEnd(), 0.0);
    QVERIFY(!gauge.setAnnularColor(0x01000000u));
    QCOMPARE(gauge.annularColor(), 32768u);
    QVERIFY(!gauge.setMinorTickCount(-1));
    QVERIFY(!gauge.setMinorTickCount(AGauge::maxMinorTickCount + 1));
    QCOMPARE(gauge.minorTickCount(), 4);
}

void TestAGauge::unchangedValueDoesNotRepaint_data()
{
    QTest::addColumn<GaugeAction>("action");
    QTest::newRow("caption") << GaugeAction([](AGauge &g) { g.setCaption(g.caption()); });
    QTest::newRow("scale min") << GaugeAction([](AGauge &g) { g.setScaleMin(0.0); });
    QTest::newRow("scale min text")
        << GaugeAction([](AGauge &g) { g.setScaleMin(QStringLiteral(" 0.0 ")); });
    QTest::newRow("scale max text")
        << GaugeAction([](AGauge &g) { g.setScaleMax(QStringLiteral("5")); });
    QTest::newRow("refused text") << GaugeAction(
        [](AGauge &g) { g.setScaleMax(QStringLiteral("five")); });
    QTest::newRow("annular end") << GaugeAction([](AGauge &g) {
        g.setCurrentAnnular(3);
        g.setAnnularEnd(g.annularEnd());
    });
    QTest::newRow("annular colour text") << GaugeAction([](AGauge &g) {
        g.setCurrentAnnular(4);
        g.setAnnularColor(QStringLiteral("255"));
    });
    QTest::newRow("minor ticks text") << GaugeAction([](AGauge &g) {
        g.setCurrentTickSet(1);
        g.setMinorTickCount(QStringLiteral("4"));
    });
    QTest::newRow("selectors") << GaugeAction([](AGauge &g) {
        g.setCurrentAnnular(4);
        g.setCurrentTickSet(1);
    });
    QTest::newRow("needle") << GaugeAction([](AGauge &g) { g.setNeedleValue(0.0); });
}

void TestAGauge::unchangedValueDoesNotRepaint()
{
    QFETCH(GaugeAction, action);
    ShownGauge shown;
    QVERIFY(shown.painted());
    QCOMPARE(shown.paintsFor(action), 0);
}

void TestAGauge::changedValueRepaints_data()
{
    QTest::addColumn<GaugeAction>("action");
    QTest::newRow("caption") << GaugeAction(
        [](AGauge &g) { g.setCaption(QStringLiteral("Amps")); });
    QTest::newRow("scale max text")
        << GaugeAction([](AGauge &g) { g.setScaleMax(QStringLiteral("4")); });
    QTest::newRow("annular colour") << GaugeAction([](AGauge &g) {
        g.setCurrentAnnular(1);
        g.setAnnularColor(0x00123456u);
    });
    QTest::newRow("minor ticks") << GaugeAction([](AGauge &g) {
        g.setCurrentTickSet(1);
        g.setMinorTickCount(9);
    });
    QTest::newRow("needle") << GaugeAction([](AGauge &g) { g.setNeedleValue(2.0); });
    QTest::newRow("needle nan") << GaugeAction([](AGauge &g) { g.setNeedleValue(notANumber); });
}

// The counterpart of the test above: it shows that the flush does reach the gauge.
void TestAGauge::changedValueRepaints()
{
    QFETCH(GaugeAction, action);
    ShownGauge shown;
    QVERIFY(shown.painted());
    QVERIFY(shown.paintsFor(action) > 0);
    QCOMPARE(shown.paintsFor(action), 0); // the same setting once more
}

void TestAGauge::dialIsCachedAndNeedleIsLive()
{
    AGauge gauge;
    applyDefaultBands(gauge);
    grabAtDesignedSize(gauge);
    QCOMPARE(gauge.dialRenderCount(), 1);
    gauge.grab();
    QCOMPARE(gauge.dialRenderCount(), 1);

    gauge.setNeedleValue(3.0);
    gauge.grab();
    QCOMPARE(gauge.dialRenderCount(), 1);

    gauge.setScaleMax(QStringLiteral("4.0"));
    gauge.setCurrentAnnular(2);
    gauge.setCurrentTickSet(1);
    gauge.grab();
    QCOMPARE(gauge.dialRenderCount(), 1);

    gauge.setAnnularEnd(2.0);
    gauge.grab();
    QCOMPARE(gauge.dialRenderCount(), 2);

    gauge.resize(gauge.sizeHint() * 2);
    gauge.grab();
    QCOMPARE(gauge.dialRenderCount(), 3);

    // A denser target (a screenshot for a high-density screen) gets a dial of its own.
    QPixmap dense(gauge.size() * 2);
    dense.setDevicePixelRatio(2.0);
    gauge.render(&dense);
    QCOMPARE(gauge.dialRenderCount(), 4);
}

void TestAGauge::describesCaptionAndValue()
{
    AGauge gauge;
    gauge.setCaption(QStringLiteral("Amps AC"));
    gauge.setNeedleValue(2.5);
    QVERIFY(gauge.reading().contains(QStringLiteral("Amps AC")));
    QVERIFY(gauge.reading().contains(QStringLiteral("2.5")));

    // With no screen reader listening, the tooltip waits until one is asked for, and then
    // shows the reading of the moment.
    QVERIFY(!ScreenReader::listening());
    QHelpEvent ask(QEvent::ToolTip, QPoint(5, 5), QPoint(5, 5));
    QCoreApplication::sendEvent(&gauge, &ask);
    QCOMPARE(gauge.toolTip(), gauge.reading());
    gauge.setNeedleValue(notANumber);
    QCoreApplication::sendEvent(&gauge, &ask);
    QVERIFY(gauge.toolTip().contains(QStringLiteral("Amps AC")));
    QVERIFY(!gauge.toolTip().contains(QStringLiteral("2.5")));
    QVERIFY(!gauge.toolTip().contains(QStringLiteral("nan"), Qt::CaseInsensitive));
}

void TestAGauge::screenReadersReadNameAndValue()
{
    AGauge gauge;
    gauge.setLabel(QStringLiteral("Meter 2"));
    gauge.setCaption(QStringLiteral("Amps AC"));
    gauge.setScaleMax(10.0);
    gauge.setNeedleValue(2.5);
    QAccessible::setActive(true);
    const auto quiet = qScopeGuard([] { QAccessible::setActive(false); });

    QAccessibleInterface *dial = QAccessible::queryAccessibleInterface(&gauge);
    QVERIFY(dial);
    QCOMPARE(dial->role(), QAccessible::Dial);
    QCOMPARE(dial->text(QAccessible::Name), QStringLiteral("Meter 2: Amps AC"));
    QCOMPARE(dial->text(QAccessible::Value), QStringLiteral("2.5"));
    QVERIFY(dial->state().readOnly);
    QAccessibleValueInterface *value = dial->valueInterface();
    QVERIFY(value);
    QCOMPARE(value->currentValue().toDouble(), 2.5);
    QCOMPARE(value->minimumValue().toDouble(), 0.0);
    QCOMPARE(value->maximumValue().toDouble(), 10.0);

    // A new reading is a new value; the name stays as it was.
    gauge.setNeedleValue(7.25);
    QCOMPARE(value->currentValue().toDouble(), 7.25);
    QCOMPARE(dial->text(QAccessible::Value), QStringLiteral("7.25"));
    QCOMPARE(dial->text(QAccessible::Name), QStringLiteral("Meter 2: Amps AC"));

    // No reading is no value, and said so.
    gauge.setNeedleValue(notANumber);
    QVERIFY(!value->currentValue().isValid());
    QCOMPARE(dial->text(QAccessible::Value), QStringLiteral("no reading"));

    // A caption renamed, or left blank, renames the gauge.
    gauge.setCaption(QStringLiteral("Pressure"));
    QCOMPARE(dial->text(QAccessible::Name), QStringLiteral("Meter 2: Pressure"));
    gauge.setCaption(QStringLiteral("  "));
    QCOMPARE(dial->text(QAccessible::Name), QStringLiteral("Meter 2"));
}

void TestAGauge::shownTooltipFollowsTheNeedle()
{
    AGauge gauge;
    gauge.setCaption(QStringLiteral("Volts DC"));
    gauge.setNeedleValue(1.5);
    gauge.show();
    QVERIFY(QTest::qWaitForWindowExposed(&gauge));
    const QPoint at = gauge.mapToGlobal(QPoint(10, 10));
    QHelpEvent ask(QEvent::ToolTip, QPoint(10, 10), at);
    QCoreApplication::sendEvent(&gauge, &ask);
    QVERIFY(QTest::qWaitFor([] { return QToolTip::isVisible(); }));
    QCOMPARE(QToolTip::text(), QStringLiteral("Volts DC: 1.5"));

    gauge.setNeedleValue(4.75);
    QCOMPARE(QToolTip::text(), QStringLiteral("Volts DC: 4.75"));
    gauge.setNeedleValue(notANumber);
    QCOMPARE(QToolTip::text(), QStringLiteral("Volts DC: no reading"));

    // Once it is gone, a new reading shows no tooltip of its own accord.
    QToolTip::hideText();
    QVERIFY(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
    gauge.setNeedleValue(2.0);
    QVERIFY(!QToolTip::isVisible());
}

void TestAGauge::scaleFraction_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("expected");
    QTest::newRow("start") << 0.0 << 0.0 << 4.0 << 0.0;
    QTest::newRow("inside") << 1.0 << 0.0 << 4.0 << 0.25;
    QTest::newRow("end") << 4.0 << 0.0 << 4.0 << 1.0;
    QTest::newRow("offset scale") << 15.0 << 10.0 << 20.0 << 0.5;
    QTest::newRow("below") << 0.0 << 10.0 << 20.0 << 0.0;
    QTest::newRow("above") << 1e308 << 0.0 << 4.0 << 1.0;
    QTest::newRow("minus infinity") << -infinity << 0.0 << 4.0 << 0.0;
    QTest::newRow("plus infinity") << infinity << 0.0 << 4.0 << 1.0;
    QTest::newRow("widest scale") << 0.0 << -1.7e308 << 1.7e308 << 0.5;
    QTest::newRow("widest scale quarter") << -0.85e308 << -1.7e308 << 1.7e308 << 0.25;
    QTest::newRow("narrow scale") << 1.0 + 5e-13 << 1.0 << 1.0 + 1e-12 << 0.5;
    QTest::newRow("nan") << notANumber << 0.0 << 4.0 << notANumber;
    QTest::newRow("empty scale") << 1.0 << 4.0 << 4.0 << notANumber;
    QTest::newRow("falling scale") << 1.0 << 4.0 << 0.0 << notANumber;
}

void TestAGauge::scaleFraction()
{
    QFETCH(double, value);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(double, expected);
    const double f = GaugeScale::fraction(value, minimum, maximum);
    if (std::isnan(expected))
        QVERIFY(std::isnan(f));
    else
        QVERIFY2(std::abs(f - expected) < 1e-3, qPrintable(QString::number(f)));
}

void TestAGauge::majorStep_data()
{
    QTest::addColumn<double>("span");
    QTest::addColumn<double>("expected");
    QTest::newRow("0 to 4") << 4.0 << 1.0;
    QTest::newRow("0 to 5") << 5.0 << 1.0;
    QTest::newRow("10 to 20") << 10.0 << 2.0;
    QTest::newRow("-10 to 10") << 20.0 << 5.0;
    QTest::newRow("0 to 3") << 3.0 << 1.0;
    QTest::newRow("0 to 12") << 12.0 << 2.5;
    QTest::newRow("0 to 0.5") << 0.5 << 0.1;
    QTest::newRow("empty") << 0.0 << 0.0;
    QTest::newRow("negative") << -4.0 << 0.0;
    QTest::newRow("infinite") << infinity << 0.0;
    QTest::newRow("nan") << notANumber << 0.0;
}

void TestAGauge::majorStep()
{
    QFETCH(double, span);
    QFETCH(double, expected);
    const double step = GaugeScale::majorStep(span);
    QVERIFY2(std::abs(step - expected) <= 1e-12 * std::max(1.0, expected),
             qPrintable(QString::number(step)));
    if (step > 0.0) {
        const double intervals = span / step;
        QVERIFY(intervals >= 2.5 - 1e-9 && intervals <= 5.0 + 1e-9);
    }
}

void TestAGauge::defaultBandsShowTheirColours_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QColor>("color");
    QTest::newRow("green at 0.3") << 0.3 << QColor(0, 128, 0);
    QTest::newRow("green at 1.0") << 1.0 << QColor(0, 128, 0);
    QTest::newRow("green at 2.2") << 2.2 << QColor(0, 128, 0);
    QTest::newRow("yellow at 2.75") << 2.75 << QColor(255, 255, 0);
    QTest::newRow("red at 3.5") << 3.5 << QColor(255, 0, 0);
    QTest::newRow("red at 3.9") << 3.9 << QColor(255, 0, 0);
}

void TestAGauge::defaultBandsShowTheirColours()
{
    QFETCH(double, value);
    QFETCH(QColor, color);
    AGauge gauge;
    applyDefaultBands(gauge);
    const QImage image = grabAtDesignedSize(gauge);
    QCOMPARE(image.size(), QSize(105, 57));
    const QColor seen = pixelAt(image, gauge.dialPoint(value, 1.0));
    QVERIFY2(nearColor(seen, color), qPrintable(seen.name()));
}

void TestAGauge::unsetAnnularsAreInvisible()
{
    AGauge gauge;
    gauge.setScaleMax(4.0);
    const QImage image = grabAtDesignedSize(gauge);
    for (const double value : {0.5, 1.0, 2.75, 3.5}) {
        const QColor seen = pixelAt(image, gauge.dialPoint(value, 1.0));
        for (int a = 0; a < AGauge::annularCount; ++a) {
            gauge.setCurrentAnnular(a);
            QVERIFY2(!nearColor(seen, BgrColor::toColor(gauge.annularColor()), 16),
                     qPrintable(seen.name()));
        }
    }
}

void TestAGauge::annularOutsideScaleIsClipped()
{
    AGauge gauge;
    gauge.setScaleMax(4.0);
    gauge.setCurrentAnnular(2);
    gauge.setAnnularStart(-10.0);
    gauge.setAnnularEnd(1.0);
    gauge.setCurrentAnnular(4);
    gauge.setAnnularStart(3.5);
    gauge.setAnnularEnd(100.0);
    gauge.setNeedleValue(2.0);
    const QImage image = grabAtDesignedSize(gauge);
    const QColor green(0, 128, 0);
    const QColor red(255, 0, 0);
    QVERIFY(nearColor(pixelAt(image, gauge.dialPoint(0.5, 1.0)), green));
    QVERIFY(!nearColor(pixelAt(image, gauge.dialPoint(-0.3, 1.0)), green, 40));
    QVERIFY(nearColor(pixelAt(image, gauge.dialPoint(3.8, 1.0)), red));
    QVERIFY(!nearColor(pixelAt(image, gauge.dialPoint(4.3, 1.0)), red, 40));
}

void TestAGauge::reversedAnnularCoversItsRange()
{
    AGauge gauge;
    gauge.setScaleMax(QStringLiteral("4"));
    gauge.setCurrentAnnular(3);
    QVERIFY(gauge.setAnnularStart(QStringLiteral("3.5")));
    QVERIFY(gauge.setAnnularEnd(QStringLiteral("2.5")));
    QVERIFY(gauge.setAnnularColor(0x00FF0000u));
    const QImage image = grabAtDesignedSize(gauge);
    for (const double value : {2.6, 3.0, 3.4})
        QVERIFY(nearColor(pixelAt(image, gauge.dialPoint(value, 1.0)), QColor(0, 0, 255)));
    QVERIFY(!nearColor(pixelAt(image, gauge.dialPoint(2.0, 1.0)), QColor(0, 0, 255), 40));
}

void TestAGauge::needleMoves()
{
    AGauge gauge;
    applyDefaultBands(gauge);
    gauge.setNeedleValue(0.0);
    const QImage atStart = grabAtDesignedSize(gauge);
    gauge.setNeedleValue(4.0);
    const QImage atEnd = grabAtDesignedSize(gauge);
    gauge.setNeedleValue(2.0);
    const QImage atMiddle = grabAtDesignedSize(gauge);

    QVERIFY(inkAlong(atStart, gauge, 0.0) >= lineSteps * 3 / 4);
    QVERIFY(inkAlong(atEnd, gauge, 0.0) <= lineSteps / 4);
    QVERIFY(inkAlong(atEnd, gauge, 4.0) >= lineSteps * 3 / 4);
    QVERIFY(inkAlong(atStart, gauge, 4.0) <= lineSteps / 4);
    QVERIFY(inkAlong(atMiddle, gauge, 2.0) >= lineSteps * 3 / 4);
    QVERIFY(inkAlong(atMiddle, gauge, 0.0) <= lineSteps / 4);
}

void TestAGauge::outOfRangeNeedleIsPinnedAndMarked_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("pinnedAt");
    QTest::newRow("just above") << 4.5 << 4.0;
    QTest::newRow("huge") << 1e308 << 4.0;
    QTest::newRow("infinity") << infinity << 4.0;
    QTest::newRow("below") << -1.0 << 0.0;
    QTest::newRow("minus infinity") << -infinity << 0.0;
}

void TestAGauge::outOfRangeNeedleIsPinnedAndMarked()
{
    QFETCH(double, value);
    QFETCH(double, pinnedAt);
    AGauge gauge;
    applyDefaultBands(gauge);
    gauge.setNeedleValue(pinnedAt);
    const QImage atEnd = grabAtDesignedSize(gauge);
    gauge.setNeedleValue(value);
    const QImage beyond = grabAtDesignedSize(gauge);

    QVERIFY(inkAlong(beyond, gauge, pinnedAt) >= lineSteps * 3 / 4);
    // Same needle, plus the over- or under-range mark.
    QVERIFY(beyond != atEnd);
}

void TestAGauge::nanNeedleIsHidden()
{
    AGauge gauge;
    applyDefaultBands(gauge);
    gauge.setCaption(QString()); // a clear face between hub and ticks
    for (const double value : {0.5, 1.0, 2.0, 3.0, 3.5}) {
        gauge.setNeedleValue(value);
        QVERIFY(inkAlong(grabAtDesignedSize(gauge), gauge, value) >= lineSteps * 3 / 4);
    }
    gauge.setNeedleValue(notANumber);
    const QImage image = grabAtDesignedSize(gauge);
    for (const double value : {0.5, 1.0, 2.0, 3.0, 3.5})
        QVERIFY(inkAlong(image, gauge, value) <= lineSteps / 4);
}

void TestAGauge::scaleWithoutRangeShowsNoScale_data()
{
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::newRow("equal ends") << 0.0 << 0.0;
    QTest::newRow("falling") << 4.0 << 0.0;
    QTest::newRow("falling negative") << -1.0 << -5.0;
}

void TestAGauge::scaleWithoutRangeShowsNoScale()
{
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    AGauge gauge;
    applyDefaultBands(gauge);
    const QImage good = grabAtDesignedSize(gauge);
    gauge.setScaleMin(minimum);
    gauge.setScaleMax(maximum);
    gauge.setNeedleValue(2.0);
    const QImage image = grabAtDesignedSize(gauge);

    // The needle rests at the start of the dial, the bands are gone.
    QVERIFY(inkAlong(image, gauge, 2.0) >= lineSteps * 3 / 4);
    gauge.setScaleMin(0.0);
    gauge.setScaleMax(4.0);
    for (const double value : {1.0, 2.75, 3.5}) {
        const QPointF point = gauge.dialPoint(value, 1.0);
        QVERIFY(pixelAt(good, point) != pixelAt(image, point));
        QVERIFY(!nearColor(pixelAt(image, point), QColor(0, 128, 0), 40));
    }
}

void TestAGauge::pathologicalValuesPaint_data()
{
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("needle");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QSize>("size");
    const QSize designed(105, 57);
    QTest::newRow("empty scale") << 0.0 << 0.0 << 1.0 << 4 << designed;
    QTest::newRow("nan needle") << 0.0 << 4.0 << notANumber << 4 << designed;
    QTest::newRow("huge needle") << 0.0 << 4.0 << 1e308 << 4 << designed;
    QTest::newRow("most minor ticks") << 0.0 << 4.0 << 2.0 << 32767 << designed;
    QTest::newRow("widest scale") << -1.7e308 << 1.7e308 << 0.0 << 9 << designed;
    QTest::newRow("narrowest scale") << 1.0 << 1.0 + 4e-16 << 1.0 << 32767 << designed;
    QTest::newRow("tiny numbers") << 0.0 << 4e-320 << 1e-320 << 9 << designed;
    QTest::newRow("far from zero") << 1e300 << 1.0000001e300 << 1e300 << 9 << designed;
    QTest::newRow("no size") << 0.0 << 4.0 << 2.0 << 4 << QSize(0, 0);
    QTest::newRow("sliver") << 0.0 << 4.0 << 2.0 << 4 << QSize(3, 200);
    QTest::newRow("large") << 0.0 << 4.0 << 2.0 << 9 << QSize(1200, 650);
}

void TestAGauge::pathologicalValuesPaint()
{
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(double, needle);
    QFETCH(int, ticks);
    QFETCH(QSize, size);
    AGauge gauge;
    applyDefaultBands(gauge);
    QVERIFY(gauge.setScaleMin(minimum));
    QVERIFY(gauge.setScaleMax(maximum));
    for (int set = 0; set < AGauge::tickSetCount; ++set) {
        gauge.setCurrentTickSet(set);
        QVERIFY(gauge.setMinorTickCount(ticks));
    }
    gauge.setNeedleValue(needle);
    gauge.resize(size);
    const QImage image = gauge.grab().toImage();
    QCOMPARE(image.size(), size);
}

void TestAGauge::tooManyMinorTicksAreLeftOut()
{
    auto picture = [](int ticks) {
        AGauge gauge;
        applyDefaultBands(gauge);
        for (int set = 0; set < AGauge::tickSetCount; ++set) {
            gauge.setCurrentTickSet(set);
            gauge.setMinorTickCount(ticks);
        }
        return grabAtDesignedSize(gauge);
    };
    const QImage majorsOnly = picture(0);
    QVERIFY(picture(4) != majorsOnly);
    QCOMPARE(picture(AGauge::maxMinorTickCount), majorsOnly);
}

void TestAGauge::paletteDecidesTheFace()
{
    AGauge gauge;
    applyDefaultBands(gauge);
    const QImage light = grabAtDesignedSize(gauge);
    QPalette dark = gauge.palette();
    dark.setColor(QPalette::Base, QColor(25, 25, 30));
    dark.setColor(QPalette::Text, QColor(235, 235, 235));
    const int before = gauge.dialRenderCount();
    gauge.setPalette(dark);
    const QImage image = grabAtDesignedSize(gauge);
    QCOMPARE(gauge.dialRenderCount(), before + 1);
    // A spot of bare face beside the left end of the scale follows the palette's base.
    const QPoint face(6, 45);
    QVERIFY(qGray(light.pixel(face)) > 180);
    QVERIFY(qGray(image.pixel(face)) < 70);
    // The bands keep their own colours.
    QVERIFY(nearColor(pixelAt(image, gauge.dialPoint(1.0, 1.0)), QColor(0, 128, 0)));
}

void TestAGauge::looksTheSameEnabledOrDisabled()
{
    // The window is disabled while a dialog is open over it: the dial keeps its colours,
    // and one drawn then is no greyed dial kept for later.
    const auto fresh = [] {
        AGauge gauge;
        applyDefaultBands(gauge);
        gauge.setNeedleValue(2.2);
        return grabAtDesignedSize(gauge);
    };
    const QImage enabled = fresh();

    QWidget window;
    auto *gauge = new AGauge(&window);
    applyDefaultBands(*gauge);
    window.setEnabled(false);
    gauge->setNeedleValue(2.2);
    gauge->setCaption(QStringLiteral("Amps"));
    gauge->setCaption(QStringLiteral("Volts DC")); // edited while the dialog was open
    QCOMPARE(grabAtDesignedSize(*gauge), enabled);
    window.setEnabled(true);
    QCOMPARE(grabAtDesignedSize(*gauge), enabled);
}

TARNWICK_TEST_MAIN(TestAGauge)

#include "tst_agauge.moc"
