#pragma once

#include <QObject>
#include <functional>

// Whether assistive technology listens to this program, and a call for each owner when one
// starts to. Texts that only a screen reader reads (a light's state, a needle's reading as
// a name) need not follow every poll while none listens: each new text sends an
// accessibility event, and resolving the event's target costs about as much as painting
// the widget. Owners keep such texts current while a reader listens and bring them up to
// date when one starts.
//
// The state follows QAccessible's activation: the platform's bridge turns it on when a
// screen reader connects, and QAccessible::setActive() turns it on and off by hand.
namespace ScreenReader {

bool listening();

// Calls `bringUpToDate` whenever a screen reader starts listening, for as long as `owner`
// lives. Not called at once: an owner listening already does its describing as it goes.
void whenListening(QObject *owner, std::function<void()> bringUpToDate);

} // namespace ScreenReader
