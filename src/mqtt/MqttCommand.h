#pragma once

#include "ControlRequest.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <variant>

// The command topics under the base topic, read into the command core's requests:
//
//   relay/<1..64>/set   ON, OFF or TOGGLE
//   macro/<1..32>/run   empty, or RUN
//   aout/<1|2>/set      0 to 255, in decimal digits
//
// Everything from the broker is checked here before anything acts on it.
namespace MqttCommand {

// Longer payloads are refused unread; none that a command takes comes near it.
inline constexpr qsizetype payloadLimit = 16;

// What the bridge subscribes to, below the base topic.
QStringList subscriptions();

struct Failure
{
    QString message;
};

// `topic` is below the base topic.
std::variant<ControlRequest::Request, Failure> parse(const QString &topic,
                                                     const QByteArray &payload);

} // namespace MqttCommand
