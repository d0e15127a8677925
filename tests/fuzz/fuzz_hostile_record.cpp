// A damaged SET must never crash the tank: whatever numbers it holds, once brought into
// range at start the engine lays out the fish and runs tick after tick on them.

#include "app/settings_file.h"
#include "app/settings_limits.h"
#include "engine/scene.h"
#include "engine/tank_engine.h"
#include "fuzz_support.h"

namespace {

// A small landscape sheet; accessories in the record get this or nothing.
const QImage& smallAccessory()
{
    static const QImage sheet = [] {
        QImage img(400, 200, QImage::Format_RGB32);
        img.fill(qRgb(255, 255, 255));
        for (int y = 20; y < 80; ++y)
            for (int x = 0; x < 400; x += 7)
                img.setPixel(x, y, qRgb(90, 60, 30));
        return img;
    }();
    return sheet;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ensureApplication();
    TankSettings settings = parseSettings(fuzz::bytesOf(data, size));
    prepareLoadedSettings(settings);

    // The files the record names are not ours to open here: pattern slots fall back to
    // the built-in sheet as at a failed load, accessories get a small sheet or none.
    const std::uint16_t choices = static_cast<std::uint16_t>(settings.reserved);
    for (auto& k : settings.kinds)
        k.patternPath.clear();
    for (auto& a : settings.accessories)
        a.picturePath.clear();

    Scene scene = fuzz::builtInScene();
    fuzz::RepeatableRandom random;
    InitFish(settings, scene, random);
    LoadAccessories(settings, scene);
    for (int j = 0; j < kMaxAccessories; ++j) {
        if (choices & (1u << j))
            scene.access[std::size_t(j)] = smallAccessory();
    }

    EngineState state;
    TankEngine engine(settings, scene, state, random);
    if (choices & 0x10)
        engine.startFeeding();
    for (int tick = 0; tick < 20; ++tick) {
        engine.AnimateTank();
        if (tick % 4 == 3)
            engine.behaviourPeriod();
    }
    FUZZ_CHECK(scene.suisou.size() == QSize(kTankWidth, kTankHeight));
    FUZZ_CHECK(settings.fishTotal >= 1 && settings.fishTotal <= kMaxFish);
    return 0;
}
