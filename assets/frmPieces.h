#pragma once
// The piece-image holder: one object per program, created on first use and never
// shown. It hands out every picture of the game (pieces, board, move indicators,
// panels, buttons, menu icons). Nothing is read from image files: each picture is
// painted from vector paths at the size and device-pixel ratio asked for, so it
// stays crisp on HiDPI screens and when the board view is scaled.
#include <QCursor>
#include <QHash>
#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <string_view>

class QPainter;
class QRectF;

namespace corvane {

class frmPieces : public QObject {
public:
    // Geometry of the board picture: 8 x 8 squares of 44 pixels inside a 34-pixel
    // margin that carries the file letters and rank digits.
    static constexpr int SquareSize = 44;
    static constexpr int BoardMargin = 34;
    static constexpr int BoardSize = 8 * SquareSize + 2 * BoardMargin; // 420

    // The holder, created on first use. Needs a QGuiApplication.
    static frmPieces& Instance();

    // --- Pieces (PieceIndex 1..6 White R N B Q K P, 7..12 Black R N B Q K P) ----

    // Picture of the piece (IMO(index)); an empty pixmap for 0 or out-of-range.
    QPixmap Piece(int pieceIndex, int size = SquareSize, qreal dpr = 1.0) const;
    // Same, by PieceCode ("WR".."BP"); only the first two characters count.
    QPixmap PieceByCode(std::string_view code, int size = SquareSize, qreal dpr = 1.0) const;
    // Drag icon of the piece (the picture at several sizes).
    QIcon PieceIcon(int pieceIndex) const;
    // The tag of IMO(index): its PieceCode, "" for anything else.
    static QString PieceCode(int pieceIndex);
    // PieceIndex of a PieceCode, 0 for "" or an unknown code.
    static int PieceIndexOf(std::string_view code);
    // Paints the piece straight from its vector paths into the rectangle (square).
    static void PaintPiece(QPainter& painter, const QRectF& target, int pieceIndex);
    // The part of the target's coordinates that PaintPiece may touch for that
    // piece (its shadow reaches a little beyond the target); empty for 0.
    static QRectF PieceInk(const QRectF& target, int pieceIndex);

    // --- Board (picBB) ---------------------------------------------------------

    // The board picture, BoardSize logical pixels square, letters for the orientation.
    QPixmap Board(bool whiteAtBottom, qreal dpr = 1.0) const;
    // Paints the board into the target rectangle (scaled from BoardSize units).
    static void PaintBoard(QPainter& painter, const QRectF& target, bool whiteAtBottom);
    // Colour of the light and the dark squares (for highlights drawn by the view).
    static QColor LightSquare();
    static QColor DarkSquare();

    // --- Move indicators, buttons, panels ----------------------------------------

    QPixmap PointerON(qreal dpr = 1.0) const {
        return Pixmap(QStringLiteral("PointerON"), {}, dpr);
    }
    QPixmap PointerOFF(qreal dpr = 1.0) const {
        return Pixmap(QStringLiteral("PointerOFF"), {}, dpr);
    }
    // Shared button picture: item 0 normal, item 1 highlighted (imgButton).
    QPixmap Button(QSize size, bool highlighted, qreal dpr = 1.0) const;
    // Panel background (promotion, captured pieces, set-up options, dialogs).
    QPixmap Panel(QSize size, qreal dpr = 1.0) const;
    // Menu picture of imgMenu item n (1..9); variant 1 is the alternative picture
    // (item 2: sound off, item 4: restore). Highlighted while the mouse is over it.
    QPixmap MenuIcon(int item, int size, bool highlighted, int variant = 0, qreal dpr = 1.0) const;

    // --- Pictures by name ----------------------------------------------------------
    // Names: "IMO1".."IMO12", "IMW1".."IMW12" (small pieces), "picBB" and
    // "picBBFlipped" (board), "picDeep" (window background), "PointerON",
    // "PointerOFF", "imgButton0", "imgButton1", "radioup", "radiodown", "imgJog1",
    // "imgJog2", "imgCPU1", "imgCPU2", "imgTab1".."imgTab3", "imgRes", "ImgMao",
    // "Frame1", "Frame2", "imgMenu1".."imgMenu9", "imgMenu2Off", "imgMenu4Res",
    // "imgLeft", "imgRight", "Splash". An empty size asks for the default size.
    QPixmap Pixmap(const QString& name, QSize size = {}, qreal dpr = 1.0) const;
    QIcon Icon(const QString& name) const;
    // Every name Pixmap() knows, and the default logical size of each.
    static QStringList Names();
    static QSize DefaultSize(const QString& name);

    // Frames of the animated busy cursor (a small clock whose hand turns).
    static constexpr int BusyFrames = 8;
    static QCursor BusyCursorFrame(int frame);
    static QPixmap BusyCursorPixmap(int frame, qreal dpr = 1.0);

private:
    frmPieces() = default;
    QPixmap Cached(const QString& key, QSize size, qreal dpr, bool& found) const;
    void Store(const QString& key, const QPixmap& pixmap) const;

    mutable QHash<QString, QPixmap> cache_;
};

} // namespace corvane
