// Decoration of the windows: buttons, panels, frames, move indicators, radio
// marks, player icons, the tab strip, menu icons, the splash and the busy clock.
// Same palette as the board: dark walnut, cream text, thin brass lines.
#include "assets/Art.h"
#include "assets/frmPieces.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace corvane::art {
namespace {

QFont UiFont(qreal pixels, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(qMax(1, qRound(pixels)));
    f.setBold(bold);
    return f;
}

void WoodFill(QPainter& p, const QRectF& r, qreal radius, QColor top, QColor bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
}

} // namespace

void PaintBackground(QPainter& p, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(58, 46, 38));
    g.setColorAt(1, QColor(30, 24, 20));
    p.fillRect(r, g);
    QRadialGradient glow(r.center() - QPointF(r.width() * 0.15, r.height() * 0.2),
                         qMax(r.width(), r.height()) * 0.7);
    glow.setColorAt(0, QColor(255, 220, 170, 26));
    glow.setColorAt(1, QColor(255, 220, 170, 0));
    p.fillRect(r, glow);
}

void PaintButton(QPainter& p, const QRectF& r, bool highlighted) {
    const QRectF b = r.adjusted(1, 1, -1, -1);
    const qreal radius = qMin(b.height() / 2.0, 8.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(b.translated(0, 1), radius, radius);
    if (highlighted)
        WoodFill(p, b, radius, QColor(168, 122, 72), QColor(116, 78, 44));
    else
        WoodFill(p, b, radius, QColor(96, 68, 47), QColor(58, 40, 28));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(highlighted ? QColor(238, 204, 140) : Brass().darker(115), 1.2));
    p.drawRoundedRect(b.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    // Top sheen.
    QLinearGradient sheen(b.topLeft(), QPointF(b.left(), b.center().y()));
    sheen.setColorAt(0, QColor(255, 255, 255, highlighted ? 70 : 38));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawRoundedRect(b.adjusted(2, 2, -2, -b.height() / 2.0), radius - 2, radius - 2);
}

void PaintFrame(QPainter& p, const QRectF& r, bool inset) {
    const QRectF b = r.adjusted(1, 1, -1, -1);
    if (inset)
        WoodFill(p, b, 6, QColor(34, 26, 20, 235), QColor(48, 36, 27, 235));
    else
        WoodFill(p, b, 6, QColor(78, 56, 40, 240), QColor(44, 31, 22, 240));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 120), 1.0));
    p.drawRoundedRect(b, 6, 6);
    p.setPen(QPen(Brass(), 1.0));
    p.drawRoundedRect(b.adjusted(3, 3, -3, -3), 4, 4);
}

void PaintPanel(QPainter& p, const QRectF& r) {
    PaintFrame(p, r, false);
}

