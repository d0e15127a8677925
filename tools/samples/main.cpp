// pondel-draw-samples FOLDER: draws the sample goldfish kinds (.pat) and accessories
// (.acc) that come with the program, each checked before it is written.
#include "accessory_kinds.h"
#include "goldfish_kinds.h"

#include "tools/sheet/sheet_check.h"
#include "tools/sheet/sheet_make.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

namespace {

bool writeSample(const QDir& folder, const QString& fileName, const MakeRequest& request)
{
    const MakeResult made = makeSheet(request);
    const QString path = folder.filePath(fileName);
    if (!made.ok()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(fileName), qPrintable(made.error));
        return false;
    }
    QString error;
    if (!writeSheet(made.sheet, path, &error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
        return false;
    }
    const SheetReport report = checkSheetFile(path);
    if (!report.usable() || !report.notes.isEmpty()) {
        std::fprintf(stderr, "%s", qPrintable(formatReport(path, report)));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    // Painting needs fonts and pixels only, never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: pondel-draw-samples FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }

    bool ok = true;
    for (const GoldfishKind& kind : drawGoldfishKinds()) {
        MakeRequest request;
        request.layout = kPatternLayout;
        request.pictures = kind.cells;
        request.mirror = true;
        request.palette = true;
        ok = writeSample(folder, kind.fileName, request) && ok;
    }
    for (const AccessoryKind& kind : drawAccessoryKinds()) {
        MakeRequest request;
        request.layout = kind.layout;
        request.pictures = kind.frames;
        request.palette = true;
        ok = writeSample(folder, kind.fileName, request) && ok;
    }
    return ok ? 0 : 1;
}
