#include "tools/sheet/sheet_make.h"

#include "tools/sheet/sheet_check.h"

#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <unordered_map>

namespace {

constexpr QRgb kOpaqueWhite = 0xFFFFFFFF;
constexpr QRgb kOpaqueBlack = 0xFF000000;
constexpr int kOpaqueFrom = 128;

// Swim poses A B C B A and the resting pose D, made from one picture by narrowing it
// towards the head so the tail seems to beat.
constexpr std::array<double, kLeftFacingCells> kPoseSqueeze{1.0, 0.96, 0.92, 0.96, 1.0, 1.0};

bool hasTransparentPixel(const QImage& picture)
{
    if (!picture.hasAlphaChannel())
        return false;
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(line[x]) < kOpaqueFrom)
                return true;
    }
    return false;
}

// A picture as straight ARGB32 whose alpha says what belongs to the sprite.
QImage toSprite(const QImage& picture, QRgb key, bool flip)
{
    QImage sprite = picture.convertToFormat(QImage::Format_ARGB32);
    if (!hasTransparentPixel(picture)) {
        for (int y = 0; y < sprite.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(sprite.scanLine(y));
            for (int x = 0; x < sprite.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                    line[x] = 0;
        }
    }
    return flip ? sprite.mirrored(true, false) : sprite;
}

QRect opaqueBounds(const QImage& sprite)
{
    int left = sprite.width(), top = sprite.height(), right = -1, bottom = -1;
    for (int y = 0; y < sprite.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(sprite.constScanLine(y));
        for (int x = 0; x < sprite.width(); ++x) {
            if (qAlpha(line[x]) >= kOpaqueFrom) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QImage scaled(const QImage& sprite, int width, int height)
{
    // Premultiplied, so the colour of transparent pixels does not bleed into the edge.
    return sprite.convertToFormat(QImage::Format_ARGB32_Premultiplied)
        .scaled(std::max(1, width), std::max(1, height), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

// The part of a cell a sprite may fill: a landscape frame's bottom 10 rows fall below
// the tank and are never seen.
QSize usableArea(const SheetLayout& layout)
{
    if (layout.kind == SheetKind::LandscapeAccessory)
        return {layout.cellWidth, 90};
    return {layout.cellWidth, layout.cellHeight};
}

// Brings every sprite to the cell size with one common scale.
std::vector<QImage> fitToCells(const std::vector<QImage>& sprites, const SheetLayout& layout)
{
    const QSize cell(layout.cellWidth, layout.cellHeight);
    if (std::all_of(sprites.begin(), sprites.end(), [&](const QImage& s) { return s.size() == cell; }))
        return sprites;

    QRect bounds;
    for (const QImage& s : sprites)
        bounds |= opaqueBounds(s);
    if (bounds.isEmpty())
        bounds = QRect(QPoint(0, 0), sprites.front().size());
    const QSize area = usableArea(layout);
    const double scale = std::min(double(area.width()) / bounds.width(), double(area.height()) / bounds.height());
    const int w = std::clamp(int(std::lround(bounds.width() * scale)), 1, area.width());
    const int h = std::clamp(int(std::lround(bounds.height() * scale)), 1, area.height());
    const int x = (cell.width() - w) / 2;
    const int y = layout.isAccessory() ? area.height() - h : (cell.height() - h) / 2;

    std::vector<QImage> cells;
    for (const QImage& s : sprites) {
        QImage out(cell, QImage::Format_ARGB32);
        out.fill(0);
        const QImage part = scaled(s.copy(bounds), w, h);
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px)
                out.setPixel(x + px, y + py, part.pixel(px, py));
        cells.push_back(out);
    }
    return cells;
}

QImage squeezed(const QImage& cell, double factor)
{
    const QRect bounds = opaqueBounds(cell);
    if (factor == 1.0 || bounds.isEmpty())
        return cell;
    const int w = std::max(1, int(std::lround(bounds.width() * factor)));
    const QImage part = scaled(cell.copy(bounds), w, bounds.height());
    QImage out(cell.size(), QImage::Format_ARGB32);
    out.fill(0);
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            out.setPixel(bounds.left() + x, bounds.top() + y, part.pixel(x, y));
    return out;
}

void stamp(QImage& sheet, const SheetLayout& layout, int k, const QImage& cell)
{
    const int x0 = k * layout.cellWidth;
    for (int y = 0; y < layout.cellHeight; ++y) {
        for (int x = 0; x < layout.cellWidth; ++x) {
            const QRgb p = cell.pixel(x, y);
            const bool inside = qAlpha(p) >= kOpaqueFrom;
            QRgb colour = inside ? (p | kOpaqueBlack) : kOpaqueWhite;
            if (inside && colour == kOpaqueWhite)
                colour = kSpriteWhite;
            sheet.setPixel(x0 + x, y, colour);
            sheet.setPixel(x0 + x, layout.maskY() + y, inside ? kOpaqueBlack : kOpaqueWhite);
        }
    }
}

void mirrorCell(QImage& sheet, const SheetLayout& layout, int from, int to)
{
    for (int y = 0; y < layout.height(); ++y)
        for (int x = 0; x < layout.cellWidth; ++x)
            sheet.setPixel(to * layout.cellWidth + layout.cellWidth - 1 - x, y,
                           sheet.pixel(from * layout.cellWidth + x, y));
}

}  // namespace

int picturesWanted(const MakeRequest& request)
{
    if (request.layout.kind == SheetKind::Pattern && request.mirror)
        return kLeftFacingCells;
    return request.layout.cells;
}

MakeResult makeSheet(const MakeRequest& request)
{
    const SheetLayout& layout = request.layout;
    const bool pattern = layout.kind == SheetKind::Pattern;
    if (layout.cells <= 0 || layout.cellWidth <= 0 || layout.cellHeight <= 0)
        return {{}, QStringLiteral("a sheet needs at least one cell")};
    const int wanted = picturesWanted(request);
    const int given = int(request.pictures.size());
    if (given != 1 && given != wanted) {
        const QString what = pattern
            ? (request.mirror ? QStringLiteral("6 pictures (the left-facing cells) or one")
                              : QStringLiteral("12 pictures, 6 when the right-facing cells are mirrored, or one"))
            : layout.isAccessory()
            ? QStringLiteral("10 pictures (one per frame) or one for an accessory that stands still")
            : QStringLiteral("%1 pictures (one per cell) or one").arg(wanted);
        return {{}, QStringLiteral("a %1 takes %2; got %3").arg(layout.name(), what).arg(given)};
    }
    for (const QImage& p : request.pictures)
        if (p.isNull())
            return {{}, QStringLiteral("a picture is empty")};

    std::vector<QImage> sprites;
    for (const QImage& p : request.pictures)
        sprites.push_back(toSprite(p, request.key, request.flip));
    if (std::all_of(sprites.begin(), sprites.end(), [](const QImage& s) { return opaqueBounds(s).isEmpty(); }))
        return {{}, QStringLiteral("the pictures show nothing: every pixel is transparent or the background colour")};
    sprites = fitToCells(sprites, layout);

    const bool mirrored = pattern && (request.mirror || given == 1);
    const int drawn = mirrored ? kLeftFacingCells : layout.cells;
    QImage sheet(layout.size(), QImage::Format_RGB32);
    sheet.fill(kOpaqueWhite);
    for (int k = 0; k < drawn; ++k) {
        if (given == 1)
            stamp(sheet, layout, k, pattern ? squeezed(sprites.front(), kPoseSqueeze[std::size_t(k)]) : sprites.front());
        else
            stamp(sheet, layout, k, sprites[std::size_t(k)]);
    }
    if (mirrored)
        for (int k = 0; k < kLeftFacingCells; ++k)
            mirrorCell(sheet, layout, kLeftFacingCells - 1 - k, kLeftFacingCells + k);
    if (request.palette)
        sheet = reduceColours(sheet);

    const SheetReport report = checkSheetLayout(sheet, layout);
    if (!report.usable())
        return {sheet, report.problems.front().text};
    return {sheet, {}};
}

std::vector<QImage> cutStrip(const QImage& strip, int count)
{
    std::vector<QImage> parts;
    if (count <= 0 || strip.width() < count)
        return parts;
    for (int k = 0; k < count; ++k) {
        const int x0 = k * strip.width() / count;
        const int x1 = (k + 1) * strip.width() / count;
        parts.push_back(strip.copy(x0, 0, x1 - x0, strip.height()));
    }
    return parts;
}

QImage sheetCell(const QImage& sheet, const SheetLayout& layout, int k)
{
    const QImage rgb = sheet.convertToFormat(QImage::Format_RGB32);
    QImage cell(layout.cellWidth, layout.cellHeight, QImage::Format_ARGB32);
    for (int y = 0; y < layout.cellHeight; ++y) {
        for (int x = 0; x < layout.cellWidth; ++x) {
            const int sx = k * layout.cellWidth + x;
            const bool inside = qGray(rgb.pixel(sx, layout.maskY() + y)) < 128;
            cell.setPixel(x, y, inside ? (rgb.pixel(sx, y) | kOpaqueBlack) : 0);
        }
    }
    return cell;
}

namespace {

struct ColourBox {
    std::vector<std::pair<QRgb, long>> colours;  // colour, pixel count

    long weight() const
    {
        long w = 0;
        for (const auto& c : colours)
            w += c.second;
        return w;
    }
    static int channel(QRgb c, int axis) { return axis == 0 ? qRed(c) : axis == 1 ? qGreen(c) : qBlue(c); }
    // The axis with the widest spread, and that spread.
    std::pair<int, int> widest() const
    {
        int best = 0, spread = -1;
        for (int axis = 0; axis < 3; ++axis) {
            int lo = 255, hi = 0;
            for (const auto& c : colours) {
                lo = std::min(lo, channel(c.first, axis));
                hi = std::max(hi, channel(c.first, axis));
            }
            if (hi - lo > spread) {
                spread = hi - lo;
                best = axis;
            }
        }
        return {best, spread};
    }
    QRgb mean() const
    {
        double sum[3] = {0, 0, 0};
        const double w = double(weight());
        for (const auto& c : colours)
            for (int axis = 0; axis < 3; ++axis)
                sum[axis] += double(channel(c.first, axis)) * double(c.second);
        // Rounding down: a box of near-whites must not average to pure white.
        return qRgb(int(sum[0] / w), int(sum[1] / w), int(sum[2] / w));
    }
};

int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return 2 * dr * dr + 4 * dg * dg + 3 * db * db;
}

}  // namespace

QImage reduceColours(const QImage& picture)
{
    QImage sheet = picture.convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, long> counts;
    for (int y = 0; y < sheet.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(sheet.constScanLine(y));
        for (int x = 0; x < sheet.width(); ++x)
            ++counts[line[x] | kOpaqueBlack];
    }
    if (counts.size() <= 256)
        return sheet;

    std::vector<ColourBox> boxes(1);
    for (const auto& [colour, n] : counts)
        if (colour != kOpaqueWhite && colour != kOpaqueBlack)
            boxes[0].colours.emplace_back(colour, n);
    while (boxes.size() < 254) {
        // Split the box whose spread matters most for the pixels it stands for.
        std::size_t pick = boxes.size();
        double bestScore = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].colours.size() < 2)
                continue;
            const double score = double(boxes[i].widest().second) * std::sqrt(double(boxes[i].weight()));
            if (pick == boxes.size() || score > bestScore) {
                pick = i;
                bestScore = score;
            }
        }
        if (pick == boxes.size())
            break;
        ColourBox& box = boxes[pick];
        const int axis = box.widest().first;
        std::stable_sort(box.colours.begin(), box.colours.end(), [axis](const auto& a, const auto& b) {
            return ColourBox::channel(a.first, axis) < ColourBox::channel(b.first, axis);
        });
        const long half = box.weight() / 2;
        long run = 0;
        std::size_t cut = 1;
        for (; cut + 1 < box.colours.size(); ++cut) {
            run += box.colours[cut - 1].second;
            if (run >= half)
                break;
        }
        ColourBox upper;
        upper.colours.assign(box.colours.begin() + long(cut), box.colours.end());
        box.colours.resize(cut);
        boxes.push_back(std::move(upper));
    }

    std::vector<QRgb> palette;
    for (const ColourBox& box : boxes) {
        QRgb c = box.mean() | kOpaqueBlack;
        palette.push_back(c == kOpaqueWhite ? kSpriteWhite : c);
    }
    std::unordered_map<QRgb, QRgb> mapping;
    for (const auto& [colour, n] : counts) {
        if (colour == kOpaqueWhite || colour == kOpaqueBlack) {
            mapping[colour] = colour;
            continue;
        }
        QRgb best = kOpaqueBlack;
        int bestD = distance(colour, kOpaqueBlack);
        for (QRgb p : palette) {
            const int d = distance(colour, p);
            if (d < bestD) {
                bestD = d;
                best = p;
            }
        }
        mapping[colour] = best;
    }
    for (int y = 0; y < sheet.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(sheet.scanLine(y));
        for (int x = 0; x < sheet.width(); ++x)
            line[x] = mapping.at(line[x] | kOpaqueBlack);
    }
    return sheet;
}

