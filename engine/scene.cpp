#include "engine/scene.h"

#include "engine/picture_loader.h"
#include "engine/surface.h"

#include <cmath>

namespace {
QImage builtIn(const char* name)
{
    return QImage(QString::fromLatin1(":/pictures/%1").arg(QLatin1String(name)));
}
}  // namespace

Scene Scene::withBuiltInPictures()
{
    Scene s;
    s.suisou = builtIn("tank.bmp").convertToFormat(QImage::Format_RGB32);
    s.pat[0] = keptSheet(builtIn("goldfish.bmp"));
    s.esaPat = keptSheet(builtIn("food.bmp"));
    s.awa = keptSheet(builtIn("bubbles.bmp"));
    return s;
}

void Scene::prepareTankSurfaces()
{
    if (suisou.size() != QSize(kTankWidth, kTankHeight)) {
        QImage sized = makeSurface(kTankWidth, kTankHeight);
        bitBlt(sized, 0, 0, kTankWidth, kTankHeight, suisou, 0, 0, RasterOp::SrcCopy);
        suisou = sized;
    }
    back = makeSurface(kTankWidth, kTankHeight);
    bitBlt(back, 0, 0, kTankWidth, kTankHeight, suisou, 0, 0, RasterOp::SrcCopy);
}

std::vector<PictureFailure> InitFish(TankSettings& settings, Scene& scene, RandomSource& random,
                                     int innerHeight)
{
    std::vector<PictureFailure> failures;
    for (int i = 1; i <= settings.lastKind && i < kMaxKinds; ++i) {
        const QString& path = settings.kinds[std::size_t(i)].patternPath;
        LoadedPicture loaded = loadPicture(path);
        if (loaded.ok()) {
            scene.pat[std::size_t(i)] = loaded.image;
        } else {
            scene.pat[std::size_t(i)] = scene.pat[0];
            failures.push_back({path, loaded.error});
        }
    }
    for (int i = 0; i < settings.fishTotal && i < kMaxFish; ++i) {
        auto& fish = settings.fish[std::size_t(i)];
        fish.frameX = 375;
        fish.riseFlag = 0;
        fish.y = static_cast<std::int16_t>(std::floor(random.next() * (innerHeight - kFishSize)));
    }
    return failures;
}

std::vector<PictureFailure> LoadAccessories(const TankSettings& settings, Scene& scene)
{
    std::vector<PictureFailure> failures;
    for (int j = 0; j < settings.accessoryCount && j < kMaxAccessories; ++j) {
        const QString& path = settings.accessories[std::size_t(j)].picturePath;
        LoadedPicture loaded = loadPicture(path);
        scene.access[std::size_t(j)] = loaded.image;
        if (!loaded.ok())
            failures.push_back({path, loaded.error});
    }
    return failures;
}

void placeAccessory(AccessorySlot& slot, const QImage& sheet, int position)
{
    static constexpr int kLandscapeX[] = {20, 100, 200, 300};
    static constexpr int kPortraitX[] = {20, 100, 300, 400};
    const bool landscape = sheet.width() > 1500;
    if (position >= 0 && position <= 3) {
        slot.x = static_cast<std::int16_t>(landscape ? kLandscapeX[position] : kPortraitX[position]);
        slot.position = static_cast<std::int16_t>(position);
    }
    slot.frameWidth = landscape ? 200 : 100;
    slot.frameHeight = landscape ? 100 : 200;
    slot.y = landscape ? 210 : 90;
    slot.maskY = slot.frameHeight;
}