void PaintPointer(QPainter& p, const QRectF& r, bool on) {
    const QRectF b = r.adjusted(2, 2, -2, -2);
    const QPointF c = b.center();
    const qreal rad = qMin(b.width(), b.height()) / 2.0;
    if (on) {
        QRadialGradient halo(c, rad + 2);
        halo.setColorAt(0.55, QColor(255, 196, 92, 150));
        halo.setColorAt(1, QColor(255, 196, 92, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(c, rad + 2, rad + 2);
    }
    QRadialGradient lamp(c - QPointF(rad * 0.3, rad * 0.35), rad * 1.2);
    if (on) {
        lamp.setColorAt(0, QColor(255, 244, 200));
        lamp.setColorAt(0.5, QColor(246, 176, 58));
        lamp.setColorAt(1, QColor(170, 98, 22));
    } else {
        lamp.setColorAt(0, QColor(120, 108, 98));
        lamp.setColorAt(1, QColor(44, 38, 34));
    }
    p.setPen(QPen(QColor(20, 14, 10), 1.2));
    p.setBrush(lamp);
    p.drawEllipse(c, rad * 0.78, rad * 0.78);
}

void PaintRadio(QPainter& p, const QRectF& r, bool selected) {
    const QPointF c = r.center();
    const qreal rad = qMin(r.width(), r.height()) / 2.0 - 1.5;
    p.setPen(QPen(Brass(), 1.4));
    QRadialGradient well(c, rad);
    well.setColorAt(0, QColor(30, 22, 16));
    well.setColorAt(1, QColor(60, 44, 32));
    p.setBrush(well);
    p.drawEllipse(c, rad, rad);
    if (selected) {
        QRadialGradient dot(c - QPointF(rad * 0.2, rad * 0.2), rad * 0.7);
        dot.setColorAt(0, QColor(255, 250, 232));
        dot.setColorAt(1, QColor(214, 184, 120));
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawEllipse(c, rad * 0.5, rad * 0.5);
    }
}

void PaintPlayerIcon(QPainter& p, const QRectF& r, bool computer, bool whitePieces) {
    const qreal s = qMin(r.width(), r.height());
    const QRectF b(r.center().x() - s / 2, r.center().y() - s / 2, s, s);
    p.save();
    p.translate(b.topLeft());
    p.scale(s / 100.0, s / 100.0);
    const QColor body = Cream();
    p.setPen(QPen(Ink(), 3));
    p.setBrush(body);
    if (computer) {
        p.drawRoundedRect(QRectF(14, 14, 72, 50), 6, 6);
        p.setBrush(QColor(52, 70, 78));
        p.drawRoundedRect(QRectF(21, 21, 58, 36), 3, 3);
        p.setBrush(body);
        p.drawRect(QRectF(42, 64, 16, 10));
        p.drawRoundedRect(QRectF(28, 74, 44, 8), 3, 3);
    } else {
        p.drawEllipse(QPointF(50, 32), 17, 17);
        QPainterPath torso;
        torso.moveTo(16, 86);
        torso.cubicTo(16, 60, 30, 52, 50, 52);
        torso.cubicTo(70, 52, 84, 60, 84, 86);
        torso.closeSubpath();
        p.drawPath(torso);
    }
    // Badge: the colour of the pieces this player moves.
    p.translate(58, 54);
    p.scale(0.42, 0.42);
    p.setPen(QPen(Ink(), 5));
    p.setBrush(QColor(72, 52, 36));
    p.drawEllipse(QPointF(50, 50), 48, 48);
    p.translate(4, 4);
    p.scale(0.92, 0.92);
    PaintPieceUnit(p, 6, whitePieces);
    p.restore();
}

void PaintTabStrip(QPainter& p, const QRectF& r, int activeTab, const QStringList& captions) {
    const int n = qMax(1, static_cast<int>(captions.size()));
    const qreal w = r.width() / n;
    p.fillRect(QRectF(r.left(), r.bottom() - 2, r.width(), 2), Brass());
    for (int i = 0; i < n; ++i) {
        const bool active = i + 1 == activeTab;
        const QRectF t(r.left() + i * w + 2, r.top() + (active ? 1 : 5), w - 4,
                       r.height() - (active ? 1 : 5));
        QPainterPath tab;
        tab.addRoundedRect(t.adjusted(0, 0, 0, 8), 7, 7);
        QPainterPath clip;
        clip.addRect(QRectF(r.left(), r.top(), r.width(), r.height() - (active ? 0 : 2)));
        tab = tab.intersected(clip);
        QLinearGradient g(t.topLeft(), t.bottomLeft());
        g.setColorAt(0, active ? QColor(150, 108, 66) : QColor(74, 54, 38));
        g.setColorAt(1, active ? QColor(104, 72, 44) : QColor(48, 35, 25));
        p.setPen(QPen(active ? QColor(232, 200, 138) : Brass().darker(140), 1.0));
        p.setBrush(g);
        p.drawPath(tab);
        p.setFont(UiFont(r.height() * 0.4, active));
        p.setPen(active ? QColor(255, 246, 224) : QColor(196, 178, 150));
        p.drawText(t, Qt::AlignCenter, captions.value(i));
    }
}

void PaintHand(QPainter& p, const QRectF& r) {
    const qreal s = qMin(r.width(), r.height());
    p.save();
    p.translate(r.center() - QPointF(s / 2, s / 2));
    p.scale(s / 100.0, s / 100.0);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(24, 46, 52, 44), 16, 16);
    for (int i = 0; i < 4; ++i)
        hand.addRoundedRect(QRectF(25 + i * 13, 18 + (i == 0 || i == 3) * 8, 11, 40), 5.5, 5.5);
    hand.addRoundedRect(QRectF(8, 50, 30, 12), 6, 6);
    hand = hand.simplified();
    p.setPen(QPen(Ink(), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(246, 226, 196));
    p.drawPath(hand);
    p.restore();
}

void PaintArrow(QPainter& p, const QRectF& r, bool right) {
    QPainterPath a;
    const qreal y = r.center().y(), h = r.height() * 0.42;
    if (right) {
        a.moveTo(r.left() + 2, y - h * 0.45);
        a.lineTo(r.right() - h - 2, y - h * 0.45);
        a.lineTo(r.right() - h - 2, y - h);
        a.lineTo(r.right() - 1, y);
        a.lineTo(r.right() - h - 2, y + h);
        a.lineTo(r.right() - h - 2, y + h * 0.45);
        a.lineTo(r.left() + 2, y + h * 0.45);
    } else {
        a.moveTo(r.right() - 2, y - h * 0.45);
        a.lineTo(r.left() + h + 2, y - h * 0.45);
        a.lineTo(r.left() + h + 2, y - h);
        a.lineTo(r.left() + 1, y);
        a.lineTo(r.left() + h + 2, y + h);
        a.lineTo(r.left() + h + 2, y + h * 0.45);
        a.lineTo(r.right() - 2, y + h * 0.45);
    }
    a.closeSubpath();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(255, 214, 140));
    g.setColorAt(1, QColor(206, 142, 58));
    p.setPen(QPen(Ink(), 1.0));
    p.setBrush(g);
    p.drawPath(a);
}

void PaintClock(QPainter& p, const QRectF& r, int frame, int frames) {
    const QPointF c = r.center();
    const qreal rad = qMin(r.width(), r.height()) / 2.0 - 2;
    p.setPen(QPen(QColor(20, 14, 10), 2.0));
    QRadialGradient face(c - QPointF(rad * 0.3, rad * 0.3), rad * 1.3);
    face.setColorAt(0, QColor(255, 252, 240));
    face.setColorAt(1, QColor(222, 204, 170));
    p.setBrush(face);
    p.drawEllipse(c, rad, rad);
    p.setPen(QPen(Brass().darker(130), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, rad - 1.8, rad - 1.8);
    p.setPen(QPen(Ink(), 1.4, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; i += 3) {
        const qreal a = i * M_PI / 6.0;
        p.drawLine(c + QPointF(std::sin(a), -std::cos(a)) * (rad - 5),
                   c + QPointF(std::sin(a), -std::cos(a)) * (rad - 3));
    }
    // Short hand fixed at ten, long hand sweeping once through the frames.
    const qreal shortAngle = 10 * M_PI / 6.0;
    p.setPen(QPen(Ink(), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(std::sin(shortAngle), -std::cos(shortAngle)) * (rad * 0.45));
    const qreal longAngle = 2 * M_PI * frame / qMax(1, frames);
    p.setPen(QPen(QColor(170, 60, 30), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(std::sin(longAngle), -std::cos(longAngle)) * (rad * 0.72));
    p.setPen(Qt::NoPen);
    p.setBrush(Ink());
    p.drawEllipse(c, 1.6, 1.6);
}

void PaintSplash(QPainter& p, const QRectF& r) {
    PaintBackground(p, r);
    p.setPen(QPen(Brass(), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(6, 6, -6, -6), 8, 8);
    const qreal s = r.height() * 0.55;
    const QRectF piece(r.left() + r.width() * 0.08, r.center().y() - s / 2 - r.height() * 0.05, s,
                       s);
    p.save();
    p.translate(piece.topLeft());
    p.scale(s / 100.0, s / 100.0);
    PaintPieceUnit(p, 2, true);
    p.restore();
    const QRectF text(piece.right() + r.width() * 0.03, r.top(), r.right() - piece.right() - 20,
                      r.height() * 0.82);
    p.setFont(UiFont(r.height() * 0.15, true));
    p.setPen(Cream());
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Corvane"));
    p.setPen(QPen(Brass(), 1.2));
    p.drawLine(QPointF(text.left(), r.height() * 0.56),
               QPointF(text.right() - 10, r.height() * 0.56));
}

} // namespace corvane::art
