#pragma once

#include "RecordCsv.h"

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
// whenever the link's state changes, so a gap shows in the file.
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

    explicit Recorder(PanelCore &panel, QObject *parent = nullptr);
    // Writes what is gathered and closes the file.
    ~Recorder() override;

    // Starts recording into `folder`, made when it is not there, or moves a running
    // recording there. Returns why it cannot, in the user's words.
    std::optional<QString> start(const QString &folder);
    void stop();

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

private:
    void frameShown();
    void linkChanged();
    void addRow();
    // Begins a new file when the day, the port or the header's names are not the file's.
    void followFile(QDate day, const RecordCsv::Names &names, int port);
    void writerFailed(int file, const QString &reason);
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
};
