// Writes the fuzzers' starting inputs: SET records from the program's own serializer and
// small pictures drawn here, in every format the loader takes, plus a few broken ones.
// Usage: pondel-fuzz-seeds FOLDER  (creates FOLDER/settings and FOLDER/picture)

#include "app/settings_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <cstdint>
#include <cstdio>

namespace {

QDir g_settings;
QDir g_picture;

void put(const QDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
        std::exit(1);
    }
}

enum Choice : char { kPattern = 0, kAccessory = 1, kFeeding = 8 };
char accessoryAt(int position) { return char(kAccessory | (position << 1)); }

void putPicture(const QString& name, char choices, const QByteArray& file)
{
    put(g_picture, name, QByteArray(1, choices) + file);
}

QByteArray encoded(const QImage& img, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(img)) {
        std::fprintf(stderr, "cannot encode %s: %s\n", format, qPrintable(writer.errorString()));
        std::exit(1);
    }
    return bytes;
}

// A sheet by the convention: flat blobs on white in the top row, their black silhouettes
// in the row below.
QImage sheet(int cells, int cellW, int cellH, QColor colour)
{
    QImage img(cells * cellW, 2 * cellH, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    for (int c = 0; c < cells; ++c) {
        const QRect blob(c * cellW + cellW / 5 + c % 3, cellH / 4, cellW / 2, cellH / 2);
        p.setBrush(colour);
        p.drawEllipse(blob);
        p.setBrush(Qt::black);
        p.drawEllipse(blob.translated(0, cellH));
    }
    return img;
}

QByteArray le16(int v)
{
    return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF);
}
QByteArray le32(qint64 v)
{
    return le16(int(v & 0xFFFF)) + le16(int((v >> 16) & 0xFFFF));
}

