#pragma once

#include "TrendDecimation.h"
#include "TrendScale.h"

#include <QGraphicsItem>
#include <QPen>

// One channel's line, drawn into its chart's plotting area as a plain polyline over the
// gauge's coloured bands.
//
// Qt Charts' own line series strokes the whole path again for its hit-testing shape at each
// change of points or axes, which costs several times the drawing itself; this line needs
// no hit-testing. It also repaints only what changed: while the time axis stands still,
// new samples change only the line's right end, and only that strip is painted again.
class TrendLineItem : public QGraphicsItem
{
public:
    explicit TrendLineItem(QGraphicsItem *parent = nullptr);

    // Where the line is drawn (the chart's plotting area, in the parent's coordinates) and
    // what that area shows: the time from `from` to `to` and values from `low` to `high`.
    void setFrame(const QRectF &plotArea, qint64 from, qint64 to, double low, double high);
    // Replaces the line; repaints from the first point that differs.
    void setTrace(TrendTrace trace);
    const TrendTrace &trace() const { return m_trace; }
    void setPen(const QPen &pen);
    const QPen &pen() const { return m_pen; }
    void setBands(const QList<TrendScale::Band> &bands);
    // Grid lines where the axes put their ticks: at these times (ms since the epoch) and
    // values.
    void setGrid(const QList<double> &times, const QList<double> &values, const QColor &color);
    // What a band is shaded with: its colour, light enough for the line to stand out.
    static QColor bandFill(const QColor &color);

    QRectF boundingRect() const override { return m_plotArea; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QPointF place(const QPointF &point) const;
    double placeX(double x) const;
    double placeY(double y) const;
    void paintGrid(QPainter *painter, const QRectF &exposed) const;
    void paintBands(QPainter *painter, const QRectF &exposed) const;

    TrendTrace m_trace;
    QRectF m_plotArea;
    qint64 m_from = 0;
    qint64 m_to = 1;
    double m_low = 0.0;
    double m_high = 1.0;
    QPen m_pen;
    QList<TrendScale::Band> m_bands;
    QList<double> m_gridTimes;
    QList<double> m_gridValues;
    QColor m_gridColor;
};
