#include "e2e/e2e_harness.h"

#include "app/ansi_text.h"
#include "app/settings_file.h"
#include "engine/scene.h"

#include <QBuffer>
#include <QImageReader>
#include <QSet>

#include <gtest/gtest.h>

// The Windows program as the installer put it into a wine prefix, on an X server of its
// own. Runs only when PONDEL_WINDOWS_PROGRAM names it (C:\Program Files\Pondel\pondel.exe),
// as the Windows stage of CI does; WINEPREFIX says which prefix.
namespace {

QString windowsPath(const QString& unixPath)
{
    return QStringLiteral("Z:") + QString(unixPath).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

QString unixPathInPrefix(const QString& windowsPathOnC)
{
    const QString prefix = qEnvironmentVariable("WINEPREFIX", QDir::homePath() + QStringLiteral("/.wine"));
    return prefix + QStringLiteral("/drive_c") + windowsPathOnC.mid(2).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

QSet<QRgb> colours(const QImage& picture, QRect area = {})
{
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    if (area.isNull())
        area = img.rect();
    QSet<QRgb> seen;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            seen.insert(img.pixel(x, y) | 0xFF000000);
    return seen;
}

// The kuro sheet with its fish recoloured by `tint` (the mask half untouched), as a
// picture in `format`, written by ImageMagick where Qt writes no such format (GIF).
QByteArray tintedSheet(const QImage& sheet, QRgb (*tint)(int lightness), const char* format)
{
    QImage img = sheet.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < kFishSize && y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                img.setPixel(x, y, tint(qGray(img.pixel(x, y))));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "png");
    if (qstrcmp(format, "gif") != 0) {
        QByteArray out;
        QBuffer b(&out);
        b.open(QIODevice::WriteOnly);
        img.save(&b, format, 90);
        return out;
    }
    QProcess convert;
    convert.start(QStringLiteral("convert"), {QStringLiteral("png:-"), QStringLiteral("gif:-")});
    convert.waitForStarted(5000);
    convert.write(png);
    convert.closeWriteChannel();
    convert.waitForFinished(20000);
    return convert.readAllStandardOutput();
}

// Green fish for the GIF, magenta ones for the JPEG: hues none of the built-in pictures
// has, so a JPEG's slightly shifted colours are still told apart.
QRgb gifTint(int l) { return qRgb(10, 110 + l / 2, 30); }
QRgb jpegTint(int l) { return qRgb(170 + l / 4, 20, 170 + l / 4); }
bool looksGreen(QRgb c) { return qGreen(c) > 100 && qRed(c) < 60 && qBlue(c) < 70; }
bool looksMagenta(QRgb c) { return qRed(c) > 140 && qBlue(c) > 140 && qGreen(c) < 80; }

int countWhere(const QImage& picture, bool (*pick)(QRgb))
{
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += pick(img.pixel(x, y));
    return n;
}

int builtInPixelsWhere(bool (*pick)(QRgb))
{
    int n = 0;
    for (const char* builtIn : {"goldfish.bmp", "tank.bmp", "food.bmp", "bubbles.bmp"})
        n += countWhere(QImage(QStringLiteral(PONDEL_SOURCE_DIR "/assets/") + QLatin1String(builtIn)), pick);
    return n;
}

TEST(WindowsProgram, KindsNamedByWindowsPathsSwimFromBmpGifAndJpegTheScreenShowsTheHeldFrameAndEndWritesSetBack)
{
    const QString program = qEnvironmentVariable("PONDEL_WINDOWS_PROGRAM");
    if (program.isEmpty())
        GTEST_SKIP() << "PONDEL_WINDOWS_PROGRAM names no installed Windows program";
    e2e::XServer x;
    ASSERT_TRUE(x.ok()) << "Xvfb did not start";
    QTemporaryDir folder, hold;
    const QString kuro = program.left(program.lastIndexOf(QLatin1Char('\\'))) + QStringLiteral("\\samples\\kuro.pat");
    const QImage kuroSheet(unixPathInPrefix(kuro));
    ASSERT_FALSE(kuroSheet.isNull()) << "the installer put no readable kuro.pat at " << kuro.toStdString();

    // The same fish as a GIF and as a JPEG, in the tank's folder, named by Windows paths.
    const QString gifPath = QDir(folder.path()).filePath(QStringLiteral("緑_gif.pat"));
    const QString jpegPath = QDir(folder.path()).filePath(QStringLiteral("紫_jpeg.pat"));
    for (const auto& [path, bytes] : {std::pair{gifPath, tintedSheet(kuroSheet, gifTint, "gif")},
                                      std::pair{jpegPath, tintedSheet(kuroSheet, jpegTint, "jpeg")}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && bytes.size() > 0) << path.toStdString();
    }
    ASSERT_EQ(QImageReader(gifPath).format(), "gif");
    ASSERT_EQ(QImageReader(jpegPath).format(), "jpeg");
    ASSERT_EQ(builtInPixelsWhere(looksGreen), 0);
    ASSERT_EQ(builtInPixelsWhere(looksMagenta), 0);
    ASSERT_EQ(countWhere(kuroSheet, looksGreen) + countWhere(kuroSheet, looksMagenta), 0);

    TankSettings s;
    s.fishTotal = 5;
    s.lastKind = 3;
    s.kinds[0].count = 1;
    s.kinds[1] = {2, QStringLiteral("黒出目金"), kuro};
    s.kinds[2] = {1, QStringLiteral("緑"), windowsPath(gifPath)};
    s.kinds[3] = {1, QStringLiteral("紫"), windowsPath(jpegPath)};
    s.fishKindOf = {0, 1, 1, 2, 3};
    s.fish[1].spareText = QStringLiteral("そのまま");
    const QByteArray tail("tail bytes beyond the record");
    const QByteArray written = serializeSettings(s) + tail;
    ASSERT_TRUE(written.contains(*ansi::encode(kuro))) << "the path goes in as code page 932";
    {
        QFile f(QDir(folder.path()).filePath(QStringLiteral("SET")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(written) == written.size());
    }

    QProcess wine;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), x.display());
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    env.insert(QStringLiteral("PONDEL_FRAME_HOLD"), windowsPath(hold.path()));
    wine.setProcessEnvironment(env);
    wine.setWorkingDirectory(folder.path());
    wine.setProcessChannelMode(QProcess::ForwardedChannels);
    wine.start(QStringLiteral("wine"), {program});
    ASSERT_TRUE(wine.waitForStarted(5000));
    ASSERT_TRUE(x.waitForWindow(QStringLiteral("ぽんでる"), 60000)) << "no tank window";
    const QDir holdDir(hold.path());
    ASSERT_TRUE(e2e::waitUntil([&] { return holdDir.exists(QStringLiteral("ready")); }, 15000));

    // Swim a while, then hold: the screen must show exactly the frame the program holds.
    QThread::msleep(1500);
    QFile(holdDir.filePath(QStringLiteral("hold"))).open(QIODevice::WriteOnly);
    ASSERT_TRUE(e2e::waitUntil([&] { return holdDir.exists(QStringLiteral("frame.png")); }, 10000));
    const QImage frame = QImage(holdDir.filePath(QStringLiteral("frame.png"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(frame.size(), QSize(500, 300));
    const QImage screen = x.screenshot();
    std::optional<QPoint> at = e2e::locate(screen, frame);
    if (at && screen.copy(QRect(*at, frame.size())) != frame)
        at.reset();
    if (!at) {
        if (const QString keep = qEnvironmentVariable("PONDEL_E2E_KEEP"); !keep.isEmpty()) {
            frame.save(keep + QStringLiteral("/windows-frame.png"));
            screen.save(keep + QStringLiteral("/windows-screen.png"));
        }
    }
    ASSERT_TRUE(at) << "the held frame is nowhere on the screen";

    // The black kind swims: colours only its sheet has are in the frame.
    QSet<QRgb> onlyKuro = colours(kuroSheet, QRect(0, 0, kuroSheet.width(), 75));
    for (const char* builtIn : {"goldfish.bmp", "tank.bmp", "food.bmp", "bubbles.bmp"})
        onlyKuro.subtract(colours(QImage(QStringLiteral(PONDEL_SOURCE_DIR "/assets/") + QLatin1String(builtIn))));
    int kuroPixels = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            kuroPixels += onlyKuro.contains(frame.pixel(x, y));
    EXPECT_GT(kuroPixels, 300) << "no black fish from " << kuro.toStdString();
    EXPECT_GT(countWhere(frame, looksGreen), 300) << "no green fish from the GIF";
    EXPECT_GT(countWhere(frame, looksMagenta), 300) << "no magenta fish from the JPEG";

    QFile(holdDir.filePath(QStringLiteral("go"))).open(QIODevice::WriteOnly);
    QThread::msleep(500);
    // 終了, the menu bar's first item, just above the tank.
    x.xdotool({QStringLiteral("mousemove"), QString::number(at->x() + e2e::kMenuEndX),
               QString::number(at->y() - e2e::kMenuBarHeight / 2), QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(wine.waitForFinished(30000)) << "終了 did not end the program";
    EXPECT_EQ(wine.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(QDir(folder.path()).filePath(QStringLiteral("SET.lock"))));

    // Byte for byte, but for where the fish swam to.
    QFile f(QDir(folder.path()).filePath(QStringLiteral("SET")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray saved = f.readAll();
    TankSettings expected = s;
    const TankSettings back = parseSettings(saved);
    expected.fish = back.fish;
    expected.accessories = back.accessories;
    // Where the fish swam is the engine's; their spare texts must come back as written.
    for (int i = 0; i < kMaxFish; ++i)
        expected.fish[std::size_t(i)].spareText = s.fish[std::size_t(i)].spareText;
    EXPECT_EQ(saved, serializeSettings(expected) + tail);
}

}  // namespace

namespace {

// A top-level window as the window system reports it, in physical pixels.
struct NativeWindow {
    quint64 hwnd = 0;
    quint64 owner = 0;
    bool enabled = false;
    QRect outer;
    QRect client;
    QString title;
};

struct NativeDesktop {
    QSize screen;
    int dpi = 0;
    QList<NativeWindow> windows;  // the top of the stacking order first

    int indexOf(const QString& title) const
    {
        for (int i = 0; i < windows.size(); ++i)
            if (windows[i].title == title)
                return i;
        return -1;
    }
    std::optional<NativeWindow> find(const QString& title) const
    {
        const int i = indexOf(title);
        return i < 0 ? std::nullopt : std::optional<NativeWindow>(windows[i]);
    }
};

const QString kTank = QStringLiteral("ぽんでる");
const QString kDialog = QStringLiteral("設定");
const QString kChooser = QStringLiteral("ﾀﾞｲｱﾛｸﾞ");

// Wine in the prefix of WINEPREFIX, on `x`, inside a wine desktop of its own the size of
// the screen, with a task bar, at `dpi`: Windows' own window management (owners, stacking, frames), which
// wine leaves to the window manager when it has windows on the X server itself.
class WineDesktop {
public:
    WineDesktop(const e2e::XServer& x, int dpi) : x_(x)
    {
        wine({QStringLiteral("wineserver"), QStringLiteral("-k")});
        wine({QStringLiteral("wineserver"), QStringLiteral("-w")});
        // Wine gives the desktop named "shell" a task bar along its bottom edge.
        reg({QStringLiteral("HKCU\\Software\\Wine\\Explorer"), QStringLiteral("/v"), QStringLiteral("Desktop"),
             QStringLiteral("/d"), QStringLiteral("shell")});
        reg({QStringLiteral("HKCU\\Software\\Wine\\Explorer\\Desktops"), QStringLiteral("/v"), QStringLiteral("shell"),
             QStringLiteral("/d"), QStringLiteral("1280x1024")});
        reg({QStringLiteral("HKCU\\Control Panel\\Desktop"), QStringLiteral("/v"), QStringLiteral("LogPixels"),
             QStringLiteral("/t"), QStringLiteral("REG_DWORD"), QStringLiteral("/d"), QString::number(dpi)});
    }
    ~WineDesktop()
    {
        wine({QStringLiteral("wineserver"), QStringLiteral("-k")});
        wine({QStringLiteral("wineserver"), QStringLiteral("-w")});
        // Later runs in this prefix get wine's usual windows and dpi again.
        wine({QStringLiteral("wine"), QStringLiteral("reg"), QStringLiteral("delete"),
              QStringLiteral("HKCU\\Software\\Wine\\Explorer"), QStringLiteral("/v"), QStringLiteral("Desktop"),
              QStringLiteral("/f")});
        wine({QStringLiteral("wine"), QStringLiteral("reg"), QStringLiteral("delete"),
              QStringLiteral("HKCU\\Control Panel\\Desktop"), QStringLiteral("/v"), QStringLiteral("LogPixels"),
              QStringLiteral("/f")});
        wine({QStringLiteral("wineserver"), QStringLiteral("-w")});
    }

    QProcessEnvironment environment() const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), x_.display());
        env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
        env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml=;winemenubuilder.exe=d"));
        return env;
    }

    // Runs a wine command to its end; its exit code, its output in `out`.
    int wine(const QStringList& command, QByteArray* out = nullptr, int timeoutMs = 60000) const
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(command.front(), command.mid(1));
        if (!p.waitForStarted(5000))
            return -1;
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished(3000);
            return -1;
        }
        if (out)
            *out = p.readAllStandardOutput();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    NativeDesktop probe() const
    {
        NativeDesktop d;
        QByteArray out;
        wine({QStringLiteral("wine"), qEnvironmentVariable("PONDEL_WINDOWS_PROBE"), QStringLiteral("list")}, &out);
        for (const QByteArray& raw : out.split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            const QStringList f = line.split(QLatin1Char(' '));
            if (f.value(0) == QLatin1String("screen") && f.size() == 4) {
                d.screen = QSize(f[1].toInt(), f[2].toInt());
                d.dpi = f[3].toInt();
            } else if (f.value(0) == QLatin1String("window") && f.size() >= 12) {
                NativeWindow w;
                w.hwnd = f[1].toULongLong();
                w.owner = f[2].toULongLong();
                w.enabled = f[3] == QLatin1String("1");
                w.outer = QRect(QPoint(f[4].toInt(), f[5].toInt()), QPoint(f[6].toInt() - 1, f[7].toInt() - 1));
                w.client = QRect(QPoint(f[8].toInt(), f[9].toInt()), QPoint(f[10].toInt() - 1, f[11].toInt() - 1));
                w.title = f.mid(12).join(QLatin1Char(' '));
                d.windows << w;
            }
        }
        return d;
    }

    std::optional<NativeWindow> waitFor(const QString& title, int timeoutMs = 30000) const
    {
        std::optional<NativeWindow> w;
        e2e::waitUntil([&] { return (w = probe().find(title)).has_value(); }, timeoutMs, 250);
        return w;
    }
    bool waitUntilGone(const QString& title, int timeoutMs = 15000) const
    {
        return e2e::waitUntil([&] { return !probe().find(title); }, timeoutMs, 250);
    }

    // The wine desktop is an X window at the screen's origin: its pixels are the screen's.
    void click(QPoint at, int times = 1) const
    {
        x_.xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                    QStringLiteral("--repeat"), QString::number(times), QStringLiteral("--delay"), QStringLiteral("80"),
                    QStringLiteral("1")});
        QThread::msleep(400);
    }
    void closeBox(const QString& title) const
    {
        wine({QStringLiteral("wine"), qEnvironmentVariable("PONDEL_WINDOWS_PROBE"), QStringLiteral("close"), title});
        QThread::msleep(400);
    }

private:
    void reg(QStringList args) const
    {
        wine(QStringList{QStringLiteral("wine"), QStringLiteral("reg"), QStringLiteral("add")} + args
             + QStringList{QStringLiteral("/f")});
    }
    const e2e::XServer& x_;
};

// How much of `area` looks different between two screenshots, as a share of its pixels.
double changedShare(const QImage& before, const QImage& after, const QRect& area)
{
    return double(e2e::pixelsDiffering(before.copy(area), after.copy(area))) / double(area.width() * area.height());
}

TEST(WindowsProgram, TheDialogsAreOwnedStayInFrontAndTakeTheirSizeAndPlaceFromTheWindowSystem)
{
    const QString program = qEnvironmentVariable("PONDEL_WINDOWS_PROGRAM");
    if (program.isEmpty() || qEnvironmentVariableIsEmpty("PONDEL_WINDOWS_PROBE"))
        GTEST_SKIP() << "PONDEL_WINDOWS_PROGRAM and PONDEL_WINDOWS_PROBE name no installed Windows program";
    const QString installDir = program.left(program.lastIndexOf(QLatin1Char('\\')));

    for (const int dpi : {96, 120, 144}) {
        SCOPED_TRACE(dpi);
        const double scale = dpi / 96.0;
        auto scaled = [scale](int v) { return int(std::lround(v * scale)); };
        e2e::XServer x;
        ASSERT_TRUE(x.ok()) << "Xvfb did not start";
        WineDesktop desk(x, dpi);
        QTemporaryDir folder;
        {
            // A picture for the chooser to offer in the folder it opens in.
            QImage sheet(150, 150, QImage::Format_RGB32);
            sheet.fill(Qt::white);
            ASSERT_TRUE(sheet.save(QDir(folder.path()).filePath(QStringLiteral("a.pat")), "BMP"));
        }

        QProcess tankProcess;
        tankProcess.setProcessEnvironment(desk.environment());
        tankProcess.setWorkingDirectory(folder.path());
        tankProcess.setProcessChannelMode(QProcess::ForwardedChannels);
        tankProcess.start(QStringLiteral("wine"), {program});
        ASSERT_TRUE(tankProcess.waitForStarted(5000));
        const std::optional<NativeWindow> tank = desk.waitFor(kTank, 60000);
        ASSERT_TRUE(tank) << "no tank window";
        QThread::msleep(1000);  // placed again, should Windows' frame have changed

        // The tank's outer window centred on the screen; its inner area the 500 x 300 tank
        // below the menu bar.
        NativeDesktop d = desk.probe();
        ASSERT_EQ(d.dpi, dpi);
        const NativeWindow t = *d.find(kTank);
        std::printf("dpi %d: tank outer %d x %d at (%d, %d), screen %d x %d\n", dpi, t.outer.width(), t.outer.height(),
                    t.outer.x(), t.outer.y(), d.screen.width(), d.screen.height());
        EXPECT_NEAR(t.outer.left() + t.outer.right() + 1, d.screen.width(), 2) << "not centred across";
        EXPECT_NEAR(t.outer.top() + t.outer.bottom() + 1, d.screen.height(), 2) << "not centred down";
        EXPECT_EQ(t.client.width(), scaled(kTankWidth));

        // 設定 ▸ 数＆種類: the dialog, owned by the tank, 300 x 340 outside and centred.
        const QPoint menu = t.client.topLeft();
        desk.click(menu + QPoint(scaled(e2e::kMenuSetX), scaled(e2e::kMenuBarY)));
        desk.click(menu + QPoint(scaled(e2e::kMenuSetX + 12), scaled(e2e::kMenuBarY + e2e::kFirstItemDy)));
        const std::optional<NativeWindow> opened = desk.waitFor(kDialog);
        ASSERT_TRUE(opened) << "no settings dialog";
        QThread::msleep(1000);
        d = desk.probe();
        const NativeWindow dialog = *d.find(kDialog);
        std::printf("dpi %d: dialog outer %d x %d at (%d, %d)\n", dpi, dialog.outer.width(), dialog.outer.height(),
                    dialog.outer.x(), dialog.outer.y());
        // Exact at 96 dpi; at a fractional scale Qt rounds the frame to its own pixels.
        const int slack = dpi == 96 ? 0 : 2;
        EXPECT_NEAR(dialog.outer.width(), scaled(300), slack);
        EXPECT_NEAR(dialog.outer.height(), scaled(340), slack);
        EXPECT_NEAR(dialog.outer.left() + dialog.outer.right() + 1, d.screen.width(), 2);
        EXPECT_NEAR(dialog.outer.top() + dialog.outer.bottom() + 1, d.screen.height(), 2);
        EXPECT_EQ(dialog.owner, t.hwnd) << "the dialog is not owned by the tank";
        const QImage dialogShown = x.screenshot();

        // The chooser, owned by the dialog, closed every way it can be: the dialog must be
        // in front of the tank each time, and look as it did.
        const int frameLeft = (dialog.client.width() - scaled(280)) / 2;
        const QPoint kinTui = dialog.client.topLeft() + QPoint(frameLeft + scaled(173 + 26), scaled(10 + 53 + 8));
        struct Way {
            const char* name;
            std::function<void(const NativeWindow&)> close;
        };
        const std::vector<Way> ways = {
            {"ｷｬﾝｾﾙ", [&](const NativeWindow& c) { desk.click(c.client.topLeft() + QPoint(scaled(249), scaled(190))); }},
            {"the close box", [&](const NativeWindow&) { desk.closeBox(kChooser); }},
            {"a double-click on a file",
             [&](const NativeWindow& c) { desk.click(c.client.topLeft() + QPoint(scaled(180), scaled(12)), 2); }},
            {"OK", [&](const NativeWindow& c) {
                 desk.click(c.client.topLeft() + QPoint(scaled(180), scaled(12)));
                 desk.click(c.client.topLeft() + QPoint(scaled(188), scaled(190)));
             }},
        };
        for (std::size_t w = 0; w < (dpi == 96 ? ways.size() : 1); ++w) {
            SCOPED_TRACE(ways[w].name);
            desk.click(kinTui);
            const std::optional<NativeWindow> chooser = desk.waitFor(kChooser);
            ASSERT_TRUE(chooser) << "no chooser";
            EXPECT_EQ(chooser->owner, dialog.hwnd) << "the chooser is not owned by the dialog";
            ways[w].close(*chooser);
            ASSERT_TRUE(desk.waitUntilGone(kChooser)) << "the chooser stayed open";
            QThread::msleep(700);
            d = desk.probe();
            ASSERT_GE(d.indexOf(kDialog), 0);
            EXPECT_LT(d.indexOf(kDialog), d.indexOf(kTank)) << "the tank came in front of the dialog";
            // The kinds list may have gained a line; the rest of the dialog is as it was.
            EXPECT_LT(changedShare(dialogShown, x.screenshot(), dialog.outer), 0.15) << "the dialog is covered";
        }

        if (const QString keep = qEnvironmentVariable("PONDEL_E2E_KEEP"); !keep.isEmpty())
            x.screenshot().save(keep + QStringLiteral("/windows-dialog-%1dpi.png").arg(dpi));

        // A click on the disabled tank leaves the dialog in front.
        desk.click(t.client.center());
        QThread::msleep(500);
        d = desk.probe();
        EXPECT_LT(d.indexOf(kDialog), d.indexOf(kTank)) << "a click on the tank hid the dialog";
        EXPECT_LT(changedShare(dialogShown, x.screenshot(), dialog.outer), 0.15) << "the dialog is covered";

        // So does the tank's button on the task bar (the window along the bottom edge; the
        // dialog, owned, has no button of its own and the tank's is the first).
        std::optional<QRect> taskBar;
        for (const NativeWindow& w : d.windows)
            if (w.title.isEmpty() && w.outer.bottom() == d.screen.height() - 1 && w.outer.width() == d.screen.width())
                taskBar = w.outer;
        EXPECT_TRUE(taskBar) << "no task bar";
        if (taskBar) {
            desk.click(QPoint(taskBar->left() + scaled(150), taskBar->center().y()));
            QThread::msleep(500);
            d = desk.probe();
            EXPECT_LT(d.indexOf(kDialog), d.indexOf(kTank)) << "the task bar brought the tank in front";
            EXPECT_LT(changedShare(dialogShown, x.screenshot(), dialog.outer), 0.15) << "the dialog is covered";
        }

        if (dpi == 96) {
            // The uninstaller finds the tank running; it asks it to close, the open dialog
            // keeps it open, and the uninstaller touches nothing.
            const int code = desk.wine({QStringLiteral("wine"), installDir + QStringLiteral("\\uninstall.exe"),
                                        QStringLiteral("/S"), QStringLiteral("_?=") + installDir},
                                       nullptr, 90000);
            EXPECT_EQ(code, 2) << "the uninstaller did not refuse";
            for (const char* f : {"pondel.exe", "pondel-sheet.exe", "Qt6Core.dll", "Qt6Widgets.dll",
                                  "platforms\\qwindows.dll", "imageformats\\qgif.dll", "imageformats\\qjpeg.dll",
                                  "samples\\kuro.pat", "uninstall.exe"})
                EXPECT_TRUE(QFile::exists(unixPathInPrefix(installDir + QLatin1Char('\\') + QLatin1String(f)))) << f;
            EXPECT_EQ(tankProcess.state(), QProcess::Running);
            EXPECT_TRUE(desk.probe().find(kDialog)) << "the dialog went away";
        }

        // ｷｬﾝｾﾙ on the dialog, then 終了.
        desk.closeBox(kDialog);
        ASSERT_TRUE(desk.waitUntilGone(kDialog));
        desk.click(menu + QPoint(scaled(e2e::kMenuEndX), scaled(e2e::kMenuBarY)));
        ASSERT_TRUE(tankProcess.waitForFinished(30000)) << "終了 did not end the program";
        if (HasFailure()) {
            if (const QString keep = qEnvironmentVariable("PONDEL_E2E_KEEP"); !keep.isEmpty())
                x.screenshot().save(keep + QStringLiteral("/windows-desktop-%1.png").arg(dpi));
            return;
        }
    }
}

}  // namespace
