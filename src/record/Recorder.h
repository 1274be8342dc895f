#pragma once

#include "RecordCsv.h"
#include "ShownState.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>
#include <functional>
#include <optional>

class RecordWriter;
class PanelCore;

// Records every complete frame the panel shows, as one row of a CSV file a day, and a row
// whenever the link's state changes, so a gap shows in the file. At a slower pace it writes
// at most one row every so many seconds, and at once a row for every change of a relay or an
// input. Finished days are compressed, and days older than those kept are removed.
//
// Rows are made on the user-interface thread as frames are shown (a row costs little beside
// the frame's painting), gathered, and handed to the writer's thread at least once a
// second: a crash or kill loses at most the last second. When the file can no longer be
// written the recording stops, says why once (stoppedByItself), and the panel runs on.
class Recorder : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>; // local time

    // How a recording goes on: the same for every file it writes.
    struct Plan
    {
        int everySeconds = 0; // at most one row this often, besides changes; 0: every frame
        int keepDays = 0;     // files of days more than this before today go; 0: all stay

        static constexpr int longestEvery = 24 * 3600;
        static constexpr int mostKeepDays = 100 * 366;
        bool operator==(const Plan &) const = default;
    };

    explicit Recorder(PanelCore &panel, QObject *parent = nullptr);
    // Writes what is gathered and closes the file.
    ~Recorder() override;

    // Starts recording into `folder`, made when it is not there, or moves a running
    // recording there. Returns why it cannot, in the user's words.
    std::optional<QString> start(const QString &folder);
    void stop();
    // Takes effect at once, for a recording that runs as for the next one. Values beyond
    // the limits are brought within them.
    void setPlan(Plan plan);
    Plan plan() const { return m_plan; }

    bool isRecording() const { return m_recording; }
    QString folder() const { return m_folder; }
    // The file being written; empty until the writer has opened it.
    QString file() const { return m_file; }
    // Rows in the file that are on disk, since this recording began writing it.
    qint64 rowsWritten() const { return m_rowsWritten; }
    // Why the last recording stopped by itself; empty after a stop by the user.
    QString stopReason() const { return m_stopReason; }
    // One line for the Tools menu.
    QString statusText() const;

    // Hands the gathered rows to the writer now, instead of at the next second.
    void flush();
    void setClock(Clock clock) { m_clock = std::move(clock); }

    static constexpr int flushIntervalMs = 1000;

Q_SIGNALS:
    // Recording started or stopped, the file changed, or rows reached the file.
    void stateChanged();
    // Rows reached the disk.
    void rowsWritten(qint64 rowsInFile);
    // The file could no longer be written and the recording ended; the user should hear why.
    void stoppedByItself(const QString &reason);
    // A finished day's file could not be compressed or an old one removed; it stays as it
    // was, and the recording goes on.
    void tidyingFailed(const QString &reason);

private:
    void frameShown();
    void linkChanged();
    // A row is due at a slower pace: its time has come, or a relay or input changed.
    bool rowDue(const QDateTime &now) const;
    void addRow();
    // Begins a new file when the day, the port or the header's names are not the file's.
    void followFile(QDate day, const RecordCsv::Names &names, int port);
    void writerFailed(int file, const QString &reason);
    void tidy();
    void endRecording();

    PanelCore &m_panel;
    QThread m_thread;
    RecordWriter *m_writer; // lives on m_thread
    QTimer m_flushTimer;
    Clock m_clock;

    bool m_recording = false;
    QString m_folder;
    QString m_file;
    QString m_stopReason;
    qint64 m_rowsWritten = 0;

    // What the file being written was begun for.
    QDate m_day;
    int m_port = -1;
    RecordCsv::Names m_names;
    bool m_fileBegun = false;
    int m_fileNumber = 0; // counts the files begun, so late reports of an old one are ignored

    QByteArray m_pending;
    int m_pendingRows = 0;
    QString m_lastLink; // the link state of the last row
    Plan m_plan;
    // What the last row held that a slower pace writes at once when it changes.
    QDateTime m_lastRowTime;
    std::array<ShownState::Relay, ShownState::relayCount> m_lastRelays{};
    std::array<bool, ShownState::inputCount> m_lastInputs{};
};
