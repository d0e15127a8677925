#include "ui/main/x11/x11_shm_presenter.h"

#include <QImage>
#include <QWidget>

#if PONDEL_X11_SHM

#include <QGuiApplication>

#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <sys/ipc.h>
#include <sys/shm.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

// Last: Xlib's macros (None, Bool, Status) would trip Qt's headers.
#include <X11/Xlib.h>

// The mapping, and beyond the frame the one pixel of the server's mark: a 1 x 1 pixmap
// over the segment that the server fills after our puts. Requests of a client are
// carried out in order, so once the mark holds the latest value the server has read
// every place put before it, with no reply to send and none to read.
struct X11ShmPresenter::Segment {
    void* address = nullptr;
    std::uint32_t markPixmap = 0;  // none: a round trip every tick instead
    std::uint32_t* mark = nullptr;
    ~Segment()
    {
        if (address)
            shmdt(address);
    }
};

namespace {

// The visual's description, looked up in the connection's setup.
const xcb_visualtype_t* findVisual(const xcb_setup_t* setup, xcb_visualid_t id)
{
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s))
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == id)
                    return v.data;
    return nullptr;
}

int bitsPerPixel(const xcb_setup_t* setup, std::uint8_t depth)
{
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == depth)
            return f.data->bits_per_pixel;
    return 0;
}

// An RGB32 image in memory is the server's 24-bit TrueColor ZPixmap exactly when the
// server keeps such pixels as 32-bit words of our byte order with red in the high bits.
bool takesRgb32(xcb_connection_t* c, xcb_window_t window, std::uint8_t& depth)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    const auto geometryCookie = xcb_get_geometry(c, window);
    const auto attributesCookie = xcb_get_window_attributes(c, window);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, geometryCookie, nullptr);
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(c, attributesCookie, nullptr);
    bool ok = geometry && attributes;
    if (ok) {
        depth = geometry->depth;
        const xcb_visualtype_t* visual = findVisual(setup, attributes->visual);
        const auto hostOrder = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST;
        ok = depth == 24 && visual && visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR && visual->red_mask == 0xFF0000
             && visual->green_mask == 0x00FF00 && visual->blue_mask == 0x0000FF && bitsPerPixel(setup, depth) == 32
             && setup->image_byte_order == hostOrder;
    }
    std::free(geometry);
    std::free(attributes);
    return ok;
}

}  // namespace

std::unique_ptr<X11ShmPresenter> X11ShmPresenter::create(QWidget& view, QSize frameSize)
{
    // Qt's own switch for "no MIT-SHM here" (a remote display, a broken server).
    if (qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM") || frameSize.isEmpty())
        return nullptr;
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* qt = x11 ? x11->connection() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!qt || !display || view.devicePixelRatioF() != 1.0)
        return nullptr;
    const auto window = static_cast<xcb_window_t>(view.winId());
    // The window must exist in the server before another connection can draw into it.
    std::free(xcb_get_input_focus_reply(qt, xcb_get_input_focus(qt), nullptr));

    // A connection of our own: the fence's reply then waits in its socket for the next
    // tick, where on Qt's connection it would wake Qt's event reader every frame.
    std::unique_ptr<X11ShmPresenter> p(new X11ShmPresenter);
    // To Qt's server by the name Qt used: DISPLAY may name another one (Qt's -display),
    // where the same window id could be somebody else's window.
    xcb_connection_t* c = xcb_connect(XDisplayString(display), nullptr);
    p->connection_ = c;
    if (xcb_connection_has_error(c))
        return nullptr;
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c, &xcb_shm_id);
    if (!shm || !shm->present)
        return nullptr;
    // Also tells that this connection reached the server that holds Qt's window.
    p->window_ = window;
    if (!takesRgb32(c, window, p->depth_))
        return nullptr;

    p->size_ = frameSize;
    p->bytesPerLine_ = frameSize.width() * 4;
    const std::size_t frameBytes = std::size_t(p->bytesPerLine_) * std::size_t(frameSize.height());
    const std::size_t markOffset = (frameBytes + 63) & ~std::size_t(63);
    const int id = shmget(IPC_PRIVATE, markOffset + 64, IPC_CREAT | 0600);
    if (id < 0)
        return nullptr;
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return nullptr;
    }
    p->segment_ = std::make_shared<Segment>();
    p->segment_->address = address;
    // The server may sit on another host or refuse; only a checked attach tells. It
    // writes the mark, so it attaches for writing where it may; else for reading alone.
    bool writable = true;
    xcb_generic_error_t* error = nullptr;
    for (const std::uint8_t readOnly : {0, 1}) {
        std::free(error);
        p->seg_ = xcb_generate_id(c);
        error = xcb_request_check(c, xcb_shm_attach_checked(c, p->seg_, std::uint32_t(id), readOnly));
        writable = !readOnly;
        if (!error)
            break;
    }
    shmctl(id, IPC_RMID, nullptr);  // gone once both sides let go
    if (error) {
        std::free(error);
        return nullptr;
    }
    p->gc_ = xcb_generate_id(c);
    const std::uint32_t noExposures = 0;
    xcb_create_gc(c, p->gc_, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);

    // The mark needs pixmaps over shared memory; without them the fence is a round trip.
    xcb_shm_query_version_reply_t* version = xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr);
    const bool sharedPixmaps = version && version->shared_pixmaps && version->pixmap_format == XCB_IMAGE_FORMAT_Z_PIXMAP;
    std::free(version);
    if (sharedPixmaps && writable) {
        const std::uint32_t pixmap = xcb_generate_id(c);
        error = xcb_request_check(
            c, xcb_shm_create_pixmap_checked(c, pixmap, window, 1, 1, p->depth_, p->seg_, std::uint32_t(markOffset)));
        if (error) {
            std::free(error);
        } else {
            p->segment_->markPixmap = pixmap;
            p->segment_->mark = reinterpret_cast<std::uint32_t*>(static_cast<uchar*>(address) + markOffset);
            *p->segment_->mark = 0;  // the first mark is 1
        }
    }
    return p;
}

