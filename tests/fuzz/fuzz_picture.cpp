// A pattern or accessory file as the program meets it: loaded into its surface, every
// cell of it drawn, and the tank animated with it in use. Input: one byte of choices
// (bit 0 accessory rather than pattern, bits 1-2 the accessory's position, bit 3 food
// in the tank), then the file's bytes.

#include "engine/picture_loader.h"
#include "engine/scene.h"
#include "engine/tank_engine.h"
#include "fuzz_support.h"

namespace {

// Two fish, one of the built-in kind and one of kind 1, mid-tank and swimming.
TankSettings twoFish()
{
    TankSettings s;
    s.fishTotal = 2;
    s.lastKind = 1;
    s.kinds[0].count = 1;
    s.kinds[1].count = 1;
    s.fishKindOf = {0, 1, 0, 0, 0};
    s.fish[0] = {120, 60, 1, 375, 0, {}, 0};
    s.fish[1] = {300, 150, 4, 375, 0, {}, 0};
    return s;
}

void checkSurfaces(const Scene& scene)
{
    for (const QImage* img : {&scene.suisou, &scene.back}) {
        FUZZ_CHECK(img->size() == QSize(kTankWidth, kTankHeight));
        FUZZ_CHECK(img->format() == QImage::Format_RGB32);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    fuzz::ensureApplication();
    const std::uint8_t choices = data[0];
    const bool accessory = choices & 1;
    const int position = (choices >> 1) & 3;
    const bool feeding = choices & 8;

    const QString path = fuzz::scratch().filePath(accessory ? QStringLiteral("sheet.acc") : QStringLiteral("sheet.pat"));
    fuzz::writeFile(path, fuzz::bytesOf(data + 1, size - 1));
    const LoadedPicture loaded = loadPicture(path);
    if (!loaded.ok()) {
        FUZZ_CHECK(!loaded.error.isEmpty());
        return 0;
    }
    const QImage& sheet = loaded.image;
    FUZZ_CHECK(sheet.format() == QImage::Format_RGB32
               || (sheet.format() == QImage::Format_Indexed8 && sheet.colorCount() == 256));
    FUZZ_CHECK(sheet.width() <= kMaxPictureSide && sheet.height() <= kMaxPictureSide);

    Scene scene = fuzz::builtInScene();
    TankSettings settings = twoFish();
    EngineState state;
    fuzz::RepeatableRandom random;
    TankEngine engine(settings, scene, state, random);

    // Every cell of the sheet's top row and one past its right edge, inside the tank and
    // hanging over each of its edges.
    const QPoint places[] = {{200, 100}, {-40, -40}, {460, 260}, {-32768, 32767}};
    if (accessory) {
        scene.access[0] = sheet;
        settings.accessoryCount = 1;
        AccessorySlot& slot = settings.accessories[0];
        placeAccessory(slot, sheet, position);
        for (int sx = 0; sx <= sheet.width(); sx += slot.frameWidth)
            for (QPoint p : places)
                engine.DrawSprite(sheet, p.x(), p.y(), slot.frameWidth, slot.frameHeight, sx, slot.maskY);
    } else {
        scene.pat[1] = sheet;
        for (int sx = 0; sx <= sheet.width(); sx += kFishSize)
            for (QPoint p : places)
                engine.DrawSprite(sheet, p.x(), p.y(), kFishSize, kFishSize, sx, kFishSize);
    }
    checkSurfaces(scene);

    if (feeding)
        engine.startFeeding();
    // More than one full accessory cycle, with behaviour periods in between.
    for (int tick = 0; tick < 12; ++tick) {
        engine.AnimateTank();
        if (tick % 5 == 4)
            engine.behaviourPeriod();
    }
    checkSurfaces(scene);
    return 0;
}
