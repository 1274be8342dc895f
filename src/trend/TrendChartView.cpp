#include "TrendChartView.h"

#include <QAreaSeries>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

// Bands are shaded lightly, so the line stays the first thing seen.
constexpr int bandAlpha = 70;

QString timeFormat(qint64 span)
{
    return span >= 60LL * 60 * 1000 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss");
}

} // namespace

TrendChartView::TrendChartView(QWidget *parent)
    : QChartView(parent)
    , m_chart(new QChart)
    , m_timeAxis(new QDateTimeAxis(m_chart))
    , m_valueAxis(new QValueAxis(m_chart))
{
    setChart(m_chart);
    // A line one pixel wide reads well without antialiasing, which would cost each refresh
    // several times as much.
    setRenderHint(QPainter::Antialiasing, false);
    setRubberBand(QChartView::HorizontalRubberBand);
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->legend()->hide();
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_chart->setBackgroundRoundness(0);
    m_timeAxis->setTickCount(5);
    m_valueAxis->setTickCount(5);
    m_valueAxis->setLabelFormat(QStringLiteral("%.4g"));
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_valueAxis, Qt::AlignLeft);
    // Only the chart's own zoom moves the time axis without the window asking.
    connect(m_timeAxis, &QDateTimeAxis::rangeChanged, this, &TrendChartView::userRangeChanged);
    stretch(0);
    setTimeRange(0, 1);
}

QLineSeries *TrendChartView::stretch(int index)
{
    while (int(m_stretches.size()) <= index) {
        auto *series = new QLineSeries(m_chart);
        QPen pen(palette().color(QPalette::WindowText));
        pen.setWidth(1);
        pen.setCosmetic(true);
        series->setPen(pen);
        m_chart->addSeries(series);
        series->attachAxis(m_timeAxis);
        series->attachAxis(m_valueAxis);
        m_stretches.push_back(series);
    }
    return m_stretches[std::size_t(index)];
}

void TrendChartView::setScale(const TrendScale &scale)
{
    m_scale = scale;
    m_chart->setTitle(scale.caption);
    m_low = scale.minimum;
    m_high = scale.maximum;
    m_valueAxis->setRange(m_low, m_high);
    for (QAreaSeries *band : m_bands) {
        m_chart->removeSeries(band);
        delete band;
    }
    m_bands.clear();
    for (const TrendScale::Band &band : scale.bands) {
        auto *area = new QAreaSeries(m_chart);
        area->setUpperSeries(new QLineSeries(area));
        area->setLowerSeries(new QLineSeries(area));
        QColor fill = band.color;
        fill.setAlpha(bandAlpha);
        area->setBrush(fill);
        area->setPen(Qt::NoPen);
        m_chart->addSeries(area);
        area->attachAxis(m_timeAxis);
        area->attachAxis(m_valueAxis);
        m_bands.push_back(area);
    }
    // Series draw in the order they were added: the line goes back on top of the bands.
    for (QLineSeries *series : m_stretches) {
        m_chart->removeSeries(series);
        m_chart->addSeries(series);
        series->attachAxis(m_timeAxis);
        series->attachAxis(m_valueAxis);
    }
    placeBands();
}

void TrendChartView::includeValues(double low, double high)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        return;
    m_low = std::min(m_scale.minimum, low);
    m_high = std::max(m_scale.maximum, high);
    if (!(m_high > m_low))
        m_high = m_low + 1.0;
    m_valueAxis->setRange(m_low, m_high);
}

void TrendChartView::setTimeRange(qint64 from, qint64 to)
{
    to = std::max(to, from + 1);
    const bool changed = from != m_from || to != m_to;
    m_from = from;
    m_to = to;
    if (changed) {
        m_settingRange = true;
        m_timeAxis->setFormat(timeFormat(to - from));
        m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(from),
                             QDateTime::fromMSecsSinceEpoch(to));
        m_settingRange = false;
        placeBands();
    }
    // The chart's zoom may have moved the value axis a little; the scale is what it shows.
    if (m_valueAxis->min() != m_low || m_valueAxis->max() != m_high)
        m_valueAxis->setRange(m_low, m_high);
}

void TrendChartView::placeBands()
{
    const auto from = qreal(m_from), to = qreal(m_to);
    for (std::size_t i = 0; i < m_bands.size(); ++i) {
        const TrendScale::Band &band = m_scale.bands[qsizetype(i)];
        m_bands[i]->lowerSeries()->replace({{from, band.low}, {to, band.low}});
        m_bands[i]->upperSeries()->replace({{from, band.high}, {to, band.high}});
    }
}

void TrendChartView::setTrace(const TrendTrace &trace)
{
    // Beyond the last stretch allowed, the rest of the line is drawn as one.
    const qsizetype stretches = std::min<qsizetype>(trace.breaks.size() + 1, maxStretches);
    // A needle beyond its scale is drawn at the chart's edge rather than at a distance that
    // the painter cannot hold (a value may be infinite).
    const double margin = m_high - m_low;
    const double low = m_low - margin, high = m_high + margin;
    qsizetype begin = 0;
    for (qsizetype s = 0; s < stretches; ++s) {
        const qsizetype end = s + 1 < stretches ? trace.breaks[s] : trace.points.size();
        QList<QPointF> points = trace.points.sliced(begin, end - begin);
        for (QPointF &point : points)
            point.setY(std::clamp(point.y(), low, high));
        stretch(int(s))->replace(points);
        begin = end;
    }
    for (std::size_t s = std::size_t(stretches); s < m_stretches.size(); ++s)
        if (m_stretches[s]->count() > 0)
            m_stretches[s]->clear();
}

qsizetype TrendChartView::pointCount() const
{
    qsizetype count = 0;
    for (const QLineSeries *series : m_stretches)
        count += series->count();
    return count;
}

QList<QPointF> TrendChartView::linePoints() const
{
    QList<QPointF> points;
    for (const QLineSeries *series : m_stretches)
        points += series->points();
    return points;
}

int TrendChartView::stretchCount() const
{
    return int(std::count_if(m_stretches.begin(), m_stretches.end(),
                             [](const QLineSeries *series) { return series->count() > 0; }));
}

int TrendChartView::plotColumns() const
{
    const qreal width = m_chart->plotArea().width();
    return std::max(1, int(width > 0 ? width : qreal(viewport()->width())));
}

void TrendChartView::userRangeChanged()
{
    if (m_settingRange)
        return;
    const qint64 from = m_timeAxis->min().toMSecsSinceEpoch();
    const qint64 to = m_timeAxis->max().toMSecsSinceEpoch();
    // The chart zoomed itself; the window sets the range it takes on every chart.
    if (to > from)
        Q_EMIT zoomRequested(from, to);
}

void TrendChartView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        Q_EMIT zoomOutRequested();
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}
