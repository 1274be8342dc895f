#pragma once

#include "DiscoveryAnnouncements.h"
#include "MqttConfig.h"
#include "MqttTopics.h"

#include <QFileSystemWatcher>
#include <QJsonObject>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class ControlCore;
class MqttConnection;
class PanelCore;

// The panel as a device on an MQTT broker: what the panel shows, published retained under
// the base topic when it changes, and commands taken from the broker into the command core,
// under the same rules as the control socket.
//
// Off until mqtt.ini names a host; the file is read at start and again whenever it changes.
// A broker that is down or goes away never shows in the window: the connection retries on
// its own, and on every connect the latest value of every topic is published once.
class MqttBridge : public QObject
{
    Q_OBJECT

public:
    MqttBridge(PanelCore &panel, ControlCore &core, const QString &configPath = mqttConfigPath(),
               QObject *parent = nullptr);
    // Publishes "offline" and disconnects.
    ~MqttBridge() override;

    // Reads the file and connects when it names a host.
    void start();
    const MqttConfig &config() const { return m_config; }
    QString baseTopic() const { return m_baseTopic; }
    bool isConnected() const;
    // {"state": "off|connecting|connected", "broker": "host:port", "reason": "..."}: the
    // reason the last attempt failed, while not connected.
    QJsonObject state() const;

    // Where the bridge tells what happens to its connection and its commands, a line at a
    // time: standard error unless the program logs otherwise.
    using Log = std::function<void(const QString &line)>;
    void setLog(Log log) { m_log = std::move(log); }
    static void toStandardError(const QString &line);

Q_SIGNALS:
    // A value went out to the broker (below the base topic).
    void published(const QString &topic, const QByteArray &payload);
    void connectedChanged(bool connected);
    // A command was dropped; also on standard error and the "error" topic.
    void commandRejected(const QString &topic, const QString &message);

private:
    void reload();
    void connectTo(const MqttConfig &config);
    void disconnectFromBroker();
    void watchFile();
    void onConnected();
    void onDisconnected(const QString &reason);
    void publishChanges();
    void frameShown(const QByteArray &frame);
    void somethingChanged();
    // The discovery configs that `config` announces under `baseTopic`.
    QList<DiscoveryMessage> wantedDiscovery(const MqttConfig &config,
                                            const QString &baseTopic) const;
    // Brings the broker's discovery configs to what the settings now announce.
    void publishDiscovery();
    // A name, caption or scale may have changed: its topics and discovery config follow.
    void namesChanged();
    void onMessage(const QString &topic, const QByteArray &payload, bool retained);
    void reject(const QString &topic, const QString &message);
    QString broker() const;
    // Tells a failure once, with what happens next, and keeps it as the state's reason.
    void fail(const QString &reason, const QString &then);
    QString derivedBaseTopic(const MqttConfig &config) const;

    PanelCore &m_panel;
    ControlCore &m_core;
    const QString m_configPath;
    QFileSystemWatcher m_watcher;
    MqttConfig m_config;
    QString m_baseTopic;
    std::unique_ptr<MqttConnection> m_connection;
    PublishedTopics m_published;
    // Reading the whole panel for its topics costs many times what an unchanged tick does,
    // so it is read only when something a topic shows may have changed: another frame, the
    // link, an output, or the setup dialog closing (names, captions and meter scales change
    // only there).
    QByteArray m_lastFrame;
    bool m_changed = true;
    QString m_reason; // why the last attempt failed or the connection broke
    DiscoveryAnnouncements m_announcements;
    QTimer m_namesSettled;
    Log m_log = toStandardError;
};
