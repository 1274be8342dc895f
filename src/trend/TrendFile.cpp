#include "TrendFile.h"

#include "RecordColumns.h"
#include "TrendPace.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <limits>
#include <optional>
#include <zlib.h>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("TrendFile", text);
}

// What a spreadsheet program may put before the first field when it saves the file again.
constexpr QByteArrayView utf8Bom = "\xEF\xBB\xBF";

bool isBlankLine(const CsvRecord &record)
{
    return record.fields.size() == 1 && record.fields.first().isEmpty() && !record.openQuote;
}

std::optional<qint64> readTime(const QByteArray &field)
{
    const QDateTime time = QDateTime::fromString(QString::fromLatin1(field), Qt::ISODateWithMs);
    if (!time.isValid())
        return std::nullopt;
    return time.toMSecsSinceEpoch();
}

enum class RowLink { Live, NotLive, Unknown };

RowLink readLink(const QByteArray &field)
{
    if (field == "live")
        return RowLink::Live;
    if (field == "never" || field == "no-reply" || field == "lost")
        return RowLink::NotLive;
    return RowLink::Unknown;
}

} // namespace

TrendFileReader::TrendFileReader(std::size_t maxSamples)
    : m_maxSamples(maxSamples)
    , m_csv([this](const CsvRecord &record) { takeRecord(record); })
{}

void TrendFileReader::feed(QByteArrayView bytes)
{
    if (!done())
        m_csv.feed(bytes);
}

void TrendFileReader::takeRecord(const CsvRecord &record)
{
    if (done())
        return;
    if (!m_headerRead) {
        m_headerRead = true;
        m_headerFailed = !takeHeader(record);
        return;
    }
    if (isBlankLine(record))
        return;
    takeRow(record);
}

bool TrendFileReader::takeHeader(const CsvRecord &record)
{
    if (record.overlong || record.openQuote || record.fields.size() != RecordColumns::count)
        return false;
    QByteArray time = record.fields.at(RecordColumns::time);
    if (time.startsWith(utf8Bom))
        time.remove(0, utf8Bom.size());
    if (time != "Time" || record.fields.at(RecordColumns::link) != "Link" ||
        record.fields.at(RecordColumns::firstRelay) != "R1" ||
        record.fields.at(RecordColumns::firstInput - 1) != "R64")
        return false;
    // "Meter 2: Amps" is meter 2's caption "Amps", "Meter 2" one without a caption; files
    // recorded before the columns were numbered hold the caption alone.
    for (int m = 0; m < TrendSample::channelCount; ++m) {
        QString caption = QString::fromUtf8(record.fields.at(RecordColumns::firstMeter + m));
        const QString numbered = QStringLiteral("Meter %1").arg(m + 1);
        if (caption == numbered)
            caption.clear();
        else if (caption.startsWith(numbered + QStringLiteral(": ")))
            caption.remove(0, numbered.size() + 2);
        m_result.captions[std::size_t(m)] = caption;
    }
    return true;
}

void TrendFileReader::takeRow(const CsvRecord &record)
{
    if (record.overlong || record.openQuote || record.malformed ||
        record.fields.size() != RecordColumns::count) {
        ++m_result.skippedRows;
        return;
    }
    const std::optional<qint64> time = readTime(record.fields.at(RecordColumns::time));
    const RowLink link = readLink(record.fields.at(RecordColumns::link));
    if (!time || link == RowLink::Unknown) {
        ++m_result.skippedRows;
        return;
    }
    if (link == RowLink::NotLive) {
        m_gapPending = true;
        return;
    }
    TrendSample sample;
    sample.msecsSinceEpoch = *time;
    for (int m = 0; m < TrendSample::channelCount; ++m) {
        const QByteArray &text = record.fields.at(RecordColumns::firstMeter + m);
        // The recorder leaves a needle with nothing to show empty: a value the plot leaves
        // out, not a broken row.
        if (text.isEmpty()) {
            sample.values[std::size_t(m)] = std::numeric_limits<float>::quiet_NaN();
            continue;
        }
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok) {
            ++m_result.skippedRows;
            return;
        }
        sample.values[std::size_t(m)] = trendValue(value);
    }
    if (m_result.samples.size() >= m_maxSamples) {
        m_result.truncated = true;
        return;
    }
    sample.gapBefore = m_gapPending;
    m_gapPending = false;
    if (!m_result.samples.empty() &&
        sample.msecsSinceEpoch < m_result.samples.back().msecsSinceEpoch)
        m_outOfOrder = true;
    m_result.samples.push_back(sample);
}

