#pragma once

#include <QRect>
#include <cmath>

// Layout and stored geometry are in twips (1/1440 inch): 15 twips to a logical pixel at
// 96 dots per inch. Qt scales logical pixels for dense screens, so one factor serves.
namespace Twips {

inline constexpr int perPixel = 15;

constexpr int toPixels(double twips)
{
    return static_cast<int>(twips >= 0 ? twips / perPixel + 0.5 : twips / perPixel - 0.5);
}

constexpr double fromPixels(int pixels)
{
    return double(pixels) * perPixel;
}

constexpr QRect rect(int left, int top, int width, int height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

} // namespace Twips
