#include "ui/settings/window_frame.h"

#include <QWidget>
#include <QWindow>

// X11 and Wayland: Qt asks the window manager (or its own title bar) for the frame.
QMargins windowSystemFrame(QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}
