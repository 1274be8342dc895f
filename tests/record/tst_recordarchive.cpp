// Finished days on real files: our names read back, a day compressed to gzip that zlib and
// zcat read as it was, days beyond those kept removed, and everything that is not ours, or
// that a full disk or a leaving panel interrupts, left exactly as it was.
#include "Gunzip.h"
#include "RecordArchive.h"
#include "RecordFiles.h"
#include "SmallDisk.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

const QDate today(2026, 12, 10);
const QByteArray recording = "Time,Link,R1,R2\r\n2026-12-09T10:00:00.000+01:00,live,0,1\r\n";

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

// Rows enough that a compression takes several pieces.
QByteArray longRecording()
{
    QByteArray text = "Time,Link,R1,R2\r\n";
    for (int row = 0; row < 20000; ++row)
        text += "2026-12-09T10:00:" + QByteArray::number(row % 60) + ".000+01:00,live," +
                QByteArray::number(row % 2) + ',' + QByteArray::number(row * 7919 % 1000) + "\r\n";
    return text;
}

} // namespace

class TestRecordArchive : public QObject
{
    Q_OBJECT

    std::atomic_bool m_stay{false};

private Q_SLOTS:
    void ourNamesAreReadBackAndNoOthers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("ours");
        QTest::addColumn<int>("port");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<int>("sequence");
        QTest::addColumn<bool>("compressed");
        const QDate day(2026, 12, 9);
        QTest::newRow("a day") << RecordFiles::fileName(4, day) << true << 4 << day << 1 << false;
        QTest::newRow("its second file")
            << RecordFiles::fileName(4, day, 2) << true << 4 << day << 2 << false;
        QTest::newRow("the last file") << RecordFiles::fileName(9, day, RecordFiles::sequenceLimit)
                                       << true << 9 << day << RecordFiles::sequenceLimit << false;
        QTest::newRow("compressed")
            << RecordFiles::fileName(1, day) + u".gz"_s << true << 1 << day << 1 << true;
        QTest::newRow("sequence 1 written out")
            << u"tarnwick-COM4-2026-12-09-1.csv"_s << false << 0 << QDate() << 0 << false;
        QTest::newRow("no such day")
            << u"tarnwick-COM4-2026-02-30.csv"_s << false << 0 << QDate() << 0 << false;
        QTest::newRow("another program's")
            << u"other-COM4-2026-12-09.csv"_s << false << 0 << QDate() << 0 << false;
        QTest::newRow("a copy") << u"tarnwick-COM4-2026-12-09.csv.bak"_s << false << 0 << QDate()
                                << 0 << false;
        QTest::newRow("a save file's temporary")
            << u"tarnwick-COM4-2026-12-09.csv.gz.Ab1234"_s << false << 0 << QDate() << 0 << false;
    }

    void ourNamesAreReadBackAndNoOthers()
    {
        QFETCH(QString, name);
        QFETCH(bool, ours);
        const std::optional<RecordFiles::FileName> file = RecordFiles::readFileName(name);
        QCOMPARE(file.has_value(), ours);
        if (!ours)
            return;
        QTEST(file->port, "port");
        QTEST(file->day, "day");
        QTEST(file->sequence, "sequence");
        QTEST(file->compressed, "compressed");
    }

    void aDayIsCompressedAndReadsBackAsItWas()
    {
        QTemporaryDir folder;
        const QString plain = folder.filePath(RecordFiles::fileName(4, today.addDays(-1)));
        const QByteArray content = longRecording();
        QVERIFY(writeFile(plain, content));
        QCOMPARE(RecordArchive::compress(plain, m_stay), QString());
        QVERIFY(!QFile::exists(plain));
        const QString packed = plain + u".gz"_s;
        QVERIFY(readFile(packed).startsWith("\x1f\x8b")); // gzip, not zlib's own format
        QVERIFY(readFile(packed).size() < content.size() / 4);
        QCOMPARE(gunzip(packed), content);
        const QString zcat = QStandardPaths::findExecutable(u"zcat"_s);
        if (zcat.isEmpty())
            return;
        QProcess reader;
        reader.start(zcat, {packed});
        QVERIFY(reader.waitForFinished(10000));
        QCOMPARE(reader.exitCode(), 0);
        QCOMPARE(reader.readAllStandardOutput(), content);
    }

    void tidyingKeepsTodayAndTheDaysKeptAndTouchesNothingElse()
    {
        QTemporaryDir folder;
        const QDir dir(folder.path());
        const auto ours = [&](int daysBack, int sequence = 1) {
            return dir.filePath(RecordFiles::fileName(3, today.addDays(-daysBack), sequence));
        };
        QVERIFY(writeFile(ours(0), recording));      // today's: being written
        QVERIFY(writeFile(ours(1), recording));      // yesterday: compressed
        QVERIFY(writeFile(ours(1, 2), recording));   // and its second file
        QVERIFY(writeFile(ours(7), recording));      // the last day kept
        QVERIFY(writeFile(ours(8), recording));      // beyond: removed
        QVERIFY(writeFile(ours(30) + u".gz"_s, {})); // compressed long ago, but not ours
        const QString notOurs = ours(40);
        QVERIFY(writeFile(notOurs, "Date,Value\r\n")); // our name, another's content
        const QString other = dir.filePath(u"notes-2026-01-01.csv"_s);
        QVERIFY(writeFile(other, recording));
        QVERIFY(QFile::copy(ours(0), ours(20)));
        QVERIFY(RecordArchive::compress(ours(20), m_stay).isEmpty()); // long ago: removed

        const RecordArchive::Tidied tidied = RecordArchive::tidy(dir.path(), today, 7, m_stay);
        QCOMPARE(tidied.problems, QStringList());
        const auto sorted = [](QStringList paths) {
            paths.sort();
            return paths;
        };
        QCOMPARE(sorted(tidied.compressed), sorted({ours(1), ours(1, 2), ours(7)}));
        QCOMPARE(sorted(tidied.removed), sorted({ours(20) + u".gz"_s, ours(8)}));
        QCOMPARE(readFile(ours(0)), recording);
        for (const QString &day : {ours(1), ours(1, 2), ours(7)}) {
            QVERIFY(!QFile::exists(day));
            QCOMPARE(gunzip(day + u".gz"_s), recording);
        }
        QVERIFY(QFile::exists(ours(30) + u".gz"_s));
        QCOMPARE(readFile(notOurs), "Date,Value\r\n");
        QCOMPARE(readFile(other), recording);

        // Keeping every day, only what is new is compressed, and nothing goes.
        QVERIFY(writeFile(ours(2), recording));
        const RecordArchive::Tidied again = RecordArchive::tidy(dir.path(), today, 0, m_stay);
        QCOMPARE(again.compressed, QStringList{ours(2)});
        QVERIFY(again.removed.isEmpty());
    }

    void aLeavingPanelLeavesThePlainFileAsItWas()
    {
        QTemporaryDir folder;
        const QString plain = folder.filePath(RecordFiles::fileName(4, today.addDays(-1)));
        QVERIFY(writeFile(plain, longRecording()));
        const std::atomic_bool leaving{true};
        QVERIFY(!RecordArchive::compress(plain, leaving).isEmpty());
        QCOMPARE(readFile(plain), longRecording());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 QStringList{QFileInfo(plain).fileName()});
    }

    void aFullDiskLeavesThePlainFileAsItWas()
    {
        const SmallDisk disk(64);
        if (!disk.isMounted())
            QSKIP("only root mounts a small disk here");
        const QString plain =
            QDir(disk.path()).filePath(RecordFiles::fileName(4, today.addDays(-1)));
        // Random bytes do not compress: the file and its compressed copy do not both fit.
        QByteArray content(40 * 1024, Qt::Uninitialized);
        QRandomGenerator generator(12345);
        generator.fillRange(reinterpret_cast<quint32 *>(content.data()), content.size() / 4);
        QVERIFY(writeFile(plain, content));
        const QString problem = RecordArchive::compress(plain, m_stay);
        QVERIFY2(problem.endsWith(u"No space left on device"_s), qPrintable(problem));
        QCOMPARE(readFile(plain), content);
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files),
                 QStringList{QFileInfo(plain).fileName()});
    }
};

TARNWICK_TEST_MAIN(TestRecordArchive)
#include "tst_recordarchive.moc"
