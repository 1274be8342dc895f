#pragma once

#include "LinkState.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <functional>
#include <optional>

class QTimer;
class SerialPort;

// What the poll hands each complete status frame to: the monitor window, which lights the
// link indicator, shows the frame, temperature and frequency, runs the decoders and sends
// changed analog outputs.
class StatusFrameHandler
{
public:
    virtual ~StatusFrameHandler() = default;
    virtual void showStatusFrame(const QByteArray &frame) = 0;
};

// The poll interval the timer takes for a stored "Meter Response": the whole milliseconds
// nearest to the number, kept within what the setup dialog offers (180..5000); 200 when the
// text held no number. A hand-edited value can never stop or flood the poll.
int effectivePollInterval(std::optional<double> milliseconds);

// The status poll and the relay command sequence: the only traffic on the serial line.
//
// Timer1 polls; each tick writes a status request and reads what arrived since the last
// one, normally the reply to the previous request. Timer3 is the 1 ms resume timer that a
// relay command starts, so the poll restarts with a full interval after the command.
class StatusPoll : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<qint64()>; // milliseconds, monotonic

    StatusPoll(SerialPort &port, StatusFrameHandler &handler, QObject *parent = nullptr);

    QTimer *const Timer1;
    QTimer *const Timer3;

    void Timer1_Timer();
    void Timer3_Timer();

    // Runs the relay command sequence with a body that gives the relay-bank frames to
    // write, in order. Returns false when the guard refused the command (no complete
    // status frame yet, or the previous command is still waiting for its resume tick).
    using RelayCommandBody = std::function<QList<QByteArray>()>;
    bool RunRelayCommand(const RelayCommandBody &body);

    // The last complete status frame; empty until the first one.
    const QByteArray &A() const { return m_lastFrame; }

    // Status requests written so far, and the one the last complete frame answers: the
    // request of the tick before the one that read it. A frame answers a command only when
    // it was requested after the command was written.
    quint64 requestsWritten() const { return m_requestsWritten; }
    quint64 frameAnswers() const { return m_frameAnswers; }

    // Lit by the first complete status frame; nothing puts it out again. This is the relay
    // command's guard; what the user is told about the link is link().
    bool linkLit() const { return m_linkLit; }

    // Whether the board answers now, brought up to date at every tick.
    const LinkState &link() const { return m_link; }
    qint64 now() const { return m_clock(); }

    // The interval Timer1 takes at its next tick, in milliseconds.
    void setPollInterval(int milliseconds) { m_interval = milliseconds; }
    int pollInterval() const { return m_interval; }

    // A port that lost its device is reopened by the poll at most this often.
    static constexpr qint64 reopenSpacingMs = 1000;
    void setClock(Clock clock) { m_clock = std::move(clock); }

Q_SIGNALS:
    // The link's state, the time it began, or the reason the port is not open changed.
    void linkChanged();
    // A complete status frame was handed to the handler, which has shown it.
    void frameShown(const QByteArray &frame);
    // A relay command passed its guard and wrote these relay-bank frames (none for a body
    // that wrote nothing).
    void relayFramesWritten(const QList<QByteArray> &frames);

private:
    void poll(qint64 now);
    // True when the port is open, after quietly trying to reopen one that was lost.
    bool ensureOpen(qint64 now);

    SerialPort &m_port;
    StatusFrameHandler &m_handler;
    QByteArray m_lastFrame;
    quint64 m_requestsWritten = 0;
    quint64 m_frameAnswers = 0;
    bool m_linkLit = false;
    LinkState m_link;
    int m_interval = 200;
    Clock m_clock;
    std::optional<qint64> m_lastReopenAttempt;
};

// Enables or disables a timer the way the window system's timers behave: enabling a running
// timer leaves its countdown alone, enabling a stopped one starts a full interval.
void setTimerEnabled(QTimer *timer, bool enabled);
