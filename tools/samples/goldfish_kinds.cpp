#include "goldfish_kinds.h"

#include "canvas.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <array>
#include <cmath>
#include <functional>

namespace {

constexpr double kPi = 3.14159265358979323846;

// How the fins stand in one pose. The body never moves, so markings painted on it
// stay put from pose to pose.
struct Pose {
    double tailSpread;  // degrees each lobe opens from the middle line
    double tailLength;
    double tailTilt;    // degrees the whole tail swings, positive downwards
    double dorsalLean;  // how far the dorsal fin's tip leans back
    double pectoral;    // degrees the breast fin turns out
};

// A B C B A D, the order of a pattern's left-facing cells.
constexpr std::array<Pose, 3> kSwim{{{34, 24, -5, 0, 0}, {27, 23.5, 2, 1.5, 14}, {19, 23, 8, 3, 26}}};
constexpr Pose kRest{38, 23, 0, -1.5, -8};

struct Look {
    QColor back, belly;        // the body from top to bottom
    QColor fin, finRay;        // fins and the rays drawn in them
    QColor eyeRing;
    QColor outline;
    bool telescopeEyes = false;
    std::function<void(QPainter&)> markings;  // painted clipped to the body
};

QPainterPath bodyPath()
{
    QPainterPath body(QPointF(7, 40));
    body.cubicTo(8, 31, 16, 23, 27, 23);
    body.cubicTo(38, 23, 45, 29, 50, 35);
    body.cubicTo(51.5, 38, 51.5, 41, 50, 44);
    body.cubicTo(45, 51, 37, 56, 27, 56);
    body.cubicTo(16, 56, 8, 50, 7, 40);
    body.closeSubpath();
    return body;
}

QPainterPath tailPath(const Pose& pose)
{
    const QPointF base(49, 39.5);
    auto at = [&](double degrees, double length) {
        const double a = (degrees + pose.tailTilt) * kPi / 180;
        return base + QPointF(length * std::cos(a), length * std::sin(a));
    };
    const QPointF upperTip = at(-pose.tailSpread, pose.tailLength);
    const QPointF lowerTip = at(pose.tailSpread, pose.tailLength);
    const QPointF notch = at(0, pose.tailLength * 0.62);
    QPainterPath tail(base + QPointF(0, -3.5));
    tail.quadTo(at(-pose.tailSpread - 16, pose.tailLength * 0.6), upperTip);
    tail.quadTo(at(-pose.tailSpread * 0.3, pose.tailLength * 0.95), notch);
    tail.quadTo(at(pose.tailSpread * 0.3, pose.tailLength * 0.95), lowerTip);
    tail.quadTo(at(pose.tailSpread + 16, pose.tailLength * 0.6), base + QPointF(0, 3.5));
    tail.closeSubpath();
    return tail;
}

void paintRays(QPainter& p, const QPointF& from, const std::vector<QPointF>& tips, const QColor& colour)
{
    p.setPen(QPen(colour, 0.45, Qt::SolidLine, Qt::RoundCap));
    for (const QPointF& tip : tips)
        p.drawLine(from, from + (tip - from) * 0.9);
    p.setPen(Qt::NoPen);
}

void paintFin(QPainter& p, const QPainterPath& fin, const Look& look)
{
    p.setPen(QPen(look.finRay, 0.5));
    p.setBrush(look.fin);
    p.drawPath(fin);
    p.setPen(Qt::NoPen);
}

QImage paintFish(const Look& look, const Pose& pose)
{
    Canvas canvas(75, 75);
    QPainter& p = canvas.painter();
    p.setPen(Qt::NoPen);

    // Behind the body: the tail, the dorsal and the far fins.
    const QPainterPath tail = tailPath(pose);
    paintFin(p, tail, look);
    {
        std::vector<QPointF> tips;
        for (int i = -3; i <= 3; ++i) {
            const double d = (pose.tailSpread * i / 3.0 + pose.tailTilt) * kPi / 180;
            tips.emplace_back(49 + pose.tailLength * 0.95 * std::cos(d), 39.5 + pose.tailLength * 0.95 * std::sin(d));
        }
        paintRays(p, QPointF(49, 39.5), tips, look.finRay);
    }
    QPainterPath dorsal(QPointF(22, 26));
    dorsal.cubicTo(24, 18, 27 + pose.dorsalLean, 12, 31 + pose.dorsalLean, 11);
    dorsal.cubicTo(35 + pose.dorsalLean, 16, 40, 22, 44, 29);
    dorsal.closeSubpath();
    paintFin(p, dorsal, look);
    paintRays(p, QPointF(33, 28), {{29 + pose.dorsalLean, 13}, {33 + pose.dorsalLean, 15}, {37, 20}}, look.finRay);
    QPainterPath farAnal(QPointF(41, 50));
    farAnal.quadTo(47, 55, 50, 61);
    farAnal.quadTo(46, 58, 44, 49);
    paintFin(p, farAnal, look);

    // The body, darker along the back.
    const QPainterPath body = bodyPath();
    QLinearGradient shade(0, 23, 0, 56);
    shade.setColorAt(0, look.back);
    shade.setColorAt(0.55, look.back.lighter(112));
    shade.setColorAt(1, look.belly);
    p.setBrush(shade);
    p.setPen(QPen(look.outline, 0.7));
    p.drawPath(body);
    p.setPen(Qt::NoPen);

    p.save();
    p.setClipPath(body);
    if (look.markings)
        look.markings(p);
    // Scales: rows of faint arcs.
    p.setPen(QPen(QColor(0, 0, 0, 20), 0.5));
    p.setBrush(Qt::NoBrush);
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 6; ++col) {
            const double x = 25 + col * 4.2 + (row % 2) * 2.1;
            const double y = 29 + row * 4.2;
            p.drawArc(QRectF(x - 2.4, y - 2.4, 4.8, 4.8), 90 * 16, 180 * 16);
        }
    // A sheen along the back.
    QRadialGradient sheen(QPointF(26, 30), 14);
    sheen.setColorAt(0, QColor(255, 255, 255, 90));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawEllipse(QPointF(26, 30), 14, 7);
    p.restore();

