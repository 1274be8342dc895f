// The reduction of samples to pixel columns: every column keeps its lowest and highest
// value in the order they came, gaps in the link stay breaks in the line, and no column
// holds more than two points however many samples fall into it.
#include "TestMain.h"
#include "TrendDecimation.h"
#include "TrendSamples.h"

#include <cmath>
#include <random>

namespace {

constexpr qreal noNumber = std::numeric_limits<qreal>::quiet_NaN();

// Samples (time, value of channel 0); those at the times in `gaps` come after an outage.
std::vector<TrendSample> samplesOf(const QList<QPointF> &points, const QList<qint64> &gaps)
{
    std::vector<TrendSample> samples;
    for (const QPointF &point : points) {
        const auto msecs = qint64(point.x());
        samples.push_back(trendSample(msecs, float(point.y()), gaps.contains(msecs)));
    }
    return samples;
}

TrendSpan spanOf(const std::vector<TrendSample> &samples)
{
    return {std::span<const TrendSample>(samples), {}};
}

} // namespace

class TestTrendDecimation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keepsExtremesAndBreaks_data()
    {
        QTest::addColumn<QList<QPointF>>("samples"); // x: time, y: value
        QTest::addColumn<QList<qint64>>("gaps");
        QTest::addColumn<int>("columns"); // over 0..99: a column is 100 / columns ms wide
        QTest::addColumn<QList<QPointF>>("points");
        QTest::addColumn<QList<qsizetype>>("breaks");
        using P = QList<QPointF>;
        using B = QList<qsizetype>;
        QTest::newRow("nothing") << P{} << QList<qint64>{} << 10 << P{} << B{};
        QTest::newRow("one sample") << P{{5, 2}} << QList<qint64>{} << 10 << P{{5, 2}} << B{};
        QTest::newRow("all equal in one column: one point")
            << P{{1, 3}, {2, 3}, {3, 3}, {4, 3}} << QList<qint64>{} << 10 << P{{1, 3}} << B{};
        QTest::newRow("all equal over columns: one point each")
            << P{{5, 3}, {15, 3}, {25, 3}} << QList<qint64>{} << 10 << P{{5, 3}, {15, 3}, {25, 3}}
            << B{};
        QTest::newRow("low before high") << P{{1, 5}, {2, 1}, {3, 9}, {4, 3}} << QList<qint64>{}
                                         << 10 << P{{2, 1}, {3, 9}} << B{};
        QTest::newRow("high before low") << P{{1, 5}, {2, 9}, {3, 1}, {4, 3}} << QList<qint64>{}
                                         << 10 << P{{2, 9}, {3, 1}} << B{};
        QTest::newRow("column by column")
            << P{{0, 4}, {5, 6}, {10, 7}, {12, 2}, {19, 7}, {25, 1}} << QList<qint64>{} << 10
            << P{{0, 4}, {5, 6}, {10, 7}, {12, 2}, {25, 1}} << B{};
        QTest::newRow("more columns than samples")
            << P{{10, 1}, {20, 2}, {30, 3}} << QList<qint64>{} << 1000
            << P{{10, 1}, {20, 2}, {30, 3}} << B{};
        QTest::newRow("gap breaks the line")
            << P{{1, 1}, {2, 2}, {50, 3}, {51, 4}} << QList<qint64>{50} << 10
            << P{{1, 1}, {2, 2}, {50, 3}, {51, 4}} << B{2};
        QTest::newRow("gap inside a column splits it")
            << P{{1, 1}, {2, 5}, {3, 7}, {4, 2}, {5, 6}, {6, 0}} << QList<qint64>{4} << 1
            << P{{1, 1}, {3, 7}, {5, 6}, {6, 0}} << B{2};
        QTest::newRow("gap at the first sample in view: no break")
            << P{{1, 1}, {2, 2}} << QList<qint64>{1} << 10 << P{{1, 1}, {2, 2}} << B{};
        QTest::newRow("two gaps") << P{{10, 1}, {30, 2}, {60, 3}} << QList<qint64>{30, 60} << 10
                                  << P{{10, 1}, {30, 2}, {60, 3}} << B{1, 2};
        QTest::newRow("no number: left out") << P{{1, 1}, {15, noNumber}, {25, 2}}
                                             << QList<qint64>{} << 10 << P{{1, 1}, {25, 2}} << B{};
        QTest::newRow("gap before a value with no number still breaks")
            << P{{1, 1}, {15, noNumber}, {25, 2}} << QList<qint64>{15} << 10 << P{{1, 1}, {25, 2}}
            << B{1};
        QTest::newRow("only the range") << P{{-5, 100}, {10, 1}, {99, 2}, {100, 100}}
                                        << QList<qint64>{} << 10 << P{{10, 1}, {99, 2}} << B{};
    }
    void keepsExtremesAndBreaks()
    {
        QFETCH(QList<QPointF>, samples);
        QFETCH(QList<qint64>, gaps);
        QFETCH(int, columns);
        QFETCH(QList<QPointF>, points);
        QFETCH(QList<qsizetype>, breaks);
        const std::vector<TrendSample> kept = samplesOf(samples, gaps);
        const TrendTrace trace = decimateTrend(spanOf(kept), 0, 0, 99, columns);
        QCOMPARE(trace.points, points);
        QCOMPARE(trace.breaks, breaks);
    }

    void readsTheChannelAskedFor()
    {
        const std::vector<TrendSample> kept = samplesOf({{1, 4}, {2, 8}}, {});
        const TrendTrace trace = decimateTrend(spanOf(kept), 5, 0, 99, 1);
        QCOMPARE(trace.points, (QList<QPointF>{{1, -4}, {2, -8}}));
        QVERIFY(decimateTrend(spanOf(kept), 6, 0, 99, 1).points.isEmpty());
        QVERIFY(decimateTrend(spanOf(kept), 0, 0, 99, 0).points.isEmpty());
    }

    void aCrowdedViewStaysWithinTwoPointsAColumn_data()
    {
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("columns");
        QTest::newRow("ten minutes at 180 ms on 400 columns") << 3334 << 400;
        QTest::newRow("eight hours at 180 ms on 1000 columns") << 160000 << 1000;
        QTest::newRow("one column") << 5000 << 1;
    }
    void aCrowdedViewStaysWithinTwoPointsAColumn()
    {
        QFETCH(int, samples);
        QFETCH(int, columns);
        std::mt19937 random(7);
        std::uniform_real_distribution<float> values(-50.0f, 50.0f);
        TrendRing ring(std::size_t(samples / 2)); // wrapped, so both pieces are read
        for (int i = 0; i < samples; ++i)
            ring.append(trendSample(qint64(i) * 180, values(random)));
        const TrendSpan all = ring.all();
        const qint64 from = ring.oldest().msecsSinceEpoch, to = ring.newest().msecsSinceEpoch;
        const TrendTrace trace = decimateTrend(all, 0, from, to, columns);

        QVERIFY(trace.points.size() <= 2 * columns);
        QVERIFY(trace.points.size() >= std::min<qsizetype>(columns, qsizetype(all.size())));
        float lowest = values.max(), highest = values.min();
        for (std::size_t i = 0; i < all.size(); ++i) {
            lowest = std::min(lowest, all[i].values[0]);
            highest = std::max(highest, all[i].values[0]);
        }
        qreal shownLowest = highest, shownHighest = lowest;
        for (qsizetype i = 0; i < trace.points.size(); ++i) {
            if (i > 0)
                QVERIFY(trace.points[i].x() >= trace.points[i - 1].x());
            shownLowest = std::min(shownLowest, trace.points[i].y());
            shownHighest = std::max(shownHighest, trace.points[i].y());
        }
        QCOMPARE(shownLowest, qreal(lowest));
        QCOMPARE(shownHighest, qreal(highest));
    }

    void extendingGivesWhatAFreshReductionGives_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("gapEvery");      // 0: no gaps
        QTest::addColumn<int>("noNumberEvery"); // 0: every value a number
        QTest::addColumn<int>("batch");         // samples arriving between two redraws
        QTest::newRow("plain, several samples a column") << 200 << 0 << 0 << 7;
        QTest::newRow("columns narrower than the samples") << 5000 << 0 << 0 << 3;
        QTest::newRow("one sample at a time") << 300 << 0 << 0 << 1;
        QTest::newRow("gaps") << 200 << 37 << 0 << 5;
        QTest::newRow("gaps at every batch") << 200 << 5 << 0 << 5;
        QTest::newRow("values that are no number") << 200 << 0 << 4 << 6;
        QTest::newRow("gaps on values that are no number") << 150 << 6 << 3 << 4;
        QTest::newRow("everything in one column") << 1 << 11 << 0 << 9;
    }
    void extendingGivesWhatAFreshReductionGives()
    {
        QFETCH(int, columns);
        QFETCH(int, gapEvery);
        QFETCH(int, noNumberEvery);
        QFETCH(int, batch);
        std::mt19937 random(11);
        std::uniform_real_distribution<float> values(0.0f, 10.0f);
        TrendRing ring(4000);
        const qint64 from = 1000, to = from + 3000 * 180;
        TrendTrace trace;
        for (int i = 0; i < 3000; ++i) {
            const bool blank = noNumberEvery > 0 && i % noNumberEvery == 0;
            const float value = blank ? std::numeric_limits<float>::quiet_NaN() : values(random);
            ring.append(
                trendSample(from + qint64(i) * 180, value, gapEvery > 0 && i % gapEvery == 0));
            if (i % batch != batch - 1)
                continue;
            extendTrend(trace, ring.all(), 0, from, to, columns);
            const TrendTrace fresh = decimateTrend(ring.all(), 0, from, to, columns);
            QCOMPARE(trace.points, fresh.points);
            QCOMPARE(trace.breaks, fresh.breaks);
        }
    }
};

TARNWICK_TEST_MAIN(TestTrendDecimation)
#include "tst_trenddecimation.moc"
