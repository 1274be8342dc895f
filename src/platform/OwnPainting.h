#pragma once

#include <QEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QWidget>

// What the widgets that paint every pixel of their own from kept pixmaps share.
namespace OwnPainting {

// The pixel density of the device actually painted on: a grab or a print may be denser
// than the screen the widget is on.
inline qreal pixelRatio(const QPainter &painter, const QWidget &widget)
{
    const QPaintDevice *target =
        painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    return target ? target->devicePixelRatio() : widget.devicePixelRatio();
}

// Marks the widget opaque, so nothing behind it is painted, after each polish: a style may
// clear the mark when it polishes a widget (Fusion does for buttons). Call it from event()
// once the base class has handled the event.
inline void keepOpaque(QWidget &widget, const QEvent &event)
{
    if (event.type() == QEvent::Polish || event.type() == QEvent::StyleChange)
        widget.setAttribute(Qt::WA_OpaquePaintEvent);
}

// Whether any of the widget lies within its window: one the window cuts off (a view that
// ends above it) is painted when the window shows it, and marking it for repaint before
// that costs the window's bookkeeping for nothing.
inline bool withinWindow(const QWidget &widget)
{
    const QWidget *window = widget.window();
    return QRect(widget.mapTo(window, QPoint(0, 0)), widget.size()).intersects(window->rect());
}

} // namespace OwnPainting
