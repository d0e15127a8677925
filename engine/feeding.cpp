#include "engine/tank_engine.h"

// Feeding and bubbles: filled in with the living tank.
void TankEngine::feedingStep(int) {}
void TankEngine::feedingPeriodStep() {}
void TankEngine::createBubble(int, bool) {}
void TankEngine::removeBubble(int) {}
void TankEngine::bubbleStep(int, bool) {}
