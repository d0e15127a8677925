#include "engine/tank_engine.h"

namespace {
constexpr int kFoodPlace = 10;
constexpr int kFoodSize = 50;
constexpr int kBubbleSize = 30;
constexpr int kBubbleTop = 10;
constexpr int kFeedingPeriods = 3;
}  // namespace

void TankEngine::feedingStep(int i)
{
    // Mask row 0: the food is its own mask, so it is ANDed onto whatever lies beneath.
    placeSprite(sprite_slot::food(i), scene_.esaPat, kFoodPlace, kFoodPlace, kFoodSize, kFoodSize, 0, 0);

    auto& f = settings_.fish[std::size_t(i)];
    const int frame = f.frameX + kFishSize;
    f.frameX = toInt16(frame >= 375 ? 0 : frame);
    f.swimMode = 3;
    if (f.x >= 30)
        f.x = toInt16(nearest(f.x - f.x / 15.0));
    if (f.y >= 5)
        f.y = toInt16(nearest(f.y - f.y / 10.0));
}

void TankEngine::feedingPeriodStep()
{
    state_.feedPeriods = toInt16(state_.feedPeriods + 1);
    if (state_.feedPeriods == kFeedingPeriods) {
        state_.feeding = 0;
        state_.feedPeriods = 0;
    }
    const int fishCount = fishInUse();
    for (int i = 0; i < fishCount; ++i)
        state_.bubbles[std::size_t(i)].active = 0;
}

void TankEngine::createBubble(int i, bool facingRight)
{
    const auto& f = settings_.fish[std::size_t(i)];
    auto& b = state_.bubbles[std::size_t(i)];
    b.active = 1;
    // Ten pixels in front of the head, a third of the way down the fish.
    b.x = toInt16(facingRight ? f.x + kFishSize + 10 : f.x - 10);
    b.y = toInt16(nearest(f.y + kFishSize / 3.0));
}

void TankEngine::removeBubble(int i)
{
    state_.bubbles[std::size_t(i)].active = 0;
}

void TankEngine::bubbleStep(int i, bool facingRight)
{
    auto& b = state_.bubbles[std::size_t(i)];
    if (b.active != 1 || b.y <= kBubbleTop)
        return;
    if (facingRight) {
        random_.reseed();
        b.y = toInt16(b.y - Int(20 * random_.next()));
    } else {
        b.y = toInt16(b.y - Int(10 * random_.next()));
    }
    // Blue cluster, then the green one over it, at the same place.
    placeSprite(sprite_slot::blueBubble(i), scene_.awa, b.x, b.y, kBubbleSize, kBubbleSize, 0, kBubbleSize);
    placeSprite(sprite_slot::greenBubble(i), scene_.awa, b.x, b.y, kBubbleSize, kBubbleSize, kBubbleSize, kBubbleSize);
}