std::uint32_t crc32(const QByteArray& bytes)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (char ch : bytes) {
        c ^= static_cast<unsigned char>(ch);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

// A PNG that is all signature and header, claiming width x height pixels.
QByteArray pngHeaderOnly(int width, int height)
{
    auto be32 = [](std::uint32_t v) {
        return QByteArray(1, char(v >> 24)) + char(v >> 16) + char(v >> 8) + char(v);
    };
    const QByteArray chunk = "IHDR" + be32(std::uint32_t(width)) + be32(std::uint32_t(height))
        + QByteArray::fromHex("0802000000");
    return QByteArray::fromHex("89504e470d0a1a0a") + be32(13) + chunk + be32(crc32(chunk));
}

// A 24-bit BMP header claiming width x height pixels, followed by no pixels at all.
QByteArray bmpHeaderOnly(int width, int height)
{
    const qint64 image = qint64(width) * height * 3;
    return "BM" + le32(54 + image) + le32(0) + le32(54) + le32(40) + le32(width) + le32(height) + le16(1)
        + le16(24) + le32(0) + le32(image) + le32(2835) + le32(2835) + le32(0) + le32(0);
}

// Three by two pixels, two colours: a GIF89a by hand, since Qt writes no GIF.
QByteArray tinyGif()
{
    // Codes of three bits throughout: a clear code before the table would need a fourth.
    return QByteArray::fromHex("474946383961" "03000200" "800000" "ff8000ffffff"
                               "2c" "00000000" "03000200" "00" "02" "0444881029" "00" "3b");
}

void writePictureSeeds()
{
    const QImage pattern = sheet(12, 75, 75, QColor(255, 128, 0));
    putPicture(QStringLiteral("pattern.png"), kPattern, encoded(pattern, "png"));
    putPicture(QStringLiteral("pattern-feeding.png"), char(kPattern | kFeeding), encoded(pattern, "png"));
    putPicture(QStringLiteral("landscape.png"), accessoryAt(2), encoded(sheet(10, 200, 100, QColor(40, 120, 40)), "png"));
    putPicture(QStringLiteral("portrait.png"), accessoryAt(3), encoded(sheet(10, 100, 200, QColor(120, 60, 20)), "png"));

    const QImage oneCell = sheet(1, 75, 75, QColor(0, 0, 255));
    putPicture(QStringLiteral("cell-8bit.bmp"), kPattern, encoded(oneCell.convertToFormat(QImage::Format_Indexed8), "bmp"));
    putPicture(QStringLiteral("cell.jpg"), accessoryAt(0), encoded(oneCell, "jpeg", 40));
    putPicture(QStringLiteral("cell.ppm"), kPattern, encoded(oneCell.scaled(15, 30), "ppm"));
    putPicture(QStringLiteral("cell.xpm"), accessoryAt(1), encoded(oneCell.scaled(6, 12).convertToFormat(QImage::Format_Indexed8), "xpm"));

    QImage alpha(75, 150, QImage::Format_ARGB32);
    alpha.fill(Qt::transparent);
    {
        QPainter p(&alpha);
        p.setBrush(QColor(200, 0, 0, 128));
        p.drawEllipse(10, 10, 50, 50);
    }
    putPicture(QStringLiteral("alpha.png"), kPattern, encoded(alpha, "png"));

    putPicture(QStringLiteral("tiny.gif"), kPattern, tinyGif());
    putPicture(QStringLiteral("tiny.png"), accessoryAt(1), encoded(QImage(3, 2, QImage::Format_RGB32), "png"));

    // Broken files: a header claiming an enormous picture, cut-off files, text.
    putPicture(QStringLiteral("huge.bmp"), kPattern, bmpHeaderOnly(60000, 60000));
    putPicture(QStringLiteral("wide.bmp"), accessoryAt(2), bmpHeaderOnly(8000, 4000));
    const QByteArray png = encoded(pattern, "png");
    putPicture(QStringLiteral("huge.png"), kAccessory, pngHeaderOnly(60000, 60000));
    putPicture(QStringLiteral("cut.png"), kPattern, png.left(png.size() / 2));
    const QByteArray bmp = encoded(oneCell, "bmp");
    putPicture(QStringLiteral("cut.bmp"), kPattern, bmp.left(bmp.size() / 3));
    putPicture(QStringLiteral("text.acc"), kAccessory, "this is a note, not a picture\n");
}

TankSettings fullRecord()
{
    TankSettings s;
    s.fishTotal = 5;
    s.lastKind = 3;
    s.kinds[0].count = 2;
    s.kinds[1] = {1, QStringLiteral("らんちゅう"), QStringLiteral("C:\\金魚\\らんちゅう.pat")};
    s.kinds[2] = {1, QStringLiteral("demekin"), QStringLiteral("/home/user/fish/demekin.pat")};
    s.kinds[3] = {1, QStringLiteral("ｼﾞｬｲｱﾝﾄ"), QStringLiteral("D:\\pat\\ｼﾞｬｲｱﾝﾄ.pat")};
    s.kinds[4] = {0, QStringLiteral("unused"), QStringLiteral("unused.pat")};
    for (int i = 0; i < kMaxFish; ++i)
        s.fish[std::size_t(i)] = {std::int16_t(80 * i), std::int16_t(40 * i), std::int16_t(i), 375,
                                  std::int16_t(i * 11), i == 2 ? QStringLiteral("予備") : QString(), 0};
    s.fishKindOf = {0, 0, 1, 2, 3};
    s.accessories[0] = {QStringLiteral("水草"), QStringLiteral("C:\\acc\\水草.acc"), 20, 90, 300, 200, 100, 200, 0};
    s.accessories[1] = {QStringLiteral("岩"), QStringLiteral("/acc/rock.acc"), 200, 210, 1800, 100, 200, 100, 2};
    s.accessoryCount = 2;
    s.reserved = 7;
    return s;
}

void writeSettingsSeeds()
{
    put(g_settings, QStringLiteral("empty"), {});
    TankSettings firstRun;
    firstRun.fishTotal = 1;
    firstRun.kinds[0].count = 1;
    put(g_settings, QStringLiteral("first-run"), serializeSettings(firstRun));

    const QByteArray full = serializeSettings(fullRecord());
    put(g_settings, QStringLiteral("full"), full);
    put(g_settings, QStringLiteral("full-with-tail"), full + QByteArray("old bytes beyond the record"));
    for (int cut : {3, 40, 120, int(full.size()) - 3})
        put(g_settings, QStringLiteral("cut-%1").arg(cut), full.left(cut));

    // Texts that are not code page 932 characters: kept byte for byte.
    TankSettings odd = fullRecord();
    odd.kinds[1].name = QString::fromUtf16(u"\xDC81\xDCFF") + QStringLiteral("x");
    odd.fish[4].spareText = QString::fromUtf16(u"\xDCA0\xDC80");
    put(g_settings, QStringLiteral("escapes"), serializeSettings(odd));

    TankSettings damaged = fullRecord();
    damaged.fishTotal = 32767;
    damaged.lastKind = -2;
    damaged.kinds[0].count = -32768;
    damaged.fishKindOf = {9, -1, 4, 32767, 3};
    damaged.accessoryCount = 300;
    damaged.accessories[2].frameWidth = -200;
    damaged.accessories[3].maskY = 32767;
    damaged.fish[0] = {32767, -32768, 77, 32767, 0, {}, 5};
    damaged.reserved = 0x1F;
    put(g_settings, QStringLiteral("damaged"), serializeSettings(damaged));

    // A text count that runs past the end of the file.
    QByteArray overlong = serializeSettings(firstRun);
    overlong[6] = char(0xFF);
    overlong[7] = char(0x7F);
    put(g_settings, QStringLiteral("overlong-text"), overlong);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir root(QString::fromLocal8Bit(argv[1]));
    if (!root.mkpath(QStringLiteral("settings")) || !root.mkpath(QStringLiteral("picture"))) {
        std::fprintf(stderr, "cannot create the seed folders in %s\n", argv[1]);
        return 1;
    }
    g_settings = QDir(root.filePath(QStringLiteral("settings")));
    g_picture = QDir(root.filePath(QStringLiteral("picture")));
    writeSettingsSeeds();
    writePictureSeeds();
    return 0;
}
