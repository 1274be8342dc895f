#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

struct PanelStatus;

struct DiscoveryMessage
{
    QString topic; // the whole topic, under "homeassistant/"
    QByteArray payload;
};

// Home Assistant's MQTT discovery: one retained configuration per entity, so the board shows
// up there as one device with no hand configuration. Relays are switches when commands are
// on and binary sensors when they are off; inputs are binary sensors; the meters, the
// temperature, the frequency and the link are sensors; the analog outputs are numbers (with
// commands on) or sensors, and each macro is a button (with commands on). The link is
// available while "status" is online; every other value only while the board answers too
// ("link" live), so a silent or lost board shows unavailable rather than stale values.
namespace MqttDiscovery {

inline constexpr char prefix[] = "homeassistant";

// The base topic as Home Assistant takes a node id: every character but letters, digits,
// "_" and "-" becomes "_" ("Site 1/bench.a" -> "Site_1_bench_a").
QString nodeId(const QString &baseTopic);

QList<DiscoveryMessage> messages(const QString &baseTopic, const PanelStatus &panel, bool commands);

} // namespace MqttDiscovery
