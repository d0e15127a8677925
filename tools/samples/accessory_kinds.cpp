#include "accessory_kinds.h"

#include "canvas.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kFrames = 10;

// Every motion is a function of this angle, so the tenth frame leads smoothly back
// into the first.
double phase(int frame)
{
    return 2 * kPi * frame / kFrames;
}

// A band of varying width along a centre line, for leaves, tentacles and flags.
QPainterPath ribbon(const std::vector<QPointF>& centre, const std::function<double(double)>& halfWidth)
{
    const std::size_t n = centre.size();
    std::vector<QPointF> left, right;
    for (std::size_t i = 0; i < n; ++i) {
        const QPointF a = centre[i == 0 ? 0 : i - 1];
        const QPointF b = centre[i + 1 == n ? i : i + 1];
        QPointF d = b - a;
        const double len = std::hypot(d.x(), d.y());
        d = len > 0 ? d / len : QPointF(0, -1);
        const QPointF normal(-d.y(), d.x());
        const double w = halfWidth(double(i) / double(n - 1));
        left.push_back(centre[i] + normal * w);
        right.push_back(centre[i] - normal * w);
    }
    QPainterPath path(left.front());
    for (std::size_t i = 1; i < n; ++i)
        path.lineTo(left[i]);
    for (std::size_t i = n; i-- > 0;)
        path.lineTo(right[i]);
    path.closeSubpath();
    return path;
}

void paintSandMound(QPainter& p, QPointF centre, double width, double height)
{
    QLinearGradient sand(0, centre.y() - height, 0, centre.y() + height);
    sand.setColorAt(0, QColor(226, 208, 160));
    sand.setColorAt(1, QColor(176, 152, 104));
    p.setPen(Qt::NoPen);
    p.setBrush(sand);
    p.drawEllipse(centre, width / 2, height);
    // A few pebbles, always the same.
    const QPointF pebbles[] = {{-0.32, 0.1}, {-0.12, 0.35}, {0.18, 0.2}, {0.36, 0.4}, {0.05, -0.3}};
    const QColor colours[] = {{150, 140, 128}, {110, 104, 98}, {176, 164, 150}, {128, 118, 104}, {160, 150, 140}};
    for (int i = 0; i < 5; ++i) {
        p.setBrush(colours[i]);
        const QPointF at = centre + QPointF(pebbles[i].x() * width, pebbles[i].y() * height);
        p.drawEllipse(at, 2.6 + (i % 2), 1.8 + (i % 3) * 0.4);
    }
}

QImage plantFrame(int frame)
{
    Canvas canvas(100, 200);
    QPainter& p = canvas.painter();
    const double t = phase(frame);
    struct Blade {
        double root, length, lean, swing, width, offset;
        QColor colour;
    };
    const Blade blades[] = {
        {40, 150, -20, 12, 4.0, 0.0, {44, 118, 60}},
        {60, 140, 20, 12, 4.0, 2.1, {40, 112, 56}},
        {45, 178, -8, 14, 4.6, 0.8, {62, 152, 72}},
        {56, 168, 10, 14, 4.6, 3.0, {70, 162, 78}},
        {50, 186, 1, 15, 5.0, 1.6, {88, 178, 86}},
    };
    for (const Blade& b : blades) {
        std::vector<QPointF> line;
        for (int i = 0; i <= 30; ++i) {
            const double s = i / 30.0;
            // A wave running up the blade: the tip follows the root's sway a little later.
            const double sway = b.swing * std::pow(s, 1.5) * std::sin(t - 3.0 * s + b.offset);
            line.emplace_back(b.root + b.lean * s + sway, 194 - b.length * s);
        }
        const QPainterPath leaf = ribbon(line, [&](double s) { return b.width * std::sin(kPi * (0.15 + 0.85 * s)) * std::pow(1 - s, 0.3) + 0.6; });
        QLinearGradient shade(0, 194 - b.length, 0, 194);
        shade.setColorAt(0, b.colour.lighter(125));
        shade.setColorAt(1, b.colour.darker(120));
        p.setPen(QPen(b.colour.darker(150), 0.6));
        p.setBrush(shade);
        p.drawPath(leaf);
        p.setPen(QPen(b.colour.darker(135), 0.5));
        p.setBrush(Qt::NoBrush);
        QPainterPath rib(line.front());
        for (std::size_t i = 1; i + 3 < line.size(); ++i)
            rib.lineTo(line[i]);
        p.drawPath(rib);
    }
    paintSandMound(p, QPointF(50, 195), 46, 5);
    return canvas.finish();
}

