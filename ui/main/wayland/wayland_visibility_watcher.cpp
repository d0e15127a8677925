#include "ui/main/wayland/wayland_visibility_watcher.h"

#include <QWidget>

#if PONDEL_WAYLAND_SHM

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

namespace {

// Wayland never tells a client it is hidden or minimized; a compositor that does not draw
// a surface only stops answering its frame callbacks. Once a second the tank asks for
// one, with a pixel damaged so that the compositor draws even when the frame stood
// still; unanswered for a second, the tank is unseen, and the answer, whenever the
// compositor draws it again, makes it seen.
class WaylandVisibilityWatcher final : public VisibilityWatcher {
public:
    WaylandVisibilityWatcher(QWidget& tank, wl_display* display) : tank_(tank), display_(display)
    {
        probe_.setInterval(kProbeMs);
        probe_.callOnTimeout([this] { probe(); });
        probe_.start();
    }
    ~WaylandVisibilityWatcher() override
    {
        if (callback_)
            wl_callback_destroy(callback_);
    }

private:
    static constexpr int kProbeMs = 1000;
    // Hidden, a look now and then whether Qt made the surface anew, which drops the
    // question asked of the old one.
    static constexpr int kHiddenProbeMs = 5000;

    void probe()
    {
        // The view's own subsurface (the tank's presenter made it native); Qt makes a new
        // one each time the view is shown.
        QWindow* window = tank_.windowHandle();
        auto* surface = static_cast<wl_surface*>(
            window ? QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface", window) : nullptr);
        if (callback_ && surface == surface_) {
            // Not drawn since the last probe: hidden until it is.
            probe_.setInterval(kHiddenProbeMs);
            setReason(1, true);
            return;
        }
        if (callback_) {
            wl_callback_destroy(callback_);
            callback_ = nullptr;
        }
        surface_ = surface;
        if (!surface)
            return;
        // The answer comes on the surface's queue, which Qt dispatches on this thread.
        callback_ = wl_surface_frame(surface);
        static constexpr wl_callback_listener listener{&WaylandVisibilityWatcher::drawn};
        wl_callback_add_listener(callback_, &listener, this);
        wl_surface_damage(surface, 0, 0, 1, 1);
        wl_surface_commit(surface);
        wl_display_flush(display_);
    }

    static void drawn(void* data, wl_callback* callback, std::uint32_t)
    {
        auto* self = static_cast<WaylandVisibilityWatcher*>(data);
        wl_callback_destroy(callback);
        self->callback_ = nullptr;
        self->probe_.start(kProbeMs);
        self->setReason(1, false);
    }

    QWidget& tank_;
    wl_display* display_;
    wl_surface* surface_ = nullptr;  // Qt's, as last asked
    wl_callback* callback_ = nullptr;
    QTimer probe_;
};

}  // namespace

std::unique_ptr<VisibilityWatcher> createWaylandVisibilityWatcher(QWidget& tank)
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return nullptr;
    // Only a surface of the tank's own may be committed by us: Qt's main surface is
    // Qt's business.
    if (!tank.internalWinId())
        return nullptr;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    auto* display = static_cast<wl_display*>(native ? native->nativeResourceForIntegration("wl_display") : nullptr);
    if (!display)
        return nullptr;
    return std::make_unique<WaylandVisibilityWatcher>(tank, display);
}

#else  // no Wayland in this build

std::unique_ptr<VisibilityWatcher> createWaylandVisibilityWatcher(QWidget&)
{
    return nullptr;
}

#endif
