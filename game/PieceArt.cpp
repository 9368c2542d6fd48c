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

} // namespace corvane
