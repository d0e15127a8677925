#include "ui/main/wayland/shm_buffer_cycle.h"

ShmBufferCycle::ShmBufferCycle(QSize size) : whole_(QPoint(0, 0), size), unshown_(whole_) {}

void ShmBufferCycle::changed(std::span<const QRect> places)
{
    QRegion region;
    for (const QRect& place : places)
        region += place & whole_;
    if (region.isEmpty())
        return;
    unshown_ += region;
    for (Slot& slot : slots_)
        if (slot.exists)
            slot.stale += region;
}

void ShmBufferCycle::surfaceReplaced()
{
    unshown_ = whole_;
}

std::optional<ShmBufferCycle::Step> ShmBufferCycle::next()
{
    if (unshown_.isEmpty())
        return std::nullopt;
    constexpr int kSpare = kSlots - 1;
    // Of the two, the free one shown last lacks the least; the spare only when both are held.
    int pick = -1;
    for (int i = 0; i < kSpare; ++i) {
        const Slot& s = slots_[std::size_t(i)];
        if (s.exists && !s.held && (pick < 0 || s.shownAt > slots_[std::size_t(pick)].shownAt))
            pick = i;
    }
    for (int i = 0; pick < 0 && i < kSpare; ++i)
        if (!slots_[std::size_t(i)].exists)
            pick = i;
    if (pick < 0 && !slots_[kSpare].held)
        pick = kSpare;
    if (pick < 0)
        return std::nullopt;

    Slot& slot = slots_[std::size_t(pick)];
    Step step;
    step.slot = pick;
    step.create = !slot.exists;
    step.copy = slot.exists ? slot.stale : QRegion(whole_);
    step.damage = unshown_;
    slot.exists = true;
    slot.held = true;
    slot.shownAt = ++shows_;
    slot.stale = QRegion();
    unshown_ = QRegion();

    Slot& spare = slots_[kSpare];
    if (pick != kSpare && spare.exists && !spare.held && shows_ - spare.shownAt > kSpareShows) {
        spare = Slot();
        step.drop = kSpare;
    }
    return step;
}

void ShmBufferCycle::released(int slot)
{
    if (slot >= 0 && slot < kSlots)
        slots_[std::size_t(slot)].held = false;
}
