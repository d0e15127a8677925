#include "app/settings_file.h"
#include "engine/picture_loader.h"
#include "engine/surface.h"
#include "engine/tank_engine.h"
#include "tank_rig.h"

#include <QTemporaryDir>

#include <functional>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr QRgb kWater = 0xFFCCFFCC;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;

// A sheet with `cells` cells of w x h: each cell a filled square of its own colour,
// inset by `inset`, on white; the mask row below is the square's silhouette.
QImage squareSheet(int cells, int w, int h, int inset, const std::vector<QRgb>& colours)
{
    QImage sheet = makeSurface(cells * w, 2 * h);
    for (int c = 0; c < cells; ++c)
        for (int y = inset; y < h - inset; ++y)
            for (int x = inset; x < w - inset; ++x) {
                sheet.setPixel(c * w + x, y, colours[std::size_t(c) % colours.size()]);
                sheet.setPixel(c * w + x, h + y, kBlack);
            }
    return sheet;
}

TEST(BlockTransfer, RasterOperationsCombineTheColourBits)
{
    QImage dst = makeSurface(3, 1, 0xFF30C0F0);
    QImage src = makeSurface(3, 1, 0xFF5AA50F);
    bitBlt(dst, 0, 0, 1, 1, src, 0, 0, RasterOp::SrcCopy);
    bitBlt(dst, 1, 0, 1, 1, src, 1, 0, RasterOp::SrcErase);
    bitBlt(dst, 2, 0, 1, 1, src, 2, 0, RasterOp::SrcInvert);
    EXPECT_EQ(dst.pixel(0, 0), 0xFF5AA50Fu);
    EXPECT_EQ(dst.pixel(1, 0), 0xFF000000u | (0x5AA50Fu & ~0x30C0F0u));
    EXPECT_EQ(dst.pixel(2, 0), 0xFF000000u | (0x5AA50Fu ^ 0x30C0F0u));
}

TEST(BlockTransfer, ClipsAgainstBothPicturesAtEveryEdge)
{
    const QImage src = makeSurface(10, 10, 0xFF112233);
    struct Case { int dx, dy, w, h, sx, sy; int expectCopied; };
    const Case cases[] = {
        {-3, 0, 5, 1, 0, 0, 2},    // left edge of the destination
        {18, 0, 5, 1, 0, 0, 2},    // right edge of the destination
        {0, -4, 1, 6, 0, 0, 2},    // top edge
        {0, 18, 1, 6, 0, 0, 2},    // bottom edge
        {0, 0, 5, 1, 7, 0, 3},     // right edge of the source
        {0, 0, 5, 1, -2, 0, 3},    // left of the source
        {0, 0, 1, 5, 0, 8, 2},     // below the source
        {0, 0, 0, 5, 0, 0, 0},     // empty block
        {0, 0, -5, 5, 0, 0, 0},    // negative size
        {30, 30, 5, 5, 0, 0, 0},   // entirely outside
    };
    for (const Case& c : cases) {
        QImage dst = makeSurface(20, 20, kWhite);
        bitBlt(dst, c.dx, c.dy, c.w, c.h, src, c.sx, c.sy, RasterOp::SrcCopy);
        int copied = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                copied += dst.pixel(x, y) == 0xFF112233u;
        EXPECT_EQ(copied, c.expectCopied) << "block at " << c.dx << "," << c.dy << " from " << c.sx << "," << c.sy;
    }
    QImage dst = makeSurface(2, 2);
    bitBlt(dst, 0, 0, 2, 2, QImage(), 0, 0, RasterOp::SrcCopy);  // a slot with no picture
    EXPECT_EQ(dst.pixel(0, 0), kWhite);
}

