// The meters page's arithmetic: which meter a list text names, where the sliders stand for
// stored values, and how the scale Apply divides a scale.
#include "MeterValues.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;
using MeterValues::SliderPosition;

Q_DECLARE_METATYPE(std::optional<int>)
Q_DECLARE_METATYPE(SliderPosition)

class TestMeterValues : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void meterFromListText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<int>>("meter");
        for (int m = 1; m <= 6; ++m)
            QTest::addRow("Meter %d", m) << u"Meter %1"_s.arg(m) << std::optional<int>(m - 1);
        QTest::newRow("blanks around") << u" Meter 2 "_s << std::optional<int>(1);
        QTest::newRow("digit only") << u"4"_s << std::optional<int>(3);
        QTest::newRow("Meter 0") << u"Meter 0"_s << std::optional<int>();
        QTest::newRow("Meter 7") << u"Meter 7"_s << std::optional<int>();
        QTest::newRow("Meter -1") << u"Meter -1"_s << std::optional<int>();
        QTest::newRow("fraction") << u"Meter 2.5"_s << std::optional<int>();
        QTest::newRow("word") << u"Pump"_s << std::optional<int>();
        QTest::newRow("empty") << QString() << std::optional<int>();
        QTest::newRow("prefix only") << u"Meter "_s << std::optional<int>();
        QTest::newRow("lower case") << u"meter 3"_s << std::optional<int>();
        QTest::newRow("huge") << u"Meter 1e300"_s << std::optional<int>();
    }
    void meterFromListText()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<int>, meter);
        QCOMPARE(MeterValues::meterFromListText(text), meter);
    }

    void multiplierPosition_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<SliderPosition>("position");
        QTest::newRow("1.0") << u"1.0"_s << SliderPosition{100, true};
        QTest::newRow("1.5") << u"1.5"_s << SliderPosition{150, true};
        QTest::newRow("0.01") << u"0.01"_s << SliderPosition{1, true};
        QTest::newRow("10") << u"10"_s << SliderPosition{1000, true};
        // Finer than hundredths: the slider's resolution, halves to even.
        QTest::newRow("1.234") << u"1.234"_s << SliderPosition{123, true};
        QTest::newRow("0.125") << u"0.125"_s << SliderPosition{12, true};
        QTest::newRow("0.135") << u"0.135"_s << SliderPosition{14, true};
        QTest::newRow("above") << u"25"_s << SliderPosition{1000, false};
        QTest::newRow("below") << u"0.001"_s << SliderPosition{1, false};
        QTest::newRow("negative") << u"-2"_s << SliderPosition{1, false};
        QTest::newRow("overflowing") << u"1e307"_s << SliderPosition{1000, false};
        QTest::newRow("empty") << QString() << SliderPosition{100, false};
        QTest::newRow("comma") << u"1,5"_s << SliderPosition{100, false};
    }
    void multiplierPosition()
    {
        QFETCH(QString, text);
        QFETCH(SliderPosition, position);
        QCOMPARE(MeterValues::multiplierPosition(text), position);
    }

    void pollPeriodPosition_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<SliderPosition>("position");
        QTest::newRow("200") << u"200"_s << SliderPosition{200, true};
        QTest::newRow("180") << u"180"_s << SliderPosition{180, true};
        QTest::newRow("5000") << u"5000"_s << SliderPosition{5000, true};
        QTest::newRow("2000") << u"2000"_s << SliderPosition{2000, true};
        QTest::newRow("179") << u"179"_s << SliderPosition{180, false};
        QTest::newRow("10000") << u"10000"_s << SliderPosition{5000, false};
        QTest::newRow("not whole") << u"200.5"_s << SliderPosition{200, false};
        QTest::newRow("not a number") << u"fast"_s << SliderPosition{200, false};
        QTest::newRow("empty") << QString() << SliderPosition{200, false};
    }
    void pollPeriodPosition()
    {
        QFETCH(QString, stored);
        QFETCH(SliderPosition, position);
        QCOMPARE(MeterValues::pollPeriodPosition(stored), position);
    }

    void divisionsPosition_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("gaugeCount");
        QTest::addColumn<SliderPosition>("position");
        QTest::newRow("4") << u"4"_s << 4 << SliderPosition{4, true};
        QTest::newRow("0") << u"0"_s << 0 << SliderPosition{0, true};
        QTest::newRow("9") << u"9"_s << 9 << SliderPosition{9, true};
        QTest::newRow("half to even") << u"4.5"_s << 4 << SliderPosition{4, true};
        QTest::newRow("12") << u"12"_s << 12 << SliderPosition{9, false};
        QTest::newRow("negative") << u"-3"_s << 4 << SliderPosition{0, false};
        QTest::newRow("not a number, gauge kept 4") << u"many"_s << 4 << SliderPosition{4, false};
        QTest::newRow("not a number, gauge kept 30") << u"many"_s << 30 << SliderPosition{9, false};
    }
    void divisionsPosition()
    {
        QFETCH(QString, stored);
        QFETCH(int, gaugeCount);
        QFETCH(SliderPosition, position);
        QCOMPARE(MeterValues::divisionsPosition(stored, gaugeCount), position);
    }

    void multiplierText_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::newRow("150") << 150 << u"1.5"_s;
        QTest::newRow("1000") << 1000 << u"10"_s;
        QTest::newRow("1") << 1 << u"0.01"_s;
        QTest::newRow("100") << 100 << u"1"_s;
        QTest::newRow("333") << 333 << u"3.33"_s;
        QTest::newRow("7") << 7 << u"0.07"_s;
    }
    void multiplierText()
    {
        QFETCH(int, position);
        QFETCH(QString, text);
        QCOMPARE(MeterValues::multiplierText(position), text);
    }

    void dividedBands_data()
    {
        QTest::addColumn<QString>("zero");
        QTest::addColumn<QString>("full");
        QTest::addColumn<QStringList>("ends");
        QTest::newRow("0..4") << u"0"_s << u"4"_s << QStringList{u"2.4"_s, u"3.2"_s, u"4"_s};
        QTest::newRow("0..5") << u"0"_s << u"5"_s << QStringList{u"3"_s, u"4"_s, u"5"_s};
        QTest::newRow("10..20") << u"10"_s << u"20"_s << QStringList{u"16"_s, u"18"_s, u"20"_s};
        QTest::newRow("-10..10") << u"-10"_s << u"10"_s << QStringList{u"2"_s, u"6"_s, u"10"_s};
        // The full-scale text goes on as typed.
        QTest::newRow("4.0") << u"0"_s << u"4.0"_s << QStringList{u"2.4"_s, u"3.2"_s, u"4.0"_s};
        QTest::newRow("0.1..0.3") << u"0.1"_s << u"0.3"_s
                                  << QStringList{u"0.22"_s, u"0.26"_s, u"0.3"_s};
        QTest::newRow("zero not a number") << u"low"_s << u"4"_s << QStringList{};
        QTest::newRow("full empty") << u"0"_s << QString() << QStringList{};
        QTest::newRow("comma") << u"0"_s << u"4,5"_s << QStringList{};
        QTest::newRow("span overflows") << u"-1e308"_s << u"1e308"_s << QStringList{};
    }
    void dividedBands()
    {
        QFETCH(QString, zero);
        QFETCH(QString, full);
        QFETCH(QStringList, ends);
        const auto bands = MeterValues::dividedBands(zero, full);
        if (ends.isEmpty()) {
            QVERIFY(!bands);
            return;
        }
        QVERIFY(bands);
        QCOMPARE((QStringList{bands->band1, bands->band2, bands->band3}), ends);
    }
};

TARNWICK_TEST_MAIN(TestMeterValues)
#include "tst_metervalues.moc"