void paintStones(QPainter& p, const QRectF& wall)
{
    p.setPen(QPen(QColor(150, 140, 124), 0.6));
    for (double y = wall.top() + 6; y < wall.bottom(); y += 6) {
        p.drawLine(QPointF(wall.left(), y), QPointF(wall.right(), y));
        const double shift = (int(y / 6) % 2) * 5;
        for (double x = wall.left() + shift + 4; x < wall.right(); x += 10)
            p.drawLine(QPointF(x, y - 6), QPointF(x, y));
    }
    p.setPen(Qt::NoPen);
}

void paintWall(QPainter& p, const QRectF& wall, bool battlements)
{
    QLinearGradient stone(wall.left(), 0, wall.right(), 0);
    stone.setColorAt(0, QColor(222, 214, 196));
    stone.setColorAt(1, QColor(188, 178, 158));
    p.setPen(QPen(QColor(130, 120, 104), 0.8));
    p.setBrush(stone);
    QPainterPath outline;
    outline.addRect(wall);
    if (battlements) {
        for (double x = wall.left(); x + 5 <= wall.right() + 0.01; x += 9)
            outline.addRect(QRectF(x, wall.top() - 5, 5, 5.5));
        outline = outline.simplified();
    }
    p.drawPath(outline);
    p.save();
    p.setClipRect(wall);
    paintStones(p, wall);
    p.restore();
}

void paintRoof(QPainter& p, double left, double right, double base, double top, const QColor& colour)
{
    QPainterPath cone(QPointF(left - 2, base));
    cone.lineTo((left + right) / 2, top);
    cone.lineTo(right + 2, base);
    cone.closeSubpath();
    QLinearGradient shade(left, 0, right, 0);
    shade.setColorAt(0, colour.lighter(125));
    shade.setColorAt(1, colour.darker(125));
    p.setPen(QPen(colour.darker(160), 0.8));
    p.setBrush(shade);
    p.drawPath(cone);
}

void paintWindow(QPainter& p, QPointF at, double w, double h)
{
    QPainterPath arch(at + QPointF(-w / 2, h));
    arch.lineTo(at + QPointF(-w / 2, w / 2));
    arch.arcTo(QRectF(at.x() - w / 2, at.y(), w, w), 180, -180);
    arch.lineTo(at + QPointF(w / 2, h));
    arch.closeSubpath();
    p.setPen(QPen(QColor(110, 100, 86), 0.6));
    p.setBrush(QColor(40, 44, 70));
    p.drawPath(arch);
}

