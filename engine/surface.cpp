#include "engine/surface.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {
constexpr std::uint32_t kColour = 0x00FFFFFF;
constexpr std::uint32_t kOpaque = 0xFF000000;
}  // namespace

QImage makeSurface(int width, int height, QRgb fill)
{
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

void bitBlt(QImage& dst, int dx, int dy, int w, int h, const QImage& src, int sx, int sy, RasterOp op)
{
    if (dst.isNull() || src.isNull() || w <= 0 || h <= 0)
        return;
    Q_ASSERT(dst.format() == QImage::Format_RGB32 && src.format() == QImage::Format_RGB32);

    // Clip the left/top edges of both pictures, moving the other origin along.
    auto clipLow = [](int& a, int& b, int& len) {
        if (a < 0) { b -= a; len += a; a = 0; }
        if (b < 0) { a -= b; len += b; b = 0; }
    };
    clipLow(dx, sx, w);
    clipLow(dy, sy, h);
    w = std::min({w, dst.width() - dx, src.width() - sx});
    h = std::min({h, dst.height() - dy, src.height() - sy});
    if (w <= 0 || h <= 0)
        return;

    // scanLine() checks for sharing on every call; take the pointers once.
    const qsizetype srcStride = src.bytesPerLine() / 4, dstStride = dst.bytesPerLine() / 4;
    const auto* srcRow = reinterpret_cast<const std::uint32_t*>(src.constBits()) + sy * srcStride + sx;
    auto* dstRow = reinterpret_cast<std::uint32_t*>(dst.bits()) + dy * dstStride + dx;
    for (int row = 0; row < h; ++row, srcRow += srcStride, dstRow += dstStride) {
        const auto* s = srcRow;
        auto* d = dstRow;
        switch (op) {
        case RasterOp::SrcCopy:
            // RGB32 keeps the top byte at 0xFF already.
            std::memcpy(d, s, std::size_t(w) * sizeof(std::uint32_t));
            break;
        case RasterOp::SrcErase:
            for (int i = 0; i < w; ++i)
                d[i] = ((s[i] & ~d[i]) & kColour) | kOpaque;
            break;
        case RasterOp::SrcInvert:
            for (int i = 0; i < w; ++i)
                d[i] = ((s[i] ^ d[i]) & kColour) | kOpaque;
            break;
        }
    }
}

namespace {

// Rows j0..j1 and offsets i0..i1 of the block are inside the destination, the clip and
// the sheet's width; a row is drawn from what of its two sheet rows exists. `fused`
// draws a row that has both.
template <typename Pixel, typename Rgb, typename Fused>
void maskedRows(QImage& dst, int dx, int dy, const QImage& sheet, int sx, int maskY, int i0, int i1, int j0, int j1,
                Rgb rgb, Fused fused)
{
    const qsizetype sheetStride = sheet.bytesPerLine() / qsizetype(sizeof(Pixel));
    const qsizetype dstStride = dst.bytesPerLine() / 4;
    const auto* sheetBits = reinterpret_cast<const Pixel*>(sheet.constBits());
    auto* dstBits = reinterpret_cast<std::uint32_t*>(dst.bits());
    const int sheetHeight = sheet.height();
    for (int j = j0; j < j1; ++j) {
        const bool imageRow = j < sheetHeight;
        const bool maskRow = maskY + j >= 0 && maskY + j < sheetHeight;
        std::uint32_t* d = dstBits + qsizetype(dy + j) * dstStride + dx;
        const Pixel* img = imageRow ? sheetBits + qsizetype(j) * sheetStride + sx : nullptr;
        const Pixel* m = maskRow ? sheetBits + qsizetype(maskY + j) * sheetStride + sx : nullptr;
        if (imageRow && maskRow) {
            fused(d, m, img, i0, i1);
        } else if (maskRow) {
            for (int i = i0; i < i1; ++i)
                d[i] = ((rgb(m[i]) & ~d[i]) & kColour) | kOpaque;
        } else if (imageRow) {
            for (int i = i0; i < i1; ++i)
                d[i] = ((rgb(img[i]) ^ d[i]) & kColour) | kOpaque;
        }
    }
}

// The destination is never the sheet, so the compiler may vectorize freely.
void fusedRow32(std::uint32_t* __restrict d, const std::uint32_t* m, const std::uint32_t* img, int i0, int i1)
{
    for (int i = i0; i < i1; ++i)
        d[i] = (((m[i] & ~d[i]) ^ img[i]) & kColour) | kOpaque;
}

// At 8 bits every pixel is two table look-ups. compactSheet puts white at index 0 and
// black at 1, so eight pixels at a time can be seen to be transparent (white over white:
// the destination stays) or opaque (a black mask: the image replaces it).
void fusedRow8(std::uint32_t* __restrict d, const uchar* m, const uchar* img, int i0, int i1, const QRgb* colours,
               bool whiteBlackFirst)
{
    auto one = [&](int i) { d[i] = (((colours[m[i]] & ~d[i]) ^ colours[img[i]]) & kColour) | kOpaque; };
    int i = i0;
    if (whiteBlackFirst) {
        constexpr std::uint64_t kAllBlack = 0x0101010101010101ull;
        for (; i + 8 <= i1; i += 8) {
            std::uint64_t masks, images;
            std::memcpy(&masks, m + i, 8);
            std::memcpy(&images, img + i, 8);
            if ((masks | images) == 0)
                continue;
            if (masks == kAllBlack) {
                for (int k = i; k < i + 8; ++k)
                    d[k] = (colours[img[k]] & kColour) | kOpaque;
                continue;
            }
            for (int k = i; k < i + 8; ++k)
                one(k);
        }
    }
    for (; i < i1; ++i)
        one(i);
}

}  // namespace

void maskedBlt(QImage& dst, int dx, int dy, int w, int h, const QImage& sheet, int sx, int maskY)
{
    maskedBlt(dst, dx, dy, w, h, sheet, sx, maskY, dst.rect());
}

void maskedBlt(QImage& dst, int dx, int dy, int w, int h, const QImage& sheet, int sx, int maskY, const QRect& clip)
{
    if (dst.isNull() || sheet.isNull() || w <= 0 || h <= 0)
        return;
    Q_ASSERT(dst.format() == QImage::Format_RGB32);
    const QRect area = clip & dst.rect();
    if (area.isEmpty())
        return;
    // Offsets into the block, in 64 bits: a hand-edited record may place a cell anywhere.
    const qint64 i0 = std::max<qint64>({0, qint64(area.left()) - dx, -qint64(sx)});
    const qint64 i1 = std::min<qint64>({w, qint64(area.right()) + 1 - dx, qint64(sheet.width()) - sx});
    const qint64 j0 = std::max<qint64>(0, qint64(area.top()) - dy);
    const qint64 j1 = std::min<qint64>(h, qint64(area.bottom()) + 1 - dy);
    if (i0 >= i1 || j0 >= j1)
        return;
    switch (sheet.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        maskedRows<std::uint32_t>(dst, dx, dy, sheet, sx, maskY, int(i0), int(i1), int(j0), int(j1),
                                  [](std::uint32_t p) { return p; }, fusedRow32);
        break;
    case QImage::Format_Indexed8: {
        // A table shorter than 256 reads as QImage's own conversion to RGB32 does.
        const QList<QRgb> table = sheet.colorTable();
        const QRgb* colours = table.constData();
        std::array<QRgb, 256> padded;
        if (table.size() < 256) {
            for (int k = 0; k < 256; ++k)
                padded[std::size_t(k)] = table.isEmpty() ? qRgb(k, k, k) : k < table.size() ? table[k] : kOpaque;
            colours = padded.data();
        }
        const bool whiteBlackFirst = (colours[0] & kColour) == kColour && (colours[1] & kColour) == 0;
        maskedRows<uchar>(dst, dx, dy, sheet, sx, maskY, int(i0), int(i1), int(j0), int(j1),
                          [colours](uchar p) { return colours[p]; },
                          [&](std::uint32_t* d, const uchar* m, const uchar* img, int from, int to) {
                              fusedRow8(d, m, img, from, to, colours, whiteBlackFirst);
                          });
        break;
    }
    default:
        Q_ASSERT_X(false, "maskedBlt", "sheets are RGB32 or Indexed8");
        break;
    }
}
