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

namespace {

bool usable(int channel, qint64 from, qint64 to, int columns)
{
    return channel >= 0 && channel < TrendSample::channelCount && columns >= 1 && to >= from;
}

// Column widths in floating point: a short span on a wide plot has columns narrower than a
// millisecond.
double columnWidth(qint64 from, qint64 to, int columns)
{
    return (double(to) - double(from) + 1.0) / double(columns);
}

qint64 columnOf(double msecs, qint64 from, double width)
{
    return qint64((msecs - double(from)) / width);
}

// Appends the reduction of `shown` from column `firstColumn` on to `trace`. When the trace
// already ends with points of earlier samples, a gap before the first of `shown` breaks the
// line there too, and so does `breakPending`.
void decimateInto(TrendTrace &trace, const TrendSpan &shown, int channel, qint64 from, double width,
                  qint64 firstColumn = 0, bool breakPending = false)
{
    Column column;
    qint64 columnIndex = -1;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const TrendSample &sample = shown[i];
        const qint64 index = columnOf(double(sample.msecsSinceEpoch), from, width);
        if (index < firstColumn)
            continue;
        if (sample.gapBefore) {
            column.flushTo(trace.points);
            breakPending = true;
        }
        const float value = sample.values[std::size_t(channel)];
        if (std::isnan(value))
            continue;
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
}

} // namespace

TrendTrace decimateTrend(const TrendSpan &samples, int channel, qint64 from, qint64 to, int columns)
{
    TrendTrace trace;
    if (!usable(channel, from, to, columns))
        return trace;
    const TrendSpan shown = trendRange(samples, from, to);
    trace.points.reserve(qsizetype(std::min<std::size_t>(shown.size(), std::size_t(columns) * 2)));
    decimateInto(trace, shown, channel, from, columnWidth(from, to, columns));
    return trace;
}

void extendTrend(TrendTrace &trace, const TrendSpan &samples, int channel, qint64 from, qint64 to,
                 int columns)
{
    if (!usable(channel, from, to, columns)) {
        trace = {};
        return;
    }
    if (trace.points.isEmpty()) {
        trace = decimateTrend(samples, channel, from, to, columns);
        return;
    }
    // The last column that has points may have taken more samples since: it is reduced
    // again, with everything after it.
    const double width = columnWidth(from, to, columns);
    const qint64 last = columnOf(trace.points.last().x(), from, width);
    qsizetype kept = trace.points.size();
    while (kept > 0 && columnOf(trace.points[kept - 1].x(), from, width) >= last)
        --kept;
    trace.points.resize(kept);
    // A break where the kept points end came from a gap that may lie before the column.
    bool breakAtEnd = false;
    while (!trace.breaks.isEmpty() && trace.breaks.last() >= kept) {
        breakAtEnd = breakAtEnd || trace.breaks.last() == kept;
        trace.breaks.removeLast();
    }
    // From a little before the column's first millisecond, so that no rounding of its start
    // leaves out a sample; those of earlier columns are passed over.
    const auto columnStart = qint64(std::floor(double(from) + double(last) * width)) - 1;
    decimateInto(trace, trendRange(samples, std::max(from, columnStart), to), channel, from, width,
                 last, breakAtEnd);
}