TEST(BlockTransfer, OnePassMaskedTransferMatchesTheTwoTransfersForEverySheetFormat)
{
    QImage manyColours = makeSurface(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            manyColours.setPixel(x, y, qRgb((x * 37 + y * 11) & 255, (x * 5) & 255, (y * 71) & 255));
    // 8 bits a pixel: a sheet of few colours as the loader keeps it, with runs of white
    // over white, of colours over black, of colours over white and of anything; and one
    // whose short table leaves most indices without a colour.
    QImage fewColours = makeSurface(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 14; x < 40; ++x) {
            const QRgb mixed[] = {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(200, 30, 90)};
            if (x >= 27)
                fewColours.setPixel(x, y, mixed[(x * 7 + y * 3) % 4]);
            else if (y < 12)
                fewColours.setPixel(x, y, qRgb((x * 37) & 255, (y * 50) & 255, 99));
            else if (y < 20)
                fewColours.setPixel(x, y, qRgb(0, 0, 0));
        }
    QImage shortTable(40, 30, QImage::Format_Indexed8);
    shortTable.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(200, 30, 90), qRgb(20, 240, 60)});
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            shortTable.scanLine(y)[x] = uchar((x * 7 + y * 3) % 6 == 0 ? 250 : (x + y) % 4);
    const QImage compact = compactSheet(fewColours);
    ASSERT_EQ(compact.format(), QImage::Format_Indexed8);
    ASSERT_EQ(compact.color(0), qRgb(255, 255, 255));
    ASSERT_EQ(compact.color(1), qRgb(0, 0, 0));
    ASSERT_EQ(compactSheet(manyColours).format(), QImage::Format_RGB32);

    const QImage background = [] {
        QImage b = makeSurface(50, 50);
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 50; ++x)
                b.setPixel(x, y, qRgb((x * 13) & 255, (y * 29) & 255, ((x + y) * 7) & 255));
        return b;
    }();
    for (const QImage& sheet : {manyColours, compact, shortTable}) {
        // The reference reads the same colours at 32 bits, as QImage converts them.
        const QImage rgb = sheet.convertToFormat(QImage::Format_RGB32);
        for (int dx : {-12, 0, 30, 45})
            for (int dy : {-8, 0, 41})
                for (int sx : {-3, 0, 14, 25, 35})
                    for (int maskY : {0, 12, 20}) {
                        QImage twoSteps = background.copy();
                        bitBlt(twoSteps, dx, dy, 12, 12, rgb, sx, maskY, RasterOp::SrcErase);
                        bitBlt(twoSteps, dx, dy, 12, 12, rgb, sx, 0, RasterOp::SrcInvert);
                        QImage onePass = background.copy();
                        maskedBlt(onePass, dx, dy, 12, 12, sheet, sx, maskY);
                        ASSERT_EQ(onePass, twoSteps) << sheet.format() << " " << dx << "," << dy << " from " << sx
                                                     << "," << maskY;
                        // The pre-masked form, cells packed, draws the same.
                        QImage formed = background.copy();
                        SpriteSheet::build(sheet, maskY, 12)->draw(formed, dx, dy, 12, 12, sx, formed.rect());
                        ASSERT_EQ(formed, twoSteps) << "form of " << sheet.format() << " from " << sx << "," << maskY;

                        // Drawn piecewise, clipped to places that cut the block and tile the picture.
                        QImage pieces = background.copy();
                        for (const QRect& clip : {QRect(-5, -5, 50, 45), QRect(0, 40, 60, 20), QRect(45, -3, 9, 43)})
                            maskedBlt(pieces, dx, dy, 12, 12, sheet, sx, maskY, clip);
                        ASSERT_EQ(pieces, twoSteps) << "pieces at " << dx << "," << dy;
                        QImage outside = background.copy();
                        maskedBlt(outside, dx, dy, 12, 12, sheet, sx, maskY, QRect(dx + 12, dy, 5, 5));
                        ASSERT_EQ(outside, background);
                    }
    }

    // Forms of exactly 256 different words are kept at one byte a pixel; one more word
    // turns the form back to four bytes a pixel after the 256th.
    for (int words : {256, 257}) {
        QImage sheet = makeSurface(40, 24, qRgb(0, 0, 0));
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 40; ++x) {
                const int k = (y * 40 + x) % words;
                sheet.setPixel(x, y, qRgb(k & 255, k >> 8, 99));
            }
        const auto form = SpriteSheet::build(sheet, 12, 12);
        for (int sx : {0, 13, 28}) {
            QImage twoSteps = background.copy(), formed = background.copy();
            bitBlt(twoSteps, 5, 7, 12, 12, sheet, sx, 12, RasterOp::SrcErase);
            bitBlt(twoSteps, 5, 7, 12, 12, sheet, sx, 0, RasterOp::SrcInvert);
            form->draw(formed, 5, 7, 12, 12, sx, formed.rect());
            ASSERT_EQ(formed, twoSteps) << words << " words, from " << sx;
        }
    }

    // One form asked for more cells than it keeps, twice over (a hand-edited record can
    // ask for any column and width): every cell forgotten is packed again when asked.
    const auto form = SpriteSheet::build(compact, 12, 12);
    const QImage rgb = compact.convertToFormat(QImage::Format_RGB32);
    for (int pass = 0; pass < 2; ++pass)
        for (int w : {12, 9})
            for (int sx = -10; sx <= 42; ++sx) {
                QImage twoSteps = background.copy(), formed = background.copy();
                bitBlt(twoSteps, 20, 20, w, 12, rgb, sx, 12, RasterOp::SrcErase);
                bitBlt(twoSteps, 20, 20, w, 12, rgb, sx, 0, RasterOp::SrcInvert);
                form->draw(formed, 20, 20, w, 12, sx, formed.rect());
                ASSERT_EQ(formed, twoSteps) << "pass " << pass << ", " << w << " wide from " << sx;
            }
}

