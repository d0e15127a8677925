#pragma once

#include "engine/random_source.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <utility>

// Hands out the values a test lists, in order, and logs every call: 'R' for a reseed,
// 'n' for a draw. The log shows where the engine reseeds and how many values it takes.
class ScriptedRandom : public RandomSource {
public:
    void script(std::initializer_list<double> values) { values_.insert(values_.end(), values); }
    // Once the listed values are used up, goes on with a fixed sequence of this seed, so
    // two sources given the same seed run in step for as long as a test likes.
    void thenSequence(std::uint64_t seed)
    {
        sequence_ = seed;
        endless_ = true;
    }

    double next() override
    {
        log_ += 'n';
        if (values_.empty() && endless_) {
            std::uint64_t z = (sequence_ += 0x9E3779B97F4A7C15ull);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            return double((z ^ (z >> 31)) >> 40) / double(1u << 24);
        }
        if (values_.empty()) {
            ADD_FAILURE() << "the engine drew more random values than the test scripted";
            return 0.0;
        }
        const double v = values_.front();
        values_.pop_front();
        return v;
    }
    void reseed() override { log_ += 'R'; }

    // The calls since the last take, and a fresh log from here on.
    std::string takeLog() { return std::exchange(log_, {}); }
    std::size_t unused() const { return values_.size(); }

private:
    std::deque<double> values_;
    std::string log_;
    std::uint64_t sequence_ = 0;
    bool endless_ = false;
};
