#pragma once

// Where each value stands in a row of a recording. One row per complete frame, and one
// more whenever the link's state changes:
//
//   Time, Link, R1..R64, the eight inputs (headed by their names), the six meters (headed
//   by their captions), Temperature (°F), Frequency, An Out 1, An Out 2, Frame
//
// Time is local with milliseconds and the offset, "2026-12-09T13:45:01.123+01:00". Link is
// "never", "live", "no-reply" or "lost". Relays and inputs are 0 or 1; meters are the
// needles' values in their scale's units, written in the C locale; temperature is the
// board's reading in degrees Fahrenheit and empty when the frame held none; frequency is the
// five characters as received; the outputs are 0..255; the frame is always quoted.
namespace RecordColumns {

inline constexpr int relayCount = 64;
inline constexpr int inputCount = 8;
inline constexpr int meterCount = 6;

inline constexpr int time = 0;
inline constexpr int link = 1;
inline constexpr int firstRelay = 2;
inline constexpr int firstInput = firstRelay + relayCount;
inline constexpr int firstMeter = firstInput + inputCount;
inline constexpr int temperature = firstMeter + meterCount;
inline constexpr int frequency = temperature + 1;
inline constexpr int firstOutput = frequency + 1;
inline constexpr int frame = firstOutput + 2;
inline constexpr int count = frame + 1;

} // namespace RecordColumns
