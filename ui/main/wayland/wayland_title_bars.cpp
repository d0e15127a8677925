#include "ui/main/wayland/wayland_title_bars.h"

#include "ui/main/wayland/wayland_decoration.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstring>

#if PONDEL_WAYLAND_TITLE_BARS

#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>

#include <cstdint>
#include <cstring>

namespace {

struct Probe {
    wl_compositor* compositor = nullptr;
    xdg_wm_base* shell = nullptr;
    zxdg_decoration_manager_v1* decorations = nullptr;
    bool configured = false;
    std::uint32_t mode = 0;  // none told yet
};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t)
{
    auto* p = static_cast<Probe*>(data);
    auto bind = [&](const wl_interface& type) { return wl_registry_bind(registry, name, &type, 1); };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !p->compositor)
        p->compositor = static_cast<wl_compositor*>(bind(wl_compositor_interface));
    else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0 && !p->shell)
        p->shell = static_cast<xdg_wm_base*>(bind(xdg_wm_base_interface));
    else if (std::strcmp(interface, zxdg_decoration_manager_v1_interface.name) == 0 && !p->decorations)
        p->decorations = static_cast<zxdg_decoration_manager_v1*>(bind(zxdg_decoration_manager_v1_interface));
}
void globalRemoved(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener registryListener{global, globalRemoved};

void ping(void*, xdg_wm_base* shell, std::uint32_t serial)
{
    xdg_wm_base_pong(shell, serial);
}
const xdg_wm_base_listener shellListener{ping};

void configured(void* data, xdg_surface*, std::uint32_t)
{
    static_cast<Probe*>(data)->configured = true;
}
const xdg_surface_listener surfaceListener{configured};

void decorationMode(void* data, zxdg_toplevel_decoration_v1*, std::uint32_t mode)
{
    static_cast<Probe*>(data)->mode = mode;
}
const zxdg_toplevel_decoration_v1_listener decorationListener{decorationMode};

// What the compositor decides for a toplevel asked the way Qt asks for its windows. A
// compositor may offer server-side title bars and still leave them to some or all clients,
// so only its answer counts.
bool compositorDrawsTitleBars(const char* appId)
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false;
    Probe p;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &p);
    wl_display_roundtrip(display);
    if (p.compositor && p.shell && p.decorations) {
        xdg_wm_base_add_listener(p.shell, &shellListener, nullptr);
        wl_surface* surface = wl_compositor_create_surface(p.compositor);
        xdg_surface* shellSurface = xdg_wm_base_get_xdg_surface(p.shell, surface);
        xdg_surface_add_listener(shellSurface, &surfaceListener, &p);
        xdg_toplevel* toplevel = xdg_surface_get_toplevel(shellSurface);
        xdg_toplevel_set_app_id(toplevel, appId);  // for the compositor's rules by application
        zxdg_toplevel_decoration_v1* decoration =
            zxdg_decoration_manager_v1_get_toplevel_decoration(p.decorations, toplevel);
        zxdg_toplevel_decoration_v1_add_listener(decoration, &decorationListener, &p);
        zxdg_toplevel_decoration_v1_unset_mode(decoration);
        // The first commit, without a buffer, asks for the first configure; some compositors
        // send it only once idle, after the round trip's answer.
        wl_surface_commit(surface);
        for (int round = 0; !p.configured && round < 10; ++round)
            if (wl_display_roundtrip(display) < 0)
                break;
        zxdg_toplevel_decoration_v1_destroy(decoration);
        xdg_toplevel_destroy(toplevel);
        xdg_surface_destroy(shellSurface);
        wl_surface_destroy(surface);
    }
    if (p.decorations)
        zxdg_decoration_manager_v1_destroy(p.decorations);
    if (p.shell)
        xdg_wm_base_destroy(p.shell);
    if (p.compositor)
        wl_compositor_destroy(p.compositor);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return p.configured && p.mode == ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE;
}

}  // namespace

void skipOpenGlWhereTheCompositorDrawsTitleBars(const char* appId)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    // WAYLAND_SOCKET is a connection made for Qt: probing would use it up.
    if ((qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsSet("WAYLAND_SOCKET"))
        || (!platform.isEmpty() && !platform.startsWith("wayland")))
        return;
    // Read by Qt's wayland platform only, at the first window; other platforms ignore it.
    if (!qEnvironmentVariableIsSet("WAYLAND_SOCKET") && !qEnvironmentVariableIsSet("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION")
        && compositorDrawsTitleBars(appId)) {
        qputenv("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION", "none");
        keepQuietAboutNoClientBufferIntegration();
        return;
    }
    // Qt may draw the title bars here, and its own offers maximize.
    drawOwnTitleBarsOnWayland();
}

#else  // no Wayland protocols in this build

void skipOpenGlWhereTheCompositorDrawsTitleBars(const char*) {}

#endif

namespace {
QtMessageHandler beforeQuiet = nullptr;

// Qt reports the integration chosen here as one it failed to load, and lists the others.
void quietAboutNone(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && context.category && std::strcmp(context.category, "qt.qpa.wayland") == 0
        && (message.startsWith(QLatin1String("Failed to load client buffer integration: \"none\""))
            || message.startsWith(QLatin1String("Available client buffer integrations:"))))
        return;
    beforeQuiet(type, context, message);
}
}  // namespace

void keepQuietAboutNoClientBufferIntegration()
{
    if (!beforeQuiet)
        beforeQuiet = qInstallMessageHandler(quietAboutNone);
}
