// One frame of a full tank against the floor no frame can beat: two plain copies of
// the whole tank (clean background to work, work to the view).

#include "engine/surface.h"
#include "engine/tank_engine.h"

#include <benchmark/benchmark.h>

namespace {

// A deterministic source, so every run does the same work.
class FixedRandom : public RandomSource {
public:
    double next() override { return (state_ = (state_ * 1103515245u + 12345u) & 0x7fffffffu) / double(0x80000000u); }
    void reseed() override {}

private:
    unsigned state_ = 1;
};

struct FullTank {
    FullTank() : scene(Scene::withBuiltInPictures()), engine(settings, scene, state, random)
    {
        scene.prepareTankSurfaces();
        settings.fishTotal = 5;
        settings.kinds[0].count = 5;
        for (int i = 0; i < 5; ++i)
            settings.fish[std::size_t(i)] = {std::int16_t(60 + 70 * i), std::int16_t(30 + 40 * i), std::int16_t(i % 6), 450, 0, {}, 0};
        settings.accessoryCount = 4;
        for (int a = 0; a < 4; ++a) {
            scene.access[std::size_t(a)] = makeSurface(a % 2 ? 2000 : 1000, a % 2 ? 200 : 400, qRgb(255, 255, 255));
            placeAccessory(settings.accessories[std::size_t(a)], scene.access[std::size_t(a)], a);
        }
    }
    TankSettings settings;
    Scene scene;
    EngineState state;
    FixedRandom random;
    TankEngine engine;
};

void BM_AnimateTank_FiveFishFourAccessories(benchmark::State& st)
{
    FullTank tank;
    for (auto _ : st) {
        tank.engine.AnimateTank();
        benchmark::DoNotOptimize(tank.scene.suisou.constBits());
    }
}
BENCHMARK(BM_AnimateTank_FiveFishFourAccessories);

void BM_TwoPlainTankCopies(benchmark::State& st)
{
    FullTank tank;
    for (auto _ : st) {
        bitBlt(tank.scene.suisou, 0, 0, kTankWidth, kTankHeight, tank.scene.back, 0, 0, RasterOp::SrcCopy);
        bitBlt(tank.scene.suisou, 0, 0, kTankWidth, kTankHeight, tank.scene.back, 0, 0, RasterOp::SrcCopy);
        benchmark::DoNotOptimize(tank.scene.suisou.constBits());
    }
}
BENCHMARK(BM_TwoPlainTankCopies);

}  // namespace