    // Gill cover and mouth.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(look.back.darker(150), 0.8, Qt::SolidLine, Qt::RoundCap));
    QPainterPath gill(QPointF(20, 29));
    gill.quadTo(24.5, 39, 20, 50);
    p.drawPath(gill);
    p.setPen(QPen(look.back.darker(200), 0.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7.2, 41), QPointF(9.5, 41.6));

    // The eye; a telescope eye sits on a bulge of its own.
    p.setPen(Qt::NoPen);
    QPointF eye(14.5, 35.5);
    double radius = 3.3;
    if (look.telescopeEyes) {
        eye = QPointF(13.5, 31.5);
        radius = 4.6;
        p.setBrush(look.back.lighter(115));
        p.drawEllipse(eye, radius + 1.6, radius + 1.4);
    }
    p.setBrush(look.eyeRing);
    p.drawEllipse(eye, radius, radius);
    p.setBrush(QColor(12, 10, 10));
    p.drawEllipse(eye, radius * 0.62, radius * 0.62);
    p.setBrush(QColor(250, 250, 245));
    p.drawEllipse(eye + QPointF(-radius * 0.3, -radius * 0.3), radius * 0.22, radius * 0.22);

    // In front: the breast and belly fins.
    p.save();
    p.translate(23, 46);
    p.rotate(pose.pectoral);
    QPainterPath pectoral(QPointF(0, 0));
    pectoral.quadTo(2, 7, 7, 11);
    pectoral.quadTo(8, 5, 3, -1);
    pectoral.closeSubpath();
    paintFin(p, pectoral, look);
    p.restore();
    QPainterPath pelvic(QPointF(29, 54));
    pelvic.quadTo(30, 60, 34, 64);
    pelvic.quadTo(35, 58, 34, 54);
    pelvic.closeSubpath();
    paintFin(p, pelvic, look);
    return canvas.finish();
}

