#include "engine/surface.h"

#include <algorithm>
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
// the sheet's width; a row is drawn from what of its two sheet rows exists.
template <typename Pixel, typename Rgb>
void maskedRows(QImage& dst, int dx, int dy, const QImage& sheet, int sx, int maskY, int i0, int i1, int j0, int j1,
                Rgb rgb)
{
    const qsizetype sheetStride = sheet.bytesPerLine() / qsizetype(sizeof(Pixel));
    const qsizetype dstStride = dst.bytesPerLine() / 4;
    const auto* sheetBits = reinterpret_cast<const Pixel*>(sheet.constBits());
    auto* dstBits = reinterpret_cast<std::uint32_t*>(dst.bits());
    const int sheetHeight = sheet.height();
    for (int j = j0; j < j1; ++j) {
        const bool imageRow = j < sheetHeight;
        const bool maskRow = maskY + j >= 0 && maskY + j < sheetHeight;
        // The destination is never the sheet, so the compiler may vectorize freely.
        std::uint32_t* __restrict d = dstBits + qsizetype(dy + j) * dstStride + dx;
        const Pixel* img = imageRow ? sheetBits + qsizetype(j) * sheetStride + sx : nullptr;
        const Pixel* m = maskRow ? sheetBits + qsizetype(maskY + j) * sheetStride + sx : nullptr;
        if (imageRow && maskRow) {
            for (int i = i0; i < i1; ++i)
                d[i] = (((rgb(m[i]) & ~d[i]) ^ rgb(img[i])) & kColour) | kOpaque;
        } else if (maskRow) {
            for (int i = i0; i < i1; ++i)
                d[i] = ((rgb(m[i]) & ~d[i]) & kColour) | kOpaque;
        } else if (imageRow) {
            for (int i = i0; i < i1; ++i)
                d[i] = ((rgb(img[i]) ^ d[i]) & kColour) | kOpaque;
        }
    }
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
                                  [](std::uint32_t p) { return p; });
        break;
    default:
        Q_ASSERT_X(false, "maskedBlt", "sheets are RGB32");
        break;
    }
}
