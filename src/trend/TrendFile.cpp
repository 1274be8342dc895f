#include "TrendFile.h"

#include "RecordColumns.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>
#include <optional>

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
    return std::move(m_result);
}

TrendRecording readTrendText(QByteArrayView text)
{
    TrendFileReader reader;
    reader.feed(text);
    return reader.finish();
}

TrendRecording readTrendFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        TrendRecording failed;
        failed.error = tr("It cannot be opened: %1").arg(file.errorString());
        return failed;
    }
    TrendFileReader reader;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    while (!reader.done()) {
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got < 0) {
            TrendRecording failed;
            failed.error = tr("It cannot be read: %1").arg(file.errorString());
            return failed;
        }
        if (got == 0)
            break;
        reader.feed(QByteArrayView(chunk.constData(), got));
    }
    return reader.finish();
}
