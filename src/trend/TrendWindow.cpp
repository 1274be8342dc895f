#include "TrendWindow.h"

#include "AGauge.h"
#include "TrendChartView.h"
#include "TrendHistory.h"

#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>

namespace {

constexpr int channelCount = TrendSample::channelCount;
// Zooming in stops at a stretch this short.
constexpr qint64 narrowestZoomMs = 100;

// The lowest and highest finite value of a channel in a recording.
std::pair<double, double> extentOf(const std::vector<TrendSample> &samples, int channel)
{
    double low = INFINITY, high = -INFINITY;
    for (const TrendSample &sample : samples) {
        const double value = sample.values[std::size_t(channel)];
        if (std::isfinite(value)) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    return {low, high};
}

} // namespace

qint64 TrendWindow::spanMs(Span span)
{
    switch (span) {
    case Span::OneMinute:
        return 60'000;
    case Span::TenMinutes:
        return 10 * 60'000;
    case Span::OneHour:
        return 60 * 60'000;
    case Span::EightHours:
        return 8 * 60 * 60'000;
    }
    return 10 * 60'000;
}

TrendWindow::TrendWindow(TrendHistory &history, const Gauges &gauges, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_history(history)
    , m_gauges(gauges)
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("TrendWindow"));
    setWindowTitle(tr("Tarnwick Trends"));
    buildControls();
    connect(m_timer, &QTimer::timeout, this, &TrendWindow::refresh);
    resize(960, 600);
    updateControls();
}

TrendWindow::~TrendWindow()
{
    // A recording still being read is left to finish; nothing waits for it here.
    if (m_reading)
        m_reading->disconnect(this);
}

void TrendWindow::buildControls()
{
    m_spanBox = new QComboBox(this);
    m_spanBox->setObjectName(QStringLiteral("spanBox"));
    m_spanBox->addItems({tr("1 min"), tr("10 min"), tr("1 h"), tr("8 h")});
    m_spanBox->setCurrentIndex(int(m_span));
    m_spanBox->setAccessibleName(tr("Span"));
    connect(m_spanBox, &QComboBox::activated, this, [this](int index) { setSpan(Span(index)); });

    m_pauseButton = new QPushButton(tr("&Pause"), this);
    m_pauseButton->setObjectName(QStringLiteral("cmdPause"));
    connect(m_pauseButton, &QPushButton::clicked, this, [this] { setPaused(m_following); });
    m_openButton = new QPushButton(tr("&Open Recording..."), this);
    m_openButton->setObjectName(QStringLiteral("cmdOpenRecording"));
    connect(m_openButton, &QPushButton::clicked, this, &TrendWindow::askForRecording);
    m_liveButton = new QPushButton(tr("&Live"), this);
    m_liveButton->setObjectName(QStringLiteral("cmdLive"));
    connect(m_liveButton, &QPushButton::clicked, this, &TrendWindow::showLive);
    m_exportButton = new QPushButton(tr("&Export PNG..."), this);
    m_exportButton->setObjectName(QStringLiteral("cmdExportPng"));
    connect(m_exportButton, &QPushButton::clicked, this, &TrendWindow::askForExport);
    m_sourceLabel = new QLabel(this);
    m_sourceLabel->setObjectName(QStringLiteral("lblSource"));

    auto *spanLabel = new QLabel(tr("&Span:"), this);
    spanLabel->setBuddy(m_spanBox);

    auto *controls = new QHBoxLayout;
    controls->addWidget(spanLabel);
    controls->addWidget(m_spanBox);
    controls->addWidget(m_pauseButton);
    controls->addWidget(m_openButton);
    controls->addWidget(m_liveButton);
    controls->addWidget(m_exportButton);
    controls->addWidget(m_sourceLabel, 1);

    m_chartsArea = new QWidget(this);
    m_chartsArea->setObjectName(QStringLiteral("charts"));
    auto *grid = new QGridLayout(m_chartsArea);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    for (int m = 0; m < channelCount; ++m) {
        auto *view = new TrendChartView(m_chartsArea);
        view->setObjectName(QStringLiteral("chart_%1").arg(m));
        view->setMeterNumber(m + 1);
        grid->addWidget(view, m / 3, m % 3);
        connect(view, &TrendChartView::zoomRequested, this, &TrendWindow::zoomTo);
        connect(view, &TrendChartView::zoomOutRequested, this, &TrendWindow::zoomOut);
        m_charts[std::size_t(m)] = view;
    }

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_chartsArea, 1);
}

