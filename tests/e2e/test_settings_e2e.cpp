#include "e2e/e2e_harness.h"

#include "app/settings_file.h"

#include <gtest/gtest.h>

namespace {

// Where the settings dialog's controls lie in its client area at 96 DPI.
constexpr QPoint kFirstKindLine(112, 71);
constexpr QPoint kSpinnerUp(208, 113);
constexpr QPoint kApply(176, 293);

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

}  // namespace
