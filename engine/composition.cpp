#include "engine/surface.h"
#include "engine/tank_engine.h"

#include <algorithm>

namespace {
const QRect kTank(0, 0, kTankWidth, kTankHeight);

int accessoriesInUse(const TankSettings& settings)
{
    return std::clamp<int>(settings.accessoryCount, 0, kMaxAccessories);
}
}  // namespace

TankEngine::TankEngine(TankSettings& settings, Scene& scene, EngineState& state, RandomSource& random)
    : settings_(settings), scene_(scene), state_(state), random_(random)
{
}

int TankEngine::fishInUse() const
{
    return std::clamp<int>(settings_.fishTotal, 0, kMaxFish);
}

void TankEngine::DrawSprite(const QImage& sheet, int x, int y, int width, int height, int sourceX, int maskY)
{
    maskedBlt(scene_.suisou, x, y, width, height, sheet, sourceX, maskY);
}

void TankEngine::drawSprite(const SpriteDraw& s, const QRect& clip)
{
    if (const SpriteSheet* form = forms_.get(*s.sheet, s.maskY, s.height))
        form->draw(scene_.suisou, s.x, s.y, s.width, s.height, s.sourceX, clip);
    else
        maskedBlt(scene_.suisou, s.x, s.y, s.width, s.height, *s.sheet, s.sourceX, s.maskY, clip);
}

void TankEngine::placeSprite(int slot, const QImage& sheet, int x, int y, int width, int height, int sourceX,
                             int maskY)
{
    frame_[std::size_t(slot)] = {&sheet, x, y, width, height, sourceX, maskY};
}

void TankEngine::DrawAccessories()
{
    if (state_.accessoryFrame == 10)
        state_.accessoryFrame = 0;
    const int count = accessoriesInUse(settings_);
    for (int j = 0; j < count; ++j) {
        auto& a = settings_.accessories[std::size_t(j)];
        if (state_.accessoryFrame == 0)
            a.frameX = 0;
        else
            a.frameX = static_cast<std::int16_t>(a.frameX + a.frameWidth);
        placeSprite(sprite_slot::accessory(j), scene_.access[std::size_t(j)], a.x, a.y, a.frameWidth, a.frameHeight,
                    a.frameX, a.maskY);
    }
    state_.accessoryFrame = static_cast<std::int16_t>(state_.accessoryFrame + 1);
}

void TankEngine::AnimateTank()
{
    frame_.fill({});
    DrawAccessories();
    const int fishCount = fishInUse();
    for (int i = 0; i < fishCount; ++i) {
        random_.reseed();
        if (state_.feeding != 0)
            feedingStep(i);
        else
            motionStep(i);
        const auto& fish = settings_.fish[std::size_t(i)];
        const int kind = std::clamp<int>(settings_.fishKindOf[std::size_t(i)], 0, kMaxKinds - 1);
        placeSprite(sprite_slot::fish(i), scene_.pat[std::size_t(kind)], fish.x, fish.y, kFishSize, kFishSize,
                    fish.frameX, kFishSize);
    }

    const SceneKey scene = sceneKey();
    if (scene == drawnScene_) {
        composeChanged();
    } else {
        // Forms of pictures replaced since are of no more use.
        std::vector<qint64> inUse(scene.pat.begin(), scene.pat.end());
        inUse.insert(inUse.end(), {scene.esaPat, scene.awa});
        inUse.insert(inUse.end(), scene.access.begin(), scene.access.end());
        forms_.keepOnly(inUse);
        composeWhole();
        changes_.setWhole();
    }
    shown_ = frame_;
    drawnScene_ = scene;
    // Our own writes count too; taken last, so only a change by someone else differs.
    drawnScene_.suisou = scene_.suisou.cacheKey();
}

TankEngine::SceneKey TankEngine::sceneKey() const
{
    SceneKey key;
    key.valid = true;
    key.suisou = scene_.suisou.cacheKey();
    key.back = scene_.back.cacheKey();
    for (std::size_t k = 0; k < key.pat.size(); ++k)
        key.pat[k] = scene_.pat[k].cacheKey();
    key.esaPat = scene_.esaPat.cacheKey();
    key.awa = scene_.awa.cacheKey();
    for (std::size_t j = 0; j < key.access.size(); ++j)
        key.access[j] = scene_.access[j].cacheKey();
    key.fishCount = fishInUse();
    key.accessoryCount = accessoriesInUse(settings_);
    return key;
}

void TankEngine::composeWhole()
{
    bitBlt(scene_.suisou, 0, 0, kTankWidth, kTankHeight, scene_.back, 0, 0, RasterOp::SrcCopy);
    for (const SpriteDraw& s : frame_)
        if (s.sheet)
            drawSprite(s, kTank);
}

void TankEngine::composeChanged()
{
    // Outside every place where a slot differs, each pixel is touched by the same sprites
    // in the same order as last time, so it is unchanged.
    changes_.clear();
    for (std::size_t slot = 0; slot < frame_.size(); ++slot) {
        const SpriteDraw &now = frame_[slot], &before = shown_[slot];
        if (now == before)
            continue;
        if (now.sheet && before.sheet && now.place() == before.place() && now.sheet->cacheKey() == before.sheet->cacheKey()
            && now.maskY == before.maskY) {
            // Another cell in the same place (an accessory's next frame): only where the
            // two cells differ.
            if (const SpriteSheet* form = forms_.get(*now.sheet, now.maskY, now.height)) {
                for (const QRect& band : form->changedPlaces(before.sourceX, now.sourceX, now.width, now.height))
                    changes_.add(band.translated(now.x, now.y) & kTank);
                continue;
            }
        }
        const QRect was = before.place() & kTank, is = now.place() & kTank;
        changes_.add(was);
        if (is != was)  // an accessory changes its frame in place
            changes_.add(is);
    }

    // Places that overlap draw the overlap twice. When that costs more than the whole
    // tank (large accessories side by side), compose the whole tank: it gives the same
    // pixels, so the places reported stay true.
    constexpr qint64 kSpriteCost = 3;  // a masked pixel costs about three copied ones
    auto area = [](const QRect& r) { return qint64(r.width()) * r.height(); };
    qint64 partCost = 0, wholeCost = area(kTank);
    for (const SpriteDraw& s : frame_)
        if (s.sheet)
            wholeCost += kSpriteCost * area(s.place() & kTank);
    for (int k = 0; k < changes_.count; ++k) {
        const QRect& r = changes_.rects[std::size_t(k)];
        partCost += area(r);
        for (const SpriteDraw& s : frame_)
            if (s.sheet)
                partCost += kSpriteCost * area(s.place() & r);
    }
    if (partCost >= wholeCost) {
        composeWhole();
        return;
    }
    for (int k = 0; k < changes_.count; ++k) {
        const QRect& r = changes_.rects[std::size_t(k)];
        bitBlt(scene_.suisou, r.x(), r.y(), r.width(), r.height(), scene_.back, r.x(), r.y(), RasterOp::SrcCopy);
        for (const SpriteDraw& s : frame_)
            if (s.sheet && s.place().intersects(r))
                drawSprite(s, r);
    }
}

void TankEngine::behaviourPeriod()
{
    if (state_.feeding != 0) {
        feedingPeriodStep();
        return;
    }
    const int fishCount = fishInUse();
    for (int i = 0; i < fishCount; ++i)
        behaviourRoll(i);
}

void TankEngine::startFeeding()
{
    state_.feeding = 1;
}
