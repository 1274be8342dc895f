#pragma once

#include <QColor>
#include <QList>
#include <QString>

class AGauge;

// What one channel's plot takes from its gauge: the caption, the scale's ends and the
// coloured bands the dial shows.
struct TrendScale
{
    struct Band
    {
        double low = 0.0;
        double high = 0.0;
        QColor color;
        bool operator==(const Band &) const = default;
    };

    QString caption;
    double minimum = 0.0;
    double maximum = 5.0;
    // Only the bands in use (start and end differ), each with its ends in order.
    QList<Band> bands;

    bool operator==(const TrendScale &) const = default;
};

// Reads the gauge's caption, scale and bands. The gauge's selected band is left as it was.
// A scale the gauge cannot use (ends not finite, or not in order) becomes 0..1, so the
// plot always has an axis to draw on.
TrendScale readTrendScale(AGauge &gauge);
