#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

// The relay lists of the macros ("OnString" and "OffString"): fields of three characters,
// each a two-digit list number 00..63 and a separator, "05,12,". Lists are typed by hand in
// the setup dialog and may be hand-edited in the store, so they are read exactly as the
// panel has always read them, malformed ones included, never refused.
namespace RelayList {

inline constexpr int fieldWidth = 3;

// How many fields a list of `length` characters holds: the length divided by three,
// rounded to the nearest whole number ("05,12," and "05,12" both hold two; one character
// after the last full field is ignored).
int fieldCount(qsizetype length);

// The number at the start of `text`, read over the rest of the text and not only its own
// field: blanks, tabs and line feeds are skipped wherever they stand (so "01 02 03" reads
// 10203), then an optional sign, digits, an optional point with digits and an optional
// exponent (E or D, either case, optional sign, digits); reading stops at the first
// character that cannot continue the number. Without a digit the number is 0. A number too
// large for a double is infinite with its sign (the old reader stopped with an overflow
// error there); one too small is 0.
double readNumber(QStringView text);

// The same, over the first two characters of `text` only: how the debug strip's "Cmd"
// button reads a field.
double readNumberFromFirstTwo(QStringView text);

// A relay by bank (0 = "A" .. 7 = "H") and position in the bank (0..7).
struct Relay
{
    int bank = 0;
    int position = 0;
    char bankLetter() const;
    friend bool operator==(const Relay &, const Relay &) = default;
};

// The relay a number names: none below 0 or from 64 up; otherwise the bank whose range
// [8k, 8k + 8) holds the number and the position the number rounded half to even, modulo
// 8 ("7.5" is "R1", "12.5" is "R13").
std::optional<Relay> relayFor(double number);

// One step of the walk over a list.
struct Field
{
    double number = 0;          // read from the start of the current text
    QString remaining;          // the text after taking three characters off the front
    std::optional<Relay> relay; // what the number names
};

// Every field of a list, in order, as `SwitchRelaysOn` and `SwitchRelaysOff` walk it. All
// fields are walked, however many; only the debug strip stops at six.
QList<Field> walk(QStringView list);

// The numbers of every field of a text as the debug strip's "Cmd" button reads them: each
// from the first two characters of the current text only, so "123" gives 12 here while the
// macros read 123.
QList<double> command1Numbers(QStringView text);

} // namespace RelayList
