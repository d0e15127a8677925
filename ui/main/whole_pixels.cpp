#include "ui/main/whole_pixels.h"

#include <QAbstractScrollArea>
#include <QGroupBox>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include <cmath>
#include <optional>

#if PONDEL_WAYLAND_SHM
#include <qpa/qplatformscreen.h>
#endif

namespace {

bool isWhole(double v)
{
    return std::abs(v - std::round(v)) < 1e-6;
}

// As Qt rounds a logical length or place to device pixels.
int device(int logical, double factor)
{
    return qRound(logical * factor);
}

// A span [start, start + length) and its frame `inset` pixels inside both land on device
// pixels without a gap or an overlap at their ends.
bool agrees(int start, int length, int inset, double factor)
{
    auto ok = [factor](int s, int n) { return n <= 0 || device(s, factor) + device(n, factor) == device(s + n, factor); };
    return ok(start, length) && (inset == 0 || ok(start + inset, length - 2 * inset));
}

// The nearest span to [start, start + length) that agrees, or none within reach.
std::optional<std::pair<int, int>> agreeing(int start, int length, int inset, double factor)
{
    // Cheapest first: the size before the place, a pixel before two.
    for (int cost = 0; cost <= 3; ++cost)
        for (int dn : {0, -1, 1})
            for (int ds : {0, -1, 1, -2, 2})
                if (std::abs(dn) + std::abs(ds) == cost && agrees(start + ds, length + dn, inset, factor))
                    return std::pair(start + ds, length + dn);
    return std::nullopt;
}

int insetOf(const QWidget& control)
{
    const auto* framed = qobject_cast<const QAbstractScrollArea*>(&control);
    return framed ? framed->frameWidth() : 0;
}

QRect fitted(const QRect& inWindow, int inset, double factor)
{
    QRect r = inWindow;
    for (const bool horizontal : {true, false}) {
        const int start = horizontal ? r.x() : r.y();
        const int length = horizontal ? r.width() : r.height();
        auto span = agreeing(start, length, inset, factor);
        if (!span)
            span = agreeing(start, length, 0, factor);
        if (!span)
            continue;
        if (horizontal)
            r = QRect(span->first, r.y(), span->second, r.height());
        else
            r = QRect(r.x(), span->first, r.width(), span->second);
    }
    return r;
}

// What the window laid out, unless the window placed the control anew since we moved it.
QRect laidOut(const QWidget& control)
{
    const QVariant from = control.property("pondelLaidOut");
    const QVariant placed = control.property("pondelPlaced");
    return from.isValid() && placed.toRect() == control.geometry() ? from.toRect() : control.geometry();
}

void place(QWidget& control, QPoint parentOrigin, double factor)
{
    const QRect from = laidOut(control);
    const QRect to = isWhole(factor) ? from : fitted(from.translated(parentOrigin), insetOf(control), factor).translated(-parentOrigin);
    control.setGeometry(to);
    control.setProperty("pondelLaidOut", from);
    control.setProperty("pondelPlaced", to);
}

}  // namespace

double qtScaleFactor(const QScreen* screen)
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

int wholePixelStep(const QScreen* screen, int most)
{
    const double factor = qtScaleFactor(screen);
    for (int step = 1; step <= most; ++step)
        if (isWhole(step * factor))
            return step;
    return 0;
}

QRect alignedOutward(const QRect& r, int step, QPoint origin)
{
    if (step <= 1 || r.isEmpty())
        return r;
    auto floorTo = [step](int v) { return v >= 0 ? v / step * step : -((-v + step - 1) / step * step); };
    const QRect w = r.translated(origin);
    const int left = floorTo(w.left());
    const int top = floorTo(w.top());
    const int right = floorTo(w.left() + w.width() + step - 1);
    const int bottom = floorTo(w.top() + w.height() + step - 1);
    return QRect(left, top, right - left, bottom - top).translated(-origin);
}

void placeControlsOnWholePixels(QWidget& window)
{
    placeControlsOnWholePixels(window, qtScaleFactor(window.screen()));
}

void placeControlsOnWholePixels(QWidget& window, double factor)
{
    for (QWidget* control : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->isWindow())
            continue;
        place(*control, QPoint(), factor);
        if (qobject_cast<QGroupBox*>(control))
            for (QWidget* inner : control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                place(*inner, control->pos(), factor);
    }
}
