#pragma once

#include "StatusDecoders.h"

#include <QString>

class QWidget;
struct MonitorWidgets;

// What the monitor window tells assistive technology beyond the visible texts: the state
// that the lamps and relay buttons show only by their colour.
namespace MonitorAccessibility {

// The description of a lamp or relay button that is lit, and of one that is out.
QString onText();
QString offText();

// Describes one lamp or button as on or off. A widget already described so is left alone,
// so an unchanged state sends no accessibility event; true when the description changed.
bool describeLight(QWidget *widget, bool on);

// Describes the eight input lamps and, when the frame's relay banks were decoded, the 64
// relay buttons as the frame paints them. Called with each frame's decoding, after the
// colours are set; only the lights whose state changed are touched, and their number is
// returned.
int describeLights(MonitorWidgets &w, const StatusDecoders::TickDisplay &tick);

// The frequency and temperature readouts' values, as their description; only those that
// changed are touched, and their number is returned.
int describeReadouts(MonitorWidgets &w);

// The link lamps' state, as their tooltip words it, for assistive technology; set only
// when it changed.
void describeLink(MonitorWidgets &w, const QString &state);

} // namespace MonitorAccessibility
