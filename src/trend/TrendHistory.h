#pragma once

#include "TrendRing.h"

#include <QObject>
#include <array>
#include <functional>

class PanelCore;

// The recent history of the six needles, kept from the program's start so that the trend
// window, opened at any time, shows the minutes before it was opened.
//
// After each frame the panel has shown, it reads the six needles and appends them: a few
// reads and a copy, nothing that allocates. When the link stops being live, the next
// sample starts a new stretch of line.
class TrendHistory : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<qint64()>; // wall-clock milliseconds since the epoch

    explicit TrendHistory(PanelCore &panel, QObject *parent = nullptr);
    TrendHistory(PanelCore &panel, Clock clock, QObject *parent = nullptr);

    const TrendRing &ring() const { return m_ring; }
    qint64 now() const { return m_clock(); }

    // Takes the needles as they stand now; what a shown frame does.
    void sampleNeedles();
    // Takes these needle values as the next sample.
    void append(const std::array<double, 6> &needles);

Q_SIGNALS:
    // A sample was appended to the ring.
    void sampled();

private:
    void linkChanged();

    PanelCore &m_panel;
    Clock m_clock;
    TrendRing m_ring;
    bool m_gapPending = false;
};
