#include "TrendChartView.h"

#include "RecordCsv.h"
#include "TrendLineItem.h"
#include "TrendTicks.h"

#include <QCategoryAxis>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

// At most this many round numbers up the value axis: about one every 30 pixels of a chart
// in a window of the default size.
constexpr int mostValueTicks = 6;
// Above every series and axis of the chart.
constexpr qreal lineZValue = 1000;

} // namespace

TrendChartView::TrendChartView(QWidget *parent)
    // Given at construction: a chart set later would leave the view's first one behind.
    : QChartView(new QChart, parent)
    , m_chart(chart())
    , m_timeAxis(new QCategoryAxis(m_chart))
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
    // Ticks at round numbers and round times. A date-time axis only divides its range
    // evenly from its ends; a category axis holds ticks where they are put, each labelled
    // on its value, over the same milliseconds since the epoch.
    m_timeAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_valueAxis->setTickType(QValueAxis::TicksDynamic);
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_valueAxis, Qt::AlignLeft);
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
    connect(m_timeAxis, &QValueAxis::rangeChanged, this, &TrendChartView::userRangeChanged);
    setTimeRange(0, 1);
}

void TrendChartView::attach(QAbstractSeries *series)
{
    m_chart->addSeries(series);
    series->attachAxis(m_timeAxis);
    series->attachAxis(m_valueAxis);
}

void TrendChartView::setMeterNumber(int number)
{
    m_meterNumber = number;
    showTitle();
}

void TrendChartView::showTitle()
{
    // One text with the recording's column, so the chart and the file name a meter alike;
    // the chart is drawn, so a screen reader has only this name to go by.
    const QString title = RecordCsv::columnName(u"Meter", m_meterNumber, m_scale.caption);
    m_chart->setTitle(title);
    setAccessibleName(title);
}

void TrendChartView::setScale(const TrendScale &scale)
{
    m_scale = scale;
    showTitle();
    m_low = scale.minimum;
    m_high = scale.maximum;
    setValueRange(m_low, m_high);
    m_line->setBands(scale.bands);
    placeLine();
}

void TrendChartView::includeValues(double low, double high)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        return;
    m_low = std::min(m_scale.minimum, low);
    m_high = std::max(m_scale.maximum, high);
    setValueRange(m_low, m_high);
    placeLine();
}

void TrendChartView::setValueRange(double low, double high)
{
    m_valueAxis->setRange(low, high);
    const double step = TrendTicks::valueStep(low, high, mostValueTicks);
    m_valueTicks = TrendTicks::valueTicks(low, high, step);
    m_valueAxis->setTickAnchor(m_valueTicks.value(0, low));
    m_valueAxis->setTickInterval(step);
    m_valueAxis->setLabelFormat(TrendTicks::valueLabelFormat(low, high, step));
    updateGrid();
}

void TrendChartView::placeTimeTicks()
{
    const int width = plotColumns();
    if (m_ticksFrom == m_from && m_ticksTo == m_to && m_ticksWidth == width)
        return;
    m_ticksFrom = m_from;
    m_ticksTo = m_to;
    m_ticksWidth = width;
    const QTimeZone zone = QTimeZone::systemTimeZone();
    const QLocale locale;
    const QFontMetrics metrics(m_timeAxis->labelsFont());
    const int gap = 3 * metrics.horizontalAdvance(u'0');
    // As many ticks as their labels leave room for: from one more than the shortest labels
    // would leave room for, fewer until the labels the step gives fit (seconds and dates
    // make them wider). A step allows a tick at each end of the range, which a range
    // seldom has, so it often gives fewer ticks than it allows: each count is tried in turn.
    const int most = 2 + width / (metrics.horizontalAdvance(QStringLiteral("00:00")) + gap);
    QStringList labels;
    for (int ticks = most; ticks >= 2; --ticks) {
        const qint64 step = TrendTicks::timeStep(m_to - m_from, ticks);
        m_timeTicks = TrendTicks::timeTicks(m_from, m_to, step, zone);
        labels = TrendTicks::timeLabels(m_timeTicks, m_from, m_to, step, zone, locale);
        int widest = 0;
        for (const QString &label : labels)
            widest = std::max(widest, metrics.horizontalAdvance(label));
        // A label is centred on its tick, and right of the plot there is no room for half
        // of one: a tick that close to the end is left out.
        while (!m_timeTicks.isEmpty() &&
               double(m_to - m_timeTicks.last()) / double(m_to - m_from) * width < widest / 2.0) {
            m_timeTicks.removeLast();
            labels.removeLast();
        }
        if (labels.size() * (widest + gap) <= width)
            break;
    }
    for (const QString &label : m_timeAxis->categoriesLabels())
        m_timeAxis->remove(label);
    m_timeAxis->setStartValue(qreal(m_from));
    for (qsizetype i = 0; i < labels.size(); ++i)
        m_timeAxis->append(labels[i], qreal(m_timeTicks[i]));
    updateGrid();
}

void TrendChartView::updateGrid()
{
    // The line item draws the grid, in the colour the chart's theme gave it. Lines of zero
    // width are drawn one pixel wide, as those of width one, but the scene finds their
    // extent without stroking each as a path at every repaint.
    QList<double> times;
    for (const qint64 tick : m_timeTicks)
        times << double(tick);
    m_line->setGrid(times, m_valueTicks, m_valueAxis->gridLineColor());
}

void TrendChartView::setTimeRange(qint64 from, qint64 to)
{
    to = std::max(to, from + 1);
    const bool changed = from != m_from || to != m_to;
    m_from = from;
    m_to = to;
    if (changed) {
        m_settingRange = true;
        m_timeAxis->setRange(qreal(from), qreal(to));
        m_settingRange = false;
    }
    // The chart's zoom may have moved the value axis a little; the scale is what it shows.
    if (m_valueAxis->min() != m_low || m_valueAxis->max() != m_high)
        setValueRange(m_low, m_high);
    placeLine();
}

void TrendChartView::placeLine()
{
    placeTimeTicks();
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
    const qint64 from = std::llround(m_timeAxis->min());
    const qint64 to = std::llround(m_timeAxis->max());
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
