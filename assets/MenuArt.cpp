// The nine menu pictures of the main window's toolbar: a round walnut button
// with a cream symbol that warms up while the mouse is over it.
#include "assets/Art.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace corvane::art {
namespace {

void Speaker(QPainter& p, bool on) {
    QPainterPath s;
    s.moveTo(28, 42);
    s.lineTo(38, 42);
    s.lineTo(52, 30);
    s.lineTo(52, 70);
    s.lineTo(38, 58);
    s.lineTo(28, 58);
    s.closeSubpath();
    p.drawPath(s);
    p.setBrush(Qt::NoBrush);
    if (on) {
        p.drawArc(QRectF(46, 38, 16, 24), -50 * 16, 100 * 16);
        p.drawArc(QRectF(46, 30, 28, 40), -50 * 16, 100 * 16);
    } else {
        p.drawLine(QPointF(60, 42), QPointF(74, 58));
        p.drawLine(QPointF(74, 42), QPointF(60, 58));
    }
}

void Symbol(QPainter& p, int item, int variant) {
    switch (item) {
    case 1: // Sair: a power mark
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(30, 31, 40, 40), 120 * 16, -240 * 16);
        p.drawLine(QPointF(50, 26), QPointF(50, 50));
        break;
    case 2:
        Speaker(p, variant == 0);
        break;
    case 3: { // Novo jogo: a small board quarter with a plus
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(28, 28, 32, 32));
        p.fillRect(QRectF(28, 28, 16, 16), p.pen().color());
        p.fillRect(QRectF(44, 44, 16, 16), p.pen().color());
        p.drawLine(QPointF(66, 58), QPointF(66, 76));
        p.drawLine(QPointF(57, 67), QPointF(75, 67));
        break;
    }
    case 4: // Maximizar / Restaurar
        p.setBrush(Qt::NoBrush);
        if (variant == 0) {
            p.drawRect(QRectF(30, 32, 40, 36));
            p.drawLine(QPointF(30, 40), QPointF(70, 40));
        } else {
            p.drawRect(QRectF(28, 40, 30, 28));
            p.drawPolyline(QPolygonF({QPointF(38, 40), QPointF(38, 30), QPointF(72, 30),
                                      QPointF(72, 58), QPointF(58, 58)}));
        }
        break;
    case 5: // Pausa
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(34, 30, 11, 40), 2, 2);
        p.drawRoundedRect(QRectF(55, 30, 11, 40), 2, 2);
        break;
    case 6: { // Reniciar: circular arrow
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(30, 30, 40, 40), 70 * 16, 290 * 16);
        QPainterPath head;
        head.moveTo(56, 22);
        head.lineTo(66, 32);
        head.lineTo(52, 38);
        head.closeSubpath();
        p.setBrush(p.pen().color());
        p.drawPath(head);
        break;
    }
    case 7: { // Girar tabuleiro: two opposed arrows
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(28, 28, 44, 44), 20 * 16, 140 * 16);
        p.drawArc(QRectF(28, 28, 44, 44), 200 * 16, 140 * 16);
        p.setBrush(p.pen().color());
        p.drawPolygon(QPolygonF({QPointF(64, 40), QPointF(76, 38), QPointF(72, 50)}));
        p.drawPolygon(QPolygonF({QPointF(36, 60), QPointF(24, 62), QPointF(28, 50)}));
        break;
    }
    case 8: { // Salvar: tray with a down arrow
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(
            QPolygonF({QPointF(28, 56), QPointF(28, 70), QPointF(72, 70), QPointF(72, 56)}));
        p.drawLine(QPointF(50, 26), QPointF(50, 56));
        p.drawPolyline(QPolygonF({QPointF(39, 46), QPointF(50, 57), QPointF(61, 46)}));
        break;
    }
    case 9: { // Abrir: a folder
        QPainterPath f;
        f.moveTo(26, 34);
        f.lineTo(42, 34);
        f.lineTo(47, 39);
        f.lineTo(74, 39);
        f.lineTo(74, 68);
        f.lineTo(26, 68);
        f.closeSubpath();
        p.setBrush(Qt::NoBrush);
        p.drawPath(f);
        p.drawLine(QPointF(26, 46), QPointF(74, 46));
        break;
    }
    default:
        break;
    }
}

} // namespace

void PaintMenuIcon(QPainter& p, const QRectF& r, int item, bool highlighted, int variant) {
    const qreal s = qMin(r.width(), r.height());
    p.save();
    p.translate(r.center() - QPointF(s / 2, s / 2));
    p.scale(s / 100.0, s / 100.0);
    QRadialGradient g(QPointF(40, 34), 70);
    g.setColorAt(0, highlighted ? QColor(176, 128, 76) : QColor(104, 74, 52));
    g.setColorAt(1, highlighted ? QColor(112, 74, 40) : QColor(50, 35, 25));
    p.setPen(QPen(highlighted ? QColor(240, 206, 144) : Brass().darker(120), 3));
    p.setBrush(g);
    p.drawEllipse(QPointF(50, 50), 46, 46);
    const QColor ink = highlighted ? QColor(255, 248, 230) : Cream();
    p.setPen(QPen(ink, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(ink);
    Symbol(p, item, variant);
    p.restore();
}

} // namespace corvane::art
