// The twelve pieces, drawn from simple vector shapes in a 100 x 100 box. Every
// piece stands on the same two-step plinth so that a row of pieces lines up; the
// shapes are kept bold so that each kind reads at a glance at 44 pixels.
#include "assets/Art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <array>
#include <vector>

namespace corvane::art {
namespace {

struct Style {
    QColor fillTop, fillBottom, outline, detail;
};

Style StyleFor(bool white) {
    if (white)
        return {QColor(255, 253, 247), QColor(221, 210, 192), QColor(38, 29, 22),
                QColor(38, 29, 22)};
    return {QColor(98, 90, 83), QColor(26, 23, 21), QColor(12, 10, 9), QColor(222, 211, 192)};
}

QPainterPath RoundRect(qreal x, qreal y, qreal w, qreal h, qreal r) {
    QPainterPath p;
    p.addRoundedRect(QRectF(x, y, w, h), r, r);
    return p;
}

QPainterPath Circle(qreal cx, qreal cy, qreal r) {
    QPainterPath p;
    p.addEllipse(QPointF(cx, cy), r, r);
    return p;
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
    QPolygonF poly;
    for (const QPointF& pt : points) poly << pt;
    QPainterPath p;
    p.addPolygon(poly);
    p.closeSubpath();
    return p;
}

// Concave foot that widens towards the plinth, from half-width top to bottom.
QPainterPath Flare(qreal topY, qreal topHalf, qreal bottomY, qreal bottomHalf) {
    QPainterPath p;
    p.moveTo(50 - topHalf, topY);
    p.cubicTo(50 - topHalf, topY + (bottomY - topY) * 0.6, 50 - bottomHalf + 2, bottomY - 3,
              50 - bottomHalf, bottomY);
    p.lineTo(50 + bottomHalf, bottomY);
    p.cubicTo(50 + bottomHalf - 2, bottomY - 3, 50 + topHalf, topY + (bottomY - topY) * 0.6,
              50 + topHalf, topY);
    p.closeSubpath();
    return p;
}

struct Shape {
    std::vector<QPainterPath> parts; // back to front, each filled and outlined
    QPainterPath details;            // thin lines in the detail colour
    QPainterPath dots;               // filled in the detail colour (eye, nostril)
};

void AddPlinth(Shape& s, bool small) {
    if (small) {
        s.parts.push_back(RoundRect(25, 80, 50, 10, 3.5));
        s.parts.push_back(RoundRect(30, 74, 40, 8, 3));
    } else {
        s.parts.push_back(RoundRect(20, 80, 60, 10, 3.5));
        s.parts.push_back(RoundRect(27, 74, 46, 8, 3));
    }
}

Shape Pawn() {
    Shape s;
    AddPlinth(s, true);
    s.parts.push_back(Flare(47, 9, 75, 17));
    s.parts.push_back(RoundRect(35, 42, 30, 8, 4));
    s.parts.push_back(Circle(50, 30, 12.5));
    return s;
}

Shape Rook() {
    Shape s;
    AddPlinth(s, false);
    QPainterPath body;
    body.moveTo(36, 41);
    body.lineTo(33.5, 75);
    body.lineTo(66.5, 75);
    body.lineTo(64, 41);
    body.closeSubpath();
    s.parts.push_back(body);
    s.parts.push_back(RoundRect(31, 36, 38, 7, 2));
    s.parts.push_back(Polygon({{27, 14},
                               {38, 14},
                               {38, 22},
                               {44.5, 22},
                               {44.5, 14},
                               {55.5, 14},
                               {55.5, 22},
                               {62, 22},
                               {62, 14},
                               {73, 14},
                               {73, 37},
                               {27, 37}}));
    s.details.moveTo(36, 67);
    s.details.lineTo(64, 67);
    return s;
}

Shape Knight() {
    Shape s;
    AddPlinth(s, false);
    QPainterPath head;
    head.moveTo(29, 75);
    head.cubicTo(28, 65, 37, 58, 47, 52); // chest up to the throat
    head.cubicTo(40, 56, 33, 60, 26, 61); // under the jaw to the chin
    head.cubicTo(18, 62, 13, 54, 18, 47); // muzzle
    head.cubicTo(24, 39, 30, 31, 35, 24); // bridge of the nose
    head.lineTo(39, 8);                   // ear
    head.lineTo(48, 18);                  // back of the ear
    head.cubicTo(66, 19, 79, 36, 75, 75); // mane and neck
    head.closeSubpath();
    s.parts.push_back(head);
    s.details.moveTo(52, 24);
    s.details.cubicTo(63, 28, 70, 42, 68, 68);
    s.dots.addEllipse(QPointF(38, 31), 3.2, 2.6);
    s.dots.addEllipse(QPointF(22, 51.5), 1.9, 1.9);
    return s;
}

Shape Bishop() {
    Shape s;
    AddPlinth(s, false);
    s.parts.push_back(Flare(60, 9, 75, 19));
    QPainterPath mitre;
    mitre.moveTo(50, 18);
    mitre.cubicTo(37, 27, 31, 43, 38, 56);
    mitre.lineTo(62, 56);
    mitre.cubicTo(69, 43, 63, 27, 50, 18);
    mitre.closeSubpath();
    s.parts.push_back(mitre);
    s.parts.push_back(RoundRect(35, 54, 30, 8, 4));
    s.parts.push_back(Circle(50, 14, 5.5));
    s.details.moveTo(56, 30);
    s.details.lineTo(46, 43);
    return s;
}

void AddCrownBand(Shape& s) {
    s.parts.push_back(Flare(64, 12, 75, 20));
}

Shape Queen() {
    Shape s;
    AddPlinth(s, false);
    AddCrownBand(s);
    s.parts.push_back(Polygon({{33, 60},
                               {21, 27},
                               {35.5, 45},
                               {36.5, 21},
                               {45.5, 43},
                               {50, 16},
                               {54.5, 43},
                               {63.5, 21},
                               {64.5, 45},
                               {79, 27},
                               {67, 60}}));
    s.parts.push_back(RoundRect(31, 57, 38, 8, 4));
    for (const QPointF c : {QPointF(21, 25), QPointF(36.5, 18.5), QPointF(50, 13),
                            QPointF(63.5, 18.5), QPointF(79, 25)})
        s.parts.push_back(Circle(c.x(), c.y(), 4.6));
    return s;
}

Shape King() {
    Shape s;
    AddPlinth(s, false);
    AddCrownBand(s);
    QPainterPath cross = RoundRect(46.5, 3, 7, 24, 1.5).united(RoundRect(40, 8.5, 20, 7, 1.5));
    s.parts.push_back(cross);
    s.parts.push_back(RoundRect(44, 23, 12, 16, 5));
    QPainterPath crown;
    crown.moveTo(34, 60);
    crown.cubicTo(18, 49, 20, 29, 35, 29);
    crown.cubicTo(43, 29, 48, 34, 50, 40);
    crown.cubicTo(52, 34, 57, 29, 65, 29);
    crown.cubicTo(80, 29, 82, 49, 66, 60);
    crown.closeSubpath();
    s.parts.push_back(crown);
    s.parts.push_back(RoundRect(31, 57, 38, 8, 4));
    s.details.moveTo(50, 42);
    s.details.lineTo(50, 56);
    return s;
}

Shape ShapeOf(int kind) {
    switch (kind) {
    case 1:
        return Rook();
    case 2:
        return Knight();
    case 3:
        return Bishop();
    case 4:
        return Queen();
    case 5:
        return King();
    default:
        return Pawn();
    }
}

// A kind's paths and the union of its parts, built once: uniting the parts is
// by far the dearest step of drawing a piece.
struct PreparedShape {
    Shape shape;
    QPainterPath silhouette;
    QRectF ink; // what drawing it may touch, in the 100-unit box
};

// The transform that enlarges the shapes a little about the centre so that the
// pieces fill their squares, feet near the bottom edge.
QTransform PieceLayout() {
    QTransform t;
    t.translate(50, 52);
    t.scale(1.08, 1.08);
    t.translate(-50, -50);
    return t;
}

constexpr qreal kOutlineWidth = 3.0;
constexpr qreal kShadowDx = 2.2, kShadowDy = 2.8;
constexpr int kWidestShadow = 7;

const PreparedShape& Prepared(int kind) {
    static const std::array<PreparedShape, 7> shapes = [] {
        std::array<PreparedShape, 7> all;
        for (int k = 1; k <= 6; ++k) {
            PreparedShape& ps = all[k];
            ps.shape = ShapeOf(k);
            for (const QPainterPath& part : ps.shape.parts)
                ps.silhouette = ps.silhouette.united(part);
            // Outline half a pen wide all round; the shadow's widest stroke, offset
            // down and to the right; the details lie inside the silhouette.
            const QRectF body = ps.silhouette.controlPointRect();
            const qreal pen = kOutlineWidth / 2, shadow = kWidestShadow / 2.0;
            const QRectF outline = body.adjusted(-pen, -pen, pen, pen);
            const QRectF shade =
                body.translated(kShadowDx, kShadowDy).adjusted(-shadow, -shadow, shadow, shadow);
            ps.ink = PieceLayout().mapRect(outline.united(shade));
        }
        return all;
    }();
    return shapes[kind >= 1 && kind <= 6 ? kind : 6];
}

} // namespace

QRectF PieceInkUnit(int kind) {
    return Prepared(kind).ink;
}

void PaintPieceUnit(QPainter& p, int kind, bool white) {
    const PreparedShape& prepared = Prepared(kind);
    const Shape& s = prepared.shape;
    const QPainterPath& silhouette = prepared.silhouette;
    const Style st = StyleFor(white);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(50, 52);
    p.scale(1.08, 1.08);
    p.translate(-50, -50);

    // Soft shadow: the whole silhouette, offset and widened in a few faint steps.
    p.save();
    p.translate(kShadowDx, kShadowDy);
    p.setBrush(Qt::NoBrush);
    for (int w = kWidestShadow; w >= 1; w -= 3) {
        p.setPen(QPen(QColor(0, 0, 0, 22), w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(silhouette);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawPath(silhouette);
    p.restore();

    QLinearGradient fill(QPointF(30, 8), QPointF(70, 92));
    fill.setColorAt(0, st.fillTop);
    fill.setColorAt(1, st.fillBottom);
    const QPen outline(st.outline, kOutlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    for (const QPainterPath& part : s.parts) {
        p.setPen(outline);
        p.setBrush(fill);
        p.drawPath(part);
    }
    // A faint highlight along the upper left of light pieces, a sheen on dark ones.
    // The silhouette narrows whatever clip the caller set; it does not replace it.
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(white ? QColor(255, 255, 255, 70) : QColor(255, 255, 255, 16));
    p.setClipPath(silhouette, Qt::IntersectClip);
    p.drawEllipse(QPointF(34, 30), 14, 26);
    p.restore();

    p.setPen(QPen(st.detail, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(s.details);
    p.setPen(Qt::NoPen);
    p.setBrush(st.detail);
    p.drawPath(s.dots);
    p.restore();
}

} // namespace corvane::art
