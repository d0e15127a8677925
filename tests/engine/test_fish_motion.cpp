#include "tank_rig.h"

#include <gtest/gtest.h>

namespace {

using rig::TankRig;

// The value that makes Int(n * r) come out as k.
double rollFor(int k, int n) { return (k + 0.5) / n; }

TEST(FishMotion, RightWallHitsShareTheCounterAndTheFourthTurnsTheFishWithinTheTick)
{
    TankRig t(4);
    for (int i = 0; i < 4; ++i)
        t.fish(i) = {425, 100, 1, 600, 0, {}, 0};
    // Fish 3 makes the fourth hit: k = 1 (mode 5), then its first left-facing move.
    t.random.script({rollFor(1, 3), 0.5, 0.25});
    t.engine.AnimateTank();

    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(t.fish(i).x, 420) << "fish " << i << " is pushed back";
        EXPECT_EQ(t.fish(i).swimMode, 1);
        EXPECT_EQ(t.fish(i).frameX, 600) << "no frame change at the wall";
    }
    EXPECT_EQ(t.fish(3).swimMode, 5);
    EXPECT_EQ(t.fish(3).x, 418) << "425 - 5, then 420 - 2.5 rounded to even";
    EXPECT_EQ(t.fish(3).y, 102) << "100 + 2.5 rounded to even";
    EXPECT_EQ(t.fish(3).frameX, 0) << "straight from the right cycle into the left one";
    EXPECT_EQ(t.state.turnCount, 0);
    EXPECT_EQ(t.random.takeLog(), "RRRRRnnn") << "one reseed per fish, one before the turn";

    // The other two outcomes of the turn; a level fish draws no vertical value.
    for (auto [k, mode] : {std::pair{0, 3}, std::pair{2, 4}}) {
        TankRig one;
        one.fish(0) = {425, 100, 0, 825, 0, {}, 0};
        one.state.turnCount = 3;
        one.random.script({rollFor(k, 3), 0.0});
        if (mode == 3)
            one.random.script({0.0});
        one.engine.AnimateTank();
        EXPECT_EQ(one.fish(0).swimMode, mode);
        EXPECT_EQ(one.fish(0).x, 420);
        EXPECT_EQ(one.fish(0).frameX, 0);
        EXPECT_EQ(one.random.unused(), 0u);
    }
}

TEST(FishMotion, AFishAtTheRightWallJittersUntilTheCounterComesRound)
{
    TankRig t;
    t.fish(0) = {425, 100, 1, 600, 0, {}, 0};
    t.engine.AnimateTank();  // hit 1
    EXPECT_EQ(t.fish(0).x, 420);
    EXPECT_EQ(t.fish(0).frameX, 600);
    EXPECT_EQ(t.random.takeLog(), "R");

    t.random.script({0.999});  // swims back into the wall: 420 + 4.995 -> 425
    t.engine.AnimateTank();
    EXPECT_EQ(t.fish(0).x, 425);
    EXPECT_EQ(t.fish(0).frameX, 675);

    t.engine.AnimateTank();  // hit 2
    t.random.script({0.999});
    t.engine.AnimateTank();
    t.engine.AnimateTank();  // hit 3
    EXPECT_EQ(t.state.turnCount, 3);
    EXPECT_EQ(t.fish(0).swimMode, 1);
    t.random.script({0.999});
    t.engine.AnimateTank();
    t.random.script({rollFor(2, 3), 0.0});
    t.engine.AnimateTank();  // hit 4 turns it
    EXPECT_EQ(t.fish(0).swimMode, 4);
    EXPECT_EQ(t.fish(0).x, 420);
    EXPECT_EQ(t.state.turnCount, 0);
}

