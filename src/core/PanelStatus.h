#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <array>

class PanelCore;

// What the panel shows of the last complete frame, as the control socket, MQTT and the
// recording report it.
struct PanelStatus
{
    QString link; // "never", "live", "no-reply" or "lost"
    int port = 0;
    QString device;                // empty while the port is not open
    std::array<bool, 64> relays{}; // index 0 is R1
    std::array<bool, 8> inputs{};
    std::array<QString, 8> inputNames;
    std::array<QString, 2> outputNames;
    std::array<QString, 32> macroNames;
    std::array<QString, 64> relayNames;
    std::array<double, 6> meters{};
    std::array<QString, 6> meterCaptions;
    QString temperature;
    QString frequency;
    std::array<int, 2> aout{};
    QByteArray frame;           // empty before the first complete frame
    quint64 answersRequest = 0; // the status request the frame answers
    struct Pulse
    {
        int relay = 0; // 1..64
        double secondsLeft = 0;
    };
    QList<Pulse> pulses; // running, by relay

    QJsonObject toJson() const;
};

// Read from the core: the relays, lamps, needles and readouts as the window shows them.
PanelStatus readPanelStatus(const PanelCore &core);
