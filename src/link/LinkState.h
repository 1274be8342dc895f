#pragma once

#include <QtGlobal>

// What the user is told about the link to the board, apart from the relay command's guard.
//
// The guard (the green lamp once lit) only says that the board has answered at least once.
// The user needs to know more: whether it still answers, and whether its device is there at
// all. This is that small state machine, with the time passed in by the caller.
class LinkState
{
public:
    enum class State {
        Never,   // no complete frame yet
        Live,    // a complete frame within the last liveWindow()
        NoReply, // answered once, but nothing complete for longer than that
        Lost,    // the device went away; it is being looked for again
    };

    // A frame counts as recent for three poll intervals, and never for less than a second.
    static qint64 liveWindow(int pollIntervalMs);

    // A complete status frame arrived at `now` (milliseconds, monotonic).
    void frameArrived(qint64 now);
    // The device behind the port went away at `now`.
    void portLost(qint64 now);
    // The device was opened again; the link is live once a frame arrives.
    void portReopened(qint64 now);
    // Brings the state up to `now`: a live link with no recent frame has stopped replying.
    // Returns true when the state changed.
    bool update(qint64 now, int pollIntervalMs);

    State state() const { return m_state; }
    // When the current state began: the last frame for NoReply (the board has been silent
    // since then), the loss for Lost, the first frame of this live run for Live.
    qint64 since() const { return m_since; }
    // The time of the last complete frame; meaningful once one arrived.
    qint64 lastFrame() const { return m_lastFrame; }
    bool hasAnswered() const { return m_answered; }

private:
    State m_state = State::Never;
    qint64 m_since = 0;
    qint64 m_lastFrame = 0;
    bool m_answered = false;
};

// The state's name as the control socket, the MQTT bridge and the recording write it:
// "never", "live", "no-reply", "lost".
const char *linkStateName(LinkState::State state);
