#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

// Numbers as the store holds them: plain decimal text with a full stop, whatever the user's
// regional format says.
namespace NumberText {

// Text to number. Accepted: optional blanks (spaces, tabs) around an optional sign, digits
// with an optional point and fraction (at least one digit in all), and an optional exponent
// (E or e, optional sign, digits). Anything else gives nothing: the empty text, thousands
// separators, a comma for the point, hexadecimal, "inf", "nan", and a magnitude beyond the
// type's range. A magnitude too small for the type reads as zero.
std::optional<double> toDouble(QStringView text);
std::optional<float> toSingle(QStringView text);

// Text to integer: read as a number, then rounded half to even (2.5 -> 2, 3.5 -> 4,
// -2.5 -> -2). Nothing when the rounded value does not fit.
std::optional<qint16> toInt16(QStringView text);
std::optional<qint32> toInt32(QStringView text);
std::optional<qint16> roundToInt16(double value);
std::optional<qint32> roundToInt32(double value);

// A port number as stored ("Meter-ComPort"): a whole number from 1 to 255, else nothing.
std::optional<int> toPortNumber(QStringView text);
// A slider's position for stored text: the nearest of 0..255 for any number, else nothing.
std::optional<int> toSliderPosition(QStringView text);

// Number to text: plain decimal without trailing zeros or a trailing point, "-0" written as
// "0"; single precision with up to 7 significant digits, double with up to 15. Magnitudes
// from 10^7 (single) or 10^15 (double) up, or below 10^-4, use an exponent ("1e+15",
// "1e-05"), which toDouble reads back. Infinity and NaN have no text: they give the empty
// text, which the store treats as absent.
QString fromSingle(float value);
QString fromDouble(double value);
QString fromInteger(qint64 value);

} // namespace NumberText