std::vector<QImage> poses(const Look& look)
{
    return {paintFish(look, kSwim[0]), paintFish(look, kSwim[1]), paintFish(look, kSwim[2]),
            paintFish(look, kSwim[1]), paintFish(look, kSwim[0]), paintFish(look, kRest)};
}

Look kohaku()
{
    Look look;
    look.back = QColor(246, 242, 236);
    look.belly = QColor(252, 250, 246);
    look.fin = QColor(248, 240, 236);
    look.finRay = QColor(226, 200, 196);
    look.eyeRing = QColor(220, 170, 60);
    look.outline = QColor(206, 184, 176);
    look.markings = [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(214, 38, 30));
        // A cap on the head and a saddle on the back.
        p.drawEllipse(QRectF(5, 21, 17, 13));
        QPainterPath saddle(QPointF(25, 20));
        saddle.cubicTo(33, 19, 41, 25, 44, 32);
        saddle.cubicTo(39, 37, 33, 40, 28, 36);
        saddle.cubicTo(24, 33, 22, 26, 25, 20);
        p.drawPath(saddle);
        p.drawEllipse(QRectF(35, 40, 7, 5));
    };
    return look;
}

Look kuro()
{
    Look look;
    look.back = QColor(26, 24, 30);
    look.belly = QColor(58, 54, 60);
    look.fin = QColor(44, 42, 50);
    look.finRay = QColor(80, 76, 88);
    look.eyeRing = QColor(70, 66, 72);
    look.outline = QColor(12, 10, 14);
    look.telescopeEyes = true;
    look.markings = [](QPainter& p) {
        // A bronze glint, as velvet black fish show in the light.
        QRadialGradient glint(QPointF(32, 40), 12);
        glint.setColorAt(0, QColor(120, 96, 60, 90));
        glint.setColorAt(1, QColor(120, 96, 60, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glint);
        p.drawEllipse(QPointF(32, 40), 12, 9);
    };
    return look;
}

Look sanshoku()
{
    Look look;
    look.back = QColor(150, 166, 190);
    look.belly = QColor(214, 220, 230);
    look.fin = QColor(206, 214, 226);
    look.finRay = QColor(120, 130, 150);
    look.eyeRing = QColor(200, 150, 70);
    look.outline = QColor(104, 114, 136);
    look.markings = [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(236, 128, 40));
        p.drawEllipse(QRectF(28, 26, 15, 10));
        p.drawEllipse(QRectF(8, 38, 9, 8));
        p.setBrush(QColor(206, 52, 40));
        p.drawEllipse(QRectF(16, 44, 10, 7));
        // Black freckles, the same on every pose.
        QRandomGenerator dots(20240611);
        p.setBrush(QColor(22, 22, 28));
        for (int i = 0; i < 26; ++i) {
            const double x = 10 + dots.bounded(40.0);
            const double y = 25 + dots.bounded(28.0);
            const double r = 0.7 + dots.bounded(1.3);
            p.drawEllipse(QPointF(x, y), r, r * 0.8);
        }
    };
    return look;
}

Look usuki()
{
    Look look;
    look.back = QColor(236, 204, 96);
    look.belly = QColor(252, 240, 196);
    look.fin = QColor(252, 240, 200);
    look.finRay = QColor(224, 196, 120);
    look.eyeRing = QColor(190, 140, 50);
    look.outline = QColor(200, 160, 70);
    return look;
}

}  // namespace

std::vector<GoldfishKind> drawGoldfishKinds()
{
    return {
        {QStringLiteral("kohaku.pat"), poses(kohaku())},
        {QStringLiteral("kuro.pat"), poses(kuro())},
        {QStringLiteral("sanshoku.pat"), poses(sanshoku())},
        {QStringLiteral("usuki.pat"), poses(usuki())},
    };
}