namespace {

void put16(QByteArray& out, quint32 v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void put32(QByteArray& out, quint32 v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// The BMP written by hand rather than by Qt's writer, which turns a palette of 16 or
// fewer colours into 4 bits and stamps the screen's resolution into the header: the
// same sheet gives the same bytes anywhere, and the palette is 8-bit whenever it
// fits. The palette is in colour order.
QByteArray encodeBmp(const QImage& sheet)
{
    std::map<QRgb, int> index;
    for (int y = 0; y < sheet.height() && index.size() <= 256; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(sheet.constScanLine(y));
        for (int x = 0; x < sheet.width(); ++x)
            index.emplace(line[x] | kOpaqueBlack, 0);
    }
    const bool indexed = index.size() <= 256;
    if (indexed) {
        int i = 0;
        for (auto& entry : index)
            entry.second = i++;
    } else {
        index.clear();
    }

    const int w = sheet.width(), h = sheet.height();
    const int rowBytes = ((indexed ? w : w * 3) + 3) & ~3;
    const quint32 paletteBytes = quint32(index.size()) * 4;
    const quint32 dataOffset = 14 + 40 + paletteBytes;
    const quint32 dataBytes = quint32(rowBytes) * quint32(h);

    QByteArray out;
    out.reserve(qsizetype(dataOffset + dataBytes));
    out.append("BM");
    put32(out, dataOffset + dataBytes);
    put32(out, 0);
    put32(out, dataOffset);
    put32(out, 40);
    put32(out, quint32(w));
    put32(out, quint32(h));
    put16(out, 1);
    put16(out, indexed ? 8 : 24);
    put32(out, 0);  // no compression
    put32(out, dataBytes);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, quint32(index.size()));
    put32(out, 0);
    for (const auto& entry : index) {
        out.append(char(qBlue(entry.first)));
        out.append(char(qGreen(entry.first)));
        out.append(char(qRed(entry.first)));
        out.append(char(0));
    }
    // Rows bottom-up, blue-green-red, each padded to four bytes.
    for (int y = h - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(sheet.constScanLine(y));
        const qsizetype rowStart = out.size();
        for (int x = 0; x < w; ++x) {
            const QRgb c = line[x] | kOpaqueBlack;
            if (indexed) {
                out.append(char(index.at(c)));
            } else {
                out.append(char(qBlue(c)));
                out.append(char(qGreen(c)));
                out.append(char(qRed(c)));
            }
        }
        out.append(QByteArray(rowBytes - (out.size() - rowStart), '\0'));
    }
    return out;
}

}  // namespace

bool writeSheet(const QImage& picture, const QString& path, QString* error)
{
    if (picture.isNull()) {
        if (error)
            *error = QStringLiteral("the sheet is empty");
        return false;
    }
    const QByteArray bytes = encodeBmp(picture.convertToFormat(QImage::Format_RGB32));
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}
