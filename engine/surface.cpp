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
    for (int row = 0; row < h; ++row) {
        const auto* s = reinterpret_cast<const std::uint32_t*>(src.constScanLine(sy + row)) + sx;
        auto* d = reinterpret_cast<std::uint32_t*>(dst.scanLine(dy + row)) + dx;
        switch (op) {
        case RasterOp::SrcCopy:
            for (int i = 0; i < w; ++i)
                d[i] = s[i] | kOpaque;
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
