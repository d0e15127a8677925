#include "engine/picture_loader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

QByteArray encoded(const QImage& img, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return bytes;
}

void put16(QByteArray& bytes, int at, int v, bool bigEndian)
{
    bytes[at + (bigEndian ? 0 : 1)] = char((v >> 8) & 0xFF);
    bytes[at + (bigEndian ? 1 : 0)] = char(v & 0xFF);
}

// Three by two pixels, orange and white like a checkerboard: a GIF by hand, as Qt writes none.
QByteArray tinyGif()
{
    return QByteArray::fromHex("474946383961" "03000200" "800000" "ff8000ffffff"
                               "2c" "00000000" "03000200" "00" "02" "0444881029" "00" "3b");
}

long peakMemoryMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

class HostilePictures : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = QDir(dir.path()).filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(HostilePictures, HeadersClaimingSixtyThousandPixelsASideAreRefusedWithoutTheMemory)
{
    QImage small(16, 8, QImage::Format_RGB32);
    small.fill(Qt::red);

    QByteArray png = encoded(small, "png");
    QByteArray jpeg = encoded(small, "jpeg");
    const int sof = int(jpeg.indexOf("\xFF\xC0"));
    ASSERT_GT(sof, 0);
    put16(jpeg, sof + 5, 60000, true);
    put16(jpeg, sof + 7, 60000, true);
    QByteArray gif = tinyGif();
    for (int at : {6, 8, 24, 26})  // logical screen, then the image itself
        put16(gif, at, 60000, false);
    QByteArray bmp = encoded(small, "bmp");
    bmp.replace(18, 8, QByteArray::fromHex("60ea000060ea0000"));
    // PNG keeps a checksum over its header; rebuild the picture instead of patching it.
    const QByteArray pngWide = encoded(QImage(kMaxPictureSide + 1, 1, QImage::Format_RGB32), "png");

    const long before = peakMemoryMiB();
    for (const auto& [name, bytes] : {std::pair{"huge.jpg", jpeg}, std::pair{"huge.gif", gif},
                                      std::pair{"huge.bmp", bmp}, std::pair{"wide.png", pngWide}}) {
        const LoadedPicture loaded = loadPicture(write(QString::fromLatin1(name), bytes));
        EXPECT_FALSE(loaded.ok()) << name;
        EXPECT_FALSE(loaded.error.isEmpty()) << name;
    }
    EXPECT_LT(peakMemoryMiB() - before, 200) << "a claimed size must not be allocated";

    // The limit itself: one pixel more is too big, the side itself loads.
    EXPECT_EQ(loadPicture(write(QStringLiteral("wide.png"), pngWide)).error, QStringLiteral("画像が大きすぎます"));
    const LoadedPicture edge =
        loadPicture(write(QStringLiteral("edge.png"), encoded(QImage(kMaxPictureSide, 2, QImage::Format_RGB32), "png")));
    EXPECT_TRUE(edge.ok()) << qPrintable(edge.error);
}

TEST_F(HostilePictures, BrokenAndStrangeFilesAreRefusedWithAReasonAndTinyOnesLoad)
{
    const QByteArray png = encoded(QImage(900, 150, QImage::Format_RGB32), "png");
    const QStringList refused = {
        write(QStringLiteral("note.pat"), "not a picture at all\n"),
        write(QStringLiteral("cut.pat"), png.left(png.size() / 2)),
        write(QStringLiteral("header.acc"), encoded(QImage(3, 2, QImage::Format_RGB32), "bmp").left(30)),
        write(QStringLiteral("empty.acc"), {}),
        QDir(dir.path()).filePath(QStringLiteral("missing.acc")),
        dir.path(),
        QString(),
    };
    for (const QString& path : refused) {
        const LoadedPicture loaded = loadPicture(path);
        EXPECT_FALSE(loaded.ok()) << qPrintable(path);
        EXPECT_FALSE(loaded.error.isEmpty()) << qPrintable(path);
    }

    const LoadedPicture gif = loadPicture(write(QStringLiteral("tiny.pat"), tinyGif()));
    ASSERT_TRUE(gif.ok()) << qPrintable(gif.error);
    EXPECT_EQ(gif.image.size(), QSize(3, 2));
    EXPECT_EQ(gif.image.format(), QImage::Format_RGB32);
    EXPECT_EQ(gif.image.pixel(0, 0), qRgb(255, 128, 0));
    EXPECT_EQ(gif.image.pixel(1, 0), qRgb(255, 255, 255));
}

}  // namespace
