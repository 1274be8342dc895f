#pragma once

#include "TrendDecimation.h"
#include "TrendScale.h"

#include <QChartView>
#include <vector>

class QAreaSeries;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

// One channel's chart: its line over time on the gauge's scale, with the gauge's coloured
// bands shaded behind it.
//
// The time axis is the window's to set; a rubber band drawn along it asks the window to
// zoom to that stretch and a right click to zoom out, so all six charts move together.
class TrendChartView : public QChartView
{
    Q_OBJECT

public:
    // Stretches of line a chart draws at most; a view broken by more gaps joins the rest.
    static constexpr int maxStretches = 48;

    explicit TrendChartView(QWidget *parent = nullptr);

    void setScale(const TrendScale &scale);
    const TrendScale &scale() const { return m_scale; }
    // Widens the value axis beyond the scale so that values from `low` to `high` show.
    void includeValues(double low, double high);

    void setTimeRange(qint64 from, qint64 to);
    qint64 timeFrom() const { return m_from; }
    qint64 timeTo() const { return m_to; }

    // Replaces the line, one stretch per series, each in one call.
    void setTrace(const TrendTrace &trace);
    // Points the chart holds now, over all its stretches.
    qsizetype pointCount() const;
    QList<QPointF> linePoints() const;
    // Stretches of line drawn now: one more than the gaps in view.
    int stretchCount() const;
    // The shaded bands, in the order of the scale's bands.
    const std::vector<QAreaSeries *> &bandSeries() const { return m_bands; }
    // The width of the plotting area in pixels: the pixel columns a trace is reduced to.
    int plotColumns() const;

    QValueAxis *valueAxis() const { return m_valueAxis; }
    QDateTimeAxis *timeAxis() const { return m_timeAxis; }

Q_SIGNALS:
    void zoomRequested(qint64 from, qint64 to);
    void zoomOutRequested();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QLineSeries *stretch(int index);
    void placeBands();
    void userRangeChanged();

    QChart *m_chart;
    QDateTimeAxis *m_timeAxis;
    QValueAxis *m_valueAxis;
    TrendScale m_scale;
    std::vector<QAreaSeries *> m_bands;
    std::vector<QLineSeries *> m_stretches;
    qint64 m_from = 0;
    qint64 m_to = 1;
    double m_low = 0.0;
    double m_high = 1.0;
    bool m_settingRange = false;
};
