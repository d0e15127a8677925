#pragma once

#include "app/tank_settings.h"
#include "engine/engine_state.h"
#include "engine/frame_changes.h"
#include "engine/frame_sprites.h"
#include "engine/random_source.h"
#include "engine/scene.h"
#include "engine/sprite_sheet.h"

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

// The two timers that drive the tank, and when they fall due next, in milliseconds of a
// steady clock.
inline constexpr int kFrameTickMs = 100;
inline constexpr int kBehaviourPeriodMs = 2500;
struct TimersDue {
    std::int64_t frameTick = 0;
    std::int64_t behaviourPeriod = 0;
    bool operator==(const TimersDue&) const = default;
};

// The per-tick work on the tank. It holds no state of its own: the record, the
// pictures, the engine state and the random source all belong to its owner.
class TankEngine {
public:
    TankEngine(TankSettings& settings, Scene& scene, EngineState& state, RandomSource& random);

    // The window's inner width, read at every right-wall test.
    void setInnerWidth(int width) { innerWidth_ = width; }
    int innerWidth() const { return innerWidth_; }

    // One frame: moves the fish, then brings suisou up to date. suisou keeps the frame
    // between ticks, so only the places where a sprite moved, came or went are redrawn
    // (background first, then every sprite over them in stacking order); after a
    // wholesale change the whole tank is composed. The caller shows lastChanges().
    void AnimateTank();
    // The two halves of AnimateTank: moves the fish and places this tick's sprites, then
    // composes them into suisou.
    void advanceTick();
    void composeFrame();
    // While nobody sees the tank: runs every frame tick and behaviour period due by `now`
    // in the order the timers fire them (a frame tick first where both fall due at once),
    // with the same random draws, composing nothing. Returns when they fall due next.
    // composeFrame() then shows the frame the last of those ticks would have shown.
    TimersDue catchUp(TimersDue due, std::int64_t now);
    // Where the last AnimateTank changed suisou.
    const FrameChanges& lastChanges() const { return changes_; }
    // The sprites suisou holds, in stacking order.
    const FrameSprites& lastFrame() const { return shown_; }
    // The next tick composes the whole tank. The engine notices new pictures, a rebound
    // suisou and another fish or accessory count by itself; this is for anything else.
    void composeWholeNextTick() { drawnScene_.valid = false; }
    // Advances the accessories' animation and places each in this tick's frame.
    void DrawAccessories();
    // Draws one cell of a sheet straight into suisou.
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

    // Puts a sprite into this tick's frame at its stacking slot; the frame is drawn when
    // every fish has moved, so the motion and its random draws stay where they are.
    void placeSprite(int slot, const QImage& sheet, int x, int y, int width, int height, int sourceX, int maskY);
    void composeWhole();
    void composeChanged();
    // Draws a sprite of this tick's frame, inside `clip`, from its sheet's form; with
    // `rows`, only those columns of each row (a sheet without a form draws whole rows).
    void drawSprite(const SpriteDraw& s, const QRect& clip, const SpriteSheet::Span* rows = nullptr);

    // Which pictures the frame in suisou was drawn from and onto. Any difference from the
    // scene of this tick is a wholesale change. cacheKey() changes whenever a picture is
    // replaced or written through bits(), so a caller cannot forget to tell us.
    struct SceneKey {
        bool valid = false;
        qint64 suisou = 0;
        qint64 back = 0;
        std::array<qint64, kMaxKinds> pat{};
        qint64 esaPat = 0;
        qint64 awa = 0;
        std::array<qint64, kMaxAccessories> access{};
        int fishCount = 0;
        int accessoryCount = 0;
        bool operator==(const SceneKey&) const = default;
    };
    SceneKey sceneKey() const;

    TankSettings& settings_;
    Scene& scene_;
    EngineState& state_;
    RandomSource& random_;
    int innerWidth_ = kTankWidth;
    FrameChanges changes_;
    FrameSprites frame_{};  // being put together by this tick
    FrameSprites shown_{};  // what suisou holds
    SceneKey drawnScene_;
    SpriteSheets forms_;
    // Off while catching up, but for the last tick: only that tick's frame is shown.
    bool placing_ = true;
};
