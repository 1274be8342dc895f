#pragma once

#include <QString>

// What the panel's core asks of the front end that holds the user's settings as they stand
// now: the window reads them from its elements, a service from the store. Asked as frames
// are decoded and commands checked, so a change counts from the next frame or command. The
// gauges' scales and captions are the window's live gauges, which the Meters page edits;
// the names beside inputs, outputs and macros are the core's own (PanelNames).
class PanelOptions
{
public:
    virtual ~PanelOptions() = default;

    // The watchdog relay, "R16", which "WDT" keeps as it is.
    static constexpr int watchdogRelay = 15;

    // Gauge m (0..5): its scale maximum and its multiplier as text.
    virtual double meterScaleMax(int m) const = 0;
    virtual QString meterMultiplier(int m) const = 0;
    virtual QString meterCaption(int m) const = 0;
    // "Deg C": the temperature readout in Celsius.
    virtual bool temperatureInCelsius() const = 0;
    // A relay (0..63) that no command may switch now: "R16" while "WDT" is checked.
    virtual bool relayLocked(int relay) const = 0;
};
