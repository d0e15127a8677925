// Draws the built-in pictures into a folder: tank.bmp, goldfish.bmp, food.bmp,
// bubbles.bmp and icon.png. Run with QT_QPA_PLATFORM=offscreen on a machine without a display.

#include "goldfish.h"
#include "scenery.h"

#include "engine/picture_loader.h"
#include "tools/sheet/sheet_check.h"
#include "tools/sheet/sheet_make.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: pondel-draw-assets OUTDIR\n");
        return 2;
    }
    const QDir out(args.at(1));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.path()));
        return 1;
    }

    bool ok = true;
    // The program's pictures are 8-bit palette bitmaps.
    const auto bmp = [&](const QImage& picture, const char* name) {
        QString error;
        if (!writeSheet(reduceColours(picture), out.filePath(QString::fromLatin1(name)), &error)) {
            std::fprintf(stderr, "cannot write %s: %s\n", name, qPrintable(error));
            ok = false;
            return false;
        }
        return true;
    };
    // A sheet is checked as made and once more as the program will read it.
    const auto sheet = [&](const MakeResult& made, const SheetLayout& layout, const char* name) {
        if (!made.ok()) {
            std::fprintf(stderr, "%s: %s\n", name, qPrintable(made.error));
            ok = false;
            return;
        }
        if (!bmp(made.sheet, name))
            return;
        const LoadedPicture back = loadPicture(out.filePath(QString::fromLatin1(name)));
        const SheetReport report = back.ok() ? checkSheetLayout(back.image, layout) : SheetReport{};
        if (!back.ok() || !report.usable()) {
            std::fprintf(stderr, "%s", qPrintable(back.ok() ? formatReport(QString::fromLatin1(name), report)
                                                            : QStringLiteral("%1: %2\n").arg(name, back.error)));
            ok = false;
        }
    };
    bmp(drawTank(), "tank.bmp");
    sheet(drawGoldfishSheet(), kPatternLayout, "goldfish.bmp");
    sheet(drawFoodSheet(), kFoodLayout, "food.bmp");
    sheet(drawBubbleSheet(), kBubbleLayout, "bubbles.bmp");

    QImageWriter icon(out.filePath(QStringLiteral("icon.png")), "png");
    icon.setCompression(9);
    if (!icon.write(drawIcon())) {
        std::fprintf(stderr, "cannot write icon.png: %s\n", qPrintable(icon.errorString()));
        ok = false;
    }
    return ok ? 0 : 1;
}
