#pragma once

// A recording read back whole, as a spreadsheet would see it: its records as texts, and
// whether the last one was ended by its line end (a half row is not).
#include "CsvReader.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

struct CsvTable
{
    QList<QStringList> records;
    bool endsWithWholeRecord = true;

    static CsvTable read(const QByteArray &bytes)
    {
        CsvTable table;
        CsvReader reader([&table](const CsvRecord &record) {
            QStringList fields;
            for (const QByteArray &field : record.fields)
                fields << QString::fromUtf8(field);
            table.records << fields;
            table.endsWithWholeRecord = record.terminated && !record.openQuote;
        });
        reader.feed(bytes);
        reader.finish();
        return table;
    }
};
