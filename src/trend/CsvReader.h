#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <functional>

// One record of a CSV text: its fields, unquoted, as bytes.
struct CsvRecord
{
    QList<QByteArray> fields;
    // Something the format does not allow was read leniently: a quote inside an unquoted
    // field, or text after a closing quote.
    bool malformed = false;
    // The record ended with a line end. Only the last record of a text can lack one.
    bool terminated = true;
    // The text ended inside a quoted field: its quotes are unbalanced.
    bool openQuote = false;
    // Longer than the reader keeps: its fields are lost, and reading went on at the next
    // line end.
    bool overlong = false;
};

// Reads CSV as RFC 4180 writes it, fed in pieces of any size, so a file need never be held
// in memory whole: fields separated by commas, records by CRLF (a lone LF or CR is taken
// too), quoted fields that hold commas, line ends and doubled quotes.
//
// A record is kept to a bounded length: a file with an unbalanced quote or no line ends at
// all (a binary file) would otherwise become one record as long as the file.
class CsvReader
{
public:
    using Sink = std::function<void(const CsvRecord &record)>;

    explicit CsvReader(Sink sink, qsizetype maxRecordBytes = 64 * 1024);

    void feed(QByteArrayView bytes);
    // The end of the text: hands on a last record that had no line end.
    void finish();

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted, Skipping };

    void feedOne(char c);
    // How many bytes from `at` on are plain text of the field being read.
    qsizetype ordinaryRun(const char *at, const char *end) const;
    void endField();
    void endRecord();
    void take(char c);

    Sink m_sink;
    qsizetype m_maxRecordBytes;
    State m_state = State::FieldStart;
    // The fields' buffers are kept from one record to the next, so a file of rows alike
    // allocates nothing per field: only the first m_fieldCount are this record's.
    CsvRecord m_record;
    qsizetype m_fieldCount = 0;
    QByteArray m_field;
    qsizetype m_recordBytes = 0;
    bool m_afterCr = false;
};
