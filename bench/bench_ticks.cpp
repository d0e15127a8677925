// Long runs of the living tank, reported per tick: five fish swimming with bubbles, with
// and without the four sample accessories, and five fish feeding, each tick composing what
// changed. Under callgrind the long runs give instructions and cache misses per tick. Compare with BM_OnePlainTankCopy,
// the floor of a whole composition.

#include "app/settings_file.h"
#include "engine/picture_loader.h"
#include "engine/surface.h"
#include "engine/tank_engine.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kTicks = 10000;
constexpr int kTicksPerPeriod = 25;

struct SwimmingTank {
    explicit SwimmingTank(bool accessories = false)
        : scene(Scene::withBuiltInPictures()), engine(settings, scene, state, random)
    {
        scene.prepareTankSurfaces();
        settings.fishTotal = 5;
        settings.kinds[0].count = 5;
        for (int i = 0; i < 5; ++i)
            settings.fish[std::size_t(i)] = {std::int16_t(20 + 90 * i), std::int16_t(20 + 45 * i), std::int16_t(i), 375, 0, {}, 0};
        // Where bench/measure_running.sh -a puts them.
        static const char* const kSamples[] = {"mizukusa", "iwa", "takarabako", "shiro"};
        for (int a = 0; accessories && a < 4; ++a) {
            scene.access[std::size_t(a)] =
                loadPicture(QStringLiteral(PONDEL_SAMPLES_DIR "/%1.acc").arg(QLatin1String(kSamples[a]))).image;
            placeAccessory(settings.accessories[std::size_t(a)], scene.access[std::size_t(a)], a);
            settings.accessoryCount = std::int16_t(a + 1);
        }
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
    SwimmingTank tank(st.range(0) != 0);
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
BENCHMARK(BM_10000SwimmingTicks_FiveFishWithBubbles)->ArgName("sample_accessories")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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

// A tank out of sight for a day, seen again: 864000 frame ticks and 34560 periods of five
// fish, four accessories and the program's own random source, composing only the frame
// it wakes to. This is the pause a person sees when the window comes back.
void BM_CatchUpADay_FiveFishFourAccessories(benchmark::State& st)
{
    constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;
    SwimmingTank tank(true);
    std::int64_t now = 0;
    TimersDue due{kFrameTickMs, kBehaviourPeriodMs};
    for (auto _ : st) {
        now += kDayMs;
        due = tank.engine.catchUp(due, now);
        tank.engine.composeWholeNextTick();
        tank.engine.composeFrame();
        benchmark::DoNotOptimize(tank.scene.suisou.constBits());
    }
    st.counters["ticks"] = double(kDayMs / kFrameTickMs);
}
BENCHMARK(BM_CatchUpADay_FiveFishFourAccessories)->Unit(benchmark::kMillisecond);

// What a tick adds for the display-loss copy of the record: four added kinds and four
// accessories named by their paths, plain ASCII or Japanese.
void BM_RecordSnapshotAfterATick(benchmark::State& state)
{
    const bool japanese = state.range(0) != 0;
    const QString folder = japanese ? QStringLiteral("/home/ユーザー/金魚の模様/") : QStringLiteral("/home/user/patterns/");
    TankSettings s;
    s.fishTotal = 5;
    s.lastKind = 3;
    for (int k = 0; k < 4; ++k)
        s.kinds[std::size_t(k)] = {1, QStringLiteral("kind%1").arg(k), folder + QStringLiteral("k%1.pat").arg(k)};
    for (int a = 0; a < 4; ++a)
        s.accessories[std::size_t(a)] = {QStringLiteral("acc%1").arg(a), folder + QStringLiteral("a%1.acc").arg(a),
                                         20, 90, 0, 200, 100, 200, std::int16_t(a)};
    s.accessoryCount = 4;
    TextEncodings remembered;
    for (auto _ : state)
        benchmark::DoNotOptimize(serializeSettings(s, &remembered));
}
BENCHMARK(BM_RecordSnapshotAfterATick)->ArgName("japanese_paths")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