void TrendWindow::showAndRaise()
{
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void TrendWindow::reloadScales()
{
    applyScales(false);
}

void TrendWindow::applyScales(bool always)
{
    for (int m = 0; m < channelCount; ++m) {
        TrendScale scale = readTrendScale(*m_gauges[std::size_t(m)]);
        if (m_recording)
            scale.caption = m_recording->captions[std::size_t(m)];
        TrendChartView *view = m_charts[std::size_t(m)];
        if (!always && view->scale() == scale)
            continue;
        view->setScale(scale);
        if (m_recording) {
            const auto [low, high] = m_recordingExtent[std::size_t(m)];
            view->includeValues(low, high);
        }
    }
}

void TrendWindow::refresh()
{
    reloadScales();
    // Paused, the live charts stand as they were: newer samples show once resumed.
    if (!m_recording && !m_following)
        return;
    if (!m_recording) {
        // The time axis moves on by 1/leadShare of the span when the newest sample reaches its
        // end, not with each redraw: while it stands, a redraw paints only the line's new
        // end instead of six whole charts.
        const qint64 now = m_history.now(), span = spanMs(m_span);
        const bool moved = m_viewTo - m_viewFrom != span || now > m_viewTo || now < m_viewFrom;
        if (moved) {
            m_viewTo = now + span / leadShare;
            m_viewFrom = m_viewTo - span;
        }
        // Nothing new (a slow poll, a silent board), the axis where it was and the charts as
        // wide as they were: they show all there is already.
        if (!moved && m_liveShown && m_history.ring().appendCount() == m_drawnAppends &&
            std::all_of(m_charts.begin(), m_charts.end(),
                        [](const TrendChartView *view) { return view->traceFits(); }))
            return;
    }
    draw();
}

void TrendWindow::draw()
{
    const TrendSpan samples =
        m_recording ? TrendSpan{std::span<const TrendSample>(m_recording->samples), {}}
                    : m_history.ring().all();
    for (int m = 0; m < channelCount; ++m) {
        TrendChartView *view = m_charts[std::size_t(m)];
        view->setTimeRange(m_viewFrom, m_viewTo);
        view->showSamples(samples, m, m_recording == nullptr && m_liveShown);
    }
    m_liveShown = m_recording == nullptr;
    m_drawnAppends = m_history.ring().appendCount();
}

void TrendWindow::setSpan(Span span)
{
    m_span = span;
    m_spanBox->setCurrentIndex(int(span));
    if (!m_recording)
        m_following = true;
    updateControls();
    refresh();
}

void TrendWindow::setPaused(bool paused)
{
    if (m_recording)
        return;
    m_following = !paused;
    updateControls();
    if (m_following)
        refresh();
}

int TrendWindow::refreshInterval() const
{
    // One pixel column of time: a redraw sooner would move the line by less than a pixel.
    const qint64 column = spanMs(m_span) / std::max(1, m_charts[0]->plotColumns());
    return int(std::clamp<qint64>(column, fastestRefreshMs, spanMs(Span::EightHours)));
}

bool TrendWindow::isRefreshing() const
{
    return m_timer->isActive();
}

void TrendWindow::updateTimer()
{
    const bool wanted = isVisible() && !isMinimized() && !m_recording && m_following;
    if (!wanted) {
        m_timer->stop();
        return;
    }
    const int interval = refreshInterval();
    if (!m_timer->isActive() || m_timer->interval() != interval)
        m_timer->start(interval);
}

void TrendWindow::updateControls()
{
    const bool live = !m_recording;
    m_spanBox->setEnabled(live);
    m_pauseButton->setEnabled(live);
    m_pauseButton->setText(live && !m_following ? tr("&Resume") : tr("&Pause"));
    m_liveButton->setEnabled(!live);
    m_openButton->setEnabled(!m_reading);
    if (m_reading)
        m_sourceLabel->setText(tr("Reading %1...").arg(readingName()));
    else if (!live)
        m_sourceLabel->setText(recordingSummary());
    else
        m_sourceLabel->setText(m_following ? tr("Live") : tr("Live, paused"));
    updateTimer();
}

QString TrendWindow::recordingSummary() const
{
    QString summary =
        tr("Recording %1: %2 samples").arg(m_recordingName).arg(m_recording->samples.size());
    if (m_recording->skippedRows > 0)
        summary += tr(", %1 rows that could not be read").arg(m_recording->skippedRows);
    if (m_recording->truncated)
        summary += tr(", the rest of the file not read (too long)");
    if (!m_recording->damage.isEmpty())
        summary += tr(", the rest of the file damaged");
    if (!m_recording->fileProblems.isEmpty())
        summary +=
            tr(", %n file(s) not shown in full", nullptr, int(m_recording->fileProblems.size()));
    return summary;
}

QString TrendWindow::readingName() const
{
    if (m_readingPaths.size() == 1)
        return QFileInfo(m_readingPaths.first()).fileName();
    QStringList names;
    for (const QString &path : m_readingPaths)
        names << QFileInfo(path).fileName();
    names.sort();
    return tr("%1 ... %2 (%3 files)").arg(names.first(), names.last()).arg(names.size());
}

void TrendWindow::zoomTo(qint64 from, qint64 to)
{
    if (to - from < narrowestZoomMs) {
        const qint64 middle = from + (to - from) / 2;
        from = middle - narrowestZoomMs / 2;
        to = from + narrowestZoomMs;
    }
    m_viewFrom = from;
    m_viewTo = to;
    if (!m_recording)
        m_following = false;
    updateControls();
    draw();
}

void TrendWindow::zoomOut()
{
    qint64 first = 0, last = 1;
    if (m_recording) {
        if (m_recording->samples.empty())
            return;
        first = m_recording->samples.front().msecsSinceEpoch;
        last = m_recording->samples.back().msecsSinceEpoch;
    } else {
        last = m_history.now();
        first = last - TrendRing::maxAgeMs;
    }
    const qint64 width = m_viewTo - m_viewFrom;
    qint64 from = m_viewFrom - width / 2, to = m_viewTo + width / 2;
    if (to - from >= last - first) {
        from = first;
        to = last;
    } else if (from < first) {
        to += first - from;
        from = first;
    } else if (to > last) {
        from -= to - last;
        to = last;
    }
    zoomTo(from, to);
}

void TrendWindow::askForRecording()
{
    // Several at once: a week is seven day files.
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, tr("Open Recording"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        tr("Recordings (*.csv *.csv.gz);;All files (*)"));
    if (!paths.isEmpty())
        openRecordings(paths);
}

void TrendWindow::openRecording(const QString &path)
{
    openRecordings({path});
}

void TrendWindow::openRecordings(const QStringList &paths)
{
    if (m_reading || paths.isEmpty())
        return;
    m_readingPaths = paths;
    m_reading = new QFutureWatcher<TrendRecording>(this);
    connect(m_reading, &QFutureWatcher<TrendRecording>::finished, this,
            &TrendWindow::recordingRead);
    // Large files take a while to read; the window and the poll go on meanwhile.
    m_reading->setFuture(QtConcurrent::run([paths] { return readTrendFiles(paths); }));
    updateControls();
}

void TrendWindow::recordingRead()
{
    TrendRecording recording = m_reading->result();
    m_reading->deleteLater();
    m_reading = nullptr;
    const QString name = readingName();
    if (!recording.error.isEmpty()) {
        updateControls();
        const QString reasons = recording.fileProblems.isEmpty()
                                    ? recording.error
                                    : recording.fileProblems.join(QLatin1Char('\n'));
        showProblem(tr("%1 cannot be shown as a recording.").arg(name), reasons);
        Q_EMIT recordingFailed(recording.error);
        return;
    }
    // Shown, but not all of it: the user hears which file and why.
    QStringList problems = recording.fileProblems;
    if (!recording.damage.isEmpty())
        problems << tr("%1: %2 The rows before that are shown.").arg(name, recording.damage);
    m_recording = std::make_unique<TrendRecording>(std::move(recording));
    m_recordingName = name;
    for (int m = 0; m < channelCount; ++m)
        m_recordingExtent[std::size_t(m)] = extentOf(m_recording->samples, m);
    if (m_recording->samples.empty()) {
        m_viewTo = m_history.now();
        m_viewFrom = m_viewTo - spanMs(m_span);
    } else {
        m_viewFrom = m_recording->samples.front().msecsSinceEpoch;
        m_viewTo = m_recording->samples.back().msecsSinceEpoch;
    }
    updateControls();
    applyScales(true);
    draw();
    if (!problems.isEmpty())
        showProblem(tr("%1 is not shown in full.").arg(name), problems.join(QLatin1Char('\n')));
    Q_EMIT recordingShown();
}

void TrendWindow::showLive()
{
    m_recording.reset();
    m_following = true;
    updateControls();
    applyScales(true);
    refresh();
}

bool TrendWindow::exportPng(const QString &path, QString *error)
{
    QImageWriter writer(path, "png");
    if (writer.write(m_chartsArea->grab().toImage()))
        return true;
    if (error)
        *error = writer.errorString();
    return false;
}

void TrendWindow::askForExport()
{
    const QString suggested =
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) +
        QStringLiteral("/Tarnwick trends %1.png")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HHmmss")));
    QString path =
        QFileDialog::getSaveFileName(this, tr("Export PNG"), suggested, tr("PNG images (*.png)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    QString error;
    if (!exportPng(path, &error))
        showProblem(tr("The charts could not be saved as %1.").arg(QDir::toNativeSeparators(path)),
                    error);
}

void TrendWindow::showProblem(const QString &text, const QString &informative)
{
    // Not run modally here: the live charts and the monitor go on while it is open.
    auto *box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("trendProblem"));
    box->setInformativeText(informative);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TrendWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
    updateTimer();
    // Once laid out, the charts know their width in pixel columns.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            refresh();
        updateTimer();
    });
}

void TrendWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateTimer();
}

void TrendWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const bool wasRefreshing = m_timer->isActive();
    updateTimer();
    if (!wasRefreshing && m_timer->isActive())
        refresh();
}
