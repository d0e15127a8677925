#include "scenery.h"

#include "canvas.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace {

constexpr QRgb kWater = 0xFFCCFFCC;  // 204, 255, 204
constexpr QRgb kAir = 0xFFFFFFFF;

// A fixed-seed generator, so the gravel and the worms come out the same every run.
class Lcg {
public:
    explicit Lcg(std::uint32_t seed) : state_(seed) {}
    std::uint32_t next()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    int range(int lo, int hi) { return lo + int(next() % std::uint32_t(hi - lo + 1)); }
    double unit() { return double(next() % 10000u) / 10000.0; }

private:
    std::uint32_t state_;
};

void fillRect(QImage& img, int x0, int y0, int x1, int y1, QRgb c)
{
    for (int y = std::max(0, y0); y <= std::min(img.height() - 1, y1); ++y)
        for (int x = std::max(0, x0); x <= std::min(img.width() - 1, x1); ++x)
            img.setPixel(x, y, c);
}

void drawPipe(QImage& tank)
{
    // Shaded across its width so the round pipe reads as a tube, lit from the left.
    static constexpr std::array<QRgb, 11> shade{0xFF6E6E6E, 0xFF8C8C8C, 0xFFA8A8A8, 0xFFC0C0C0,
                                                0xFFD2D2D2, 0xFFD8D8D8, 0xFFCACACA, 0xFFB4B4B4,
                                                0xFF9A9A9A, 0xFF808080, 0xFF646464};
    for (int y = 0; y <= 224; ++y)
        for (int i = 0; i < 11; ++i)
            tank.setPixel(20 + i, y, shade[std::size_t(i)]);
    // A joint ring just below the surface and one where the pipe meets the outlet.
    for (int ring : {14, 219}) {
        for (int y = ring; y < ring + 5; ++y)
            for (int i = -1; i < 12; ++i) {
                const int s = std::clamp(i, 0, 10);
                QRgb c = shade[std::size_t(s)];
                if (y == ring || y == ring + 4)
                    c = 0xFF5A5A5A;
                tank.setPixel(20 + i, y, c);
            }
    }
}

void drawOutlet(QImage& tank)
{
    constexpr int x0 = 14, x1 = 36, y0 = 225, y1 = 275;
    constexpr QRgb dark = 0xFF505050, mid = 0xFFA0A0A0, light = 0xFFC4C4C4, hole = 0xFF303030;
    fillRect(tank, x0, y0, x1, y1, mid);
    fillRect(tank, x0 + 1, y0 + 1, x0 + 2, y1 - 1, light);  // lit left side
    fillRect(tank, x1 - 2, y0 + 1, x1 - 1, y1 - 1, 0xFF808080);
    fillRect(tank, x0, y0, x1, y0, dark);
    fillRect(tank, x0, y1, x1, y1, dark);
    fillRect(tank, x0, y0, x0, y1, dark);
    fillRect(tank, x1, y0, x1, y1, dark);
    // Cap and foot, a little wider than the box.
    fillRect(tank, x0 - 2, y0, x1 + 2, y0 + 3, 0xFF8A8A8A);
    fillRect(tank, x0 - 2, y0, x1 + 2, y0, dark);
    fillRect(tank, x0 - 2, y0 + 3, x1 + 2, y0 + 3, dark);
    fillRect(tank, x0 - 2, y1 - 3, x1 + 2, y1, 0xFF8A8A8A);
    fillRect(tank, x0 - 2, y1 - 3, x1 + 2, y1 - 3, dark);
    fillRect(tank, x0 - 2, y1, x1 + 2, y1, dark);
    // The grating: rows of slits with a lit lower lip.
    for (int y = y0 + 7; y <= y1 - 8; y += 5) {
        for (int x = x0 + 4; x <= x1 - 4; x += 4) {
            fillRect(tank, x, y, x + 2, y + 1, hole);
            fillRect(tank, x, y + 2, x + 2, y + 2, light);
        }
    }
}

