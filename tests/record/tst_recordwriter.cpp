// The writer on real files: a day's file begun, taken up again after a restart, mended after
// a crash in the middle of a row, passed over when it is not ours, and cut back to its last
// whole row when the disk takes only part of a write, with the system's reason for it.
#include "CsvTable.h"
#include "RecordFiles.h"
#include "RecordWriter.h"
#include "SmallDisk.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int port = 4;
const QDate day(2026, 12, 9);
const QByteArray header = "Time,Link,Value\r\n";

QByteArray rows(int count, int first = 1)
{
    QByteArray text;
    for (int k = first; k < first + count; ++k)
        text +=
            "2026-12-09T10:00:00.000+00:00,live," + QByteArray(300, char('a' + k % 26)) + "\r\n";
    return text;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

// The file size this process may write up to, for the length of a scope: a disk that fills.
struct FileSizeLimit
{
    rlimit before{};
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN); // a write beyond it then fails with EFBIG
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit limit = before;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &before); }
};

} // namespace

class TestRecordWriter : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    QString path(int sequence = 1) const
    {
        return QDir(m_folder.path()).filePath(RecordFiles::fileName(port, day, sequence));
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_folder.isValid());
        for (const QString &name : QDir(m_folder.path()).entryList(QDir::Files))
            QFile::remove(QDir(m_folder.path()).filePath(name));
    }

    void aNewFileHasTheHeaderAndEveryRow()
    {
        RecordWriter writer;
        QSignalSpy began(&writer, &RecordWriter::began);
        QSignalSpy wrote(&writer, &RecordWriter::wrote);
        writer.begin(m_folder.path(), port, day, header, 7);
        QCOMPARE(began.count(), 1);
        QCOMPARE(began.first().at(0).toInt(), 7);
        QCOMPARE(began.first().at(1).toString(), path());
        QVERIFY(path().endsWith(u"/tarnwick-COM4-2026-12-09.csv"_s));
        writer.write(rows(2), 2);
        writer.write(rows(3, 3), 3);
        writer.end();
        QCOMPARE(readFile(path()), header + rows(5));
        QCOMPARE(wrote.last().at(1).toLongLong(), 5);
    }

    // What is found under the day's first name decides where the rows go.
    void whatIsThereDecidesTheFile_data()
    {
        QTest::addColumn<QByteArray>("found");
        QTest::addColumn<int>("sequence");    // of the file written
        QTest::addColumn<QByteArray>("kept"); // what stays of the found file, before the rows
        QTest::newRow("ours, whole") << header + rows(2) << 1 << header + rows(2);
        QTest::newRow("ours, header only") << header << 1 << header;
        QTest::newRow("ours, half a row after a crash")
            << header + rows(2) + "2026-12-09T10:00:01.000+00:00,li" << 1 << header + rows(2);
        QTest::newRow("ours, the header and half a row")
            << header + "2026-12-09T10:00" << 1 << header;
        QTest::newRow("names changed since")
            << "Time,Link,Other\r\n"_ba + rows(1) << 2 << QByteArray();
        QTest::newRow("not a recording") << "hello\n"_ba << 2 << QByteArray();
        QTest::newRow("empty") << QByteArray() << 2 << QByteArray();
    }
    void whatIsThereDecidesTheFile()
    {
        QFETCH(QByteArray, found);
        QFETCH(int, sequence);
        QFETCH(QByteArray, kept);
        QVERIFY(writeFile(path(), found));
        RecordWriter writer;
        QSignalSpy began(&writer, &RecordWriter::began);
        writer.begin(m_folder.path(), port, day, header, 1);
        QCOMPARE(began.count(), 1);
        QCOMPARE(began.first().at(1).toString(), path(sequence));
        writer.write(rows(1, 9), 1);
        writer.end();
        if (sequence == 1) {
            QCOMPARE(readFile(path()), kept + rows(1, 9));
        } else {
            QCOMPARE(readFile(path()), found); // left as it was
            QCOMPARE(readFile(path(sequence)), header + rows(1, 9));
        }
    }

    void aDiskThatFillsKeepsTheLastWholeRow()
    {
        RecordWriter writer;
        QSignalSpy failed(&writer, &RecordWriter::failed);
        QSignalSpy wrote(&writer, &RecordWriter::wrote);
        writer.begin(m_folder.path(), port, day, header, 3);
        writer.write(rows(2), 2);
        const qint64 before = readFile(path()).size();
        {
            // Room for one and a half rows more: the write of three gets part of the way.
            const FileSizeLimit full(rlim_t(before + rows(1).size() * 3 / 2));
            writer.write(rows(3, 3), 3);
        }
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.first().at(0).toInt(), 3);
        // The system's reason, though the first write got part of the way without one.
        const QString reason = failed.first().at(1).toString();
        QVERIFY2(
            reason.contains(u"cannot be written: "_s + QString::fromLocal8Bit(strerror(EFBIG))),
            qPrintable(reason));
        QCOMPARE(wrote.count(), 1);
        const QByteArray content = readFile(path());
        QCOMPARE(content, header + rows(2));
        QVERIFY(CsvTable::read(content).endsWithWholeRecord);

        writer.write(rows(1, 7), 1); // nothing more after a failure, until a new begin
        QCOMPARE(readFile(path()), header + rows(2));
        QCOMPARE(failed.count(), 1);
    }

    void aFullDiskIsToldInTheSystemsWords()
    {
        const SmallDisk disk(16);
        if (!disk.isMounted())
            QSKIP("only root mounts a small disk here; aFullDeviceIsToldInTheSystemsWords "
                  "hands the writer the same error");
        RecordWriter writer;
        QSignalSpy failed(&writer, &RecordWriter::failed);
        QSignalSpy began(&writer, &RecordWriter::began);
        writer.begin(disk.path(), port, day, header, 1);
        QCOMPARE(began.count(), 1);
        for (int k = 0; k < 100 && failed.isEmpty(); ++k)
            writer.write(rows(3, 3 * k + 1), 3);
        QCOMPARE(failed.count(), 1);
        const QString reason = failed.first().at(1).toString();
        QVERIFY2(reason.endsWith(u"cannot be written: No space left on device"_s),
                 qPrintable(reason));
        const QByteArray content =
            readFile(QDir(disk.path()).filePath(RecordFiles::fileName(port, day)));
        QVERIFY(content.startsWith(header));
        QVERIFY(content.size() > header.size());
        QVERIFY(CsvTable::read(content).endsWithWholeRecord);
    }

    void aFullDeviceIsToldInTheSystemsWords()
    {
        QFile full(u"/dev/full"_s);
        if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            QSKIP("no /dev/full here");
        QCOMPARE(RecordWriter::writeAll(full, rows(2)), u"No space left on device"_s);
    }

    void aFolderThatGoesStopsTheWriting()
    {
        QTemporaryDir parent;
        const QString folder = parent.filePath(u"day"_s);
        QVERIFY(QDir().mkpath(folder));
        RecordWriter writer;
        QSignalSpy failed(&writer, &RecordWriter::failed);
        writer.begin(folder, port, day, header, 1);
        writer.write(rows(1), 1);
        QVERIFY(QDir(folder).removeRecursively());
        writer.write(rows(1, 2), 1);
        QCOMPARE(failed.count(), 1);
        QVERIFY2(failed.first().at(1).toString().contains(u"is not there"_s),
                 qPrintable(failed.first().at(1).toString()));
    }

    void aFolderThatIsNotThereIsToldAtTheBegin()
    {
        RecordWriter writer;
        QSignalSpy failed(&writer, &RecordWriter::failed);
        QSignalSpy began(&writer, &RecordWriter::began);
        writer.begin(m_folder.filePath(u"missing"_s), port, day, header, 2);
        QCOMPARE(began.count(), 0);
        QCOMPARE(failed.count(), 1);
    }
};

TARNWICK_TEST_MAIN(TestRecordWriter)
#include "tst_recordwriter.moc"
