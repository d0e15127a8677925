#pragma once

#include "app/tank_settings.h"
#include "engine/engine_state.h"
#include "engine/frame_changes.h"
#include "engine/random_source.h"
#include "engine/scene.h"

#include <cmath>

// nearest(v): halves go to the even neighbour (the default rounding mode).
inline int nearest(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

// Int(v): the largest integer not above v.
inline int Int(double v)
{
    return static_cast<int>(std::floor(v));
}

// The per-tick work on the tank. It holds no state of its own: the record, the
// pictures, the engine state and the random source all belong to its owner.
class TankEngine {
public:
    TankEngine(TankSettings& settings, Scene& scene, EngineState& state, RandomSource& random);

    // The window's inner width, read at every right-wall test.
    void setInnerWidth(int width) { innerWidth_ = width; }
    int innerWidth() const { return innerWidth_; }

    // One frame: compose on work, copy to suisou. The caller repaints once afterwards.
    void AnimateTank();
    // Where the last AnimateTank changed suisou.
    const FrameChanges& lastChanges() const { return changes_; }
    void DrawAccessories();
    void DrawSprite(const QImage& sheet, int x, int y, int width, int height, int sourceX, int maskY);

    // The behaviour period (every 2.5 s): feeding period step or one roll per fish.
    void behaviourPeriod();
    // The feed command.
    void startFeeding();

    // Motion of one fish in one tick, and its behaviour roll.
    void motionStep(int i);
    void behaviourRoll(int i);

    // Feeding and bubbles.
    void feedingStep(int i);
    void feedingPeriodStep();
    void createBubble(int i, bool facingRight);
    void removeBubble(int i);
    void bubbleStep(int i, bool facingRight);

    TankSettings& settings() { return settings_; }
    EngineState& state() { return state_; }
    Scene& scene() { return scene_; }

private:
    // Number of fish the loops may touch: fishTotal kept inside the arrays.
    int fishInUse() const;

    // Stores a value computed in int into a record member. A hand-edited SET may hold
    // numbers near the limits; they stop there instead of wrapping to the other side.
    static std::int16_t toInt16(int v)
    {
        return static_cast<std::int16_t>(v < INT16_MIN ? INT16_MIN : v > INT16_MAX ? INT16_MAX : v);
    }

    TankSettings& settings_;
    Scene& scene_;
    EngineState& state_;
    RandomSource& random_;
    int innerWidth_ = kTankWidth;
    FrameChanges changes_;
};
