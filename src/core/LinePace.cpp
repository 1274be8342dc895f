#include "LinePace.h"

#include <algorithm>
#include <cmath>

void LinePace::wrote(qint64 now, qsizetype bytes)
{
    m_busyUntil = std::max(m_busyUntil, double(now)) + double(bytes) * 1000.0 / bytesPerSecond;
}

qint64 LinePace::freeAt() const
{
    return qint64(std::ceil(m_busyUntil));
}
