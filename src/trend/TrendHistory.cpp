#include "TrendHistory.h"

#include "PanelCore.h"

#include <QDateTime>

TrendHistory::TrendHistory(PanelCore &panel, QObject *parent)
    : TrendHistory(panel, &QDateTime::currentMSecsSinceEpoch, parent)
{}

TrendHistory::TrendHistory(PanelCore &panel, Clock clock, QObject *parent)
    : QObject(parent)
    , m_panel(panel)
    , m_clock(std::move(clock))
{
    connect(&panel, &PanelCore::frameShown, this, &TrendHistory::sampleNeedles);
    connect(&panel, &PanelCore::linkChanged, this, &TrendHistory::linkChanged);
}

void TrendHistory::sampleNeedles()
{
    append(m_panel.state().meters);
}

void TrendHistory::append(const std::array<double, 6> &needles)
{
    TrendSample sample;
    sample.msecsSinceEpoch = m_clock();
    for (std::size_t m = 0; m < sample.values.size(); ++m)
        sample.values[m] = trendValue(needles[m]);
    sample.gapBefore = m_gapPending;
    m_gapPending = false;
    m_ring.append(sample);
    Q_EMIT sampled();
}

void TrendHistory::linkChanged()
{
    if (m_panel.link().state() != LinkState::State::Live)
        m_gapPending = true;
}
