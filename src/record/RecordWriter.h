#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QFile>
#include <QObject>
#include <QString>
#include <atomic>

// Puts a recording's rows into its file, on a thread of its own, so a slow or stalled disk
// never holds up the poll. Every call comes queued from the recorder.
//
// What is written stays a valid CSV: rows arrive whole and are written whole, a write that
// could be done only in part is cut back to the last whole row, and a file left with a half
// row by an earlier crash is mended before rows are added to it.
class RecordWriter : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens the day's file for the port in `folder`: a new one with the header, or the one
    // already there when it begins with the same header (the panel was started again),
    // else the next one of that day.
    // `file` names this file in what the writer reports of it, so a report about a file the
    // recorder has left behind is told apart from one about the file it writes now.
    void begin(const QString &folder, int port, QDate day, const QByteArray &header, int file);
    void write(const QByteArray &rows, int rowCount);
    void end();
    // Removes the folder's files of days no longer kept and compresses finished days, as
    // RecordArchive::tidy does, beside the file being written.
    void tidy(QDate today, int keepDays);
    // Asks a tidying under way to stop at its next piece; safe from any thread. The writer
    // is about to end, and a large day's compression should not hold up the panel's exit.
    void leave() { m_leaving.store(true); }

    // Writes all of `bytes`, or says why not in the system's words. A device that takes
    // only part of a write reports no error for it; the rest is written again, and a full
    // disk then fails with "No space left on device" instead of "Unknown error".
    static QString writeAll(QIODevice &device, QByteArrayView bytes);

Q_SIGNALS:
    // A file could not be compressed or removed; it stays as it was.
    void tidyingFailed(const QString &reason);
    void began(int file, const QString &path);
    // Rows are in the file: `rowsInFile` since it was begun here.
    void wrote(int file, qint64 rowsInFile);
    // The file cannot be written any more; nothing more is written until the next begin.
    void failed(int file, const QString &reason);

private:
    // Opens `path` for appending rows under `header`; false when the file is not one of ours.
    bool openExisting(const QString &path, const QByteArray &header);
    bool openNew(const QString &path, const QByteArray &header);
    // Why the folder can no longer take rows; empty while it can.
    QString folderProblem() const;
    void fail(const QString &reason);

    QFile m_file;
    QString m_folder;
    qint64 m_size = 0; // bytes in the file that end with a whole row
    qint64 m_rowsInFile = 0;
    bool m_failed = false;
    int m_fileNumber = 0;
    std::atomic_bool m_leaving{false};
};