class Composition : public ::testing::Test {
protected:
    Composition() : engine(settings, scene, state, random)
    {
        scene.suisou = makeSurface(kTankWidth, kTankHeight, kWater);
        scene.prepareTankSurfaces();
        scene.pat[0] = squareSheet(12, 75, 75, 10, {0xFFFF8000});
        scene.pat[1] = squareSheet(12, 75, 75, 10, {0xFF0000FF});
        settings.fishTotal = 1;
    }
    QRgb shown(int x, int y) const { return scene.suisou.pixel(x, y); }

    TankSettings settings;
    Scene scene;
    EngineState state;
    RandomSource random;
    TankEngine engine;
};

TEST_F(Composition, DrawSpriteKeepsWhiteTransparentAndMaskRowZeroAndsTheImage)
{
    // Cell: left half red over black mask, right half white over white mask.
    QImage sheet = makeSurface(4, 2);
    sheet.setPixel(0, 0, 0xFFFF0000);
    sheet.setPixel(1, 0, 0xFF808080);
    sheet.setPixel(0, 1, kBlack);
    sheet.setPixel(1, 1, kBlack);
    engine.DrawSprite(sheet, 100, 100, 4, 1, 0, 1);
    EXPECT_EQ(shown(100, 100), 0xFFFF0000u);
    EXPECT_EQ(shown(101, 100), 0xFF808080u);
    EXPECT_EQ(shown(102, 100), kWater);

    engine.DrawSprite(sheet, 200, 100, 4, 1, 0, 0);  // the food's way: image AND background
    EXPECT_EQ(shown(200, 100), 0xFF000000u | (0xFF0000u & 0xCCFFCCu));
    EXPECT_EQ(shown(201, 100), 0xFF000000u | (0x808080u & 0xCCFFCCu));
    EXPECT_EQ(shown(202, 100), kWater);
}

TEST_F(Composition, FishAreStackedInIndexOrderOverTheAccessories)
{
    settings.fishTotal = 2;
    settings.fishKindOf = {0, 1, 0, 0, 0};
    settings.fish[0] = {100, 170, 99, 450, 0, {}, 0};  // mode 99: the motion step leaves it alone
    settings.fish[1] = {130, 170, 99, 450, 0, {}, 0};
    settings.accessoryCount = 1;
    scene.access[0] = squareSheet(10, 200, 100, 0, {0xFF00A000});
    placeAccessory(settings.accessories[0], scene.access[0], 1);  // x 100, y 210
    engine.AnimateTank();
    EXPECT_EQ(shown(120, 200), 0xFFFF8000u) << "fish 0 alone";
    EXPECT_EQ(shown(150, 200), 0xFF0000FFu) << "fish 1 over fish 0";
    EXPECT_EQ(shown(120, 220), 0xFFFF8000u) << "fish 0 over the accessory";
    EXPECT_EQ(shown(110, 260), 0xFF00A000u) << "the accessory";
    EXPECT_EQ(shown(450, 150), kWater);
    EXPECT_EQ(shown(150, 299), 0xFF00A000u) << "landscape accessory reaches the floor";
}

TEST_F(Composition, AccessoryFramesCycleTogetherOncePerTick)
{
    std::vector<QRgb> colours;
    for (int f = 0; f < 10; ++f)
        colours.push_back(qRgb(10 * f, 100, 200));
    settings.accessoryCount = 2;
    scene.access[0] = squareSheet(10, 100, 200, 0, colours);
    scene.access[1] = squareSheet(10, 200, 100, 0, colours);
    placeAccessory(settings.accessories[0], scene.access[0], 3);  // portrait, x 400
    placeAccessory(settings.accessories[1], scene.access[1], 0);  // landscape, x 20
    settings.accessories[0].frameX = 700;  // stored value from the last run
    settings.fish[0] = {0, 0, 99, 375, 0, {}, 0};
    for (int tick = 0; tick < 23; ++tick) {
        engine.AnimateTank();
        const int frame = tick % 10;
        ASSERT_EQ(settings.accessories[0].frameX, 100 * frame) << "tick " << tick;
        ASSERT_EQ(settings.accessories[1].frameX, 200 * frame);
        ASSERT_EQ(shown(450, 150), qRgb(10 * frame, 100, 200));
        ASSERT_EQ(shown(100, 250), qRgb(10 * frame, 100, 200));
    }
    EXPECT_EQ(state.accessoryFrame, 3);

    settings.accessoryCount = 0;
    engine.AnimateTank();
    EXPECT_EQ(state.accessoryFrame, 4) << "the counter runs without accessories too";
}

