// What the trend window and its history cost the panel: one append of the needles (what
// every shown frame adds), one redraw of the six live charts over ten minutes at the fastest
// poll, painting included, and a whole poll tick beside them. A plain program, so that
// callgrind counts the instructions of the part asked for and nothing of a harness:
//
//   valgrind --tool=callgrind --collect-atstart=no bench/bench_trend refresh 20
//
// counts 20 redraws (collection is switched on around them only). Without valgrind it
// prints the time of each part. `bench_trend screenshots DIR` saves the window, live and
// showing a recording, as DIR/trends-live.png and DIR/trends-file.png.
#include "AGauge.h"
#include "BgrColor.h"
#include "FakeMessageBox.h"
#include "FakeSerialPort.h"
#include "MemorySettingsStore.h"
#include "TrendChartView.h"
#include "TrendHistory.h"
#include "TrendWindow.h"
#include "frmMonitor.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <valgrind/callgrind.h>

namespace {

// Two frames that differ in every relay, lamp and meter, so each tick really repaints.
const QByteArray frames[2] = {
    "255,000,255,000,255,000,255,000,,010,200,012013,250,015,130,075, 1234\r",
    "000,255,000,255,000,255,000,255,,200,010,250100,014,240,125,076, 1235\r",
};

constexpr qint64 pollMs = 180;

struct Panel
{
    MemorySettingsStore store;
    FakeSerialPort port;
    FakeMessageBox messages;
    frmMonitor window{{store, port, messages}};
    qint64 now = QDateTime(QDate(2026, 12, 9), QTime(14, 0)).toMSecsSinceEpoch();
    TrendHistory history{window.core(), [this] {
                             return now;
                         }};
    int which = 0;
    // The needles' jitter from one poll to the next, as a share of the scale.
    double jitter = 0.1;

    Panel()
    {
        window.Form_Load();
        window.poll().Timer1->stop();
        window.show();
    }

    std::array<double, 6> needles{};

    // Needles that wander, with a dip now and then, as a real channel's do.
    void setNeedles(qint64 index)
    {
        for (int m = 0; m < 6; ++m) {
            AGauge &gauge = *window.w.AGauge1[std::size_t(m)];
            const double span = gauge.scaleMax() - gauge.scaleMin();
            const double wave = 0.5 + 0.3 * std::sin(double(index) / (40.0 + 13.0 * m)) +
                                jitter * std::sin(double(index) / 3.0 + m);
            const double dip = index % (700 + 90 * m) < 15 ? -0.3 : 0.0;
            needles[std::size_t(m)] = gauge.scaleMin() + span * std::clamp(wave + dip, 0.0, 1.0);
            gauge.setNeedleValue(needles[std::size_t(m)]);
        }
    }

    // Samples every poll interval over `msecs` up to now.
    void fill(qint64 msecs, qint64 outageAt = -1)
    {
        const qint64 count = msecs / pollMs;
        const qint64 end = now;
        for (qint64 i = 0; i < count; ++i) {
            now = end - (count - 1 - i) * pollMs;
            setNeedles(i);
            if (i == outageAt)
                Q_EMIT window.poll().linkChanged(); // the link is not live before this one
            history.append(needles);
        }
    }

