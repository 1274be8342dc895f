#pragma once

#include <QByteArray>
#include <array>
#include <optional>

// What a command frame was, once the board has applied it.
enum class FrameKind {
    RelayBank,     // "$A0".."$H0": the masked relays of that bank were inverted
    AnalogOutput1, // "$II": the argument is the new level of analog output 1
    AnalogOutput2, // "$JJ": the same for analog output 2
    StatusRequest, // "$;;;": the board answers with its status frame
    Unknown        // anything else: the board ignores it
};

// Everything the board knows: what it reports in its status frame, and the analog-output
// levels it was last told. Pure data; no I/O.
//
// A fresh state has every relay off, every input off, every meter at 0, 75 degrees
// Fahrenheit, the frequency "00000" and no analog-output level received yet.
//
// Setters check their arguments: an index or value out of range is refused (false) and
// the state stays as it was.
class BoardState
{
public:
    static constexpr int relayBankCount = 8;
    static constexpr int relayCount = 64;
    static constexpr int meterCount = 6;
    static constexpr int maxMeter = 999;
    static constexpr int minTemperature = -99;
    static constexpr int maxTemperature = 999;

    // Bank 0..7 stands for A..H; bit p is the relay at position p, set = on.
    quint8 relayBank(int bank) const;
    bool setRelayBank(int bank, quint8 bits);

    // Relay by its caption number 1..64 ("R1".."R64"): bank (n-1)/8, position (n-1)%8.
    bool relay(int number) const;
    bool setRelay(int number, bool on);

    // Bit k is input k+1.
    quint8 inputs() const { return m_inputs; }
    void setInputs(quint8 bits) { m_inputs = bits; }

    // Channel 0..5; the value is sent as it is, 0..999 (the panel's full scale is 255).
    int meter(int channel) const;
    bool setMeter(int channel, int value);

    // Degrees Fahrenheit, -99..999.
    int temperature() const { return m_temperature; }
    bool setTemperature(int fahrenheit);

    // Five printable ASCII characters, sent unchanged (" 1234", "01234").
    QByteArray frequency() const { return m_frequency; }
    bool setFrequency(const QByteArray &text);

    // Output 1 or 2: the last level received in "$II" / "$JJ", none until the first one.
    std::optional<quint8> analogOutput(int output) const;
    bool setAnalogOutput(int output, std::optional<quint8> level);

    // The 70-character reply to a status request, carriage return included.
    QByteArray statusFrame() const;

    // Applies one complete five-byte command frame as the board does and says what it was.
    // A relay-bank frame inverts every relay of its bank whose mask bit is set.
    FrameKind apply(const QByteArray &frame);

    bool operator==(const BoardState &) const = default;

private:
    std::array<quint8, relayBankCount> m_banks{};
    quint8 m_inputs = 0;
    std::array<int, meterCount> m_meters{};
    int m_temperature = 75;
    QByteArray m_frequency = QByteArrayLiteral("00000");
    std::array<std::optional<quint8>, 2> m_analogOutputs{};
};
