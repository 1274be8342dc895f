#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>

// What the board last showed, as the panel shows it: the relay buttons' states, the input
// lamps, the needles and the readouts. Every front end renders this; none keeps its own.
struct ShownState
{
    // A relay button before its first painting shows neither state.
    enum class Relay : quint8 { Unpainted, Off, On };

    static constexpr int relayCount = 64;
    static constexpr int inputCount = 8;
    static constexpr int meterCount = 6;

    std::array<Relay, relayCount> relays{}; // index 0 is R1
    std::array<bool, inputCount> inputs{};
    std::array<double, meterCount> meters{}; // the needles: field, scale and multiplier
    QString temperature;                     // "75F" or "23C"; empty until a frame showed one
    QString frequency;                       // the five characters as received
    QByteArray frame;                        // the last complete frame; empty until one came

    bool relayOn(int relay) const { return relays[std::size_t(relay)] == Relay::On; }
    std::array<bool, relayCount> relaysOn() const
    {
        std::array<bool, relayCount> on{};
        for (int r = 0; r < relayCount; ++r)
            on[std::size_t(r)] = relayOn(r);
        return on;
    }
};

// The colours the panel shows a relay or input in, 0x00BBGGRR: RGB(50,200,50) on and
// RGB(200,50,50) off. The macros compare a button's colour with them.
namespace PanelColours {
inline constexpr quint32 on = 3328050;
inline constexpr quint32 off = 3289800;
// No colour of 0x00BBGGRR has a high byte: what an unpainted button compares as.
inline constexpr quint32 unpainted = 0xFF000000u;

inline constexpr quint32 of(ShownState::Relay relay)
{
    switch (relay) {
    case ShownState::Relay::On:
        return on;
    case ShownState::Relay::Off:
        return off;
    case ShownState::Relay::Unpainted:
        break;
    }
    return unpainted;
}
} // namespace PanelColours
