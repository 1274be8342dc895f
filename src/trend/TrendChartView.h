#pragma once

#include "TrendDecimation.h"
#include "TrendScale.h"

#include <QChartView>

class QCategoryAxis;
class QValueAxis;
class TrendLineItem;

// One channel's chart: its line over time on the gauge's scale, with the gauge's coloured
// bands shaded behind it.
//
// The time axis is the window's to set; a rubber band drawn along it asks the window to
// zoom to that stretch and a right click to zoom out, so all six charts move together.
class TrendChartView : public QChartView
{
    Q_OBJECT

public:
    explicit TrendChartView(QWidget *parent = nullptr);

    // The meter the chart shows, from 1: its title says "Meter 1: Volts DC" as the
    // recording's column does.
    void setMeterNumber(int number);
    void setScale(const TrendScale &scale);
    const TrendScale &scale() const { return m_scale; }
    // Widens the value axis beyond the scale so that values from `low` to `high` show.
    void includeValues(double low, double high);

    void setTimeRange(qint64 from, qint64 to);

    // Shows one channel of `samples` over the time range, reduced to the plot's pixel
    // columns. `moreOfTheSame`: the samples are those shown last time with newer ones
    // after them, so only the line's end is reduced again.
    void showSamples(const TrendSpan &samples, int channel, bool moreOfTheSame);
    const TrendTrace &trace() const;
    // The line shown was reduced for the time range and the plot's width as they are now.
    bool traceFits() const;
    qsizetype pointCount() const { return trace().points.size(); }
    QColor lineColor() const;
    // Stretches of line drawn now: one more than the gaps in view.
    int stretchCount() const;
    // The width of the plotting area in pixels: the pixel columns a trace is reduced to.
    int plotColumns() const;

    QValueAxis *valueAxis() const { return m_valueAxis; }
    // Milliseconds since the epoch, labelled at round times.
    QCategoryAxis *timeAxis() const { return m_timeAxis; }
    // The times the time axis labels now.
    const QList<qint64> &timeTicks() const { return m_timeTicks; }

Q_SIGNALS:
    void zoomRequested(qint64 from, qint64 to);
    void zoomOutRequested();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void showTitle();
    void attach(QAbstractSeries *series);
    void placeLine();
    void userRangeChanged();
    void setValueRange(double low, double high);
    void placeTimeTicks();
    void updateGrid();

    QChart *m_chart;
    QCategoryAxis *m_timeAxis;
    QValueAxis *m_valueAxis;
    TrendLineItem *m_line;
    TrendScale m_scale;
    // What the line shown was reduced for.
    qint64 m_traceFrom = 0;
    qint64 m_traceTo = 0;
    int m_traceColumns = 0;
    qint64 m_from = 0;
    qint64 m_to = 1;
    double m_low = 0.0;
    double m_high = 1.0;
    bool m_settingRange = false;
    int m_meterNumber = 1;
    QList<qint64> m_timeTicks;
    QList<double> m_valueTicks;
    // What the time axis's labels were placed for: its range and width.
    qint64 m_ticksFrom = 0;
    qint64 m_ticksTo = 0;
    int m_ticksWidth = -1;
};
