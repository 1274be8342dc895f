// The trend window over a history fed by hand: what the charts hold for each span, that
// they follow the gauges' captions, scales and bands, that they stop redrawing when nobody
// looks, zooming, showing a recording from a file, and exporting the charts.
#include "RecordingText.h"
#include "TestMain.h"
#include "TrendChartView.h"
#include "TrendRig.h"
#include "TrendWindow.h"

#include <QAccessible>
#include <QCategoryAxis>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QValueAxis>
#include <cmath>
#include <zlib.h>

using namespace TrendTest;
using namespace Qt::StringLiterals;

namespace {

constexpr int patience = 10000; // ms: an upper bound, never a delay

// A wave on each channel with one sharp peak, the kind decimation must not lose.
std::array<double, 6> wave(qint64 index, qint64 peakAt)
{
    std::array<double, 6> needles{};
    for (int m = 0; m < 6; ++m)
        needles[std::size_t(m)] =
            index == peakAt ? 95.0 + m : 40.0 + 20.0 * std::sin(double(index) / 37.0);
    return needles;
}

qint64 axisFrom(const TrendChartView *view)
{
    return std::llround(view->timeAxis()->min());
}
qint64 axisTo(const TrendChartView *view)
{
    return std::llround(view->timeAxis()->max());
}

struct WindowRig : Rig
{
    std::unique_ptr<TrendWindow> trends;

    void open()
    {
        start();
        for (int m = 0; m < 6; ++m) {
            gauge(m).setScaleMin(0.0);
            gauge(m).setScaleMax(100.0);
        }
        trends = std::make_unique<TrendWindow>(*history, window().w.AGauge1);
    }
    bool showTrends()
    {
        trends->showAndRaise();
        if (!QTest::qWaitForWindowExposed(trends.get()))
            return false;
        trends->refresh(); // laid out now: the charts know their width
        return true;
    }
    // Samples every `step` ms up to now, `count` of them, with the peak at `peakAt`.
    void feed(qint64 count, qint64 step, qint64 peakAt)
    {
        const qint64 first = wallNow - (count - 1) * step;
        for (qint64 i = 0; i < count; ++i)
            sample(first + i * step, wave(i, peakAt));
    }
    QPushButton *button(const QString &name) const
    {
        return trends->findChild<QPushButton *>(name);
    }
};

} // namespace

class TestTrendWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