TEST_F(Composition, FishBeyondTheEdgesAndOddFramesAreClipped)
{
    settings.fishTotal = 3;
    settings.fish[0] = {200, -40, 99, 450, 0, {}, 0};
    settings.fish[1] = {460, 250, 99, 825, 0, {}, 0};
    settings.fish[2] = {300, 100, 99, 32000, 0, {}, 0};  // frame far beyond the sheet
    engine.AnimateTank();
    EXPECT_EQ(shown(230, 20), 0xFFFF8000u) << "lower part of a fish above the top edge";
    EXPECT_EQ(shown(480, 280), 0xFFFF8000u);
    EXPECT_EQ(shown(330, 130), kWater);
}

TEST_F(Composition, PlacementFollowsTheSheetWidthAndKeepsOldValuesForBadPositions)
{
    AccessorySlot slot;
    const QImage landscape = makeSurface(2000, 200);
    const QImage portrait = makeSurface(1000, 400);
    const int landscapeX[] = {20, 100, 200, 300};
    const int portraitX[] = {20, 100, 300, 400};
    for (int p = 0; p < 4; ++p) {
        placeAccessory(slot, landscape, p);
        EXPECT_EQ(slot.x, landscapeX[p]);
        EXPECT_EQ(slot.y, 210);
        EXPECT_EQ(slot.frameWidth, 200);
        EXPECT_EQ(slot.maskY, 100);
        placeAccessory(slot, portrait, p);
        EXPECT_EQ(slot.x, portraitX[p]);
        EXPECT_EQ(slot.y, 90);
        EXPECT_EQ(slot.frameHeight, 200);
        EXPECT_EQ(slot.maskY, 200);
        EXPECT_EQ(slot.position, p);
    }
    placeAccessory(slot, landscape, 7);
    EXPECT_EQ(slot.x, 400);
    EXPECT_EQ(slot.position, 3);
    EXPECT_EQ(slot.frameHeight, 100);
}

TEST(ChangedPlaces, AStillTankReportsNothingAndOneSwimmerExactlyItsOldAndNewPlace)
{
    rig::TankRig t(5);
    // Rising fish at or above the top edge do not move; one of them is half out of the tank.
    const std::int16_t ys[] = {0, -1, -40, 0, -2};
    for (int i = 0; i < 5; ++i)
        t.fish(i) = {std::int16_t(30 + 90 * i), ys[i], std::int16_t(i % 2 ? 4 : 1), 450, 0, {}, 1};
    t.engine.AnimateTank();
    EXPECT_TRUE(t.engine.lastChanges().whole) << "the first tick composes everything";
    const QImage first = t.scene.suisou.copy();

    for (int tick = 0; tick < 3; ++tick) {
        t.engine.AnimateTank();
        EXPECT_TRUE(t.engine.lastChanges().empty());
        EXPECT_FALSE(t.engine.lastChanges().whole);
        EXPECT_EQ(t.engine.lastChanges().count, 0);
    }
    EXPECT_TRUE(t.scene.suisou == first);
    EXPECT_EQ(t.random.takeLog(), std::string(20, 'R')) << "no draws: nobody swims";

    t.fish(2) = {200, 100, 99, 450, 0, {}, 0};  // put mid-tank, standing
    t.engine.AnimateTank();
    t.fish(2).swimMode = 1;  // then swimming right, level
    t.random.script({0.6});
    t.engine.AnimateTank();
    EXPECT_EQ(t.fish(2).x, 203);
    const FrameChanges& c = t.engine.lastChanges();
    ASSERT_FALSE(c.whole);
    ASSERT_EQ(c.count, 1);
    EXPECT_EQ(c.rects[0], QRect(200, 100, 75, 75).united(QRect(203, 100, 75, 75)));

    // Only where its pixels were or are: cells see-through around a 55 x 35 body change
    // just the rows and columns the body covers, before and after the step.
    QImage bordered = rig::solidSheet(12, 75, 75, {rig::kGoldfish});
    for (int y = 0; y < 75; ++y)
        for (int x = 0; x < bordered.width(); ++x)
            if (x % 75 < 10 || x % 75 >= 65 || y < 20 || y >= 55) {
                bordered.setPixel(x, y, qRgb(255, 255, 255));
                bordered.setPixel(x, 75 + y, qRgb(255, 255, 255));
            }
    t.scene.pat[0] = bordered;
    t.random.script({0.6});
    t.engine.AnimateTank();
    ASSERT_TRUE(t.engine.lastChanges().whole) << "a new picture";
    const int before = t.fish(2).x;
    t.random.script({0.6});
    t.engine.AnimateTank();
    ASSERT_EQ(t.fish(2).x, before + 3);
    ASSERT_EQ(c.count, 1);
    EXPECT_EQ(c.rects[0], QRect(QPoint(before + 10, 120), QPoint(before + 3 + 64, 154)));
}

