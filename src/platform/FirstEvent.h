#pragma once

#include <QEvent>
#include <functional>

class QObject;

// Runs `action` once, when `object` first receives an event of `type`, before the object
// handles it. For what a widget needs only once it is polished or painted: building a window
// then does not pay for what the user may never look at (a label's selectable text, a
// hidden page's own font).
void onFirstEvent(QObject *object, QEvent::Type type, std::function<void()> action);
