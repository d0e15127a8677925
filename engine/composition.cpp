#include "engine/surface.h"
#include "engine/tank_engine.h"

#include <algorithm>

TankEngine::TankEngine(TankSettings& settings, Scene& scene, EngineState& state, RandomSource& random)
    : settings_(settings), scene_(scene), state_(state), random_(random)
{
}

int TankEngine::fishInUse() const
{
    return std::clamp<int>(settings_.fishTotal, 0, kMaxFish);
}

void TankEngine::DrawSprite(const QImage& sheet, int x, int y, int width, int height, int sourceX, int maskY)
{
    maskedBlt(scene_.work, x, y, width, height, sheet, sourceX, maskY);
}

void TankEngine::DrawAccessories()
{
    if (state_.accessoryFrame == 10)
        state_.accessoryFrame = 0;
    const int count = std::clamp<int>(settings_.accessoryCount, 0, kMaxAccessories);
    for (int j = 0; j < count; ++j) {
        auto& a = settings_.accessories[std::size_t(j)];
        if (state_.accessoryFrame == 0)
            a.frameX = 0;
        else
            a.frameX = static_cast<std::int16_t>(a.frameX + a.frameWidth);
        DrawSprite(scene_.access[std::size_t(j)], a.x, a.y, a.frameWidth, a.frameHeight, a.frameX, a.maskY);
    }
    state_.accessoryFrame = static_cast<std::int16_t>(state_.accessoryFrame + 1);
}

void TankEngine::AnimateTank()
{
    bitBlt(scene_.work, 0, 0, kTankWidth, kTankHeight, scene_.back, 0, 0, RasterOp::SrcCopy);
    DrawAccessories();
    const int fishCount = fishInUse();
    for (int i = 0; i < fishCount; ++i) {
        random_.reseed();
        if (state_.feeding != 0)
            feedingStep(i);
        else
            motionStep(i);
        const auto& fish = settings_.fish[std::size_t(i)];
        const int kind = std::clamp<int>(settings_.fishKindOf[std::size_t(i)], 0, kMaxKinds - 1);
        DrawSprite(scene_.pat[std::size_t(kind)], fish.x, fish.y, kFishSize, kFishSize, fish.frameX, kFishSize);
    }
    // Only the last of the per-fish copies to the view is ever seen, so one copy at the
    // end shows the same frame.
    bitBlt(scene_.suisou, 0, 0, kTankWidth, kTankHeight, scene_.work, 0, 0, RasterOp::SrcCopy);
    changes_.setWhole();
}

void TankEngine::behaviourPeriod()
{
    if (state_.feeding != 0) {
        feedingPeriodStep();
        return;
    }
    const int fishCount = fishInUse();
    for (int i = 0; i < fishCount; ++i)
        behaviourRoll(i);
}

void TankEngine::startFeeding()
{
    state_.feeding = 1;
}
