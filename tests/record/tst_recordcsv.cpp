// A recording's text: the header and rows in the column order readers rely on, quoting
// where a spreadsheet needs it, and bytes from the board that keep every row one line of
// valid UTF-8.
#include "CsvTable.h"
#include "RecordColumns.h"
#include "RecordCsv.h"
#include "TestMain.h"

#include <QSet>
#include <QTimeZone>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

RecordCsv::Sample sample()
{
    RecordCsv::Sample s;
    s.time = QDateTime(QDate(2026, 12, 9), QTime(13, 45, 1, 123), QTimeZone(3600));
    s.link = u"live"_s;
    s.relays[0] = s.relays[15] = s.relays[63] = true;
    s.inputs[2] = true;
    s.meters = {0.0, 1.25, 2.5, 99.9, 0.1, 5.0};
    s.fahrenheit = 75;
    s.frequency = "01234";
    s.aout = {13, 255};
    s.frame = QByteArray(70, '0');
    return s;
}

} // namespace

class TestRecordCsv : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void headerNamesEveryColumn()
    {
        RecordCsv::Names names;
        for (int k = 0; k < 8; ++k)
            names.inputs[k] = u"Input %1"_s.arg(k + 1);
        names.inputs[1] = u"Door, \"front\""_s;
        names.inputs[3] = u"hand-edited\nwith a line break"_s;
        names.meters = {u"Volts"_s, u"Amps"_s, u"Flow l/min"_s, u"Druck Ü"_s, u"M5"_s, u""_s};
        const QByteArray header = RecordCsv::headerRow(names);
        QVERIFY(header.endsWith("\r\n"));
        const CsvTable table = CsvTable::read(header);
        QCOMPARE(table.records.size(), 1);
        const QStringList columns = table.records.first();
        QCOMPARE(columns.size(), RecordColumns::count);
        QCOMPARE(columns[RecordColumns::time], u"Time"_s);
        QCOMPARE(columns[RecordColumns::link], u"Link"_s);
        for (int relay = 1; relay <= 64; ++relay)
            QCOMPARE(columns[RecordColumns::firstRelay + relay - 1], u"R%1"_s.arg(relay));
        QCOMPARE(columns[RecordColumns::firstInput + 1], u"Input 2: Door, \"front\""_s);
        QCOMPARE(columns[RecordColumns::firstInput + 3],
                 u"Input 4: hand-edited\u240Awith a line break"_s);
        QCOMPARE(header.count('\n'), 1);
        QCOMPARE(columns[RecordColumns::firstInput + 7], u"Input 8: Input 8"_s);
        QCOMPARE(columns[RecordColumns::firstMeter + 3], u"Meter 4: Druck Ü"_s);
        QCOMPARE(columns[RecordColumns::firstMeter + 5], u"Meter 6"_s);
        QCOMPARE(columns[RecordColumns::temperature], u"Temperature (°F)"_s);
        QCOMPARE(columns[RecordColumns::frequency], u"Frequency"_s);
        QCOMPARE(columns[RecordColumns::firstOutput], u"An Out 1"_s);
        QCOMPARE(columns[RecordColumns::frame], u"Frame"_s);
    }

    void everyColumnHasANameOfItsOwnWhenNamesRepeat()
    {
        RecordCsv::Names names;
        names.inputs.fill(u"Pump"_s);
        names.meters.fill(u"Volts DC"_s); // the default caption of every gauge
        const QStringList columns = CsvTable::read(RecordCsv::headerRow(names)).records.first();
        QCOMPARE(QSet<QString>(columns.cbegin(), columns.cend()).size(), RecordColumns::count);
        QCOMPARE(columns[RecordColumns::firstMeter], u"Meter 1: Volts DC"_s);
        QCOMPARE(columns[RecordColumns::firstInput + 2], u"Input 3: Pump"_s);
    }

    void rowHoldsEachValueInItsColumn()
    {
        const QByteArray row = RecordCsv::row(sample());
        QVERIFY(row.endsWith("\r\n"));
        QCOMPARE(row.count("\r\n"), 1);
        const QStringList fields = CsvTable::read(row).records.first();
        QCOMPARE(fields.size(), RecordColumns::count);
        QCOMPARE(fields[RecordColumns::time], u"2026-12-09T13:45:01.123+01:00"_s);
        QCOMPARE(fields[RecordColumns::link], u"live"_s);
        QString relays;
        for (int k = 0; k < 64; ++k)
            relays += fields[RecordColumns::firstRelay + k];
        QCOMPARE(relays, u"1000000000000001"
                         "0000000000000000"
                         "0000000000000000"
                         "0000000000000001"_s);
        QCOMPARE(fields.mid(RecordColumns::firstInput, 8).join(QString()), u"00100000"_s);
        QCOMPARE(fields.mid(RecordColumns::firstMeter, 6),
                 QStringList({u"0"_s, u"1.25"_s, u"2.5"_s, u"99.9"_s, u"0.1"_s, u"5"_s}));
        QCOMPARE(fields[RecordColumns::temperature], u"75"_s);
        QCOMPARE(fields[RecordColumns::frequency], u"01234"_s);
        QCOMPARE(fields[RecordColumns::firstOutput], u"13"_s);
        QCOMPARE(fields[RecordColumns::firstOutput + 1], u"255"_s);
        QCOMPARE(fields[RecordColumns::frame], QString(70, u'0'));
        QVERIFY2(row.endsWith(",\"" + QByteArray(70, '0') + "\"\r\n"), "the frame is quoted");
    }

    void missingValuesLeaveTheirFieldEmpty()
    {
        RecordCsv::Sample s = sample();
        s.link = u"never"_s;
        s.fahrenheit.reset();
        s.frequency.clear();
        s.frame.clear();
        s.meters[0] = std::numeric_limits<double>::quiet_NaN();
        s.meters[1] = std::numeric_limits<double>::infinity();
        const QStringList fields = CsvTable::read(RecordCsv::row(s)).records.first();
        QCOMPARE(fields.size(), RecordColumns::count);
        QCOMPARE(fields[RecordColumns::firstMeter], QString());
        QCOMPARE(fields[RecordColumns::firstMeter + 1], QString());
        QCOMPARE(fields[RecordColumns::temperature], QString());
        QCOMPARE(fields[RecordColumns::frequency], QString());
        QCOMPARE(fields[RecordColumns::frame], QString());
    }

    void boardBytesStayOnOneLineOfUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("digits") << "0123"_ba << u"0123"_s;
        QTest::newRow("comma and quote") << "1,\"2"_ba << u"1,\"2"_s;
        QTest::newRow("CR LF") << "1\r\n"_ba << u"1\u240D\u240A"_s;
        QTest::newRow("NUL and DEL") << QByteArray("\0\x7F", 2) << u"\u2400\u2421"_s;
        QTest::newRow("Latin-1 high bytes") << "\xB0\xFF"_ba << u"°ÿ"_s;
    }
    void boardBytesStayOnOneLineOfUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QCOMPARE(RecordCsv::boardText(bytes), shown);

        RecordCsv::Sample s = sample();
        s.frame = bytes;
        s.frequency = bytes;
        const QByteArray row = RecordCsv::row(s);
        QCOMPARE(row.count("\r\n"), 1);
        QVERIFY(!row.contains('\0'));
        QVERIFY(QString::fromUtf8(row).toUtf8() == row);
        const QStringList fields = CsvTable::read(row).records.first();
        QCOMPARE(fields.size(), RecordColumns::count);
        QCOMPARE(fields[RecordColumns::frame], shown);
        QCOMPARE(fields[RecordColumns::frequency], shown);
    }

    void timeCarriesItsOffset_data()
    {
        QTest::addColumn<int>("offsetSeconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTC") << 0 << u"2026-03-01T00:00:00.007+00:00"_s;
        QTest::newRow("east") << 5 * 3600 + 45 * 60 << u"2026-03-01T00:00:00.007+05:45"_s;
        QTest::newRow("west, half hour")
            << -(3 * 3600 + 30 * 60) << u"2026-03-01T00:00:00.007-03:30"_s;
    }
    void timeCarriesItsOffset()
    {
        QFETCH(int, offsetSeconds);
        QFETCH(QString, text);
        const QDateTime time(QDate(2026, 3, 1), QTime(0, 0, 0, 7), QTimeZone(offsetSeconds));
        QCOMPARE(RecordCsv::timeText(time), text);
        QCOMPARE(QDateTime::fromString(text, Qt::ISODateWithMs), time);
    }

    void metersReadBackExactly_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("tenth") << 0.1;
        QTest::newRow("thirds") << 10.0 / 3.0;
        QTest::newRow("tiny") << 1e-7;
        QTest::newRow("large") << 123456789.5;
        QTest::newRow("negative") << -2.75;
    }
    void metersReadBackExactly()
    {
        QFETCH(double, value);
        const QByteArray text = RecordCsv::meterText(value);
        QVERIFY(!text.contains(' '));
        bool ok = false;
        QCOMPARE(text.toDouble(&ok), value);
        QVERIFY(ok);
    }
};

TARNWICK_TEST_MAIN(TestRecordCsv)
#include "tst_recordcsv.moc"
