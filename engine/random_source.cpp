#include "engine/random_source.h"

#include <chrono>

namespace {
constexpr std::mt19937::result_type kStartSeed = 0x5EED;
}

RandomSource::RandomSource() : generator_(kStartSeed) {}

double RandomSource::next()
{
    // 24 random bits, the precision of a single-precision value; k / 2^24 < 1.
    return double(generator_() >> 8) / double(1u << 24);
}

void RandomSource::reseed()
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    generator_.seed(static_cast<std::mt19937::result_type>(ticks ^ (ticks >> 32)));
}
