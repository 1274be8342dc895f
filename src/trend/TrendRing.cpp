#include "TrendRing.h"

#include <algorithm>
#include <limits>

TrendRing::TrendRing(std::size_t capacity, qint64 maxAge)
    : m_capacity(std::max<std::size_t>(capacity, 1))
    , m_maxAge(maxAge)
{
    m_slots.reserve(m_capacity);
}

void TrendRing::append(const TrendSample &sample)
{
    TrendSample kept = sample;
    if (m_size > 0)
        kept.msecsSinceEpoch = std::max(kept.msecsSinceEpoch, newest().msecsSinceEpoch);
    // The kept time is at least the oldest one's, so their distance fits an unsigned number
    // for any times at all.
    while (m_size > 0 &&
           quint64(kept.msecsSinceEpoch) - quint64(oldest().msecsSinceEpoch) > quint64(m_maxAge))
        dropOldest();
    if (m_size == m_capacity)
        dropOldest();
    // Slots are taken in turn, so the next one is either written already or the first one
    // never written.
    const std::size_t slot = (m_first + m_size) % m_capacity;
    if (slot == m_slots.size())
        m_slots.push_back(kept);
    else
        m_slots[slot] = kept;
    ++m_size;
    ++m_appendCount;
}

void TrendRing::clear()
{
    m_first = 0;
    m_size = 0;
}

void TrendRing::dropOldest()
{
    m_first = (m_first + 1) % m_capacity;
    --m_size;
}

const TrendSample &TrendRing::at(std::size_t index) const
{
    return m_slots[(m_first + index) % m_capacity];
}

TrendSpan TrendRing::all() const
{
    const std::span<const TrendSample> slots(m_slots);
    const std::size_t headSize = std::min(m_size, m_capacity - m_first);
    return {slots.subspan(m_first, headSize), slots.first(m_size - headSize)};
}

TrendSpan TrendRing::range(qint64 from, qint64 to) const
{
    return trendRange(all(), from, to);
}

namespace {

// The first sample in `samples` taken at `msecs` or later.
std::size_t firstAtOrAfter(const TrendSpan &samples, qint64 msecs)
{
    std::size_t low = 0, high = samples.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (samples[middle].msecsSinceEpoch < msecs)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

TrendSpan slice(const TrendSpan &samples, std::size_t begin, std::size_t end)
{
    const std::size_t headSize = samples.head.size();
    const std::size_t headBegin = std::min(begin, headSize), headEnd = std::min(end, headSize);
    const std::size_t tailBegin = std::max(begin, headSize) - headSize;
    const std::size_t tailEnd = std::max(end, headSize) - headSize;
    return {samples.head.subspan(headBegin, headEnd - headBegin),
            samples.tail.subspan(tailBegin, tailEnd - tailBegin)};
}

} // namespace

TrendSpan trendRange(const TrendSpan &samples, qint64 from, qint64 to)
{
    if (to < from)
        return {};
    const std::size_t begin = firstAtOrAfter(samples, from);
    const std::size_t end =
        to == std::numeric_limits<qint64>::max() ? samples.size() : firstAtOrAfter(samples, to + 1);
    return slice(samples, begin, end);
}