TEST(ChangedPlaces, TheListJoinsOnlyWhatIsCheaperJoinedAndStaysWithinItsSize)
{
    FrameChanges c;
    c.add(QRect(10, 10, 75, 75));
    c.add(QRect(14, 18, 75, 75));  // a fish a step further on
    c.add(QRect(300, 10, 30, 30));
    c.add(QRect(305, 12, 10, 10));  // inside the one before
    c.add(QRect(0, 0, 0, 5));
    ASSERT_EQ(c.count, 2);
    EXPECT_EQ(c.rects[0], QRect(10, 10, 79, 83));
    EXPECT_EQ(c.rects[1], QRect(300, 10, 30, 30));

    // Far more places than the list holds: each still lies inside some entry.
    c.clear();
    std::vector<QRect> places;
    for (int k = 0; k < 60; ++k)
        places.emplace_back((k * 97) % 480, (k * 61) % 290, 3 + k % 7, 2 + k % 5);
    for (const QRect& r : places)
        c.add(r);
    ASSERT_LE(c.count, FrameChanges::kMaxRects);
    for (const QRect& r : places) {
        bool covered = false;
        for (int k = 0; k < c.count; ++k)
            covered = covered || c.rects[std::size_t(k)].contains(r);
        EXPECT_TRUE(covered) << r.x() << "," << r.y();
    }
}

// Ten frames alike but for a band that moves a little from frame to frame, in few colours
// (kept at 8 bits); the picture is cut short of the last frame's right half and of the
// last ten mask rows.
QImage swayingSheet()
{
    const QImage busy = rig::busySheet(10, 200, 100, 15, 12);
    QImage sheet = busy.copy(0, 0, 1900, 190);
    for (int x = 200; x < sheet.width(); ++x)
        for (int y = 0; y < sheet.height(); ++y) {
            const int f = x / 200, fx = x % 200;
            if (fx < 40 + 8 * f || fx >= 70 + 8 * f || y % 100 < 30 || y % 100 >= 60)
                sheet.setPixel(x, y, busy.pixel(fx, y));
        }
    return sheet;
}

// Two tanks given the same record, pictures and random values; one composes only what
// changed, the other the whole tank every tick. Every frame must be the same, and a
// screen that takes only the reported places from each frame must show it too.
class IncrementalComposition : public ::testing::Test {
protected:
    IncrementalComposition()
    {
        for (rig::TankRig* t : {&part, &whole}) {
            t->scene.pat[0] = rig::busySheet(12, 75, 75, 1, 40);
            t->scene.esaPat = rig::busySheet(1, 50, 50, 2, 20);
            t->scene.awa = rig::busySheet(2, 30, 30, 3, 20);
            t->random.thenSequence(0xF15B);
            t->settings.kinds[0].count = 1;
            t->fish(0) = {410, 150, 1, 375, 0, {}, 0};  // heading for the right wall
        }
    }

