#pragma once

// A monitor window over fakes with a trend history beside it, both on clocks the test
// moves: the poll's (monotonic) and the history's (wall clock).
#include "AGauge.h"
#include "MonitorFixture.h"
#include "TrendHistory.h"

#include <QTimer>
#include <memory>

namespace TrendTest {

// 13:45:00 local time on a day in December.
inline const qint64 startOfDay = QDateTime(QDate(2026, 12, 9), QTime(13, 45)).toMSecsSinceEpoch();

struct Rig
{
    MonitorFixture monitor;
    qint64 pollNow = 100'000;
    qint64 wallNow = startOfDay;
    std::unique_ptr<TrendHistory> history;

    frmMonitor &window() { return *monitor.window; }
    AGauge &gauge(int m) { return *window().w.AGauge1[std::size_t(m)]; }

    // Loads the window (the poll's timer stopped: the test ticks) and starts the history.
    void start()
    {
        monitor.load();
        window().poll().Timer1->stop();
        window().poll().setClock([this] { return pollNow; });
        history = std::make_unique<TrendHistory>(window().core(), [this] { return wallNow; });
    }

    // Sets the needles by hand and takes a sample, as a shown frame does.
    void sample(qint64 wallTime, const std::array<double, 6> &needles)
    {
        wallNow = wallTime;
        for (int m = 0; m < 6; ++m)
            gauge(m).setNeedleValue(needles[std::size_t(m)]);
        history->append(needles);
    }

    // One poll tick that reads `frame` as the board's reply.
    void tick(const QByteArray &frame)
    {
        monitor.port.receive(frame);
        window().poll().Timer1_Timer();
    }
};

} // namespace TrendTest
