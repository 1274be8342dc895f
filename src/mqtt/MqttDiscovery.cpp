#include "MqttDiscovery.h"

#include "MqttTopics.h"
#include "PanelStatus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace MqttDiscovery {

namespace {

struct Device
{
    QString base;
    QString node; // the base topic as one word, for the ids
    QJsonObject description;
};

DiscoveryMessage entity(const Device &device, const char *component, const QString &object,
                        const QString &name, const QString &state, QJsonObject config)
{
    const QString id = device.node + u'_' + object;
    config.insert(QStringLiteral("name"), name);
    config.insert(QStringLiteral("unique_id"), id);
    config.insert(QStringLiteral("object_id"), id);
    config.insert(QStringLiteral("state_topic"), MqttTopics::joined(device.base, state));
    config.insert(QStringLiteral("availability_topic"),
                  MqttTopics::joined(device.base, QLatin1String(MqttTopics::status)));
    config.insert(QStringLiteral("payload_available"), QLatin1String(MqttTopics::online));
    config.insert(QStringLiteral("payload_not_available"), QLatin1String(MqttTopics::offline));
    config.insert(QStringLiteral("device"), device.description);
    return {QStringLiteral("%1/%2/%3/%4/config")
                .arg(QLatin1String(prefix), QLatin1String(component), device.node, object),
            QJsonDocument(config).toJson(QJsonDocument::Compact)};
}

QJsonObject onOff()
{
    return {{QStringLiteral("payload_on"), QStringLiteral("ON")},
            {QStringLiteral("payload_off"), QStringLiteral("OFF")}};
}

QString orDefault(const QString &name, const QString &fallback)
{
    return name.trimmed().isEmpty() ? fallback : name.trimmed();
}

} // namespace

QList<DiscoveryMessage> messages(const QString &baseTopic, const PanelStatus &panel, bool commands)
{
    Device device;
    device.base = baseTopic;
    device.node = QString(baseTopic).replace(u'/', u'_');
    device.description = {{QStringLiteral("identifiers"), QJsonArray{device.node}},
                          {QStringLiteral("name"), QStringLiteral("Tarnwick ") + baseTopic},
                          {QStringLiteral("manufacturer"), QStringLiteral("Tarnwick")},
                          {QStringLiteral("model"), QStringLiteral("relay and I/O board")}};

    QList<DiscoveryMessage> found;
    for (std::size_t r = 1; r <= panel.relays.size(); ++r) {
        const QString object = QStringLiteral("relay%1").arg(r);
        const QString state = QStringLiteral("relay/%1").arg(r);
        QJsonObject config = onOff();
        if (commands) {
            config.insert(QStringLiteral("command_topic"),
                          MqttTopics::joined(baseTopic, state + QStringLiteral("/set")));
            config.insert(QStringLiteral("state_on"), QStringLiteral("ON"));
            config.insert(QStringLiteral("state_off"), QStringLiteral("OFF"));
        }
        found << entity(device, commands ? "switch" : "binary_sensor", object,
                        QStringLiteral("R%1").arg(r), state, config);
    }
    for (std::size_t k = 1; k <= panel.inputs.size(); ++k)
        found << entity(device, "binary_sensor", QStringLiteral("input%1").arg(k),
                        orDefault(panel.inputNames[k - 1], QStringLiteral("Input %1").arg(k)),
                        QStringLiteral("input/%1").arg(k), onOff());
    for (std::size_t m = 1; m <= panel.meters.size(); ++m)
        found << entity(device, "sensor", QStringLiteral("meter%1").arg(m),
                        orDefault(panel.meterCaptions[m - 1], QStringLiteral("Meter %1").arg(m)),
                        QStringLiteral("meter/%1").arg(m),
                        {{QStringLiteral("state_class"), QStringLiteral("measurement")}});
    found << entity(device, "sensor", QStringLiteral("temperature"), QStringLiteral("Temperature"),
                    QStringLiteral("temperature"),
                    {{QStringLiteral("device_class"), QStringLiteral("temperature")},
                     {QStringLiteral("unit_of_measurement"), QStringLiteral("°F")},
                     {QStringLiteral("state_class"), QStringLiteral("measurement")}});
    found << entity(device, "sensor", QStringLiteral("link"), QStringLiteral("Link"),
                    QStringLiteral("link"),
                    {{QStringLiteral("device_class"), QStringLiteral("enum")},
                     {QStringLiteral("options"),
                      QJsonArray{QStringLiteral("never"), QStringLiteral("live"),
                                 QStringLiteral("no-reply"), QStringLiteral("lost")}}});
    return found;
}

} // namespace MqttDiscovery
