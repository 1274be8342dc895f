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
// temperature and the link are sensors. All of them are available while "status" is online.
namespace MqttDiscovery {

inline constexpr char prefix[] = "homeassistant";

QList<DiscoveryMessage> messages(const QString &baseTopic, const PanelStatus &panel, bool commands);

} // namespace MqttDiscovery
