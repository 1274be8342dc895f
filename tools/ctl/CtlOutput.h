#pragma once

#include <QJsonObject>
#include <QString>

// How tarnwick-ctl prints what the panel reports. Plain functions of the status object the
// panel sends ({"link":..., "relays":[...], ...}).
namespace CtlOutput {

// The status as a few labelled lines, for a person.
QString statusText(const QJsonObject &status);
// The MQTT bridge's state ({"state":..., "broker":..., "reason":...}) in a few words.
QString mqttText(const QJsonObject &mqtt);
// One frame as one line, for watch without --json.
QString frameLine(const QJsonObject &status);
// What a record command answered: the recording's state and file, for a person.
QString recordingText(const QJsonObject &recording);
// The relay (1..64) whose name in the status is `name`, whole and in any case; or, when
// none or several are, nothing and the usage message that lists the candidates.
struct RelayLookup
{
    int relay = 0;
    QString problem;
};
RelayLookup findRelay(const QJsonObject &status, const QString &name);
// Whether relay n (1..64) or input n (1..8) is on in the status; false when missing.
bool relayOn(const QJsonObject &status, int relay);
bool inputOn(const QJsonObject &status, int input);

} // namespace CtlOutput