QImage castleFrame(int frame)
{
    Canvas canvas(100, 200);
    QPainter& p = canvas.painter();
    const double t = phase(frame);

    // The flag first, so the pole stands in front of its edge.
    std::vector<QPointF> top, bottom;
    std::vector<QPointF> middle;
    for (int i = 0; i <= 20; ++i) {
        const double u = i / 20.0;
        const double wave = 3.2 * u * std::sin(t - 2 * kPi * 0.8 * u);
        middle.emplace_back(51 + 30 * u - 1.5 * u * (1 + std::cos(t - 2 * kPi * 0.8 * u)), 20 + wave);
    }
    const QPainterPath flag = ribbon(middle, [](double u) { return 7 - 1.5 * u; });
    p.setPen(QPen(QColor(140, 20, 30), 0.6));
    p.setBrush(QColor(214, 40, 52));
    p.drawPath(flag);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 226, 90));
    p.drawEllipse(middle[7], 2.8, 2.8);

    p.setPen(QPen(QColor(90, 70, 50), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(50, 13), QPointF(50, 44));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 190, 60));
    p.drawEllipse(QPointF(50, 12.5), 1.8, 1.8);

    paintRoof(p, 34, 66, 72, 38, QColor(196, 60, 50));
    paintWall(p, QRectF(35, 72, 30, 72), false);
    paintWindow(p, QPointF(50, 84), 9, 14);

    paintRoof(p, 8, 28, 116, 92, QColor(60, 90, 170));
    paintRoof(p, 72, 92, 116, 92, QColor(60, 90, 170));
    paintWall(p, QRectF(9, 116, 18, 82), false);
    paintWall(p, QRectF(73, 116, 18, 82), false);
    paintWall(p, QRectF(27, 146, 46, 52), true);
    paintWindow(p, QPointF(18, 126), 6, 10);
    paintWindow(p, QPointF(82, 126), 6, 10);

    // The gate.
    QPainterPath gate(QPointF(42, 198));
    gate.lineTo(42, 176);
    gate.arcTo(QRectF(42, 170, 16, 14), 180, -180);
    gate.lineTo(58, 198);
    gate.closeSubpath();
    p.setPen(QPen(QColor(70, 44, 24), 0.8));
    p.setBrush(QColor(120, 76, 40));
    p.drawPath(gate);
    p.drawLine(QPointF(50, 171), QPointF(50, 198));

    paintSandMound(p, QPointF(50, 197), 96, 3.5);
    return canvas.finish();
}