    // A picture file as the user would add it.
    QString pictureFile(const char* name, const QImage& picture)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(picture.save(path, "PNG"));
        return path;
    }

    struct Choice {
        std::vector<int> counts;                    // fish per kind
        std::vector<QString> patterns;              // files of kinds 1..
        std::vector<std::pair<QString, int>> accessories;  // file and position
    };
    // What the settings dialog's apply does: the record, then pictures loaded anew into
    // their surfaces and each accessory placed.
    void apply(const Choice& choice)
    {
        std::vector<QImage> patterns, sheets;
        for (const QString& path : choice.patterns)
            patterns.push_back(loadPicture(path).image);
        for (const auto& a : choice.accessories)
            sheets.push_back(loadPicture(a.first).image);
        for (rig::TankRig* t : {&part, &whole}) {
            TankSettings& s = t->settings;
            s.lastKind = std::int16_t(choice.counts.size() - 1);
            int fish = 0;
            for (std::size_t kind = 0; kind < choice.counts.size(); ++kind) {
                s.kinds[kind].count = std::int16_t(choice.counts[kind]);
                for (int n = 0; n < choice.counts[kind]; ++n)
                    s.fishKindOf[std::size_t(fish++)] = std::int16_t(kind);
                if (kind > 0)
                    t->scene.pat[kind] = patterns[kind - 1];
            }
            s.fishTotal = std::int16_t(fish);
            s.accessoryCount = std::int16_t(sheets.size());
            for (std::size_t a = 0; a < sheets.size(); ++a) {
                t->scene.access[a] = sheets[a];
                placeAccessory(s.accessories[a], t->scene.access[a], choice.accessories[a].second);
            }
        }
        ++expectedWhole;
    }

    // suisou rebound to memory of the view's own, as a shared-memory image would be.
    void rebind(std::vector<uchar>& memory)
    {
        constexpr int kStride = 4 * 512;
        memory.assign(std::size_t(kStride) * kTankHeight, 0x5A);
        part.scene.suisou = QImage(memory.data(), kTankWidth, kTankHeight, kStride, QImage::Format_RGB32);
        ++expectedWhole;
    }

    void runTicks(int n, const std::function<void(int)>& during = {})
    {
        for (int k = 0; k < n && !HasFatalFailure(); ++k) {
            if (during)
                during(k);
            if (ticks % 25 == 0) {
                for (rig::TankRig* t : {&part, &whole}) {
                    t->engine.behaviourPeriod();
                    // Every other period every fish blows a bubble as well.
                    for (int i = 0; ticks % 50 == 0 && i < t->settings.fishTotal; ++i)
                        t->engine.createBubble(i, t->fish(i).swimMode <= 2);
                }
            }
            tick();
        }
    }

    void tick()
    {
        std::array<bool, kMaxFish> facedRight{};
        const bool fedBefore = part.state.feeding != 0;
        feedingEnded += wasFeeding && !fedBefore;  // ended by the period just run
        for (int i = 0; i < kMaxFish; ++i)
            facedRight[std::size_t(i)] = part.fish(i).swimMode <= 2;

        whole.engine.composeWholeNextTick();
        part.engine.AnimateTank();
        whole.engine.AnimateTank();
        ++ticks;

        const FrameChanges& c = part.engine.lastChanges();
        ASSERT_TRUE(whole.engine.lastChanges().whole);
        ASSERT_LE(c.count, FrameChanges::kMaxRects);
        if (c.whole) {
            ++wholeTicks;
            screen = part.scene.suisou.copy();
        }
        for (int k = 0; k < c.count; ++k) {
            const QRect& r = c.rects[std::size_t(k)];
            ASSERT_FALSE(r.isEmpty());
            ASSERT_TRUE(QRect(0, 0, kTankWidth, kTankHeight).contains(r)) << "tick " << ticks;
            bitBlt(screen, r.x(), r.y(), r.width(), r.height(), part.scene.suisou, r.x(), r.y(), RasterOp::SrcCopy);
        }
        partialTicks += !c.whole && c.count > 0;
        ASSERT_TRUE(part.scene.suisou == whole.scene.suisou) << "frame of tick " << ticks;
        // Both draw from the sheets' pre-masked forms; the frame is what the two separate
        // transfers give.
        QImage twoSteps = whole.scene.back.copy();
        for (const SpriteDraw& s : whole.engine.lastFrame()) {
            if (!s.sheet)
                continue;
            auto& rgb = asRgb[s.sheet->cacheKey()];
            if (rgb.isNull())
                rgb = s.sheet->convertToFormat(QImage::Format_RGB32);
            bitBlt(twoSteps, s.x, s.y, s.width, s.height, rgb, s.sourceX, s.maskY, RasterOp::SrcErase);
            bitBlt(twoSteps, s.x, s.y, s.width, s.height, rgb, s.sourceX, 0, RasterOp::SrcInvert);
        }
        ASSERT_TRUE(twoSteps == whole.scene.suisou) << "two-step frame of tick " << ticks;
        ASSERT_TRUE(screen == whole.scene.suisou) << "places reported at tick " << ticks;
        ASSERT_EQ(part.settings, whole.settings);

        // What the run went through, so it cannot quietly stop covering it.
        const bool fed = part.state.feeding != 0;
        feedingTicks += fed;
        wasFeeding = fed;
        for (int i = 0; i < part.settings.fishTotal; ++i) {
            const FishState& f = part.fish(i);
            if (!fedBefore && !fed && facedRight[std::size_t(i)] != (f.swimMode <= 2))
                ++(facedRight[std::size_t(i)] ? rightTurns : leftTurns);
            risenPastTop += f.riseFlag == 1 && f.y < 0;
            const Bubble& b = part.bubble(i);
            bubbleTicks += b.active == 1 && b.y > 10;
        }
    }

    QTemporaryDir dir;
    std::map<qint64, QImage> asRgb;
    rig::TankRig part{1}, whole{1};
    QImage screen;
    int ticks = 0, wholeTicks = 0, expectedWhole = 1, partialTicks = 0;
    bool wasFeeding = false;
    int feedingTicks = 0, feedingEnded = 0, rightTurns = 0, leftTurns = 0, risenPastTop = 0, bubbleTicks = 0;
};

