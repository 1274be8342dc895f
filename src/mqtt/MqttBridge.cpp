#include "MqttBridge.h"

#include "ControlCore.h"
#include "MqttCommand.h"
#include "MqttConnection.h"
#include "MqttDiscovery.h"
#include "PanelCore.h"
#include "PanelStatus.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSysInfo>
#include <cstdio>

// A payload cut short by the connection must still be seen as too long by the parser.
static_assert(MqttConnection::payloadCut >= MqttCommand::payloadLimit);

void MqttBridge::toStandardError(const QString &line)
{
    std::fprintf(stderr, "tarnwick: mqtt: %s\n", line.toLocal8Bit().constData());
}

MqttBridge::MqttBridge(PanelCore &panel, ControlCore &core, const QString &configPath,
                       QObject *parent)
    : QObject(parent)
    , m_panel(panel)
    , m_core(core)
    , m_configPath(configPath)
    , m_announcements(QFileInfo(configPath).dir().filePath(QStringLiteral("mqtt-discovery.list")))
{
    connect(&panel, &PanelCore::frameShown, this, &MqttBridge::frameShown);
    connect(&panel, &PanelCore::linkChanged, this, &MqttBridge::somethingChanged);
    connect(&panel, &PanelCore::outputChanged, this, &MqttBridge::somethingChanged);
    connect(&panel, &PanelCore::setupOpenChanged, this, [this](bool open) {
        if (!open)
            namesChanged();
    });
    // Names change in bursts (a load, a reload): the topics follow once the burst is over.
    m_namesSettled.setSingleShot(true);
    m_namesSettled.setInterval(0);
    connect(&m_namesSettled, &QTimer::timeout, this, &MqttBridge::namesChanged);
    connect(&panel, &PanelCore::optionsChanged, &m_namesSettled, qOverload<>(&QTimer::start));
    connect(&panel, &PanelCore::nameChanged, &m_namesSettled, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &MqttBridge::reload);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &MqttBridge::reload);
    m_core.setMqttState([this] { return state(); });
}

MqttBridge::~MqttBridge()
{
    m_core.setMqttState({});
    disconnectFromBroker();
}

QString MqttBridge::broker() const
{
    return m_config.host + u':' + QString::number(m_config.port);
}

QJsonObject MqttBridge::state() const
{
    // A connection that could not even be set up (a CA file missing) leaves the bridge off,
    // with its reason, until mqtt.ini changes.
    const QString state = !m_connection   ? QStringLiteral("off")
                          : isConnected() ? QStringLiteral("connected")
                                          : QStringLiteral("connecting");
    return {
        {QStringLiteral("state"), state},
        {QStringLiteral("broker"), m_config.enabled() ? broker() : QString()},
        {QStringLiteral("reason"), isConnected() || !m_config.enabled() ? QString() : m_reason}};
}

void MqttBridge::fail(const QString &reason, const QString &then)
{
    m_reason = reason;
    m_log(QStringLiteral("%1: %2; %3").arg(broker(), reason, then));
}

void MqttBridge::start()
{
    reload();
}

bool MqttBridge::isConnected() const
{
    return m_connection && m_connection->isConnected();
}

void MqttBridge::watchFile()
{
    // The folder catches the file being made or replaced by an editor's rename; the file
    // itself catches writes in place.
    const QString folder = QFileInfo(m_configPath).absolutePath();
    if (QFileInfo(folder).isDir() && !m_watcher.directories().contains(folder))
        m_watcher.addPath(folder);
    if (QFileInfo(m_configPath).isFile() && !m_watcher.files().contains(m_configPath))
        m_watcher.addPath(m_configPath);
}

void MqttBridge::reload()
{
    watchFile();
    const MqttConfigRead read = readMqttConfigFile(m_configPath);
    if (read.config == m_config && (m_connection || !m_config.enabled()))
        return; // another file in the folder, or a write that changed nothing
    for (const QString &problem : read.problems)
        m_log(QStringLiteral("%1: %2").arg(m_configPath, problem));
    // A bridge that stops announcing on this broker (turned off, or moved to another) takes
    // its configs back now. One that connects to it again does so once connected: the broker
    // may drop what the old connection still had on its way when the new one takes over.
    const bool sameBroker = read.config.enabled() && read.config.host == m_config.host &&
                            read.config.port == m_config.port;
    if (isConnected() && !sameBroker)
        for (const DiscoveryMessage &message : m_announcements.update({}))
            m_connection->publish(message.topic, message.payload, true);
    disconnectFromBroker();
    m_config = read.config;
    if (m_config.enabled())
        connectTo(m_config);
}

QString MqttBridge::derivedBaseTopic(const MqttConfig &config) const
{
    return config.baseTopic.isEmpty()
               ? defaultBaseTopic(QSysInfo::machineHostName(), m_panel.port().portNumber())
               : config.baseTopic;
}

void MqttBridge::connectTo(const MqttConfig &config)
{
    m_baseTopic = derivedBaseTopic(config);
    MqttEndpoint endpoint;
    endpoint.host = config.host;
    endpoint.port = config.port;
    endpoint.clientId =
        config.clientId.isEmpty() ? QString(m_baseTopic).replace(u'/', u'-') : config.clientId;
    endpoint.username = config.username;
    if (!config.passwordFile.isEmpty()) {
        QString problem;
        endpoint.password = readPasswordFile(config.passwordFile, &problem);
        if (!problem.isEmpty())
            m_log(problem);
    }
    endpoint.tlsCaFile = config.tlsCaFile;
    endpoint.willTopic = MqttTopics::joined(m_baseTopic, QLatin1String(MqttTopics::status));
    endpoint.willPayload = MqttTopics::offline;

    m_connection = std::make_unique<MqttConnection>(endpoint);
    connect(m_connection.get(), &MqttConnection::connected, this, &MqttBridge::onConnected);
    connect(m_connection.get(), &MqttConnection::disconnected, this, &MqttBridge::onDisconnected);
    connect(m_connection.get(), &MqttConnection::attemptFailed, this,
            [this](const QString &reason, int seconds) {
                fail(reason, QStringLiteral("trying again in %1 s").arg(seconds));
            });
    connect(m_connection.get(), &MqttConnection::messageReceived, this, &MqttBridge::onMessage);
    QString problem;
    if (!m_connection->start(&problem)) {
        fail(problem, QStringLiteral("the bridge stays off until mqtt.ini changes"));
        m_connection.reset();
    }
}

