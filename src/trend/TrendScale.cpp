#include "TrendScale.h"

#include "AGauge.h"
#include "BgrColor.h"

#include <cmath>
#include <utility>

TrendScale readTrendScale(AGauge &gauge)
{
    TrendScale scale;
    scale.caption = gauge.caption();
    if (GaugeScale::isUsable(gauge.scaleMin(), gauge.scaleMax())) {
        scale.minimum = gauge.scaleMin();
        scale.maximum = gauge.scaleMax();
    } else {
        scale.minimum = 0.0;
        scale.maximum = 1.0;
    }
    const int selected = gauge.currentAnnular();
    for (int i = 0; i < AGauge::annularCount; ++i) {
        gauge.setCurrentAnnular(i);
        double low = gauge.annularStart(), high = gauge.annularEnd();
        if (!(low != high) || !std::isfinite(low) || !std::isfinite(high))
            continue;
        if (low > high)
            std::swap(low, high);
        scale.bands.append({low, high, BgrColor::toColor(gauge.annularColor())});
    }
    gauge.setCurrentAnnular(selected);
    return scale;
}
