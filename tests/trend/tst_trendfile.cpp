// Reading recordings: the CSV reader against RFC 4180 and what it takes leniently, and the
// recording reader against good files, hand-edited and cut-off ones, and files that are no
// recording at all. Nothing read may crash it; what cannot be read is skipped and counted.
#include "CsvReader.h"
#include "RecordingText.h"
#include "TestMain.h"
#include "TrendFile.h"

#include <QDateTime>
#include <QLocale>
#include <QTemporaryDir>
#include <cmath>
#include <random>

using namespace Qt::StringLiterals;
using namespace RecordingText;

namespace {

QList<QByteArray> meters(double first)
{
    QList<QByteArray> texts;
    for (int m = 0; m < RecordColumns::meterCount; ++m)
        texts << QByteArray::number(first + m);
    return texts;
}

QByteArray timeAt(int second)
{
    return "2026-12-09T13:45:" + QByteArray::number(second).rightJustified(2, '0') + ".250+01:00";
}

QByteArray liveRow(int second, double value)
{
    return row(timeAt(second), "live", meters(value));
}

QByteArray standardHeader()
{
    return header(standardCaptions());
}

QByteArray withoutColumn(QByteArray line)
{
    const qsizetype comma = line.indexOf(',', line.indexOf(',') + 1);
    return line.remove(comma, line.indexOf(',', comma + 1) - comma);
}

// What the CSV reader made of a text, one record a line: fields joined by "|", then flags.
QStringList recordsOf(const QByteArray &text, qsizetype pieceSize)
{
    QStringList found;
    CsvReader reader(
        [&found](const CsvRecord &record) {
            QStringList fields;
            for (const QByteArray &field : record.fields)
                fields << QString::fromUtf8(field);
            QString line = fields.join(u'|');
            if (record.malformed)
                line += u" [malformed]"_s;
            if (!record.terminated)
                line += u" [unterminated]"_s;
            if (record.openQuote)
                line += u" [open quote]"_s;
            if (record.overlong)
                line = u"[overlong]"_s;
            found << line;
        },
        32);
    for (qsizetype at = 0; at < text.size(); at += pieceSize)
        reader.feed(QByteArrayView(text).sliced(at, std::min(pieceSize, text.size() - at)));
    reader.finish();
    return found;
}

QByteArray randomBytes(int count)
{
    std::mt19937 random(3);
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(random() & 0xFF));
    return bytes;
}

} // namespace

class TestTrendFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        return file.fileName();
    }

