#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// The board's 70-character reply to a status request. Positions count from 1, as the
// board's documentation does.
namespace StatusFrame {

inline constexpr int length = 70;

struct Field
{
    int position; // first character, counted from 1
    int width;
};

inline constexpr Field relayBanks[8] = {{1, 3},  {5, 3},  {9, 3},  {13, 3},
                                        {17, 3}, {21, 3}, {25, 3}, {29, 3}};
// Channel 3 starts right behind channel 2, at 45, not 46.
inline constexpr Field meters[6] = {{34, 3}, {38, 3}, {42, 3}, {45, 3}, {49, 3}, {53, 3}};
inline constexpr Field inputs{57, 3};
inline constexpr Field temperature{61, 3};
inline constexpr Field frequency{65, 5};

// The field read as a decimal number: leading blanks, then an optional sign, then digits
// to the end of the field (leading zeros are digits like any other). Anything else - an
// empty field, a blank after the digits, a letter, a second sign, a field reaching past the
// frame's end - gives nothing.
std::optional<int> readNumber(QByteArrayView frame, Field field);

// The frame's characters for showing: one character per byte, code equal to the byte.
QString text(QByteArrayView bytes);

// The frequency readout: the five characters as received.
QString frequencyText(QByteArrayView frame);

// The temperature readout for a reading in degrees Fahrenheit: "75F", or in Celsius the
// whole degrees below the exact value, "23C" (0 F gives "-18C").
QString temperatureText(int fahrenheit, bool celsius);

} // namespace StatusFrame
