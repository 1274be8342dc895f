#pragma once

#include "TrendFile.h"

#include <QWidget>
#include <array>
#include <memory>

class AGauge;
class QComboBox;
class QLabel;
class QPushButton;
class QTimer;
template<typename T>
class QFutureWatcher;
class TrendChartView;
class TrendHistory;

// "Tarnwick Trends": the six channels over time, one chart each, from the live history or
// from a recording.
//
// Live, it follows the newest samples over the chosen span, redrawing at most once a
// second (and no more often than the span needs a pixel column of time), and not at all
// while hidden, minimised, paused or zoomed. Each redraw hands every chart at most two
// points a pixel column, so its cost does not grow with the samples in view.
class TrendWindow : public QWidget
{
    Q_OBJECT

public:
    enum class Span { OneMinute, TenMinutes, OneHour, EightHours };
    static qint64 spanMs(Span span);
    // Never redrawn more often than this while live. Each redraw has a cost of its own beside
    // the line it adds; at two seconds the shortest span adds less than a fifth to a tick
    // with every needle moving.
    static constexpr int fastestRefreshMs = 2000;
    // The time axis leaves this share of the span (1/leadShare) free ahead of the newest
    // sample when it moves on: half, so a move that redraws six whole charts comes every
    // half span.
    static constexpr qint64 leadShare = 2;

    // The six gauges whose captions, scales and bands the charts follow.
    using Gauges = std::array<AGauge *, 6>;

    TrendWindow(TrendHistory &history, const Gauges &gauges, QWidget *parent = nullptr);
    ~TrendWindow() override;

    // Shows the window, or brings it to the front when it is open already.
    void showAndRaise();
    // Reads the captions, scales and bands from the gauges again, e.g. once the setup
    // dialog has closed. Each redraw does it too; it costs a few reads of each gauge.
    void reloadScales();

    // Draws what the window shows now.
    void refresh();

    Span span() const { return m_span; }
    void setSpan(Span span);
    // Following the newest samples: live, not paused and not zoomed.
    bool isFollowing() const { return m_following; }
    void setPaused(bool paused);
    // How often the live charts are redrawn, in milliseconds.
    int refreshInterval() const;
    bool isRefreshing() const;

    // Reads the recording at `path` in the background and shows it in place of the live
    // history once read: recordingShown() or, with the reason, recordingFailed().
    void openRecording(const QString &path);
    // Reads several files (a week of day files, say) and shows them as one recording in
    // time order. Files that cannot be shown are named in a message while the others show.
    void openRecordings(const QStringList &paths);
    bool isShowingRecording() const { return m_recording != nullptr; }
    // Back to the live history, following its newest samples.
    void showLive();

    // Saves the charts as a PNG image at `path`. On failure, false with the reason in
    // `error`.
    bool exportPng(const QString &path, QString *error = nullptr);

    TrendChartView *chart(int channel) const { return m_charts.at(std::size_t(channel)); }
    QWidget *chartsArea() const { return m_chartsArea; }

Q_SIGNALS:
    void recordingShown();
    void recordingFailed(const QString &error);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildControls();
    void askForRecording();
    void askForExport();
    void recordingRead();
    void zoomTo(qint64 from, qint64 to);
    void zoomOut();
    void draw();
    // Takes the gauges' scales (and a recording's captions) onto the charts; `always`,
    // even onto charts that show them already.
    void applyScales(bool always);
    QString recordingSummary() const;
    // "day.csv", or "first.csv ... last.csv (7 files)".
    QString readingName() const;
    void updateControls();
    void updateTimer();
    void showProblem(const QString &text, const QString &informative);

    TrendHistory &m_history;
    Gauges m_gauges;
    Span m_span = Span::TenMinutes;
    bool m_following = true;
    // The charts show the live history (rather than a recording) since the last redraw.
    bool m_liveShown = false;
    // The history's appends that the charts show.
    quint64 m_drawnAppends = 0;
    qint64 m_viewFrom = 0;
    qint64 m_viewTo = 1;
    std::array<TrendChartView *, 6> m_charts{};
    std::unique_ptr<TrendRecording> m_recording;
    QString m_recordingName;
    std::array<std::pair<double, double>, 6> m_recordingExtent{};
    QFutureWatcher<TrendRecording> *m_reading = nullptr;
    QStringList m_readingPaths;

    QTimer *m_timer;
    QComboBox *m_spanBox = nullptr;
    QPushButton *m_pauseButton = nullptr;
    QPushButton *m_openButton = nullptr;
    QPushButton *m_liveButton = nullptr;
    QPushButton *m_exportButton = nullptr;
    QLabel *m_sourceLabel = nullptr;
    QWidget *m_chartsArea = nullptr;
};