    void tick()
    {
        now += pollMs;
        port.receive(frames[which]);
        which ^= 1;
        window.poll().Timer1_Timer();
        QCoreApplication::processEvents(); // the repaint the event loop would do next
        port.clearLog();
    }
};

using Clock = std::chrono::steady_clock;

void report(const char *what, int count, Clock::time_point begin)
{
    const double micros =
        std::chrono::duration<double, std::micro>(Clock::now() - begin).count() / count;
    std::printf("%-8s %6d times, %10.1f us each\n", what, count, micros);
}

int runAppend(int count)
{
    Panel panel;
    panel.fill(10 * 60'000);
    const auto begin = Clock::now();
    CALLGRIND_TOGGLE_COLLECT;
    for (int i = 0; i < count; ++i) {
        panel.now += pollMs;
        panel.history.append(panel.needles);
    }
    CALLGRIND_TOGGLE_COLLECT;
    report("append", count, begin);
    return 0;
}

int runTicks(int count, bool withTrends)
{
    Panel panel;
    panel.fill(10 * 60'000);
    TrendWindow trends(panel.history, panel.window.w.AGauge1);
    if (withTrends) {
        trends.show();
        if (!QTest::qWaitForWindowExposed(&trends))
            return 1;
        // Its own timer would fire by the wall clock, which callgrind slows: the redraws
        // are counted on their own by "refresh".
        trends.setPaused(true);
    }
    for (int i = 0; i < 10; ++i)
        panel.tick();
    const auto begin = Clock::now();
    CALLGRIND_TOGGLE_COLLECT;
    for (int i = 0; i < count; ++i)
        panel.tick();
    CALLGRIND_TOGGLE_COLLECT;
    report(withTrends ? "tick+win" : "tick", count, begin);
    return 0;
}

// `jumping`: the time axis moves on at each redraw, which repaints the whole of each chart;
// otherwise the redraws come as they do between two such moves.
int runRefresh(int count, bool jumping, TrendWindow::Span span)
{
    Panel panel;
    panel.fill(TrendWindow::spanMs(span));
    TrendWindow trends(panel.history, panel.window.w.AGauge1);
    trends.setSpan(span);
    trends.show();
    if (!QTest::qWaitForWindowExposed(&trends))
        return 1;
    QCoreApplication::processEvents();
    // Its own timer would fire by the wall clock, which callgrind slows: the redraws below
    // are the only ones.
    for (QTimer *timer : trends.findChildren<QTimer *>())
        timer->stop();
    trends.refresh();
    QCoreApplication::processEvents();
    const int interval = trends.refreshInterval();
    std::printf("refresh interval %d ms, %d pixel columns, update mode %d\n", interval,
                trends.chart(0)->plotColumns(), int(trends.chart(0)->viewportUpdateMode()));
    qint64 index = 0;
    auto begin = Clock::now();
    // The first round is not counted: it settles what the start left to do.
    for (int i = -1; i < count; ++i) {
        if (i == 0)
            begin = Clock::now();
        // What arrives between two redraws, then the redraw and its painting.
        const qint64 gap = jumping ? TrendWindow::spanMs(trends.span()) / 4 : interval;
        for (qint64 t = 0; t < gap; t += pollMs) {
            panel.now += pollMs;
            panel.setNeedles(++index);
            panel.history.append(panel.needles);
        }
        QCoreApplication::processEvents(); // the gauges' repaint is the monitor's cost
        if (i >= 0)
            CALLGRIND_TOGGLE_COLLECT;
        trends.refresh();
        QCoreApplication::processEvents();
        if (i >= 0)
            CALLGRIND_TOGGLE_COLLECT;
    }
    report(jumping ? "jump" : "refresh", count, begin);
    return 0;
}

QByteArray recordingText(const frmMonitor &window, qint64 start)
{
    QByteArray text = "Time,Link";
    for (int r = 1; r <= 64; ++r)
        text += ",R" + QByteArray::number(r);
    for (int k = 1; k <= 8; ++k)
        text += ",Input " + QByteArray::number(k);
    const char *captions[6] = {"\"Supply, V\"", "Load A",  "Flow l/min",
                               "Tank %",        "Fan rpm", "Motor \u00B0C"};
    for (const char *caption : captions)
        text += ',' + QByteArray(caption);
    text += ",Temperature (\u00B0F),Frequency,An Out 1,An Out 2,Frame\r\n";
    for (int i = 0; i < 3600; ++i) {
        const QDateTime time = QDateTime::fromMSecsSinceEpoch(start + qint64(i) * 1000);
        text += time.toString(Qt::ISODateWithMs).toLatin1();
        text += i >= 2000 && i < 2100 ? ",no-reply" : ",live";
        for (int r = 0; r < 72; ++r)
            text += ",0";
        for (int m = 0; m < 6; ++m) {
            const AGauge &gauge = *window.w.AGauge1[std::size_t(m)];
            const double span = gauge.scaleMax() - gauge.scaleMin();
            const double wave = 0.5 + 0.35 * std::sin(double(i) / (90.0 + 40.0 * m) + m);
            text += ',' + QByteArray::number(gauge.scaleMin() + span * wave, 'g', 6);
        }
        text += ",72, 1234,0,0,\"000,000,000,000,000,000,000,000,,,,,,,,,\r\"\r\n";
    }
    return text;
}

int saveScreenshots(const QString &folder)
{
    Panel panel;
    panel.jitter = 0.02;
    // Six gauges set up as a bench might have them.
    const struct
    {
        const char *caption;
        double minimum, maximum, bandLow, bandHigh;
        quint32 color;
    } setups[6] = {
        {"Supply V", 0, 30, 24, 30, BgrColor::fromRgb(220, 60, 60)},
        {"Load A", 0, 10, 0, 6, BgrColor::fromRgb(60, 170, 60)},
        {"Flow l/min", 0, 120, 90, 120, BgrColor::fromRgb(230, 200, 40)},
        {"Tank %", 0, 100, 0, 15, BgrColor::fromRgb(220, 60, 60)},
        {"Fan rpm", 0, 3000, 2500, 3000, BgrColor::fromRgb(230, 140, 30)},
        {"Motor \u00B0C", -20, 120, 90, 120, BgrColor::fromRgb(220, 60, 60)},
    };
    for (int m = 0; m < 6; ++m) {
        AGauge &gauge = *panel.window.w.AGauge1[std::size_t(m)];
        gauge.setCaption(QString::fromUtf8(setups[m].caption));
        gauge.setScaleMin(setups[m].minimum);
        gauge.setScaleMax(setups[m].maximum);
        for (int i = 0; i < AGauge::annularCount; ++i) {
            gauge.setCurrentAnnular(i);
            gauge.setAnnularStart(i == 0 ? setups[m].bandLow : 0.0);
            gauge.setAnnularEnd(i == 0 ? setups[m].bandHigh : 0.0);
            gauge.setAnnularColor(setups[m].color);
        }
    }
    panel.fill(10 * 60'000, 10 * 60'000 / pollMs * 2 / 3);
    TrendWindow trends(panel.history, panel.window.w.AGauge1);
    trends.resize(1080, 640);
    trends.show();
    if (!QTest::qWaitForWindowExposed(&trends))
        return 1;
    QCoreApplication::processEvents();
    trends.refresh();
    const QString live = QDir(folder).filePath(QStringLiteral("trends-live.png"));
    if (!trends.grab().save(live))
        return 1;

    QTemporaryDir temporary;
    QFile file(temporary.filePath(QStringLiteral("bench run.csv")));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(recordingText(panel.window, panel.now - 2 * 3600'000)) < 0)
        return 1;
    file.close();
    QSignalSpy shown(&trends, &TrendWindow::recordingShown);
    trends.openRecording(file.fileName());
    if (!shown.wait(30000))
        return 1;
    QCoreApplication::processEvents();
    const QString recorded = QDir(folder).filePath(QStringLiteral("trends-file.png"));
    if (!trends.grab().save(recorded))
        return 1;
    std::printf("%s\n%s\n", qPrintable(live), qPrintable(recorded));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString mode = arguments.value(1, QStringLiteral("all"));
    const int count = arguments.value(2, QStringLiteral("20")).toInt();
    // The span shown: 0 for 1 min, 1 for 10 min (the default), 2 for 1 h, 3 for 8 h.
    const auto span =
        TrendWindow::Span(std::clamp(arguments.value(3, QStringLiteral("1")).toInt(), 0, 3));
    if (mode == QLatin1String("append"))
        return runAppend(count);
    if (mode == QLatin1String("tick"))
        return runTicks(count, false);
    if (mode == QLatin1String("tick-with-window"))
        return runTicks(count, true);
    if (mode == QLatin1String("refresh"))
        return runRefresh(count, false, span);
    if (mode == QLatin1String("jump"))
        return runRefresh(count, true, span);
    if (mode == QLatin1String("screenshots"))
        return saveScreenshots(arguments.value(2, QStringLiteral(".")));
    if (mode == QLatin1String("all"))
        return runAppend(10000) | runTicks(200, false) | runTicks(200, true) |
               runRefresh(20, false, span) | runRefresh(20, true, span);
    std::fprintf(
        stderr,
        "usage: bench_trend [append|tick|tick-with-window|refresh|jump [count [span 0..3]]]\n"
        "       bench_trend screenshots FOLDER\n");
    return 2;
}
