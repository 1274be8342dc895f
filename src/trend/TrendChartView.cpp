#include "TrendChartView.h"

#include "TrendLineItem.h"

#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

constexpr int valueTicks = 5;
// A time label says the seconds (the ticks fall where they fall, not on round minutes), so
// it is wide: three fit below a chart a third of the window wide without being cut short.
constexpr int timeTicks = 3;
// Above every series and axis of the chart.
constexpr qreal lineZValue = 1000;

QString timeFormat(qint64 span)
{
    return span >= 60LL * 60 * 1000 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss");
}

} // namespace

TrendChartView::TrendChartView(QWidget *parent)
    // Given at construction: a chart set later would leave the view's first one behind.
    : QChartView(new QChart, parent)
    , m_chart(chart())
    , m_timeAxis(new QDateTimeAxis(m_chart))
    , m_valueAxis(new QValueAxis(m_chart))
    , m_line(new TrendLineItem(m_chart))
{
    setRenderHint(QPainter::Antialiasing, false);
    setRubberBand(QChartView::HorizontalRubberBand);
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->legend()->hide();
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    // The view paints the theme's background as a plain fill; the chart's own background
    // is a path filled again at every repaint.
    setBackgroundBrush(m_chart->backgroundBrush());
    m_chart->setBackgroundVisible(false);
    m_timeAxis->setTickCount(timeTicks);
    m_valueAxis->setTickCount(valueTicks);
    m_valueAxis->setLabelFormat(QStringLiteral("%.4g"));
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_valueAxis, Qt::AlignLeft);
    // The line item draws the grid, in the colour the chart's theme gave it. Lines of zero width
    // are drawn one pixel wide, as those of width one, but the scene finds their extent without
    // stroking each as a path at every repaint.
    m_line->setGrid(timeTicks, valueTicks, m_valueAxis->gridLineColor());
    for (QAbstractAxis *axis :
         {static_cast<QAbstractAxis *>(m_timeAxis), static_cast<QAbstractAxis *>(m_valueAxis)}) {
        axis->setGridLineVisible(false);
        axis->setMinorGridLineVisible(false);
        for (auto [get, set] :
             {std::pair{&QAbstractAxis::linePen, &QAbstractAxis::setLinePen},
              {&QAbstractAxis::gridLinePen, &QAbstractAxis::setGridLinePen},
              {&QAbstractAxis::minorGridLinePen, &QAbstractAxis::setMinorGridLinePen},
              {&QAbstractAxis::shadesPen, &QAbstractAxis::setShadesPen}}) {
            QPen pen = (axis->*get)();
            pen.setWidth(0);
            (axis->*set)(pen);
        }
    }
    // The chart zooms what its series span: an empty one, so that zooming works although
    // the line and the bands are drawn by the line item.
    auto *anchor = new QLineSeries(m_chart);
    attach(anchor);
    // Nothing in the chart is antialiased, so a repaint need not reach past what changed.
    setOptimizationFlag(QGraphicsView::DontAdjustForAntialiasing);
    // The colour the chart's theme gives a line: the chart keeps its theme's background
    // whatever the desktop's colours are.
    m_line->setPen(QPen(anchor->color(), 0));
    m_line->setZValue(lineZValue);
    connect(m_chart, &QChart::plotAreaChanged, this, &TrendChartView::placeLine);
    // Only the chart's own zoom moves the time axis without the window asking.
    connect(m_timeAxis, &QDateTimeAxis::rangeChanged, this, &TrendChartView::userRangeChanged);
    setTimeRange(0, 1);
}

void TrendChartView::attach(QAbstractSeries *series)
{
    m_chart->addSeries(series);
    series->attachAxis(m_timeAxis);
    series->attachAxis(m_valueAxis);
}

void TrendChartView::setScale(const TrendScale &scale)
{
    m_scale = scale;
    m_chart->setTitle(scale.caption);
    m_low = scale.minimum;
    m_high = scale.maximum;
    m_valueAxis->setRange(m_low, m_high);
    m_line->setBands(scale.bands);
    placeLine();
}

void TrendChartView::includeValues(double low, double high)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        return;
    m_low = std::min(m_scale.minimum, low);
    m_high = std::max(m_scale.maximum, high);
    m_valueAxis->setRange(m_low, m_high);
    placeLine();
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
    }
    // The chart's zoom may have moved the value axis a little; the scale is what it shows.
    if (m_valueAxis->min() != m_low || m_valueAxis->max() != m_high)
        m_valueAxis->setRange(m_low, m_high);
    placeLine();
}

void TrendChartView::placeLine()
{
    m_line->setFrame(m_chart->plotArea(), m_from, m_to, m_low, m_high);
}

void TrendChartView::showSamples(const TrendSpan &samples, int channel, bool moreOfTheSame)
{
    const int columns = plotColumns();
    if (moreOfTheSame && m_traceFrom == m_from && m_traceTo == m_to && m_traceColumns == columns) {
        TrendTrace trace = m_line->trace();
        extendTrend(trace, samples, channel, m_from, m_to, columns);
        m_line->setTrace(std::move(trace));
        return;
    }
    m_traceFrom = m_from;
    m_traceTo = m_to;
    m_traceColumns = columns;
    m_line->setTrace(decimateTrend(samples, channel, m_from, m_to, columns));
}

bool TrendChartView::traceFits() const
{
    return m_traceFrom == m_from && m_traceTo == m_to && m_traceColumns == plotColumns();
}

QColor TrendChartView::lineColor() const
{
    return m_line->pen().color();
}

const TrendTrace &TrendChartView::trace() const
{
    return m_line->trace();
}

int TrendChartView::stretchCount() const
{
    return trace().points.isEmpty() ? 0 : int(trace().breaks.size()) + 1;
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