X11ShmPresenter::~X11ShmPresenter()
{
    // The server frees the segment's attachment and the GC with the connection.
    if (connection_)
        xcb_disconnect(connection_);
}

void X11ShmPresenter::waitForServer()
{
    if (!fencePending_)
        return;
    fencePending_ = false;
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (segment_->mark) {
        // The server filled the mark a moment after the last puts, long before this tick.
        // Now and then a round trip all the same, to read any error the server sent.
        if ((std::atomic_ref<std::uint32_t>(*segment_->mark).load(std::memory_order_acquire) & 0xFFFFFF) == fence_
            && fence_ % 1024 != 0)
            return;
        // Behind, or held by another client: any reply to a later request proves it.
        reply = xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), &error);
    } else if (!xcb_poll_for_reply(connection_, fence_, &reply, &error)) {
        // The reply is long in by the next tick; block only if the server is that far behind.
        reply = xcb_get_input_focus_reply(connection_, xcb_get_input_focus_cookie_t{fence_}, &error);
    }
    std::free(reply);
    std::free(error);
    // Nothing asks for events here; only an error (a window gone) could queue one.
    while (xcb_generic_event_t* event = xcb_poll_for_queued_event(connection_))
        std::free(event);
}

bool X11ShmPresenter::bind(QImage& frame)
{
    auto* address = static_cast<uchar*>(segment_->address);
    if (frame.constBits() == address)
        return true;
    if (frame.size() != size_ || frame.format() != QImage::Format_RGB32)
        return false;
    waitForServer();
    for (int y = 0; y < size_.height(); ++y)
        std::memcpy(address + y * bytesPerLine_, frame.constScanLine(y), std::size_t(bytesPerLine_));
    // The image keeps the mapping alive for as long as it points into it. It is the only
    // image over the segment: a second one would make the first copy itself on write.
    frame = QImage(
        address, size_.width(), size_.height(), bytesPerLine_, QImage::Format_RGB32,
        [](void* held) { delete static_cast<std::shared_ptr<Segment>*>(held); }, new std::shared_ptr<Segment>(segment_));
#if defined(__GLIBC__)
    // The frame's old pixels leave a hole in the middle of the heap that glibc would
    // otherwise keep resident for good.
    malloc_trim(0);
#endif
    return true;
}

bool X11ShmPresenter::acquire(QImage& frame)
{
    if (!bind(frame))
        return false;
    waitForServer();
    return true;
}

void X11ShmPresenter::show(QImage& frame, std::span<const QRect> places)
{
    if (places.empty())
        return;
    const QRect whole(QPoint(0, 0), size_);
    // A frame that was replaced or copied since it was bound is brought back whole.
    if (frame.constBits() != segment_->address) {
        if (!bind(frame))
            return;
        places = std::span<const QRect>(&whole, 1);
    }
    for (const QRect& place : places) {
        const QRect r = place & whole;
        if (r.isEmpty())
            continue;
        xcb_shm_put_image(connection_, window_, gc_, std::uint16_t(size_.width()), std::uint16_t(size_.height()),
                          std::uint16_t(r.x()), std::uint16_t(r.y()), std::uint16_t(r.width()),
                          std::uint16_t(r.height()), std::int16_t(r.x()), std::int16_t(r.y()), depth_,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, 0, seg_, 0);
    }
    if (segment_->mark) {
        // A new value each time; 2^24 ticks pass before one comes back.
        fence_ = (fence_ + 1) & 0xFFFFFF;
        xcb_change_gc(connection_, gc_, XCB_GC_FOREGROUND, &fence_);
        const xcb_rectangle_t pixel{0, 0, 1, 1};
        xcb_poly_fill_rectangle(connection_, segment_->markPixmap, gc_, 1, &pixel);
    } else {
        // Any reply to a later request proves the server has read the segment for these puts.
        fence_ = xcb_get_input_focus(connection_).sequence;
    }
    fencePending_ = true;
    xcb_flush(connection_);
}

#else  // no X11 with MIT-SHM in this build

struct X11ShmPresenter::Segment {};

std::unique_ptr<X11ShmPresenter> X11ShmPresenter::create(QWidget&, QSize)
{
    return nullptr;
}
X11ShmPresenter::~X11ShmPresenter() = default;
bool X11ShmPresenter::acquire(QImage&)
{
    return false;
}
void X11ShmPresenter::show(QImage&, std::span<const QRect>) {}

#endif
