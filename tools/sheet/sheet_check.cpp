#include "tools/sheet/sheet_check.h"

#include "engine/picture_loader.h"

#include <QFileInfo>
#include <QImageReader>
#include <QStringList>

#include <set>

bool SheetReport::has(ProblemKind kind) const
{
    for (const SheetProblem& p : problems)
        if (p.kind == kind)
            return true;
    return false;
}

SheetExpectation expectationFor(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("pat"))
        return SheetExpectation::Pattern;
    if (suffix == QLatin1String("acc"))
        return SheetExpectation::Accessory;
    return SheetExpectation::Any;
}

namespace {

constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kBlack = 0x000000;

QRgb rgb(const QImage& img, int x, int y)
{
    return reinterpret_cast<const QRgb*>(img.constScanLine(y))[x] & 0xFFFFFF;
}


QString colourText(QRgb c)
{
    return QStringLiteral("%1, %2, %3").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

// Counts the pixels of one kind and remembers where they are, for a message that
// points at the first and names every cell affected.
struct Finding {
    long count = 0;
    int x = -1;
    int y = -1;
    QRgb colour = 0;
    std::set<int> cells;

    void add(int px, int py, int cell, QRgb c = 0)
    {
        if (count++ == 0) {
            x = px;
            y = py;
            colour = c;
        }
        cells.insert(cell);
    }

    QString where(const SheetLayout& layout, bool withColour = false) const
    {
        QStringList names;
        for (int c : cells)
            names << QString::number(c);
        const QString word = layout.cellWord() + (cells.size() > 1 ? QStringLiteral("s") : QString());
        const QString shade = withColour ? QStringLiteral(", colour %1").arg(colourText(colour)) : QString();
        return QStringLiteral("first at x %1, y %2%3; %4 %5")
            .arg(x)
            .arg(y)
            .arg(shade, word, names.join(QStringLiteral(", ")));
    }
};

QString pixels(long n)
{
    return n == 1 ? QStringLiteral("1 pixel") : QStringLiteral("%1 pixels").arg(n);
}

QString layoutText(const SheetLayout& layout)
{
    return QStringLiteral("%1 %2s of %3 over their masks")
        .arg(layout.cells)
        .arg(layout.cellWord())
        .arg(sizeText({layout.cellWidth, layout.cellHeight}));
}

// What a picture of this size might have been meant as.
QString sizeHint(QSize size)
{
    for (const SheetLayout& layout : {kPatternLayout, kLandscapeLayout, kPortraitLayout}) {
        if (size == layout.size())
            return QStringLiteral(" (that is the size of a %1)").arg(layout.name());
        if (size == QSize(layout.width(), layout.cellHeight))
            return QStringLiteral(" (that is only the image row of a %1: the mask row below it is missing;"
                                  " `pondel-sheet make` draws it)").arg(layout.name());
        if (size == layout.size().transposed())
            return QStringLiteral(" (width and height of a %1 swapped)").arg(layout.name());
    }
    return {};
}

SheetProblem sizeProblem(QSize size, SheetExpectation expect)
{
    QString wanted;
    switch (expect) {
    case SheetExpectation::Pattern:
        wanted = QStringLiteral("a pattern sheet (.pat) is %1: %2")
                     .arg(sizeText(kPatternLayout.size()), layoutText(kPatternLayout));
        break;
    case SheetExpectation::Accessory:
        wanted = QStringLiteral("an accessory sheet (.acc) is %1 (%2) or %3 (%4)")
                     .arg(sizeText(kLandscapeLayout.size()), layoutText(kLandscapeLayout),
                          sizeText(kPortraitLayout.size()), layoutText(kPortraitLayout));
        break;
    case SheetExpectation::Any:
        wanted = QStringLiteral("a pattern sheet is %1, an accessory sheet %2 or %3")
                     .arg(sizeText(kPatternLayout.size()), sizeText(kLandscapeLayout.size()),
                          sizeText(kPortraitLayout.size()));
        break;
    }
    return {ProblemKind::Size, QStringLiteral("the picture is %1%2; %3").arg(sizeText(size), sizeHint(size), wanted)};
}

}  // namespace

SheetReport checkSheet(const QImage& sheet, SheetExpectation expect)
{
    const std::optional<SheetLayout> layout = layoutForSize(sheet.size());
    const bool fits = layout
        && (expect == SheetExpectation::Any
            || (expect == SheetExpectation::Pattern) == (layout->kind == SheetKind::Pattern));
    if (!fits) {
        SheetReport report;
        report.size = sheet.size();
        report.problems.push_back(sizeProblem(sheet.size(), expect));
        return report;
    }
    return checkSheetLayout(sheet, *layout);
}

SheetReport checkSheetLayout(const QImage& picture, const SheetLayout& layout)
{
    SheetReport report;
    report.layout = layout;
    report.size = picture.size();
    if (picture.size() != layout.size()) {
        report.problems.push_back({ProblemKind::Size,
                                   QStringLiteral("the picture is %1; a %2 is %3: %4")
                                       .arg(sizeText(picture.size()), layout.name(), sizeText(layout.size()),
                                            layoutText(layout))});
        return report;
    }
    const QImage sheet = picture.convertToFormat(QImage::Format_RGB32);
    const int h = layout.cellHeight;
    const int maskY = layout.maskY();

    // Whole rows first: a row that is blank or in the wrong place would otherwise show
    // up as thousands of single-pixel disagreements.
    bool topMaskLike = true, bottomMaskLike = true, topBlank = true, bottomBlank = true;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < sheet.width(); ++x) {
            const QRgb top = rgb(sheet, x, y);
            const QRgb bottom = rgb(sheet, x, y + maskY);
            topMaskLike = topMaskLike && (top == kWhite || top == kBlack);
            bottomMaskLike = bottomMaskLike && (bottom == kWhite || bottom == kBlack);
            topBlank = topBlank && top == kWhite;
            bottomBlank = bottomBlank && bottom == kWhite;
        }
    }
    const QString imageRows = QStringLiteral("y 0–%1").arg(h - 1);
    const QString maskRows = QStringLiteral("y %1–%2").arg(maskY).arg(maskY + h - 1);
    if (topBlank && bottomBlank) {
        report.problems.push_back({ProblemKind::CellLayout, QStringLiteral("the sheet is blank: nothing would be drawn")});
        return report;
    }
    if (bottomBlank) {
        report.problems.push_back(
            {ProblemKind::CellLayout,
             QStringLiteral("the mask row (%1) is empty: every %2 needs its black silhouette there"
                            " (`pondel-sheet make` draws it from a picture with transparency)")
                 .arg(maskRows, layout.cellWord())});
        return report;
    }
    if (topBlank) {
        report.problems.push_back(
            {ProblemKind::CellLayout,
             QStringLiteral("the image row (%1) is empty: only the silhouettes are there").arg(imageRows)});
        return report;
    }
    if (topMaskLike && !bottomMaskLike) {
        report.problems.push_back(
            {ProblemKind::CellLayout,
             QStringLiteral("the rows are swapped: the black silhouettes are in the top row; the picture"
                            " belongs in %1 and its mask in %2")
                 .arg(imageRows, maskRows)});
        return report;
    }

    Finding grey, colourOverWhite, whiteOverBlack;
    std::vector<long> silhouette(std::size_t(layout.cells), 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < sheet.width(); ++x) {
            const int cell = x / layout.cellWidth;
            const QRgb image = rgb(sheet, x, y);
            const QRgb mask = rgb(sheet, x, y + maskY);
            if (mask == kBlack)
                ++silhouette[std::size_t(cell)];
            if (mask != kWhite && mask != kBlack)
                grey.add(x, y + maskY, cell, mask);
            else if (mask == kWhite && image != kWhite)
                colourOverWhite.add(x, y, cell, image);
            else if (mask == kBlack && image == kWhite)
                whiteOverBlack.add(x, y, cell);
        }
    }

    for (int c = 0; c < layout.cells; ++c) {
        if (silhouette[std::size_t(c)] != 0)
            continue;
        bool imageBlank = true;
        for (int y = 0; y < h && imageBlank; ++y)
            for (int x = c * layout.cellWidth; x < (c + 1) * layout.cellWidth && imageBlank; ++x)
                imageBlank = rgb(sheet, x, y) == kWhite;
        if (!imageBlank)
            continue;  // reported below as image and mask disagreeing
        const QString effect = layout.isAccessory() ? QStringLiteral("the accessory would vanish for that step of its animation")
            : layout.kind == SheetKind::Pattern     ? QStringLiteral("the fish would vanish whenever it takes that pose")
                                                    : QStringLiteral("nothing would be drawn from it");
        report.problems.push_back({ProblemKind::CellLayout,
                                   QStringLiteral("%1 %2 (x %3–%4) is empty: %5")
                                       .arg(layout.cellWord())
                                       .arg(c)
                                       .arg(c * layout.cellWidth)
                                       .arg((c + 1) * layout.cellWidth - 1)
                                       .arg(effect)});
    }
    if (grey.count > 0) {
        report.problems.push_back(
            {ProblemKind::GreyMask,
             QStringLiteral("%1 of the mask row are neither pure black nor pure white (%2):"
                            " the mask must be a hard black silhouette on white, without smoothed edges")
                 .arg(pixels(grey.count), grey.where(layout, true))});
    }
    if (colourOverWhite.count > 0) {
        report.problems.push_back(
            {ProblemKind::Disagreement,
             QStringLiteral("image and mask disagree: %1 of the image row have colour where the mask is white"
                            " (%2); they would be drawn as stray colours around the sprite."
                            " The picture must be pure white wherever its mask is")
                 .arg(pixels(colourOverWhite.count), colourOverWhite.where(layout, true))});
    }
    if (whiteOverBlack.count > 0) {
        report.problems.push_back(
            {ProblemKind::Disagreement,
             QStringLiteral("image and mask disagree: %1 of the image row are pure white where the mask is black"
                            " (%2); pure white marks transparency, so a white part of the sprite must be"
                            " off-white (for example 254, 254, 254), or the mask white there too")
                 .arg(pixels(whiteOverBlack.count), whiteOverBlack.where(layout))});
    }

    // Silhouettes that run on across a cell border usually mean the cells are not as
    // wide as they should be; a frame that fills its width on purpose is fine.
    for (int c = 1; c < layout.cells; ++c) {
        int rows = 0;
        for (int y = maskY; y < maskY + h; ++y)
            if (rgb(sheet, c * layout.cellWidth - 1, y) == kBlack && rgb(sheet, c * layout.cellWidth, y) == kBlack)
                ++rows;
        if (rows >= 3) {
            report.notes << QStringLiteral("the silhouettes of %1s %2 and %3 touch across their border at x %4:"
                                           " are the %1s %5 pixels wide?")
                                .arg(layout.cellWord())
                                .arg(c - 1)
                                .arg(c)
                                .arg(c * layout.cellWidth)
                                .arg(layout.cellWidth);
        }
    }
    if (layout.kind == SheetKind::LandscapeAccessory) {
        bool below = false;
        for (int y = maskY + 90; y < maskY + h && !below; ++y)
            for (int x = 0; x < sheet.width() && !below; ++x)
                below = rgb(sheet, x, y) == kBlack;
        if (below)
            report.notes << QStringLiteral("rows 90–99 of each frame lie below the tank's bottom edge and are not shown");
    }
    return report;
}

