#include "engine/surface.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

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

    constexpr std::uint32_t kColour = 0x00FFFFFF;
    constexpr std::uint32_t kOpaque = 0xFF000000;
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

void maskedBlt(QImage& dst, int dx, int dy, int w, int h, const QImage& sheet, int sx, int maskY)
{
    const QRect sheetRect = sheet.rect();
    const bool inside = w > 0 && h > 0 && sheetRect.contains(QRect(sx, maskY, w, h))
        && sheetRect.contains(QRect(sx, 0, w, h));
    if (!inside || dst.isNull()) {
        // Near the sheet's edges the two transfers clip differently; keep them apart.
        bitBlt(dst, dx, dy, w, h, sheet, sx, maskY, RasterOp::SrcErase);
        bitBlt(dst, dx, dy, w, h, sheet, sx, 0, RasterOp::SrcInvert);
        return;
    }
    // Clip against the destination only; the sheet holds the whole block.
    int x0 = std::max(0, -dx), y0 = std::max(0, -dy);
    const int x1 = std::min(w, dst.width() - dx), y1 = std::min(h, dst.height() - dy);
    if (x0 >= x1 || y0 >= y1)
        return;
    constexpr std::uint32_t kColour = 0x00FFFFFF;
    constexpr std::uint32_t kOpaque = 0xFF000000;
    const qsizetype sheetStride = sheet.bytesPerLine() / 4, dstStride = dst.bytesPerLine() / 4;
    const auto* sheetBits = reinterpret_cast<const std::uint32_t*>(sheet.constBits());
    auto* dstBits = reinterpret_cast<std::uint32_t*>(dst.bits());
    for (int row = y0; row < y1; ++row) {
        const std::uint32_t* m = sheetBits + (maskY + row) * sheetStride + sx;
        const std::uint32_t* img = sheetBits + row * sheetStride + sx;
        // The work surface is never the sheet, so the compiler may vectorize freely.
        std::uint32_t* __restrict d = dstBits + (dy + row) * dstStride + dx;
        for (int i = x0; i < x1; ++i)
            d[i] = (((m[i] & ~d[i]) ^ img[i]) & kColour) | kOpaque;
    }
}
