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

enum class Availability { Panel, PanelAndBoard };

QJsonArray availability(const Device &device, Availability of)
{
    QJsonArray list{
        QJsonObject{{QStringLiteral("topic"),
                     MqttTopics::joined(device.base, QLatin1String(MqttTopics::status))},
                    {QStringLiteral("payload_available"), QLatin1String(MqttTopics::online)},
                    {QStringLiteral("payload_not_available"), QLatin1String(MqttTopics::offline)}}};
    if (of == Availability::PanelAndBoard)
        list.append(QJsonObject{
            {QStringLiteral("topic"), MqttTopics::joined(device.base, QStringLiteral("link"))},
            {QStringLiteral("value_template"),
             QStringLiteral("{{ 'online' if value == 'live' else 'offline' }}")},
            {QStringLiteral("payload_available"), QLatin1String(MqttTopics::online)},
            {QStringLiteral("payload_not_available"), QLatin1String(MqttTopics::offline)}});
    return list;
}

// `state` empty: an entity without a state (a button).
DiscoveryMessage entity(const Device &device, const char *component, const QString &object,
                        const QString &name, const QString &state, QJsonObject config,
                        Availability of = Availability::PanelAndBoard)
{
    const QString id = device.node + u'_' + object;
    config.insert(QStringLiteral("name"), name);
    config.insert(QStringLiteral("unique_id"), id);
    config.insert(QStringLiteral("object_id"), id);
    if (!state.isEmpty())
        config.insert(QStringLiteral("state_topic"), MqttTopics::joined(device.base, state));
    config.insert(QStringLiteral("availability"), availability(device, of));
    config.insert(QStringLiteral("availability_mode"), QStringLiteral("all"));
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

QString nodeId(const QString &baseTopic)
{
    QString id = baseTopic;
    for (QChar &c : id)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_' && c != u'-')
            c = u'_';
    return id;
}

QList<DiscoveryMessage> messages(const QString &baseTopic, const PanelStatus &panel, bool commands)
{
    Device device;
    device.base = baseTopic;
    device.node = nodeId(baseTopic);
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
                        orDefault(panel.relayNames[r - 1], QStringLiteral("R%1").arg(r)), state,
                        config);
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
    found << entity(device, "sensor", QStringLiteral("frequency"), QStringLiteral("Frequency"),
                    QStringLiteral("frequency"), {});
    found << entity(device, "sensor", QStringLiteral("link"), QStringLiteral("Link"),
                    QStringLiteral("link"),
                    {{QStringLiteral("device_class"), QStringLiteral("enum")},
                     {QStringLiteral("options"),
                      QJsonArray{QStringLiteral("never"), QStringLiteral("live"),
                                 QStringLiteral("no-reply"), QStringLiteral("lost")}}},
                    Availability::Panel);
    for (std::size_t n = 1; n <= panel.aout.size(); ++n) {
        const QString state = QStringLiteral("aout/%1").arg(n);
        const QString name =
            orDefault(panel.outputNames[n - 1], QStringLiteral("Analog output %1").arg(n));
        if (commands)
            found << entity(device, "number", QStringLiteral("aout%1").arg(n), name, state,
                            {{QStringLiteral("command_topic"),
                              MqttTopics::joined(baseTopic, state + QStringLiteral("/set"))},
                             {QStringLiteral("min"), 0},
                             {QStringLiteral("max"), 255},
                             {QStringLiteral("step"), 1},
                             {QStringLiteral("mode"), QStringLiteral("slider")}});
        else
            found << entity(device, "sensor", QStringLiteral("aout%1").arg(n), name, state,
                            {{QStringLiteral("state_class"), QStringLiteral("measurement")}});
    }
    if (commands)
        for (std::size_t n = 1; n <= panel.macroNames.size(); ++n)
            found << entity(device, "button", QStringLiteral("macro%1").arg(n),
                            orDefault(panel.macroNames[n - 1], QStringLiteral("Macro %1").arg(n)),
                            QString(),
                            {{QStringLiteral("command_topic"),
                              MqttTopics::joined(baseTopic, QStringLiteral("macro/%1/run").arg(n))},
                             {QStringLiteral("payload_press"), QStringLiteral("RUN")}});
    return found;
}

} // namespace MqttDiscovery
