#include "engine/picture_loader.h"
#include "peak_memory.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
    EXPECT_EQ(gif.image.format(), QImage::Format_RGB32) << "a small sheet is kept at 32 bits";
    EXPECT_EQ(gif.image.pixel(0, 0), qRgb(255, 128, 0));
    EXPECT_EQ(gif.image.pixel(1, 0), qRgb(255, 255, 255));
}

TEST_F(HostilePictures, AccessorySheetsOfAtMost256ColoursAreKeptAt8BitsWithTheirExactColours)
{
    // 256 colours fit and read back exactly, white and black first; one more keeps 32 bits.
    QImage picture(256, 3, QImage::Format_RGB32);
    picture.fill(qRgb(255, 255, 255));
    for (int x = 0; x < 254; ++x)
        picture.setPixel(x, 0, qRgb(x, (x * 7) % 256, 255 - x));
    picture.setPixel(254, 0, qRgb(0, 0, 0));
    picture.setPixel(255, 2, qRgb(1, 2, 3));
    const QImage fits = picture.copy(0, 0, 256, 2);
    const QImage eight = compactSheet(fits);
    ASSERT_EQ(eight.format(), QImage::Format_Indexed8);
    EXPECT_EQ(eight.colorCount(), 256);
    EXPECT_EQ(eight.color(0), qRgb(255, 255, 255));
    EXPECT_EQ(eight.color(1), qRgb(0, 0, 0));
    EXPECT_EQ(eight.convertToFormat(QImage::Format_RGB32), fits);
    EXPECT_EQ(compactSheet(picture).format(), QImage::Format_RGB32);
    EXPECT_EQ(compactSheet(picture), picture);

    // Through the loader: accessory sheets of few colours at 8 bits, whether the file is
    // 32 or 8 bits (a short palette is completed); a pattern sheet at 32 bits.
    QImage accessory = picture.scaled(2000, 200).convertToFormat(QImage::Format_RGB32);
    accessory.fill(qRgb(255, 255, 255));
    for (int x = 0; x < 2000; ++x)
        accessory.setPixel(x, x % 200, qRgb(x % 200, 0, 50));
    const LoadedPicture png = loadPicture(write(QStringLiteral("wide.acc"), encoded(accessory, "png")));
    ASSERT_EQ(png.image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(png.image.convertToFormat(QImage::Format_RGB32), accessory);
    QImage palette(1000, 400, QImage::Format_Indexed8);
    palette.setColorTable({qRgb(10, 20, 30), qRgb(255, 255, 255)});
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 1000; ++x)
            palette.scanLine(y)[x] = uchar((x + y) % 3 == 0);
    const LoadedPicture bmp = loadPicture(write(QStringLiteral("tall.acc"), encoded(palette, "bmp")));
    ASSERT_EQ(bmp.image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(bmp.image.colorCount(), 256);
    EXPECT_EQ(bmp.image.convertToFormat(QImage::Format_RGB32), palette.convertToFormat(QImage::Format_RGB32));
    const LoadedPicture pattern =
        loadPicture(write(QStringLiteral("few.pat"), encoded(accessory.copy(0, 0, 900, 150), "png")));
    EXPECT_EQ(pattern.image.format(), QImage::Format_RGB32);
}

}  // namespace
