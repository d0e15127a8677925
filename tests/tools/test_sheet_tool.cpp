// pondel-sheet: check on good and broken sheets, make from pictures and back, the
// command line, and check on every sheet the program ships.

#include "tools/sheet/sheet_check.h"
#include "tools/sheet/sheet_make.h"

#include "tools/sheet_fixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace fixtures;

namespace {

QString problemTexts(const SheetReport& report)
{
    QString all;
    for (const SheetProblem& p : report.problems)
        all += p.text + QLatin1Char('\n');
    return all;
}

TEST(SheetCheck, AcceptsGoodSheetsOfEveryLayout)
{
    for (const SheetLayout& layout : {kPatternLayout, kLandscapeLayout, kPortraitLayout}) {
        const SheetReport report = checkSheet(goodSheet(layout));
        EXPECT_TRUE(report.usable()) << problemTexts(report).toStdString();
        ASSERT_TRUE(report.layout.has_value());
        EXPECT_EQ(report.layout->kind, layout.kind);
        EXPECT_TRUE(report.notes.isEmpty());
    }
}

TEST(SheetCheck, RejectsWrongSizesAndSaysWhatWasMeant)
{
    const SheetReport odd = checkSheet(QImage(901, 150, QImage::Format_RGB32));
    ASSERT_EQ(odd.problems.size(), 1u);
    EXPECT_EQ(odd.problems[0].kind, ProblemKind::Size);
    EXPECT_TRUE(odd.problems[0].text.contains(QStringLiteral("901 × 150")));

    // Only the image row: the mask row is missing.
    const SheetReport half = checkSheet(goodSheet(kPatternLayout).copy(0, 0, 900, 75), SheetExpectation::Pattern);
    ASSERT_TRUE(half.has(ProblemKind::Size));
    EXPECT_TRUE(problemTexts(half).contains(QStringLiteral("mask row below it is missing")));

    // A good accessory sheet named as a pattern is still wrong for the chooser's list.
    const SheetReport misnamed = checkSheet(goodSheet(kLandscapeLayout), SheetExpectation::Pattern);
    ASSERT_TRUE(misnamed.has(ProblemKind::Size));
    EXPECT_TRUE(problemTexts(misnamed).contains(QStringLiteral("landscape accessory sheet")));
    EXPECT_FALSE(checkSheet(goodSheet(kPatternLayout), SheetExpectation::Accessory).usable());
    EXPECT_TRUE(checkSheet(goodSheet(kPortraitLayout), SheetExpectation::Accessory).usable());
}

TEST(SheetCheck, FindsCellLayoutFaults)
{
    // Mask on top, picture below.
    const QImage good = goodSheet(kPatternLayout);
    QImage swapped(good.size(), QImage::Format_RGB32);
    QPainter p(&swapped);
    p.drawImage(0, 0, good, 0, 75, 900, 75);
    p.drawImage(0, 75, good, 0, 0, 900, 75);
    p.end();
    const SheetReport s = checkSheet(swapped);
    ASSERT_EQ(s.problems.size(), 1u);
    EXPECT_EQ(s.problems[0].kind, ProblemKind::CellLayout);
    EXPECT_TRUE(s.problems[0].text.contains(QStringLiteral("swapped")));

    // One pose left blank: that fish would blink out.
    QImage gap = good;
    for (int y = 0; y < 150; ++y)
        for (int x = 225; x < 300; ++x)
            gap.setPixel(x, y, kWhite);
    const SheetReport g = checkSheet(gap);
    ASSERT_EQ(g.problems.size(), 1u);
    EXPECT_EQ(g.problems[0].kind, ProblemKind::CellLayout);
    EXPECT_TRUE(g.problems[0].text.startsWith(QStringLiteral("cell 3 (x 225–299) is empty")));

    // Pictures without their silhouettes: one clear message, not thousands of pixels.
    QImage noMask = goodSheet(kLandscapeLayout);
    for (int y = 100; y < 200; ++y)
        for (int x = 0; x < 2000; ++x)
            noMask.setPixel(x, y, kWhite);
    const SheetReport m = checkSheet(noMask);
    ASSERT_EQ(m.problems.size(), 1u);
    EXPECT_TRUE(m.problems[0].text.startsWith(QStringLiteral("the mask row (y 100–199) is empty")));

    QImage blank(900, 150, QImage::Format_RGB32);
    blank.fill(kWhite);
    EXPECT_TRUE(checkSheet(blank).has(ProblemKind::CellLayout));
}

TEST(SheetCheck, FindsGreyMaskPixelsAndPointsAtThem)
{
    QImage sheet = goodSheet(kPortraitLayout);
    // A smoothed silhouette edge in frame 2 and one in frame 7.
    sheet.setPixel(205, 200 + 40, qRgb(128, 128, 128));
    sheet.setPixel(705, 200 + 41, qRgb(200, 200, 200));
    const SheetReport report = checkSheet(sheet);
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_EQ(report.problems[0].kind, ProblemKind::GreyMask);
    EXPECT_TRUE(report.problems[0].text.startsWith(QStringLiteral("2 pixels of the mask row")));
    EXPECT_TRUE(report.problems[0].text.contains(QStringLiteral("first at x 205, y 240, colour 128, 128, 128; frames 2, 7")));
}

TEST(SheetCheck, FindsImageAndMaskThatDisagree)
{
    // Colour where the mask says transparent: stray colours around the sprite.
    QImage halo = goodSheet(kPatternLayout);
    halo.setPixel(80, 5, qRgb(250, 250, 250));
    const SheetReport h = checkSheet(halo);
    ASSERT_EQ(h.problems.size(), 1u);
    EXPECT_EQ(h.problems[0].kind, ProblemKind::Disagreement);
    EXPECT_TRUE(h.problems[0].text.contains(QStringLiteral("have colour where the mask is white")));
    EXPECT_TRUE(h.problems[0].text.contains(QStringLiteral("x 80, y 5, colour 250, 250, 250; cell 1")));

    // Pure white inside the silhouette.
    QImage hole = goodSheet(kLandscapeLayout);
    hole.setPixel(1520, 30, kWhite);
    const SheetReport w = checkSheet(hole);
    ASSERT_EQ(w.problems.size(), 1u);
    EXPECT_EQ(w.problems[0].kind, ProblemKind::Disagreement);
    EXPECT_TRUE(w.problems[0].text.contains(QStringLiteral("pure white where the mask is black")));
    EXPECT_TRUE(w.problems[0].text.contains(QStringLiteral("frame 7")));
}

TEST(SheetCheck, NotesDoNotMakeASheetUnusable)
{
    // A landscape accessory drawn down to its frame's bottom edge loses those rows.
    QImage sheet = goodSheet(kLandscapeLayout);
    for (int x = 20; x < 40; ++x) {
        sheet.setPixel(x, 95, qRgb(10, 120, 10));
        sheet.setPixel(x, 195, kBlack);
    }
    const SheetReport report = checkSheet(sheet);
    EXPECT_TRUE(report.usable());
    ASSERT_EQ(report.notes.size(), 1);
    EXPECT_TRUE(report.notes[0].contains(QStringLiteral("rows 90–99")));
}

TEST(SheetCheck, ReadsFilesAsTheProgramDoes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_TRUE(checkSheetFile(dir.filePath(QStringLiteral("missing.pat"))).has(ProblemKind::Unreadable));
    QFile text(dir.filePath(QStringLiteral("text.pat")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    EXPECT_TRUE(checkSheetFile(text.fileName()).has(ProblemKind::Unreadable));

    // Any format the program reads; a name the chooser would not list gets a note.
    const QString png = dir.filePath(QStringLiteral("fish.png"));
    ASSERT_TRUE(goodSheet(kPatternLayout).save(png, "PNG"));
    const SheetReport report = checkSheetFile(png);
    EXPECT_TRUE(report.usable());
    ASSERT_EQ(report.notes.size(), 1);
    EXPECT_TRUE(report.notes[0].contains(QStringLiteral(".pat")));
}

// Cells come back exactly, but for pure white sprite pixels, which must move off white.
void expectSameCell(const QImage& got, const QImage& picture, const char* what)
{
    ASSERT_EQ(got.size(), picture.size()) << what;
    for (int y = 0; y < got.height(); ++y) {
        for (int x = 0; x < got.width(); ++x) {
            const QRgb in = picture.pixel(x, y);
            const QRgb out = got.pixel(x, y);
            if (qAlpha(in) < 128) {
                ASSERT_EQ(qAlpha(out), 0) << what << " at " << x << "," << y;
            } else {
                const QRgb want = (in | 0xFF000000) == kWhite ? kSpriteWhite : (in | 0xFF000000);
                ASSERT_EQ(out, want) << what << " at " << x << "," << y;
            }
        }
    }
}

TEST(SheetMake, PatternRoundTripThroughAFile)
{
    std::vector<QImage> pictures;
    for (int k = 0; k < 12; ++k)
        pictures.push_back(spritePicture({75, 75}, QColor::fromHsv(k * 30, 200, 220)));
    MakeRequest request;
    request.pictures = pictures;
    const MakeResult made = makeSheet(request);
    ASSERT_TRUE(made.ok()) << made.error.toStdString();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("round.pat"));
    ASSERT_TRUE(writeSheet(made.sheet, path));
    const SheetReport report = checkSheetFile(path);
    ASSERT_TRUE(report.usable()) << problemTexts(report).toStdString();
    const QImage read(path);
    for (int k = 0; k < 12; ++k)
        expectSameCell(sheetCell(read, kPatternLayout, k), pictures[std::size_t(k)], "pattern cell");
}

TEST(SheetMake, MirrorsTheLeftFacingCells)
{
    std::vector<QImage> left;
    for (int k = 0; k < 6; ++k)
        left.push_back(spritePicture({75, 75}, QColor::fromHsv(k * 50, 180, 200)));
    MakeRequest request;
    request.pictures = left;
    request.mirror = true;
    const MakeResult made = makeSheet(request);
    ASSERT_TRUE(made.ok()) << made.error.toStdString();
    for (int k = 0; k < 6; ++k) {
        expectSameCell(sheetCell(made.sheet, kPatternLayout, k), left[std::size_t(k)], "left cell");
        expectSameCell(sheetCell(made.sheet, kPatternLayout, 6 + k), left[std::size_t(5 - k)].mirrored(true, false),
                       "right cell");
    }
    // Six pictures without mirroring leave the right-facing half undefined.
    request.mirror = false;
    EXPECT_FALSE(makeSheet(request).ok());
}

TEST(SheetMake, AccessoryFromAStrip)
{
    QImage strip(1000, 200, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    for (int k = 0; k < 10; ++k)
        p.drawImage(k * 100, 0, spritePicture({100, 200}, QColor::fromHsv(k * 36, 150, 150)));
    p.end();
    const std::vector<QImage> frames = cutStrip(strip, 10);
    ASSERT_EQ(frames.size(), 10u);
    MakeRequest request;
    request.layout = kPortraitLayout;
    request.pictures = frames;
    const MakeResult made = makeSheet(request);
    ASSERT_TRUE(made.ok()) << made.error.toStdString();
    EXPECT_EQ(made.sheet.size(), QSize(1000, 400));
    for (int k = 0; k < 10; ++k)
        expectSameCell(sheetCell(made.sheet, kPortraitLayout, k), frames[std::size_t(k)], "frame");
}

TEST(SheetMake, FitsOtherSizesAndStandsAccessoriesOnTheFloor)
{
    // A big picture with a wide margin and no transparency: white is the background.
    QImage picture(600, 400, QImage::Format_RGB32);
    picture.fill(kWhite);
    QPainter p(&picture);
    p.fillRect(100, 100, 400, 100, QColor(120, 80, 40));
    p.end();
    MakeRequest request;
    request.layout = kLandscapeLayout;
    request.pictures = {picture};
    const MakeResult made = makeSheet(request);
    ASSERT_TRUE(made.ok()) << made.error.toStdString();
    // Trimmed to the block, 4:1, scaled to the frame's width; its foot on row 89, the
    // last one the tank shows.
    const QImage frame = sheetCell(made.sheet, kLandscapeLayout, 4);
    EXPECT_EQ(qAlpha(frame.pixel(100, 89)), 255);
    EXPECT_EQ(qAlpha(frame.pixel(100, 90)), 0);
    EXPECT_EQ(qAlpha(frame.pixel(0, 70)), 255);
    EXPECT_EQ(qAlpha(frame.pixel(199, 70)), 255);
    EXPECT_EQ(qAlpha(frame.pixel(100, 30)), 0);
    EXPECT_TRUE(checkSheet(made.sheet).usable());

    // One picture makes a whole goldfish kind, the right-facing half mirrored.
    QImage fish(300, 200, QImage::Format_RGB32);
    fish.fill(QColor(0, 255, 0));
    QPainter f(&fish);
    f.setBrush(QColor(240, 120, 20));
    f.drawEllipse(20, 40, 220, 120);
    f.end();
    MakeRequest kind;
    kind.pictures = {fish};
    kind.key = qRgb(0, 255, 0);
    const MakeResult pattern = makeSheet(kind);
    ASSERT_TRUE(pattern.ok()) << pattern.error.toStdString();
    EXPECT_TRUE(checkSheet(pattern.sheet, SheetExpectation::Pattern).usable());
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(sheetCell(pattern.sheet, kPatternLayout, 6 + k),
                  sheetCell(pattern.sheet, kPatternLayout, 5 - k).mirrored(true, false));
    // The key colour is gone.
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 900; ++x)
            ASSERT_NE(pattern.sheet.pixel(x, y), qRgb(0, 255, 0));
}

TEST(SheetMake, RefusesWhatCannotBeASheet)
{
    MakeRequest request;
    request.pictures = {QImage(75, 75, QImage::Format_ARGB32)};
    request.pictures.front().fill(Qt::transparent);
    const MakeResult empty = makeSheet(request);
    EXPECT_FALSE(empty.ok());
    EXPECT_TRUE(empty.error.contains(QStringLiteral("show nothing")));

    request.layout = kLandscapeLayout;
    request.pictures.assign(3, spritePicture({200, 100}, Qt::red));
    EXPECT_TRUE(makeSheet(request).error.contains(QStringLiteral("got 3")));
}

TEST(SheetMake, PaletteKeepsTheMaskConventionAndWritesEightBits)
{
    // Thousands of colours, some of them a hair off white.
    QImage sheet = goodSheet(kLandscapeLayout);
    for (int y = 12; y < 60; ++y)
        for (int x = 0; x < 2000; ++x)
            if (sheet.pixel(x, y + 100) == kBlack)
                sheet.setPixel(x, y, qRgb(255, 255 - (x % 3), 250 + (y % 5)));
    ASSERT_TRUE(checkSheet(sheet).usable());
    const QImage reduced = reduceColours(sheet);
    const SheetReport report = checkSheet(reduced);
    EXPECT_TRUE(report.usable()) << problemTexts(report).toStdString();
    EXPECT_LE(reduced.convertToFormat(QImage::Format_Indexed8).colorCount(), 256);

    QTemporaryDir dir;
    const QString eight = dir.filePath(QStringLiteral("eight.acc"));
    const QString deep = dir.filePath(QStringLiteral("deep.acc"));
    ASSERT_TRUE(writeSheet(reduced, eight));
    ASSERT_TRUE(writeSheet(sheet, deep));
    const auto bitsPerPixel = [](const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray header = f.read(30);
        return int(uchar(header[28])) | (int(uchar(header[29])) << 8);
    };
    EXPECT_EQ(bitsPerPixel(eight), 8);
    EXPECT_EQ(bitsPerPixel(deep), 24);
    EXPECT_EQ(QImage(deep).convertToFormat(QImage::Format_RGB32), sheet);
    EXPECT_EQ(QImage(eight).convertToFormat(QImage::Format_RGB32), reduced);
}

TEST(SheetMake, AnyLayoutFromPicturesOfTheCellSize)
{
    // The built-in bubble sheet: two cells of 30 x 30 side by side.
    const SheetLayout bubbles{SheetKind::Other, 30, 30, 2};
    const std::vector<QImage> cells{spritePicture({30, 30}, QColor(40, 90, 230)),
                                    spritePicture({30, 30}, QColor(40, 175, 80))};
    MakeRequest request;
    request.layout = bubbles;
    request.pictures = cells;
    const MakeResult made = makeSheet(request);
    ASSERT_TRUE(made.ok()) << made.error.toStdString();
    EXPECT_EQ(made.sheet.size(), QSize(60, 60));
    EXPECT_TRUE(checkSheetLayout(made.sheet, bubbles).usable());
    for (int k = 0; k < 2; ++k)
        expectSameCell(sheetCell(made.sheet, bubbles, k), cells[std::size_t(k)], "bubble cell");

    request.pictures.assign(3, cells.front());
    EXPECT_TRUE(makeSheet(request).error.contains(QStringLiteral("2 pictures (one per cell) or one; got 3")));
    request.layout = SheetLayout{};
    request.pictures = cells;
    EXPECT_FALSE(makeSheet(request).ok());
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

quint32 le(const QByteArray& bytes, int at, int size)
{
    quint32 v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = (v << 8) | uchar(bytes[at + i]);
    return v;
}

TEST(SheetWrite, SameBytesEveryTimeAndEightBitsForAFewColours)
{
    // Four colours: few enough that a general-purpose writer would pack them into 4 bits,
    // which the program's built-in pictures must not be.
    QImage sheet(60, 60, QImage::Format_RGB32);
    sheet.fill(kWhite);
    for (int k = 0; k < 2; ++k)
        for (int y = 5; y < 25; ++y)
            for (int x = 5; x < 25; ++x) {
                sheet.setPixel(k * 30 + x, y, k == 0 ? qRgb(40, 90, 230) : qRgb(40, 175, 80));
                sheet.setPixel(k * 30 + x, 30 + y, kBlack);
            }
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.bmp"));
    const QString b = dir.filePath(QStringLiteral("b.bmp"));
    ASSERT_TRUE(writeSheet(sheet, a));
    ASSERT_TRUE(writeSheet(sheet.convertToFormat(QImage::Format_ARGB32), b));
    const QByteArray bytes = fileBytes(a);
    ASSERT_EQ(bytes, fileBytes(b));
    ASSERT_GE(bytes.size(), 70);
    EXPECT_EQ(le(bytes, 28, 2), 8u);   // bits per pixel
    EXPECT_EQ(le(bytes, 46, 4), 4u);   // colours used
    EXPECT_EQ(le(bytes, 10, 4), 70u);  // pixels right after the palette
    // The palette in colour order, so it does not depend on where a colour first appears.
    const std::vector<quint32> palette{0x000000, 0x285AE6, 0x28AF50, 0xFFFFFF};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(le(bytes, 54 + 4 * i, 4), palette[std::size_t(i)]) << "entry " << i;
    EXPECT_EQ(QImage(a).convertToFormat(QImage::Format_RGB32), sheet);

    // Reducing the same picture twice gives the same colours too.
    QImage many = goodSheet(kPatternLayout);
    EXPECT_EQ(reduceColours(many), reduceColours(many));
}

TEST(SheetWrite, FailureSaysWhyAndLeavesNoFile)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(writeSheet(goodSheet(kPatternLayout), dir.filePath(QStringLiteral("none/x.pat")), &error));
    EXPECT_FALSE(error.isEmpty());

    error.clear();
    const QString path = dir.filePath(QStringLiteral("empty.pat"));
    EXPECT_FALSE(writeSheet(QImage(), path, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

struct ToolRun {
    int exitCode;
    QString out;
    QString err;
};

ToolRun runSheetTool(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(PONDEL_SHEET_BINARY), args);
    process.waitForFinished(30000);
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

TEST(SheetCommand, HelpExplainsBothCommandsWithExamples)
{
    const ToolRun help = runSheetTool({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("pondel-sheet make pattern")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("pondel-sheet check")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("Examples:")));
    EXPECT_EQ(runSheetTool({}).exitCode, 2);
    EXPECT_EQ(runSheetTool({QStringLiteral("paint")}).exitCode, 2);
    EXPECT_EQ(runSheetTool({QStringLiteral("make"), QStringLiteral("pattern"), QStringLiteral("fish.png")}).exitCode, 2);
}

TEST(SheetCommand, MakeThenCheckThenSplit)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("ranchu.png"));
    ASSERT_TRUE(spritePicture({240, 160}, QColor(230, 90, 30)).save(picture));
    const QString sheet = dir.filePath(QStringLiteral("ranchu.pat"));

    const ToolRun made = runSheetTool({QStringLiteral("make"), QStringLiteral("pattern"), QStringLiteral("-o"), sheet, picture});
    EXPECT_EQ(made.exitCode, 0) << made.err.toStdString();
    EXPECT_TRUE(made.out.contains(QStringLiteral("usable pattern sheet")));

    const QString broken = dir.filePath(QStringLiteral("broken.acc"));
    ASSERT_TRUE(goodSheet(kPatternLayout).save(broken, "BMP"));
    const ToolRun checked = runSheetTool({QStringLiteral("check"), sheet, broken});
    EXPECT_EQ(checked.exitCode, 1);
    EXPECT_TRUE(checked.out.contains(sheet + QStringLiteral(": usable pattern sheet")));
    EXPECT_TRUE(checked.out.contains(broken + QStringLiteral(": NOT usable\n  size: ")));

    const QString cells = dir.filePath(QStringLiteral("cells"));
    ASSERT_EQ(runSheetTool({QStringLiteral("split"), sheet, cells}).exitCode, 0);
    QStringList args{QStringLiteral("make"), QStringLiteral("pattern"), QStringLiteral("-o"), dir.filePath(QStringLiteral("again.pat"))};
    for (int k = 0; k < 12; ++k)
        args << QDir(cells).filePath(QStringLiteral("cell-%1.png").arg(k, 2, 10, QLatin1Char('0')));
    ASSERT_EQ(runSheetTool(args).exitCode, 0);
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("again.pat"))).convertToFormat(QImage::Format_RGB32),
              QImage(sheet).convertToFormat(QImage::Format_RGB32));
}