private Q_SLOTS:
    void csvRecords_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("plain") << "a,b,c\r\n1,2,3\r\n"_ba << QStringList{u"a|b|c"_s, u"1|2|3"_s};
        QTest::newRow("empty fields") << ",,\r\n"_ba << QStringList{u"||"_s};
        QTest::newRow("quoted comma") << "\"a,b\",c\r\n"_ba << QStringList{u"a,b|c"_s};
        QTest::newRow("doubled quote")
            << "\"say \"\"hi\"\"\",x\r\n"_ba << QStringList{u"say \"hi\"|x"_s};
        QTest::newRow("line ends inside quotes") << "\"one\r\ntwo\",\"cr\r\"\r\nnext\r\n"_ba
                                                 << QStringList{u"one\r\ntwo|cr\r"_s, u"next"_s};
        QTest::newRow("empty quoted field") << "\"\",x\r\n"_ba << QStringList{u"|x"_s};
        QTest::newRow("LF and lone CR end records too")
            << "a\nb\rc\r\n"_ba << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("no line end at the end")
            << "a,b\r\nc,d"_ba << QStringList{u"a|b"_s, u"c|d [unterminated]"_s};
        QTest::newRow("unbalanced quote")
            << "a\r\n\"b,c\r\nd"_ba
            << QStringList{u"a"_s, u"b,c\r\nd [unterminated] [open quote]"_s};
        QTest::newRow("quote inside an unquoted field")
            << "ab\"c,d\r\n"_ba << QStringList{u"ab\"c|d [malformed]"_s};
        QTest::newRow("text after the closing quote")
            << "\"ab\"c,d\r\n"_ba << QStringList{u"abc|d [malformed]"_s};
        QTest::newRow("overlong record skipped to the next line end")
            << "short\r\n"_ba + QByteArray(40, 'x') + "\r\nafter\r\n"_ba
            << QStringList{u"short"_s, u"[overlong]"_s, u"after"_s};
        QTest::newRow("an open quote cannot swallow the rest")
            << "\""_ba + QByteArray(40, 'x') + "\r\nafter\r\n"_ba
            << QStringList{u"[overlong]"_s, u"after"_s};
    }
    void csvRecords()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, records);
        // Whole, and byte by byte: a piece may end anywhere, even between CR and LF.
        QCOMPARE(recordsOf(text, text.size() + 1), records);
        QCOMPARE(recordsOf(text, 1), records);
    }

    void readsRecordings_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<double>>("values"); // channel 0 of each sample
        QTest::addColumn<QList<int>>("gaps");      // samples that begin after an outage
        QTest::addColumn<qint64>("skipped");
        const QByteArray good = standardHeader() + liveRow(1, 1) + liveRow(2, 2) + liveRow(3, 3);
        using V = QList<double>;
        using G = QList<int>;
        QTest::newRow("good") << good << V{1, 2, 3} << G{} << qint64(0);
        QTest::newRow("header only") << standardHeader() << V{} << G{} << qint64(0);
        QTest::newRow("truncated last row")
            << standardHeader() + liveRow(1, 1) + liveRow(2, 2) + liveRow(3, 3).left(120) << V{1, 2}
            << G{} << qint64(1);
        QTest::newRow("cut inside the quoted frame")
            << standardHeader() + liveRow(1, 1) + liveRow(2, 2).chopped(12) << V{1} << G{}
            << qint64(1);
        QTest::newRow("last row whole but without its line end")
            << good.chopped(2) << V{1, 2, 3} << G{} << qint64(0);
        QTest::newRow("a column missing")
            << standardHeader() + liveRow(1, 1) + withoutColumn(liveRow(2, 2)) + liveRow(3, 3)
            << V{1, 3} << G{} << qint64(1);
        QTest::newRow("a column too many")
            << standardHeader() + liveRow(1, 1) + liveRow(2, 2).chopped(2) + ",extra\r\n" +
                   liveRow(3, 3)
            << V{1, 3} << G{} << qint64(1);
        QTest::newRow("bad numbers")
            << standardHeader() + liveRow(1, 1) +
                   row(timeAt(2), "live", {"abc", "1", "2", "3", "4", "5"}) +
                   row(timeAt(3), "live", {"1", "-", "2", "3", "4", "5"}) +
                   row(timeAt(4), "live", {"1", "2", "\"1,5\"", "3", "4", "5"}) +
                   row(timeAt(5), "live", {"1", "2", "3", "4", "5", "0x10"}) + liveRow(6, 6)
            << V{1, 6} << G{} << qint64(4);
        QTest::newRow("bad time") << standardHeader() + liveRow(1, 1) +
                                         row("yesterday", "live", meters(2)) + liveRow(3, 3)
                                  << V{1, 3} << G{} << qint64(1);
        QTest::newRow("unknown link state")
            << standardHeader() + liveRow(1, 1) + row(timeAt(2), "maybe", meters(2)) << V{1} << G{}
            << qint64(1);
        QTest::newRow("rows not live start a gap")
            << standardHeader() + liveRow(1, 1) + row(timeAt(2), "no-reply", meters(2)) +
                   row(timeAt(3), "lost", meters(3)) + liveRow(4, 4) + liveRow(5, 5)
            << V{1, 4, 5} << G{1} << qint64(0);
        QTest::newRow("never answered at the start")
            << standardHeader() + row(timeAt(1), "never", meters(0)) + liveRow(2, 2) << V{2} << G{0}
            << qint64(0);
        QTest::newRow("blank lines ignored")
            << standardHeader() + liveRow(1, 1) + "\r\n" + liveRow(2, 2) + "\r\n\r\n"
            << V{1, 2} << G{} << qint64(0);
        QByteArray lfOnly = good;
        lfOnly.replace("\r\n", "\n");
        QTest::newRow("saved again with LF line ends") << lfOnly << V{1, 2, 3} << G{} << qint64(0);
        QTest::newRow("byte order mark")
            << "\xEF\xBB\xBF"_ba + good << V{1, 2, 3} << G{} << qint64(0);
        QTest::newRow("rows out of time order sorted")
            << standardHeader() + liveRow(3, 3) + liveRow(1, 1) + liveRow(2, 2) << V{1, 2, 3} << G{}
            << qint64(0);
        QTest::newRow("garbage in the middle")
            << standardHeader() + liveRow(1, 1) + randomBytes(300).replace('"', 'q') + "\r\n" +
                   liveRow(2, 2)
            << V{1, 2} << G{} << qint64(-1); // the garbage's line ends say how many rows
    }
    void readsRecordings()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<double>, values);
        QFETCH(QList<int>, gaps);
        QFETCH(qint64, skipped);
        const TrendRecording recording = readTrendText(text);
        QCOMPARE(recording.error, QString());
        QCOMPARE(QStringList(recording.captions.begin(), recording.captions.end()),
                 standardCaptions());
        QList<double> read;
        QList<int> readGaps;
        for (const TrendSample &sample : recording.samples) {
            if (sample.gapBefore)
                readGaps << int(read.size());
            read << double(sample.values[0]);
            for (int m = 1; m < TrendSample::channelCount; ++m)
                QCOMPARE(sample.values[std::size_t(m)] - sample.values[0], 0.0f + float(m));
        }
        QCOMPARE(read, values);
        QCOMPARE(readGaps, gaps);
        if (skipped >= 0)
            QCOMPARE(recording.skippedRows, skipped);
        else
            QVERIFY(recording.skippedRows > 0);
    }

    void numbersAreReadInTheCLocale()
    {
        // Whatever the user's regional format: the recorder writes full stops.
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const TrendRecording recording = readTrendText(
            standardHeader() + row(timeAt(1), "live", {"-2.5", "1e3", " 7 ", "0", "+4", "1.5e-3"}));
        QLocale::setDefault(before);
        QCOMPARE(recording.skippedRows, qint64(0));
        QCOMPARE(recording.samples.size(), std::size_t(1));
        const std::array<float, 6> expected{-2.5f, 1000.0f, 7.0f, 0.0f, 4.0f, 0.0015f};
        QCOMPARE(recording.samples[0].values, expected);
    }

    void anEmptyMeterIsAValueNotShown()
    {
        // As the recorder writes a needle that had nothing to show.
        const TrendRecording recording =
            readTrendText(standardHeader() + row(timeAt(1), "live", {"1", "", "3", "", "5", "6"}));
        QCOMPARE(recording.skippedRows, qint64(0));
        QCOMPARE(recording.samples.size(), std::size_t(1));
        const std::array<float, 6> &values = recording.samples[0].values;
        QCOMPARE(values[0], 1.0f);
        QVERIFY(std::isnan(values[1]));
        QCOMPARE(values[2], 3.0f);
        QVERIFY(std::isnan(values[3]));
        QCOMPARE(values[5], 6.0f);
    }

    void captionsCarryCommasQuotesLineEndsAndAnyScript()
    {
        const QStringList captions{u"Flow, l/min"_s,    u"Say \"hi\""_s, u"Two\r\nlines"_s,
                                   u"Température °C"_s, u"Ω 電圧"_s,     u""_s};
        const TrendRecording recording = readTrendText(header(captions) + liveRow(1, 1));
        QCOMPARE(recording.error, QString());
        QCOMPARE(QStringList(recording.captions.begin(), recording.captions.end()), captions);
        QCOMPARE(recording.samples.size(), std::size_t(1));
    }

    void numberedMeterColumnsGiveTheCaptionsAlone()
    {
        QStringList numbered;
        for (int m = 1; m <= 5; ++m)
            numbered << u"Meter %1: Volts DC"_s.arg(m);
        numbered << u"Meter 6"_s; // a meter without a caption
        const TrendRecording recording = readTrendText(header(numbered) + liveRow(1, 1));
        QCOMPARE(recording.error, QString());
        QCOMPARE(QStringList(recording.captions.begin(), recording.captions.end()),
                 (QStringList{u"Volts DC"_s, u"Volts DC"_s, u"Volts DC"_s, u"Volts DC"_s,
                              u"Volts DC"_s, QString()}));
    }

    void timesKeepTheirOffsets()
    {
        const TrendRecording recording = readTrendText(
            standardHeader() + row("2026-12-09T13:45:01.123+01:00", "live", meters(1)) +
            row("2026-12-09T12:45:02.124Z", "live", meters(2)) +
            row("2026-12-09T07:45:03.125-05:00", "live", meters(3)));
        QCOMPARE(recording.samples.size(), std::size_t(3));
        const qint64 first =
            QDateTime(QDate(2026, 12, 9), QTime(12, 45, 1, 123), Qt::UTC).toMSecsSinceEpoch();
        QCOMPARE(recording.samples[0].msecsSinceEpoch, first);
        QCOMPARE(recording.samples[1].msecsSinceEpoch, first + 1001);
        QCOMPARE(recording.samples[2].msecsSinceEpoch, first + 2002);
    }

    void whatIsNoRecordingSaysSo_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("another CSV") << "name,value\r\nx,1\r\n"_ba;
        QTest::newRow("header cut short") << standardHeader().left(200);
        QTest::newRow("header a column short") << withoutColumn(standardHeader());
        QTest::newRow("rows without a header") << liveRow(1, 1) + liveRow(2, 2);
        QTest::newRow("binary") << randomBytes(200'000);
        QTest::newRow("one endless line") << QByteArray(300'000, 'x');
        QTest::newRow("an endless quote") << "\""_ba + QByteArray(300'000, ',');
    }
    void whatIsNoRecordingSaysSo()
    {
        QFETCH(QByteArray, text);
        const QString path = write(u"not-a-recording.csv"_s, text);
        QVERIFY(!path.isEmpty());
        const TrendRecording recording = readTrendFile(path);
        QVERIFY(!recording.error.isEmpty());
        QVERIFY(recording.samples.empty());
        QCOMPARE(readTrendText(text).error, recording.error);
    }

    void aFileThatCannotBeOpenedSaysWhy()
    {
        const TrendRecording recording = readTrendFile(m_folder.filePath(u"missing.csv"_s));
        QVERIFY(recording.error.contains(u"cannot be opened"_s));
    }

    void aLargeFileIsReadAcrossItsPieces()
    {
        // Over a megabyte, so rows, quoted frames and CRLFs straddle the reading pieces.
        QByteArray text = standardHeader();
        const int rows = 6000;
        for (int i = 0; i < rows; ++i)
            text += row(QDateTime::fromMSecsSinceEpoch(qint64(i) * 180, Qt::UTC)
                            .toString(Qt::ISODateWithMs)
                            .toLatin1(),
                        "live", meters(i % 500));
        QVERIFY(text.size() > (1 << 20));
        const TrendRecording recording = readTrendFile(write(u"large.csv"_s, text));
        QCOMPARE(recording.error, QString());
        QCOMPARE(recording.skippedRows, qint64(0));
        QCOMPARE(recording.samples.size(), std::size_t(rows));
        QCOMPARE(recording.samples.back().values[0], float((rows - 1) % 500));
        QCOMPARE(recording.samples.back().msecsSinceEpoch, qint64(rows - 1) * 180);
    }

    void samplesBeyondTheLimitAreNotKept()
    {
        TrendFileReader reader(2);
        reader.feed(standardHeader() + liveRow(1, 1) + liveRow(2, 2));
        QVERIFY(!reader.done());
        reader.feed(liveRow(3, 3));
        QVERIFY(reader.done());
        const TrendRecording recording = reader.finish();
        QVERIFY(recording.truncated);
        QCOMPARE(recording.samples.size(), std::size_t(2));
    }
};

TARNWICK_TEST_MAIN(TestTrendFile)
#include "tst_trendfile.moc"
