#pragma once

#include "ui/main/frame_presenter.h"
#include "ui/main/wayland/shm_buffer_cycle.h"

#include <QTimer>

#include <array>
#include <cstddef>
#include <memory>

class QWidget;
struct wl_buffer;
struct wl_display;
struct wl_event_queue;
struct wl_registry;
struct wl_shm;
struct wl_shm_pool;
struct wl_surface;

// Shows a frame in a widget's own Wayland subsurface from wl_shm buffers of its own. Each
// show copies into a buffer the compositor has released only what that buffer lacks and
// damages only what changed. Releases come on an event queue of its own, taken without
// waiting at the next show: no frame callbacks and never a wait for the compositor.
class WaylandShmPresenter final : public FramePresenter {
public:
    // Null where this cannot work: not on Wayland, a scale factor of Qt's own, no wl_shm or no
    // wl_subcompositor. Otherwise it has made `view` a native child, which Qt 6.4 cannot
    // paint on Wayland, so the view keeps this presenter for good.
    static std::unique_ptr<WaylandShmPresenter> create(QWidget& view, QSize frameSize);
    ~WaylandShmPresenter() override;
    WaylandShmPresenter(const WaylandShmPresenter&) = delete;
    WaylandShmPresenter& operator=(const WaylandShmPresenter&) = delete;

    // Always true: the frame is copied from, never handed to the compositor.
    bool acquire(QImage& frame) override;
    // Shows these places of `frame` with one commit; with every buffer held, a little later.
    void show(QImage& frame, std::span<const QRect> places) override;

private:
    struct Listeners;
    WaylandShmPresenter(QWidget& view, QSize frameSize);
    void present();
    void copy(const QRegion& places, int slot);

    QWidget& view_;
    QSize size_;
    int scale_ = 1;  // buffer pixels to a frame pixel: the output's scale
    wl_display* display_ = nullptr;  // Qt's
    wl_event_queue* queue_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_shm* shm_ = nullptr;
    bool subcompositor_ = false;
    wl_shm_pool* pool_ = nullptr;
    unsigned char* pixels_ = nullptr;  // the pool: one buffer per slot, one after another
    std::size_t slotBytes_ = 0;
    std::array<wl_buffer*, ShmBufferCycle::kSlots> buffers_{};
    wl_surface* surface_ = nullptr;  // Qt's, as last fetched; Qt makes a new one at each show
    ShmBufferCycle cycle_;
    const QImage* frame_ = nullptr;
    QTimer catchUp_;
};
