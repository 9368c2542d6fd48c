#pragma once
// Piece and indicator drawing used by the main window's views. Goes through the
// piece-image holder when its pictures are part of the build.
#include <QPainter>
#include <QPixmap>
#include <QRectF>
#include <cstdint>
#include <string>

namespace corvane {

// The board picture in its own units: 8 squares of 44 inside a 34-unit margin
// on every side.
inline constexpr int BoardSquareUnits = 44;
inline constexpr int BoardMarginUnits = 34;
inline constexpr int BoardPictureUnits = 8 * BoardSquareUnits + 2 * BoardMarginUnits; // 420

// Marks drawn on a square beneath its piece; an image may carry several.
enum SquareMark : std::uint8_t {
    MarkLastMove = 1, // origin or target of the last move
    MarkCheck = 2,    // the king in check
    MarkHeld = 4,     // the square of the piece being moved
    MarkTarget = 8,   // a square the held piece may move to
    MarkFocus = 16,   // the square the keys have reached
};
// Draws the marks of a square (rectangle in board units) beneath its piece;
// occupied tells whether a piece stands there.
void PaintSquareMark(QPainter& painter, const QRectF& square, std::uint8_t mark, bool occupied);
// Draws the piece with this PieceCode scaled into the rectangle; "" draws nothing.
void PaintPiece(QPainter& painter, const QRectF& rect, const std::string& code);
// What PaintPiece may touch for that code in the rectangle's coordinates
// (a little beyond the rectangle: the shadow); empty for "".
QRectF PieceInk(const QRectF& rect, const std::string& code);
// A picture of the piece at a pixel size (promotion chooser, palette, panel).
QPixmap PiecePixmap(const std::string& code, int size);
// The two states of the move indicator.
QPixmap PointerPixmap(bool on, int size);
// The board picture's squares and margin letters into a square of BoardPictureUnits.
void PaintBoardPicture(QPainter& painter, bool whiteAtBottom);

} // namespace corvane
