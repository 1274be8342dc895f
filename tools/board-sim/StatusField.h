#pragma once

#include <QString>
#include <array>
#include <optional>

// Where the board writes each field of its 70-character status frame. Positions count from
// 1, as on the wire listings of the board; every three-character field is a zero-padded
// decimal number.
namespace StatusLayout {

inline constexpr int frameLength = 70;
inline constexpr int numberWidth = 3;
inline constexpr std::array<int, 8> relayBankStart{1, 5, 9, 13, 17, 21, 25, 29};
// Channel 3 follows channel 2 with no separator between them: the board has always sent it
// that way and the panel reads it that way.
inline constexpr std::array<int, 6> meterStart{34, 38, 42, 45, 49, 53};
inline constexpr int inputsStart = 57;
inline constexpr int temperatureStart = 61;
inline constexpr int frequencyStart = 65;
inline constexpr int frequencyWidth = 5;

} // namespace StatusLayout

// One of the numeric fields of the status frame, for fault injection and for naming fields
// on the console.
struct StatusField
{
    enum class Kind { RelayBank, Meter, Inputs, Temperature };

    Kind kind = Kind::Inputs;
    int index = 0; // bank 0..7 (A..H) or meter channel 0..5; 0 otherwise

    bool operator==(const StatusField &) const = default;
};

// 1-based position of the field's first character; 0 for an index out of range.
int statusFieldStart(StatusField field);

// Reads a console name: "A".."H" (a relay bank), "meter N" or "mN" (N = 0..5), "inputs",
// "temp". Case does not matter. Nothing for anything else.
std::optional<StatusField> parseStatusField(const QString &name);

// The name parseStatusField() reads back, e.g. "A", "meter 3", "inputs", "temp".
QString statusFieldName(StatusField field);
