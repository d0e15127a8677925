#include "ui/main/wayland/wayland_shm_presenter.h"

#include "ui/main/whole_pixels.h"

#include <QImage>
#include <QWidget>

#if PONDEL_WAYLAND_SHM

#include <QGuiApplication>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

struct WaylandShmPresenter::Listeners {
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t)
    {
        auto* p = static_cast<WaylandShmPresenter*>(data);
        if (std::strcmp(interface, wl_shm_interface.name) == 0 && !p->shm_)
            p->shm_ = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        else if (std::strcmp(interface, wl_subcompositor_interface.name) == 0)
            p->subcompositor_ = true;
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}
    static void release(void* data, wl_buffer* buffer)
    {
        auto* p = static_cast<WaylandShmPresenter*>(data);
        for (int slot = 0; slot < ShmBufferCycle::kSlots; ++slot)
            if (p->buffers_[std::size_t(slot)] == buffer)
                p->cycle_.released(slot);
    }
    static constexpr wl_registry_listener registry{global, globalRemove};
    static constexpr wl_buffer_listener buffer{release};
};

WaylandShmPresenter::WaylandShmPresenter(QWidget& view, QSize frameSize)
    : view_(view), size_(frameSize), cycle_(frameSize)
{
    // All held at a show: try again shortly rather than leave the last frame unshown.
    catchUp_.setSingleShot(true);
    catchUp_.setInterval(20);
    catchUp_.callOnTimeout([this] { present(); });
}

std::unique_ptr<WaylandShmPresenter> WaylandShmPresenter::create(QWidget& view, QSize frameSize)
{
    // On an output of whole-number scale the buffer has that many pixels to a frame pixel,
    // as Qt's own painting would; Qt's own fractional factors are left to Qt.
    const double ratio = view.devicePixelRatioF();
    if (frameSize.isEmpty() || !QGuiApplication::platformName().startsWith(QLatin1String("wayland"))
        || std::abs(qtScaleFactor(view.screen()) - 1.0) > 1e-6 || ratio < 1 || ratio != std::round(ratio))
        return nullptr;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    auto* display = static_cast<wl_display*>(native ? native->nativeResourceForIntegration("wl_display") : nullptr);
    if (!display)
        return nullptr;

    std::unique_ptr<WaylandShmPresenter> p(new WaylandShmPresenter(view, frameSize));
    p->scale_ = int(ratio);
    p->display_ = display;
    // Our objects' events go to a queue of our own: Qt's readers take them off the socket
    // but leave them to us, for the next show.
    p->queue_ = wl_display_create_queue(display);
    auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), p->queue_);
    p->registry_ = wl_display_get_registry(wrapped);
    wl_proxy_wrapper_destroy(wrapped);
    wl_registry_add_listener(p->registry_, &Listeners::registry, p.get());
    if (wl_display_roundtrip_queue(display, p->queue_) < 0 || !p->shm_ || !p->subcompositor_)
        return nullptr;

    // XRGB8888 is RGB32 in memory, and every compositor takes it.
    p->slotBytes_ = std::size_t(frameSize.width()) * 4 * std::size_t(frameSize.height()) * std::size_t(p->scale_ * p->scale_);
    const std::size_t poolBytes = p->slotBytes_ * ShmBufferCycle::kSlots;
    const int fd = memfd_create("pondel-tank", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    void* pixels = MAP_FAILED;
    if (ftruncate(fd, off_t(poolBytes)) == 0)
        pixels = mmap(nullptr, poolBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels != MAP_FAILED) {
        p->pixels_ = static_cast<unsigned char*>(pixels);
        p->pool_ = wl_shm_create_pool(p->shm_, fd, std::int32_t(poolBytes));
    }
    close(fd);
    if (!p->pool_)
        return nullptr;

    // Qt gives a native child a desynchronised subsurface of its own, so our commits show
    // at once without the main window's. Its siblings (the menu bar) stay in the main
    // surface: the application was told not to make them native.
    view.winId();
    return p;
}

WaylandShmPresenter::~WaylandShmPresenter()
{
    for (wl_buffer* buffer : buffers_)
        if (buffer)
            wl_buffer_destroy(buffer);
    if (pool_)
        wl_shm_pool_destroy(pool_);
    if (shm_)
        wl_shm_destroy(shm_);
    if (registry_)
        wl_registry_destroy(registry_);
    if (pixels_)
        munmap(pixels_, slotBytes_ * ShmBufferCycle::kSlots);
    if (queue_)
        wl_event_queue_destroy(queue_);
}

