#pragma once
// Painting routines behind the piece-image holder. Each routine paints into a
// unit box that the caller maps onto the target with the painter's transform:
// pieces into 100 x 100, the board into frmPieces::BoardSize square, the others
// into the rectangle they are given.
#include <QColor>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

namespace corvane::art {

// Piece kind 1..6 (R N B Q K P) of the given colour, in a 100 x 100 box.
void PaintPieceUnit(QPainter& p, int kind, bool white);
// Everything PaintPieceUnit may touch for that kind (shadow and outline
// included), in the same 100 x 100 box; it may reach a little beyond the box.
QRectF PieceInkUnit(int kind);

// Board picture in a BoardSize x BoardSize box.
void PaintBoardUnit(QPainter& p, bool whiteAtBottom);
QColor LightSquareColour();
QColor DarkSquareColour();

// Decoration, each in the rectangle r.
void PaintButton(QPainter& p, const QRectF& r, bool highlighted);
void PaintPanel(QPainter& p, const QRectF& r);
void PaintFrame(QPainter& p, const QRectF& r, bool inset);
void PaintBackground(QPainter& p, const QRectF& r);
void PaintPointer(QPainter& p, const QRectF& r, bool on);
void PaintRadio(QPainter& p, const QRectF& r, bool selected);
void PaintPlayerIcon(QPainter& p, const QRectF& r, bool computer, bool whitePieces);
void PaintTabStrip(QPainter& p, const QRectF& r, int activeTab, const QStringList& captions);
void PaintHand(QPainter& p, const QRectF& r);
void PaintArrow(QPainter& p, const QRectF& r, bool right);
void PaintMenuIcon(QPainter& p, const QRectF& r, int item, bool highlighted, int variant);
void PaintSplash(QPainter& p, const QRectF& r);
void PaintClock(QPainter& p, const QRectF& r, int frame, int frames);

// Palette shared by all pictures.
QColor Ink();       // outlines and dark text
QColor Cream();     // light text on dark wood
QColor Brass();     // thin accent lines
QColor WalnutTop(); // frame gradient
QColor WalnutBottom();

} // namespace corvane::art
