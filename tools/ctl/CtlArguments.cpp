#include "CtlArguments.h"

#include <QDir>
#include <QLocale>
#include <algorithm>

namespace CtlArguments {

namespace {

constexpr double longestTimeout = 7 * 24 * 3600.0; // a week is more than any script waits
// The recorder's own limits, which the panel checks again.
constexpr int longestEvery = 24 * 3600;
constexpr int mostKeepDays = 100 * 366;

struct VerbInfo
{
    const char *name;
    Verb verb;
    int operands;         // words after the verb
    int optionalOperands; // more words it may take
    const char *synopsis;
    bool takesJson;
    bool takesWait;
    bool takesTimeout; // only with --wait where takesWait
};

const VerbInfo verbs[] = {
    {"status", Verb::Status, 0, 0, "status [--json]", true, false, false},
    {"relay", Verb::Relay, 2, 1,
     "relay R<1..64>|NAME on|off|toggle|pulse SECONDS [--wait] [--timeout S]", false, true, true},
    {"macro", Verb::Macro, 1, 0, "macro <1..32> [--wait] [--timeout S]", false, true, true},
    {"aout", Verb::Aout, 2, 0, "aout <1|2> <0..255>", false, false, false},
    {"watch", Verb::Watch, 0, 0, "watch [--json]", true, false, false},
    {"wait", Verb::WaitInput, 3, 0, "wait input <1..8> on|off [--timeout S]", false, false, true},
    {"record", Verb::Record, 1, 1,
     "record start [FOLDER] [--every S] [--keep DAYS] | record stop | record status [--json]", true,
     false, false},
};

UsageError usage(const QString &problem)
{
    return {problem + QStringLiteral("\nRun 'tarnwick-ctl --help' for the commands.")};
}

std::optional<int> wholeNumber(const QString &text, int lowest, int highest)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (!ok || number < lowest || number > highest)
        return std::nullopt;
    return number;
}

std::optional<bool> onOff(const QString &word)
{
    if (word == QLatin1String("on"))
        return true;
    if (word == QLatin1String("off"))
        return false;
    return std::nullopt;
}

// Reads the words after the verb into the invocation, or says what is wrong with them.
std::optional<UsageError> readOperands(const VerbInfo &info, const QStringList &words,
                                       Invocation &invocation)
{
    const QString verb = QLatin1String(info.name);
    if (words.size() < info.operands || words.size() > info.operands + info.optionalOperands)
        return usage(QStringLiteral("'%1' takes %2 argument(s): tarnwick-ctl %3")
                         .arg(verb)
                         .arg(info.optionalOperands == 0
                                  ? QString::number(info.operands)
                                  : QStringLiteral("%1 or %2")
                                        .arg(info.operands)
                                        .arg(info.operands + info.optionalOperands))
                         .arg(QLatin1String(info.synopsis)));
    switch (info.verb) {
    case Verb::Relay: {
        QString digits = words[0];
        if (digits.startsWith(QLatin1Char('R'), Qt::CaseInsensitive))
            digits.remove(0, 1);
        const bool numbered = !digits.isEmpty() && std::all_of(digits.cbegin(), digits.cend(),
                                                               [](QChar c) { return c.isDigit(); });
        const std::optional<int> relay = wholeNumber(digits, 1, 64);
        if (numbered && !relay)
            return usage(
                QStringLiteral("'%1' is not a relay: name one of R1 to R64").arg(words[0]));
        // Anything else is a name the panel knows, or not: that only the panel can tell.
        if (!relay && words[0].trimmed().isEmpty())
            return usage(QStringLiteral("name a relay: R1 to R64, or its name"));
        if (words[1] != QLatin1String("on") && words[1] != QLatin1String("off") &&
            words[1] != QLatin1String("toggle") && words[1] != QLatin1String("pulse"))
            return usage(QStringLiteral("'%1' is not an action: use on, off, toggle or pulse")
                             .arg(words[1]));
        const bool pulse = words[1] == QLatin1String("pulse");
        if (pulse != (words.size() == 3))
            return usage(pulse ? QStringLiteral("'pulse' needs its length: pulse SECONDS")
                               : QStringLiteral("only 'pulse' takes a length"));
        if (pulse) {
            bool ok = false;
            const double seconds = QLocale::c().toDouble(words[2], &ok);
            if (!ok || !(seconds >= 0.1 && seconds <= 3600))
                return usage(QStringLiteral("'%1' is not a pulse length: give 0.1 to 3600 seconds")
                                 .arg(words[2]));
            invocation.seconds = seconds;
        }
        invocation.number = relay.value_or(0);
        if (!relay)
            invocation.relayName = words[0];
        invocation.action = words[1];
        break;
    }
    case Verb::Macro: {
        const std::optional<int> macro = wholeNumber(words[0], 1, 32);
        if (!macro)
            return usage(
                QStringLiteral("'%1' is not a macro: give its number, 1 to 32").arg(words[0]));
        invocation.number = *macro;
        break;
    }
    case Verb::Aout: {
        const std::optional<int> output = wholeNumber(words[0], 1, 2);
        if (!output)
            return usage(QStringLiteral("'%1' is not an analog output: use 1 or 2").arg(words[0]));
        const std::optional<int> value = wholeNumber(words[1], 0, 255);
        if (!value)
            return usage(QStringLiteral("'%1' is not a level: give a whole number from 0 to 255")
                             .arg(words[1]));
        invocation.number = *output;
        invocation.value = *value;
        break;
    }
    case Verb::WaitInput: {
        if (words[0] != QLatin1String("input"))
            return usage(QStringLiteral("'wait' waits for an input: tarnwick-ctl %1")
                             .arg(QLatin1String(info.synopsis)));
        const std::optional<int> input = wholeNumber(words[1], 1, 8);
        if (!input)
            return usage(
                QStringLiteral("'%1' is not an input: give its number, 1 to 8").arg(words[1]));
        const std::optional<bool> on = onOff(words[2]);
        if (!on)
            return usage(QStringLiteral("'%1' is not a state: use on or off").arg(words[2]));
        invocation.number = *input;
        invocation.on = *on;
        break;
    }
    case Verb::Record: {
        const QString &action = words[0];
        if (action != QLatin1String("start") && action != QLatin1String("stop") &&
            action != QLatin1String("status"))
            return usage(QStringLiteral("'%1' is not a recording action: use start, stop or status")
                             .arg(action));
        if (words.size() > 1 && action != QLatin1String("start"))
            return usage(QStringLiteral("only 'record start' takes a folder"));
        if ((invocation.every || invocation.keepDays) && action != QLatin1String("start"))
            return usage(QStringLiteral("only 'record start' takes --every and --keep"));
        invocation.action = action;
        // The panel runs elsewhere: a folder is sent as the absolute path it means here.
        if (words.size() > 1)
            invocation.folder = QDir::cleanPath(QDir::current().absoluteFilePath(words[1]));
        break;
    }
    case Verb::Help:
    case Verb::Version:
    case Verb::Status:
    case Verb::Watch:
        break;
    }
    return std::nullopt;
}

} // namespace

