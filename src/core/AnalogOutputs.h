#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

// The two analog outputs: what the level labels show, and which values the poll sends.
namespace AnalogOutputs {

inline constexpr int minimumValue = 0;
inline constexpr int maximumValue = 255;
// Where outputs 1 and 2 stand before the stored values are loaded.
inline constexpr std::array<int, 2> designValues{1, 0};

// The level label: the value divided by 51 with two decimals, halves away from zero
// (0 -> "0.00", 51 -> "1.00", 128 -> "2.51", 255 -> "5.00"). Exact for every value: a
// slider value never lands on a half, and none is invented by binary rounding.
QString levelText(int value);

// One output's values between polls. Both texts are empty at start, so nothing is sent
// until the slider changes.
class Output
{
public:
    // 1 sends "$II", 2 sends "$JJ".
    explicit Output(int number);

    int number() const { return m_number; }

    // The slider's new value becomes the pending text, plain decimal. The slider keeps to
    // 0..255; a value outside is pinned to the nearest byte so a frame never carries a
    // wrapped value.
    void change(int value);

    const QString &pending() const { return m_pending; }
    const QString &lastSent() const { return m_lastSent; }

    // The frame to send when the pending text differs from the last sent one (text
    // comparison: moving 100 -> 101 -> 100 between polls sends nothing); the pending text
    // then counts as sent.
    std::optional<QByteArray> takeFrame();

private:
    int m_number;
    int m_pendingValue = 0;
    QString m_pending;
    QString m_lastSent;
};

// The sending step after a complete tick: output 1's frame, then output 2's, each only when
// its value changed since it was last sent.
QList<QByteArray> sendingStep(Output &output1, Output &output2);

} // namespace AnalogOutputs
