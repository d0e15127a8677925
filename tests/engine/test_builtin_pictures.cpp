// The pictures compiled into the program: sizes, the mask convention the two-step
// sprite transfer relies on, and the layout of the goldfish sheet.

#include <QImage>

#include <gtest/gtest.h>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWater = 0xFFCCFFCC;

QImage builtIn(const char* name)
{
    return QImage(QStringLiteral(":/pictures/") + QLatin1String(name)).convertToFormat(QImage::Format_RGB32);
}

struct SheetLayout {
    const char* name;
    int cellWidth;
    int cellHeight;
    int cells;
};

constexpr SheetLayout kSheets[] = {
    {"goldfish.bmp", 75, 75, 12},
    {"food.bmp", 50, 50, 1},
    {"bubbles.bmp", 30, 30, 2},
};

// Black pixels in the mask of cell k.
int silhouetteArea(const QImage& sheet, const SheetLayout& s, int k)
{
    int area = 0;
    for (int y = 0; y < s.cellHeight; ++y)
        for (int x = 0; x < s.cellWidth; ++x)
            area += sheet.pixel(k * s.cellWidth + x, s.cellHeight + y) == kBlack;
    return area;
}

bool sameCell(const QImage& sheet, int a, int b, bool mirrored)
{
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < 75; ++x)
            if (sheet.pixel(a * 75 + x, y) != sheet.pixel(b * 75 + (mirrored ? 74 - x : x), y))
                return false;
    return true;
}

