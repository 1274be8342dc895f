#pragma once

#include "TrendSample.h"

#include <span>

// Where a recording's line breaks for time alone: a step between two samples far longer
// than the recording's own pace means nothing was recorded in between (the panel was not
// running, or the next day's file begins hours later), and a straight stroke over it
// would show values nobody saw.
namespace TrendPace {

// A step no longer than this never breaks the line, whatever the pace: the slowest poll
// the panel can be set to is 5 s, and a stall of a few seconds (a busy machine, a window
// dragged about) is no outage worth a break.
inline constexpr qint64 shortestGapMs = 10'000;
// How many typical steps a step must exceed to break the line.
inline constexpr qint64 typicalStepsPerGap = 10;

// The longest step between two samples (in time order) that still belongs to the line:
// `typicalStepsPerGap` times the recording's typical step, at least `shortestGapMs`.
//
// A recording comes at one row per frame (every poll, 180 ms to 5 s) or at most one row
// every few seconds chosen by the user (1, 10, 60 ...) with rows at changes between, so
// no fixed threshold fits all. The typical step is the one that nine steps in ten are no
// longer than: for rows at each frame that is the poll's period; for rows at a chosen pace
// it is that pace even when rows at changes (shorter steps) come between, and the few long
// steps of outages cannot move it. Ten of them is generous on purpose: an outage of the
// link shows by rows of its own; this rule is for the long silences between sessions.
qint64 longestStepMs(std::span<const TrendSample> samples);

// Marks each sample whose step from the one before is longer than `longestMs` as
// beginning after a gap. Returns how many it marked that were not marked already.
qsizetype markLongSteps(std::span<TrendSample> samples, qint64 longestMs);

} // namespace TrendPace
