#pragma once

#include "CommandFrames.h"
#include "PtyBoard.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSignalSpy>
#include <QString>
#include <algorithm>
#include <vector>

// The frames a spy on PtyBoard::frameReceived caught, without the status requests.
inline QList<QByteArray> commandFrames(const QSignalSpy &frames)
{
    QList<QByteArray> found;
    for (const QList<QVariant> &arguments : frames) {
        const QByteArray frame = arguments.at(0).toByteArray();
        if (frame != CommandFrames::statusRequest())
            found << frame;
    }
    return found;
}

// When each frame reached the board, for what the line carried over time.
class WireLog
{
public:
    explicit WireLog(PtyBoard &board)
    {
        m_clock.start();
        QObject::connect(&board, &PtyBoard::frameReceived, &m_context,
                         [this](const QByteArray &frame) {
                             m_arrivals.push_back({m_clock.elapsed(), frame.size(),
                                                   frame == CommandFrames::statusRequest()});
                         });
    }

    // The most bytes that arrived within any one second.
    qsizetype mostBytesInASecond() const
    {
        qsizetype most = 0;
        for (auto first = m_arrivals.begin(); first != m_arrivals.end(); ++first) {
            qsizetype bytes = 0;
            for (auto k = first; k != m_arrivals.end() && k->at < first->at + 1000; ++k)
                bytes += k->bytes;
            most = std::max(most, bytes);
        }
        return most;
    }

    // The longest time between two status requests, in milliseconds.
    qint64 longestPollGap() const
    {
        qint64 last = -1, longest = 0;
        for (const Arrival &arrival : m_arrivals) {
            if (!arrival.statusRequest)
                continue;
            if (last >= 0)
                longest = std::max(longest, arrival.at - last);
            last = arrival.at;
        }
        return longest;
    }

    // Why what the line carried breaks its rules, or nothing: never more in any second than
    // 19200 8N1 carries, and the board asked for its state all along, a command holding the
    // poll back by one interval at most.
    QString pacingProblem(int pollIntervalMs) const
    {
        if (const qsizetype most = mostBytesInASecond(); most > 1920)
            return QStringLiteral("%1 bytes in one second").arg(most);
        if (const qint64 gap = longestPollGap(); gap >= 3 * pollIntervalMs)
            return QStringLiteral("no status request for %1 ms").arg(gap);
        return {};
    }

private:
    struct Arrival
    {
        qint64 at;
        qsizetype bytes;
        bool statusRequest;
    };
    QObject m_context;
    QElapsedTimer m_clock;
    std::vector<Arrival> m_arrivals;
};
