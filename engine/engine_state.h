#pragma once

#include <array>
#include <cstdint>

struct Bubble {
    std::int16_t active = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
};

// What the engine keeps between ticks; none of it is stored in "SET".
struct EngineState {
    std::array<Bubble, 6> bubbles{};  // entry i belongs to fish i; entry 5 is never used
    std::int16_t turnCount = 0;
    std::int16_t feeding = 0;
    std::int16_t feedPeriods = 0;
    std::int16_t accessoryFrame = 0;
    // Screen twips per pixel, captured when the tank window is laid out.
    std::int16_t twipsX = 15;
    std::int16_t twipsY = 15;
};
