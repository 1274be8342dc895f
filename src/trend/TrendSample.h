#pragma once

#include <QtGlobal>
#include <array>
#include <limits>

// One moment of the six analog channels: when it was taken (wall-clock milliseconds since
// the epoch, so the plot can name the time of day) and what each needle showed, in its
// scale's units. Floats keep a sample at 40 bytes (the flag pads it from 33); the needles
// never show more digits.
struct TrendSample
{
    static constexpr int channelCount = 6;

    qint64 msecsSinceEpoch = 0;
    std::array<float, channelCount> values{};
    // The link was not live between the previous sample and this one: the plot breaks its
    // line here rather than drawing a straight stroke over the outage.
    bool gapBefore = false;
};

// A needle's value as a sample keeps it. Values beyond a float's range become infinities
// instead of the undefined conversion; NaN stays NaN.
inline float trendValue(double value)
{
    constexpr double largest = double(std::numeric_limits<float>::max());
    if (value > largest)
        return std::numeric_limits<float>::infinity();
    if (value < -largest)
        return -std::numeric_limits<float>::infinity();
    return float(value);
}
