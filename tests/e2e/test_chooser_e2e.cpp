#include "e2e/e2e_harness.h"

#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace {

// Places in the client areas at 96 DPI.
constexpr QPoint kKindAdd(209, 71);         // settings dialog, "追 加"
constexpr QPoint kSecondKindLine(112, 84);  // settings dialog, List1 line 1
constexpr QPoint kSpinnerUp(208, 113);
constexpr QPoint kAccessoryAdd(209, 195);   // settings dialog, "追加"
constexpr QPoint kApply(176, 293);
constexpr QPoint kFirstFile(176, 11);       // chooser, File1 line 0

const QColor kFishColour(0, 0, 255);
const QColor kAccessoryColour(255, 0, 255);

// A sheet in the sprite convention: each cell's shape in colour on white over the same
// shape in black on white.
QImage sheet(int cells, QSize cell, const QColor& colour, bool ellipse)
{
    QImage img(cells * cell.width(), 2 * cell.height(), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 2; ++row) {
        p.setBrush(row == 0 ? colour : QColor(Qt::black));
        for (int i = 0; i < cells; ++i) {
            const QRect r(i * cell.width() + 10, row * cell.height() + 10, cell.width() - 20, cell.height() - 20);
            if (ellipse)
                p.drawEllipse(r);
            else
                p.drawRect(r);
        }
    }
    return img;
}

int pixelsOf(const QImage& img, const QColor& colour, QRect area = {})
{
    if (area.isNull())
        area = img.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += img.pixelColor(x, y) == colour;
    return n;
}

class ChooserEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!x.ok())
            GTEST_SKIP() << "Xvfb is not available";
    }

    // Opens the chooser with one of the settings dialog's add buttons and double-clicks
    // the first file it lists.
    void addFirstFile(const QString& dialog, QPoint addButton)
    {
        x.click(dialog, addButton.x(), addButton.y());
        const auto chooser = x.waitForWindow(QStringLiteral("ﾀﾞｲｱﾛｸﾞ"), 5000);
        ASSERT_TRUE(chooser);
        x.doubleClick(*chooser, kFirstFile.x(), kFirstFile.y());
        EXPECT_TRUE(e2e::waitUntil([&] { return !x.findWindow(QStringLiteral("ﾀﾞｲｱﾛｸﾞ")); }, 3000));
    }

    e2e::XServer x;
};

TEST_F(ChooserEndToEnd, AnAddedKindAndAccessorySwimAndStandInTheTankAndAreStored)
{
    e2e::Pondel app(x);
    ASSERT_TRUE(sheet(12, {75, 75}, kFishColour, true).save(app.path(QStringLiteral("青らんちゅう.pat")), "PNG"));
    ASSERT_TRUE(sheet(10, {100, 200}, kAccessoryColour, false).save(app.path("tower.acc"), "PNG"));
    ASSERT_TRUE(app.start());

    x.menuFirstItem(app.window(), e2e::kMenuSetX);
    const auto dialog = x.waitForWindow(QStringLiteral("設定"), 5000);
    ASSERT_TRUE(dialog);
    addFirstFile(*dialog, kKindAdd);
    x.click(*dialog, kSecondKindLine.x(), kSecondKindLine.y());
    x.click(*dialog, kSpinnerUp.x(), kSpinnerUp.y());
    addFirstFile(*dialog, kAccessoryAdd);
    x.click(*dialog, kApply.x(), kApply.y());
    ASSERT_FALSE(x.findWindow(QStringLiteral("設定")));

    QThread::msleep(300);
    const QImage tank = app.tank();
    EXPECT_GT(pixelsOf(tank, kFishColour), 1000) << "a fish of the new kind";
    // A tall accessory at the left edge stands at x 20, y 90 in a 100 x 200 frame.
    EXPECT_GT(pixelsOf(tank, kAccessoryColour, QRect(20, 90, 100, 200)), 8000) << "the accessory";
    EXPECT_EQ(pixelsOf(tank, kAccessoryColour, QRect(130, 0, 370, 300)), 0);

    x.click(app.window(), e2e::kMenuEndX, e2e::kMenuBarY);
    ASSERT_TRUE(app.waitForExit());
    const TankSettings stored = parseSettings(app.readFile("SET"));
    EXPECT_EQ(stored.lastKind, 1);
    EXPECT_EQ(stored.kinds[1].name, QStringLiteral("青らんちゅう"));
    EXPECT_EQ(stored.kinds[1].count, 1);
    EXPECT_EQ(stored.fishTotal, 2);
    EXPECT_EQ(stored.accessoryCount, 1);
    EXPECT_EQ(stored.accessories[0].name, QStringLiteral("tower"));
    const QString folder = QDir(app.folder()).canonicalPath();
    EXPECT_EQ(stored.kinds[1].patternPath, folder + QStringLiteral("/青らんちゅう.pat"));
    EXPECT_EQ(stored.accessories[0].picturePath, folder + "/tower.acc");
    // Kana and kanji read back from code page 932 still name the file.
    EXPECT_TRUE(QFile::exists(stored.kinds[1].patternPath));
    EXPECT_TRUE(QFile::exists(stored.accessories[0].picturePath));
}

}  // namespace
