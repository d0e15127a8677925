// pondel-sheet: makes, checks and splits the picture sheets of goldfish kinds (.pat)
// and accessories (.acc).
#include "tools/sheet/sheet_check.h"
#include "tools/sheet/sheet_make.h"

#include "engine/picture_loader.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kUsable = 0;
constexpr int kNotUsable = 1;
constexpr int kUsage = 2;

const char* const kHelp = R"(pondel-sheet makes and checks the picture sheets of the Pondel goldfish tank.

A sheet holds its pictures ("cells") side by side in a top row and, in a row of
the same size below it, the black silhouette of each (its mask). Pure white is
transparent in both rows, and a picture is pure white exactly where its mask is.

  pattern sheet (.pat)     900 x 150: 12 cells of 75 x 75, one goldfish kind.
                           Cells 0-5 face left (swim poses A B C B A, then the
                           resting pose), cells 6-11 face right (as a rule the
                           mirror images of cells 5 down to 0).
  accessory sheet (.acc)   10 animation frames, one shown every 0.1 s:
                           2000 x 200 with frames of 200 x 100 (standing on the
                           floor; their bottom 10 rows are hidden), or
                           1000 x 400 with frames of 100 x 200 (tall ones).

pondel-sheet make pattern|accessory [OPTIONS] -o OUT PICTURE...
  Builds a sheet from ordinary pictures (PNG with transparency is best; in a
  picture without transparency, white is the background). Give one picture
  per cell in order, one strip that holds them side by side (--strip), or just
  one picture for all cells. Pictures of exactly the cell size are used pixel
  for pixel; others are trimmed to what they show and scaled to fit, all by
  the same factor. The mask row is computed, the sheet checked and written as
  a BMP.
    --mirror       pattern: the pictures are the six left-facing cells; cells
                   6-11 become their mirror images (a single picture always
                   works this way, its swim poses narrowed a little)
    --flip         pattern: the pictures face right; turn them round first
    --strip        the one PICTURE holds all cells side by side, equally wide
    --landscape    accessory: frames of 200 x 100
    --portrait     accessory: frames of 100 x 200
                   (default: whichever suits the pictures' shape)
    --key COLOUR   background of pictures without transparency, as #RRGGBB
                   (default #FFFFFF)
    --palette      at most 256 colours, written as an 8-bit BMP

pondel-sheet check FILE...
  Says for each file whether it is a usable pattern or accessory sheet and, if
  not, exactly what is wrong: its size, its cell layout, grey mask pixels, or
  image and mask that disagree. A name ending in .pat must be a pattern sheet,
  one ending in .acc an accessory sheet.

pondel-sheet split FILE FOLDER
  Writes each cell of a sheet as a PNG with transparency (cell-00.png, ...),
  to edit and give back to make.

Examples:
  pondel-sheet make pattern -o ranchu.pat ranchu.png
  pondel-sheet make pattern --mirror -o ranchu.pat a.png b.png c.png b.png a.png rest.png
  pondel-sheet make accessory --strip -o windmill.acc windmill-strip.png
  pondel-sheet check ranchu.pat windmill.acc

Then add the file in the tank's settings (数＆種類, 追 加).
pondel-sheet --version shows the version; the manual page is pondel-sheet(6).
Exit status: 0 when every sheet is usable, 1 when one is not, 2 on wrong usage.
)";

void out(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
}

int usage(const QString& why)
{
    std::fprintf(stderr, "pondel-sheet: %s\nTry 'pondel-sheet --help'.\n", why.toLocal8Bit().constData());
    return kUsage;
}

int fail(const QString& why)
{
    std::fprintf(stderr, "pondel-sheet: %s\n", why.toLocal8Bit().constData());
    return kNotUsable;
}

int check(const QStringList& files)
{
    if (files.isEmpty())
        return usage(QStringLiteral("check needs at least one FILE"));
    int status = kUsable;
    for (const QString& file : files) {
        const SheetReport report = checkSheetFile(file);
        out(formatReport(file, report));
        if (!report.usable())
            status = kNotUsable;
    }
    return status;
}

int make(QStringList args)
{
    if (args.isEmpty())
        return usage(QStringLiteral("make needs 'pattern' or 'accessory'"));
    const QString what = args.takeFirst();
    if (what != QLatin1String("pattern") && what != QLatin1String("accessory"))
        return usage(QStringLiteral("make builds a 'pattern' or an 'accessory' sheet, not '%1'").arg(what));
    const bool pattern = what == QLatin1String("pattern");

    MakeRequest request;
    QString output;
    bool strip = false, landscape = false, portrait = false;
    QStringList inputs;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("-o") || a == QLatin1String("--output")) {
            if (args.isEmpty())
                return usage(QStringLiteral("%1 needs a file name").arg(a));
            output = args.takeFirst();
        } else if (a == QLatin1String("--mirror") && pattern) {
            request.mirror = true;
        } else if (a == QLatin1String("--flip") && pattern) {
            request.flip = true;
        } else if (a == QLatin1String("--strip")) {
            strip = true;
        } else if (a == QLatin1String("--landscape") && !pattern) {
            landscape = true;
        } else if (a == QLatin1String("--portrait") && !pattern) {
            portrait = true;
        } else if (a == QLatin1String("--palette")) {
            request.palette = true;
        } else if (a == QLatin1String("--key")) {
            if (args.isEmpty())
                return usage(QStringLiteral("--key needs a colour such as #00FF00"));
            const QColor colour = QColor::fromString(args.takeFirst());
            if (!colour.isValid())
                return usage(QStringLiteral("--key takes a colour such as #00FF00"));
            request.key = colour.rgb();
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usage(QStringLiteral("'%1' is not an option of make %2").arg(a, what));
        } else {
            inputs << a;
        }
    }
    if (output.isEmpty())
        return usage(QStringLiteral("make needs -o OUT, the sheet to write"));
    if (inputs.isEmpty())
        return usage(QStringLiteral("make needs at least one PICTURE"));
    if (landscape && portrait)
        return usage(QStringLiteral("--landscape and --portrait exclude each other"));
    if (strip && inputs.size() != 1)
        return usage(QStringLiteral("--strip takes exactly one PICTURE"));

    std::vector<QImage> pictures;
    for (const QString& input : inputs) {
        // With its transparency: the program's own reader would flatten it onto white.
        QImage picture(input);
        if (picture.isNull())
            return fail(QStringLiteral("%1: cannot be read as a picture").arg(input));
        if (picture.width() > kMaxPictureSide || picture.height() > kMaxPictureSide)
            return fail(QStringLiteral("%1: larger than %2 pixels a side").arg(input).arg(kMaxPictureSide));
        pictures.push_back(picture);
    }

    if (pattern) {
        request.layout = kPatternLayout;
    } else if (landscape || portrait) {
        request.layout = landscape ? kLandscapeLayout : kPortraitLayout;
    } else {
        // Judge by one frame: a strip is ten frames wide.
        const QSize frame = strip ? QSize(pictures.front().width() / 10, pictures.front().height())
                                  : pictures.front().size();
        request.layout = frame.width() > frame.height() ? kLandscapeLayout : kPortraitLayout;
    }
    if (strip) {
        const int count = picturesWanted(request);
        pictures = cutStrip(pictures.front(), count);
        if (pictures.empty())
            return fail(QStringLiteral("%1: too narrow for a strip of %2 cells").arg(inputs.front()).arg(count));
    }
    request.pictures = pictures;

    const MakeResult made = makeSheet(request);
    if (!made.ok())
        return fail(made.error);
    QString error;
    if (!writeSheet(made.sheet, output, &error))
        return fail(QStringLiteral("%1: %2").arg(output, error));
    // Check what was written, read back the way the program reads it.
    const SheetReport report = checkSheetFile(output);
    out(formatReport(output, report));
    return report.usable() ? kUsable : kNotUsable;
}

