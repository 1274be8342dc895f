#pragma once

// Reads a recording back as a spreadsheet would: RFC 4180, fields split at commas, quoted
// fields with doubled quotes and line breaks inside, records ended by CR LF. A record left
// open at the end (a half row) comes back flagged, so a test can tell it from a whole one.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace CsvReader {

struct Table
{
    QList<QStringList> records;
    bool endsWithWholeRecord = true;
};

inline Table read(const QByteArray &bytes)
{
    Table table;
    const QString text = QString::fromUtf8(bytes);
    QStringList record;
    QString field;
    bool quoted = false, inRecord = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        inRecord = true;
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            record << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            record << field;
            table.records << record;
            record.clear();
            field.clear();
            inRecord = false;
            ++i;
        } else {
            field += c;
        }
    }
    if (inRecord) {
        record << field;
        table.records << record;
        table.endsWithWholeRecord = false;
    }
    return table;
}

} // namespace CsvReader
