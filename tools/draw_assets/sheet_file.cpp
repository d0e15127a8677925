#include "sheet_file.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

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

void stampCell(QImage& sheet, const QImage& sprite, int cellX, int cellY, int maskY)
{
    for (int y = 0; y < sprite.height(); ++y) {
        for (int x = 0; x < sprite.width(); ++x) {
            const QRgb p = sprite.pixel(x, y);
            const bool inside = qAlpha(p) >= 128;
            QRgb colour = inside ? (p | 0xFF000000) : kSheetWhite;
            if (inside && colour == kSheetWhite)
                colour = kSpriteOffWhite;
            sheet.setPixel(cellX + x, cellY + y, colour);
            sheet.setPixel(cellX + x, maskY + y, inside ? 0xFF000000 : kSheetWhite);
        }
    }
}

void mirrorColumn(QImage& sheet, int srcX, int dstX, int width)
{
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < width; ++x)
            sheet.setPixel(dstX + width - 1 - x, y, sheet.pixel(srcX + x, y));
}

namespace {

struct ColourCount {
    std::array<int, 3> c;
    long count;
};

struct Box {
    std::vector<ColourCount> colours;

    int longestAxis(int& range) const
    {
        int best = 0;
        range = -1;
        for (int axis = 0; axis < 3; ++axis) {
            int lo = 255, hi = 0;
            for (const auto& cc : colours) {
                lo = std::min(lo, cc.c[axis]);
                hi = std::max(hi, cc.c[axis]);
            }
            if (hi - lo > range) {
                range = hi - lo;
                best = axis;
            }
        }
        return best;
    }

    long weight() const
    {
        long w = 0;
        for (const auto& cc : colours)
            w += cc.count;
        return w;
    }

    QRgb mean() const
    {
        long sum[3] = {0, 0, 0};
        const long w = weight();
        for (const auto& cc : colours)
            for (int axis = 0; axis < 3; ++axis)
                sum[axis] += cc.c[axis] * cc.count;
        return qRgb(int(sum[0] / w), int(sum[1] / w), int(sum[2] / w));
    }
};

std::map<QRgb, long> countColours(const QImage& img)
{
    std::map<QRgb, long> counts;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ++counts[img.pixel(x, y) | 0xFF000000];
    return counts;
}

int distance2(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

} // namespace

QImage limitTo256Colours(const QImage& picture)
{
    QImage img = picture.convertToFormat(QImage::Format_RGB32);
    const auto counts = countColours(img);
    if (counts.size() <= 256)
        return img;

    const QRgb black = 0xFF000000;
    std::vector<Box> boxes(1);
    for (const auto& [rgb, n] : counts)
        if (rgb != kSheetWhite && rgb != black)
            boxes[0].colours.push_back({{qRed(rgb), qGreen(rgb), qBlue(rgb)}, n});

    // Split the box whose widest spread, weighted by how many pixels it stands for,
    // is largest, until white and black plus the boxes fill the palette.
    while (boxes.size() < 254) {
        std::size_t pick = 0;
        double bestScore = -1;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].colours.size() < 2)
                continue;
            int range = 0;
            boxes[i].longestAxis(range);
            const double score = double(range) * std::sqrt(double(boxes[i].weight()));
            if (score > bestScore) {
                bestScore = score;
                pick = i;
            }
        }
        if (bestScore < 0)
            break;
        Box& box = boxes[pick];
        int range = 0;
        const int axis = box.longestAxis(range);
        std::stable_sort(box.colours.begin(), box.colours.end(),
                         [axis](const ColourCount& a, const ColourCount& b) { return a.c[axis] < b.c[axis]; });
        const long half = box.weight() / 2;
        long run = 0;
        std::size_t cut = 1;
        for (; cut < box.colours.size() - 1; ++cut) {
            run += box.colours[cut - 1].count;
            if (run >= half)
                break;
        }
        Box upper;
        upper.colours.assign(box.colours.begin() + long(cut), box.colours.end());
        box.colours.resize(cut);
        boxes.push_back(std::move(upper));
    }

    std::vector<QRgb> palette{kSheetWhite, black};
    for (const Box& box : boxes)
        palette.push_back(box.mean() | 0xFF000000);

    // Sprite colours look among everything but white, so nothing becomes transparent.
    std::map<QRgb, QRgb> mapping;
    for (const auto& [rgb, n] : counts) {
        if (rgb == kSheetWhite || rgb == black) {
            mapping[rgb] = rgb;
            continue;
        }
        QRgb best = black;
        int bestD = distance2(rgb, black);
        for (std::size_t i = 2; i < palette.size(); ++i) {
            const int d = distance2(rgb, palette[i]);
            if (d < bestD) {
                bestD = d;
                best = palette[i];
            }
        }
        mapping[rgb] = best;
    }
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            line[x] = mapping.at(line[x] | 0xFF000000);
    }
    return img;
}

namespace {

void put16(QByteArray& out, std::uint32_t v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void put32(QByteArray& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

bool writeBmp(const QImage& picture, const QString& path)
{
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    const auto counts = countColours(img);
    const bool indexed = counts.size() <= 256;

    std::vector<QRgb> palette;
    std::map<QRgb, int> index;
    if (indexed) {
        for (const auto& entry : counts) {
            index[entry.first] = int(palette.size());
            palette.push_back(entry.first);
        }
    }

    const int w = img.width(), h = img.height();
    const int rowBytes = ((indexed ? w : w * 3) + 3) & ~3;
    const std::uint32_t paletteBytes = std::uint32_t(palette.size()) * 4;
    const std::uint32_t dataOffset = 14 + 40 + paletteBytes;
    const std::uint32_t dataBytes = std::uint32_t(rowBytes) * std::uint32_t(h);

    QByteArray out;
    out.append("BM");
    put32(out, dataOffset + dataBytes);
    put32(out, 0);
    put32(out, dataOffset);
    put32(out, 40);
    put32(out, std::uint32_t(w));
    put32(out, std::uint32_t(h));
    put16(out, 1);
    put16(out, indexed ? 8 : 24);
    put32(out, 0);  // no compression
    put32(out, dataBytes);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, std::uint32_t(palette.size()));
    put32(out, 0);
    for (QRgb c : palette) {
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append(char(0));
    }
    // Rows bottom-up, blue-green-red, each padded to four bytes.
    for (int y = h - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        QByteArray row;
        for (int x = 0; x < w; ++x) {
            const QRgb c = line[x] | 0xFF000000;
            if (indexed) {
                row.append(char(index.at(c)));
            } else {
                row.append(char(qBlue(c)));
                row.append(char(qGreen(c)));
                row.append(char(qRed(c)));
            }
        }
        row.append(QByteArray(rowBytes - row.size(), '\0'));
        out.append(row);
    }

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(out) == out.size();
}
