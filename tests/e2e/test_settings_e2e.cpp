#include "e2e/e2e_harness.h"

#include "app/settings_file.h"
#include "engine/scene.h"
#include "engine/tank_engine.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <vector>

namespace {

// Where the settings dialog's controls lie in its client area at 96 DPI.
constexpr QPoint kFirstKindLine(112, 71);
constexpr QPoint kSpinnerUp(208, 113);
constexpr QPoint kApply(176, 293);
constexpr QPoint kCancel(240, 293);

int orangePixels(const QImage& img, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            n += c.red() > 200 && c.green() > 60 && c.green() < 190 && c.blue() < 110;
        }
    return n;
}

// An accessory whose ten frames differ: a bar that steps right from frame to frame.
QImage steppingAccessory()
{
    QImage img(10 * 200, 2 * 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 2; ++row) {
        p.setBrush(row == 0 ? QColor(40, 90, 200) : QColor(Qt::black));
        for (int i = 0; i < 10; ++i)
            p.drawRect(i * 200 + 10 + 14 * i, row * 100 + 10, 40, 80);
    }
    return img;
}

// Every tank the program can compose from this record, one per accessory frame: the fish
// never move, so these ten are all there is.
std::vector<QImage> everyComposition(TankSettings s)
{
    Scene scene = Scene::withBuiltInPictures();
    scene.prepareTankSurfaces();
    RandomSource random;
    EngineState state;
    InitFish(s, scene, random);
    LoadAccessories(s, scene);
    TankEngine engine(s, scene, state, random);
    std::vector<QImage> frames;
    for (int i = 0; i < 10; ++i) {
        engine.AnimateTank();
        frames.push_back(scene.suisou.copy());
    }
    return frames;
}

bool isOneOf(const QImage& tank, const std::vector<QImage>& frames)
{
    for (const QImage& f : frames)
        if (e2e::pixelsDiffering(tank, f) == 0)
            return true;
    return false;
}

class SettingsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!x.ok())
            GTEST_SKIP() << "Xvfb is not available";
    }
    e2e::XServer x;
};

TEST_F(SettingsEndToEnd, RaisingTheCountFromTheMenuPutsFiveFishInTheTank)
{
    // One fish swimming right from the left wall; the four unused fish slots wait at the
    // right wall, one above the other, heading left, where the first fish cannot reach
    // in the few seconds this takes.
    TankSettings s;
    s.fishTotal = 1;
    s.kinds[0].count = 1;
    s.fish[0] = {0, 0, 1, 375, 0, {}, 0};
    for (int i = 1; i < 5; ++i)
        s.fish[std::size_t(i)] = {425, std::int16_t(75 * (i - 1)), 4, 375, 0, {}, 0};
    e2e::Pondel app(x);
    app.writeFile("SET", serializeSettings(s));
    ASSERT_TRUE(app.start());

    x.menuFirstItem(app.window(), e2e::kMenuSetX);  // "設定" > "数＆種類"
    const auto dialog = x.waitForWindow(QStringLiteral("設定"), 5000);
    ASSERT_TRUE(dialog);
    const QRect right(390, 0, 110, 300);
    const QImage before = app.tank();
    EXPECT_EQ(orangePixels(before, right), 0) << "only the first fish swims";

    x.click(*dialog, kFirstKindLine.x(), kFirstKindLine.y());  // "Pondel"
    for (int i = 0; i < 4; ++i)
        x.click(*dialog, kSpinnerUp.x(), kSpinnerUp.y());
    x.click(*dialog, kApply.x(), kApply.y());
    const QImage after = app.tank();
    EXPECT_FALSE(x.findWindow(QStringLiteral("設定"))) << "the dialog closed";

    // The four new fish, each in its own row at the right, and the first one elsewhere.
    for (int row = 0; row < 4; ++row)
        EXPECT_GT(orangePixels(after, QRect(370, 75 * row + 25, 130, 25)), 40) << "fish in row " << row;
    EXPECT_GT(orangePixels(after, QRect(0, 0, 370, 300)), 200) << "the first fish";

    // The main window takes the menu again; the end command stores five fish of kind 0.
    x.click(app.window(), e2e::kMenuEndX, e2e::kMenuBarY);
    ASSERT_TRUE(app.waitForExit());
    const TankSettings stored = parseSettings(app.readFile("SET"));
    EXPECT_EQ(stored.fishTotal, 5);
    EXPECT_EQ(stored.kinds[0].count, 5);
    EXPECT_EQ(stored.fishKindOf, (std::array<std::int16_t, 5>{0, 0, 0, 0, 0}));
}

