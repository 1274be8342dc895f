#include "CsvReader.h"

CsvReader::CsvReader(Sink sink, qsizetype maxRecordBytes)
    : m_sink(std::move(sink))
    , m_maxRecordBytes(maxRecordBytes)
{}

void CsvReader::feed(QByteArrayView bytes)
{
    for (const char c : bytes) {
        // The LF of a CRLF that already ended the record.
        const bool lfAfterCr = m_afterCr && c == '\n';
        m_afterCr = false;
        if (lfAfterCr)
            continue;
        if (m_state == State::Skipping) {
            if (c == '\n' || c == '\r') {
                m_afterCr = c == '\r';
                m_state = State::FieldStart;
            }
            continue;
        }
        if (++m_recordBytes > m_maxRecordBytes) {
            m_record = CsvRecord{};
            m_record.overlong = true;
            m_sink(m_record);
            m_record = CsvRecord{};
            m_field.clear();
            m_recordBytes = 0;
            m_state = State::Skipping;
            continue;
        }
        take(c);
    }
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
    m_record.fields.append(m_field);
    m_field.clear();
}

void CsvReader::endRecord()
{
    endField();
    m_sink(m_record);
    m_record = CsvRecord{};
    m_recordBytes = 0;
    m_state = State::FieldStart;
}

void CsvReader::finish()
{
    const bool open = m_state == State::Quoted;
    const bool pending =
        m_state != State::Skipping && (m_recordBytes > 0 || !m_record.fields.isEmpty() || open);
    m_afterCr = false;
    if (!pending) {
        m_state = State::FieldStart;
        return;
    }
    m_record.terminated = false;
    m_record.openQuote = open;
    endRecord();
}
