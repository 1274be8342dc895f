// tarnwick-ctl: the running panel's command line. It finds the panel of the same settings
// through the socket path both derive from the environment, sends one request and reports
// the answer in its exit status:
//   0 done, 1 not confirmed in time, 2 usage, 3 no panel running, 4 refused.
#include "CtlArguments.h"
#include "CtlOutput.h"
#include "PanelConnection.h"
#include "PanelSocket.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>

using CtlArguments::Invocation;
using CtlArguments::Verb;

namespace {

enum Exit { Done = 0, NotConfirmed = 1, Usage = 2, NoPanel = 3, Refused = 4 };

constexpr double defaultWaitSeconds = 2.0;

void print(const QString &text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

void complain(const QString &text)
{
    std::fputs(qPrintable(QStringLiteral("tarnwick-ctl: ") + text + QLatin1Char('\n')), stderr);
}

QString json(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QJsonObject requestOf(const Invocation &invocation)
{
    switch (invocation.verb) {
    case Verb::Relay: {
        QJsonObject request{{QStringLiteral("command"), QStringLiteral("relay")},
                            {QStringLiteral("relay"), invocation.number},
                            {QStringLiteral("action"), invocation.action}};
        if (invocation.action == QLatin1String("pulse"))
            request.insert(QStringLiteral("seconds"), invocation.seconds);
        return request;
    }
    case Verb::Macro:
        return {{QStringLiteral("command"), QStringLiteral("macro")},
                {QStringLiteral("macro"), invocation.number}};
    case Verb::Aout:
        return {{QStringLiteral("command"), QStringLiteral("aout")},
                {QStringLiteral("output"), invocation.number},
                {QStringLiteral("value"), invocation.value}};
    case Verb::Watch:
        return {{QStringLiteral("command"), QStringLiteral("watch")}};
    case Verb::Record: {
        QJsonObject request{{QStringLiteral("command"), QStringLiteral("record")},
                            {QStringLiteral("action"), invocation.action}};
        if (!invocation.folder.isEmpty())
            request.insert(QStringLiteral("folder"), invocation.folder);
        if (invocation.every)
            request.insert(QStringLiteral("every"), *invocation.every);
        if (invocation.keepDays)
            request.insert(QStringLiteral("keepDays"), *invocation.keepDays);
        return request;
    }
    case Verb::Help:
    case Verb::Version:
    case Verb::Status:
    case Verb::WaitInput:
        break;
    }
    return {{QStringLiteral("command"), QStringLiteral("status")}};
}

QDeadlineTimer deadlineOf(std::optional<double> seconds)
{
    if (!seconds)
        return QDeadlineTimer(QDeadlineTimer::Forever);
    return QDeadlineTimer(qint64(*seconds * 1000.0));
}

// What to say and which exit status to give when the panel did not answer a request, or
// refused it; nothing when it did what was asked.
std::optional<int> failureOf(const PanelConnection &panel, const std::optional<QJsonObject> &reply)
{
    if (!reply) {
        complain(panel.message());
        return NoPanel;
    }
    if (!reply->value(QLatin1String("ok")).toBool()) {
        complain(reply->value(QLatin1String("message")).toString());
        return Refused;
    }
    return std::nullopt;
}

std::optional<int> startWatching(PanelConnection &panel)
{
    return failureOf(panel, panel.request({{QStringLiteral("command"), QStringLiteral("watch")}}));
}

// Waits for a frame that satisfies `confirms`; the exit status and what to say if not.
template<typename Confirms>
int awaitFrame(PanelConnection &panel, QDeadlineTimer deadline, Confirms confirms,
               const QString &whatFailed)
{
    for (;;) {
        const std::optional<QJsonObject> status = panel.nextFrame(deadline);
        if (!status) {
            if (panel.gone()) {
                complain(panel.message());
                return NoPanel;
            }
            complain(whatFailed);
            return NotConfirmed;
        }
        if (confirms(*status))
            return Done;
    }
}

// After a relay command or macro: a frame requested after the command that shows every relay
// it switched as the command asked. A frame the board was asked for before it shows the
// relays as they were.
int confirmRelays(PanelConnection &panel, const Invocation &invocation, const QJsonObject &reply)
{
    const QJsonArray expect = reply.value(QLatin1String("expect")).toArray();
    const double confirmAfter = reply.value(QLatin1String("confirmAfter")).toDouble();
    const double seconds = invocation.timeout.value_or(defaultWaitSeconds);
    if (const std::optional<int> failed = startWatching(panel))
        return *failed;
    QStringList wanted;
    for (const QJsonValue &item : expect)
        wanted << QStringLiteral("R%1 %2")
                      .arg(item[QLatin1String("relay")].toInt())
                      .arg(item[QLatin1String("on")].toBool() ? QStringLiteral("on")
                                                              : QStringLiteral("off"));
    const auto confirms = [&expect, confirmAfter](const QJsonObject &status) {
        if (status.value(QLatin1String("answersRequest")).toDouble() <= confirmAfter)
            return false;
        for (const QJsonValue &item : expect)
            if (CtlOutput::relayOn(status, item[QLatin1String("relay")].toInt()) !=
                item[QLatin1String("on")].toBool())
                return false;
        return true;
    };
    return awaitFrame(panel, deadlineOf(seconds), confirms,
                      QStringLiteral("the board did not report %1 within %2 s: check that it "
                                     "is powered and the relay wired, or wait longer with "
                                     "--timeout")
                          .arg(wanted.join(QStringLiteral(", ")))
                          .arg(seconds));
}

int waitInput(PanelConnection &panel, const Invocation &invocation, const QJsonObject &status)
{
    const int input = invocation.number;
    const bool on = invocation.on;
    if (CtlOutput::inputOn(status, input) == on)
        return Done;
    if (const std::optional<int> failed = startWatching(panel))
        return *failed;
    return awaitFrame(
        panel, deadlineOf(invocation.timeout),
        [input, on](const QJsonObject &frame) { return CtlOutput::inputOn(frame, input) == on; },
        QStringLiteral("input %1 was not reported %2 within %3 s")
            .arg(input)
            .arg(on ? QStringLiteral("on") : QStringLiteral("off"))
            .arg(invocation.timeout.value_or(0)));
}

int watch(PanelConnection &panel, bool asJson)
{
    for (;;) {
        const std::optional<QJsonObject> status = panel.nextFrame(QDeadlineTimer::Forever);
        if (!status) {
            complain(panel.message());
            return NoPanel;
        }
        print(asJson ? json(*status) : CtlOutput::frameLine(*status));
    }
}

int run(const Invocation &invocation)
{
    const QString path = invocation.socket.isEmpty() ? PanelSocket::path() : invocation.socket;
    if (path.isEmpty()) {
        complain(QStringLiteral("the panel's socket folder cannot be used: it must belong to you "
                                "and be closed to others (mode 0700). Check $XDG_RUNTIME_DIR."));
        return NoPanel;
    }
    PanelConnection panel;
    switch (panel.connectTo(path)) {
    case PanelConnection::Outcome::Connected:
        break;
    case PanelConnection::Outcome::NotAllowed:
        complain(panel.message());
        return NoPanel;
    case PanelConnection::Outcome::NoPanel:
        complain(QStringLiteral("no panel is running for the settings in %1: start tarnwick "
                                "first, with the same XDG_CONFIG_HOME (%2)")
                     .arg(PanelSocket::configFolder(), panel.message()));
        return NoPanel;
    }

    Invocation resolved = invocation;
    if (!invocation.relayName.isEmpty()) {
        // A relay by its name: the panel's names decide which.
        const std::optional<QJsonObject> known =
            panel.request({{QStringLiteral("command"), QStringLiteral("status")}});
        if (const std::optional<int> failed = failureOf(panel, known))
            return *failed;
        const CtlOutput::RelayLookup found = CtlOutput::findRelay(
            known->value(QLatin1String("status")).toObject(), invocation.relayName);
        if (found.relay == 0) {
            complain(found.problem +
                     QStringLiteral("\nRun 'tarnwick-ctl --help' for the commands."));
            return Usage;
        }
        resolved.number = found.relay;
    }
    const std::optional<QJsonObject> reply = panel.request(requestOf(resolved));
    if (const std::optional<int> failed = failureOf(panel, reply))
        return *failed;
    const QJsonObject status = reply->value(QLatin1String("status")).toObject();
    switch (invocation.verb) {
    case Verb::Status:
        print(invocation.json ? json(status) : CtlOutput::statusText(status));
        return Done;
    case Verb::Relay:
    case Verb::Macro:
        if (!invocation.wait)
            return Done;
        return confirmRelays(panel, resolved, *reply);
    case Verb::Watch:
        return watch(panel, invocation.json);
    case Verb::WaitInput:
        return waitInput(panel, invocation, status);
    case Verb::Record: {
        const QJsonObject recording = reply->value(QLatin1String("recording")).toObject();
        print(invocation.json ? json(recording) : CtlOutput::recordingText(recording));
        return Done;
    }
    case Verb::Aout:
    case Verb::Help:
    case Verb::Version:
        break;
    }
    return Done;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const auto parsed = CtlArguments::parse(arguments);
    if (const auto *error = std::get_if<CtlArguments::UsageError>(&parsed)) {
        complain(error->message);
        return Usage;
    }
    const Invocation &invocation = std::get<Invocation>(parsed);
    if (invocation.verb == Verb::Help) {
        std::fputs(qPrintable(CtlArguments::usageText()), stdout);
        return Done;
    }
    if (invocation.verb == Verb::Version) {
        std::fputs("tarnwick-ctl " TARNWICK_VERSION "\n", stdout);
        return Done;
    }
    return run(invocation);
}
