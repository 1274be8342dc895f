#pragma once

#include <QColor>

// Colours are kept and stored as 32-bit values 0x00BBGGRR: red in the low byte, blue in
// bits 16-23, the form the board's settings have always used.
namespace BgrColor {

constexpr quint32 fromRgb(int red, int green, int blue)
{
    return quint32(red & 0xFF) | quint32(green & 0xFF) << 8 | quint32(blue & 0xFF) << 16;
}

inline QColor toColor(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int(bgr >> 8 & 0xFF), int(bgr >> 16 & 0xFF));
}

inline quint32 fromColor(const QColor &color)
{
    return fromRgb(color.red(), color.green(), color.blue());
}

} // namespace BgrColor
