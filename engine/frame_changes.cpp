#include "engine/frame_changes.h"

#include <algorithm>
#include <limits>

namespace {
qint64 area(const QRect& r)
{
    return qint64(r.width()) * r.height();
}

// The bounding rectangle of two non-empty places; QRect::united is not inline.
QRect bounding(const QRect& a, const QRect& b)
{
    return QRect(QPoint(std::min(a.left(), b.left()), std::min(a.top(), b.top())),
                 QPoint(std::max(a.right(), b.right()), std::max(a.bottom(), b.bottom())));
}

// What joining two places costs beyond redrawing them apart (negative: a saving).
qint64 joinCost(const QRect& a, const QRect& b)
{
    return area(bounding(a, b)) - area(a) - area(b);
}
}  // namespace

void FrameChanges::add(const QRect& place)
{
    if (whole || place.isEmpty())
        return;
    QRect r = place;
    for (int k = 0; k < count;) {
        if (joinCost(rects[std::size_t(k)], r) <= 0) {
            r = bounding(r, rects[std::size_t(k)]);
            rects[std::size_t(k)] = rects[std::size_t(--count)];
            k = 0;  // the grown place may now reach one already passed
        } else {
            ++k;
        }
    }
    if (count < kMaxRects) {
        rects[std::size_t(count++)] = r;
        return;
    }
    // Full: join the pair that grows least, counting the new place as one of them.
    int bestA = 0, bestB = -1;
    qint64 best = std::numeric_limits<qint64>::max();
    for (int a = 0; a < count; ++a) {
        if (const qint64 c = joinCost(rects[std::size_t(a)], r); c < best) {
            best = c;
            bestA = a;
            bestB = -1;
        }
        for (int b = a + 1; b < count; ++b)
            if (const qint64 c = joinCost(rects[std::size_t(a)], rects[std::size_t(b)]); c < best) {
                best = c;
                bestA = a;
                bestB = b;
            }
    }
    const QRect a = rects[std::size_t(bestA)];
    rects[std::size_t(bestA)] = rects[std::size_t(--count)];
    if (bestB < 0) {
        add(bounding(a, r));
        return;
    }
    // bestB may have been the last entry, now moved into bestA's place.
    const int b = bestB == count ? bestA : bestB;
    const QRect other = rects[std::size_t(b)];
    rects[std::size_t(b)] = rects[std::size_t(--count)];
    add(bounding(a, other));
    add(r);
}
