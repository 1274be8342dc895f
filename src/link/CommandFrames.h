#pragma once

#include <QByteArray>

// Everything sent to the board is one five-byte frame: "$", a two-character code, one raw
// argument byte (never escaped: it may be 0x0D, 0x24 or 0x00), and a carriage return.
namespace CommandFrames {

inline constexpr int frameLength = 5;
inline constexpr char start = '$';
inline constexpr char end = '\r';

// Bank letters "A".."H" in bank order.
inline constexpr char bankLetters[] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
inline constexpr int bankCount = 8;
inline constexpr int relaysPerBank = 8;

QByteArray frame(char code1, char code2, quint8 argument);

// The status request "$;;;" and a carriage return.
QByteArray statusRequest();

// "$II" (output 1) or "$JJ" (output 2), the value byte, a carriage return.
QByteArray analogOutputFrame(int output, quint8 value);

} // namespace CommandFrames

// The frame asking the board to invert one relay: "$", the bank letter, "0", the mask with
// only the position's bit set, a carriage return. Bank "A".."H", position 0..7.
QByteArray MakeRelayFrame(char bankLetter, int position);
