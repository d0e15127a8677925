#include "ui/main/tank_view.h"

#include "ui/main/wayland/wayland_shm_presenter.h"
#include "ui/main/whole_pixels.h"
#include "ui/main/x11/x11_shm_presenter.h"

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
    pickPresenter();
}

void TankView::pickPresenter()
{
    direct_ = X11ShmPresenter::create(*this, frame_.size());
    if (!direct_)
        direct_ = WaylandShmPresenter::create(*this, frame_.size());
    // Qt then leaves the window to us: an expose calls paintEvent, no backing store.
    setAttribute(Qt::WA_PaintOnScreen, direct_ != nullptr);
}

void TankView::pixelRatioChanged()
{
    // Qt keeps a native child's place and size in device pixels across the change; a move
    // there and back has them converted at the new ratio.
    if (internalWinId()) {
        const QPoint at = pos();
        move(at + QPoint(1, 0));
        move(at);
    }
    if (!triedDirect_)
        return;
    // The old presenter goes first: on X11 the frame image must leave its segment before
    // a new one can take it.
    direct_.reset();
    pickPresenter();
    update();
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
    scaledStale_ = true;
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
    // At a fractional factor Qt rounds a repainted place to the window system's pixels in
    // one place (what it puts on the screen) and to device pixels in another (what the view
    // paints): only places whose edges land on whole pixels of both repaint exactly. Where
    // that grid is coarse the places are merely larger; where there is none, all of it.
    const int step = wholePixelStep(screen(), 100);
    if (step == 0) {
        update();
        return;
    }
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
    const double factor = qtScaleFactor(screen());
    if (wholePixelStep(screen()) == 1) {
        for (const QRect& r : region)
            p.drawImage(r, frame_, r);
        return;
    }
    // At a fractional factor the frame is scaled to the view's size in device pixels, as Qt
    // rounds it, once per frame, and laid pixel for pixel from the device pixel where Qt
    // starts the view. Every device pixel then shows the same frame pixel however the
    // repainted places fall.
    const QTransform toDevice = p.deviceTransform();
    const double native = devicePixelRatioF() / factor;  // the window system's own scale
    const QPointF origin = toDevice.map(QPointF(0, 0)) / native;
    const QPointF anchored = QPointF(qRound(origin.x()), qRound(origin.y())) * native;
    const QSize size = QSize(qRound(width() * factor), qRound(height() * factor)) * native;
    if (scaledStale_ || scaled_.size() != size) {
        scaled_ = frame_.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        scaledStale_ = false;
    }
    // The world transform that makes the device transform a mere move to `anchored`.
    const QTransform devicePixels =
        QTransform::fromTranslate(anchored.x(), anchored.y()) * toDevice.inverted() * p.worldTransform();
    // Qt's own clip is what it repaints and puts on the screen, rounded its way: the frame
    // is let through exactly there.
    p.setWorldTransform(devicePixels);
    p.drawImage(QPointF(0, 0), scaled_);
}
