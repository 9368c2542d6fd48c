#pragma once
// Piece and indicator drawing used by the main window's views. Goes through the
// piece-image holder when its pictures are part of the build.
#include <QPainter>
#include <QPixmap>
#include <QRectF>
#include <string>

namespace corvane {

// Draws the piece with this PieceCode scaled into the rectangle; "" draws nothing.
void PaintPiece(QPainter& painter, const QRectF& rect, const std::string& code);
// A picture of the piece at a pixel size (promotion chooser, palette, panel).
QPixmap PiecePixmap(const std::string& code, int size);
// The two states of the move indicator.
QPixmap PointerPixmap(bool on, int size);
// The board picture's squares and margin letters into a square of PictureSize units.
void PaintBoardPicture(QPainter& painter, bool whiteAtBottom);

} // namespace corvane
