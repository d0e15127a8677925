// One tick of a living tank, five fish swimming with bubbles, without and with four
// accessories: composing only what changed against composing the whole tank. The Cold
// variants evict the caches before each tick, as the 100 ms between two ticks of the
// program do. BM_Tick_Samples draws the four sample accessories, whose frames differ
// only in part, where the others' differ everywhere. BM_Tick_SheetBits holds every sheet at 8 or at 32 bits, which decides how
// the loader keeps them.

#include "engine/picture_loader.h"
#include "engine/surface.h"
#include "engine/tank_engine.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// A deterministic source, so every run does the same work.
class FixedRandom : public RandomSource {
public:
    double next() override { return (state_ = (state_ * 1103515245u + 12345u) & 0x7fffffffu) / double(0x80000000u); }
    void reseed() override {}

private:
    unsigned state_ = 1;
};

// An accessory sheet of ten frames, each a shape over its mask; 202 colours in all.
QImage accessorySheet(int frameWidth, int frameHeight)
{
    QImage sheet = makeSurface(10 * frameWidth, 2 * frameHeight);
    for (int y = 0; y < frameHeight; ++y)
        for (int x = 0; x < 10 * frameWidth; ++x) {
            const int f = x / frameWidth, fx = x % frameWidth;
            const double ex = (fx - frameWidth / 2.0) / (0.3 * frameWidth + 3 * f);
            const double ey = (y - frameHeight * 0.6) / (0.4 * frameHeight);
            if (ex * ex + ey * ey < 1.0) {
                sheet.setPixel(x, y, qRgb(40 + 20 * f, 120 + (fx / 8) % 4 * 30, 60 + (y / 20) % 5 * 30));
                sheet.setPixel(x, frameHeight + y, qRgb(0, 0, 0));
            }
        }
    return sheet;
}

// How the sheets are held: as the program keeps them, or all at 8 or all at 32 bits;
// or as kept, with the sample accessories.
enum class Sheets { Kept, Eight, ThirtyTwo, Samples };

struct LiveTank {
    LiveTank(int accessories, Sheets sheets) : scene(Scene::withBuiltInPictures()), engine(settings, scene, state, random)
    {
        scene.prepareTankSurfaces();
        auto hold = [sheets](const QImage& sheet) {
            switch (sheets) {
            case Sheets::Kept:
            case Sheets::Samples:
                return keptSheet(sheet);
            case Sheets::Eight:
                return compactSheet(sheet);
            case Sheets::ThirtyTwo:
                break;
            }
            return sheet.convertToFormat(QImage::Format_RGB32);
        };
        scene.pat[0] = hold(scene.pat[0]);
        scene.esaPat = hold(scene.esaPat);
        scene.awa = hold(scene.awa);
        settings.fishTotal = 5;
        settings.kinds[0].count = 5;
        for (int i = 0; i < 5; ++i)
            settings.fish[std::size_t(i)] = {std::int16_t(20 + 90 * i), std::int16_t(20 + 45 * i), std::int16_t(i), 375, 0, {}, 0};
        settings.accessoryCount = std::int16_t(accessories);
        static const char* const kSamples[] = {"mizukusa", "iwa", "takarabako", "shiro"};
        for (int a = 0; a < accessories; ++a) {
            const bool wide = a % 2;
            if (sheets == Sheets::Samples)
                scene.access[std::size_t(a)] =
                    loadPicture(QStringLiteral(PONDEL_SAMPLES_DIR "/%1.acc").arg(QLatin1String(kSamples[a]))).image;
            else
                scene.access[std::size_t(a)] = hold(wide ? accessorySheet(200, 100) : accessorySheet(100, 200));
            placeAccessory(settings.accessories[std::size_t(a)], scene.access[std::size_t(a)], a);
        }
    }
    // Every other behaviour period each fish blows a bubble as well.
    void tick()
    {
        if (ticks % 25 == 0) {
            engine.behaviourPeriod();
            for (int i = 0; ticks % 50 == 0 && i < 5; ++i)
                engine.createBubble(i, settings.fish[std::size_t(i)].swimMode <= 2);
        }
        ++ticks;
        engine.AnimateTank();
    }

    TankSettings settings;
    Scene scene;
    EngineState state;
    FixedRandom random;
    TankEngine engine;
    int ticks = 0;
};

// Writes over more memory than the caches hold.
void evictCaches()
{
    static std::vector<char> scrub(8 << 20);
    for (std::size_t k = 0; k < scrub.size(); k += 64)
        scrub[k] = char(scrub[k] + 1);
    benchmark::DoNotOptimize(scrub.data());
}

void runTicks(benchmark::State& st, Sheets sheets, bool whole, bool cold)
{
    LiveTank tank(int(st.range(0)), sheets);
    for (int k = 0; k < 50; ++k)  // past the first whole frame and a period
        tank.tick();
    for (auto _ : st) {
        if (cold) {
            st.PauseTiming();
            evictCaches();
            st.ResumeTiming();
        }
        if (whole)
            tank.engine.composeWholeNextTick();
        tank.tick();
        benchmark::DoNotOptimize(tank.scene.suisou.constBits());
    }
}

void BM_Tick_Changed(benchmark::State& st) { runTicks(st, Sheets::Kept, false, false); }
void BM_Tick_Whole(benchmark::State& st) { runTicks(st, Sheets::Kept, true, false); }
void BM_Tick_ChangedCold(benchmark::State& st) { runTicks(st, Sheets::Kept, false, true); }
void BM_Tick_WholeCold(benchmark::State& st) { runTicks(st, Sheets::Kept, true, true); }
BENCHMARK(BM_Tick_Changed)->ArgName("accessories")->Arg(0)->Arg(4);
BENCHMARK(BM_Tick_Whole)->ArgName("accessories")->Arg(0)->Arg(4);
BENCHMARK(BM_Tick_ChangedCold)->ArgName("accessories")->Arg(0)->Arg(4);
BENCHMARK(BM_Tick_WholeCold)->ArgName("accessories")->Arg(0)->Arg(4);

void BM_Tick_Samples(benchmark::State& st) { runTicks(st, Sheets::Samples, false, st.range(1) != 0); }
BENCHMARK(BM_Tick_Samples)->ArgNames({"accessories", "cold"})->Args({4, 0})->Args({4, 1});

void BM_Tick_SheetBits(benchmark::State& st)
{
    runTicks(st, st.range(1) == 8 ? Sheets::Eight : Sheets::ThirtyTwo, false, st.range(2) != 0);
}
BENCHMARK(BM_Tick_SheetBits)->ArgNames({"accessories", "bits", "cold"})->ArgsProduct({{0, 4}, {8, 32}, {0, 1}});

// The floor of a whole composition: one plain copy of the clean background.
void BM_OnePlainTankCopy(benchmark::State& st)
{
    LiveTank tank(0, Sheets::Kept);
    for (auto _ : st) {
        bitBlt(tank.scene.suisou, 0, 0, kTankWidth, kTankHeight, tank.scene.back, 0, 0, RasterOp::SrcCopy);
        benchmark::DoNotOptimize(tank.scene.suisou.constBits());
    }
}
BENCHMARK(BM_OnePlainTankCopy);

}  // namespace
