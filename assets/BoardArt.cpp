// The board picture: cream and warm-wood squares inside a dark walnut frame whose
// margin carries the file letters and rank digits of the current orientation.
#include "assets/Art.h"
#include "assets/frmPieces.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace corvane::art {

QColor Ink() {
    return QColor(38, 29, 22);
}
QColor Cream() {
    return QColor(236, 222, 190);
}
QColor Brass() {
    return QColor(196, 160, 98);
}
QColor WalnutTop() {
    return QColor(84, 58, 40);
}
QColor WalnutBottom() {
    return QColor(46, 31, 21);
}
QColor LightSquareColour() {
    return QColor(240, 222, 186);
}
QColor DarkSquareColour() {
    return QColor(178, 134, 94);
}

namespace {

// Faint grain on the frame: long, gently wavy strokes of a slightly lighter tone.
void PaintGrain(QPainter& p, const QRectF& r, int seed) {
    p.save();
    p.setClipRect(r);
    unsigned state = 2166136261u ^ static_cast<unsigned>(seed);
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<qreal>((state >> 8) & 0xffff) / 65535.0;
    };
    for (int i = 0; i < 26; ++i) {
        const qreal y = r.top() + next() * r.height();
        const qreal amp = 1.5 + next() * 3.0;
        QPainterPath line;
        line.moveTo(r.left(), y);
        line.cubicTo(r.left() + r.width() * 0.33, y - amp, r.left() + r.width() * 0.66, y + amp,
                     r.right(), y);
        p.setPen(QPen(QColor(255, 230, 190, 8 + static_cast<int>(next() * 10)), 0.8 + next()));
        p.drawPath(line);
    }
    p.restore();
}

} // namespace

void PaintBoardUnit(QPainter& p, bool whiteAtBottom) {
    const qreal size = frmPieces::BoardSize;
    const qreal m = frmPieces::BoardMargin;
    const qreal sq = frmPieces::SquareSize;
    const QRectF all(0, 0, size, size);
    const QRectF field(m, m, 8 * sq, 8 * sq);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    // Frame.
    QLinearGradient wood(all.topLeft(), all.bottomRight());
    wood.setColorAt(0, WalnutTop());
    wood.setColorAt(1, WalnutBottom());
    p.setPen(Qt::NoPen);
    p.setBrush(wood);
    p.drawRoundedRect(all, 6, 6);
    PaintGrain(p, all, 7);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 235, 200, 40), 1.0));
    p.drawRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    p.setPen(QPen(Brass(), 1.2));
    p.drawRect(field.adjusted(-5.5, -5.5, 5.5, 5.5));
    p.setPen(QPen(QColor(0, 0, 0, 110), 2.0));
    p.drawRect(field.adjusted(-1, -1, 1, 1));

    // Squares: a8 at the top left when White is at the bottom.
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col) {
            const bool light = (row + col) % 2 == 0;
            p.fillRect(QRectF(m + col * sq, m + row * sq, sq, sq),
                       light ? LightSquareColour() : DarkSquareColour());
        }
    // A gentle light fall over the field and a soft inner shadow at its top and left.
    QLinearGradient fall(field.topLeft(), field.bottomRight());
    fall.setColorAt(0, QColor(255, 255, 255, 22));
    fall.setColorAt(1, QColor(0, 0, 0, 22));
    p.fillRect(field, fall);
    QLinearGradient top(field.topLeft(), field.topLeft() + QPointF(0, 6));
    top.setColorAt(0, QColor(0, 0, 0, 70));
    top.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(field.left(), field.top(), field.width(), 6), top);
    QLinearGradient left(field.topLeft(), field.topLeft() + QPointF(6, 0));
    left.setColorAt(0, QColor(0, 0, 0, 60));
    left.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(field.left(), field.top(), 6, field.height()), left);

    // Coordinates in the margin, on all four sides.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Cream());
    for (int i = 0; i < 8; ++i) {
        const int file = whiteAtBottom ? i : 7 - i;
        const int rank = whiteAtBottom ? 8 - i : i + 1;
        const QString letter(QChar(u'a' + file));
        const QString digit = QString::number(rank);
        const qreal along = m + i * sq;
        p.drawText(QRectF(along, size - m, sq, m - 4), Qt::AlignCenter, letter);
        p.drawText(QRectF(along, 4, sq, m - 4), Qt::AlignCenter, letter);
        p.drawText(QRectF(4, along, m - 4, sq), Qt::AlignCenter, digit);
        p.drawText(QRectF(size - m, along, m - 4, sq), Qt::AlignCenter, digit);
    }
    p.restore();
}

} // namespace corvane::art