private Q_SLOTS:
    void liveChartsHoldAtMostTwoPointsAColumn_data()
    {
        QTest::addColumn<int>("span");
        QTest::addColumn<qint64>("step");
        QTest::newRow("1 min at 180 ms") << int(TrendWindow::Span::OneMinute) << qint64(180);
        QTest::newRow("10 min at 180 ms") << int(TrendWindow::Span::TenMinutes) << qint64(180);
        QTest::newRow("1 h at 500 ms") << int(TrendWindow::Span::OneHour) << qint64(500);
        QTest::newRow("8 h at 2 s") << int(TrendWindow::Span::EightHours) << qint64(2000);
    }
    void liveChartsHoldAtMostTwoPointsAColumn()
    {
        QFETCH(int, span);
        QFETCH(qint64, step);
        WindowRig rig;
        rig.open();
        const qint64 spanMs = TrendWindow::spanMs(TrendWindow::Span(span));
        // A tenth more than the span, so older samples lie outside the view.
        const qint64 count = spanMs * 11 / 10 / step;
        rig.wallNow += spanMs;
        rig.feed(count, step, count - 20);
        rig.trends->setSpan(TrendWindow::Span(span));
        QVERIFY(rig.showTrends());
        QCOMPARE(rig.trends->findChild<QComboBox *>(u"spanBox"_s)->currentIndex(), span);

        for (int m = 0; m < 6; ++m) {
            const TrendChartView *view = rig.trends->chart(m);
            // The whole span, with the newest sample in the part that the axis leaves ahead.
            QCOMPARE(axisTo(view) - axisFrom(view), spanMs);
            const qint64 ahead = spanMs / TrendWindow::leadShare, shownMs = spanMs - ahead;
            QVERIFY(axisTo(view) >= rig.wallNow && axisTo(view) <= rig.wallNow + ahead);
            const QList<QPointF> points = view->trace().points;
            QVERIFY2(points.size() <= 2 * view->plotColumns(),
                     qPrintable(
                         u"%1 points on %2 columns"_s.arg(points.size()).arg(view->plotColumns())));
            QVERIFY(points.size() >=
                    std::min<qint64>(view->plotColumns() * shownMs / spanMs, shownMs / step));
            qreal highest = 0;
            for (const QPointF &point : points) {
                QVERIFY(point.x() >= qreal(axisFrom(view)));
                QVERIFY(point.x() <= qreal(rig.wallNow));
                highest = std::max(highest, point.y());
            }
            QCOMPARE(highest, 95.0 + m); // the one peak survived
        }
    }

    void captionsScalesAndBandsFollowTheGauges()
    {
        WindowRig rig;
        rig.open();
        AGauge &gauge = rig.gauge(1);
        gauge.setCaption(u"Pressure"_s);
        QVERIFY(gauge.setScaleMin(-10.0));
        QVERIFY(gauge.setScaleMax(40.0));
        gauge.setCurrentAnnular(0);
        gauge.setAnnularStart(0.0);
        gauge.setAnnularEnd(20.0);
        gauge.setAnnularColor(BgrColor::fromRgb(0, 160, 0));
        gauge.setCurrentAnnular(1);
        gauge.setAnnularStart(30.0); // ends given the wrong way round
        gauge.setAnnularEnd(25.0);
        gauge.setAnnularColor(BgrColor::fromRgb(200, 0, 0));
        for (int unused = 2; unused < AGauge::annularCount; ++unused) {
            gauge.setCurrentAnnular(unused);
            gauge.setAnnularStart(10.0); // start equals end
            gauge.setAnnularEnd(10.0);
        }
        gauge.setCurrentAnnular(3);
        rig.feed(100, 180, 50);
        QVERIFY(rig.showTrends());

        TrendChartView *view = rig.trends->chart(1);
        QCOMPARE(view->chart()->title(), u"Meter 2: Pressure"_s);
        QCOMPARE(view->valueAxis()->min(), -10.0);
        QCOMPARE(view->valueAxis()->max(), 40.0);
        const QList<TrendScale::Band> &bands = view->scale().bands;
        QCOMPARE(bands.size(), 2);
        QCOMPARE(bands[0], (TrendScale::Band{0.0, 20.0, QColor(0, 160, 0)}));
        QCOMPARE(bands[1], (TrendScale::Band{25.0, 30.0, QColor(200, 0, 0)}));
        // Shaded behind the line: the band's colour over the plot, lightly.
        const QImage image = view->grab().toImage();
        const QRectF plot = view->chart()->plotArea();
        const auto pixelAt = [&](double value) {
            const double share = (value + 10.0) / 50.0;
            return QColor(image.pixel(
                QPoint(int(plot.left() + 3), int(plot.bottom() - share * plot.height()))));
        };
        const QColor green = pixelAt(10.0), red = pixelAt(27.5), plain = pixelAt(35.0);
        QVERIFY2(green.green() > green.red() && green.green() > green.blue() && green != plain,
                 qPrintable(green.name()));
        QVERIFY2(red.red() > red.green() && red.red() > red.blue() && red != plain,
                 qPrintable(red.name()));
        QVERIFY(green.lightness() > 128);    // light enough for the line to stand out
        QCOMPARE(gauge.currentAnnular(), 3); // reading the bands left the selection alone
        // The other charts keep their own gauges' captions; one without is its number.
        QCOMPARE(rig.trends->chart(0)->chart()->title(), u"Meter 1: "_s + rig.gauge(0).caption());
        rig.gauge(2).setCaption(u"  "_s);
        rig.trends->reloadScales();
        QCOMPARE(rig.trends->chart(2)->chart()->title(), u"Meter 3"_s);
        // A screen reader, which cannot read the drawn title, hears it as the chart's name; the
        // span box has a label, related to it as its label.
        for (int m = 0; m < 6; ++m) {
            TrendChartView *chart = rig.trends->chart(m);
            QCOMPARE(QAccessible::queryAccessibleInterface(chart)->text(QAccessible::Name),
                     chart->chart()->title());
        }
        auto *spanBox = rig.trends->findChild<QComboBox *>(u"spanBox"_s);
        const auto related =
            QAccessible::queryAccessibleInterface(spanBox)->relations(QAccessible::Label);
        QVERIFY(std::any_of(related.begin(), related.end(), [](const auto &relation) {
            return relation.first->text(QAccessible::Name) == u"Span:"_s;
        }));

        // The setup dialog changed the gauge: the next redraw shows it.
        gauge.setCaption(u"Pressure (bar)"_s);
        QVERIFY(gauge.setScaleMax(60.0));
        gauge.setCurrentAnnular(0);
        gauge.setAnnularEnd(0.0); // no longer used
        rig.trends->reloadScales();
        QCOMPARE(view->chart()->title(), u"Meter 2: Pressure (bar)"_s);
        QCOMPARE(view->valueAxis()->max(), 60.0);
        QCOMPARE(view->scale().bands.size(), 1);
    }

    void redrawsOnlyWhileSomeoneLooks()
    {
        WindowRig rig;
        rig.open();
        rig.feed(100, 180, 50);
        QVERIFY(!rig.trends->isRefreshing()); // nothing before it is shown
        QVERIFY(rig.showTrends());
        QVERIFY(rig.trends->isRefreshing());
        const int columns = rig.trends->chart(0)->plotColumns();
        QCOMPARE(rig.trends->refreshInterval(),
                 std::max(TrendWindow::fastestRefreshMs, 600'000 / columns));
        rig.trends->setSpan(TrendWindow::Span::EightHours);
        QCOMPARE(rig.trends->refreshInterval(), 8 * 3'600'000 / columns);
        rig.trends->setSpan(TrendWindow::Span::OneMinute);
        QCOMPARE(rig.trends->refreshInterval(), TrendWindow::fastestRefreshMs);

        // The timer follows the history by itself.
        rig.sample(rig.wallNow + 5000, wave(0, 0));
        const auto newestShown = [&] {
            const QList<QPointF> &points = rig.trends->chart(0)->trace().points;
            return points.isEmpty() ? 0 : qint64(points.last().x());
        };
        QVERIFY(QTest::qWaitFor([&] { return newestShown() == rig.wallNow; }, patience));

        // Paused: the view stays where it is, even when asked to redraw.
        QPushButton *pause = rig.button(u"cmdPause"_s);
        pause->click();
        QCOMPARE(pause->text(), u"&Resume"_s);
        QVERIFY(!rig.trends->isRefreshing());
        const qint64 pausedAt = newestShown();
        rig.sample(rig.wallNow + 5000, wave(0, 0));
        rig.trends->refresh();
        QCOMPARE(newestShown(), pausedAt);
        pause->click();
        QCOMPARE(pause->text(), u"&Pause"_s);
        QVERIFY(rig.trends->isRefreshing());
        QCOMPARE(newestShown(), rig.wallNow);

        rig.trends->showMinimized();
        QVERIFY(!rig.trends->isRefreshing());
        rig.trends->showAndRaise();
        QVERIFY(rig.trends->isRefreshing());
        rig.trends->hide();
        QVERIFY(!rig.trends->isRefreshing());
    }

    void repaintingOnlyTheLinesEndLeavesWhatAWholeRepaintShows()
    {
        WindowRig rig;
        rig.open();
        rig.feed(2000, 180, 1000);
        QVERIFY(rig.showTrends());
        QScreen *screen = rig.trends->screen();
        // Redraws as the timer makes them, each painting only what changed, the newest samples
        // dipping and jumping so that the line's end moves up and down.
        for (int i = 0; i < 12; ++i) {
            for (int k = 0; k < 6; ++k)
                rig.sample(rig.wallNow + 180, wave(k % 2 ? 0 : 1000 + i, 1000 + i));
            rig.trends->refresh();
            QCoreApplication::processEvents();
        }
        // What the window shows on the screen, against all of it painted afresh.
        const QImage shown = screen->grabWindow(rig.trends->winId()).toImage();
        const QImage fresh = rig.trends->grab().toImage();
        QCOMPARE(shown.size(), fresh.size());
        if (qEnvironmentVariableIsSet("TREND_DUMP")) {
            shown.save(u"/tmp/shown.png"_s);
            fresh.save(u"/tmp/fresh.png"_s);
        }
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
                 fresh.convertToFormat(QImage::Format_RGB32));
    }

    void zoomingMovesEveryChartAndPauses()
    {
        WindowRig rig;
        rig.open();
        rig.feed(3000, 180, 1500);
        QVERIFY(rig.showTrends());
        TrendChartView *view = rig.trends->chart(4);
        const qint64 from = axisFrom(view), to = axisTo(view);

        // A rubber band over the middle half of the plot, drawn with the mouse.
        const QRectF plot = view->chart()->plotArea();
        const QPoint start =
            view->mapFromScene(QPointF(plot.left() + plot.width() / 4, plot.center().y()));
        const QPoint end =
            view->mapFromScene(QPointF(plot.right() - plot.width() / 4, plot.center().y() + 10));
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, start);
        QTest::mouseMove(view->viewport(), end);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, end);

        const qint64 zoomedFrom = axisFrom(view), zoomedTo = axisTo(view);
        QVERIFY(zoomedFrom > from + (to - from) / 5);
        QVERIFY(zoomedTo < to - (to - from) / 5);
        QVERIFY(!rig.trends->isFollowing());
        QVERIFY(!rig.trends->isRefreshing());
        QCOMPARE(rig.button(u"cmdPause"_s)->text(), u"&Resume"_s);
        QCOMPARE(view->valueAxis()->min(), 0.0); // only time is zoomed
        QCOMPARE(view->valueAxis()->max(), 100.0);
        for (int m = 0; m < 6; ++m) {
            const TrendChartView *other = rig.trends->chart(m);
            QCOMPARE(axisFrom(other), zoomedFrom);
            QCOMPARE(axisTo(other), zoomedTo);
            // Reduced anew for the narrower view: every sample in it is there.
            const qint64 inView = (zoomedTo - zoomedFrom) / 180;
            QVERIFY(other->pointCount() >= std::min<qint64>(inView - 2, other->plotColumns()));
            for (const QPointF &point : other->trace().points)
                QVERIFY(point.x() >= qreal(zoomedFrom) && point.x() <= qreal(zoomedTo));
        }

        // A right click zooms out around the middle.
        QTest::mouseClick(rig.trends->chart(0)->viewport(), Qt::RightButton, {},
                          rig.trends->chart(0)->viewport()->rect().center());
        QCOMPARE(axisTo(view) - axisFrom(view), 2 * (zoomedTo - zoomedFrom));
        QVERIFY(!rig.trends->isFollowing());

        rig.button(u"cmdPause"_s)->click();
        QVERIFY(rig.trends->isFollowing());
        QCOMPARE(axisFrom(view), from);
        QCOMPARE(axisTo(view), to);
    }

    void showsARecordingAndGoesBackToLive()
    {
        WindowRig rig;
        rig.open();
        rig.feed(100, 180, 50);
        QVERIFY(rig.showTrends());

        const QStringList captions{u"Flow, l/min"_s, u"Température"_s, u"C"_s,
                                   u"D"_s,           u"E"_s,           u"F"_s};
        QByteArray text = RecordingText::header(captions);
        const QDateTime first(QDate(2026, 11, 30), QTime(8, 0));
        for (int i = 0; i < 600; ++i) {
            QList<QByteArray> meters;
            for (int m = 0; m < 6; ++m)
                meters << QByteArray::number(i == 300 ? 150 : (i % 10) * 10 + m);
            const QByteArray link = i == 400 ? "no-reply" : "live";
            text += RecordingText::row(first.addSecs(i).toString(Qt::ISODateWithMs).toLatin1(),
                                       link, meters);
        }
        QFile file(m_folder.filePath(u"bench run.csv"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(text), text.size());
        file.close();

        QSignalSpy shown(rig.trends.get(), &TrendWindow::recordingShown);
        rig.trends->openRecording(file.fileName());
        QVERIFY(shown.wait(patience));
        QVERIFY(rig.trends->isShowingRecording());
        QVERIFY(!rig.trends->isRefreshing());
        QVERIFY(
            rig.trends->findChild<QLabel *>(u"lblSource"_s)->text().contains(u"bench run.csv"_s));
        QVERIFY(rig.button(u"cmdLive"_s)->isEnabled());
        QVERIFY(!rig.button(u"cmdPause"_s)->isEnabled());
        for (int m = 0; m < 6; ++m) {
            const TrendChartView *view = rig.trends->chart(m);
            QCOMPARE(view->chart()->title(), u"Meter %1: %2"_s.arg(m + 1).arg(captions[m]));
            QCOMPARE(axisFrom(view), first.toMSecsSinceEpoch());
            QCOMPARE(axisTo(view), first.addSecs(599).toMSecsSinceEpoch());
            // The no-reply row breaks the line; the value beyond the gauge's scale shows.
            QCOMPARE(view->stretchCount(), 2);
            QVERIFY(view->valueAxis()->max() >= 150.0);
            qreal lowest = 1000, highest = -1000;
            for (const QPointF &point : view->trace().points) {
                lowest = std::min(lowest, point.y());
                highest = std::max(highest, point.y());
                QVERIFY(point.y() == 150 || int(point.y()) % 10 == m);
            }
            QCOMPARE(lowest, qreal(m));
            QCOMPARE(highest, 150.0);
            // Round numbers up the axis widened to the peak: 0, 50, 100, 150.
            QCOMPARE(view->valueAxis()->tickType(), QValueAxis::TicksDynamic);
            QCOMPARE(view->valueAxis()->tickInterval(), 50.0);
            QCOMPARE(std::fmod(view->valueAxis()->tickAnchor(), 50.0), 0.0);
        }

        rig.button(u"cmdLive"_s)->click();
        QVERIFY(!rig.trends->isShowingRecording());
        QVERIFY(rig.trends->isRefreshing());
        QCOMPARE(rig.trends->chart(0)->chart()->title(), u"Meter 1: "_s + rig.gauge(0).caption());
        QVERIFY(axisFrom(rig.trends->chart(0)) < rig.wallNow);
        QVERIFY(axisTo(rig.trends->chart(0)) >= rig.wallNow);
        QCOMPARE(rig.trends->chart(0)->valueAxis()->max(), 100.0);
    }

    void showsSeveralDaysAsOneRecording()
    {
        WindowRig rig;
        rig.open();
        QVERIFY(rig.showTrends());
        // Two days, the second compressed as the recorder leaves a finished day, and a file
        // that is no recording among them.
        const auto day = [](const QDateTime &first, const QStringList &captions) {
            QByteArray text = RecordingText::header(captions);
            for (int i = 0; i < 600; ++i) {
                QList<QByteArray> meters;
                for (int m = 0; m < 6; ++m)
                    meters << QByteArray::number(10 * m + i % 7);
                text += RecordingText::row(first.addSecs(i).toString(Qt::ISODateWithMs).toLatin1(),
                                           "live", meters);
            }
            return text;
        };
        const QDateTime monday(QDate(2026, 11, 30), QTime(8, 0));
        const QStringList newer{u"Supply V"_s, QString(), u"C"_s, u"D"_s, u"E"_s, u"F"_s};
        const QString first = m_folder.filePath(u"tarnwick-COM1-2026-11-30.csv"_s);
        const QString second = m_folder.filePath(u"tarnwick-COM1-2026-12-01.csv.gz"_s);
        const QString notes = m_folder.filePath(u"notes.txt"_s);
        QFile plain(first), other(notes);
        QVERIFY(plain.open(QIODevice::WriteOnly) && other.open(QIODevice::WriteOnly));
        plain.write(day(monday, RecordingText::standardCaptions()));
        other.write("shopping: milk\n");
        plain.close();
        other.close();
        const QByteArray text = day(monday.addDays(1), newer);
        gzFile gz = gzopen(second.toLocal8Bit().constData(), "wb");
        QVERIFY(gz);
        QCOMPARE(gzwrite(gz, text.constData(), unsigned(text.size())), int(text.size()));
        QCOMPARE(gzclose(gz), Z_OK);

        QSignalSpy shown(rig.trends.get(), &TrendWindow::recordingShown);
        rig.trends->openRecordings({second, notes, first});
        QVERIFY(shown.wait(patience));
        auto *box = rig.trends->findChild<QMessageBox *>(u"trendProblem"_s);
        QVERIFY(box);
        QVERIFY(box->informativeText().contains(u"notes.txt"_s));
        QVERIFY(!box->informativeText().contains(u"2026-11-30"_s));
        box->accept();

        const TrendChartView *view = rig.trends->chart(0);
        QCOMPARE(axisFrom(view), monday.toMSecsSinceEpoch());
        QCOMPARE(axisTo(view), monday.addDays(1).addSecs(599).toMSecsSinceEpoch());
        // The night between the days is a gap, not a stroke.
        QCOMPARE(view->stretchCount(), 2);
        // The captions are the newer day's.
        QCOMPARE(view->chart()->title(), u"Meter 1: Supply V"_s);
        QCOMPARE(rig.trends->chart(1)->chart()->title(), u"Meter 2"_s);
        // A range of more than a day: round hours, each label with its date.
        const QStringList labels = view->timeAxis()->categoriesLabels();
        QCOMPARE(labels.size(), view->timeTicks().size());
        QVERIFY(labels.size() >= 2);
        for (qsizetype i = 0; i < labels.size(); ++i) {
            const QDateTime tick = QDateTime::fromMSecsSinceEpoch(view->timeTicks()[i]);
            QCOMPARE(tick.time().minute(), 0);
            QVERIFY2(labels[i].contains(QLocale().toString(tick.date(), u"d MMM"_s)),
                     qPrintable(labels[i]));
        }
    }

    void aFileThatIsNoRecordingSaysWhyAndLiveGoesOn()
    {
        WindowRig rig;
        rig.open();
        QVERIFY(rig.showTrends());
        QFile file(m_folder.filePath(u"picture.png"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + QByteArray(5000, '\0'));
        file.close();

        QSignalSpy failed(rig.trends.get(), &TrendWindow::recordingFailed);
        rig.trends->openRecording(file.fileName());
        QVERIFY(failed.wait(patience));
        QVERIFY(!failed.first().first().toString().isEmpty());
        auto *box = rig.trends->findChild<QMessageBox *>(u"trendProblem"_s);
        QVERIFY(box);
        QVERIFY(box->text().contains(u"picture.png"_s));
        QCOMPARE(box->informativeText(), failed.first().first().toString());
        box->accept();
        QVERIFY(!rig.trends->isShowingRecording());
        QVERIFY(rig.trends->isRefreshing());
        QVERIFY(rig.button(u"cmdOpenRecording"_s)->isEnabled());
    }

    void exportWritesAPngOrSaysWhyNot()
    {
        WindowRig rig;
        rig.open();
        rig.feed(1000, 180, 500);
        QVERIFY(rig.showTrends());

        const QString path = m_folder.filePath(u"trends.png"_s);
        QString error;
        QVERIFY2(rig.trends->exportPng(path, &error), qPrintable(error));
        const QImage image(path);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), rig.trends->chartsArea()->size());
        // The line is in it: its colour appears in every chart's cell.
        const QRgb line = rig.trends->chart(0)->lineColor().rgb();
        int cellsWithLine = 0;
        for (int m = 0; m < 6; ++m) {
            const QRect cell = rig.trends->chart(m)->geometry();
            bool found = false;
            for (int y = cell.top(); y <= cell.bottom() && !found; ++y)
                for (int x = cell.left(); x <= cell.right() && !found; ++x)
                    found = image.pixel(x, y) == line;
            cellsWithLine += found;
        }
        QCOMPARE(cellsWithLine, 6);

        QVERIFY(!rig.trends->exportPng(m_folder.filePath(u"no such folder/trends.png"_s), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(rig.trends->isVisible());
    }
};

TARNWICK_TEST_MAIN(TestTrendWindow)
#include "tst_trendwindow.moc"
