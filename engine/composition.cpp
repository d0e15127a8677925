#include "engine/surface.h"
#include "engine/tank_engine.h"

#include <algorithm>
#include <cstring>

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

void TankEngine::drawSprite(const SpriteDraw& s, const QRect& clip, const SpriteSheet::Span* rows)
{
    if (const SpriteSheet* form = forms_.get(*s.sheet, s.maskY, s.height))
        form->draw(scene_.suisou, s.x, s.y, s.width, s.height, s.sourceX, clip, rows);
    else
        maskedBlt(scene_.suisou, s.x, s.y, s.width, s.height, *s.sheet, s.sourceX, s.maskY, clip);
}

void TankEngine::placeSprite(int slot, const QImage& sheet, int x, int y, int width, int height, int sourceX,
                             int maskY)
{
    if (!placing_)
        return;
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
    advanceTick();
    composeFrame();
}

void TankEngine::advanceTick()
{
    if (placing_)
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
}

void TankEngine::composeFrame()
{
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
    // Within those places, what a differing slot may have changed: the opaque pixels of
    // its sprite before and now, or for another cell in the same place only the bands
    // where the two cells differ. See-through pixels leave the frame as it is.
    struct Mark {
        const SpriteDraw* sprite;  // null: all of `band`
        QRect band;
    };
    std::array<Mark, 2 * sprite_slot::kCount> marks;
    int markCount = 0;
    bool twoStep = false;  // a sprite without a form: the places are redrawn whole
    const auto mark = [&](const SpriteDraw* sprite, const QRect& band) {
        if (markCount < int(marks.size()))
            marks[std::size_t(markCount++)] = {sprite, band};
        else
            twoStep = true;  // more bands than a cell pair gives: redraw whole
    };
    for (std::size_t slot = 0; slot < frame_.size(); ++slot) {
        const SpriteDraw &now = frame_[slot], &before = shown_[slot];
        const SpriteSheet* form = now.sheet ? forms_.get(*now.sheet, now.maskY, now.height) : nullptr;
        twoStep = twoStep || (now.sheet && !form);
        if (now == before)
            continue;
        // Forms only grow when built again, so once every sprite was asked for its form
        // the forms stay where they are for the rest of the tick.
        if (before.sheet && !forms_.get(*before.sheet, before.maskY, before.height))
            twoStep = true;
        if (form && before.sheet && now.place() == before.place() && now.sheet->cacheKey() == before.sheet->cacheKey()
            && now.maskY == before.maskY) {
            // Another cell in the same place (an accessory's next frame).
            for (const QRect& band : form->changedPlaces(before.sourceX, now.sourceX, now.width, now.height)) {
                const QRect b = band.translated(now.x, now.y) & kTank;
                changes_.add(b);
                mark(nullptr, b);
            }
            continue;
        }
        const QRect was = before.place() & kTank, is = now.place() & kTank;
        changes_.add(was);
        if (is != was)  // an accessory changes its frame in place
            changes_.add(is);
        for (const SpriteDraw* s : {&before, &now})
            if (s->sheet)
                mark(s, s->place() & kTank);
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

    // Each row of a place is composed afresh from the first to the last column a mark
    // covers there, and the place shrinks to what that touched.
    using Span = SpriteSheet::Span;
    if (!scene_.suisou.rect().contains(kTank) || !scene_.back.rect().contains(kTank)
        || scene_.back.format() != QImage::Format_RGB32) {
        composeWhole();  // clips as it copies
        return;
    }
    std::array<Span, kTankHeight> rows;
    const qsizetype frameStride = scene_.suisou.bytesPerLine() / 4, backStride = scene_.back.bytesPerLine() / 4;
    auto* frameBits = reinterpret_cast<std::uint32_t*>(scene_.suisou.bits());
    const auto* backBits = reinterpret_cast<const std::uint32_t*>(scene_.back.constBits());
    int kept = 0;
    for (int k = 0; k < changes_.count; ++k) {
        const QRect r = changes_.rects[std::size_t(k)];
        const auto row = [&](int y) -> Span& { return rows[std::size_t(y - r.top())]; };
        for (int y = r.top(); y <= r.bottom(); ++y)
            row(y) = twoStep ? Span{r.left(), r.right() + 1} : Span{r.right() + 1, r.left()};
        for (int m = 0; m < markCount && !twoStep; ++m) {
            const Mark& place = marks[std::size_t(m)];
            const QRect in = place.band & r;
            if (in.isEmpty())
                continue;
            if (!place.sprite) {
                for (int y = in.top(); y <= in.bottom(); ++y)
                    row(y) = {std::min(row(y).lo, in.left()), std::max(row(y).hi, in.right() + 1)};
                continue;
            }
            const SpriteDraw& s = *place.sprite;
            const SpriteSheet* form = forms_.get(*s.sheet, s.maskY, s.height);
            const std::vector<Span>& opaque = form->opaqueSpans(s.sourceX, s.width);
            for (int y = in.top(); y <= std::min(in.bottom(), s.y + form->rows() - 1); ++y) {
                const Span& cell = opaque[std::size_t(y - s.y)];
                const int lo = std::max(in.left(), s.x + cell.lo), hi = std::min(in.right() + 1, s.x + cell.hi);
                if (lo < hi)
                    row(y) = {std::min(row(y).lo, lo), std::max(row(y).hi, hi)};
            }
        }
        int top = r.bottom() + 1, bottom = r.top() - 1, left = r.right() + 1, right = r.left() - 1;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const Span& span = row(y);
            if (span.lo >= span.hi)
                continue;
            top = std::min(top, y);
            bottom = y;
            left = std::min(left, span.lo);
            right = std::max(right, span.hi - 1);
            std::memcpy(frameBits + y * frameStride + span.lo, backBits + y * backStride + span.lo,
                        std::size_t(span.hi - span.lo) * sizeof(std::uint32_t));
        }
        if (top > bottom)
            continue;
        const QRect drawn(QPoint(left, top), QPoint(right, bottom));
        for (const SpriteDraw& s : frame_)
            if (s.sheet && s.place().intersects(drawn))
                drawSprite(s, drawn, &row(top));
        changes_.rects[std::size_t(kept++)] = drawn;
    }
    changes_.count = kept;
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

TimersDue TankEngine::catchUp(TimersDue due, std::int64_t now)
{
    if (due.frameTick > now) {
        // No frame tick missed: at most periods, which place nothing.
        while (due.behaviourPeriod <= now) {
            behaviourPeriod();
            due.behaviourPeriod += kBehaviourPeriodMs;
        }
        return due;
    }
    const std::int64_t lastTick = due.frameTick + (now - due.frameTick) / kFrameTickMs * kFrameTickMs;
    placing_ = false;
    for (;;) {
        if (due.frameTick <= due.behaviourPeriod) {
            if (due.frameTick > now)
                break;
            placing_ = due.frameTick == lastTick;
            advanceTick();
            due.frameTick += kFrameTickMs;
        } else {
            if (due.behaviourPeriod > now)
                break;
            behaviourPeriod();
            due.behaviourPeriod += kBehaviourPeriodMs;
        }
    }
    placing_ = true;
    return due;
}

void TankEngine::startFeeding()
{
    state_.feeding = 1;
}
