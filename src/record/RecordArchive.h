#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <atomic>

// What becomes of a recording's files once their day is over: compressed to ".csv.gz"
// (gzip, which zcat, pandas and the trend window read), and removed once older than the
// days kept. Only files that are ours by name and by their first line are touched; other
// files in the folder never are. Plain functions on the files, for the writer's thread.
namespace RecordArchive {

// Compresses the file at `path` to `path` + ".gz" and removes the plain one. Returns why it
// could not, in the user's words, or the empty text when done. The compressed file appears
// whole or not at all, and the plain one goes only after it: a failure (a full disk) or a
// `cancel` read between pieces leaves the plain file as it was, to be compressed next time.
QString compress(const QString &path, const std::atomic_bool &cancel);

struct Tidied
{
    QStringList compressed; // the plain files that are now compressed
    QStringList removed;    // files of days no longer kept
    QStringList problems;   // why a file could not be compressed or removed
};

// Removes our files in `folder` of days more than `keepDays` before `today` (0 keeps every
// day), then compresses those left of days before `today`.
Tidied tidy(const QString &folder, QDate today, int keepDays, const std::atomic_bool &cancel);

} // namespace RecordArchive
