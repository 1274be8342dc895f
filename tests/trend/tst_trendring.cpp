// The ring of recent samples: it keeps the newest ones up to its capacity and its age
// limit, in time order across the wrap, and finds a time range in either piece.
#include "TestMain.h"
#include "TrendSamples.h"

class TestTrendRing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keepsTheNewestSamples_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<qint64>("maxAge");
        QTest::addColumn<QList<qint64>>("appended");
        QTest::addColumn<QList<qint64>>("kept");
        const qint64 noLimit = 1'000'000;
        QTest::newRow("below capacity")
            << 4 << noLimit << QList<qint64>{10, 20, 30} << QList<qint64>{10, 20, 30};
        QTest::newRow("exactly full")
            << 3 << noLimit << QList<qint64>{10, 20, 30} << QList<qint64>{10, 20, 30};
        QTest::newRow("wrapped once")
            << 3 << noLimit << QList<qint64>{10, 20, 30, 40, 50} << QList<qint64>{30, 40, 50};
        QTest::newRow("wrapped several times")
            << 2 << noLimit << QList<qint64>{1, 2, 3, 4, 5, 6, 7} << QList<qint64>{6, 7};
        QTest::newRow("capacity one") << 1 << noLimit << QList<qint64>{5, 6} << QList<qint64>{6};
        QTest::newRow("older than the age limit dropped")
            << 10 << qint64(100) << QList<qint64>{0, 50, 100, 150, 201} << QList<qint64>{150, 201};
        QTest::newRow("exactly the age limit kept")
            << 10 << qint64(100) << QList<qint64>{0, 50, 100} << QList<qint64>{0, 50, 100};
        QTest::newRow("a long pause empties all but the new one")
            << 10 << qint64(100) << QList<qint64>{0, 10, 20, 5000} << QList<qint64>{5000};
        QTest::newRow("clock set back: held at the newest time")
            << 10 << noLimit << QList<qint64>{100, 200, 150, 300}
            << QList<qint64>{100, 200, 200, 300};
        QTest::newRow("extreme times do not overflow the age check")
            << 4 << qint64(100)
            << QList<qint64>{std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()}
            << QList<qint64>{std::numeric_limits<qint64>::max()};
    }
    void keepsTheNewestSamples()
    {
        QFETCH(int, capacity);
        QFETCH(qint64, maxAge);
        QFETCH(QList<qint64>, appended);
        QFETCH(QList<qint64>, kept);
        TrendRing ring(std::size_t(capacity), maxAge);
        for (const qint64 msecs : appended)
            ring.append(trendSample(msecs, float(msecs % 1000)));
        QCOMPARE(timesOf(ring.all()), kept);
        QCOMPARE(ring.size(), std::size_t(kept.size()));
        // The values travel with their times through the wrap.
        const TrendSpan all = ring.all();
        for (std::size_t i = 0; i < all.size(); ++i)
            QCOMPARE(all[i].values[1], -all[i].values[0]);
    }

    void findsATimeRange_data()
    {
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("to");
        QTest::addColumn<QList<qint64>>("found");
        // The ring below holds 30..100 in steps of 10, wrapped after 60.
        QTest::newRow("everything")
            << qint64(0) << qint64(1000) << QList<qint64>{30, 40, 50, 60, 70, 80, 90, 100};
        QTest::newRow("ends included") << qint64(40) << qint64(70) << QList<qint64>{40, 50, 60, 70};
        QTest::newRow("between samples") << qint64(41) << qint64(69) << QList<qint64>{50, 60};
        QTest::newRow("only the older piece")
            << qint64(30) << qint64(50) << QList<qint64>{30, 40, 50};
        QTest::newRow("only the newer piece")
            << qint64(75) << qint64(100) << QList<qint64>{80, 90, 100};
        QTest::newRow("one sample") << qint64(60) << qint64(60) << QList<qint64>{60};
        QTest::newRow("before all") << qint64(0) << qint64(29) << QList<qint64>{};
        QTest::newRow("after all") << qint64(101) << qint64(200) << QList<qint64>{};
        QTest::newRow("backwards") << qint64(80) << qint64(40) << QList<qint64>{};
        QTest::newRow("to the end of time")
            << qint64(90) << std::numeric_limits<qint64>::max() << QList<qint64>{90, 100};
    }
    void findsATimeRange()
    {
        QFETCH(qint64, from);
        QFETCH(qint64, to);
        QFETCH(QList<qint64>, found);
        TrendRing ring(8);
        for (qint64 msecs = -20; msecs <= 100; msecs += 10)
            ring.append(trendSample(msecs, 0));
        QVERIFY(!ring.all().tail.empty()); // the range really crosses the wrap
        QCOMPARE(timesOf(ring.range(from, to)), found);
    }

    void emptyRingFindsNothing()
    {
        TrendRing ring(4);
        QVERIFY(ring.range(0, 1000).empty());
        ring.append(trendSample(10, 1));
        ring.clear();
        QVERIFY(ring.all().empty());
        ring.append(trendSample(20, 2));
        QCOMPARE(timesOf(ring.all()), QList<qint64>{20});
    }

    void eightHoursFitAtTheFastestPoll()
    {
        TrendRing ring;
        QCOMPARE(ring.capacity(), std::size_t(160'000));
        for (qint64 msecs = 0; msecs <= TrendRing::maxAgeMs; msecs += TrendRing::fastestPollMs)
            ring.append(trendSample(msecs, 1));
        QCOMPARE(ring.size(), ring.capacity());
        QCOMPARE(ring.newest().msecsSinceEpoch - ring.oldest().msecsSinceEpoch,
                 TrendRing::maxAgeMs - TrendRing::fastestPollMs);
        // Allocated once, whatever it holds: a few MiB for eight hours.
        QVERIFY(ring.memoryBytes() >= 160'000 * sizeof(TrendSample));
        QVERIFY(ring.memoryBytes() < 7 * 1024 * 1024);
    }

    void valuesBeyondAFloatBecomeInfinite_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<float>("kept");
        QTest::newRow("ordinary") << 2.5 << 2.5f;
        QTest::newRow("huge") << 1e308 << std::numeric_limits<float>::infinity();
        QTest::newRow("huge negative") << -1e308 << -std::numeric_limits<float>::infinity();
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity()
                                  << std::numeric_limits<float>::infinity();
    }
    void valuesBeyondAFloatBecomeInfinite()
    {
        QFETCH(double, value);
        QFETCH(float, kept);
        QCOMPARE(trendValue(value), kept);
    }
};

TARNWICK_TEST_MAIN(TestTrendRing)
#include "tst_trendring.moc"
