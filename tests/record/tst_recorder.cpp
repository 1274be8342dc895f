// The recorder following a panel on the simulated board over a real pseudo-terminal: one
// row per frame with the board's values in their columns, or at a slower pace one a period
// and one at every change; a row when the link changes; a new file at midnight (the finished
// one compressed) and when names change; days beyond those kept removed; and a folder that
// turns read-only stopping the recording with its reason while the panel polls on.
#include "AGauge.h"
#include "ControlRig.h"
#include "CsvTable.h"
#include "Gunzip.h"
#include "RecordColumns.h"
#include "RecordFiles.h"
#include "RecordMenu.h"
#include "Recorder.h"
#include "SettingsKeys.h"
#include "SmallDisk.h"
#include "StatusFrame.h"
#include "TestMain.h"
#include "TrendFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QJsonObject>
#include <QMenu>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimeZone>
#include <sys/stat.h>
#include <unistd.h>

using namespace ControlTest;
using namespace Qt::StringLiterals;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file's rows without the header, once it holds at least `count` of them.
QList<QStringList> awaitRows(const QString &path, int count)
{
    QList<QStringList> rows;
    const auto enough = [&] {
        rows = CsvTable::read(readFile(path)).records.mid(1);
        return rows.size() >= count;
    };
    if (!QTest::qWaitFor(enough, patience))
        qWarning("%s holds %d rows, not %d", qPrintable(path), int(rows.size()), count);
    return rows;
}

// This process as the unprivileged user "nobody" for the length of a scope, when it runs as
// root: root may write into any folder, so a folder's permissions mean something only to
// another user. The saved user stays root, so the scope's end can take it back.
struct AsSecondUser
{
    bool switched = false;
    explicit AsSecondUser(const QString &folder)
    {
        if (::getuid() != 0)
            return;
        constexpr uid_t nobody = 65534;
        if (::chown(QFile::encodeName(folder).constData(), nobody, nobody) != 0)
            return;
        switched = ::setresgid(nobody, nobody, 0) == 0 && ::setresuid(nobody, nobody, 0) == 0;
    }
    ~AsSecondUser()
    {
        if (switched && (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0))
            qFatal("cannot become root again");
    }
};

} // namespace

class TestRecorder : public QObject
{
    Q_OBJECT

    RuntimeFolder m_runtime;
    std::unique_ptr<Rig> m_rig;
    std::unique_ptr<Recorder> m_recorder;
    std::unique_ptr<RecordMenu> m_menu; // tells the user why a recording stopped
    std::unique_ptr<QTemporaryDir> m_folder;

    QString todaysFile(int sequence = 1) const
    {
        return QDir(m_folder->path())
            .filePath(RecordFiles::fileName(boardPort, QDate::currentDate(), sequence));
    }

    QJsonObject command(const char *action, const QString &folder = QString())
    {
        ControlRequest::Request request;
        request.command = ControlRequest::Command::Record;
        request.recordAction =
            QByteArrayView(action) == "start"  ? ControlRequest::RecordAction::Start
            : QByteArrayView(action) == "stop" ? ControlRequest::RecordAction::Stop
                                               : ControlRequest::RecordAction::Status;
        request.folder = folder;
        QJsonObject answer;
        m_rig->core->handle(request, [&answer](const QJsonObject &reply) { answer = reply; });
        return answer;
    }

    // Stops after the frame that made `count` rows since this call.
    void stopAfterFrames(int count)
    {
        int shown = 0;
        QMetaObject::Connection stopping;
        stopping = connect(&m_rig->window->poll(), &StatusPoll::frameShown, this, [&] {
            if (++shown == count) {
                m_recorder->stop();
                disconnect(stopping);
            }
        });
        QVERIFY(QTest::qWaitFor([&] { return shown >= count; }, patience));
    }

private Q_SLOTS:
    void init()
    {
        m_rig = std::make_unique<Rig>();
        QVERIFY(m_rig->start());
        m_recorder = std::make_unique<Recorder>(m_rig->window->core());
        frmMonitor &window = *m_rig->window;
        m_menu = std::make_unique<RecordMenu>(
            RecordMenu::Items{window.mnuRecord, window.mnuRecordStatus}, *m_recorder,
            m_rig->messages, &window);
        m_rig->core->setRecorder(m_recorder.get());
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
    }
    void cleanup()
    {
        m_menu.reset();
        m_recorder.reset();
        m_rig.reset();
        m_folder.reset();
    }

