#include "MqttCommand.h"

#include <optional>

using ControlRequest::Command;
using ControlRequest::RelayAction;
using ControlRequest::Request;

namespace MqttCommand {

namespace {

struct CommandTopic
{
    const char *kind; // the first level
    const char *verb; // the last
    Command command;
    int highest;
};

const CommandTopic commandTopics[] = {
    {"relay", "set", Command::Relay, ControlRequest::relayCount},
    {"relay", "pulse", Command::Relay, ControlRequest::relayCount},
    {"macro", "run", Command::Macro, ControlRequest::macroCount},
    {"aout", "set", Command::Aout, 2},
};

const struct
{
    const char *payload;
    RelayAction action;
} relayActions[] = {
    {"ON", RelayAction::On}, {"OFF", RelayAction::Off}, {"TOGGLE", RelayAction::Toggle}};

// Decimal digits with no sign, blank or leading zero, within [lowest, highest].
std::optional<int> strictNumber(QByteArrayView text, int lowest, int highest)
{
    if (text.isEmpty() || text.size() > 3 || (text.size() > 1 && text.front() == '0'))
        return std::nullopt;
    int number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number < lowest || number > highest)
        return std::nullopt;
    return number;
}

Failure failure(const QString &message)
{
    return {message};
}

// Seconds as plain decimal text ("2", "2.5", "0.25"): digits, at most one point, no sign or
// exponent.
std::optional<double> plainSeconds(QByteArrayView text)
{
    int points = 0;
    for (const char c : text) {
        if (c == '.')
            ++points;
        else if (c < '0' || c > '9')
            return std::nullopt;
    }
    if (text.isEmpty() || points > 1 || text.front() == '.' || text.back() == '.')
        return std::nullopt;
    bool ok = false;
    const double value = QByteArray(text.data(), text.size()).toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

} // namespace

QStringList subscriptions()
{
    QStringList patterns;
    for (const CommandTopic &topic : commandTopics)
        patterns << QStringLiteral("%1/+/%2").arg(QLatin1String(topic.kind),
                                                  QLatin1String(topic.verb));
    return patterns;
}

std::variant<Request, Failure> parse(const QString &topic, const QByteArray &payload)
{
    const QStringList levels = topic.split(u'/');
    const CommandTopic *known = nullptr;
    if (levels.size() == 3)
        for (const CommandTopic &candidate : commandTopics)
            if (levels[0] == QLatin1String(candidate.kind) &&
                levels[2] == QLatin1String(candidate.verb))
                known = &candidate;
    if (!known)
        return failure(QStringLiteral("no such command topic"));
    const std::optional<int> index = strictNumber(levels[1].toLatin1(), 1, known->highest);
    if (!index)
        return failure(QStringLiteral("%1 must be 1 to %2")
                           .arg(QLatin1String(known->kind))
                           .arg(known->highest));
    if (payload.size() > payloadLimit)
        return failure(QStringLiteral("payload longer than %1 bytes").arg(payloadLimit));

    Request request;
    request.command = known->command;
    switch (known->command) {
    case Command::Relay: {
        request.relay = *index;
        if (QLatin1String(known->verb) == QLatin1String("pulse")) {
            const std::optional<double> seconds = plainSeconds(payload);
            const std::optional<int> ms =
                seconds ? ControlRequest::pulseLength(QJsonValue(*seconds)) : std::nullopt;
            if (!ms)
                return failure(QStringLiteral("payload must be seconds from 0.1 to 3600"));
            request.action = RelayAction::Pulse;
            request.pulseMs = *ms;
            return request;
        }
        for (const auto &candidate : relayActions)
            if (payload == candidate.payload) {
                request.action = candidate.action;
                return request;
            }
        return failure(QStringLiteral("payload must be ON, OFF or TOGGLE"));
    }
    case Command::Macro:
        if (!payload.isEmpty() && payload != "RUN")
            return failure(QStringLiteral("payload must be empty or RUN"));
        request.macro = *index;
        return request;
    case Command::Aout: {
        const std::optional<int> value = strictNumber(payload, 0, 255);
        if (!value)
            return failure(QStringLiteral("payload must be a whole number from 0 to 255"));
        request.output = *index;
        request.value = *value;
        return request;
    }
    case Command::Status:
    case Command::Watch:
    case Command::Raise:
    case Command::Record:
        break;
    }
    return failure(QStringLiteral("no such command topic"));
}

} // namespace MqttCommand
