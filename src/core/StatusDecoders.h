#pragma once

#include "CommandFrames.h"
#include "StatusFrame.h"

#include <QByteArrayView>
#include <QString>
#include <array>
#include <optional>

// The decoders that turn each complete status frame into the window's lamps, relay buttons
// and needles. They know nothing of widgets: each tells what to paint, and how far it got,
// so a frame with an unreadable field leaves the display exactly as the old panel left it
// (the user sees a field fail the same way on both).
namespace StatusDecoders {

inline constexpr int inputCount = 8;
inline constexpr int bankCount = CommandFrames::bankCount;
inline constexpr int relaysPerBank = CommandFrames::relaysPerBank;
inline constexpr int meterCount = int(std::size(StatusFrame::meters));
inline constexpr double meterFullScale = 255.0;

// On or off for eight lamps or buttons; index k has the weight 2 to the power k.
using Lights = std::array<bool, 8>;

// Lights a field's value the way the panel always has: for weights 128 down to 1, a lamp
// is on when what is left is at least its weight, which is then taken away. For 0..255 that
// is the value's bits; above 255 every lamp is on (300 and 256 light all eight), and a
// negative value lights none. Deliberately not a bit test: a field the board never sends
// must still show as the panel showed it.
Lights lightsFor(int value);

// The input lamps. All eight are put out first; a field that does not read as a number
// leaves them all out and stops the tick.
struct InputDisplay
{
    Lights lamps{};
    bool decoded = false; // false: the field did not read, the tick ends here
};
InputDisplay decodeInputs(QByteArrayView frame);

// The 64 relay buttons, [bank][position]. All are put out first, then the banks are read A
// to H; the first bank that does not read stops the decoder, so it and the banks after it
// stay out.
struct RelayDisplay
{
    std::array<Lights, bankCount> banks{};
    int banksDecoded = 0; // 8 when every bank read
    bool decoded() const { return banksDecoded == bankCount; }
};
RelayDisplay decodeRelays(QByteArrayView frame);

// The needle of gauge m is (F / 255) x S x M: F the channel field, S the gauge's scale
// maximum, M the multiplier text read as a number. The scale minimum takes no part, so a
// field of 0 gives 0 even on a scale that starts above it; a value off the scale is passed
// on as it is. The first channel or multiplier that does not read (an empty multiplier
// does not) stops the decoder: meters before it get their needle, it and later ones keep
// theirs.
struct MeterDisplay
{
    std::array<double, meterCount> needles{}; // valid below metersDecoded
    int metersDecoded = 0;                    // 6 when every meter read
    bool decoded() const { return metersDecoded == meterCount; }
};
MeterDisplay decodeMeters(QByteArrayView frame, const std::array<double, meterCount> &scaleMaxima,
                          const std::array<QString, meterCount> &multipliers);

// One tick's decoding, in the tick's order: inputs, relays, meters. A decoder that fails
// ends the tick, so the ones after it are absent (their display is left untouched), and the
// analog outputs are sent only when all three went through.
struct TickDisplay
{
    InputDisplay inputs;
    std::optional<RelayDisplay> relays;
    std::optional<MeterDisplay> meters;
    bool reachesOutputs = false;
};
TickDisplay decodeTick(QByteArrayView frame, const std::array<double, meterCount> &scaleMaxima,
                       const std::array<QString, meterCount> &multipliers);

} // namespace StatusDecoders
