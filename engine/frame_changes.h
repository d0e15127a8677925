#pragma once

#include <QRect>

#include <array>

// What one tick changed in suisou, in tank pixels, clipped to the tank. The view shows
// exactly these places; an empty change shows nothing.
struct FrameChanges {
    static constexpr int kMaxRects = 32;

    bool whole = false;  // the whole tank was composed afresh: show all of it
    int count = 0;       // rects[0 .. count), when not whole
    std::array<QRect, kMaxRects> rects{};

    bool empty() const { return !whole && count == 0; }
    void setWhole()
    {
        whole = true;
        count = 0;
    }
    void clear()
    {
        whole = false;
        count = 0;
    }
    // Adds a changed place. Two places are joined into their bounding rectangle when that
    // is no larger than the two apart (overlapping, touching or nested places), so the
    // list stays short; a full list joins its cheapest pair.
    void add(const QRect& r);
};
