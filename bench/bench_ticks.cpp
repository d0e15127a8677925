// Long runs of the living tank, reported per tick: five fish swimming with bubbles, and
// five fish feeding, each tick composing what changed. Compare with BM_OnePlainTankCopy,
// the floor of a whole composition.

#include "engine/surface.h"
#include "engine/tank_engine.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kTicks = 10000;
constexpr int kTicksPerPeriod = 25;

struct SwimmingTank {
    SwimmingTank() : scene(Scene::withBuiltInPictures()), engine(settings, scene, state, random)
    {
        scene.prepareTankSurfaces();
        settings.fishTotal = 5;
        settings.kinds[0].count = 5;
        for (int i = 0; i < 5; ++i)
            settings.fish[std::size_t(i)] = {std::int16_t(20 + 90 * i), std::int16_t(20 + 45 * i), std::int16_t(i), 375, 0, {}, 0};
    }
    // Every fish blows a bubble after each period, so each tick draws five of them
    // until they reach the surface.
    void period()
    {
        engine.behaviourPeriod();
        for (int i = 0; i < settings.fishTotal; ++i) {
            const auto& f = settings.fish[std::size_t(i)];
            engine.createBubble(i, f.swimMode >= 0 && f.swimMode <= 2);
        }
    }

    TankSettings settings;
    Scene scene;
    EngineState state;
    RandomSource random;  // the program's own source, clock reseeds included
    TankEngine engine;
};

void reportPerTick(benchmark::State& st)
{
    st.counters["per_tick"] = benchmark::Counter(kTicks, benchmark::Counter::kIsIterationInvariantRate
                                                             | benchmark::Counter::kInvert);
}

void BM_10000SwimmingTicks_FiveFishWithBubbles(benchmark::State& st)
{
    SwimmingTank tank;
    for (auto _ : st) {
        for (int tick = 0; tick < kTicks; ++tick) {
            if (tick % kTicksPerPeriod == 0)
                tank.period();
            tank.engine.AnimateTank();
        }
        benchmark::DoNotOptimize(tank.scene.suisou.constBits());
    }
    reportPerTick(st);
}
BENCHMARK(BM_10000SwimmingTicks_FiveFishWithBubbles)->Unit(benchmark::kMillisecond);

void BM_10000FeedingTicks_FiveFish(benchmark::State& st)
{
    SwimmingTank tank;
    for (auto _ : st) {
        tank.engine.startFeeding();
        for (int tick = 0; tick < kTicks; ++tick)
            tank.engine.AnimateTank();
        benchmark::DoNotOptimize(tank.scene.suisou.constBits());
    }
    reportPerTick(st);
}
BENCHMARK(BM_10000FeedingTicks_FiveFish)->Unit(benchmark::kMillisecond);

}  // namespace
