#pragma once

#include "app/tank_settings.h"

#include <QImage>
#include <QRect>

#include <array>

// One cell of a sheet placed in the tank, as DrawSprite takes it. No sheet: nothing there.
struct SpriteDraw {
    const QImage* sheet = nullptr;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int sourceX = 0;
    int maskY = 0;

    bool operator==(const SpriteDraw&) const = default;
    QRect place() const { return sheet ? QRect(x, y, width, height) : QRect(); }
};

// Every sprite of a frame, one fixed slot each, in stacking order from back to front:
// the accessories in index order, then per fish the food (while feeding), the two
// clusters of its bubble and the fish itself. A slot keeps its place from frame to
// frame, so comparing two frames slot by slot tells where the picture changed.
namespace sprite_slot {
constexpr int kPerFish = 4;
constexpr int accessory(int j) { return j; }
constexpr int food(int fish) { return kMaxAccessories + kPerFish * fish; }
constexpr int blueBubble(int fish) { return food(fish) + 1; }
constexpr int greenBubble(int fish) { return food(fish) + 2; }
constexpr int fish(int fish) { return food(fish) + 3; }
constexpr int kCount = kMaxAccessories + kPerFish * kMaxFish;
}  // namespace sprite_slot

using FrameSprites = std::array<SpriteDraw, sprite_slot::kCount>;