void drawGravel(QImage& tank)
{
    static constexpr std::array<QRgb, 6> stone{0xFF000000, 0xFF282828, 0xFF505050,
                                               0xFF787878, 0xFF9C9C9C, 0xFFBCBCBC};
    fillRect(tank, 0, 288, 499, 299, 0xFF3C3C3C);
    Lcg rng(20240611u);
    // Three passes from back to front, so pebbles overlap like a real bed.
    for (int pass = 0; pass < 3; ++pass) {
        for (int x = -4; x < 504;) {
            const int w = rng.range(5, 10);
            const int h = rng.range(4, 6);
            const int top = 286 + pass * 4 + rng.range(0, 2);
            const QRgb c = stone[std::size_t(rng.range(0, 5))];
            const double cx = x + w / 2.0, cy = top + h / 2.0;
            for (int y = top; y < top + h; ++y)
                for (int px = x; px < x + w; ++px) {
                    const double dx = (px + 0.5 - cx) / (w / 2.0), dy = (y + 0.5 - cy) / (h / 2.0);
                    if (dx * dx + dy * dy > 1.05 || px < 0 || px > 499 || y > 299)
                        continue;
                    QRgb pc = c;
                    if (dy < -0.35 && dx < 0.2)  // a glint on the upper left
                        pc = qRgb(std::min(255, qRed(c) + 40), std::min(255, qGreen(c) + 40),
                                  std::min(255, qBlue(c) + 40));
                    tank.setPixel(px, y, pc);
                }
            x += w - rng.range(0, 2);
        }
    }
}

} // namespace

QImage drawTank()
{
    QImage tank(500, 300, QImage::Format_RGB32);
    tank.fill(kWater);
    fillRect(tank, 0, 0, 499, 5, kAir);
    drawGravel(tank);
    drawPipe(tank);
    drawOutlet(tank);
    return tank;
}

MakeResult drawFoodSheet()
{
    constexpr int scale = 4;
    QImage canvas = makeCanvas(50, 50, scale);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    Lcg rng(7u);
    static constexpr std::array<QRgb, 4> reds{0xFFB4141E, 0xFFD2232D, 0xFFA00A14, 0xFFE6373C};
    // Thin worms, each a wandering curve, tangled around the middle of the cell.
    for (int i = 0; i < 26; ++i) {
        const double a = rng.unit() * 6.283;
        const double r = rng.unit() * 8;
        const QPointF start(25 + r * std::cos(a), 25 + r * std::sin(a));
        QPainterPath worm(start);
        QPointF at = start;
        double heading = rng.unit() * 6.283;
        for (int seg = 0; seg < 3; ++seg) {
            const double len = 4 + rng.unit() * 4;
            const double bend = (rng.unit() - 0.5) * 2.2;
            const QPointF c1 = at + QPointF(std::cos(heading), std::sin(heading)) * len * 0.5;
            heading += bend;
            QPointF end = at + QPointF(std::cos(heading), std::sin(heading)) * len;
            end.setX(std::clamp(end.x(), 9.0, 41.0));
            end.setY(std::clamp(end.y(), 11.0, 39.0));
            worm.quadTo(c1, end);
            at = end;
        }
        p.setPen(QPen(QColor(reds[std::size_t(i % 4)]), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(worm);
    }
    p.end();

    MakeRequest request;
    request.layout = kFoodLayout;
    request.palette = true;
    request.pictures = {reduceCanvas(canvas, scale)};
    return makeSheet(request);
}

MakeResult drawBubbleSheet()
{
    struct Ring {
        QPointF centre;
        double radius;
    };
    static constexpr std::array<Ring, 3> cluster{{{{12.0, 19.0}, 7.0}, {{21.5, 9.5}, 5.0}, {{9.5, 6.5}, 3.5}}};

    MakeRequest request;
    request.layout = kBubbleLayout;
    request.palette = true;
    constexpr int scale = 4;
    for (int cell = 0; cell < 2; ++cell) {
        QImage canvas = makeCanvas(30, 30, scale);
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        // The engine lays the green cluster over the blue one at the same place: the green
        // rings are thinner and sit on the inner side, so each bubble keeps a blue rim.
        const QColor ring = cell == 0 ? QColor(40, 90, 230) : QColor(40, 175, 80);
        const double width = cell == 0 ? 1.9 : 1.2;
        const double inset = cell == 0 ? 0.0 : 0.5;
        for (const Ring& r : cluster) {
            p.setPen(QPen(ring, width));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(r.centre, r.radius - inset, r.radius - inset);
            if (r.radius < 4)
                continue;
            // A glint inside the upper left of the larger bubbles.
            p.setPen(Qt::NoPen);
            p.setBrush(cell == 0 ? QColor(120, 160, 245) : QColor(110, 205, 130));
            const double g = r.radius * 0.45;
            p.drawEllipse(r.centre + QPointF(-g, -g), 0.9, 0.9);
        }
        p.end();
        request.pictures.push_back(reduceCanvas(canvas, scale));
    }
    return makeSheet(request);
}
