#pragma once

#include <QByteArrayView>
#include <QJsonValue>
#include <QString>
#include <optional>
#include <variant>

// One request of the control socket, read from a line of JSON. Everything from outside is
// checked here, field by field, before anything acts on it:
//
//   {"command":"status"}                              the state of the last complete frame
//   {"command":"watch"}                               that state again with every frame
//   {"command":"relay","relay":5,"action":"on"}       relay 1..64: "on", "off" or "toggle"
//   {"command":"relay","relay":5,"action":"pulse","seconds":2.5}   on, and off again after
//                                                     0.1 to 3600 s
//   {"command":"macro","macro":3}                     macro button 1..32
//   {"command":"aout","output":1,"value":13}          analog output 1 or 2: 0..255
//   {"command":"raise"}                               bring the window to the front
//   {"command":"record","action":"start","folder":"/abs/path","every":10,"keepDays":30}
//                                                     record to a folder; the folder may be
//                                                     left out for the default, and the pace
//                                                     (seconds, 0 every frame) and the days
//                                                     kept (0 all) for the panel's own
//   {"command":"record","action":"stop"|"status"}     stop recording, or say what it does
//
// A field that is missing, of the wrong type or out of range, or one that no command
// takes, makes the whole request fail with a message saying which.
namespace ControlRequest {

enum class Command { Status, Watch, Relay, Macro, Aout, Raise, Record };
enum class RelayAction { On, Off, Toggle, Pulse };
enum class RecordAction { Start, Stop, Status };

inline constexpr int relayCount = 64;
inline constexpr int macroCount = 32;

struct Request
{
    Command command = Command::Status;
    int relay = 0; // 1..64 for Relay
    RelayAction action = RelayAction::Toggle;
    int pulseMs = 0; // 100..3600000 for a pulse
    int macro = 0;   // 1..32 for Macro
    int output = 0;  // 1..2 for Aout
    int value = 0;   // 0..255 for Aout
    RecordAction recordAction = RecordAction::Status;
    QString folder; // Record start: an absolute path, or empty for the default folder
    std::optional<int> everySeconds; // Record start: the pace, when given
    std::optional<int> keepDays;     // Record start: the days kept, when given
};

struct Failure
{
    QString code;    // "bad-request" or "unknown-command"
    QString message; // for the user: what was wrong
};

std::variant<Request, Failure> parse(QByteArrayView line);

// A pulse's length in seconds as milliseconds: a number from 0.1 to 3600, else nothing.
std::optional<int> pulseLength(const QJsonValue &seconds);

} // namespace ControlRequest