TEST(ShippedSheets, BuiltInSheetsAreUsable)
{
    const QString assets = QStringLiteral(PONDEL_SOURCE_DIR "/assets/");
    const SheetReport goldfish = checkSheetLayout(QImage(assets + QStringLiteral("goldfish.bmp")), kPatternLayout);
    EXPECT_TRUE(goldfish.usable()) << problemTexts(goldfish).toStdString();
    EXPECT_TRUE(goldfish.notes.isEmpty());
    EXPECT_TRUE(checkSheet(QImage(QStringLiteral(":/pictures/goldfish.bmp")), SheetExpectation::Pattern).usable());

    const SheetReport food = checkSheetLayout(QImage(assets + QStringLiteral("food.bmp")), {SheetKind::Other, 50, 50, 1});
    EXPECT_TRUE(food.usable()) << problemTexts(food).toStdString();
    const SheetReport bubbles = checkSheetLayout(QImage(assets + QStringLiteral("bubbles.bmp")), {SheetKind::Other, 30, 30, 2});
    EXPECT_TRUE(bubbles.usable()) << problemTexts(bubbles).toStdString();
}

// The amount of change from one accessory frame to the next.
long frameChange(const QImage& sheet, const SheetLayout& layout, int a, int b)
{
    long changed = 0;
    for (int y = 0; y < layout.height(); ++y)
        for (int x = 0; x < layout.cellWidth; ++x)
            changed += sheet.pixel(a * layout.cellWidth + x, y) != sheet.pixel(b * layout.cellWidth + x, y);
    return changed;
}

