#pragma once

#include "ui/main/frame_presenter.h"

#include <QRect>

#include <cstdint>
#include <memory>
#include <span>

class QImage;
class QWidget;
struct xcb_connection_t;

// Shows a frame in a widget's own X window straight from a MIT-SHM segment: the frame
// image lives in the segment, so each changed place costs one put and no copy.
class X11ShmPresenter final : public FramePresenter {
public:
    // Null where this cannot work: not on X11, no MIT-SHM, a window that does not take
    // 32-bit xRGB pixels, a scale factor other than 1. `frameSize` is the frame's size.
    static std::unique_ptr<X11ShmPresenter> create(QWidget& view, QSize frameSize);
    ~X11ShmPresenter();
    X11ShmPresenter(const X11ShmPresenter&) = delete;
    X11ShmPresenter& operator=(const X11ShmPresenter&) = delete;

    // Makes `frame` the image over the segment (keeping its pixels) and returns once the
    // server has read everything put before, so the frame may be written. False when
    // `frame` is not a frame this presenter can hold (another size or format).
    bool acquire(QImage& frame) override;
    // Shows these places of `frame` in the window, one put each, and fences them.
    // Nothing is sent for no places.
    void show(QImage& frame, std::span<const QRect> places) override;

private:
    struct Segment;
    X11ShmPresenter() = default;
    void waitForServer();
    bool bind(QImage& frame);

    xcb_connection_t* connection_ = nullptr;  // our own, beside Qt's
    std::uint32_t window_ = 0;
    std::uint32_t gc_ = 0;
    std::uint32_t seg_ = 0;
    std::uint8_t depth_ = 0;
    QSize size_;
    int bytesPerLine_ = 0;
    // The client's mapping; the frame image holds it too, so neither outlives the other's use.
    std::shared_ptr<Segment> segment_;
    unsigned int fence_ = 0;
    bool fencePending_ = false;
};
