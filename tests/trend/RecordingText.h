#pragma once

#include "RecordColumns.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// Recordings as the panel writes them, for the tests to read back or to change by hand.
namespace RecordingText {

inline QByteArray quoted(const QByteArray &field)
{
    QByteArray text = field;
    text.replace('"', "\"\"");
    return '"' + text + '"';
}

// A field as the recorder writes it: quoted when it holds a comma, a quote or a line end.
inline QByteArray field(const QByteArray &text)
{
    const bool needsQuotes =
        text.contains(',') || text.contains('"') || text.contains('\r') || text.contains('\n');
    return needsQuotes ? quoted(text) : text;
}

inline QByteArray header(const QStringList &captions)
{
    QList<QByteArray> fields{"Time", "Link"};
    for (int r = 1; r <= RecordColumns::relayCount; ++r)
        fields << "R" + QByteArray::number(r);
    for (int k = 1; k <= RecordColumns::inputCount; ++k)
        fields << field("Input, " + QByteArray::number(k));
    for (const QString &caption : captions)
        fields << field(caption.toUtf8());
    fields << "Temperature (\u00B0F)"
           << "Frequency"
           << "An Out 1"
           << "An Out 2"
           << "Frame";
    return fields.join(',') + "\r\n";
}

// A row of a recording; the meters' texts as given.
inline QByteArray row(const QByteArray &time, const QByteArray &link,
                      const QList<QByteArray> &meters)
{
    QList<QByteArray> fields{time, link};
    for (int r = 0; r < RecordColumns::relayCount + RecordColumns::inputCount; ++r)
        fields << QByteArray::number(r % 2);
    fields << meters;
    fields << "72"
           << " 1234"
           << "0"
           << "128"
           << quoted("255,000,255,000,255,000,255,000,,010,200,012013,250,015,130,"
                     "075, 1234\r");
    return fields.join(',') + "\r\n";
}

inline QStringList standardCaptions()
{
    return {QStringLiteral("Volts"), QStringLiteral("Amps"),  QStringLiteral("Flow"),
            QStringLiteral("Level"), QStringLiteral("Speed"), QStringLiteral("Torque")};
}

} // namespace RecordingText