QImage chestFrame(int frame)
{
    Canvas canvas(200, 100);
    QPainter& p = canvas.painter();
    const double t = phase(frame);
    const double open = (1 - std::cos(t)) / 2;  // 0 shut in frame 0, 1 wide open in frame 5
    const double angle = 34 * open;

    paintSandMound(p, QPointF(100, 84), 150, 5);

    const QRectF box(70, 58, 62, 28);
    const QPointF hinge(box.right(), box.top());

    // The gold inside shows as the lid lifts.
    p.setPen(QPen(QColor(176, 120, 20), 0.6));
    p.setBrush(QColor(240, 192, 40));
    p.drawEllipse(QRectF(76, 51, 50, 14));
    p.setBrush(QColor(252, 218, 90));
    for (int i = 0; i < 6; ++i)
        p.drawEllipse(QPointF(82 + i * 7.5, 53.5 + (i % 2) * 2), 3.2, 1.8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 60));
    p.drawEllipse(QPointF(96, 52), 2.2, 2.2);

    // The box.
    QLinearGradient wood(0, box.top(), 0, box.bottom());
    wood.setColorAt(0, QColor(156, 94, 44));
    wood.setColorAt(1, QColor(112, 64, 30));
    p.setPen(QPen(QColor(70, 38, 16), 0.9));
    p.setBrush(wood);
    p.drawRect(box);
    p.setPen(QPen(QColor(90, 50, 22), 0.6));
    for (double y = box.top() + 7; y < box.bottom(); y += 7)
        p.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
    p.setPen(QPen(QColor(150, 110, 40), 0.6));
    p.setBrush(QColor(214, 170, 64));
    for (double x : {box.left() + 6, box.right() - 10})
        p.drawRect(QRectF(x, box.top(), 4, box.height()));
    p.drawRect(QRectF(97, box.top() + 2, 8, 10));
    p.setBrush(QColor(60, 40, 20));
    p.drawEllipse(QPointF(101, box.top() + 6), 1.2, 1.2);

    // The lid turns about the hinge at the back.
    p.save();
    p.translate(hinge);
    p.rotate(angle);
    p.translate(-hinge);
    QPainterPath lid(QPointF(box.left(), box.top()));
    lid.lineTo(box.left(), box.top() - 6);
    lid.cubicTo(box.left(), box.top() - 16, box.right(), box.top() - 16, box.right(), box.top() - 6);
    lid.lineTo(box.right(), box.top());
    lid.closeSubpath();
    QLinearGradient lidWood(0, box.top() - 14, 0, box.top());
    lidWood.setColorAt(0, QColor(176, 110, 54));
    lidWood.setColorAt(1, QColor(130, 76, 36));
    p.setPen(QPen(QColor(70, 38, 16), 0.9));
    p.setBrush(lidWood);
    p.drawPath(lid);
    p.setPen(QPen(QColor(150, 110, 40), 0.6));
    p.setBrush(QColor(214, 170, 64));
    for (double x : {box.left() + 6, box.right() - 10})
        p.drawRect(QRectF(x, box.top() - 13, 4, 13));
    p.drawRect(QRectF(97, box.top() - 5, 8, 5));
    p.restore();

    // A glint and a few bubbles while it is open.
    if (open > 0.3) {
        const double s = 5 * (open - 0.3) / 0.7;
        const QPointF c(92, 46 - 4 * open);
        QPainterPath star(c + QPointF(0, -s));
        star.quadTo(c, c + QPointF(s, 0));
        star.quadTo(c, c + QPointF(0, s));
        star.quadTo(c, c + QPointF(-s, 0));
        star.quadTo(c, c + QPointF(0, -s));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 250, 200));
        p.drawPath(star);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(96, 156, 214), 1.3));
    for (int i = 0; i < 3; ++i) {
        // Each bubble leaves the opening at its own moment and rises until the lid shuts.
        const double start = 0.3 + 0.12 * i;
        const double u = std::fmod(frame / double(kFrames) - start + 1, 1.0);
        if (u > 0.5)
            continue;
        p.drawEllipse(QPointF(84 + 9 * i + 3 * std::sin(10 * u + i), 48 - 90 * u), 2.2 - 0.3 * i, 2.2 - 0.3 * i);
    }
    return canvas.finish();
}

