#include "engine/picture_loader.h"

#include "engine/surface.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cstdint>

LoadedPicture loadPicture(const QString& path)
{
    if (path.isEmpty())
        return {{}, QStringLiteral("ファイル名がありません")};
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, QStringLiteral("ファイルが見つかりません")};
    if (!info.isFile())
        return {{}, QStringLiteral("ファイルではありません")};

    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide))
        return {{}, QStringLiteral("画像が大きすぎます")};
    QImage image = reader.read();
    if (image.isNull())
        return {{}, QStringLiteral("画像として読み込めません")};
    if (image.width() > kMaxPictureSide || image.height() > kMaxPictureSide)
        return {{}, QStringLiteral("画像が大きすぎます")};

    if (image.hasAlphaChannel()) {
        QImage flat = makeSurface(image.width(), image.height());
        QPainter p(&flat);
        p.drawImage(0, 0, image);
        p.end();
        image = flat;
    }
    return {keptSheet(image), {}};
}

QImage keptSheet(const QImage& picture)
{
    if (qint64(picture.width()) * picture.height() >= kEightBitSheetPixels)
        return compactSheet(picture);
    return picture.convertToFormat(QImage::Format_RGB32);
}

namespace {
// Moves white to index 0 and black to index 1 where the sheet has them, the order the
// masked transfer draws fastest.
QImage whiteAndBlackFirst(QImage sheet)
{
    QList<QRgb> table = sheet.colorTable();
    std::array<uchar, 256> remap;
    for (int k = 0; k < 256; ++k)
        remap[std::size_t(k)] = uchar(k);
    bool moved = false;
    for (auto [colour, place] : {std::pair{0xFFFFFFFFu, 0}, std::pair{0xFF000000u, 1}}) {
        const auto found = std::find(table.begin() + place, table.end(), colour);
        if (found == table.end() || found - table.begin() == place)
            continue;
        const int from = int(found - table.begin());
        std::swap(table[from], table[place]);
        for (uchar& r : remap)
            r = r == from ? uchar(place) : r == place ? uchar(from) : r;
        moved = true;
    }
    if (!moved)
        return sheet;
    sheet.setColorTable(table);
    for (int y = 0; y < sheet.height(); ++y) {
        uchar* line = sheet.scanLine(y);
        for (int x = 0; x < sheet.width(); ++x)
            line[x] = remap[line[x]];
    }
    return sheet;
}
}  // namespace

QImage compactSheet(const QImage& picture)
{
    if (picture.isNull())
        return picture;
    if (picture.format() == QImage::Format_Indexed8 && !picture.hasAlphaChannel()) {
        // Already 8 bits: only complete the table, as QImage's conversion to RGB32 reads
        // a short or missing one, so that every index has its colour.
        const QList<QRgb> table = picture.colorTable();
        QList<QRgb> full(256);
        for (int k = 0; k < 256; ++k)
            full[k] = 0xFF000000 | (table.isEmpty() ? qRgb(k, k, k) : k < table.size() ? table[k] : 0);
        QImage sheet = picture;
        sheet.setColorTable(full);
        return whiteAndBlackFirst(sheet);
    }

    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    QList<QRgb> table;
    table.reserve(256);
    // Open addressing over the colours met so far; 1024 slots for at most 257 of them.
    constexpr std::uint32_t kEmpty = 0xFFFFFFFF;  // never a colour: the top byte is cleared
    std::array<std::uint32_t, 1024> colourAt;
    std::array<uchar, 1024> indexAt{};
    colourAt.fill(kEmpty);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* to = indexed.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const std::uint32_t colour = from[x] & 0x00FFFFFF;
            std::uint32_t slot = (colour * 0x9E3779B1u) >> 22;
            while (colourAt[slot] != kEmpty && colourAt[slot] != colour)
                slot = (slot + 1) & 1023;
            if (colourAt[slot] == kEmpty) {
                if (table.size() == 256)
                    return rgb;
                colourAt[slot] = colour;
                indexAt[slot] = uchar(table.size());
                table.push_back(0xFF000000 | colour);
            }
            to[x] = indexAt[slot];
        }
    }
    table.resize(256, 0xFF000000);
    indexed.setColorTable(table);
    return whiteAndBlackFirst(indexed);
}
