#include "ui/main/tank_view.h"

#include "ui/main/wayland_shm_presenter.h"
#include "ui/main/whole_pixels.h"
#include "ui/main/x11_shm_presenter.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

TankView::TankView(QImage& frame, QWidget* parent) : QWidget(parent), frame_(frame)
{
    // The frame covers the whole view, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

TankView::~TankView() = default;

void TankView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (triedDirect_)
        return;
    triedDirect_ = true;
    direct_ = X11ShmPresenter::create(*this, frame_.size());
    if (!direct_)
        direct_ = WaylandShmPresenter::create(*this, frame_.size());
    // Qt then leaves the window to us: an expose calls paintEvent, no backing store.
    if (direct_)
        setAttribute(Qt::WA_PaintOnScreen);
}

QPaintEngine* TankView::paintEngine() const
{
    return direct_ ? nullptr : QWidget::paintEngine();
}

void TankView::dropDirect()
{
    direct_.reset();
    setAttribute(Qt::WA_PaintOnScreen, false);
    update();
}

void TankView::prepareFrame()
{
    if (direct_ && !direct_->acquire(frame_))
        dropDirect();
}

void TankView::showChanges(const FrameChanges& changes)
{
    const QRect whole = rect();
    const std::span<const QRect> places =
        changes.whole ? std::span<const QRect>(&whole, 1)
                      : std::span<const QRect>(changes.rects.data(), std::size_t(std::clamp(changes.count, 0, FrameChanges::kMaxRects)));
    if (places.empty())
        return;
    if (direct_) {
        direct_->show(frame_, places);
        return;
    }
    if (changes.whole) {
        update();
        return;
    }
    // At a fractional scale factor only places on whole pixels repaint exactly.
    const int step = wholePixelStep(screen());
    const QPoint origin = mapTo(window(), QPoint());
    // The places overlap and come in no order; QRegion::setRects would take them for
    // sorted, disjoint bands and build a region that misses some of them.
    QRegion region;
    for (const QRect& place : places)
        region += alignedOutward(place, step, origin);
    update(region);
}

void TankView::paintEvent(QPaintEvent* event)
{
    const QRegion& region = event->region();
    if (direct_) {
        // An expose or a window manager's redraw: put back what the server lost.
        direct_->show(frame_, std::span<const QRect>(region.begin(), region.end()));
        return;
    }
    QPainter p(this);
    for (const QRect& r : region)
        p.drawImage(r, frame_, r);
}