TEST(FishMotion, LeftWallTurnsToADriftingRightFishThatSwimsFromTheNextTick)
{
    for (double r : {0.0, 0.49, 0.5, 0.999}) {
        TankRig t;
        t.fish(0) = {0, 100, 4, 150, 0, {}, 0};
        t.state.turnCount = 3;
        t.random.script({r});
        t.engine.AnimateTank();
        EXPECT_EQ(t.fish(0).swimMode, r < 0.5 ? 0 : 2) << "never level after the left wall";
        EXPECT_EQ(t.fish(0).x, 5);
        EXPECT_EQ(t.fish(0).frameX, 150) << "it turns but does not swim in this tick";
        EXPECT_EQ(t.random.takeLog(), "RRn");

        t.random.script({0.999, 0.0});
        t.engine.AnimateTank();
        EXPECT_EQ(t.fish(0).x, 10);
        EXPECT_EQ(t.fish(0).frameX, 450);
    }

    TankRig t;
    t.fish(0) = {-3, 100, 3, 150, 0, {}, 0};
    t.engine.AnimateTank();
    EXPECT_EQ(t.fish(0).x, 2);
    EXPECT_EQ(t.fish(0).swimMode, 3);
    EXPECT_EQ(t.state.turnCount, 1);
    EXPECT_EQ(t.random.takeLog(), "R");
}

TEST(FishMotion, FramesRunThroughSixRightCellsAndFiveLeftCellsFromTheStartPose)
{
    TankRig t(2);
    t.fish(0) = {100, 100, 1, 375, 0, {}, 0};
    t.fish(1) = {300, 100, 4, 375, 0, {}, 0};
    const int right[] = {450, 525, 600, 675, 750, 825, 450, 525};
    const int left[] = {0, 75, 150, 225, 300, 0, 75, 150};
    for (int tick = 0; tick < 8; ++tick) {
        t.random.script({0.0, 0.0});
        t.engine.AnimateTank();
        EXPECT_EQ(t.fish(0).frameX, right[tick]) << "tick " << tick;
        EXPECT_EQ(t.fish(1).frameX, left[tick]) << "tick " << tick;
    }
    std::string expected;
    for (int tick = 0; tick < 8; ++tick)
        expected += "RnRn";
    EXPECT_EQ(t.random.takeLog(), expected);
}

TEST(FishMotion, VerticalLimitsTurnDriftingFishAndLevelFishOnlyWhenAlreadyBeyond)
{
    struct Case { int mode, y; double r; int expectY, expectMode; };
    const Case cases[] = {
        {2, 224, 0.5, 229, 0}, {0, 3, 0.5, -2, 2}, {0, 100, 0.25, 98, 0},
        {5, 224, 0.5, 229, 3}, {3, 3, 0.5, -2, 5}, {5, 100, 0.25, 102, 5},
        {1, 226, -1, 226, 0},  {1, 225, -1, 225, 1}, {1, -1, -1, -1, 2}, {1, 0, -1, 0, 1},
        {4, 226, -1, 226, 3},  {4, 225, -1, 225, 4}, {4, -1, -1, -1, 5}, {4, 0, -1, 0, 4},
    };
    for (const Case& c : cases) {
        TankRig t;
        t.fish(0) = {200, static_cast<std::int16_t>(c.y), static_cast<std::int16_t>(c.mode), 450, 0, {}, 0};
        t.random.script({0.0});
        if (c.r >= 0)
            t.random.script({c.r});
        t.engine.AnimateTank();
        EXPECT_EQ(t.fish(0).y, c.expectY) << "mode " << c.mode << " from y " << c.y;
        EXPECT_EQ(t.fish(0).swimMode, c.expectMode) << "mode " << c.mode << " from y " << c.y;
        EXPECT_EQ(t.random.unused(), 0u);
    }
}

TEST(FishMotion, ARisingFishClimbsToMinusOneStaysAndIsTurnedDownAfterTheRise)
{
    for (int mode : {1, 4}) {
        TankRig t;
        t.fish(0) = {425, 3, static_cast<std::int16_t>(mode), 450, 0, {}, 1};
        t.bubble(0) = {1, 250, 80};
        for (int expectY : {1, -1, -1, -1}) {
            t.engine.AnimateTank();
            EXPECT_EQ(t.fish(0).y, expectY);
        }
        EXPECT_EQ(t.fish(0).x, 425) << "no wall test while rising";
        EXPECT_EQ(t.state.turnCount, 0);
        EXPECT_EQ(t.fish(0).frameX, 450);
        EXPECT_EQ(t.bubble(0).y, 80) << "its bubble waits";
        EXPECT_EQ(t.random.takeLog(), "RRRR") << "no draws while rising";

        t.random.script({rollFor(1, 6)});  // keeps the level drift
        t.engine.behaviourPeriod();
        EXPECT_EQ(t.fish(0).riseFlag, 0);
        EXPECT_EQ(t.fish(0).swimMode, mode);

        t.fish(0).x = 200;
        t.random.script({0.0});
        t.engine.AnimateTank();
        EXPECT_EQ(t.fish(0).swimMode, mode + 1) << "turned downward";
    }
}