std::variant<Invocation, UsageError> parse(const QStringList &arguments)
{
    Invocation invocation;
    QStringList words;
    bool help = false;
    bool version = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            help = true;
        } else if (argument == QLatin1String("--version")) {
            version = true;
        } else if (argument == QLatin1String("--json")) {
            invocation.json = true;
        } else if (argument == QLatin1String("--wait")) {
            invocation.wait = true;
        } else if (argument == QLatin1String("--timeout") ||
                   argument == QLatin1String("--socket") || argument == QLatin1String("--every") ||
                   argument == QLatin1String("--keep")) {
            if (i + 1 == arguments.size())
                return usage(QStringLiteral("%1 needs a value").arg(argument));
            const QString value = arguments[++i];
            if (argument == QLatin1String("--socket")) {
                invocation.socket = value;
                continue;
            }
            if (argument == QLatin1String("--every") || argument == QLatin1String("--keep")) {
                const bool every = argument == QLatin1String("--every");
                const int highest = every ? longestEvery : mostKeepDays;
                std::optional<int> &number = every ? invocation.every : invocation.keepDays;
                number = wholeNumber(value, 0, highest);
                if (!number)
                    return usage(
                        QStringLiteral("%1 takes a whole number of %2 from 0 to %3, not '%4'")
                            .arg(argument,
                                 every ? QStringLiteral("seconds") : QStringLiteral("days"))
                            .arg(highest)
                            .arg(value));
                continue;
            }
            bool ok = false;
            const double seconds = value.toDouble(&ok);
            if (!ok || !(seconds > 0) || seconds > longestTimeout)
                return usage(QStringLiteral("--timeout takes seconds, a number above 0 and at "
                                            "most %1, not '%2'")
                                 .arg(longestTimeout)
                                 .arg(value));
            invocation.timeout = seconds;
        } else if (argument.startsWith(QLatin1String("--"))) {
            return usage(QStringLiteral("unknown option '%1'").arg(argument));
        } else {
            words << argument;
        }
    }
    if (help)
        return Invocation{};
    if (version) {
        Invocation asked;
        asked.verb = Verb::Version;
        return asked;
    }
    if (words.isEmpty())
        return usage(QStringLiteral("no command given"));

    const VerbInfo *info = nullptr;
    for (const VerbInfo &candidate : verbs)
        if (words[0] == QLatin1String(candidate.name))
            info = &candidate;
    if (!info)
        return usage(QStringLiteral("unknown command '%1'").arg(words[0]));
    const QString verb = words.takeFirst();
    if (invocation.json && !info->takesJson)
        return usage(QStringLiteral("'%1' takes no --json").arg(verb));
    if (invocation.wait && !info->takesWait)
        return usage(QStringLiteral("'%1' takes no --wait").arg(verb));
    if (invocation.timeout && !info->takesTimeout)
        return usage(QStringLiteral("'%1' takes no --timeout").arg(verb));
    if (invocation.timeout && info->takesWait && !invocation.wait)
        return usage(QStringLiteral("--timeout counts only with --wait"));
    invocation.verb = info->verb;
    if (const std::optional<UsageError> error = readOperands(*info, words, invocation))
        return *error;
    return invocation;
}

QString usageText()
{
    QString text = QStringLiteral("Usage: tarnwick-ctl [--socket PATH] COMMAND\n"
                                  "       tarnwick-ctl --help | --version\n\n"
                                  "Controls the running Tarnwick panel of these settings.\n\n"
                                  "Commands:\n");
    for (const VerbInfo &info : verbs)
        text += QStringLiteral("  tarnwick-ctl %1\n").arg(QLatin1String(info.synopsis));
    text += QStringLiteral(
        "\n--json prints one JSON object a line. --wait waits until a later frame shows the\n"
        "relays as asked (--timeout S, default 2 s); wait input waits without limit unless\n"
        "--timeout is given. record start --every S writes at most one row per S seconds\n"
        "besides a row at every change of a relay, an input or the link (0, the default:\n"
        "a row per frame); --keep DAYS removes recordings of days more than DAYS before\n"
        "today (0, the default: keeps them all). Finished days are compressed to .csv.gz.\n\n"
        "Exit status: 0 done, 1 not confirmed in time, 2 usage, 3 no panel running,\n"
        "4 refused by the panel (the reason is printed).\n");
    return text;
}

} // namespace CtlArguments
