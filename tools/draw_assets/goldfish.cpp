#include "goldfish.h"

#include "canvas.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QLinearGradient>

#include <array>
#include <cmath>
#include <numbers>

namespace {

struct PoseShape {
    double tailAngle;     // degrees; negative lifts the tail
    double tailLength;    // stretch of the tail along its axis; short means turned away
    double tailSpread;    // how far the lobes open
    double dorsalLean;    // the dorsal fin's top flowing back
    double pectoralTurn;  // degrees the near pectoral fin is swung back
    double lowerFinTurn;  // degrees the pelvic and anal fins are swung back
};

PoseShape shapeOf(FishPose pose)
{
    switch (pose) {
    case FishPose::A: return {0, 1.0, 1.0, 0.0, 0, 0};
    case FishPose::B: return {-10, 0.87, 0.93, 1.5, 12, 6};
    case FishPose::C: return {-20, 0.74, 0.85, 3.0, 24, 12};
    case FishPose::D: return {2, 1.02, 1.2, -1.5, -14, -10};
    }
    return {};
}

const QPointF kTailRoot(47.5, 38.0);

// One lobe of the tail in tail space: x runs back from the root, y down. `side` is -1 for
// the upper lobe and +1 for the lower one; the lower lobe is a little longer and fuller.
QPainterPath tailLobe(int side)
{
    const double s = side;
    const double k = side > 0 ? 1.06 : 1.0;
    QPainterPath lobe;
    lobe.moveTo(-2, 4.5 * -s);
    lobe.cubicTo(4 * k, 9 * s, 11 * k, 18 * s, 21 * k, 23 * s);     // leading edge out to the tip
    lobe.cubicTo(24.5 * k, 22 * s, 25.5 * k, 18 * s, 23.5 * k, 15 * s);  // round the tip
    lobe.cubicTo(21.5 * k, 12 * s, 25.5 * k, 9.5 * s, 22.5 * k, 6.5 * s);  // ruffled trailing edge
    lobe.cubicTo(20.5 * k, 3.5 * s, 18 * k, 1 * s, 16 * k, 0);      // into the fork
    lobe.lineTo(-2, 0);
    lobe.closeSubpath();
    return lobe;
}

// Fins are thin and let the water through: orange at the root, fading to a pale,
// faintly green white at the edge, with darker rays fanning out from `root`.
void paintFin(QPainter& p, const QPainterPath& fin, QPointF root, double reach, double rayFrom, double rayTo)
{
    QRadialGradient fill(root, reach);
    fill.setColorAt(0.0, QColor(244, 132, 44));
    fill.setColorAt(0.3, QColor(249, 178, 112));
    fill.setColorAt(0.62, QColor(248, 226, 206));
    fill.setColorAt(1.0, QColor(236, 248, 234));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(fin);

    p.save();
    p.setClipPath(fin, Qt::IntersectClip);
    p.setPen(QPen(QColor(232, 128, 60, 120), 0.45));
    constexpr int rays = 9;
    for (int i = 0; i <= rays; ++i) {
        const double a = (rayFrom + (rayTo - rayFrom) * i / rays) * std::numbers::pi / 180.0;
        p.drawLine(root, root + QPointF(std::cos(a), std::sin(a)) * reach * 1.2);
    }
    p.restore();

    p.setPen(QPen(QColor(214, 150, 108), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(fin);
}

void paintTail(QPainter& p, const PoseShape& shape)
{
    // The double tail: a rear pair opened wider and a little darker behind the front pair.
    for (int layer = 0; layer < 2; ++layer) {
        const bool rear = layer == 0;
        for (int side : {-1, 1}) {
            QTransform t;
            t.translate(kTailRoot.x(), kTailRoot.y());
            t.rotate(shape.tailAngle + (rear ? side * 9.0 : 0.0));
            t.scale(shape.tailLength * (rear ? 0.93 : 1.0), shape.tailSpread);
            const QPainterPath lobe = t.map(tailLobe(side));
            const double mid = shape.tailAngle + side * 40.0 * shape.tailSpread;
            paintFin(p, lobe, kTailRoot, 25.0 * shape.tailLength, mid - 30, mid + 30);
            if (rear) {
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(120, 60, 20, 28));
                p.drawPath(lobe);
            }
        }
    }
}

QPainterPath dorsalFin(const PoseShape& shape)
{
    const double lean = shape.dorsalLean;
    QPainterPath fin;
    fin.moveTo(21.5, 24);
    fin.cubicTo(21.5, 16, 24 + lean * 0.5, 9, 29 + lean, 5.5);     // leading edge
    fin.cubicTo(32 + lean, 6.5, 35 + lean, 9, 38.5 + lean, 9.5);   // the ragged top
    fin.cubicTo(41 + lean, 12, 40 + lean, 15, 43 + lean * 0.6, 17.5);
    fin.cubicTo(45.5, 21, 44.5, 25, 48, 30);                       // trailing edge to the tail
    fin.lineTo(40, 34);
    fin.lineTo(24, 30);
    fin.closeSubpath();
    return fin;
}

QPainterPath turned(const QPainterPath& path, QPointF pivot, double degrees)
{
    QTransform t;
    t.translate(pivot.x(), pivot.y());
    t.rotate(degrees);
    t.translate(-pivot.x(), -pivot.y());
    return t.map(path);
}

QPainterPath pectoralFin(const PoseShape& shape)
{
    QPainterPath fin;
    fin.moveTo(19.5, 43.5);
    fin.cubicTo(23, 44.5, 28.5, 49, 31.5, 56);
    fin.cubicTo(28.5, 58, 25, 57, 22.5, 54.5);
    fin.cubicTo(20, 51.5, 18.5, 48, 19.5, 43.5);
    return turned(fin, {20, 45}, -shape.pectoralTurn);
}

QPainterPath pelvicFin(const PoseShape& shape)
{
    QPainterPath fin;
    fin.moveTo(25.5, 51.5);
    fin.cubicTo(29.5, 55, 33, 60, 36, 65.5);
    fin.cubicTo(33, 66.5, 29, 64, 27, 60.5);
    fin.cubicTo(25, 57.5, 24.5, 54.5, 25.5, 51.5);
    return turned(fin, {26, 53}, -shape.lowerFinTurn);
}

QPainterPath analFin(const PoseShape& shape)
{
    QPainterPath fin;
    fin.moveTo(37.5, 48.5);
    fin.cubicTo(41.5, 52, 45, 56, 49.5, 60);
    fin.cubicTo(46.5, 61.5, 42.5, 60, 40, 57.5);
    fin.cubicTo(38, 55, 37, 52, 37.5, 48.5);
    return turned(fin, {38, 50}, -shape.lowerFinTurn);
}

QPainterPath bodyOutline()
{
    QPainterPath body;
    body.moveTo(5.5, 38);                        // the mouth
    body.cubicTo(5.5, 28.5, 12, 21.5, 22, 20.5);  // forehead
    body.cubicTo(32, 19.5, 41, 25, 48.5, 33);     // back down to the tail root
    body.cubicTo(50.5, 35, 51, 37, 51, 38);      // rounded tail root
    body.cubicTo(51, 39.5, 50.5, 41, 49.5, 42.5);
    body.cubicTo(44, 50, 34, 56.5, 23.5, 56);     // belly
    body.cubicTo(13, 55.5, 6, 48.5, 5.5, 38);     // chin
    body.closeSubpath();
    return body;
}

void paintBody(QPainter& p, const QPainterPath& body)
{
    p.save();
    p.setClipPath(body);
    p.setPen(Qt::NoPen);

    // Deep orange back, bright flank, and a white belly underneath.
    QLinearGradient flank(QPointF(30, 20), QPointF(27, 57));
    flank.setColorAt(0.0, QColor(214, 84, 12));
    flank.setColorAt(0.3, QColor(242, 124, 22));
    flank.setColorAt(0.55, QColor(252, 156, 42));
    flank.setColorAt(0.68, QColor(253, 196, 120));
    flank.setColorAt(0.8, QColor(250, 242, 230));
    flank.setColorAt(1.0, QColor(246, 246, 240));
    p.setBrush(flank);
    p.drawRect(QRectF(0, 0, 75, 75));

    // Sheen along the back.
    QRadialGradient sheen(QPointF(33, 29), 10);
    sheen.setColorAt(0.0, QColor(255, 214, 140, 150));
    sheen.setColorAt(1.0, QColor(255, 214, 140, 0));
    p.setBrush(sheen);
    p.drawEllipse(QPointF(33, 29), 12, 7);

    // Darker towards the edges, so the body looks round rather than flat.
    QRadialGradient round(QPointF(29, 35), 24);
    round.setColorAt(0.0, QColor(255, 255, 255, 0));
    round.setColorAt(0.6, QColor(255, 255, 255, 0));
    round.setColorAt(1.0, QColor(170, 60, 8, 110));
    p.setBrush(round);
    p.drawRect(QRectF(0, 0, 75, 75));

    // Rows of scales, only a hint at this size.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(196, 86, 16, 75), 0.4));
    for (int row = 0; row < 6; ++row) {
        const double y = 27 + row * 3.4;
        for (int col = 0; col < 8; ++col) {
            const double x = 25 + col * 3.2 + (row % 2) * 1.6;
            p.drawArc(QRectF(x - 1.7, y - 1.7, 3.4, 3.4), 90 * 16, -180 * 16);
        }
    }
    p.restore();
}

void paintHead(QPainter& p, const QPainterPath& body)
{
    // The red head: the whole face is red, and a raspberry-like cap of bumps rises over
    // the forehead and spills just above the outline.
    QPainterPath face;
    face.addEllipse(QPointF(12.5, 36), 13, 16);
    face = face.intersected(body);

    static constexpr std::array<std::array<double, 3>, 8> bumps{{
        {9.5, 25.5, 4.2}, {14.5, 21.5, 4.6}, {20.5, 21.0, 4.3}, {25.0, 23.8, 3.6},
        {6.8, 31.0, 3.4}, {12.0, 27.5, 3.6}, {18.0, 26.5, 3.8}, {23.5, 29.0, 3.0},
    }};
    QPainterPath cap = face;
    cap.setFillRule(Qt::WindingFill);  // overlapping bumps must not cut holes in each other
    for (const auto& b : bumps)
        cap.addEllipse(QPointF(b[0], b[1]), b[2], b[2]);
    cap = cap.simplified();

    QRadialGradient red(QPointF(13, 31), 16);
    red.setColorAt(0.0, QColor(236, 52, 34));
    red.setColorAt(0.6, QColor(214, 28, 24));
    red.setColorAt(1.0, QColor(176, 14, 18));
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawPath(cap);

    // Each bump lit from the upper left.
    p.save();
    p.setClipPath(cap);
    for (const auto& b : bumps) {
        const QPointF c(b[0], b[1]);
        QRadialGradient lump(c + QPointF(-b[2] * 0.35, -b[2] * 0.4), b[2]);
        lump.setColorAt(0.0, QColor(255, 128, 100, 210));
        lump.setColorAt(0.5, QColor(236, 58, 40, 90));
        lump.setColorAt(1.0, QColor(150, 8, 12, 120));
        p.setBrush(lump);
        p.drawEllipse(c, b[2], b[2]);
    }
    p.restore();

    // Outline the cap only where it rises above the body; inside, red meets orange softly.
    QPainterPath outside;
    outside.addRect(QRectF(0, 0, 75, 75));
    p.save();
    p.setClipPath(outside.subtracted(body));
    p.setPen(QPen(QColor(140, 16, 16), 0.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(cap);
    p.restore();

    // Gill cover, where the red head meets the orange body.
    QPainterPath gill;
    gill.moveTo(24.5, 31);
    gill.cubicTo(26, 37, 25.5, 44, 22.5, 50);
    p.setPen(QPen(QColor(150, 22, 18), 0.7));
    p.drawPath(gill);
}

void paintFace(QPainter& p)
{
    const QPointF eye(12.5, 36.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(246, 204, 70));
    p.drawEllipse(eye, 3.4, 3.4);
    p.setBrush(QColor(10, 6, 6));
    p.drawEllipse(eye + QPointF(-0.3, 0.1), 2.3, 2.3);
    p.setBrush(QColor(250, 250, 246));
    p.drawEllipse(eye + QPointF(-1.0, -0.9), 0.75, 0.75);
    p.setPen(QPen(QColor(110, 20, 10), 0.45));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(eye, 3.4, 3.4);

    // Open mouth at the tip of the snout.
    p.setPen(QPen(QColor(110, 14, 14), 0.9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5.2, 39.6), QPointF(8.2, 40.4));
    p.setPen(QPen(QColor(246, 120, 110), 0.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5.4, 38.4), QPointF(7.6, 38.9));
}

} // namespace

void paintGoldfish(QPainter& p, FishPose pose)
{
    const PoseShape shape = shapeOf(pose);
    const QPainterPath body = bodyOutline();

    paintTail(p, shape);
    paintFin(p, dorsalFin(shape), {34, 30}, 26, -150, -40);
    paintFin(p, analFin(shape), {38, 50}, 13, 20, 60);

    paintBody(p, body);
    paintHead(p, body);
    p.setPen(QPen(QColor(150, 56, 14), 0.7));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    paintFace(p);

    paintFin(p, pelvicFin(shape), {26, 53}, 15, 30, 70);
    paintFin(p, pectoralFin(shape), {20, 45}, 14, 20, 60);
}

MakeResult drawGoldfishSheet()
{
    constexpr int cell = 75;
    constexpr int scale = 4;
    static constexpr std::array<FishPose, kLeftFacingCells> leftPoses{FishPose::A, FishPose::B, FishPose::C,
                                                                      FishPose::B, FishPose::A, FishPose::D};
    MakeRequest request;
    request.layout = kPatternLayout;
    request.mirror = true;
    request.palette = true;
    for (FishPose pose : leftPoses) {
        QImage canvas = makeCanvas(cell, cell, scale);
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        paintGoldfish(p, pose);
        p.end();
        request.pictures.push_back(reduceCanvas(canvas, scale));
    }
    return makeSheet(request);
}

QImage drawIcon()
{
    constexpr int size = 64;
    constexpr int scale = 4;
    QImage canvas = makeCanvas(size, size, scale);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    // The fish spans about x 4-73, y 5-67 of its cell; fit that into the icon.
    const double fit = size / 70.0;
    p.translate(0, (size - 62 * fit) / 2);
    p.scale(fit, fit);
    p.translate(-4, -5);
    paintGoldfish(p, FishPose::D);
    p.end();
    return reduceCanvas(canvas, scale);
}