TEST(FishMotion, TheBehaviourRollKeepsTheFacingAndPicksDriftRiseOrBubble)
{
    for (int base : {0, 3}) {
        for (int k = 0; k < 6; ++k) {
            TankRig t(2);
            t.fish(0) = {200, 100, static_cast<std::int16_t>(base + 1), 450, 0, {}, 1};
            t.fish(1) = {100, 50, static_cast<std::int16_t>(base + 2), 450, 0, {}, 0};
            t.bubble(0) = {1, 7, 7};
            t.random.script({rollFor(k, 6), rollFor(0, 6)});
            t.engine.behaviourPeriod();

            SCOPED_TRACE(testing::Message() << "facing " << (base == 0 ? "right" : "left") << ", k " << k);
            EXPECT_EQ(t.random.takeLog(), "RnRn") << "one reseed before each roll";
            EXPECT_EQ(t.fish(0).swimMode, k <= 2 ? base + k : base + 1);
            EXPECT_EQ(t.fish(0).riseFlag, k == 3 ? 1 : 0) << "an old rise always ends";
            EXPECT_EQ(t.bubble(0).active, k >= 4 ? 1 : 0) << "an old bubble always goes";
            if (k >= 4) {
                EXPECT_EQ(t.bubble(0).x, base == 0 ? 285 : 190);
                EXPECT_EQ(t.bubble(0).y, 125);
            }
            EXPECT_EQ(t.fish(0).x, 200);
            EXPECT_EQ(t.fish(1).swimMode, base) << "fish 1 rolls second, in index order";
        }
    }
}

TEST(FishMotion, AFishInAnyOtherModeNeitherMovesNorRolls)
{
    for (int mode : {-1, 6, 99}) {
        TankRig t;
        t.fish(0) = {425, 100, static_cast<std::int16_t>(mode), 450, 0, {}, 1};
        t.bubble(0) = {1, 20, 20};
        const FishState before = t.fish(0);
        t.engine.AnimateTank();
        t.engine.behaviourPeriod();
        t.engine.AnimateTank();
        EXPECT_EQ(t.fish(0).x, before.x);
        EXPECT_EQ(t.fish(0).y, before.y);
        EXPECT_EQ(t.fish(0).frameX, before.frameX);
        EXPECT_EQ(t.fish(0).swimMode, mode);
        EXPECT_EQ(t.fish(0).riseFlag, 0) << "the roll still ends a rise";
        EXPECT_EQ(t.bubble(0).active, 0) << "and removes the bubble";
        EXPECT_EQ(t.state.turnCount, 0);
        EXPECT_EQ(t.random.takeLog(), "RRR");
    }
}

TEST(FishMotion, NumbersNearTheLimitsOfAHandEditedRecordStopThereInsteadOfWrapping)
{
    TankRig t(2);
    t.fish(0) = {200, 32760, 2, 32700, 0, {}, 0};
    t.fish(1) = {32767, 100, 1, 450, 0, {}, 0};
    t.random.script({0.0, 0.999});
    t.engine.AnimateTank();
    EXPECT_EQ(t.fish(0).y, 32767);
    EXPECT_EQ(t.fish(0).swimMode, 0) << "far below the tank, so it swims back up";
    EXPECT_EQ(t.fish(0).frameX, 450);

    t.random.script({rollFor(4, 6), rollFor(4, 6)});
    t.engine.behaviourPeriod();
    EXPECT_EQ(t.bubble(0).y, 32767);
    EXPECT_EQ(t.bubble(1).x, 32767) << "a bubble in front of a fish far to the right";
}

}  // namespace
