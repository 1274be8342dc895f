#pragma once

#include "CsvReader.h"
#include "TrendSample.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

// What a recording holds for the trend plot: the six meters' captions from its header and
// their values row by row.
struct TrendRecording
{
    // Empty when the text was read as a recording; otherwise why it was not one, for the
    // user. Nothing else is filled in then, but the files' reasons when several were read.
    QString error;
    std::array<QString, TrendSample::channelCount> captions;
    // In time order. A row whose link was not live holds no sample; the next one begins
    // with a gap.
    std::vector<TrendSample> samples;
    // Rows that could not be read (a wrong number of columns, a time or a value that is no
    // number, a broken quote, a row cut short at the end): left out and counted. An empty
    // meter is no fault: the needle had nothing to show, and the sample holds NaN there.
    qint64 skippedRows = 0;
    // The file held more rows than are kept; the later ones were not read.
    bool truncated = false;
    // Why the file could not be read to its end (compressed data cut short or damaged, a
    // read that failed): the rows before it are kept. Empty when it was read whole.
    QString damage;
    // A step between two samples longer than this breaks the line (see TrendPace.h).
    qint64 longestStepMs = 0;
    // The last rows' link was not live: what follows (the next day's file) begins after a
    // gap.
    bool endsWithoutLink = false;
    // Of several files: each one not shown, or shown only in part, by name with why.
    QStringList fileProblems;
};

// Reads a recording as the panel writes it, fed in pieces so a large file is never held
// whole. Anything may come in: each row is checked, and what is not a recording at all is
// recognised by its first line.
class TrendFileReader
{
public:
    // More samples than this (about 64 MB, days of recording at the fastest poll) are not
    // kept, so a huge file cannot take all the memory there is.
    static constexpr std::size_t defaultMaxSamples = 2'000'000;

    explicit TrendFileReader(std::size_t maxSamples = defaultMaxSamples);

    void feed(QByteArrayView bytes);
    // No more is worth reading: the first line was not a recording's header, or the
    // samples reached their limit.
    bool done() const { return m_headerFailed || m_result.truncated; }
    TrendRecording finish();

private:
    void takeRecord(const CsvRecord &record);
    bool takeHeader(const CsvRecord &record);
    void takeRow(const CsvRecord &record);

    std::size_t m_maxSamples;
    CsvReader m_csv;
    TrendRecording m_result;
    bool m_headerRead = false;
    bool m_headerFailed = false;
    bool m_gapPending = false;
    bool m_outOfOrder = false;
};

// Reads the recording in the file at `path`, plain or gzip-compressed (a finished day's
// file is). A file that cannot be opened or read, or that is not a recording, gives the
// reason in the result's error; one damaged or cut short after its header gives the rows
// before the damage and the reason in `damage`. At most `maxSamples` samples are kept.
TrendRecording readTrendFile(const QString &path,
                             std::size_t maxSamples = TrendFileReader::defaultMaxSamples);
// Reads several files (a week of day files, say) as one recording in time order, keeping
// at most `maxSamples` samples of all of them: the earliest files' (by name, as the
// recorder names them by day) when there are more. The captions are the latest file's. A
// file that cannot be shown is named with its reason in `fileProblems` while the others
// show; only when none can be shown is `error` set.
TrendRecording readTrendFiles(QStringList paths,
                              std::size_t maxSamples = TrendFileReader::defaultMaxSamples);
// Reads a recording held in memory.
TrendRecording readTrendText(QByteArrayView text);
