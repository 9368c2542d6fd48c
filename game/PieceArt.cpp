// The board view's pictures, from the piece-image holder.
#include "game/PieceArt.h"

#include "assets/frmPieces.h"

namespace corvane {

void PaintPiece(QPainter& painter, const QRectF& rect, const std::string& code) {
    const int piece = frmPieces::PieceIndexOf(code);
    if (piece != 0) frmPieces::PaintPiece(painter, rect, piece);
}

QRectF PieceInk(const QRectF& rect, const std::string& code) {
    return frmPieces::PieceInk(rect, frmPieces::PieceIndexOf(code));
}

QPixmap PiecePixmap(const std::string& code, int size) {
    return frmPieces::Instance().PieceByCode(code, size);
}

QPixmap PointerPixmap(bool on, int) {
    return on ? frmPieces::Instance().PointerON() : frmPieces::Instance().PointerOFF();
}

void PaintBoardPicture(QPainter& painter, bool whiteAtBottom) {
    frmPieces::PaintBoard(painter, QRectF(0, 0, BoardPictureUnits, BoardPictureUnits),
                          whiteAtBottom);
}

void PaintSquareMark(QPainter& painter, const QRectF& square, std::uint8_t mark, bool occupied) {
    painter.save();
    painter.setPen(Qt::NoPen);
    if (mark & MarkLastMove) painter.fillRect(square, QColor(246, 214, 64, 110));
    if (mark & MarkHeld) painter.fillRect(square, QColor(90, 170, 90, 140));
    if (mark & MarkCheck) {
        QRadialGradient glow(square.center(), square.width() * 0.62);
        glow.setColorAt(0.0, QColor(230, 20, 20, 230));
        glow.setColorAt(0.55, QColor(220, 30, 30, 150));
        glow.setColorAt(1.0, QColor(200, 0, 0, 0));
        painter.fillRect(square, glow);
    }
    if (mark & MarkTarget) {
        const QColor shade(30, 60, 30, 110);
        if (occupied) {
            // A ring the piece standing there does not hide.
            painter.setPen(QPen(shade, 3.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(square.adjusted(2.5, 2.5, -2.5, -2.5));
        } else {
            painter.setBrush(shade);
            const double r = square.width() * 0.16;
            painter.drawEllipse(square.center(), r, r);
        }
    }
    if (mark & MarkFocus) {
        // A frame in two colours, seen on light and dark squares alike.
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(20, 40, 140), 4));
        painter.drawRect(square.adjusted(2, 2, -2, -2));
        painter.setPen(QPen(QColor(250, 250, 255), 1.5));
        painter.drawRect(square.adjusted(4.5, 4.5, -4.5, -4.5));
    }
    painter.restore();
}

} // namespace corvane