TEST_F(IncrementalComposition, EveryFrameAndEveryShownPlaceMatchesTheWholeComposition)
{
    // One fish: it turns at the right wall, then rises past the top edge.
    runTicks(30);
    for (rig::TankRig* t : {&part, &whole}) {
        t->fish(0).y = 5;
        t->fish(0).riseFlag = 1;
    }
    runTicks(200);

    // Five fish of two kinds, four accessories of both layouts, food from start to end,
    // suisou moved twice to memory of the view's.
    const QString kind1 = pictureFile("many-colours.pat", rig::busySheet(12, 75, 75, 7, 0));
    const QString kind1Again = pictureFile("few-colours.pat", rig::busySheet(12, 75, 75, 8, 60));
    const QString wide1 = pictureFile("wide1.acc", rig::busySheet(10, 200, 100, 11, 100));
    const QString wide2 = pictureFile("wide2.acc", rig::busySheet(10, 200, 100, 12, 100));
    const QString tall1 = pictureFile("tall1.acc", rig::busySheet(10, 100, 200, 13, 100));
    const QString tall2 = pictureFile("tall2.acc", rig::busySheet(10, 100, 200, 14, 100));
    apply({{3, 2}, {kind1}, {{wide1, 0}, {tall1, 1}, {wide2, 2}, {tall2, 3}}});
    std::vector<uchar> view1, view2;
    runTicks(300, [&](int k) {
        if (k == 60)
            for (rig::TankRig* t : {&part, &whole})
                t->engine.startFeeding();
        if (k == 150)
            rebind(view1);
        if (k == 220)
            rebind(view2);
    });
    EXPECT_EQ(part.scene.suisou.constBits(), view2.data()) << "the frame stays in the view's memory";

    // The second accessory deleted, the kind's picture replaced, a fish fewer.
    apply({{2, 2}, {kind1Again}, {{wide1, 0}, {wide2, 2}, {tall2, 3}}});
    runTicks(300);
    // An accessory whose frames differ only in part joins them.
    const QString swaying = pictureFile("swaying.acc", swayingSheet());
    apply({{2, 2}, {kind1Again}, {{wide1, 0}, {swaying, 1}, {wide2, 2}, {tall2, 3}}});
    runTicks(150);
    // A hand-edited record puts one accessory's mask above its image: that sheet has no
    // pre-masked form, so the places it touches are drawn by the two transfers, whole.
    for (rig::TankRig* t : {&part, &whole})
        t->settings.accessories[1].maskY = -40;
    runTicks(40);
    // No accessories, no picture loaded, only the fish count changes.
    apply({{1}, {}, {}});
    runTicks(100);
    // The same count: the fish changes kind, then only its kind's picture is replaced
    // while it stands still at the top, so nothing but the new picture calls for a redraw.
    apply({{0, 1}, {kind1}, {}});
    runTicks(20);
    runTicks((26 - ticks % 25) % 25);  // to just past a period, so the rise lasts
    for (rig::TankRig* t : {&part, &whole}) {
        t->fish(0).y = 0;
        t->fish(0).riseFlag = 1;
    }
    runTicks(2);
    apply({{0, 1}, {kind1Again}, {}});
    runTicks(2);
    apply({{5}, {}, {}});
    runTicks(250);

    EXPECT_EQ(wholeTicks, expectedWhole) << "the whole tank only after wholesale changes";
    EXPECT_GT(partialTicks, ticks * 9 / 10);
    EXPECT_GT(rightTurns, 0);
    EXPECT_GT(leftTurns, 0);
    EXPECT_GT(risenPastTop, 0);
    EXPECT_GT(bubbleTicks, 0);
    EXPECT_GT(feedingTicks, 0);
    EXPECT_EQ(feedingEnded, 1);
}