    void twentyFramesGiveTwentyRowsOfTheBoardsValues()
    {
        PtyBoard &board = m_rig->board;
        QVERIFY(board.setRelay(1, true) && board.setRelay(16, true) && board.setRelay(64, true));
        QVERIFY(board.setInputs(0b10000101));
        for (int channel = 0; channel < 6; ++channel)
            QVERIFY(board.setMeter(channel, 100 * channel + 7));
        QVERIFY(board.setTemperature(75));
        QVERIFY(board.setFrequency("01234"));
        QVERIFY(m_rig->awaitFreshFrame());

        const QJsonObject started = command("start", m_folder->path());
        QVERIFY2(started.value(u"ok"_s).toBool(),
                 qPrintable(started.value(u"message"_s).toString()));
        stopAfterFrames(20);
        const QList<QStringList> rows = awaitRows(todaysFile(), 20);
        QCOMPARE(rows.size(), 20);
        QVERIFY(CsvTable::read(readFile(todaysFile())).endsWithWholeRecord);

        const MonitorWidgets &w = m_rig->window->w;
        for (const QStringList &row : rows) {
            QCOMPARE(row.size(), RecordColumns::count);
            QCOMPARE(row[RecordColumns::link], u"live"_s);
            QVERIFY(QDateTime::fromString(row[RecordColumns::time], Qt::ISODateWithMs).isValid());
            for (int relay = 1; relay <= 64; ++relay)
                QCOMPARE(row[RecordColumns::firstRelay + relay - 1],
                         relay == 1 || relay == 16 || relay == 64 ? u"1"_s : u"0"_s);
            QCOMPARE(row.mid(RecordColumns::firstInput, 8).join(QString()), u"10100001"_s);
            for (int m = 0; m < 6; ++m)
                QCOMPARE(row[RecordColumns::firstMeter + m].toDouble(),
                         w.AGauge1[m]->needleValue());
            QCOMPARE(row[RecordColumns::temperature], u"75"_s);
            QCOMPARE(row[RecordColumns::frequency], u"01234"_s);
            QCOMPARE(row[RecordColumns::firstOutput], QString::number(w.VScroll1->value()));
            QCOMPARE(row[RecordColumns::frame], RecordCsv::boardText(m_rig->window->poll().A()));
        }
        QVERIFY(rows.first()[RecordColumns::time] <= rows.last()[RecordColumns::time]);
        QCOMPARE(m_rig->messages.texts, QStringList());

        // The trend window reads the file as it was meant.
        const TrendRecording read = readTrendFile(todaysFile());
        QCOMPARE(read.error, QString());
        QCOMPARE(read.skippedRows, 0);
        QCOMPARE(read.samples.size(), std::size_t(20));
        for (int m = 0; m < 6; ++m) {
            QCOMPARE(read.captions[std::size_t(m)], w.AGauge1[m]->caption());
            QCOMPARE(read.samples.back().values[std::size_t(m)],
                     float(w.AGauge1[m]->needleValue()));
        }
    }

    // The program's end (Exit, a logout) destroys the recorder: nothing gathered is lost.
    void theEndWritesEveryRowGathered()
    {
        QSignalSpy shown(&m_rig->window->poll(), &StatusPoll::frameShown);
        QVERIFY(!m_recorder->start(m_folder->path()));
        QVERIFY(QTest::qWaitFor([&] { return shown.count() >= 3; }, patience));
        const qsizetype frames = shown.count();
        m_recorder.reset();
        const CsvTable table = CsvTable::read(readFile(todaysFile()));
        QCOMPARE(table.records.size() - 1, frames);
        QVERIFY(table.endsWithWholeRecord);
    }

