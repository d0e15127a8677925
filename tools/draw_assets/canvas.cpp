#include "canvas.h"

#include <algorithm>

QImage makeCanvas(int width, int height, int scale)
{
    QImage canvas(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    return canvas;
}

QImage reduceCanvas(const QImage& canvas, int scale)
{
    const QImage src = canvas.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = src.width() / scale;
    const int h = src.height() / scale;
    const int n = scale * scale;
    QImage out(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int a = 0, r = 0, g = 0, b = 0;
            for (int dy = 0; dy < scale; ++dy) {
                const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y * scale + dy));
                for (int dx = 0; dx < scale; ++dx) {
                    const QRgb p = line[x * scale + dx];
                    a += qAlpha(p);
                    r += qRed(p);
                    g += qGreen(p);
                    b += qBlue(p);
                }
            }
            QRgb px = 0;
            if (a > 0) {
                // Back from premultiplied: colour sums divided by the alpha sum.
                const auto un = [a](int c) { return std::min(255, (c * 255 + a / 2) / a); };
                px = qRgba(un(r), un(g), un(b), (a + n / 2) / n);
            }
            out.setPixel(x, y, px);
        }
    }
    return out;
}
