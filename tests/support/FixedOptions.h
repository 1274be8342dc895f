#pragma once

// The settings a window would hold in its elements, fixed, for a core without a window.
#include "PanelOptions.h"

struct FixedOptions final : PanelOptions
{
    double meterScaleMax(int) const override { return 5.0; }
    QString meterMultiplier(int) const override { return QStringLiteral("1"); }
    QString meterCaption(int m) const override { return QStringLiteral("Meter %1").arg(m + 1); }
    bool temperatureInCelsius() const override { return false; }
    bool relayLocked(int) const override { return false; }
};
