#pragma once

#include "TrendRing.h"

#include <QList>
#include <QPointF>

// One channel's line as the plot draws it: points (x the time in milliseconds since the
// epoch, y the value) and where the line breaks.
struct TrendTrace
{
    QList<QPointF> points;
    // Indexes into points where a new stretch of line begins, after a gap in the link.
    QList<qsizetype> breaks;
};

// Reduces one channel of `samples` between `from` and `to` to what `columns` pixel columns
// can show: in each column the lowest and the highest value, in the order they came, so
// every peak stays visible and the cost of drawing does not grow with the samples in view.
// A gap in the link ends a column early and starts a new stretch of line. Values that are
// not numbers (a needle with nothing to show) are left out.
TrendTrace decimateTrend(const TrendSpan &samples, int channel, qint64 from, qint64 to,
                         int columns);

// Brings `trace`, the reduction of the same channel, range and columns made before more
// samples arrived, up to date with `samples`: only its last column and what follows are
// reduced again. The result is the one decimateTrend() gives.
void extendTrend(TrendTrace &trace, const TrendSpan &samples, int channel, qint64 from, qint64 to,
                 int columns);
