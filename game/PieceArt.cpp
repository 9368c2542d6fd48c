// Pictures of the board view. The pieces are drawn from vector outlines so they
// stay crisp at any scale.
#include "game/PieceArt.h"

#include <QFont>
#include <QPainterPath>

#include "game/BoardView.h"

namespace corvane {

namespace {

// Solid chess glyphs, filled with the side's colour and outlined.
QString GlyphOf(char kind) {
    switch (kind) {
    case 'K':
        return QString(QChar(0x265A));
    case 'Q':
        return QString(QChar(0x265B));
    case 'R':
        return QString(QChar(0x265C));
    case 'B':
        return QString(QChar(0x265D));
    case 'N':
        return QString(QChar(0x265E));
    case 'P':
        return QString(QChar(0x265F));
    default:
        return {};
    }
}

const QColor LightSquare(238, 226, 200);
const QColor DarkSquare(176, 138, 102);
const QColor Frame(92, 64, 44);

} // namespace

void PaintPiece(QPainter& painter, const QRectF& rect, const std::string& code) {
    if (code.size() < 2) return;
    const QString glyph = GlyphOf(code[1]);
    if (glyph.isEmpty()) return;
    const bool white = code[0] == 'W';
    QFont font("DejaVu Sans");
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(0, 0, font, glyph);
    const QRectF box = path.boundingRect();
    const double scale = rect.height() * 0.82 / std::max(box.width(), box.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.center());
    painter.scale(scale, scale);
    painter.translate(-box.center());
    const QColor fill = white ? QColor(250, 248, 240) : QColor(34, 30, 28);
    const QColor line = white ? QColor(40, 32, 28) : QColor(12, 10, 10);
    painter.setPen(QPen(line, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(fill);
    painter.drawPath(path);
    painter.restore();
}

QPixmap PiecePixmap(const std::string& code, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    PaintPiece(painter, QRectF(0, 0, size, size), code);
    return pixmap;
}

QPixmap PointerPixmap(bool on, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r(2, 2, size - 4, size - 4);
    painter.setPen(QPen(QColor(60, 60, 60), 1.5));
    painter.setBrush(on ? QColor(70, 170, 80) : QColor(200, 200, 200));
    painter.drawEllipse(r);
    return pixmap;
}

void PaintBoardPicture(QPainter& painter, bool whiteAtBottom) {
    const int m = BoardView::Margin;
    const int s = BoardView::SquareSize;
    const int band = 22; // frame around the squares
    painter.fillRect(QRectF(m - band, m - band, 8 * s + 2 * band, 8 * s + 2 * band), Frame);
    for (int row = 0; row < 8; ++row) {
        for (int col = 0; col < 8; ++col) {
            const QColor c = (row + col) % 2 == 0 ? LightSquare : DarkSquare;
            painter.fillRect(QRectF(m + col * s, m + row * s, s, s), c);
        }
    }
    QFont font("DejaVu Sans");
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(236, 222, 196));
    for (int i = 0; i < 8; ++i) {
        const int file = whiteAtBottom ? i : 7 - i;
        const int rank = whiteAtBottom ? 8 - i : i + 1;
        const QString letter(QChar('a' + file));
        const QString digit = QString::number(rank);
        painter.drawText(QRectF(m + i * s, m + 8 * s, s, band), Qt::AlignCenter, letter);
        painter.drawText(QRectF(m + i * s, m - band, s, band), Qt::AlignCenter, letter);
        painter.drawText(QRectF(m - band, m + i * s, band, s), Qt::AlignCenter, digit);
        painter.drawText(QRectF(m + 8 * s, m + i * s, band, s), Qt::AlignCenter, digit);
    }
}

} // namespace corvane