    void aChangeOfTheLinkWritesARow_data()
    {
        QTest::addColumn<bool>("hangUp"); // else the board falls silent
        QTest::addColumn<QString>("link");
        QTest::newRow("hang-up") << true << u"lost"_s;
        QTest::newRow("silence") << false << u"no-reply"_s;
    }
    void aChangeOfTheLinkWritesARow()
    {
        QFETCH(bool, hangUp);
        QFETCH(QString, link);
        QVERIFY(m_rig->board.setRelay(5, true));
        QVERIFY(m_rig->awaitFreshFrame());
        QVERIFY(!m_recorder->start(m_folder->path()));
        QVERIFY(m_rig->awaitFreshFrame());
        if (hangUp)
            QVERIFY(m_rig->board.hangUp());
        else
            m_rig->board.setSilent(true);
        QVERIFY(QTest::qWaitFor(
            [&] {
                return QLatin1String(linkStateName(m_rig->window->poll().link().state())) == link;
            },
            patience));
        m_recorder->flush();
        const QList<QStringList> rows = awaitRows(todaysFile(), 3);
        QVERIFY(rows.size() >= 3);
        QCOMPARE(rows.last()[RecordColumns::link], link);
        // With the last values the window showed.
        QCOMPARE(rows.last().mid(RecordColumns::firstRelay),
                 rows[rows.size() - 2].mid(RecordColumns::firstRelay));
        QCOMPARE(rows.last()[RecordColumns::firstRelay + 4], u"1"_s);
        for (const QStringList &row : rows.mid(0, rows.size() - 1))
            QCOMPARE(row[RecordColumns::link], u"live"_s);
    }

    void aFolderMadeReadOnlyStopsTheRecordingAndThePanelPollsOn()
    {
        const QString folder = m_folder->path();
        const AsSecondUser user(folder);
        if (::getuid() == 0 && !user.switched)
            QSKIP("running as root and cannot become a second user: root writes anywhere");
        QVERIFY(!m_recorder->start(folder));
        QVERIFY(m_rig->awaitFreshFrame());
        m_recorder->flush();
        QVERIFY(!awaitRows(todaysFile(), 1).isEmpty());

        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(QTest::qWaitFor([&] { return !m_recorder->isRecording(); }, patience));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY2(m_recorder->stopReason().contains(u"not writable"_s),
                 qPrintable(m_recorder->stopReason()));
        QCOMPARE(m_recorder->statusText(), u"Recording stopped: "_s + m_recorder->stopReason());
        QCOMPARE(m_rig->messages.texts, QStringList{u"Recording stopped."_s});
        QCOMPARE(m_rig->messages.informativeTexts, QStringList{m_recorder->stopReason()});
        QVERIFY(CsvTable::read(readFile(todaysFile())).endsWithWholeRecord);
        const QJsonObject status = command("status");
        QCOMPARE(status.value(u"recording"_s).toObject().value(u"active"_s).toBool(), false);

        // The panel goes on as before, and tells the reason only once.
        QVERIFY(m_rig->awaitFreshFrame());
        QVERIFY(m_rig->awaitFreshFrame());
        QCOMPARE(m_rig->messages.texts.size(), 1);
        QVERIFY(m_rig->window->isEnabled());
    }

    void midnightBeginsTheNextDaysFileAndCompressesTheFinishedOne()
    {
        const QTimeZone zone(3600);
        QDateTime now(QDate(2026, 12, 9), QTime(23, 59, 59, 500), zone);
        m_recorder->setClock([&now] { return now; });
        QVERIFY(!m_recorder->start(m_folder->path()));
        QVERIFY(m_rig->awaitFreshFrame());
        now = QDateTime(QDate(2026, 12, 10), QTime(0, 0, 0, 100), zone);
        QVERIFY(m_rig->awaitFreshFrame());
        m_recorder->stop();

        const QDir dir(m_folder->path());
        const QString before = dir.filePath(RecordFiles::fileName(boardPort, QDate(2026, 12, 9)));
        const QString after = dir.filePath(RecordFiles::fileName(boardPort, QDate(2026, 12, 10)));
        QVERIFY(QTest::qWaitFor(
            [&] { return QFile::exists(before + u".gz"_s) && !QFile::exists(before); }, patience));
        const QList<QStringList> late = CsvTable::read(gunzip(before + u".gz"_s)).records.mid(1);
        const QList<QStringList> early = awaitRows(after, 1); // today's stays plain
        QVERIFY(!late.isEmpty() && !early.isEmpty());
        for (const QStringList &row : late)
            QVERIFY(row[RecordColumns::time].startsWith(u"2026-12-09T23:59:59.500+01:00"_s));
        for (const QStringList &row : early)
            QVERIFY(row[RecordColumns::time].startsWith(u"2026-12-10T00:00:00.100+01:00"_s));
        QCOMPARE(CsvTable::read(readFile(after)).records.first().value(RecordColumns::time),
                 u"Time"_s);
    }

