#include "ControlRequest.h"

#include "Recorder.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringList>
#include <cmath>
#include <optional>
#include <tuple>

namespace ControlRequest {

namespace {

struct CommandInfo
{
    const char *name;
    Command command;
    QStringList fields; // besides "command"
};

const CommandInfo commands[] = {
    {"status", Command::Status, {}},
    {"watch", Command::Watch, {}},
    {"relay",
     Command::Relay,
     {QStringLiteral("relay"), QStringLiteral("action"), QStringLiteral("seconds")}},
    {"macro", Command::Macro, {QStringLiteral("macro")}},
    {"aout", Command::Aout, {QStringLiteral("output"), QStringLiteral("value")}},
    {"raise", Command::Raise, {}},
    {"record",
     Command::Record,
     {QStringLiteral("action"), QStringLiteral("folder"), QStringLiteral("every"),
      QStringLiteral("keepDays")}},
};

template<typename Action>
struct ActionName
{
    const char *name;
    Action action;
};

const ActionName<RelayAction> actions[] = {{"on", RelayAction::On},
                                           {"off", RelayAction::Off},
                                           {"toggle", RelayAction::Toggle},
                                           {"pulse", RelayAction::Pulse}};
const ActionName<RecordAction> recordActions[] = {
    {"start", RecordAction::Start}, {"stop", RecordAction::Stop}, {"status", RecordAction::Status}};

// The action named by the request's "action" field, among `table`'s names.
template<typename Action, std::size_t size>
std::optional<Action> actionOf(const QJsonObject &object, const ActionName<Action> (&table)[size])
{
    const QString name = object.value(QStringLiteral("action")).toString();
    for (const auto &candidate : table)
        if (name == QLatin1String(candidate.name))
            return candidate.action;
    return std::nullopt;
}

// A folder is named from the client's point of view; only an absolute path means the same
// folder to the panel. A path is at most what a file system takes.
constexpr qsizetype longestFolder = 4096;

Failure badRequest(const QString &message)
{
    return {QStringLiteral("bad-request"), message};
}

// A whole number within [lowest, highest]. JSON has only doubles: 5.0 counts as 5, 5.5 and
// "5" do not.
std::optional<int> wholeNumber(const QJsonObject &object, const QString &field, int lowest,
                               int highest)
{
    const QJsonValue value = object.value(field);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number != std::floor(number) || number < lowest || number > highest)
        return std::nullopt;
    return static_cast<int>(number);
}

} // namespace

std::optional<int> pulseLength(const QJsonValue &seconds)
{
    if (!seconds.isDouble())
        return std::nullopt;
    const double value = seconds.toDouble();
    if (!(value >= 0.1 && value <= 3600))
        return std::nullopt;
    return int(std::lround(value * 1000));
}

namespace {

Failure numberFailure(const QString &field, int lowest, int highest)
{
    return badRequest(QStringLiteral("\"%1\" must be a whole number from %2 to %3")
                          .arg(field)
                          .arg(lowest)
                          .arg(highest));
}

} // namespace

std::variant<Request, Failure> parse(QByteArrayView line)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        return badRequest(QStringLiteral("not JSON: %1 at character %2")
                              .arg(error.errorString())
                              .arg(error.offset));
    if (!document.isObject())
        return badRequest(QStringLiteral("a request is one JSON object"));
    const QJsonObject object = document.object();
    const QJsonValue name = object.value(QStringLiteral("command"));
    if (!name.isString())
        return badRequest(QStringLiteral("\"command\" must be a text, such as \"status\""));

    const CommandInfo *info = nullptr;
    for (const CommandInfo &candidate : commands)
        if (name.toString() == QLatin1String(candidate.name))
            info = &candidate;
    if (!info)
        return Failure{QStringLiteral("unknown-command"),
                       QStringLiteral("unknown command \"%1\"").arg(name.toString().left(40))};
    for (auto it = object.begin(); it != object.end(); ++it)
        if (it.key() != QLatin1String("command") && !info->fields.contains(it.key()))
            return badRequest(QStringLiteral("\"%1\" takes no field \"%2\"")
                                  .arg(QLatin1String(info->name), it.key().left(40)));

    Request request;
    request.command = info->command;
    switch (info->command) {
    case Command::Relay: {
        const std::optional<int> relay =
            wholeNumber(object, QStringLiteral("relay"), 1, relayCount);
        if (!relay)
            return numberFailure(QStringLiteral("relay"), 1, relayCount);
        request.relay = *relay;
        const std::optional<RelayAction> action = actionOf(object, actions);
        if (!action)
            return badRequest(
                QStringLiteral("\"action\" must be \"on\", \"off\", \"toggle\" or \"pulse\""));
        request.action = *action;
        const bool timed = object.contains(QStringLiteral("seconds"));
        if (timed != (*action == RelayAction::Pulse))
            return badRequest(QStringLiteral("\"seconds\" goes with \"pulse\", and only there"));
        if (timed) {
            const std::optional<int> ms = pulseLength(object.value(QStringLiteral("seconds")));
            if (!ms)
                return badRequest(QStringLiteral("\"seconds\" must be a number from 0.1 to 3600"));
            request.pulseMs = *ms;
        }
        break;
    }
    case Command::Macro: {
        const std::optional<int> macro =
            wholeNumber(object, QStringLiteral("macro"), 1, macroCount);
        if (!macro)
            return numberFailure(QStringLiteral("macro"), 1, macroCount);
        request.macro = *macro;
        break;
    }
    case Command::Aout: {
        const std::optional<int> output = wholeNumber(object, QStringLiteral("output"), 1, 2);
        if (!output)
            return numberFailure(QStringLiteral("output"), 1, 2);
        const std::optional<int> value = wholeNumber(object, QStringLiteral("value"), 0, 255);
        if (!value)
            return numberFailure(QStringLiteral("value"), 0, 255);
        request.output = *output;
        request.value = *value;
        break;
    }
    case Command::Record: {
        const std::optional<RecordAction> action = actionOf(object, recordActions);
        if (!action)
            return badRequest(
                QStringLiteral("\"action\" must be \"start\", \"stop\" or \"status\""));
        request.recordAction = *action;
        for (const auto &[field, highest, value] :
             {std::tuple{QStringLiteral("every"), int(Recorder::Plan::longestEvery),
                         &request.everySeconds},
              std::tuple{QStringLiteral("keepDays"), int(Recorder::Plan::mostKeepDays),
                         &request.keepDays}}) {
            if (!object.contains(field))
                continue;
            if (request.recordAction != RecordAction::Start)
                return badRequest(QStringLiteral("only \"start\" takes \"%1\"").arg(field));
            *value = wholeNumber(object, field, 0, highest);
            if (!*value)
                return numberFailure(field, 0, highest);
        }
        const QJsonValue folder = object.value(QStringLiteral("folder"));
        if (folder.isUndefined())
            break;
        if (request.recordAction != RecordAction::Start)
            return badRequest(QStringLiteral("only \"start\" takes a \"folder\""));
        request.folder = folder.toString();
        if (!folder.isString() || request.folder.isEmpty() ||
            request.folder.size() > longestFolder || request.folder.contains(QChar(u'\0')) ||
            !QDir::isAbsolutePath(request.folder))
            return badRequest(QStringLiteral("\"folder\" must be an absolute path"));
        break;
    }
    case Command::Status:
    case Command::Watch:
    case Command::Raise:
        break;
    }
    return request;
}

} // namespace ControlRequest
