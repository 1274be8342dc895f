#pragma once

#include <QByteArrayView>
#include <QString>
#include <variant>

// One request of the control socket, read from a line of JSON. Everything from outside is
// checked here, field by field, before anything acts on it:
//
//   {"command":"status"}                              the state of the last complete frame
//   {"command":"watch"}                               that state again with every frame
//   {"command":"relay","relay":5,"action":"on"}       relay 1..64: "on", "off" or "toggle"
//   {"command":"macro","macro":3}                     macro button 1..32
//   {"command":"aout","output":1,"value":13}          analog output 1 or 2: 0..255
//   {"command":"raise"}                               bring the window to the front
//   {"command":"record","action":"start","folder":"/abs/path"}   record to a folder; the
//                                                     folder may be left out for the default
//   {"command":"record","action":"stop"|"status"}     stop recording, or say what it does
//
// A field that is missing, of the wrong type or out of range, or one that no command
// takes, makes the whole request fail with a message saying which.
namespace ControlRequest {

enum class Command { Status, Watch, Relay, Macro, Aout, Raise, Record };
enum class RelayAction { On, Off, Toggle };
enum class RecordAction { Start, Stop, Status };

inline constexpr int relayCount = 64;
inline constexpr int macroCount = 32;

struct Request
{
    Command command = Command::Status;
    int relay = 0; // 1..64 for Relay
    RelayAction action = RelayAction::Toggle;
    int macro = 0;  // 1..32 for Macro
    int output = 0; // 1..2 for Aout
    int value = 0;  // 0..255 for Aout
    RecordAction recordAction = RecordAction::Status;
    QString folder; // Record start: an absolute path, or empty for the default folder
};

struct Failure
{
    QString code;    // "bad-request" or "unknown-command"
    QString message; // for the user: what was wrong
};

std::variant<Request, Failure> parse(QByteArrayView line);

} // namespace ControlRequest