QImage rockFrame(int frame)
{
    Canvas canvas(200, 100);
    QPainter& p = canvas.painter();
    const double t = phase(frame);

    paintSandMound(p, QPointF(100, 84), 170, 5);

    QPainterPath rock(QPointF(36, 88));
    rock.cubicTo(34, 70, 46, 54, 62, 50);
    rock.cubicTo(74, 40, 96, 38, 110, 44);
    rock.cubicTo(128, 40, 150, 48, 158, 62);
    rock.cubicTo(166, 72, 166, 82, 164, 88);
    rock.closeSubpath();
    QLinearGradient stone(0, 40, 0, 88);
    stone.setColorAt(0, QColor(156, 152, 146));
    stone.setColorAt(1, QColor(92, 90, 88));
    p.setPen(QPen(QColor(60, 58, 56), 1));
    p.setBrush(stone);
    p.drawPath(rock);
    p.save();
    p.setClipPath(rock);
    p.setPen(QPen(QColor(80, 78, 74), 0.8));
    p.drawLine(QPointF(70, 60), QPointF(84, 72));
    p.drawLine(QPointF(84, 72), QPointF(80, 86));
    p.drawLine(QPointF(132, 58), QPointF(144, 74));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(96, 132, 70));
    p.drawEllipse(QPointF(56, 60), 8, 4);
    p.drawEllipse(QPointF(150, 66), 6, 3);
    p.drawEllipse(QPointF(120, 48), 5, 2.5);
    p.restore();

    // Sea anemones: a stalk, then tentacles fanning up from its crown, each curling
    // to a wave that runs out along it.
    struct Anemone {
        QPointF foot;
        double height, crown, reach;
        int tentacles;
        QColor stalk, tentacle, tip;
        double offset;
    };
    const Anemone anemones[] = {
        {{74, 52}, 8, 7, 14, 9, {150, 80, 160}, {186, 110, 200}, {236, 200, 246}, 1.3},
        {{112, 44}, 12, 10, 22, 13, {224, 110, 60}, {244, 126, 150}, {255, 214, 226}, 0.0},
    };
    for (const Anemone& a : anemones) {
        const QPointF crown = a.foot - QPointF(0, a.height);
        for (int i = 0; i < a.tentacles; ++i) {
            const double spread = -170 + 160.0 * i / (a.tentacles - 1);
            std::vector<QPointF> line;
            QPointF at = crown + QPointF(a.crown * std::cos(spread * kPi / 180), 0.4 * a.crown * std::sin(spread * kPi / 180));
            double dir = spread;
            const double step = a.reach / 12;
            line.push_back(at);
            for (int k = 1; k <= 12; ++k) {
                const double s = k / 12.0;
                dir = spread + 38 * s * std::sin(t - 3 * s + 0.7 * i + a.offset);
                at += QPointF(step * std::cos(dir * kPi / 180), step * std::sin(dir * kPi / 180));
                line.push_back(at);
            }
            const QPainterPath arm = ribbon(line, [](double s) { return 1.9 * (1 - s) + 0.6; });
            QLinearGradient shade(line.front(), line.back());
            shade.setColorAt(0, a.tentacle);
            shade.setColorAt(1, a.tip);
            p.setPen(Qt::NoPen);
            p.setBrush(shade);
            p.drawPath(arm);
        }
        // The column: slim at its foot, flaring to the crown, with a dark mouth on top.
        QLinearGradient column(a.foot.x() - a.crown, 0, a.foot.x() + a.crown, 0);
        column.setColorAt(0, a.stalk.lighter(130));
        column.setColorAt(1, a.stalk.darker(125));
        p.setPen(QPen(a.stalk.darker(160), 0.6));
        p.setBrush(column);
        QPainterPath stalk(a.foot + QPointF(-a.crown * 0.55, 2));
        stalk.cubicTo(a.foot + QPointF(-a.crown * 0.4, -a.height * 0.5), crown + QPointF(-a.crown * 0.5, 1),
                      crown + QPointF(-a.crown * 1.05, 0));
        stalk.quadTo(crown + QPointF(0, a.crown * 0.35), crown + QPointF(a.crown * 1.05, 0));
        stalk.cubicTo(crown + QPointF(a.crown * 0.5, 1), a.foot + QPointF(a.crown * 0.4, -a.height * 0.5),
                      a.foot + QPointF(a.crown * 0.55, 2));
        stalk.closeSubpath();
        p.drawPath(stalk);
        p.setPen(Qt::NoPen);
        p.setBrush(a.tentacle.darker(110));
        p.drawEllipse(crown, a.crown * 1.05, a.crown * 0.32);
        p.setBrush(a.stalk.darker(170));
        p.drawEllipse(crown, a.crown * 0.3, a.crown * 0.12);
    }
    return canvas.finish();
}

std::vector<QImage> frames(QImage (*paint)(int))
{
    std::vector<QImage> out;
    for (int k = 0; k < kFrames; ++k)
        out.push_back(paint(k));
    return out;
}

}  // namespace

std::vector<AccessoryKind> drawAccessoryKinds()
{
    return {
        {QStringLiteral("mizukusa.acc"), kPortraitLayout, frames(plantFrame)},
        {QStringLiteral("shiro.acc"), kPortraitLayout, frames(castleFrame)},
        {QStringLiteral("takarabako.acc"), kLandscapeLayout, frames(chestFrame)},
        {QStringLiteral("iwa.acc"), kLandscapeLayout, frames(rockFrame)},
    };
}
