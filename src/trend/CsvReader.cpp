#include "CsvReader.h"

#include <algorithm>
#include <utility>

CsvReader::CsvReader(Sink sink, qsizetype maxRecordBytes)
    : m_sink(std::move(sink))
    , m_maxRecordBytes(maxRecordBytes)
{}

void CsvReader::feed(QByteArrayView bytes)
{
    const char *at = bytes.data();
    const char *const end = at + bytes.size();
    while (at < end) {
        // Plain text inside a field goes in as one run rather than byte by byte: most of a
        // file is such runs. Never past the record's limit, where the byte after it is
        // the one that makes the record overlong.
        const qsizetype run =
            m_afterCr ? 0 : std::min(ordinaryRun(at, end), m_maxRecordBytes - m_recordBytes);
        if (run > 0) {
            m_field.append(at, run);
            m_recordBytes += run;
            if (m_state == State::FieldStart)
                m_state = State::Unquoted;
            at += run;
            continue;
        }
        // The comma after a plain field, the other half of most of a file.
        if (*at == ',' && !m_afterCr && m_recordBytes < m_maxRecordBytes &&
            (m_state == State::Unquoted || m_state == State::FieldStart)) {
            ++m_recordBytes;
            endField();
            m_state = State::FieldStart;
            ++at;
            continue;
        }
        feedOne(*at++);
    }
}

qsizetype CsvReader::ordinaryRun(const char *at, const char *end) const
{
    const char *run = at;
    switch (m_state) {
    case State::Quoted:
        while (run < end && *run != '"')
            ++run;
        break;
    case State::FieldStart:
    case State::Unquoted:
        while (run < end && *run != ',' && *run != '"' && *run != '\r' && *run != '\n')
            ++run;
        break;
    case State::QuoteInQuoted:
    case State::Skipping:
        break;
    }
    return run - at;
}

void CsvReader::feedOne(char c)
{
    // The LF of a CRLF that already ended the record.
    const bool lfAfterCr = m_afterCr && c == '\n';
    m_afterCr = false;
    if (lfAfterCr)
        return;
    if (m_state == State::Skipping) {
        if (c == '\n' || c == '\r') {
            m_afterCr = c == '\r';
            m_state = State::FieldStart;
        }
        return;
    }
    if (++m_recordBytes > m_maxRecordBytes) {
        CsvRecord overlong;
        overlong.overlong = true;
        m_sink(overlong);
        m_record = CsvRecord{};
        m_fieldCount = 0;
        m_field.clear();
        m_recordBytes = 0;
        m_state = State::Skipping;
        return;
    }
    take(c);
}

void CsvReader::take(char c)
{
    const bool lineEnd = c == '\r' || c == '\n';
    switch (m_state) {
    case State::Quoted:
        if (c == '"')
            m_state = State::QuoteInQuoted;
        else
            m_field.append(c);
        return;
    case State::QuoteInQuoted:
        if (c == '"') {
            m_field.append('"');
            m_state = State::Quoted;
            return;
        }
        if (c != ',' && !lineEnd) {
            // Text after the closing quote: kept, but the record is not well formed.
            m_record.malformed = true;
            m_field.append(c);
            m_state = State::Unquoted;
            return;
        }
        break;
    case State::FieldStart:
        if (c == '"') {
            m_state = State::Quoted;
            return;
        }
        break;
    case State::Unquoted:
    case State::Skipping:
        break;
    }
    if (c == ',') {
        endField();
        m_state = State::FieldStart;
    } else if (lineEnd) {
        m_afterCr = c == '\r';
        endRecord();
    } else {
        if (c == '"')
            m_record.malformed = true;
        m_field.append(c);
        m_state = State::Unquoted;
    }
}

void CsvReader::endField()
{
    // The field takes a kept buffer's place, and the buffer, emptied, reads the next field.
    if (m_fieldCount < m_record.fields.size())
        m_record.fields[m_fieldCount].swap(m_field);
    else
        m_record.fields.append(std::exchange(m_field, QByteArray()));
    ++m_fieldCount;
    m_field.resize(0);
}

void CsvReader::endRecord()
{
    endField();
    m_record.fields.resize(m_fieldCount);
    m_sink(m_record);
    m_record.malformed = false;
    m_record.terminated = true;
    m_record.openQuote = false;
    m_record.overlong = false;
    m_fieldCount = 0;
    m_recordBytes = 0;
    m_state = State::FieldStart;
}

void CsvReader::finish()
{
    const bool open = m_state == State::Quoted;
    const bool pending =
        m_state != State::Skipping && (m_recordBytes > 0 || m_fieldCount > 0 || open);
    m_afterCr = false;
    if (!pending) {
        m_state = State::FieldStart;
        return;
    }
    m_record.terminated = false;
    m_record.openQuote = open;
    endRecord();
}