bool WaylandShmPresenter::acquire(QImage&)
{
    return true;
}

void WaylandShmPresenter::show(QImage& frame, std::span<const QRect> places)
{
    if (places.empty())
        return;
    cycle_.changed(places);
    frame_ = &frame;
    present();
}

void WaylandShmPresenter::copy(const QRegion& places, int slot)
{
    const QRect common = frame_->rect() & QRect(QPoint(0, 0), size_);
    const int n = scale_;
    const std::size_t stride = std::size_t(size_.width() * n) * 4;
    unsigned char* base = pixels_ + slotBytes_ * std::size_t(slot);
    for (const QRect& place : places) {
        const QRect r = place & common;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const auto* from = reinterpret_cast<const std::uint32_t*>(frame_->constScanLine(y)) + r.x();
            auto* to = reinterpret_cast<std::uint32_t*>(base + std::size_t(y * n) * stride) + r.x() * n;
            if (n == 1) {
                std::memcpy(to, from, std::size_t(r.width()) * 4);
                continue;
            }
            for (int x = 0; x < r.width(); ++x)
                std::fill_n(to + x * n, n, from[x]);
            for (int row = 1; row < n; ++row)
                std::memcpy(reinterpret_cast<unsigned char*>(to) + std::size_t(row) * stride, to, std::size_t(r.width() * n) * 4);
        }
    }
}

void WaylandShmPresenter::present()
{
    // Qt's reader has long put the releases on our queue; dispatch them without reading,
    // since a read here would wait for Qt's reader while it sleeps in poll.
    wl_display_dispatch_queue_pending(display_, queue_);

    // Hidden, the view has no surface; at the next show Qt makes a new one and exposes the
    // view, which shows the whole frame.
    QWindow* window = view_.windowHandle();
    auto* surface = static_cast<wl_surface*>(
        window ? QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface", window) : nullptr);
    if (!surface || !frame_)
        return;
    if (surface != surface_) {
        surface_ = surface;
        cycle_.surfaceReplaced();
    }

    const std::optional<ShmBufferCycle::Step> step = cycle_.next();
    if (!step) {
        if (cycle_.pending())
            catchUp_.start();
        return;
    }
    if (step->drop >= 0) {
        auto& spare = buffers_[std::size_t(step->drop)];
        wl_buffer_destroy(spare);
        spare = nullptr;
        // The pages go back to the system; a new buffer there starts from zeros.
        madvise(pixels_ + slotBytes_ * std::size_t(step->drop), slotBytes_, MADV_REMOVE);
    }
    wl_buffer*& buffer = buffers_[std::size_t(step->slot)];
    if (step->create) {
        const int stride = size_.width() * scale_ * 4;
        buffer = wl_shm_pool_create_buffer(pool_, std::int32_t(slotBytes_ * std::size_t(step->slot)), size_.width() * scale_,
                                           size_.height() * scale_, stride, WL_SHM_FORMAT_XRGB8888);
        wl_buffer_add_listener(buffer, &Listeners::buffer, this);
    }
    copy(step->copy, step->slot);

    wl_surface_attach(surface_, buffer, 0, 0);
    const bool inBufferPixels =
        wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface_)) >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION;
    for (const QRect& r : step->damage) {
        if (inBufferPixels)
            wl_surface_damage_buffer(surface_, r.x() * scale_, r.y() * scale_, r.width() * scale_, r.height() * scale_);
        else
            wl_surface_damage(surface_, r.x(), r.y(), r.width(), r.height());
    }
    // The surface may keep the scale of the output the window was on before: the buffer
    // is made for the output it is on now.
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface_)) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
        wl_surface_set_buffer_scale(surface_, scale_);
    wl_surface_commit(surface_);
    wl_display_flush(display_);
}

#else  // no Wayland in this build

struct WaylandShmPresenter::Listeners {};

WaylandShmPresenter::WaylandShmPresenter(QWidget& view, QSize frameSize) : view_(view), size_(frameSize), cycle_(frameSize) {}
std::unique_ptr<WaylandShmPresenter> WaylandShmPresenter::create(QWidget&, QSize)
{
    return nullptr;
}
WaylandShmPresenter::~WaylandShmPresenter() = default;
bool WaylandShmPresenter::acquire(QImage&)
{
    return false;
}
void WaylandShmPresenter::show(QImage&, std::span<const QRect>) {}
void WaylandShmPresenter::present() {}
void WaylandShmPresenter::copy(const QRegion&, int) {}

#endif
