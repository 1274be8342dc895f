// Where a recording's line breaks for time alone: the longest step that still belongs to
// the line, derived from the recording's own pace, for recordings at every frame and at a
// pace the user chose with rows at changes between, and the samples it marks.
#include "TestMain.h"
#include "TrendPace.h"
#include "TrendSamples.h"

#include <vector>

namespace {

// Samples one after another by the given steps, the first at time 0.
std::vector<TrendSample> samplesBy(const QList<qint64> &steps)
{
    std::vector<TrendSample> samples{trendSample(0, 0)};
    for (const qint64 step : steps)
        samples.push_back(trendSample(samples.back().msecsSinceEpoch + step, 1));
    return samples;
}

QList<qint64> repeated(qint64 step, int count)
{
    return QList<qint64>(count, step);
}

} // namespace

class TestTrendPace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void longStepsBreakTheLine_data()
    {
        QTest::addColumn<QList<qint64>>("steps");
        QTest::addColumn<qint64>("longest");
        QTest::addColumn<QList<int>>("gaps"); // samples that begin after a gap
        using G = QList<int>;
        const qint64 second = 1000, minute = 60 * second, hour = 60 * minute;
        QTest::newRow("every frame, steady") << repeated(180, 50) << qint64(10 * second) << G{};
        QTest::newRow("every frame, the panel closed for an hour")
            << repeated(180, 20) + QList<qint64>{hour} + repeated(180, 20) << qint64(10 * second)
            << G{21};
        QTest::newRow("every frame, a stall of 3 s is no gap")
            << repeated(180, 20) + QList<qint64>{3 * second} + repeated(180, 20)
            << qint64(10 * second) << G{};
        QTest::newRow("every frame at the slowest poll, a 40 s stall is no gap")
            << repeated(5 * second, 20) + QList<qint64>{40 * second, 5 * minute} +
                   repeated(5 * second, 20)
            << qint64(50 * second) << G{22};
        // At most a row every 10 s and rows at changes between: as often 0.2 s as 9.8 s.
        QList<qint64> tenSeconds;
        for (int i = 0; i < 30; ++i)
            tenSeconds << 200 << 9800;
        QTest::newRow("a row every 10 s, rows at changes between")
            << tenSeconds + QList<qint64>{minute, 30 * minute} + tenSeconds << qint64(98 * second)
            << G{62};
        // A row a minute, with five rows at changes after each: the long steps are a
        // sixth of all and still set the pace.
        QList<qint64> aMinute;
        for (int i = 0; i < 20; ++i)
            aMinute << 180 << 180 << 180 << 180 << 180 << minute - 900;
        QTest::newRow("a row a minute, many rows at changes")
            << aMinute + QList<qint64>{2 * hour} + aMinute << qint64((minute - 900) * 10) << G{121};
        QTest::newRow("rows of the same moment say nothing of pace")
            << QList<qint64>{0, 0, 0, 1000, 0, 0, 1000, 0, 1000, hour} << qint64(10 * second)
            << G{10};
        QTest::newRow("a single step") << QList<qint64>{hour} << qint64(10 * hour) << G{};
        QTest::newRow("one sample") << QList<qint64>{} << qint64(10 * second) << G{};
    }
    void longStepsBreakTheLine()
    {
        QFETCH(QList<qint64>, steps);
        QFETCH(qint64, longest);
        QFETCH(QList<int>, gaps);
        std::vector<TrendSample> samples = samplesBy(steps);
        QCOMPARE(TrendPace::longestStepMs(samples), longest);
        QCOMPARE(TrendPace::markLongSteps(samples, longest), qsizetype(gaps.size()));
        QList<int> marked;
        for (std::size_t i = 0; i < samples.size(); ++i)
            if (samples[i].gapBefore)
                marked << int(i);
        QCOMPARE(marked, gaps);
    }

    void aGapOfTheLinkStaysAndIsNotCountedAgain()
    {
        std::vector<TrendSample> samples = samplesBy(repeated(180, 10) + QList<qint64>{60'000});
        samples[3].gapBefore = true; // a row whose link was not live came before it
        samples[11].gapBefore = true;
        QCOMPARE(TrendPace::markLongSteps(samples, 10'000), qsizetype(0));
        QVERIFY(samples[3].gapBefore);
        QVERIFY(samples[11].gapBefore);
    }
};

TARNWICK_TEST_MAIN(TestTrendPace)
#include "tst_trendpace.moc"
