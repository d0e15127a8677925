#include "e2e/e2e_harness.h"

#include "app/ansi_text.h"
#include "app/settings_file.h"

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

TEST(WindowsProgram, AKindNamedByAWindowsPathSwimsTheScreenShowsTheHeldFrameAndEndWritesSetBack)
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

    TankSettings s;
    s.fishTotal = 5;
    s.lastKind = 1;
    s.kinds[0].count = 2;
    s.kinds[1] = {3, QStringLiteral("黒出目金"), kuro};
    s.fishKindOf = {0, 0, 1, 1, 1};
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
