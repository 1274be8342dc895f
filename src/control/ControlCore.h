#pragma once

#include "ControlReplies.h"
#include "ControlRequest.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <deque>
#include <functional>
#include <optional>

class Recorder;
class frmMonitor;

// What a request from outside the window may do, and doing it the window's own way: relay
// commands through the relay buttons' click and the guard of RunRelayCommand, macros
// through their button's click, analog outputs by moving the slider. Shared by every way
// into the panel; those only translate their messages into requests.
//
// Runs on the user-interface thread and never waits on it: a command that finds the
// resume timer of the previous relay command running is answered once that timer has
// fired, or refused after one poll interval.
class ControlCore : public QObject
{
    Q_OBJECT

public:
    using Reply = std::function<void(const QJsonObject &reply)>;

    explicit ControlCore(frmMonitor &window, QObject *parent = nullptr);

    // Carries out the request and answers it through `reply`, exactly once: at once, or
    // later for a relay command or macro that waits for the guard.
    void handle(const ControlRequest::Request &request, const Reply &reply);

    // The recording that "record" commands start and stop; without one they are refused.
    void setRecorder(Recorder *recorder) { m_recorder = recorder; }

    // The state of the last complete frame as the window shows it.
    QJsonObject status() const;
    // Relay commands and macros waiting for the guard.
    int waitingCount() const { return int(m_waiting.size()); }

Q_SIGNALS:
    // A complete frame has been shown.
    void frameShown();
    void raiseRequested();

private:
    struct Waiting
    {
        quint64 id;
        ControlRequest::Request request;
        Reply reply;
    };

    std::optional<ControlReplies::Refusal> actingRefusal() const;
    // Relay commands and macros: the rules, then the guard's wait, then the command.
    void runGuarded(const ControlRequest::Request &request, const Reply &reply);
    QJsonObject runRelay(const ControlRequest::Request &request);
    QJsonObject runMacro(const ControlRequest::Request &request);
    QJsonObject moveSlider(const ControlRequest::Request &request);
    QJsonObject record(const ControlRequest::Request &request);
    void retryWaiting();
    void giveUp(quint64 id);

    frmMonitor &m_window;
    Recorder *m_recorder = nullptr;
    std::deque<Waiting> m_waiting;
    quint64 m_nextWaitingId = 0;
    // What the last relay command that passed its guard wrote.
    std::optional<QList<QByteArray>> m_written;
};
