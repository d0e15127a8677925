#pragma once

#include <cstdint>

// Uniform values in [0, 1). Starts from a fixed seed, so draws made before the first
// reseed (the fishes' start heights) repeat from run to run.
class RandomSource {
public:
    RandomSource();
    virtual ~RandomSource() = default;

    // Always strictly below 1, so Int(n * r) never reaches n.
    virtual double next();
    // Seeds afresh from a high-resolution clock; never the same seed twice in a row.
    virtual void reseed();

private:
    std::uint64_t state_;
    std::uint64_t lastSeed_ = 0;
};