TrendRecording TrendFileReader::finish()
{
    m_csv.finish();
    if (!m_headerRead || m_headerFailed) {
        TrendRecording failed;
        failed.error = m_headerRead
                           ? tr("Its first line is not the heading of a Tarnwick recording.")
                           : tr("The file is empty.");
        return failed;
    }
    // A clock set back while recording, or rows moved by hand: the plot needs time order,
    // and no row is lost by sorting.
    if (m_outOfOrder)
        std::stable_sort(m_result.samples.begin(), m_result.samples.end(),
                         [](const TrendSample &a, const TrendSample &b) {
                             return a.msecsSinceEpoch < b.msecsSinceEpoch;
                         });
    m_result.endsWithoutLink = m_gapPending;
    m_result.longestStepMs = TrendPace::longestStepMs(m_result.samples);
    TrendPace::markLongSteps(m_result.samples, m_result.longestStepMs);
    return std::move(m_result);
}

TrendRecording readTrendText(QByteArrayView text)
{
    TrendFileReader reader;
    reader.feed(text);
    return reader.finish();
}

namespace {

// zlib reads through its own buffer of this size (8 KB by default): large enough that a
// read of the file costs few system calls, small beside the samples.
constexpr unsigned gzBufferBytes = 256 * 1024;
// What one read asks for. A read that meets damaged compressed data reports the damage
// and not what it unpacked before it, so the rows of that piece are lost: a small piece
// keeps them to a few hundred, at no cost worth measuring.
constexpr int chunkBytes = 64 * 1024;

// zlib's text for a stream opened from a descriptor begins "<fd:N>: ", which tells the
// user nothing.
QString zlibText(const char *text)
{
    QString message = QString::fromLocal8Bit(text ? text : "");
    if (message.startsWith(QLatin1String("<fd:"))) {
        const qsizetype colon = message.indexOf(QLatin1String(": "));
        if (colon >= 0)
            message.remove(0, colon + 2);
    }
    return message;
}

// Why reading stopped before the end, for the user; empty when it reached the end.
QString readProblem(gzFile gz, int got)
{
    int code = Z_OK;
    const QString text = zlibText(gzerror(gz, &code));
    switch (code) {
    case Z_OK:
        return got < 0 ? tr("It cannot be read.") : QString();
    case Z_BUF_ERROR:
        // What a file cut short while it was copied, or a disk that filled up, leaves.
        return tr("It ends early: the compressed data is cut short (%1).").arg(text);
    case Z_DATA_ERROR:
        return tr("Its compressed data is damaged (%1).").arg(text);
    case Z_ERRNO:
        return tr("It cannot be read: %1").arg(qt_error_string(errno));
    default:
        return tr("It cannot be read: %1").arg(text);
    }
}

int duplicateHandle(int handle)
{
#ifdef Q_OS_WIN
    return _dup(handle);
#else
    return ::dup(handle);
#endif
}

void closeHandle(int handle)
{
#ifdef Q_OS_WIN
    _close(handle);
#else
    ::close(handle);
#endif
}

} // namespace

TrendRecording readTrendFile(const QString &path, std::size_t maxSamples)
{
    // Qt opens the file, so any name opens on any system and a failure has Qt's words;
    // zlib reads it through a descriptor of its own (gzclose closes it). zlib reads a file
    // that is not compressed as it stands, so one path reads ".csv" and ".csv.gz" alike.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        TrendRecording failed;
        failed.error = tr("It cannot be opened: %1").arg(file.errorString());
        return failed;
    }
    const int handle = duplicateHandle(file.handle());
    gzFile gz = handle < 0 ? nullptr : gzdopen(handle, "rb");
    if (!gz) {
        if (handle >= 0)
            closeHandle(handle);
        TrendRecording failed;
        failed.error = tr("It cannot be read: %1").arg(qt_error_string(errno));
        return failed;
    }
    file.close();
    gzbuffer(gz, gzBufferBytes);
    TrendFileReader reader(maxSamples);
    QByteArray chunk(chunkBytes, Qt::Uninitialized);
    QString problem;
    while (!reader.done()) {
        const int got = gzread(gz, chunk.data(), unsigned(chunk.size()));
        if (got > 0) {
            reader.feed(QByteArrayView(chunk.constData(), got));
            continue;
        }
        problem = readProblem(gz, got);
        break;
    }
    gzclose(gz);
    TrendRecording recording = reader.finish();
    // Nothing of a recording came before the damage: the damage is the reason.
    if (!problem.isEmpty() && !recording.error.isEmpty())
        recording.error = problem;
    else
        recording.damage = problem;
    return recording;
}

