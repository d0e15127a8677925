#include "tank_rig.h"

#include <gtest/gtest.h>

namespace {

using rig::TankRig;

double rollFor(int k, int n) { return (k + 0.5) / n; }

bool isLeftCell(int frameX) { return frameX >= 0 && frameX <= 300 && frameX % 75 == 0; }

TEST(Feeding, EveryFishGlidesGeometricallyToTheFoodFacingLeft)
{
    TankRig t;
    t.fish(0) = {425, 225, 1, 600, 0, {}, 0};
    t.engine.startFeeding();
    int ticksToX = 0, ticksToY = 0;
    for (int tick = 1; tick <= 45; ++tick) {
        t.engine.AnimateTank();
        ASSERT_EQ(t.fish(0).swimMode, 3);
        ASSERT_TRUE(isLeftCell(t.fish(0).frameX)) << t.fish(0).frameX;
        if (!ticksToX && t.fish(0).x < 30)
            ticksToX = tick;
        if (!ticksToY && t.fish(0).y < 5)
            ticksToY = tick;
    }
    EXPECT_EQ(ticksToX, 40);
    EXPECT_EQ(t.fish(0).x, 28);
    EXPECT_EQ(ticksToY, 36);
    EXPECT_EQ(t.fish(0).y, 4);
    EXPECT_EQ(t.random.takeLog(), std::string(45, 'R')) << "feeding draws nothing";

    // Halves go to the even neighbour: 25 - 2.5 is 22, 15 - 1.5 is 14, 5 - 0.5 is 4.
    for (auto [from, to] : {std::pair{25, 22}, std::pair{15, 14}, std::pair{5, 4}, std::pair{225, 202}}) {
        t.fish(0).y = static_cast<std::int16_t>(from);
        t.engine.AnimateTank();
        EXPECT_EQ(t.fish(0).y, to) << "from " << from;
    }
}

TEST(Feeding, AFishAlreadyAtTheFoodStaysButStillCyclesItsFrameFacingLeft)
{
    TankRig t;
    t.fish(0) = {29, 4, 0, 825, 0, {}, 0};
    t.engine.startFeeding();
    t.engine.AnimateTank();
    EXPECT_EQ(t.fish(0).x, 29);
    EXPECT_EQ(t.fish(0).y, 4);
    EXPECT_EQ(t.fish(0).swimMode, 3);
    EXPECT_EQ(t.fish(0).frameX, 0);
    t.engine.AnimateTank();
    EXPECT_EQ(t.fish(0).frameX, 75);

    t.fish(0).x = 30;  // the threshold itself still moves: 30 - 2 = 28
    t.engine.AnimateTank();
    EXPECT_EQ(t.fish(0).x, 28);
}

TEST(Feeding, RiseWallsCounterAndBubblePlayNoPartWhileFeeding)
{
    TankRig t;
    t.fish(0) = {425, 100, 1, 450, 0, {}, 1};
    t.state.turnCount = 3;
    t.bubble(0) = {1, 300, 150};
    t.engine.startFeeding();
    t.engine.AnimateTank();
    EXPECT_EQ(t.fish(0).x, 397) << "425 - 28.33 rounded";
    EXPECT_EQ(t.fish(0).y, 90);
    EXPECT_EQ(t.fish(0).riseFlag, 1);
    EXPECT_EQ(t.state.turnCount, 3);
    EXPECT_EQ(t.bubble(0).y, 150);
    EXPECT_EQ(t.shown(310, 160), rig::kWater) << "the bubble is not drawn";
}

TEST(Feeding, FeedingEndsAtTheThirdPeriodWithoutRollsAndASecondCommandChangesNothing)
{
    TankRig t(2);
    t.fish(0) = {200, 100, 1, 450, 0, {}, 1};
    t.fish(1) = {300, 100, 4, 0, 0, {}, 0};
    t.bubble(0) = {1, 285, 125};
    t.bubble(1) = {1, 290, 125};
    t.bubble(2) = {1, 50, 50};  // a stale entry of a fish not in use

    t.engine.startFeeding();
    t.engine.behaviourPeriod();
    EXPECT_EQ(t.state.feeding, 1);
    EXPECT_EQ(t.state.feedPeriods, 1);
    EXPECT_EQ(t.bubble(0).active, 0);
    EXPECT_EQ(t.bubble(1).active, 0);
    EXPECT_EQ(t.bubble(2).active, 1);
    EXPECT_EQ(t.fish(0).riseFlag, 1) << "no roll in a feeding period";

    t.engine.startFeeding();
    EXPECT_EQ(t.state.feedPeriods, 1) << "a second command changes nothing";
    t.engine.behaviourPeriod();
    EXPECT_EQ(t.state.feeding, 1);
    t.engine.AnimateTank();
    t.engine.behaviourPeriod();
    EXPECT_EQ(t.state.feeding, 0);
    EXPECT_EQ(t.state.feedPeriods, 0);
    EXPECT_EQ(t.random.takeLog(), "RR") << "only the tick's reseeds";

    // Afterwards every fish faces left and swims on; the rise set before feeding goes on.
    EXPECT_EQ(t.fish(0).swimMode, 3);
    EXPECT_EQ(t.fish(1).swimMode, 3);
    t.random.script({0.999, 0.0});
    t.engine.AnimateTank();
    EXPECT_EQ(t.fish(0).y, 88) << "still rising";
    EXPECT_EQ(t.fish(1).x, 275) << "swimming left";

    t.random.script({rollFor(0, 6), rollFor(0, 6)});
    t.engine.behaviourPeriod();
    EXPECT_EQ(t.random.takeLog(), "RRnnRnRn");
    EXPECT_EQ(t.fish(0).riseFlag, 0);
}

TEST(Feeding, FoodLiesUnderTheFishOfItsTurnAndOverTheFishBefore)
{
    constexpr QRgb foodOnWater = rig::kFood & rig::kWater;
    {
        TankRig t;
        t.fish(0) = {20, 3, 1, 0, 0, {}, 0};
        t.engine.startFeeding();
        t.engine.AnimateTank();
        EXPECT_EQ(t.shown(12, 12), foodOnWater) << "the food in the top-left corner";
        EXPECT_EQ(t.shown(30, 30), rig::kGoldfish) << "food under fish 0";
    }
    {
        TankRig t(2);
        t.settings.fishKindOf[1] = 1;
        t.fish(0) = {0, 0, 1, 0, 0, {}, 0};
        t.fish(1) = {25, 4, 1, 0, 0, {}, 0};
        t.engine.startFeeding();
        t.engine.AnimateTank();
        EXPECT_EQ(t.shown(15, 15), rig::kGoldfish & rig::kFood) << "food over fish 0";
        EXPECT_EQ(t.shown(40, 40), rig::kBlueFish) << "fish 1 over the food";
        EXPECT_EQ(t.shown(12, 2), rig::kGoldfish);
    }
}

TEST(Bubbles, ABubbleClimbsBy0To19FacingRightAnd0To9FacingLeftDrawnGreenOverBlue)
{
    TankRig t;
    t.fish(0) = {100, 150, 1, 450, 0, {}, 0};
    t.random.script({rollFor(4, 6)});
    t.engine.behaviourPeriod();
    ASSERT_EQ(t.bubble(0).active, 1);
    EXPECT_EQ(t.bubble(0).x, 185);
    EXPECT_EQ(t.bubble(0).y, 175);
    t.random.takeLog();

    t.random.script({0.0, 0.999});
    t.engine.AnimateTank();
    EXPECT_EQ(t.bubble(0).y, 156);
    EXPECT_EQ(t.bubble(0).x, 185);
    EXPECT_EQ(t.random.takeLog(), "RnRn") << "reseeded before a right-facing climb";
    EXPECT_EQ(t.shown(186, 157), rig::kBubbleGreen);
    EXPECT_EQ(t.shown(214, 185), rig::kBubbleGreen);
    EXPECT_EQ(t.shown(190, 155), rig::kWater);
    EXPECT_EQ(t.shown(215, 170), rig::kWater);

    t.fish(0) = {300, 150, 4, 0, 0, {}, 0};
    t.random.script({rollFor(5, 6)});
    t.engine.behaviourPeriod();
    EXPECT_EQ(t.bubble(0).x, 290);
    t.random.takeLog();
    t.random.script({0.0, 0.999});
    t.engine.AnimateTank();
    EXPECT_EQ(t.bubble(0).y, 166);
    EXPECT_EQ(t.random.takeLog(), "Rnn") << "no reseed before a left-facing climb";
    EXPECT_EQ(t.shown(295, 170), rig::kBubbleGreen);
    EXPECT_EQ(t.shown(305, 170), rig::kGoldfish) << "the fish covers its own bubble";
}

TEST(Bubbles, ABubbleAtTenOrAboveIsNeitherMovedNorDrawnButStaysActive)
{
    TankRig t;
    t.fish(0) = {100, -15, 1, 450, 0, {}, 0};
    t.random.script({rollFor(4, 6)});
    t.engine.behaviourPeriod();
    EXPECT_EQ(t.bubble(0).y, 10);
    t.random.takeLog();
    t.random.script({0.0});
    t.engine.AnimateTank();
    EXPECT_EQ(t.random.takeLog(), "Rn");
    EXPECT_EQ(t.bubble(0).y, 10);
    EXPECT_EQ(t.bubble(0).active, 1);
    EXPECT_EQ(t.shown(195, 20), rig::kWater);

    // From 11 it climbs once more, past the top and clipped, and then stops.
    t.fish(0).y = 100;
    t.fish(0).swimMode = 1;
    t.bubble(0).y = 11;
    t.random.script({0.0, 0.999});
    t.engine.AnimateTank();
    EXPECT_EQ(t.bubble(0).y, -8);
    EXPECT_EQ(t.shown(195, 0), rig::kBubbleGreen);
    EXPECT_EQ(t.shown(195, 21), rig::kBubbleGreen);
    EXPECT_EQ(t.shown(195, 22), rig::kWater);
    t.random.script({0.0});
    t.engine.AnimateTank();
    EXPECT_EQ(t.bubble(0).y, -8);
    EXPECT_EQ(t.shown(195, 0), rig::kWater);
}

TEST(Bubbles, ATurnAtAWallSwitchesTheClimbAndStandingAtAWallHoldsIt)
{
    TankRig t;
    t.fish(0) = {425, 100, 1, 450, 0, {}, 0};
    t.bubble(0) = {1, 300, 200};
    t.engine.AnimateTank();  // a hit without a turn: the fish does not swim
    EXPECT_EQ(t.bubble(0).y, 200);
    EXPECT_EQ(t.shown(310, 210), rig::kWater);

    t.fish(0).x = 425;
    t.state.turnCount = 3;
    t.random.takeLog();
    t.random.script({rollFor(2, 3), 0.0, 0.999});
    t.engine.AnimateTank();
    EXPECT_EQ(t.fish(0).swimMode, 4);
    EXPECT_EQ(t.bubble(0).y, 191) << "climbs as a left-facing fish's bubble in the turning tick";
    EXPECT_EQ(t.random.takeLog(), "RRnnn");

    t.fish(0) = {0, 100, 4, 0, 0, {}, 0};
    t.state.turnCount = 3;
    t.random.script({rollFor(0, 2)});
    t.engine.AnimateTank();
    EXPECT_EQ(t.fish(0).swimMode, 0);
    EXPECT_EQ(t.bubble(0).y, 191) << "the left-wall turn is not a swimming tick";
    t.random.takeLog();
    t.random.script({0.0, 0.0, 0.999});
    t.engine.AnimateTank();
    EXPECT_EQ(t.bubble(0).y, 172);
    EXPECT_EQ(t.random.takeLog(), "RnnRn");
}

TEST(Bubbles, WithFiveFishTheSixthEntryStaysUnusedAndEveryFishStaysInItsRanges)
{
    TankSettings settings;
    Scene scene;
    EngineState state;
    RandomSource random;
    TankEngine engine(settings, scene, state, random);
    scene.suisou = makeSurface(kTankWidth, kTankHeight, 0xFF000000 | rig::kWater);
    scene.prepareTankSurfaces();
    scene.pat[0] = rig::solidSheet(12, 75, 75, {rig::kGoldfish});
    scene.esaPat = rig::solidSheet(1, 50, 50, {rig::kFood});
    scene.awa = rig::solidSheet(2, 30, 30, {rig::kBubbleBlue, rig::kBubbleGreen});
    settings.fishTotal = 5;
    const std::int16_t startX[] = {0, 100, 212, 300, 425};
    for (int i = 0; i < 5; ++i)
        settings.fish[std::size_t(i)] = {startX[i], static_cast<std::int16_t>(45 * i), std::int16_t(i), 375, 0, {}, 0};

    int bubblesBlown = 0;
    for (int period = 0; period < 80; ++period) {
        for (int tick = 0; tick < 25; ++tick) {
            engine.AnimateTank();
            for (int i = 0; i < 5; ++i) {
                const FishState& f = settings.fish[std::size_t(i)];
                ASSERT_TRUE(f.swimMode >= 0 && f.swimMode <= 5) << f.swimMode;
                ASSERT_TRUE(f.x >= -4 && f.x <= 429) << f.x;
                ASSERT_TRUE(f.y >= -50 && f.y <= 275) << f.y;
                ASSERT_TRUE(f.frameX % 75 == 0 && f.frameX >= 0 && f.frameX <= 825) << f.frameX;
            }
        }
        if (period == 30)
            engine.startFeeding();
        engine.behaviourPeriod();
        for (int i = 0; i < 5; ++i)
            bubblesBlown += state.bubbles[std::size_t(i)].active;
        const Bubble& sixth = state.bubbles[5];
        ASSERT_EQ(sixth.active, 0);
        ASSERT_EQ(sixth.x, 0);
        ASSERT_EQ(sixth.y, 0);
    }
    EXPECT_GT(bubblesBlown, 0);
}

}  // namespace