TEST(ShippedSheets, SamplesAreUsableAndLoopSmoothly)
{
    const QDir samples(QStringLiteral(PONDEL_BUILD_DIR "/samples"));
    const QStringList patterns = samples.entryList({QStringLiteral("*.pat")}, QDir::Files);
    const QStringList accessories = samples.entryList({QStringLiteral("*.acc")}, QDir::Files);
    EXPECT_GE(patterns.size(), 4);
    EXPECT_GE(accessories.size(), 4);

    for (const QString& name : patterns) {
        const SheetReport report = checkSheetFile(samples.filePath(name));
        EXPECT_TRUE(report.usable() && report.notes.isEmpty()) << formatReport(name, report).toStdString();
        const QImage sheet(samples.filePath(name));
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(sheetCell(sheet, kPatternLayout, 6 + k), sheetCell(sheet, kPatternLayout, 5 - k).mirrored(true, false))
                << name.toStdString() << " cell " << 6 + k;
    }
    int landscape = 0, portrait = 0;
    for (const QString& name : accessories) {
        const SheetReport report = checkSheetFile(samples.filePath(name));
        EXPECT_TRUE(report.usable() && report.notes.isEmpty()) << formatReport(name, report).toStdString();
        if (!report.layout)
            continue;
        landscape += report.layout->kind == SheetKind::LandscapeAccessory;
        portrait += report.layout->kind == SheetKind::PortraitAccessory;
        // The step from the last frame back to the first is no bigger than the others.
        const QImage sheet = QImage(samples.filePath(name)).convertToFormat(QImage::Format_RGB32);
        long largest = 0;
        for (int k = 0; k + 1 < 10; ++k)
            largest = std::max(largest, frameChange(sheet, *report.layout, k, k + 1));
        EXPECT_GT(largest, 0) << name.toStdString() << " does not move";
        const long wrap = frameChange(sheet, *report.layout, 9, 0);
        EXPECT_GT(wrap, 0) << name.toStdString() << " halts on its last frame";
        EXPECT_LE(wrap, largest * 5 / 4) << name.toStdString() << " jumps from its last frame to its first";
    }
    EXPECT_GE(landscape, 1);
    EXPECT_GE(portrait, 1);
}

}  // namespace
