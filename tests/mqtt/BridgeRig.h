#pragma once

// The panel of the control tests, on the simulated board over a real pseudo-terminal, with
// its MQTT bridge on a real mosquitto of the test's own and a probe client beside it.
#include "ControlRig.h"
#include "MosquittoBroker.h"
#include "MqttBridge.h"
#include "MqttProbe.h"

#include <QFile>
#include <QTemporaryDir>

namespace MqttTest {

using ControlTest::patience;
inline constexpr char base[] = "test/panel";

inline QString topic(const QString &below)
{
    return QLatin1String(base) + u'/' + below;
}

struct BridgeRig
{
    MosquittoBroker broker;
    ControlTest::Rig panel;
    QTemporaryDir folder;
    std::unique_ptr<MqttProbe> probe;
    std::unique_ptr<MqttBridge> bridge;

    ~BridgeRig()
    {
        bridge.reset();
        probe.reset();
    }

    QString configPath() const { return folder.filePath(QStringLiteral("mqtt.ini")); }

    // mqtt.ini for this broker and base topic, with `extra` lines.
    bool writeConfig(const QByteArray &extra = {})
    {
        QFile file(configPath());
        const QByteArray text =
            "[mqtt]\nhost=127.0.0.1\nport=" + QByteArray::number(broker.port()) +
            "\nbase_topic=" + base + "\n" + extra;
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(text) == text.size();
    }

    // Broker, probe, panel on the board with its link up, then the bridge, connected and
    // with the board's values published.
    bool start(const QByteArray &extra = {}, MonitorDialogs *dialogs = nullptr)
    {
        if (!broker.start() || !writeConfig(extra))
            return false;
        probe = std::make_unique<MqttProbe>(broker.port(), topic(QStringLiteral("#")));
        if (!QTest::qWaitFor([&] { return probe->isSubscribed(); }, patience) ||
            !panel.start(dialogs))
            return false;
        return startBridge() && probe->waitFor(topic(QStringLiteral("relay/64")), "OFF", patience);
    }

    bool startBridge()
    {
        bridge = std::make_unique<MqttBridge>(panel.window->core(), *panel.core, configPath());
        bridge->start();
        return QTest::qWaitFor([&] { return bridge->isConnected(); }, patience);
    }
};

} // namespace MqttTest