SheetReport checkSheetFile(const QString& path)
{
    SheetReport report;
    const QFileInfo info(path);
    QString why;
    if (!info.exists())
        why = QStringLiteral("no such file");
    else if (!info.isFile())
        why = QStringLiteral("not a file");
    else if (QImageReader reader(path); reader.size().width() > kMaxPictureSide || reader.size().height() > kMaxPictureSide)
        why = QStringLiteral("the picture is larger than the program reads (%1 pixels a side)").arg(kMaxPictureSide);
    if (!why.isEmpty()) {
        report.problems.push_back({ProblemKind::Unreadable, why});
        return report;
    }
    const LoadedPicture loaded = loadPicture(path);
    if (!loaded.ok()) {
        report.problems.push_back(
            {ProblemKind::Unreadable, QStringLiteral("cannot be read as a picture (BMP, PNG, GIF or JPEG)")});
        return report;
    }
    const SheetExpectation expect = expectationFor(path);
    report = checkSheet(loaded.image, expect);
    if (expect == SheetExpectation::Any && report.layout) {
        report.notes << QStringLiteral("the settings dialog lists only files ending in %1: rename it")
                            .arg(report.layout->kind == SheetKind::Pattern ? QStringLiteral(".pat") : QStringLiteral(".acc"));
    }
    return report;
}

QString formatReport(const QString& label, const SheetReport& report)
{
    QString out;
    if (report.usable()) {
        out = QStringLiteral("%1: usable %2 (%3, %4)\n")
                  .arg(label, report.layout->name(), sizeText(report.size), layoutText(*report.layout));
    } else {
        out = QStringLiteral("%1: NOT usable\n").arg(label);
        for (const SheetProblem& p : report.problems) {
            QString kind;
            switch (p.kind) {
            case ProblemKind::Unreadable: kind = QStringLiteral("file"); break;
            case ProblemKind::Size: kind = QStringLiteral("size"); break;
            case ProblemKind::CellLayout: kind = QStringLiteral("cell layout"); break;
            case ProblemKind::GreyMask: kind = QStringLiteral("grey mask"); break;
            case ProblemKind::Disagreement: kind = QStringLiteral("image/mask"); break;
            }
            out += QStringLiteral("  %1: %2\n").arg(kind, p.text);
        }
    }
    for (const QString& note : report.notes)
        out += QStringLiteral("  note: %1\n").arg(note);
    return out;
}
