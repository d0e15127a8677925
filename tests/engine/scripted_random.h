#pragma once

#include "engine/random_source.h"

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <string>
#include <utility>

// Hands out the values a test lists, in order, and logs every call: 'R' for a reseed,
// 'n' for a draw. The log shows where the engine reseeds and how many values it takes.
class ScriptedRandom : public RandomSource {
public:
    void script(std::initializer_list<double> values) { values_.insert(values_.end(), values); }

    double next() override
    {
        log_ += 'n';
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
};
