// Reading recordings: the CSV reader against RFC 4180 and what it takes leniently, and the
// recording reader against good files, hand-edited and cut-off ones, and files that are no
// recording at all. Nothing read may crash it; what cannot be read is skipped and counted.
#include "CsvReader.h"
#include "RecordingText.h"
#include "TestMain.h"
#include "TrendFile.h"

#include <QDateTime>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <random>
#include <zlib.h>

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

// A recording of `rows` live rows a second apart from `first`, channel 0 counting up from
// `value`.
QByteArray recordingFrom(const QDateTime &first, int rows, double value = 0,
                         const QStringList &captions = standardCaptions())
{
    QByteArray text = header(captions);
    for (int i = 0; i < rows; ++i)
        text +=
            row(first.addSecs(i).toString(Qt::ISODateWithMs).toLatin1(), "live", meters(value + i));
    return text;
}

QByteArray gzipped(const QByteArray &text, int level)
{
    // zlib's own gzip writer, as the recorder compresses a finished day.
    QTemporaryDir folder;
    const QByteArray path = folder.filePath(QStringLiteral("x.gz")).toLocal8Bit();
    gzFile gz = gzopen(path.constData(), QByteArray("wb" + QByteArray::number(level)).constData());
    if (!gz || gzwrite(gz, text.constData(), unsigned(text.size())) != int(text.size()) ||
        gzclose(gz) != Z_OK)
        return {};
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<float> firstChannel(const TrendRecording &recording)
{
    QList<float> values;
    for (const TrendSample &sample : recording.samples)
        values << sample.values[0];
    return values;
}

QList<int> gapsOf(const TrendRecording &recording)
{
    QList<int> gaps;
    for (std::size_t i = 0; i < recording.samples.size(); ++i)
        if (recording.samples[i].gapBefore)
            gaps << int(i);
    return gaps;
}

const QDateTime monday(QDate(2026, 12, 7), QTime(8, 0));

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

    void readsCompressedFiles_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("rows");
        QTest::newRow("fastest") << 1 << 50;
        QTest::newRow("best") << 9 << 50;
        // Over a megabyte unpacked: rows straddle zlib's buffer and the reading pieces.
        QTest::newRow("large") << 6 << 3000;
    }
    void readsCompressedFiles()
    {
        QFETCH(int, level);
        QFETCH(int, rows);
        const QByteArray text = recordingFrom(monday, rows);
        const QByteArray packed = gzipped(text, level);
        QVERIFY(!packed.isEmpty() && packed.size() < text.size());
        const TrendRecording recording = readTrendFile(write(u"day.csv.gz"_s, packed));
        QCOMPARE(recording.error, QString());
        QCOMPARE(recording.damage, QString());
        QCOMPARE(recording.skippedRows, qint64(0));
        QCOMPARE(firstChannel(recording), firstChannel(readTrendText(text)));
        QCOMPARE(recording.samples.size(), std::size_t(rows));
    }

    void readsWhatTheGzipCommandMade()
    {
        const QString gzip = QStandardPaths::findExecutable(u"gzip"_s);
        if (gzip.isEmpty())
            QSKIP("no gzip command here");
        const QByteArray text = recordingFrom(monday, 200);
        const QString plain = write(u"by-gzip.csv"_s, text);
        QVERIFY(!plain.isEmpty());
        QProcess process;
        process.start(gzip, {u"-f"_s, u"-9"_s, plain});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        const TrendRecording recording = readTrendFile(plain + u".gz"_s);
        QCOMPARE(recording.error, QString());
        QCOMPARE(recording.damage, QString());
        QCOMPARE(firstChannel(recording), firstChannel(readTrendText(text)));
    }

    void aDamagedCompressedFileGivesTheRowsBeforeAndWhy_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason"); // a word of the reason given
        // At least this many of the 2000 rows are read. Damage found in the compressed
        // data costs the rows of the piece being read (64 KB, about 150 rows); a file cut
        // short costs none.
        QTest::addColumn<int>("leastRows");
        // Rows skipped as broken: the row cut short, or whatever garbage unpacks into
        // before zlib finds it out (-1: any number).
        QTest::addColumn<int>("mostSkipped");
        const QByteArray packed = gzipped(recordingFrom(monday, 2000), 6);
        QTest::newRow("cut in the middle")
            << packed.left(packed.size() / 2) << u"ends early"_s << 900 << 1;
        QTest::newRow("cut inside its trailer")
            << packed.chopped(3) << u"ends early"_s << 2000 << 0;
        QByteArray garbled = packed;
        for (qsizetype i = garbled.size() / 2; i < garbled.size() / 2 + 64; ++i)
            garbled[i] = char(0xFF);
        QTest::newRow("garbage in the middle") << garbled << u"damaged"_s << 800 << -1;
        QByteArray badCheck = packed;
        badCheck[badCheck.size() - 6] = char(badCheck.at(badCheck.size() - 6) ^ 0x55);
        QTest::newRow("its check sum wrong") << badCheck << u"damaged"_s << 1800 << 1;
    }
    void aDamagedCompressedFileGivesTheRowsBeforeAndWhy()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QFETCH(int, leastRows);
        QFETCH(int, mostSkipped);
        const TrendRecording recording = readTrendFile(write(u"damaged.csv.gz"_s, bytes));
        QCOMPARE(recording.error, QString());
        QVERIFY2(recording.damage.contains(reason), qPrintable(recording.damage));
        // What was read is what was written: the first rows, in order.
        const QList<float> values = firstChannel(recording);
        QVERIFY2(values.size() >= leastRows && values.size() <= 2000,
                 qPrintable(QString::number(values.size())));
        for (qsizetype i = 0; i < values.size(); ++i)
            QCOMPARE(values[i], float(i));
        if (mostSkipped >= 0)
            QVERIFY(recording.skippedRows <= mostSkipped);
    }

    void whatCannotBeShownFromAGzFileSaysWhy_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray packed = gzipped(recordingFrom(monday, 10), 6);
        QTest::newRow("empty") << QByteArray() << u"empty"_s;
        QTest::newRow("cut inside its header") << packed.left(6) << u"ends early"_s;
        QTest::newRow("binary, named .gz") << randomBytes(5000) << u"heading"_s;
        QTest::newRow("compressed, but no recording")
            << gzipped("name,value\r\nx,1\r\n", 6) << u"heading"_s;
    }
    void whatCannotBeShownFromAGzFileSaysWhy()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const TrendRecording recording = readTrendFile(write(u"bad.csv.gz"_s, bytes));
        QVERIFY2(recording.error.contains(reason), qPrintable(recording.error));
        QVERIFY(recording.samples.empty());
    }

    void aPlainRecordingNamedGzIsReadAsItStands()
    {
        const QByteArray text = recordingFrom(monday, 20);
        const TrendRecording recording = readTrendFile(write(u"plain.csv.gz"_s, text));
        QCOMPARE(recording.error, QString());
        QCOMPARE(recording.damage, QString());
        QCOMPARE(recording.samples.size(), std::size_t(20));
    }

    void severalFilesShowAsOneRecordingInTimeOrder()
    {
        // Three days, chosen in no order, one compressed, a picture among them.
        const QStringList sunday{u"S1"_s, u"S2"_s, u"S3"_s, u"S4"_s, u"S5"_s, u"S6"_s};
        const QString second = write(u"tarnwick-COM1-2026-12-08.csv.gz"_s,
                                     gzipped(recordingFrom(monday.addDays(1), 10, 100), 6));
        const QString third = write(u"tarnwick-COM1-2026-12-09.csv"_s,
                                    recordingFrom(monday.addDays(2), 10, 200, sunday));
        const QString first =
            write(u"tarnwick-COM1-2026-12-07.csv"_s, recordingFrom(monday, 10, 0));
        const QString picture = write(u"holiday.png"_s, randomBytes(3000));
        const TrendRecording recording = readTrendFiles({third, picture, first, second});
        QCOMPARE(recording.error, QString());
        QList<float> expected;
        for (const int day : {0, 100, 200})
            for (int i = 0; i < 10; ++i)
                expected << float(day + i);
        QCOMPARE(firstChannel(recording), expected);
        // Each day begins after a night of nothing recorded.
        QCOMPARE(gapsOf(recording), (QList<int>{10, 20}));
        QCOMPARE(QStringList(recording.captions.begin(), recording.captions.end()), sunday);
        QCOMPARE(recording.fileProblems.size(), 1);
        QVERIFY(recording.fileProblems.first().startsWith(u"holiday.png: "_s));
    }

    void betweenFilesOnlyALongSilenceBreaksTheLine_data()
    {
        QTest::addColumn<int>("secondsBetween"); // from the first file's last row
        QTest::addColumn<bool>("gap");
        QTest::newRow("recording went on at midnight") << 1 << false;
        QTest::newRow("a short stop") << 9 << false;
        QTest::newRow("hours later") << 3 * 3600 << true;
    }

    void aLinkLostAtTheEndOfOneFileBreaksTheLineIntoTheNext()
    {
        const QDateTime evening(QDate(2026, 12, 7), QTime(23, 59, 57));
        const QString first =
            write(u"c.csv"_s, recordingFrom(evening, 2) +
                                  row(evening.addSecs(2).toString(Qt::ISODateWithMs).toLatin1(),
                                      "no-reply", meters(9)));
        const QString next = write(u"d.csv"_s, recordingFrom(evening.addSecs(3), 3, 60));
        const TrendRecording recording = readTrendFiles({next, first});
        QCOMPARE(firstChannel(recording), (QList<float>{0, 1, 60, 61, 62}));
        QCOMPARE(gapsOf(recording), QList<int>{2});
    }
    void betweenFilesOnlyALongSilenceBreaksTheLine()
    {
        QFETCH(int, secondsBetween);
        QFETCH(bool, gap);
        const QDateTime evening(QDate(2026, 12, 7), QTime(23, 59, 0));
        const QString first = write(u"a.csv"_s, recordingFrom(evening, 60));
        const QString next = write(
            u"b.csv.gz"_s, gzipped(recordingFrom(evening.addSecs(59 + secondsBetween), 60, 60), 6));
        const TrendRecording recording = readTrendFiles({first, next});
        QCOMPARE(recording.samples.size(), std::size_t(120));
        QCOMPARE(gapsOf(recording), gap ? QList<int>{60} : QList<int>{});
    }

    void theSampleLimitHoldsForAllFilesTogether()
    {
        QStringList paths;
        for (int day = 0; day < 3; ++day)
            paths << write(u"day-%1.csv"_s.arg(day),
                           recordingFrom(monday.addDays(day), 10, 100 * day));
        const TrendRecording recording = readTrendFiles(paths, 25);
        QVERIFY(recording.truncated);
        QCOMPARE(recording.samples.size(), std::size_t(25));
        // The earliest days are the ones kept.
        QCOMPARE(recording.samples.back().values[0], 204.0f);
        QCOMPARE(readTrendFiles(paths, 20).fileProblems.size(), 1); // the third not read
    }

    void whenNoFileCanBeShownEachSaysWhy()
    {
        const QString empty = write(u"empty.csv"_s, {});
        const QString other = write(u"other.csv.gz"_s, gzipped("name,value\r\n", 6));
        const TrendRecording recording =
            readTrendFiles({empty, other, m_folder.filePath(u"gone.csv"_s)});
        QVERIFY(!recording.error.isEmpty());
        QCOMPARE(recording.fileProblems.size(), 3);
        QVERIFY(
            recording.fileProblems.filter(u"gone.csv: "_s).first().contains(u"cannot be opened"_s));
        QVERIFY(recording.fileProblems.filter(u"empty.csv: "_s).first().contains(u"empty"_s));
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
