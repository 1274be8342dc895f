#pragma once

// What assistive technology reads of the panel's own widgets, where Qt's interface for their
// base class would say too little: a gauge is a read-only value with a scale, not a blank
// widget, and a lamp is lit or out, not just a text.
class QObject;

namespace PanelAccessibility {

// Makes these interfaces known to QAccessible, once; the widgets call it as they are made.
void install();

// Tells a listening screen reader that `object`'s checked state changed, so it announces it.
void checkedChanged(QObject *object);

} // namespace PanelAccessibility
