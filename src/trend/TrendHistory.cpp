#include "TrendHistory.h"

#include "AGauge.h"
#include "frmMonitor.h"

#include <QDateTime>

TrendHistory::TrendHistory(frmMonitor &window, QObject *parent)
    : TrendHistory(window, &QDateTime::currentMSecsSinceEpoch, parent)
{}

TrendHistory::TrendHistory(frmMonitor &window, Clock clock, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_clock(std::move(clock))
{
    StatusPoll &poll = window.poll();
    connect(&poll, &StatusPoll::frameShown, this, &TrendHistory::sampleNeedles);
    connect(&poll, &StatusPoll::linkChanged, this, &TrendHistory::linkChanged);
}

void TrendHistory::sampleNeedles()
{
    TrendSample sample;
    sample.msecsSinceEpoch = m_clock();
    for (std::size_t m = 0; m < sample.values.size(); ++m)
        sample.values[m] = trendValue(m_window.w.AGauge1[m]->needleValue());
    sample.gapBefore = m_gapPending;
    m_gapPending = false;
    m_ring.append(sample);
    Q_EMIT sampled();
}

void TrendHistory::linkChanged()
{
    if (m_window.poll().link().state() != LinkState::State::Live)
        m_gapPending = true;
}
