// Ticks on round numbers and round times: the steps chosen for ranges from a fraction of a
// unit to the limits of a float and for spans from a fraction of a second to weeks, the
// ticks those steps give on the local wall clock, and labels that say what each tick is.
#include "TestMain.h"
#include "TrendTicks.h"

#include <QDateTime>
#include <QSet>
#include <cmath>

using namespace TrendTicks;
using namespace Qt::StringLiterals;

namespace {

QStringList valueLabels(double low, double high, double step)
{
    const QString format = valueLabelFormat(low, high, step);
    QStringList labels;
    for (const double tick : valueTicks(low, high, step))
        labels << QString::asprintf(qPrintable(format), tick);
    return labels;
}

// Milliseconds since the epoch of a wall-clock time in `zone`.
qint64 at(const QString &local, const QTimeZone &zone)
{
    return QDateTime(QDateTime::fromString(local, Qt::ISODateWithMs).date(),
                     QDateTime::fromString(local, Qt::ISODateWithMs).time(), zone)
        .toMSecsSinceEpoch();
}

const QTimeZone plusOne(3600);
const QTimeZone plusFiveThirty(5 * 3600 + 1800);

} // namespace

class TestTrendTicks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valueTicksFallOnRoundNumbers_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("step");
        QTest::addColumn<QStringList>("labels");
        using L = QStringList;
        QTest::newRow("0 to 5") << 0.0 << 5.0 << 1.0
                                << L{u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s};
        QTest::newRow("0 to 100") << 0.0 << 100.0 << 20.0
                                  << L{u"0"_s, u"20"_s, u"40"_s, u"60"_s, u"80"_s, u"100"_s};
        QTest::newRow("0 to 1") << 0.0 << 1.0 << 0.2
                                << L{u"0.0"_s, u"0.2"_s, u"0.4"_s, u"0.6"_s, u"0.8"_s, u"1.0"_s};
        QTest::newRow("across zero")
            << -10.0 << 40.0 << 10.0 << L{u"-10"_s, u"0"_s, u"10"_s, u"20"_s, u"30"_s, u"40"_s};
        QTest::newRow("across zero, ends not round")
            << -0.3 << 0.7 << 0.2 << L{u"-0.2"_s, u"0.0"_s, u"0.2"_s, u"0.4"_s, u"0.6"_s};
        QTest::newRow("widened to a peak")
            << 0.0 << 150.3 << 50.0 << L{u"0"_s, u"50"_s, u"100"_s, u"150"_s};
        QTest::newRow("all below zero")
            << -7.0 << -2.0 << 1.0 << L{u"-7"_s, u"-6"_s, u"-5"_s, u"-4"_s, u"-3"_s, u"-2"_s};
        QTest::newRow("tiny") << 0.0 << 3e-6 << 1e-6
                              << L{u"0.000000"_s, u"0.000001"_s, u"0.000002"_s, u"0.000003"_s};
        QTest::newRow("tinier still")
            << 1e-9 << 5e-9 << 1e-9
            << L{u"1e-09"_s, u"2e-09"_s, u"3e-09"_s, u"4e-09"_s, u"5e-09"_s};
        QTest::newRow("huge") << 0.0 << 3e9 << 1e9 << L{u"0"_s, u"1e+09"_s, u"2e+09"_s, u"3e+09"_s};
        QTest::newRow("huge, a small span")
            << 1e9 << 1e9 + 1 << 0.2 << L{u"1000000000"_s,   u"1000000000.2"_s, u"1000000000.4"_s,
                                          u"1000000000.6"_s, u"1000000000.8"_s, u"1000000001"_s};
        QTest::newRow("a float's whole range")
            << -3.4e38 << 3.4e38 << 2e38 << L{u"-2e+38"_s, u"0"_s, u"2e+38"_s};
    }
    void valueTicksFallOnRoundNumbers()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(double, step);
        QFETCH(QStringList, labels);
        const double chosen = valueStep(low, high, 6);
        QVERIFY2(std::abs(chosen - step) <= step * 1e-9, qPrintable(QString::number(chosen)));
        QCOMPARE(valueLabels(low, high, chosen), labels);
    }

    void aRangeWithoutWidthStillHasAStep_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("empty") << 5.0 << 5.0;
        QTest::newRow("backwards") << 5.0 << 1.0;
        QTest::newRow("not a number") << double(NAN) << 1.0;
        QTest::newRow("infinite") << 0.0 << double(INFINITY);
    }
    void aRangeWithoutWidthStillHasAStep()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QCOMPARE(valueStep(low, high, 6), 1.0);
        QVERIFY(valueTicks(low, high, 1.0).size() <= 1);
        QVERIFY(valueTicks(0, 1e12, 1e-3).isEmpty()); // no million ticks
    }

    void timeTicksFallOnRoundTimes_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("maxTicks");
        QTest::addColumn<QTimeZone>("zone");
        QTest::addColumn<qint64>("step");
        QTest::addColumn<QStringList>("labels");
        using L = QStringList;
        QTest::newRow("zoomed in to 300 ms")
            << "2026-12-09T13:45:03.040"
            << "2026-12-09T13:45:03.340" << 4 << plusOne << qint64(100)
            << L{u"13:45:03.100"_s, u"13:45:03.200"_s, u"13:45:03.300"_s};
        QTest::newRow("40 s") << "2026-12-09T13:45:03"
                              << "2026-12-09T13:45:43" << 5 << plusOne << 10 * secondMs
                              << L{u"13:45:10"_s, u"13:45:20"_s, u"13:45:30"_s, u"13:45:40"_s};
        QTest::newRow("10 min") << "2026-12-09T13:41:07"
                                << "2026-12-09T13:51:07" << 4 << plusOne << 5 * minuteMs
                                << L{u"13:45"_s, u"13:50"_s};
        QTest::newRow("1 h") << "2026-12-09T13:10:00"
                             << "2026-12-09T14:10:00" << 5 << plusOne << 15 * minuteMs
                             << L{u"13:15"_s, u"13:30"_s, u"13:45"_s, u"14:00"_s};
        QTest::newRow("8 h") << "2026-12-09T06:20"
                             << "2026-12-09T14:20" << 4 << plusOne << 3 * hourMs
                             << L{u"09:00"_s, u"12:00"_s};
        QTest::newRow("whole hours where the offset is half an hour")
            << "2026-12-09T06:20"
            << "2026-12-09T12:20" << 4 << plusFiveThirty << 2 * hourMs
            << L{u"08:00"_s, u"10:00"_s, u"12:00"_s};
        QTest::newRow("4 h across midnight")
            << "2026-12-09T22:10"
            << "2026-12-10T02:10" << 5 << plusOne << hourMs
            << L{u"9 Dec 23:00"_s, u"10 Dec 00:00"_s, u"01:00"_s, u"02:00"_s};
        QTest::newRow("30 h: every label dated")
            << "2026-12-09T10:00"
            << "2026-12-10T16:00" << 4 << plusOne << 12 * hourMs
            << L{u"9 Dec 12:00"_s, u"10 Dec 00:00"_s, u"10 Dec 12:00"_s};
        QTest::newRow("a week of days") << "2026-12-07T00:00"
                                        << "2026-12-14T00:00" << 8 << plusOne << dayMs
                                        << L{u"7 Dec"_s,  u"8 Dec"_s,  u"9 Dec"_s,  u"10 Dec"_s,
                                             u"11 Dec"_s, u"12 Dec"_s, u"13 Dec"_s, u"14 Dec"_s};
        QTest::newRow("a week, fewer ticks") << "2026-12-06T09:00"
                                             << "2026-12-13T09:00" << 5 << plusOne << 2 * dayMs
                                             << L{u"7 Dec"_s, u"9 Dec"_s, u"11 Dec"_s, u"13 Dec"_s};
        QTest::newRow("four weeks on Mondays")
            << "2026-11-28T12:00"
            << "2026-12-26T12:00" << 5 << plusOne << 7 * dayMs
            << L{u"30 Nov"_s, u"7 Dec"_s, u"14 Dec"_s, u"21 Dec"_s};
        QTest::newRow("a quarter of a year") << "2026-10-01T00:00"
                                             << "2026-12-31T00:00" << 5 << plusOne << 28 * dayMs
                                             << L{u"26 Oct"_s, u"23 Nov"_s, u"21 Dec"_s};
    }
    void timeTicksFallOnRoundTimes()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, maxTicks);
        QFETCH(QTimeZone, zone);
        QFETCH(qint64, step);
        QFETCH(QStringList, labels);
        const qint64 first = at(from, zone), last = at(to, zone);
        QCOMPARE(timeStep(last - first, maxTicks), step);
        const QList<qint64> ticks = timeTicks(first, last, step, zone);
        QVERIFY(ticks.size() <= maxTicks);
        for (const qint64 tick : ticks)
            QVERIFY(tick >= first && tick <= last);
        const QStringList shown = timeLabels(ticks, first, last, step, zone, QLocale::c());
        QCOMPARE(shown, labels);
        // The chart's axis takes each label once only.
        QCOMPARE(QSet<QString>(shown.begin(), shown.end()).size(), shown.size());
    }

    void hoursStayWholeAcrossTheChangeToSummerTime()
    {
        const QTimeZone berlin("Europe/Berlin");
        if (!berlin.isValid())
            QSKIP("no time zone data for Europe/Berlin here");
        // 02:00 to 03:00 does not happen on 29 March 2026 in Berlin.
        const qint64 from = at(u"2026-03-29T00:30"_s, berlin),
                     to = at(u"2026-03-29T06:30"_s, berlin);
        const QList<qint64> ticks = timeTicks(from, to, hourMs, berlin);
        const QStringList labels = timeLabels(ticks, from, to, hourMs, berlin, QLocale::c());
        QCOMPARE(labels, (QStringList{u"01:00"_s, u"03:00"_s, u"04:00"_s, u"05:00"_s, u"06:00"_s}));
        for (qsizetype i = 1; i < ticks.size(); ++i)
            QVERIFY(ticks[i] > ticks[i - 1]);
    }

    void nothingAbsurdLoopsForever()
    {
        QVERIFY(timeTicks(0, std::numeric_limits<qint64>::max() / 2, 10, plusOne).isEmpty());
        QVERIFY(timeTicks(100, 0, secondMs, plusOne).isEmpty());
        QVERIFY(timeTicks(0, 1000, 0, plusOne).isEmpty());
        // A span beyond any table of steps still gets a step, in weeks.
        const qint64 years = 40 * 365 * dayMs;
        QCOMPARE(timeStep(years, 5) % (7 * dayMs), 0);
        QVERIFY(timeStep(years, 5) * 4 >= years);
    }
};

TARNWICK_TEST_MAIN(TestTrendTicks)
#include "tst_trendticks.moc"