    void aStartRemovesTheDaysNoLongerKept()
    {
        const QDir dir(m_folder->path());
        const QByteArray old = "Time,Link,R1,R2\r\n";
        const auto dayFile = [&](int daysBack) {
            return dir.filePath(
                RecordFiles::fileName(boardPort, QDate::currentDate().addDays(-daysBack)));
        };
        for (int daysBack : {3, 4}) {
            QFile file(dayFile(daysBack));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        m_recorder->setPlan({0, 3});
        QVERIFY(!m_recorder->start(m_folder->path()));
        QVERIFY(QTest::qWaitFor([&] { return !QFile::exists(dayFile(4)); }, patience));
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(dayFile(3) + u".gz"_s); }, patience));
        QCOMPARE(gunzip(dayFile(3) + u".gz"_s), old);
    }

    void aSlowerPaceWritesARowPerPeriodAndOneAtEveryChange()
    {
        QDateTime now(QDate::currentDate(), QTime(12, 0));
        m_recorder->setClock([&now] { return now; });
        m_recorder->setPlan({10, 0});
        QVERIFY(!m_recorder->start(m_folder->path()));
        for (int frame = 0; frame < 3; ++frame)
            QVERIFY(m_rig->awaitFreshFrame()); // the first row only: nothing changed
        now = now.addMSecs(9999);
        QVERIFY(m_rig->awaitFreshFrame());
        now = now.addMSecs(1);
        QVERIFY(m_rig->awaitFreshFrame()); // ten seconds on: the second row
        QVERIFY(m_rig->board.setRelay(5, true));
        QVERIFY(QTest::qWaitFor([&] { return m_rig->window->core().state().relayOn(4); },
                                patience)); // the third, at once
        QVERIFY(m_rig->board.setInputs(0b100));
        QVERIFY(QTest::qWaitFor([&] { return m_rig->window->core().state().inputs[2]; },
                                patience)); // the fourth
        QVERIFY(m_rig->awaitFreshFrame());
        QVERIFY(m_rig->awaitFreshFrame());
        m_recorder->stop();

        const QList<QStringList> rows = awaitRows(todaysFile(), 4);
        QCOMPARE(rows.size(), 4);
        const QStringList times{u"12:00:00.000"_s, u"12:00:10.000"_s, u"12:00:10.000"_s,
                                u"12:00:10.000"_s};
        for (int r = 0; r < 4; ++r) {
            QVERIFY2(rows[r][RecordColumns::time].contains(u"T"_s + times[r]),
                     qPrintable(rows[r][RecordColumns::time]));
        }
        QCOMPARE(rows[1][RecordColumns::firstRelay + 4], u"0"_s);
        QCOMPARE(rows[2][RecordColumns::firstRelay + 4], u"1"_s);
        QCOMPARE(rows[2][RecordColumns::firstInput + 2], u"0"_s);
        QCOMPARE(rows[3][RecordColumns::firstInput + 2], u"1"_s);
    }

    void theMenuChoosesThePaceAndTheDaysKeptAndStoresThem()
    {
        frmMonitor &window = *m_rig->window;
        m_menu.reset();
        m_rig->store.save(SettingsKeys::application, RecordKeys::section, RecordKeys::every,
                          u"20"_s); // by hand: no item of the menu's own
        const RecordMenu menu(
            {window.mnuRecord, window.mnuRecordStatus, window.mnuRecordEvery, window.mnuRecordKeep},
            *m_recorder, m_rig->messages, &window, &m_rig->store);
        QCOMPARE(m_recorder->plan(), (Recorder::Plan{20, 0}));
        const auto checked = [](QMenu *choices) {
            QStringList texts;
            for (QAction *action : choices->actions())
                if (action->isChecked())
                    texts << action->text();
            return texts;
        };
        QCOMPARE(checked(window.mnuRecordEvery), QStringList{u"Every 20 Seconds"_s});
        QCOMPARE(checked(window.mnuRecordKeep), QStringList{u"&Forever"_s});

        const auto choose = [](QMenu *choices, const QString &text) {
            for (QAction *action : choices->actions())
                if (action->text() == text)
                    action->trigger();
        };
        choose(window.mnuRecordEvery, u"Every &Minute"_s);
        choose(window.mnuRecordKeep, u"&30 Days"_s);
        QCOMPARE(m_recorder->plan(), (Recorder::Plan{60, 30}));
        QCOMPARE(checked(window.mnuRecordEvery), QStringList{u"Every &Minute"_s});
        QCOMPARE(checked(window.mnuRecordKeep), QStringList{u"&30 Days"_s});
        QCOMPARE(RecordKeys::read(m_rig->store, RecordKeys::every), 60);
        QCOMPARE(RecordKeys::read(m_rig->store, RecordKeys::keepDays), 30);
        QCOMPARE(command("status").value(u"recording"_s).toObject().value(u"every"_s).toInt(), 60);
    }

    void newNamesBeginANewFileWithTheirHeader()
    {
        QVERIFY(!m_recorder->start(m_folder->path()));
        QVERIFY(m_rig->awaitFreshFrame());
        m_rig->window->w.AGauge1[2]->setCaption(u"Flow, l/min"_s);
        QVERIFY(m_rig->awaitFreshFrame());
        m_recorder->stop();
        QVERIFY(!awaitRows(todaysFile(2), 1).isEmpty());
        const QStringList header = CsvTable::read(readFile(todaysFile(2))).records.first();
        QCOMPARE(header.value(RecordColumns::firstMeter + 2), u"Meter 3: Flow, l/min"_s);
        QVERIFY(CsvTable::read(readFile(todaysFile(1)))
                    .records.first()
                    .value(RecordColumns::firstMeter + 2) != u"Meter 3: Flow, l/min"_s);
    }

    void theToolsMenuStartsAndStopsAndSaysWhatItDoes()
    {
        frmMonitor &window = *m_rig->window;
        QStringList asked;
        QString answer;
        m_menu.reset();
        const RecordMenu menu({window.mnuRecord, window.mnuRecordStatus}, *m_recorder,
                              m_rig->messages, &window, nullptr,
                              [&](QWidget *, const QString &proposed) {
                                  asked << proposed;
                                  return answer;
                              });
        QCOMPARE(window.mnuRecord->text(), u"Start &Recording..."_s);
        QCOMPARE(window.mnuRecordStatus->text(), u"Not recording"_s);
        QVERIFY(!window.mnuRecordStatus->isEnabled());

        window.mnuRecord->trigger(); // cancelled
        QCOMPARE(asked, QStringList{RecordFiles::defaultFolder()});
        QVERIFY(!m_recorder->isRecording());

        answer = m_folder->path();
        window.mnuRecord->trigger();
        QVERIFY(m_recorder->isRecording());
        QCOMPARE(window.mnuRecord->text(), u"Stop &Recording"_s);
        QVERIFY(QTest::qWaitFor(
            [&] {
                return window.mnuRecordStatus->text() ==
                       u"Recording to "_s + QFileInfo(todaysFile()).fileName();
            },
            patience));

        window.mnuRecord->trigger();
        QVERIFY(!m_recorder->isRecording());
        QCOMPARE(window.mnuRecord->text(), u"Start &Recording..."_s);
        QCOMPARE(window.mnuRecordStatus->text(), u"Not recording"_s);

        answer = m_folder->filePath(u"plain"_s);
        QFile plain(answer);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        window.mnuRecord->trigger();
        QCOMPARE(asked.last(), m_folder->path()); // the last folder chosen is proposed again
        QVERIFY(!m_recorder->isRecording());
        QCOMPARE(m_rig->messages.texts, QStringList{u"Recording cannot start."_s});
    }

    void theFolderDialogMakesTheProposedFolderWhenItIsChosen_data()
    {
        QTest::addColumn<QString>("answer"); // "proposed", "other" or "" for a cancel
        QTest::newRow("accepted") << u"proposed"_s;
        QTest::newRow("cancelled") << QString();
        QTest::newRow("another chosen") << u"other"_s;
    }

    void theFolderDialogMakesTheProposedFolderWhenItIsChosen()
    {
        QFETCH(QString, answer);
        const QString documents = m_folder->filePath(u"Documents"_s);
        QVERIFY(QDir().mkpath(documents)); // there before: never taken away
        const QString proposed = documents + u"/Tarnwick/bench"_s;
        const QString other = m_folder->filePath(u"elsewhere"_s);
        QVERIFY(QDir().mkpath(other));

        // The dialog is modal: answered from the event loop it runs.
        QString shownAt;
        QTimer answering;
        answering.setInterval(10);
        connect(&answering, &QTimer::timeout, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            answering.stop();
            shownAt = dialog->directory().absolutePath();
            if (answer.isEmpty()) {
                dialog->reject();
                return;
            }
            if (answer == u"other"_s)
                dialog->setDirectory(other);
            static_cast<QDialog *>(dialog)->accept(); // as the Choose button does
        });
        answering.start();
        const QString chosen = RecordMenu::askForFolder(nullptr, proposed);

        QCOMPARE(shownAt, proposed);
        const QString expected = answer.isEmpty()       ? QString()
                                 : answer == u"other"_s ? other
                                                        : proposed;
        QCOMPARE(QDir::cleanPath(chosen), QDir::cleanPath(expected));
        QCOMPARE(QFileInfo(proposed).isDir(), answer == u"proposed"_s);
        QCOMPARE(QFileInfo(documents + u"/Tarnwick"_s).exists(), answer == u"proposed"_s);
        QVERIFY(QFileInfo(documents).isDir());
        QVERIFY(QDir(documents).removeRecursively());
    }

    void aFullDiskIsRefusedAtOnceInTheSystemsWords()
    {
        const SmallDisk disk(8);
        if (!disk.isMounted())
            QSKIP("only root mounts a small disk here");
        QFile filler(disk.path() + u"/filler"_s);
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'x')) > 0) {
        }
        filler.close();
        const QJsonObject answer = command("start", disk.path());
        QCOMPARE(answer.value(u"error"_s).toString(), u"record-failed"_s);
        QVERIFY2(answer.value(u"message"_s).toString().endsWith(u"No space left on device"_s),
                 qPrintable(answer.value(u"message"_s).toString()));
        QVERIFY(!m_recorder->isRecording());
    }

    void aFolderThatTakesNoFileIsRefusedAtOnce()
    {
        // Its permissions let root in, but no file can be made there (sysfs).
        const QString folder = u"/sys/kernel"_s;
        if (!QFileInfo(folder).isDir())
            QSKIP("no /sys/kernel here");
        const QJsonObject answer = command("start", folder);
        QCOMPARE(answer.value(u"ok"_s).toBool(true), false);
        QCOMPARE(answer.value(u"error"_s).toString(), u"record-failed"_s);
        QVERIFY2(answer.value(u"message"_s).toString().contains(u"not writable"_s),
                 qPrintable(answer.value(u"message"_s).toString()));
        QVERIFY(!m_recorder->isRecording());
    }

    void aFolderThatCannotBeMadeIsRefusedAtOnce()
    {
        const QString file = m_folder->filePath(u"plain"_s);
        QFile plain(file);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QJsonObject answer = command("start", file + u"/inside"_s);
        QCOMPARE(answer.value(u"ok"_s).toBool(true), false);
        QCOMPARE(answer.value(u"error"_s).toString(), u"record-failed"_s);
        QVERIFY(!m_recorder->isRecording());
        QVERIFY(m_rig->messages.texts.isEmpty()); // the caller is told, not the desktop
    }
};

TARNWICK_TEST_MAIN(TestRecorder)
#include "tst_recorder.moc"