int split(const QStringList& args)
{
    if (args.size() != 2)
        return usage(QStringLiteral("split needs FILE and FOLDER"));
    const LoadedPicture loaded = loadPicture(args[0]);
    if (!loaded.ok())
        return fail(QStringLiteral("%1: cannot be read as a picture").arg(args[0]));
    const auto layout = layoutForSize(loaded.image.size());
    if (!layout)
        return fail(QStringLiteral("%1: %2 is not the size of a pattern or accessory sheet")
                        .arg(args[0], sizeText(loaded.image.size())));
    if (!QDir().mkpath(args[1]))
        return fail(QStringLiteral("%1: cannot make the folder").arg(args[1]));
    for (int k = 0; k < layout->cells; ++k) {
        const QString name = QDir(args[1]).filePath(QStringLiteral("cell-%1.png").arg(k, 2, 10, QLatin1Char('0')));
        QImageWriter writer(name, "png");
        if (!writer.write(sheetCell(loaded.image, *layout, k)))
            return fail(QStringLiteral("%1: %2").arg(name, writer.errorString()));
    }
    out(QStringLiteral("%1: %2 %3s of the %4 written to %5\n")
            .arg(args[0])
            .arg(layout->cells)
            .arg(layout->cellWord(), layout->name(), args[1]));
    return kUsable;
}

}  // namespace

int main(int argc, char** argv)
{
    // Pictures only: no window system needed.
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usage(QStringLiteral("say make, check or split"));
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        std::fputs(kHelp, stdout);
        return kUsable;
    }
    if (command == QLatin1String("--version")) {
        std::fputs("pondel-sheet " PONDEL_VERSION "\n", stdout);
        return kUsable;
    }
    if (command == QLatin1String("check"))
        return check(args);
    if (command == QLatin1String("make"))
        return make(args);
    if (command == QLatin1String("split"))
        return split(args);
    return usage(QStringLiteral("unknown command '%1'").arg(command));
}
