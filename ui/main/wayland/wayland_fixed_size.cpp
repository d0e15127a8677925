#include "ui/main/wayland/wayland_fixed_size.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#if PONDEL_WAYLAND_SHM && PONDEL_WAYLAND_TITLE_BARS
#include "xdg-shell-client-protocol.h"

#include <qpa/qplatformnativeinterface.h>
#endif

namespace {

// Qt sends xdg_toplevel.set_maximized at once but takes the state as its own only from the
// compositor's answer; asked to restore before that, it believes there is nothing to undo.
void withdrawMaximizeRequest(QWindow& window)
{
#if PONDEL_WAYLAND_SHM && PONDEL_WAYLAND_TITLE_BARS
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (auto* toplevel = static_cast<xdg_toplevel*>(native ? native->nativeResourceForWindow("xdg_toplevel", &window)
                                                           : nullptr))
        xdg_toplevel_unset_maximized(toplevel);
#else
    (void)window;
#endif
}

}  // namespace

void keepFixedSizeWindowsUnmaximized(QWidget& window)
{
    window.winId();
    QWindow* handle = window.windowHandle();
    if (!handle)
        return;
    QObject::connect(handle, &QWindow::windowStateChanged, &window, [handle](Qt::WindowState state) {
        if (state != Qt::WindowMaximized)
            return;
        withdrawMaximizeRequest(*handle);
        handle->setWindowStates(handle->windowStates() & ~Qt::WindowMaximized);
    });
}
