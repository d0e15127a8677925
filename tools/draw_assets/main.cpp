// Draws the built-in pictures into a folder: tank.bmp, goldfish.bmp, food.bmp,
// bubbles.bmp and icon.png. Run with QT_QPA_PLATFORM=offscreen on a machine without a display.

#include "goldfish.h"
#include "scenery.h"
#include "sheet_file.h"

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
    const auto bmp = [&](const QImage& picture, const char* name) {
        if (!writeBmp(limitTo256Colours(picture), out.filePath(QString::fromLatin1(name)))) {
            std::fprintf(stderr, "cannot write %s\n", name);
            ok = false;
        }
    };
    bmp(drawTank(), "tank.bmp");
    bmp(drawGoldfishSheet(), "goldfish.bmp");
    bmp(drawFoodSheet(), "food.bmp");
    bmp(drawBubbleSheet(), "bubbles.bmp");

    QImageWriter icon(out.filePath(QStringLiteral("icon.png")), "png");
    icon.setCompression(9);
    if (!icon.write(drawIcon())) {
        std::fprintf(stderr, "cannot write icon.png: %s\n", qPrintable(icon.errorString()));
        ok = false;
    }
    return ok ? 0 : 1;
}
