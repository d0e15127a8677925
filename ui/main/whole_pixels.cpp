#include "ui/main/whole_pixels.h"

#include <QGroupBox>
#include <QScreen>
#include <QWidget>

#include <cmath>

#if PONDEL_WAYLAND_SHM
#include <qpa/qplatformscreen.h>
#endif

namespace {

// Qt's own factor (QT_SCALE_FACTOR and the like): the screen's ratio over the window
// system's, which on Wayland is the output's whole-number buffer scale.
double qtFactor(const QScreen* screen)
{
    if (!screen)
        return 1.0;
    double factor = screen->devicePixelRatio();
#if PONDEL_WAYLAND_SHM
    if (const QPlatformScreen* native = screen->handle(); native && native->devicePixelRatio() > 0)
        factor /= native->devicePixelRatio();
#endif
    return factor;
}

int floorTo(int v, int step)
{
    return v >= 0 ? v / step * step : -((-v + step - 1) / step * step);
}

int nearestTo(int v, int step)
{
    return floorTo(v + step / 2, step);
}

void snap(QWidget& control, QPoint parentOrigin, int step)
{
    const QRect inWindow = control.geometry().translated(parentOrigin);
    const int left = nearestTo(inWindow.left(), step);
    const int top = nearestTo(inWindow.top(), step);
    // A control's border is its outermost logical pixel on each side: the last one must
    // start on a whole pixel too, or the viewport inside paints over the little of it that
    // a fractional scale leaves.
    const int right = std::max(left + step, nearestTo(inWindow.right(), step)) + 1;
    const int bottom = std::max(top + step, nearestTo(inWindow.bottom(), step)) + 1;
    control.setGeometry(QRect(left, top, right - left, bottom - top).translated(-parentOrigin));
}

}  // namespace

int wholePixelStep(const QScreen* screen)
{
    const double factor = qtFactor(screen);
    // Any factor a user sets is a short decimal; past 20 the grid would be coarser than
    // the places it aligns, so such a factor keeps Qt's rounding.
    for (int step = 1; step <= 20; ++step)
        if (std::abs(step * factor - std::round(step * factor)) < 1e-6)
            return step;
    return 1;
}

QRect alignedOutward(const QRect& r, int step, QPoint origin)
{
    if (step <= 1 || r.isEmpty())
        return r;
    const QRect w = r.translated(origin);
    const int left = floorTo(w.left(), step);
    const int top = floorTo(w.top(), step);
    const int right = floorTo(w.left() + w.width() + step - 1, step);
    const int bottom = floorTo(w.top() + w.height() + step - 1, step);
    return QRect(left, top, right - left, bottom - top).translated(-origin);
}

void placeControlsOnWholePixels(QWidget& window)
{
    const int step = wholePixelStep(window.screen());
    if (step <= 1)
        return;
    for (QWidget* control : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->isWindow())
            continue;
        snap(*control, QPoint(), step);
        if (qobject_cast<QGroupBox*>(control))
            for (QWidget* inner : control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                snap(*inner, control->pos(), step);
    }
}