// A tank nobody saw for a while, caught up, is where the timers would have taken it: the
// same record, engine state and random calls, and composed once, the same frame.
TEST(CatchUp, RunsTheMissedTicksAndPeriodsInTheTimersOrderWithTheSameDraws)
{
    struct Case {
        int ticks;         // frame ticks missed
        int firstPeriod;   // the first period missed comes after this many of them
        int periodLagMs;   // and this long after that tick (0: both fall due at once)
        int feedAfter;     // the feed command after this many ticks (-1: none)
        bool feeding;      // food in the tank as it went out of sight
    };
    const Case cases[] = {
        {0, 0, 40, -1, false},  // seen again before the next tick: a period only
        {0, 1, 0, -1, false},   // nothing at all
        {1, 1, 0, -1, false},
        {24, 3, 99, -1, true},
        {25, 25, 0, -1, false},
        {26, 0, 50, 10, false},
        {80, 25, 1, 30, true},  // fed again while the food is still there
        {777, 13, 0, 100, false},
        {4000, 7, 60, 2500, false},
    };
    const std::int64_t t0 = 123456;
    const auto tickTime = [&](int n) { return t0 + std::int64_t(kFrameTickMs) * (n - 1); };
    int bubbleTicks = 0, feedingTicks = 0, periods = 0;
    for (std::size_t c = 0; c < std::size(cases); ++c) {
        const Case& k = cases[c];
        SCOPED_TRACE(testing::Message() << "case " << c << ": " << k.ticks << " ticks");
        rig::TankRig one{5}, caught{5};
        for (rig::TankRig* t : {&one, &caught}) {
            for (int i = 0; i < 5; ++i)
                t->fish(i) = {std::int16_t(20 + 90 * i), std::int16_t(20 + 45 * i), std::int16_t(i), 375, 0, {}, 0};
            t->fish(4).x = 425;  // at the right wall
            t->settings.fishKindOf = {0, 1, 0, 1, 0};
            t->scene.access[0] = rig::solidSheet(10, 200, 100, {0x102030, 0x405060, 0x708090});
            placeAccessory(t->settings.accessories[0], t->scene.access[0], 1);
            t->settings.accessoryCount = 1;
            t->random.thenSequence(1000 + c);
            // Seen for a while, with a period and bubbles, before it went out of sight.
            for (int n = 0; n < 30; ++n) {
                t->engine.AnimateTank();
                if (n == 3) {
                    t->engine.behaviourPeriod();
                    for (int i = 0; i < 5; ++i)
                        t->engine.createBubble(i, t->fish(i).swimMode <= 2);
                }
            }
            if (k.feeding)
                t->engine.startFeeding();
            t->random.takeLog();
        }

        // One by one, as the timers fire them.
        int periodsRun = 0;
        for (int n = 0; n <= k.ticks; ++n) {
            if (n > 0) {
                one.engine.AnimateTank();
                feedingTicks += one.state.feeding != 0;
                for (int i = 0; i < 5; ++i)
                    bubbleTicks += one.bubble(i).active == 1 && one.bubble(i).y > 10;
            }
            const bool period = n >= k.firstPeriod && (n - k.firstPeriod) % 25 == 0;
            if (period && k.periodLagMs == 0)
                one.engine.behaviourPeriod();
            if (n == k.feedAfter)
                one.engine.startFeeding();
            if (period && k.periodLagMs != 0)
                one.engine.behaviourPeriod();
            periodsRun += period;
        }
        periods += periodsRun;

        // Caught up at once, or in two parts around the feed command.
        const std::int64_t firstPeriodAt = tickTime(k.firstPeriod) + k.periodLagMs;
        TimersDue due{tickTime(1), firstPeriodAt};
        if (k.feedAfter >= 0) {
            due = caught.engine.catchUp(due, tickTime(k.feedAfter));
            caught.engine.startFeeding();
        }
        const std::int64_t now = tickTime(k.ticks) + kFrameTickMs - 1;
        due = caught.engine.catchUp(due, now);

        EXPECT_EQ(due, (TimersDue{tickTime(k.ticks + 1), firstPeriodAt + std::int64_t(kBehaviourPeriodMs) * periodsRun}));
        EXPECT_EQ(serializeSettings(caught.settings), serializeSettings(one.settings));
        EXPECT_EQ(caught.settings, one.settings);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(caught.bubble(i).active, one.bubble(i).active) << "bubble " << i;
            EXPECT_EQ(caught.bubble(i).x, one.bubble(i).x);
            EXPECT_EQ(caught.bubble(i).y, one.bubble(i).y);
        }
        EXPECT_EQ(caught.state.turnCount, one.state.turnCount);
        EXPECT_EQ(caught.state.feeding, one.state.feeding);
        EXPECT_EQ(caught.state.feedPeriods, one.state.feedPeriods);
        EXPECT_EQ(caught.state.accessoryFrame, one.state.accessoryFrame);
        const std::string log = one.random.takeLog();
        EXPECT_EQ(caught.random.takeLog(), log);
        EXPECT_EQ(log.size() > 0, k.ticks > 0 || periodsRun > 0);

        // Seen again: the whole frame is the one the last tick would have shown, and the
        // ticks after it go on alike.
        caught.engine.composeWholeNextTick();
        caught.engine.composeFrame();
        EXPECT_TRUE(caught.engine.lastChanges().whole);
        ASSERT_TRUE(caught.scene.suisou == one.scene.suisou);
        for (int n = 0; n < 30; ++n) {
            one.engine.AnimateTank();
            caught.engine.AnimateTank();
            ASSERT_TRUE(caught.scene.suisou == one.scene.suisou) << "tick " << n << " after";
        }
        EXPECT_EQ(caught.settings, one.settings);
    }
    // What the runs went through, so the table cannot quietly stop covering it.
    EXPECT_GT(bubbleTicks, 100);
    EXPECT_GT(feedingTicks, 100);
    EXPECT_GT(periods, 150);
}

TEST(CatchUp, ReseedsInQuickSuccessionStillDrawApart)
{
    // Catching up reseeds far more often than the clock may tick.
    RandomSource random;
    std::set<double> first;
    for (int n = 0; n < 2000; ++n) {
        random.reseed();
        first.insert(random.next());
    }
    EXPECT_GT(first.size(), 1990u);
}

}  // namespace
