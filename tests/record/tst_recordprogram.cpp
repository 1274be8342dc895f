// Recording in the program as users run it: started and stopped with tarnwick-ctl, a file
// that a kill leaves with whole rows only, and a second start that goes on in the same file.
#include "CsvTable.h"
#include "PanelProcess.h"
#include "PtyBoard.h"
#include "RecordColumns.h"
#include "RecordFiles.h"
#include "TestMain.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

constexpr int patience = PanelProcess::patience;

struct Ctl
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Ctl ctl(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(TARNWICK_CTL), arguments);
    Ctl result;
    if (!process.waitForFinished(patience)) {
        process.kill();
        process.waitForFinished(patience);
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// Starts the panel's recording into `folder` once the panel answers.
bool startRecording(PanelProcess &panel, const QString &folder)
{
    if (!panel.process.waitForStarted(patience))
        return false;
    Ctl started;
    const bool answered = QTest::qWaitFor(
        [&] {
            started = ctl({u"record"_s, u"start"_s, folder});
            return !panel.running() || started.exitCode != 3; // 3: no panel yet
        },
        patience);
    if (started.exitCode != 0)
        qWarning("record start: %d %s", started.exitCode, started.err.constData());
    return answered && started.exitCode == 0;
}

CsvTable awaitRows(const QString &path, int count)
{
    CsvTable table;
    const auto enough = [&] {
        QFile file(path);
        table = CsvTable::read(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
        return table.records.size() > count;
    };
    if (!QTest::qWaitFor(enough, patience))
        qWarning("%s holds %d records", qPrintable(path), int(table.records.size()));
    return table;
}

} // namespace

class TestRecordProgram : public QObject
{
    Q_OBJECT

    QTemporaryDir m_runtime;
    std::unique_ptr<PtyBoard> m_board;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        m_board = std::make_unique<PtyBoard>();
        QVERIFY2(m_board->start(1), qPrintable(m_board->errorString()));
    }
    void cleanupTestCase() { m_board.reset(); }

    void aKillLeavesWholeRowsAndARestartGoesOnInTheSameFile()
    {
        QTemporaryDir folder;
        const QString path =
            QDir(folder.path()).filePath(RecordFiles::fileName(1, QDate::currentDate()));
        qsizetype rowsBeforeKill = 0;
        {
            PanelProcess panel;
            QVERIFY(startRecording(panel, folder.path()));
            const Ctl status = ctl({u"record"_s, u"status"_s, u"--json"_s});
            QCOMPARE(status.exitCode, 0);
            const QJsonObject recording = QJsonDocument::fromJson(status.out).object();
            QCOMPARE(recording.value(u"active"_s).toBool(), true);
            QCOMPARE(recording.value(u"folder"_s).toString(), folder.path());

            rowsBeforeKill = awaitRows(path, 5).records.size() - 1;
            QVERIFY(rowsBeforeKill >= 5);
            panel.process.kill(); // SIGKILL: nothing is flushed on the way out
            QVERIFY(panel.process.waitForFinished(patience));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const CsvTable killed = CsvTable::read(file.readAll());
        file.close();
        QVERIFY(killed.endsWithWholeRecord);
        QVERIFY(killed.records.size() - 1 >= rowsBeforeKill);
        for (const QStringList &record : killed.records)
            QCOMPARE(record.size(), RecordColumns::count);

        PanelProcess again;
        QVERIFY(startRecording(again, folder.path()));
        const CsvTable resumed = awaitRows(path, int(killed.records.size()) + 2);
        const Ctl stopped = ctl({u"record"_s, u"stop"_s});
        QCOMPARE(stopped.exitCode, 0);
        QVERIFY2(stopped.out.startsWith("Not recording"), stopped.out.constData());
        QCOMPARE(resumed.records.first(), killed.records.first());
        QCOMPARE(resumed.records.mid(0, killed.records.size()), killed.records);
        for (const QStringList &record : resumed.records.mid(1))
            QCOMPARE(record.value(RecordColumns::time) == u"Time"_s, false); // one header
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);
    }

    void aFolderTheProgramCannotUseIsRefused()
    {
        PanelProcess panel;
        QVERIFY(panel.process.waitForStarted(patience));
        Ctl refused;
        QVERIFY(QTest::qWaitFor(
            [&] {
                refused = ctl({u"record"_s, u"start"_s, u"/proc/tarnwick-cannot-be-here"_s});
                return refused.exitCode != 3;
            },
            patience));
        QCOMPARE(refused.exitCode, 4);
        QVERIFY2(refused.err.contains("cannot be made"), refused.err.constData());
        const Ctl status = ctl({u"record"_s, u"status"_s});
        QCOMPARE(status.exitCode, 0);
        QVERIFY2(status.out.startsWith("Not recording"), status.out.constData());
    }
};

TARNWICK_TEST_MAIN(TestRecordProgram)
#include "tst_recordprogram.moc"
