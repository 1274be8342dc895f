#pragma once

#include "ControlReplies.h"
#include "ControlRequest.h"

#include <QJsonObject>
#include <QObject>
#include <functional>

class PanelCore;
class Recorder;

// What a request from outside the window may do: it translates each request into the panel
// core's commands, which run them under the rules the window's controls follow (the guard
// of a relay command, the WDT lock on R16, macros as their button runs them, outputs as the
// slider sets them). Shared by every way into the panel; those only translate their
// messages into requests.
//
// Runs on the user-interface thread and never waits on it: a relay command or macro is
// answered once the core has written it, or refused.
class ControlCore : public QObject
{
    Q_OBJECT

public:
    using Reply = std::function<void(const QJsonObject &reply)>;

    explicit ControlCore(PanelCore &core, QObject *parent = nullptr);

    // Carries out the request and answers it through `reply`, exactly once: at once, or
    // later for a relay command or macro that waits for the line.
    void handle(const ControlRequest::Request &request, const Reply &reply);

    // The recording that "record" commands start and stop; without one they are refused.
    void setRecorder(Recorder *recorder) { m_recorder = recorder; }

    // Run without a window: a second start's raise is answered that the board is driven by
    // a service.
    void setWindowless(bool windowless) { m_windowless = windowless; }

    // The MQTT bridge's state, for "status"; none while there is no bridge.
    using StatePart = std::function<QJsonObject()>;
    void setMqttState(StatePart state) { m_mqttState = std::move(state); }

    // The state of the last complete frame as the window shows it.
    QJsonObject status() const;

Q_SIGNALS:
    // A complete frame has been shown.
    void frameShown();
    void raiseRequested();

private:
    QJsonObject record(const ControlRequest::Request &request);

    PanelCore &m_core;
    Recorder *m_recorder = nullptr;
    bool m_windowless = false;
    StatePart m_mqttState;
};
