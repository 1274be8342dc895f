#include "TrendPace.h"

#include <algorithm>
#include <vector>

namespace TrendPace {

qint64 longestStepMs(std::span<const TrendSample> samples)
{
    std::vector<qint64> steps;
    steps.reserve(samples.size());
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const qint64 step = samples[i].msecsSinceEpoch - samples[i - 1].msecsSinceEpoch;
        // Rows of the same moment (a change written beside its frame) say nothing of pace.
        if (step > 0)
            steps.push_back(step);
    }
    if (steps.empty())
        return shortestGapMs;
    // The 90th percentile: linear time, and the copy is an eighth of the samples' memory.
    const auto at = steps.begin() + std::ptrdiff_t((steps.size() - 1) * 9 / 10);
    std::nth_element(steps.begin(), at, steps.end());
    return std::max(shortestGapMs, *at * typicalStepsPerGap);
}

qsizetype markLongSteps(std::span<TrendSample> samples, qint64 longestMs)
{
    qsizetype marked = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        TrendSample &sample = samples[i];
        if (!sample.gapBefore &&
            sample.msecsSinceEpoch - samples[i - 1].msecsSinceEpoch > longestMs) {
            sample.gapBefore = true;
            ++marked;
        }
    }
    return marked;
}

} // namespace TrendPace
