#pragma once

#include <QRect>
#include <QRegion>

#include <array>
#include <optional>
#include <span>

// Which of a few shared-memory buffers the next frame goes into, what must be copied into
// it, and what the compositor must redraw. A buffer the compositor holds is never written:
// two take turns, a third is made when both are held and given back once it has gone
// unused for a while, and with all three held the changes wait for a release.
class ShmBufferCycle {
public:
    static constexpr int kSlots = 3;
    // Shows after its last use that the third buffer stays: a compositor that holds two
    // buffers at a time would otherwise have it made and dropped every few frames.
    static constexpr unsigned kSpareShows = 10;

    explicit ShmBufferCycle(QSize size);

    // The frame changed at these places.
    void changed(std::span<const QRect> places);
    // The surface is a new one that shows nothing yet.
    void surfaceReplaced();
    // Whether changes wait to be shown.
    bool pending() const { return !unshown_.isEmpty(); }

    struct Step {
        int slot = 0;
        bool create = false;  // the slot has no buffer yet: make one before writing it
        QRegion copy;         // the places of the frame the slot's buffer lacks
        QRegion damage;       // the places where it differs from what the surface shows
        int drop = -1;        // a slot whose buffer is no longer needed: destroy it
    };
    // The buffer to write and show next, counted as held from here on. None when nothing
    // waits or every buffer is held.
    std::optional<Step> next();
    // The compositor let go of the slot's buffer.
    void released(int slot);

    bool exists(int slot) const { return slots_[std::size_t(slot)].exists; }
    bool held(int slot) const { return slots_[std::size_t(slot)].held; }

private:
    struct Slot {
        bool exists = false;
        bool held = false;
        unsigned shownAt = 0;  // when it was last shown; the latest needs the least copying
        QRegion stale;         // changed since it was last written
    };
    QRect whole_;
    std::array<Slot, kSlots> slots_{};
    QRegion unshown_;
    unsigned shows_ = 0;
};
