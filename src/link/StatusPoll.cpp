#include "StatusPoll.h"

#include "CommandFrames.h"
#include "PortProblem.h"
#include "SerialPort.h"
#include "StatusFrame.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cmath>

int effectivePollInterval(std::optional<double> milliseconds)
{
    constexpr int fallback = 200, lowest = 180, highest = 5000;
    if (!milliseconds || std::isnan(*milliseconds))
        return fallback;
    return static_cast<int>(
        std::clamp(std::nearbyint(*milliseconds), double(lowest), double(highest)));
}

void setTimerEnabled(QTimer *timer, bool enabled)
{
    if (!enabled)
        timer->stop();
    else if (!timer->isActive())
        timer->start();
}

StatusPoll::StatusPoll(SerialPort &port, StatusFrameHandler &handler, QObject *parent)
    : QObject(parent)
    , Timer1(new QTimer(this))
    , Timer3(new QTimer(this))
    , m_port(port)
    , m_handler(handler)
    , m_clock([] {
        static QElapsedTimer started = [] {
            QElapsedTimer t;
            t.start();
            return t;
        }();
        return started.elapsed();
    })
{
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer1->setInterval(100);
    Timer3->setInterval(1);
    // A coarse timer may fire up to 5 % early, which would poll faster than the setup allows.
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer3->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &StatusPoll::Timer1_Timer);
    connect(Timer3, &QTimer::timeout, this, &StatusPoll::Timer3_Timer);
    // Both exist enabled, as the window's timers do when it is created.
    Timer1->start();
    Timer3->start();
}

void StatusPoll::Timer1_Timer()
{
    const qint64 now = m_clock();
    const LinkState::State stateBefore = m_link.state();
    const qint64 sinceBefore = m_link.since();
    const PortProblem problemBefore = m_port.lastProblem();
    poll(now);
    if (m_port.isLost())
        m_link.portLost(now);
    m_link.update(now, m_interval);
    if (m_link.state() != stateBefore || m_link.since() != sinceBefore ||
        m_port.lastProblem() != problemBefore)
        Q_EMIT linkChanged();
}

void StatusPoll::poll(qint64 now)
{
    if (!ensureOpen(now))
        return;
    m_port.clearOutput();
    if (Timer1->interval() != m_interval)
        Timer1->setInterval(m_interval);
    if (!m_port.write(CommandFrames::statusRequest()))
        return;
    ++m_requestsWritten;

    // What arrived before the request: normally the reply to the previous tick's request.
    const QByteArray received = m_port.readAll();
    if (received.size() != StatusFrame::length)
        return;
    m_lastFrame = received;
    m_frameAnswers = m_requestsWritten - 1;
    m_linkLit = true;
    m_link.frameArrived(now);
    m_port.clearInput();
    m_handler.showStatusFrame(m_lastFrame);
    Q_EMIT frameShown(m_lastFrame);
}

void StatusPoll::Timer3_Timer()
{
    setTimerEnabled(Timer1, true);
    setTimerEnabled(Timer3, false);
}

bool StatusPoll::RunRelayCommand(const RelayCommandBody &body)
{
    if (!m_linkLit || Timer3->isActive())
        return false;
    setTimerEnabled(Timer1, false);
    m_port.clearOutput();
    // A closed or failing port drops the frames quietly; the next status frame shows what
    // the board really did.
    const QList<QByteArray> frames = body();
    for (const QByteArray &frame : frames)
        m_port.write(frame);
    setTimerEnabled(Timer3, true);
    Q_EMIT relayFramesWritten(frames);
    return true;
}

bool StatusPoll::ensureOpen(qint64 now)
{
    if (m_port.isOpen())
        return true;
    // A port that never opened, or that the user closed, stays closed; only a port whose
    // device went away is looked for again, and not more than once a second.
    if (!m_port.isLost())
        return false;
    if (m_lastReopenAttempt && now - *m_lastReopenAttempt < reopenSpacingMs)
        return false;
    m_lastReopenAttempt = now;
    if (!m_port.open())
        return false;
    m_port.setReadLength(0);
    m_link.portReopened(now);
    return true;
}
