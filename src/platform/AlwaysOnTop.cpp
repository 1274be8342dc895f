#include "AlwaysOnTop.h"

#include <QWidget>
#include <QWindow>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

void SetAlwaysOnTop(QWidget *window, bool on)
{
#ifdef Q_OS_WIN
    const QRect frame = window->frameGeometry();
    ::SetWindowPos(reinterpret_cast<HWND>(window->winId()), on ? HWND_TOPMOST : HWND_NOTOPMOST,
                   frame.x(), frame.y(), frame.width(), frame.height(),
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    window->overrideWindowFlags(flags);
#else
    // QWidget::setWindowFlags would hide and re-create the window. The widget keeps its
    // record of the flag, and the native window asks the window manager for the "above"
    // state (_NET_WM_STATE_ABOVE on X11) in place.
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    window->overrideWindowFlags(flags);
    if (QWindow *handle = window->windowHandle())
        handle->setFlags(flags);
    if (!window->isVisible()) {
        const bool quiet = window->testAttribute(Qt::WA_ShowWithoutActivating);
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window->show();
        window->setAttribute(Qt::WA_ShowWithoutActivating, quiet);
    }
#endif
}