void MqttBridge::disconnectFromBroker()
{
    if (!m_connection)
        return;
    const bool wasConnected = m_connection->isConnected();
    m_connection->finish(MqttTopics::joined(m_baseTopic, QLatin1String(MqttTopics::status)),
                         MqttTopics::offline);
    m_connection.reset();
    m_published.forget();
    if (wasConnected)
        Q_EMIT connectedChanged(false);
}

void MqttBridge::onConnected()
{
    m_log(QStringLiteral("connected to %1, publishing under %2").arg(broker(), m_baseTopic));
    m_reason.clear();
    m_published.forget();
    m_connection->publish(MqttTopics::joined(m_baseTopic, QLatin1String(MqttTopics::status)),
                          MqttTopics::online, true);
    m_announcements.forgetPayloads();
    publishDiscovery();
    QStringList patterns;
    for (const QString &pattern : MqttCommand::subscriptions())
        patterns << MqttTopics::joined(m_baseTopic, pattern);
    m_connection->subscribe(patterns);
    Q_EMIT connectedChanged(true);
    m_changed = true;
    publishChanges();
}

void MqttBridge::onDisconnected(const QString &reason)
{
    fail(reason, QStringLiteral("trying again"));
    Q_EMIT connectedChanged(false);
}

void MqttBridge::frameShown(const QByteArray &frame)
{
    if (frame == m_lastFrame && !m_changed)
        return;
    m_lastFrame = frame;
    m_changed = true;
    publishChanges();
}

void MqttBridge::somethingChanged()
{
    m_changed = true;
    publishChanges();
}

void MqttBridge::publishChanges()
{
    if (!isConnected() || !m_changed)
        return;
    m_changed = false;
    // The default base topic names the port: a panel moved to another port is another device.
    if (m_config.baseTopic.isEmpty() && derivedBaseTopic(m_config) != m_baseTopic) {
        disconnectFromBroker();
        connectTo(m_config);
        return;
    }
    const PanelStatus panel = readPanelStatus(m_panel);
    for (const TopicValue &value : m_published.changed(MqttTopics::panelTopics(panel))) {
        m_connection->publish(MqttTopics::joined(m_baseTopic, value.topic), value.payload, true);
        Q_EMIT published(value.topic, value.payload);
    }
}

QList<DiscoveryMessage> MqttBridge::wantedDiscovery(const MqttConfig &config,
                                                    const QString &baseTopic) const
{
    if (!config.enabled() || !config.discovery)
        return {};
    return MqttDiscovery::messages(baseTopic, readPanelStatus(m_panel), config.commands);
}

void MqttBridge::publishDiscovery()
{
    for (const DiscoveryMessage &message :
         m_announcements.update(wantedDiscovery(m_config, m_baseTopic)))
        m_connection->publish(message.topic, message.payload, true);
}

void MqttBridge::namesChanged()
{
    somethingChanged();
    if (isConnected())
        publishDiscovery();
}

void MqttBridge::onMessage(const QString &fullTopic, const QByteArray &payload, bool retained)
{
    const QString prefix = m_baseTopic + u'/';
    if (!fullTopic.startsWith(prefix))
        return; // a subscription of an earlier base topic
    const QString topic = fullTopic.mid(prefix.size());
    // The broker hands a retained command to every new subscription: run, it would switch
    // the board again at every reconnect.
    if (retained)
        return reject(topic, QStringLiteral("a retained command is not run; publish commands "
                                            "without the retain flag"));
    if (!m_config.commands)
        return reject(topic, QStringLiteral("commands are off (commands=on in mqtt.ini)"));
    const auto parsed = MqttCommand::parse(topic, payload);
    if (const auto *failure = std::get_if<MqttCommand::Failure>(&parsed))
        return reject(topic, failure->message);
    const QPointer<MqttBridge> self(this);
    m_core.handle(std::get<ControlRequest::Request>(parsed),
                  [self, topic](const QJsonObject &reply) {
                      if (self && !reply.value(QStringLiteral("ok")).toBool())
                          self->reject(topic, reply.value(QStringLiteral("message")).toString());
                  });
}

void MqttBridge::reject(const QString &topic, const QString &message)
{
    // The topic came from outside: shown cut short and without control characters (which
    // brokers normally refuse in a topic), so it can neither flood the log nor forge lines.
    QString shown = topic.left(80);
    for (QChar &c : shown)
        if (c.category() == QChar::Other_Control)
            c = u'?';
    m_log(QStringLiteral("%1: dropped: %2").arg(shown, message));
    if (m_connection) {
        const QJsonObject error{{QStringLiteral("topic"), shown},
                                {QStringLiteral("message"), message}};
        m_connection->publish(MqttTopics::joined(m_baseTopic, QLatin1String(MqttTopics::error)),
                              QJsonDocument(error).toJson(QJsonDocument::Compact), false);
    }
    Q_EMIT commandRejected(topic, message);
}
