#include "TrendDecimation.h"

#include <cmath>

namespace {

// The extremes of one column so far, each with the time it was seen.
struct Column
{
    qsizetype count = 0;
    QPointF low, high;

    void take(qint64 msecs, float value)
    {
        const QPointF point(static_cast<qreal>(msecs), static_cast<qreal>(value));
        if (count == 0 || value < low.y())
            low = point;
        if (count == 0 || value > high.y())
            high = point;
        ++count;
    }
    void flushTo(QList<QPointF> &points)
    {
        if (count == 0)
            return;
        const bool lowFirst = low.x() <= high.x();
        points.append(lowFirst ? low : high);
        if (low != high)
            points.append(lowFirst ? high : low);
        count = 0;
    }
};

} // namespace

TrendTrace decimateTrend(const TrendSpan &samples, int channel, qint64 from, qint64 to, int columns)
{
    TrendTrace trace;
    if (channel < 0 || channel >= TrendSample::channelCount || columns < 1 || to < from)
        return trace;
    const TrendSpan shown = trendRange(samples, from, to);
    trace.points.reserve(qsizetype(std::min<std::size_t>(shown.size(), std::size_t(columns) * 2)));
    // Column widths in floating point: a short span on a wide plot has columns narrower
    // than a millisecond.
    const double columnWidth = (double(to) - double(from) + 1.0) / double(columns);
    Column column;
    qint64 columnIndex = -1;
    bool breakPending = false;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const TrendSample &sample = shown[i];
        if (sample.gapBefore && i > 0) {
            column.flushTo(trace.points);
            breakPending = true;
        }
        const float value = sample.values[std::size_t(channel)];
        if (std::isnan(value))
            continue;
        const auto index = qint64((double(sample.msecsSinceEpoch) - double(from)) / columnWidth);
        if (index != columnIndex) {
            column.flushTo(trace.points);
            columnIndex = index;
        }
        if (breakPending) {
            // A break before the first point would mean nothing.
            if (!trace.points.isEmpty() &&
                (trace.breaks.isEmpty() || trace.breaks.last() != trace.points.size()))
                trace.breaks.append(trace.points.size());
            breakPending = false;
        }
        column.take(sample.msecsSinceEpoch, value);
    }
    column.flushTo(trace.points);
    return trace;
}
