#include "ui/main/wayland/shm_buffer_cycle.h"

#include <gtest/gtest.h>

#include <QImage>

#include <random>
#include <vector>

namespace {

void copyRegion(QImage& to, const QImage& from, const QRegion& region)
{
    for (const QRect& r : region)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                to.setPixel(x, y, from.pixel(x, y));
}

// Fish move while a compositor keeps buffers as long as it likes, in three ways: it lets go
// of a buffer when the next one replaces it, at random (the one shown included), or not at
// all for a while. No buffer may be written while the compositor holds it, every buffer
// shown must be the whole frame, and redrawing just the damage must give the frame.
TEST(ShmBufferCycle, NeverWritesAHeldBufferAndTheScreenAlwaysEndsUpAsTheFrame)
{
    enum Compositor { ReleasesOnReplace, ReleasesAtRandom, HoldsEverythingAWhile };
    const QSize size(40, 30);
    std::mt19937 rng(16);
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(0xFF204060);
    QImage screen(size, QImage::Format_RGB32);
    screen.fill(0);
    std::array<QImage, ShmBufferCycle::kSlots> memory;  // null: no buffer there
    std::array<bool, ShmBufferCycle::kSlots> held{};    // as the compositor sees it
    std::vector<int> sent;                              // releases on their way
    int shown = -1;
    bool skipped = false, spareMade = false;
    ShmBufferCycle cycle(size);

    auto release = [&](int slot) {
        if (slot >= 0 && held[std::size_t(slot)]) {
            held[std::size_t(slot)] = false;
            sent.push_back(slot);
        }
    };
    for (int tick = 0; tick < 600; ++tick) {
        // Once the compositor lets go of buffers as they are replaced, two are enough again.
        if (tick == 400) {
            EXPECT_TRUE(spareMade && !cycle.exists(2)) << "the third buffer stays after it was needed";
        }
        const auto compositor = Compositor(tick / 100 % 3);
        const bool holding = compositor == HoldsEverythingAWhile && tick % 100 >= 10 && tick % 100 < 40;
        for (int slot : sent)
            cycle.released(slot);
        sent.clear();
        for (int slot = 0; slot < ShmBufferCycle::kSlots; ++slot)
            if ((compositor == ReleasesAtRandom && rng() % 3 == 0)
                || (compositor == HoldsEverythingAWhile && tick % 100 == 40 && slot != shown))
                release(slot);
        if (tick == 450) {  // the window was hidden and shown again: a new, empty surface
            screen.fill(0);
            cycle.surfaceReplaced();
        }

        // Up to three places change, some partly outside the frame; some ticks change nothing.
        std::vector<QRect> places;
        for (int n = int(rng() % 4); n > 0; --n) {
            places.emplace_back(int(rng() % 46) - 6, int(rng() % 36) - 6, int(rng() % 14) + 1, int(rng() % 14) + 1);
            const QRgb colour = 0xFF000000u | (rng() & 0xFFFFFFu);
            const QRect r = places.back() & frame.rect();
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    frame.setPixel(x, y, colour);
        }
        cycle.changed(places);

        const std::optional<ShmBufferCycle::Step> step = cycle.next();
        if (!step) {
            const bool allHeld = cycle.held(0) && cycle.held(1) && cycle.held(2);
            EXPECT_TRUE(!cycle.pending() || allHeld) << "changes left unshown at tick " << tick;
            skipped = skipped || cycle.pending();
            continue;
        }
        const auto slot = std::size_t(step->slot);
        ASSERT_FALSE(held[slot]) << "wrote into a buffer the compositor holds, at tick " << tick;
        if (step->drop >= 0) {
            ASSERT_FALSE(held[std::size_t(step->drop)]) << "dropped a buffer the compositor holds";
            memory[std::size_t(step->drop)] = QImage();
        }
        ASSERT_EQ(step->create, memory[slot].isNull()) << "tick " << tick;
        if (step->create) {
            memory[slot] = QImage(size, QImage::Format_RGB32);
            memory[slot].fill(0);
        }
        spareMade = spareMade || slot == 2;
        copyRegion(memory[slot], frame, step->copy);
        ASSERT_EQ(memory[slot], frame) << "the buffer shown at tick " << tick << " is not the frame";
        copyRegion(screen, memory[slot], step->damage);
        ASSERT_EQ(screen, frame) << "the damage at tick " << tick << " misses a change";

        held[slot] = true;
        if (compositor == ReleasesOnReplace || (compositor == HoldsEverythingAWhile && !holding))
            release(shown);
        shown = step->slot;
    }
    EXPECT_TRUE(skipped) << "all three held never happened: the test lost its point";
}

}  // namespace
