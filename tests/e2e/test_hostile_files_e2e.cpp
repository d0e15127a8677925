#include "e2e/e2e_harness.h"

#include "app/settings_file.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

QByteArray encoded(const QImage& img, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return bytes;
}

QByteArray le16(int v)
{
    return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF);
}
QByteArray le32(qint64 v)
{
    return le16(int(v & 0xFFFF)) + le16(int((v >> 16) & 0xFFFF));
}

// A 24-bit BMP whose header claims 60000 x 60000 pixels and which holds none of them.
QByteArray enormousBmpHeader()
{
    const qint64 w = 60000, h = 60000, image = w * h * 3;
    return "BM" + le32(54 + image) + le32(0) + le32(54) + le32(40) + le32(w) + le32(h) + le16(1) + le16(24)
        + le32(0) + le32(image) + le32(2835) + le32(2835) + le32(0) + le32(0);
}

// Peak resident memory of a process, in MiB; -1 when it cannot be read.
int peakMemoryMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return int(line.mid(6).trimmed().split(' ').front().toLongLong() / 1024);
    }
    return -1;
}

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!x.ok())
            GTEST_SKIP() << "Xvfb is not available";
    }

    // Dismisses every message box titled "ｴﾗｰ" as it comes and counts them; stops once
    // none has come for `quietMs`.
    int dismissErrorMessages(int firstTimeoutMs, int quietMs)
    {
        int count = 0;
        int timeout = firstTimeoutMs;
        while (auto box = x.waitForWindow(QStringLiteral("ｴﾗｰ"), timeout)) {
            ++count;
            // Without a window manager nothing gives the new box the keyboard; give it
            // ourselves, then press Return as a person would.
            x.xdotool({QStringLiteral("windowfocus"), *box});
            QThread::msleep(100);
            x.xdotool({QStringLiteral("key"), QStringLiteral("Return")});
            const bool gone = e2e::waitUntil(
                [&] { return x.findWindow(QStringLiteral("ｴﾗｰ")) != box; }, 5000, 100);
            if (!gone || count > 20)
                break;  // a box that Return does not close: the count says so
            timeout = quietMs;
        }
        return count;
    }

    e2e::XServer x;
};

TEST_F(HostileFiles, BrokenPicturesAreReportedOneByOneAndTheRecordKeepsNamingThem)
{
    e2e::Pondel app(x);
    app.writeFile(QStringLiteral("メモ.pat"), QStringLiteral("これは絵ではありません\n").toUtf8());
    const QByteArray png = encoded(QImage(900, 150, QImage::Format_RGB32), "png");
    app.writeFile(QStringLiteral("cut.pat"), png.left(png.size() / 2));
    QImage tiny(3, 2, QImage::Format_RGB32);
    tiny.fill(qRgb(200, 40, 40));
    app.writeFile(QStringLiteral("tiny.pat"), encoded(tiny, "png"));
    app.writeFile(QStringLiteral("huge.acc"), enormousBmpHeader());
    app.writeFile(QStringLiteral("cut.acc"), encoded(tiny, "bmp").left(30));
    app.writeFile(QStringLiteral("tiny.acc"), encoded(tiny, "bmp"));

    TankSettings s;
    s.fishTotal = 4;
    s.lastKind = 3;
    s.kinds[0].count = 1;
    s.kinds[1] = {1, QStringLiteral("メモ"), app.path(QStringLiteral("メモ.pat"))};
    s.kinds[2] = {1, QStringLiteral("cut"), app.path(QStringLiteral("cut.pat"))};
    s.kinds[3] = {1, QStringLiteral("tiny"), app.path(QStringLiteral("tiny.pat"))};
    s.fishKindOf = {0, 1, 2, 3, 0};
    for (int i = 0; i < 4; ++i)
        s.fish[std::size_t(i)] = {std::int16_t(60 + 90 * i), 0, std::int16_t(i % 2 ? 1 : 4), 375, 0, {}, 0};
    s.accessories[0] = {QStringLiteral("huge"), app.path(QStringLiteral("huge.acc")), 20, 210, 0, 100, 200, 100, 0};
    s.accessories[1] = {QStringLiteral("gone"), app.path(QStringLiteral("gone.acc")), 100, 90, 0, 200, 100, 200, 1};
    s.accessories[2] = {QStringLiteral("cut"), app.path(QStringLiteral("cut.acc")), 300, 90, 0, 200, 100, 200, 2};
    s.accessories[3] = {QStringLiteral("tiny"), app.path(QStringLiteral("tiny.acc")), 400, 90, 0, 200, 100, 200, 3};
    s.accessoryCount = 4;
    app.writeFile(QStringLiteral("SET"), serializeSettings(s));

    ASSERT_TRUE(app.start());
    // The text file, the two cut files, the enormous header and the missing file; the
    // two 3 x 2 pictures load.
    EXPECT_EQ(dismissErrorMessages(15000, 2500), 5);

    ASSERT_EQ(app.process().state(), QProcess::Running);
    ASSERT_TRUE(x.findWindow(QStringLiteral("ぽんでる")));
    const int peak = peakMemoryMiB(app.process().processId());
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, 1024) << "a header claiming 60000 x 60000 pixels must not be allocated";

    // Still animating: the fish move between two looks at the tank.
    const QImage before = app.tank();
    QThread::msleep(700);
    const QImage after = app.tank();
    ASSERT_EQ(before.size(), QSize(500, 300));
    EXPECT_GT(e2e::pixelsDiffering(before, after), 50);

    x.click(app.window(), e2e::kMenuEndX, e2e::kMenuBarY);
    ASSERT_TRUE(app.waitForExit());
    EXPECT_EQ(app.process().exitCode(), 0);

    const TankSettings saved = parseSettings(app.readFile(QStringLiteral("SET")));
    EXPECT_EQ(saved.lastKind, 3);
    EXPECT_EQ(saved.accessoryCount, 4);
    for (int i = 0; i < kKindEntries; ++i) {
        EXPECT_EQ(saved.kinds[std::size_t(i)].name, s.kinds[std::size_t(i)].name) << "kind " << i;
        EXPECT_EQ(saved.kinds[std::size_t(i)].patternPath, s.kinds[std::size_t(i)].patternPath) << "kind " << i;
        EXPECT_EQ(saved.kinds[std::size_t(i)].count, s.kinds[std::size_t(i)].count) << "kind " << i;
    }
    for (int j = 0; j < kMaxAccessories; ++j) {
        EXPECT_EQ(saved.accessories[std::size_t(j)].name, s.accessories[std::size_t(j)].name) << "accessory " << j;
        EXPECT_EQ(saved.accessories[std::size_t(j)].picturePath, s.accessories[std::size_t(j)].picturePath)
            << "accessory " << j;
    }
    EXPECT_EQ(saved.fishKindOf, s.fishKindOf);
}

}  // namespace
