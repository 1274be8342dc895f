#pragma once

#include <QtGlobal>

// When the serial line has carried what was written to it. At 19200 baud, 8N1, a byte takes
// ten bit times: 1,920 bytes a second. Writing more than that only fills the transmit
// buffer, where the next poll's clear would throw it away.
class LinePace
{
public:
    static constexpr double bytesPerSecond = 19200.0 / 10.0;

    // `bytes` handed to the line at `now` (milliseconds, monotonic); they go out after
    // whatever is still on its way.
    void wrote(qint64 now, qsizetype bytes);
    // The first millisecond at which everything written so far is on the wire.
    qint64 freeAt() const;
    bool isFree(qint64 now) const { return now >= freeAt(); }

private:
    double m_busyUntil = 0; // milliseconds
};
