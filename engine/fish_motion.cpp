#include "engine/tank_engine.h"

// Swimming, walls and the behaviour roll: filled in with the living tank.
void TankEngine::motionStep(int) {}
void TankEngine::behaviourRoll(int) {}