TEST(BuiltinPictures, HaveTheirSizes)
{
    EXPECT_EQ(builtIn("tank.bmp").size(), QSize(500, 300));
    for (const SheetLayout& s : kSheets)
        EXPECT_EQ(builtIn(s.name).size(), QSize(s.cellWidth * s.cells, 2 * s.cellHeight)) << s.name;

    const QImage icon(QStringLiteral(":/pictures/icon.png"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.hasAlphaChannel());
    EXPECT_GE(icon.width(), 32);
}

TEST(BuiltinPictures, SheetsFollowTheMaskConventionAndNoCellIsEmpty)
{
    for (const SheetLayout& s : kSheets) {
        SCOPED_TRACE(s.name);
        const QImage sheet = builtIn(s.name);
        ASSERT_EQ(sheet.height(), 2 * s.cellHeight);
        int faults = 0;
        for (int y = 0; y < s.cellHeight; ++y) {
            for (int x = 0; x < sheet.width(); ++x) {
                const QRgb image = sheet.pixel(x, y);
                const QRgb mask = sheet.pixel(x, y + s.cellHeight);
                const bool maskOk = mask == kBlack || mask == kWhite;
                // A white sprite pixel would be a hole; a coloured one over a white mask
                // would be mixed with the water instead of covering it.
                if (!maskOk || (image == kWhite) != (mask == kWhite)) {
                    if (++faults <= 5)
                        ADD_FAILURE() << "pixel " << x << "," << y << " image " << std::hex << image
                                      << " mask " << mask;
                }
            }
        }
        EXPECT_EQ(faults, 0);
        for (int k = 0; k < s.cells; ++k)
            EXPECT_GE(silhouetteArea(sheet, s, k), s.cellWidth * s.cellHeight / 50) << "cell " << k;
    }
}

TEST(BuiltinPictures, SpritesStayInsideTheirCells)
{
    // A silhouette touching the cell's border would be cut off or bleed into the next cell.
    for (const SheetLayout& s : kSheets) {
        const QImage sheet = builtIn(s.name);
        for (int k = 0; k < s.cells; ++k) {
            const int left = k * s.cellWidth, right = left + s.cellWidth - 1;
            bool clear = true;
            for (int i = 0; i < s.cellHeight; ++i)
                clear = clear && sheet.pixel(left, s.cellHeight + i) == kWhite &&
                        sheet.pixel(right, s.cellHeight + i) == kWhite;
            for (int x = left; x <= right; ++x)
                clear = clear && sheet.pixel(x, s.cellHeight) == kWhite &&
                        sheet.pixel(x, 2 * s.cellHeight - 1) == kWhite;
            EXPECT_TRUE(clear) << s.name << " cell " << k;
        }
    }
}

TEST(BuiltinPictures, CellsHaveTheirColours)
{
    struct Share {
        int red = 0, orange = 0, pale = 0, blue = 0, green = 0, area = 0;
        double redX = 0;
    };
    const auto measure = [](const QImage& sheet, int cellX, int cellW, int cellH) {
        Share m;
        for (int y = 0; y < cellH; ++y)
            for (int x = 0; x < cellW; ++x) {
                if (sheet.pixel(cellX + x, cellH + y) != kBlack)
                    continue;
                const QRgb p = sheet.pixel(cellX + x, y);
                const int r = qRed(p), g = qGreen(p), b = qBlue(p);
                ++m.area;
                if (r > 150 && g < 90 && b < 90) {
                    ++m.red;
                    m.redX += x;
                }
                m.orange += r > 200 && g >= 90 && g < 200 && b < 120;
                m.pale += r > 225 && g > 225 && b > 210;
                m.blue += b > r + 60 && b > g + 40;
                m.green += g > r + 60 && g > b + 40;
            }
        if (m.red > 0)
            m.redX /= m.red;
        return m;
    };

    // Each goldfish: an orange body, a white belly and fins, and its red head on the
    // side it swims towards (cells 0-5 left, 6-11 right).
    const QImage fish = builtIn("goldfish.bmp");
    for (int k = 0; k < 12; ++k) {
        const Share m = measure(fish, k * 75, 75, 75);
        SCOPED_TRACE(k);
        EXPECT_GT(m.orange, m.area / 8);
        EXPECT_GT(m.red, m.area / 12);
        EXPECT_GT(m.pale, m.area / 30);
        if (k < 6)
            EXPECT_LT(m.redX, 30);
        else
            EXPECT_GT(m.redX, 45);
    }

    const Share food = measure(builtIn("food.bmp"), 0, 50, 50);
    EXPECT_GT(food.red, food.area * 3 / 4);

    const QImage bubbles = builtIn("bubbles.bmp");
    const Share blue = measure(bubbles, 0, 30, 30), green = measure(bubbles, 30, 30, 30);
    EXPECT_GT(blue.blue, blue.area * 3 / 4);
    EXPECT_GT(green.green, green.area * 3 / 4);
}

TEST(BuiltinPictures, GoldfishFillTheirCellsAndSwimInTheOrderOfThePoses)
{
    const SheetLayout fish = kSheets[0];
    const QImage sheet = builtIn(fish.name);
    for (int k = 0; k < 12; ++k)
        EXPECT_GE(silhouetteArea(sheet, fish, k), 75 * 75 / 4) << "cell " << k;

    // Cells 0-5 are the poses A, B, C, B, A, D.
    EXPECT_TRUE(sameCell(sheet, 0, 4, false));
    EXPECT_TRUE(sameCell(sheet, 1, 3, false));
    for (auto [a, b] : {std::pair{0, 1}, {0, 2}, {1, 2}, {0, 5}, {2, 5}})
        EXPECT_FALSE(sameCell(sheet, a, b, false)) << a << " and " << b;

    // Cells 6-11 face right: exact mirror images of cells 5-0, mask rows included.
    for (int k = 0; k < 6; ++k)
        EXPECT_TRUE(sameCell(sheet, 6 + k, 5 - k, true)) << "cell " << 6 + k;
}

TEST(BuiltinPictures, TankIsWaterUnderAWhiteAirBand)
{
    const QImage tank = builtIn("tank.bmp");
    for (int y = 0; y < 6; ++y)
        for (int x : {0, 100, 250, 499})
            EXPECT_EQ(tank.pixel(x, y), kWhite) << x << "," << y;
    for (QPoint p : {QPoint(0, 6), QPoint(60, 100), QPoint(250, 150), QPoint(499, 280), QPoint(400, 20)})
        EXPECT_EQ(tank.pixel(p), kWater) << p.x() << "," << p.y();

    // The air pipe and the gravel are grey, not water.
    const auto grey = [&](int x, int y) {
        const QRgb c = tank.pixel(x, y);
        return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && c != kWhite;
    };
    EXPECT_TRUE(grey(25, 100));
    EXPECT_TRUE(grey(25, 250));
    for (int x = 0; x < 500; x += 50)
        EXPECT_TRUE(grey(x, 295)) << x;
}

} // namespace
