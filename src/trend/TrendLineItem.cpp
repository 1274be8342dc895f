#include "TrendLineItem.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <algorithm>
#include <cmath>

TrendLineItem::TrendLineItem(QGraphicsItem *parent)
    : QGraphicsItem(parent)
{
    setAcceptedMouseButtons(Qt::NoButton);
    // Told what is exposed, so a repaint of the line's right end draws only the points there.
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

void TrendLineItem::setFrame(const QRectF &plotArea, qint64 from, qint64 to, double low,
                             double high)
{
    if (plotArea == m_plotArea && from == m_from && to == m_to && low == m_low && high == m_high)
        return;
    prepareGeometryChange();
    m_plotArea = plotArea;
    m_from = from;
    m_to = std::max(to, from + 1);
    m_low = low;
    m_high = high > low ? high : low + 1.0;
    update();
}

void TrendLineItem::setPen(const QPen &pen)
{
    m_pen = pen;
    update();
}

void TrendLineItem::setBands(const QList<TrendScale::Band> &bands)
{
    if (bands == m_bands)
        return;
    m_bands = bands;
    update();
}

QColor TrendLineItem::bandFill(const QColor &color)
{
    QColor fill = color;
    fill.setAlpha(70);
    return fill;
}

void TrendLineItem::setGrid(const QList<double> &times, const QList<double> &values,
                            const QColor &color)
{
    if (times == m_gridTimes && values == m_gridValues && color == m_gridColor)
        return;
    m_gridTimes = times;
    m_gridValues = values;
    m_gridColor = color;
    update();
}

void TrendLineItem::paintGrid(QPainter *painter, const QRectF &exposed) const
{
    painter->setPen(QPen(m_gridColor, 0));
    for (const double time : m_gridTimes) {
        const double x = placeX(time);
        if (x >= exposed.left() - 1 && x <= exposed.right() + 1)
            painter->drawLine(QPointF(x, exposed.top()), QPointF(x, exposed.bottom()));
    }
    for (const double value : m_gridValues) {
        const double y = placeY(value);
        if (y >= exposed.top() - 1 && y <= exposed.bottom() + 1)
            painter->drawLine(QPointF(exposed.left(), y), QPointF(exposed.right(), y));
    }
}

void TrendLineItem::paintBands(QPainter *painter, const QRectF &exposed) const
{
    for (const TrendScale::Band &band : m_bands) {
        const double top = placeY(band.high), bottom = placeY(band.low);
        const QRectF area = QRectF(exposed.left(), top, exposed.width(), bottom - top) & exposed;
        if (!area.isEmpty())
            painter->fillRect(area, bandFill(band.color));
    }
}

double TrendLineItem::placeX(double x) const
{
    return m_plotArea.left() +
           (x - double(m_from)) / (double(m_to) - double(m_from)) * m_plotArea.width();
}

double TrendLineItem::placeY(double y) const
{
    // A needle beyond its scale is drawn just past the edge rather than at a distance the
    // painter cannot hold (a value may be infinite).
    const double share = std::clamp((y - m_low) / (m_high - m_low), -0.01, 1.01);
    return m_plotArea.bottom() - share * m_plotArea.height();
}

QPointF TrendLineItem::place(const QPointF &point) const
{
    return {placeX(point.x()), placeY(point.y())};
}

namespace {

// The breaks that come before point `limit`.
QList<qsizetype> breaksBefore(const QList<qsizetype> &breaks, qsizetype limit)
{
    QList<qsizetype> before;
    for (const qsizetype at : breaks)
        if (at < limit)
            before.append(at);
    return before;
}

} // namespace

void TrendLineItem::setTrace(TrendTrace trace)
{
    // The first point that differs. The line up to the one before it stays as drawn; from
    // there on, what the old line covered and what the new one covers is painted again,
    // and nothing else: often a few pixels at the line's end.
    const QList<QPointF> &old = m_trace.points;
    const QList<QPointF> &now = trace.points;
    qsizetype same = 0;
    const qsizetype common = std::min(old.size(), now.size());
    while (same < common && old[same] == now[same])
        ++same;
    if (same == old.size() && same == now.size() && m_trace.breaks == trace.breaks) {
        m_trace = std::move(trace);
        return;
    }
    const qsizetype start = std::max<qsizetype>(0, same - 1);
    const bool partial = same > 0 && breaksBefore(m_trace.breaks, start + 1) ==
                                         breaksBefore(trace.breaks, start + 1);
    QRectF dirty = m_plotArea;
    if (partial) {
        double left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;
        for (const QList<QPointF> *points : {&old, &now})
            for (qsizetype i = start; i < points->size(); ++i) {
                const QPointF placed = place(points->at(i));
                left = std::min(left, placed.x());
                right = std::max(right, placed.x());
                top = std::min(top, placed.y());
                bottom = std::max(bottom, placed.y());
            }
        // A pixel or two to spare for rounding.
        dirty =
            QRectF(QPointF(left, top), QPointF(right, bottom)).adjusted(-2, -2, 2, 2) & m_plotArea;
    }
    m_trace = std::move(trace);
    update(dirty);
}

void TrendLineItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *)
{
    const QRectF exposed =
        (option->exposedRect.isEmpty() ? m_plotArea : option->exposedRect) & m_plotArea;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    // The grid and the bands are plain lines and rectangles: drawn here, only where the
    // repaint reaches, rather than as items of their own that the scene must visit.
    paintGrid(painter, exposed);
    paintBands(painter, exposed);
    if (m_trace.points.isEmpty()) {
        painter->restore();
        return;
    }
    painter->setClipRect(m_plotArea, Qt::IntersectClip);
    painter->setPen(m_pen);
    // Only the points that reach into what is repainted, one before and one after. The
    // painter clips to whole pixels around the exposed area, and a line's first point is drawn
    // where the same point inside a longer line is not: so the line is begun a pixel or more
    // outside the clip, where that pixel is never seen.
    constexpr double seamMargin = 2.0;
    const auto leftOf = [this](const QPointF &point, double x) {
        return placeX(point.x()) < x;
    };
    const QList<QPointF> &points = m_trace.points;
    const qsizetype first = std::max<qsizetype>(
        0, std::lower_bound(points.begin(), points.end(), exposed.left() - seamMargin, leftOf) -
               points.begin() - 1);
    const qsizetype last =
        std::min<qsizetype>(points.size(), std::lower_bound(points.begin(), points.end(),
                                                            exposed.right() + seamMargin, leftOf) -
                                               points.begin() + 1);
    QList<QPointF> placed;
    placed.reserve(last - first);
    const auto drawStretch = [painter, &placed] {
        // A stretch of one sample between two gaps is still seen.
        if (placed.size() == 1)
            painter->drawPoint(placed.first());
        else
            painter->drawPolyline(placed.constData(), int(placed.size()));
        placed.clear();
    };
    qsizetype nextBreak = 0;
    while (nextBreak < m_trace.breaks.size() && m_trace.breaks[nextBreak] <= first)
        ++nextBreak;
    for (qsizetype i = first; i < last; ++i) {
        if (nextBreak < m_trace.breaks.size() && m_trace.breaks[nextBreak] == i) {
            drawStretch();
            ++nextBreak;
        }
        placed.append(place(points[i]));
    }
    drawStretch();
    painter->restore();
}