TEST_F(SettingsEndToEnd, TheTankIsWholeAgainWhenTheDialogClosesOverIt)
{
    // Fish whose swim mode is outside 0..5 take no step and no behaviour roll: the tank
    // changes only where the accessory animates, and the rest comes back after the
    // dialog only if the uncovered window is redrawn.
    e2e::Pondel app(x);
    ASSERT_TRUE(steppingAccessory().save(app.path("steps.acc"), "PNG"));
    TankSettings s;
    s.fishTotal = 5;
    s.kinds[0].count = 5;
    for (int i = 0; i < 5; ++i)
        s.fish[std::size_t(i)] = {std::int16_t(10 + 95 * i), 0, 6, 0, 0, {}, 0};
    s.accessoryCount = 1;
    s.accessories[0].name = QStringLiteral("steps");
    s.accessories[0].picturePath = app.path("steps.acc");
    placeAccessory(s.accessories[0], steppingAccessory(), 1);
    const std::vector<QImage> frames = everyComposition(s);
    app.writeFile("SET", serializeSettings(s));
    ASSERT_TRUE(app.start());
    QThread::msleep(500);
    EXPECT_TRUE(isOneOf(app.tank(), frames)) << "the tank as composed, while it animates";

    x.menuFirstItem(app.window(), e2e::kMenuSetX);  // "設定" > "数＆種類"
    const auto dialog = x.waitForWindow(QStringLiteral("設定"), 5000);
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(isOneOf(app.tank(), frames)) << "the dialog lies over the tank";
    x.click(*dialog, kCancel.x(), kCancel.y());
    ASSERT_FALSE(x.findWindow(QStringLiteral("設定")));
    const QImage after = app.tank();
    EXPECT_TRUE(isOneOf(after, frames)) << e2e::pixelsDiffering(after, frames[0]) << " pixels differ from frame 0";
}

// Dragged to a monitor of twice the scale, the settings dialog stays there and takes its
// size at the new ratio; its frame's margins change in logical pixels on the way, which
// must not put it back in the middle of the tank's screen.
TEST(SettingsOnTwoMonitors, TheDialogMovedToAMonitorOfAnotherScaleStaysThereAtItsSize)
{
    const e2e::XServer x(e2e::XServer::TwoMonitors{});
    if (!x.ok())
        GTEST_SKIP() << "no two monitors";
    e2e::Pondel app(x);
    ASSERT_TRUE(app.start({QStringLiteral("QT_SCREEN_SCALE_FACTORS=default=1;R=2")}));
    x.menuFirstItem(app.window(), e2e::kMenuSetX);  // "設定" > "数＆種類"
    const auto dialog = x.waitForWindow(QStringLiteral("設定"), 5000);
    ASSERT_TRUE(dialog);
    const QRect before = x.geometry(*dialog);
    x.xdotool({QStringLiteral("windowmove"), *dialog, QStringLiteral("1600"), QStringLiteral("200")});
    QRect after;
    EXPECT_TRUE(e2e::waitUntil([&] { return (after = x.geometry(*dialog)).width() >= 2 * before.width() - 2; }, 5000))
        << "the dialog is " << after.width() << " wide, was " << before.width();
    QThread::msleep(500);
    after = x.geometry(*dialog);
    EXPECT_GE(after.x(), 1280) << "the dialog went back to the left monitor";
    EXPECT_LE(std::abs(after.width() - 2 * before.width()), 2);
}

}  // namespace
