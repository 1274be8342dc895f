#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <array>

class frmMonitor;

// What the window shows of the last complete frame, as the control socket reports it.
struct PanelStatus
{
    QString link; // "never", "live", "no-reply" or "lost"
    int port = 0;
    QString device;                // empty while the port is not open
    std::array<bool, 64> relays{}; // index 0 is R1
    std::array<bool, 8> inputs{};
    std::array<QString, 8> inputNames;
    std::array<double, 6> meters{};
    std::array<QString, 6> meterCaptions;
    QString temperature;
    QString frequency;
    std::array<int, 2> aout{};
    QByteArray frame; // empty before the first complete frame

    QJsonObject toJson() const;
};

// The relays as their buttons show them: on where a button has the on colour. Index 0 is R1.
std::array<bool, 64> shownRelays(const frmMonitor &window);

// Read from the window's own elements, so the report is what the user sees: the button and
// lamp colours, the needles, the readouts and the sliders.
PanelStatus readPanelStatus(frmMonitor &window);
