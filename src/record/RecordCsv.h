#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

// The text of a recording: RFC 4180 rows in UTF-8, each ended by CR LF. Plain functions, so
// what goes into a file can be checked without one.
namespace RecordCsv {

// What one row holds, as the window showed it (see RecordColumns.h for the order).
struct Sample
{
    QDateTime time;
    QString link; // "never", "live", "no-reply" or "lost"
    std::array<bool, 64> relays{};
    std::array<bool, 8> inputs{};
    std::array<double, 6> meters{};
    std::optional<int> fahrenheit;
    QByteArray frequency; // as received
    std::array<int, 2> aout{};
    QByteArray frame; // empty before the first complete frame
};

// The names a header shows; a change of any of them starts a new file, so every file's
// header says what its columns hold.
struct Names
{
    std::array<QString, 8> inputs;
    std::array<QString, 6> meters;

    bool operator==(const Names &) const = default;
};

inline constexpr QByteArrayView lineEnd = "\r\n";

QByteArray headerRow(const Names &names);
// An input's or meter's column: numbered, so every column has a name of its own when names
// repeat ("Volts DC" six times by default) and a script reading columns by name keeps them
// apart: "Meter 1: Volts DC", or "Meter 6" for one without a name.
QString columnName(QStringView kind, int number, const QString &name);
QByteArray row(const Sample &sample);
// Appends the row to `rows`, growing it once for a typical row.
void appendRow(QByteArray &rows, const Sample &sample);

// A field, quoted where it holds a comma, a quote or a line break, and always with `quoted`.
void appendField(QByteArray &rows, QStringView text, bool quoted = false);

// Text for a file that spreadsheets and scripts read line by line: control characters as
// their pictures (CR as U+240D, NUL as U+2400, DEL as U+2421), everything else as it is. A
// name hand-edited into the settings with a line break or a NUL stays on the header's line.
QString visibleText(QStringView text);

// Bytes from the board the same way, each byte the Latin-1 character of its code: no byte
// the board sends is lost, and no row holds a line break, a NUL or invalid UTF-8.
QString boardText(QByteArrayView bytes);

// Local time with milliseconds and the offset from UTC: "2026-12-09T13:45:01.123+01:00".
QString timeText(const QDateTime &time);

// A meter's value in the C locale, as short as reads back exactly; empty when not finite.
QByteArray meterText(double value);

} // namespace RecordCsv
