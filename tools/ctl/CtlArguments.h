#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

// The command line of tarnwick-ctl, read into what to do. Plain functions: nothing here
// talks to the panel.
namespace CtlArguments {

enum class Verb { Help, Version, Status, Relay, Macro, Aout, Watch, WaitInput, Record };

struct Invocation
{
    Verb verb = Verb::Help;
    bool json = false;             // status, watch
    bool wait = false;             // relay, macro
    std::optional<double> timeout; // seconds: relay and macro with --wait, wait input
    int number = 0;                // relay 1..64, macro 1..32, output 1..2, input 1..8
    QString relayName;             // relay: a name to look up in the panel, number 0 then
    QString action;                // relay: "on", "off", "toggle" or "pulse"; record:
                                   // "start", "stop" or "status"
    double seconds = 0;            // relay pulse: 0.1..3600
    QString folder;                // record start: absolute, or empty for the default
    std::optional<int> every;      // record start --every: seconds, 0 for every frame
    std::optional<int> keepDays;   // record start --keep: days, 0 for all
    bool on = true;                // wait input: the state waited for
    int value = 0;                 // aout: 0..255
    QString socket;                // --socket: a panel's socket named by hand
};

// What is wrong with the command line, for standard error: names the problem and points
// to the usage.
struct UsageError
{
    QString message;
};

// The arguments after the program's name.
std::variant<Invocation, UsageError> parse(const QStringList &arguments);

// The text of --help.
QString usageText();

} // namespace CtlArguments