TrendRecording readTrendFiles(QStringList paths, std::size_t maxSamples)
{
    if (paths.size() == 1)
        return readTrendFile(paths.first(), maxSamples);
    // The recorder names its files by day: in name order the limit keeps the earliest days.
    std::sort(paths.begin(), paths.end(), [](const QString &a, const QString &b) {
        return QFileInfo(a).fileName() < QFileInfo(b).fileName();
    });
    struct Part
    {
        TrendRecording recording;
        QString name;
        qint64 order = 0; // its first sample's time
    };
    std::vector<Part> parts;
    QStringList problems;
    std::size_t kept = 0;
    bool truncated = false;
    for (const QString &path : paths) {
        const QString name = QFileInfo(path).fileName();
        if (kept >= maxSamples) {
            truncated = true;
            problems << tr("%1: not read, there are more samples than are kept.").arg(name);
            continue;
        }
        TrendRecording recording = readTrendFile(path, maxSamples - kept);
        if (!recording.error.isEmpty()) {
            problems << tr("%1: %2").arg(name, recording.error);
            continue;
        }
        if (!recording.damage.isEmpty())
            problems << tr("%1: %2 The rows before that are shown.").arg(name, recording.damage);
        kept += recording.samples.size();
        truncated = truncated || recording.truncated;
        // An empty file keeps its place by name: it sorts with the file before it.
        const qint64 order = !recording.samples.empty() ? recording.samples.front().msecsSinceEpoch
                             : parts.empty()            ? std::numeric_limits<qint64>::min()
                                                        : parts.back().order;
        parts.push_back({std::move(recording), name, order});
    }
    TrendRecording whole;
    whole.fileProblems = problems;
    if (parts.empty()) {
        whole.error = tr("None of the files is a recording that can be shown.");
        return whole;
    }
    // Files chosen in any order show in time order.
    std::stable_sort(parts.begin(), parts.end(),
                     [](const Part &a, const Part &b) { return a.order < b.order; });
    const Part *latest = &parts.back();
    for (const Part &part : parts)
        if (!part.recording.samples.empty() &&
            (latest->recording.samples.empty() ||
             part.recording.samples.back().msecsSinceEpoch >=
                 latest->recording.samples.back().msecsSinceEpoch))
            latest = &part;
    whole.captions = latest->recording.captions;
    whole.samples.reserve(kept);
    whole.truncated = truncated;
    bool overlapping = false;
    qint64 previousLongest = 0;
    bool previousEndedWithoutLink = false;
    for (Part &part : parts) {
        std::vector<TrendSample> &samples = part.recording.samples;
        whole.skippedRows += part.recording.skippedRows;
        whole.longestStepMs = std::max(whole.longestStepMs, part.recording.longestStepMs);
        if (samples.empty())
            continue;
        if (!whole.samples.empty()) {
            // Between two files the longer pace of the two decides: a file at one row a
            // minute after one at every frame breaks only after minutes of silence.
            const qint64 step =
                samples.front().msecsSinceEpoch - whole.samples.back().msecsSinceEpoch;
            if (step < 0)
                overlapping = true;
            else if (step > std::max(previousLongest, part.recording.longestStepMs) ||
                     previousEndedWithoutLink)
                samples.front().gapBefore = true;
        }
        previousLongest = part.recording.longestStepMs;
        previousEndedWithoutLink = part.recording.endsWithoutLink;
        whole.samples.insert(whole.samples.end(), samples.begin(), samples.end());
        samples = {};
    }
    // Files that overlap in time (a day recorded twice, files edited by hand): one line in
    // time order, its breaks found again over all of it.
    if (overlapping) {
        std::stable_sort(whole.samples.begin(), whole.samples.end(),
                         [](const TrendSample &a, const TrendSample &b) {
                             return a.msecsSinceEpoch < b.msecsSinceEpoch;
                         });
        whole.longestStepMs = TrendPace::longestStepMs(whole.samples);
        TrendPace::markLongSteps(whole.samples, whole.longestStepMs);
    }
    return whole;
}
