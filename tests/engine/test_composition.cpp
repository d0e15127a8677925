#include "engine/surface.h"
#include "engine/tank_engine.h"

#include <gtest/gtest.h>

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

TEST(BlockTransfer, OnePassMaskedTransferMatchesTheTwoTransfers)
{
    QImage sheet = makeSurface(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            sheet.setPixel(x, y, qRgb((x * 37 + y * 11) & 255, (x * 5) & 255, (y * 71) & 255));
    const QImage background = [] {
        QImage b = makeSurface(50, 50);
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 50; ++x)
                b.setPixel(x, y, qRgb((x * 13) & 255, (y * 29) & 255, ((x + y) * 7) & 255));
        return b;
    }();
    for (int dx : {-12, 0, 30, 45})
        for (int dy : {-8, 0, 41})
            for (int sx : {-3, 0, 25, 35})
                for (int maskY : {0, 12, 20}) {
                    QImage twoSteps = background.copy();
                    bitBlt(twoSteps, dx, dy, 12, 12, sheet, sx, maskY, RasterOp::SrcErase);
                    bitBlt(twoSteps, dx, dy, 12, 12, sheet, sx, 0, RasterOp::SrcInvert);
                    QImage onePass = background.copy();
                    maskedBlt(onePass, dx, dy, 12, 12, sheet, sx, maskY);
                    ASSERT_EQ(onePass, twoSteps) << dx << "," << dy << " from " << sx << "," << maskY;
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
    scene.work = scene.back.copy();
    engine.DrawSprite(sheet, 100, 100, 4, 1, 0, 1);
    EXPECT_EQ(scene.work.pixel(100, 100), 0xFFFF0000u);
    EXPECT_EQ(scene.work.pixel(101, 100), 0xFF808080u);
    EXPECT_EQ(scene.work.pixel(102, 100), kWater);

    engine.DrawSprite(sheet, 200, 100, 4, 1, 0, 0);  // the food's way: image AND background
    EXPECT_EQ(scene.work.pixel(200, 100), 0xFF000000u | (0xFF0000u & 0xCCFFCCu));
    EXPECT_EQ(scene.work.pixel(201, 100), 0xFF000000u | (0x808080u & 0xCCFFCCu));
    EXPECT_EQ(scene.work.pixel(202, 100), kWater);
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

}  // namespace
