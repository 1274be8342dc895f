#pragma once

#include "TrendRing.h"

#include <QList>
#include <vector>

// Samples for the tests: channel 0 holds the given value, the other channels its negation.
inline TrendSample trendSample(qint64 msecs, float value, bool gapBefore = false)
{
    TrendSample sample;
    sample.msecsSinceEpoch = msecs;
    sample.values.fill(-value);
    sample.values[0] = value;
    sample.gapBefore = gapBefore;
    return sample;
}

inline QList<qint64> timesOf(const TrendSpan &span)
{
    QList<qint64> times;
    for (std::size_t i = 0; i < span.size(); ++i)
        times << span[i].msecsSinceEpoch;
    return times;
}
