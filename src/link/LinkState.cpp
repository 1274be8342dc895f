#include "LinkState.h"

#include <algorithm>

qint64 LinkState::liveWindow(int pollIntervalMs)
{
    return std::max<qint64>(3 * qint64(pollIntervalMs), 1000);
}

void LinkState::frameArrived(qint64 now)
{
    if (m_state != State::Live)
        m_since = now;
    m_state = State::Live;
    m_lastFrame = now;
    m_answered = true;
}

void LinkState::portLost(qint64 now)
{
    if (m_state == State::Lost)
        return;
    m_state = State::Lost;
    m_since = now;
}

void LinkState::portReopened(qint64 now)
{
    if (m_state != State::Lost)
        return;
    // Back to where a board that has not answered on this device stands: silent since the
    // device came back, or never heard at all.
    m_state = m_answered ? State::NoReply : State::Never;
    m_since = m_answered ? now : 0;
}

bool LinkState::update(qint64 now, int pollIntervalMs)
{
    if (m_state != State::Live || now - m_lastFrame <= liveWindow(pollIntervalMs))
        return false;
    m_state = State::NoReply;
    m_since = m_lastFrame;
    return true;
}

const char *linkStateName(LinkState::State state)
{
    switch (state) {
    case LinkState::State::Live:
        return "live";
    case LinkState::State::NoReply:
        return "no-reply";
    case LinkState::State::Lost:
        return "lost";
    case LinkState::State::Never:
        break;
    }
    return "never";
}
