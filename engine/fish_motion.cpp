#include "engine/tank_engine.h"

namespace {
bool facesRight(int mode) { return mode >= 0 && mode <= 2; }
bool facesLeft(int mode) { return mode >= 3 && mode <= 5; }

constexpr int kTopLimit = 0;
constexpr int kBottomLimit = 225;
constexpr int kRightCycleStart = 450;
constexpr int kRightCycleEnd = 900;
constexpr int kLeftCycleEnd = 375;
}  // namespace

void TankEngine::motionStep(int i)
{
    auto& f = settings_.fish[std::size_t(i)];

    if (facesRight(f.swimMode)) {
        if (f.riseFlag == 1) {
            if (f.y > kTopLimit)
                f.y = toInt16(f.y - 2);
            return;
        }
        if (innerWidth_ - kFishSize > f.x) {
            f.x = toInt16(nearest(f.x + 5 * random_.next()));
            if (f.swimMode == 2)
                f.y = toInt16(nearest(f.y + 10 * random_.next()));
            else if (f.swimMode == 0)
                f.y = toInt16(nearest(f.y - 10 * random_.next()));
            const int frame = f.frameX + kFishSize;
            f.frameX = toInt16(frame >= kRightCycleEnd || frame < kRightCycleStart ? kRightCycleStart : frame);
            if (f.y > kBottomLimit)
                f.swimMode = 0;
            if (f.y < kTopLimit)
                f.swimMode = 2;
            bubbleStep(i, true);
            return;
        }
        state_.turnCount = toInt16(state_.turnCount + 1);
        f.x = toInt16(f.x - 5);
        if (state_.turnCount != 4)
            return;
        state_.turnCount = 0;
        random_.reseed();
        const int k = Int(3 * random_.next());
        if (k == 0)
            f.swimMode = 3;
        else if (k == 1)
            f.swimMode = 5;
        else if (k == 2)
            f.swimMode = 4;
        // The fish turns and swims left within this same tick.
    }

    if (facesLeft(f.swimMode)) {
        if (f.riseFlag == 1) {
            if (f.y > kTopLimit)
                f.y = toInt16(f.y - 2);
            return;
        }
        if (f.x > 0) {
            f.x = toInt16(nearest(f.x - 5 * random_.next()));
            if (f.swimMode == 3)
                f.y = toInt16(nearest(f.y - 10 * random_.next()));
            else if (f.swimMode == 5)
                f.y = toInt16(nearest(f.y + 10 * random_.next()));
            const int frame = f.frameX + kFishSize;
            f.frameX = toInt16(frame >= kLeftCycleEnd ? 0 : frame);
            if (f.y > kBottomLimit)
                f.swimMode = 3;
            if (f.y < kTopLimit)
                f.swimMode = 5;
            bubbleStep(i, false);
            return;
        }
        state_.turnCount = toInt16(state_.turnCount + 1);
        f.x = toInt16(f.x + 5);
        if (state_.turnCount != 4)
            return;
        state_.turnCount = 0;
        random_.reseed();
        // Leaving the left wall the fish always drifts; it swims right from the next tick.
        const int k = Int(2 * random_.next());
        if (k == 0)
            f.swimMode = 0;
        else if (k == 1)
            f.swimMode = 2;
    }
}

void TankEngine::behaviourRoll(int i)
{
    auto& f = settings_.fish[std::size_t(i)];
    if (f.riseFlag == 1)
        f.riseFlag = 0;
    removeBubble(i);
    random_.reseed();
    const bool right = facesRight(f.swimMode);
    if (!right && !facesLeft(f.swimMode))
        return;
    const int k = Int(6 * random_.next());
    if (k >= 0 && k <= 2)
        f.swimMode = toInt16(right ? k : 3 + k);
    else if (k == 3)
        f.riseFlag = 1;
    else if (k == 4 || k == 5)
        createBubble(i, right);
}
