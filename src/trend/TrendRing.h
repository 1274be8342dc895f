#pragma once

#include "TrendSample.h"

#include <span>
#include <vector>

// Samples in time order, seen through at most two contiguous pieces: what a ring that has
// wrapped holds, or one piece of a recording read from a file.
struct TrendSpan
{
    std::span<const TrendSample> head;
    std::span<const TrendSample> tail;

    std::size_t size() const { return head.size() + tail.size(); }
    bool empty() const { return size() == 0; }
    const TrendSample &operator[](std::size_t index) const
    {
        return index < head.size() ? head[index] : tail[index - head.size()];
    }
};

// The recent history of the analog channels: a bounded ring of samples in time order.
//
// Its storage is reserved once, at construction, and an append only fills or overwrites a
// slot, so the poll never waits for the allocator. The reserved pages become memory the
// program holds only as samples fill them: a panel that has run ten minutes holds ten
// minutes. The ring keeps as many samples as eight hours at the fastest poll interval bring,
// and drops older ones as new ones arrive.
class TrendRing
{
public:
    static constexpr qint64 maxAgeMs = 8LL * 60 * 60 * 1000;
    static constexpr int fastestPollMs = 180;
    static constexpr std::size_t defaultCapacity = std::size_t(maxAgeMs / fastestPollMs);

    explicit TrendRing(std::size_t capacity = defaultCapacity, qint64 maxAge = maxAgeMs);

    // Appends a sample. Its time is held at least at the newest one's, so the ring stays in
    // time order when the wall clock is set back. Samples older than the age limit before
    // it are dropped, and the oldest one when the ring is full.
    void append(const TrendSample &sample);
    void clear();

    std::size_t size() const { return m_size; }
    // Samples appended since the ring was made, dropped ones included: what tells a reader
    // that something new came.
    quint64 appendCount() const { return m_appendCount; }
    std::size_t capacity() const { return m_capacity; }
    bool empty() const { return m_size == 0; }
    const TrendSample &oldest() const { return at(0); }
    const TrendSample &newest() const { return at(m_size - 1); }

    // Every sample, oldest first.
    TrendSpan all() const;
    // The samples taken from `from` to `to`, both included.
    TrendSpan range(qint64 from, qint64 to) const;

    // What the ring's storage takes once it is full.
    std::size_t memoryBytes() const
    {
        return sizeof(*this) + m_slots.capacity() * sizeof(TrendSample);
    }

private:
    const TrendSample &at(std::size_t index) const;
    void dropOldest();

    std::vector<TrendSample> m_slots; // grows up to m_capacity, then is written round
    std::size_t m_capacity;
    qint64 m_maxAge;
    std::size_t m_first = 0;
    std::size_t m_size = 0;
    quint64 m_appendCount = 0;
};

// The samples of a piece of `samples` (oldest first) from `from` to `to`, both included.
TrendSpan trendRange(const TrendSpan &samples, qint64 from, qint64 to);
