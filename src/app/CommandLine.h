#pragma once

#include <optional>

// What the command line asks before anything starts: --help and --version print their text
// and end, with no window, no port and no settings touched. Every other argument is Qt's
// to read (-platform, -style, ...), as it always was.
namespace CommandLine {

// The exit code when the command line asked for a text, which has been printed; nothing
// when the panel should start.
std::optional<int> answer(int argc, char *argv[]);

} // namespace CommandLine
