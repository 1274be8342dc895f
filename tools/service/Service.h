#pragma once

#include "ControlCore.h"
#include "FileWatch.h"
#include "MqttBridge.h"
#include "PanelCore.h"
#include "QSettingsStore.h"
#include "QtSerialPortAdapter.h"
#include "Recorder.h"
#include "ServiceOptions.h"

#include <QObject>
#include <QTimer>
#include <memory>

class ControlServer;
class PanelInstance;

// The board driven without a window: the panel's core on the port the store names, the
// control socket of the store's panel, the MQTT bridge and the recording. It reads the
// store and never writes it.
//
// A port that cannot be opened is tried again once a second; a device lost while running is
// reopened by the poll, as in the window. The settings are read again on reload() and
// whenever the file changes on disk.
class Service : public QObject
{
    Q_OBJECT

public:
    // `instance` has claimed the store; its socket becomes the control socket.
    explicit Service(PanelInstance &instance, QObject *parent = nullptr);
    ~Service() override;

    void start();
    void reload();
    // Refuses what waits, lets a command written be confirmed (for a little while at most),
    // and then says finished(). The objects are let go of with the service.
    void stop();

    static constexpr int retryMs = 1000;

Q_SIGNALS:
    void finished();

private:
    // The poll interval and the names, as the options now give them.
    void takeOptions();
    void tryOpen();
    void linkChanged();
    void followRecordFolder();
    void recordingChanged();
    void finishWhenSettled();

    QSettingsStore m_store{QSettingsStore::Access::ReadOnly};
    ServiceOptions m_options{m_store};
    QtSerialPortAdapter m_port;
    PanelCore m_core{m_port, m_store, m_options};
    ControlCore m_control{m_core};
    std::unique_ptr<ControlServer> m_server;
    Recorder m_recorder{m_core};
    MqttBridge m_mqtt{m_core, m_control};
    FileWatch m_settingsWatch;
    QTimer m_retry;
    QTimer m_stopPatience;

    bool m_polling = false;
    bool m_stopping = false;
    int m_openedPort = 0;
    QString m_lastOpenProblem;
    QString m_loggedLink;
    bool m_loggedRecording = false;
    QString m_loggedFolder;
    QString m_recordFolder; // the folder [Service] named when last read
};
