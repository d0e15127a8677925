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
};
