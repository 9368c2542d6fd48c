#pragma once
// The board picture picBoard and its 64 square images IM(0)..IM(63).
//
// The square images are a plain model owned by the view: picture, drag icon,
// tag, visible, left and top in board units (44 units a square, a 34-unit
// margin). The widget paints the model and reports presses and drops; it keeps
// no game state of its own. Whatever size the widget has (HiDPI, maximised), the
// board is drawn scaled and every mouse position is turned back into board units
// before it is reported, so drop arithmetic always runs on the 44-unit grid.
//
// Painting blits a cached picture of the board with its pieces. The picture is
// drawn in full only when the size or the orientation changes; afterwards each
// paint compares the images with what the picture shows and draws again only
// the squares that changed, in the order and with the transform of a full
// drawing, so it holds exactly what a full drawing would. A dragged piece is a
// sprite drawn over the picture, and a drag repaints only the squares it
// crosses.
#include <QHash>
#include <QImage>
#include <QPointF>
#include <QRegion>
#include <QWidget>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "game/PieceArt.h"

namespace corvane {

struct SquareImage {
    std::string picture;  // PieceCode of the picture shown, "" for the bare square
    std::string dragIcon; // PieceCode of the icon that follows the mouse while dragged
    std::string tag;      // PieceCode of the piece on the square, "" when empty
    bool visible = true;
    int left = 0;
    int top = 0;
};

using SquareMarks = std::array<std::uint8_t, 64>;

// Moves the piece shown on one image to another, leaving the first a visible bare square.
inline void MovePieceImage(SquareImage& from, SquareImage& to) {
    to.picture = from.picture;
    to.tag = from.tag;
    to.dragIcon = from.dragIcon;
    to.visible = true;
    from.picture.clear();
    from.tag.clear();
    from.dragIcon.clear();
    from.visible = true;
}

class BoardView : public QWidget {
    Q_OBJECT
public:
    static constexpr int SquareSize = BoardSquareUnits;
    static constexpr int Margin = BoardMarginUnits;
    static constexpr int PictureSize = BoardPictureUnits; // 420
    // Inner width and height that Flip mirrors about: with its centre at
    // InnerSize / 2 + 29 every square image lands on the opposite square.
    static constexpr int InnerSize = 408;

    explicit BoardView(QWidget* parent = nullptr);

    SquareImage& IM(int index) { return images_.at(index); }
    // The marks of the 64 images; they go with the images through flips and layouts.
    void SetMarks(const SquareMarks& marks);
    const SquareMarks& Marks() const { return marks_; }
    const SquareImage& IM(int index) const { return images_.at(index); }

    // Places every image as with White at the bottom.
    void LayoutSquares();
    // Mirrors every image through the board's centre.
    void MirrorImages();
    // Square the image at left/top stands on, in view columns/rows.
    void SetWhiteAtBottomLabels(bool whiteAtBottom);

    // Drag of a picked image: its drag icon follows the mouse until release.
    void BeginDrag(int index, QPointF boardPos);
    // Drag of a piece from outside the board (set-up palette).
    void BeginForeignDrag(const std::string& icon, QPoint globalPos);
    void MoveForeignDrag(QPoint globalPos);
    bool IsDragging() const { return dragIndex_ >= 0 || !foreignIcon_.empty(); }
    void CancelDrag();

    // Conversions between widget pixels and board units.
    double ScaleFactor() const;
    QPointF ToBoard(QPointF widgetPos) const;
    QPointF ToWidget(QPointF boardPos) const;
    // Index of the square image under a board position, -1 when none.
    int ImageAt(QPointF boardPos) const;
    // True when a board position lies on the board picture.
    static bool OnPicture(QPointF boardPos);

    // Called for a left or right press on an image (index, button); -1 on the frame.
    std::function<void(int, Qt::MouseButton)> onPress;
    // Drop on a square image, on the picture outside the images (x, y in board
    // units), and outside the board picture (global position).
    std::function<void(int)> onDropSquare;
    std::function<void(double, double)> onDropBoard;
    std::function<void(QPoint)> onDropOutside;

    QSize sizeHint() const override { return {PictureSize, PictureSize}; }
    QSize minimumSizeHint() const override { return {PictureSize / 2, PictureSize / 2}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int w) const override { return w; }

    // Called with the drawn board's side in pixels whenever the view is resized.
    std::function<void(int)> onResize;

    // Ends a foreign drag at a global position; reports a drop like a release.
    void FinishForeignDrag(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void changeEvent(QEvent*) override;

private:
    // What the cached picture shows on one image.
    struct PaintedImage {
        std::string picture; // "" when nothing is drawn there
        int left = 0, top = 0;
        std::uint8_t mark = 0;
        bool operator==(const PaintedImage&) const = default;
    };

    void ReportDrop(QPointF widgetPos, QPoint globalPos);
    QRectF BoardRect() const;
    // Moves the drag icon, repainting only what it leaves and what it covers.
    void MoveDragTo(QPointF boardPos);
    PaintedImage Shown(int index) const;
    // Maps board units onto the cached pictures' pixels.
    void SetBoardTransform(QPainter& painter) const;
    // Brings picture_ up to date with the images (in full or square by square).
    void RefreshPicture();
    void DrawWholePicture();
    void PaintBackdrop(QImage& image) const;
    void RedrawRegion(const QRegion& region);
    // Pixels of the cached picture a piece drawn on the image may touch.
    QRect InkPixels(const PaintedImage& shown) const;
    // Pixels of the cached picture the image's mark covers; empty without a mark.
    QRect MarkPixels(const PaintedImage& shown) const;
    // The marks, then the pieces, of the given images, in image order.
    static void PaintImages(QPainter& painter,
                            const std::vector<std::pair<int, PaintedImage>>& shown);
    // The drag icon: its place in widget pixels and its sprite.
    std::string DragIcon() const;
    QRect DragIconRect() const;
    const QImage& DragSprite(const std::string& code, QPointF devicePos);

    std::array<SquareImage, 64> images_{};
    SquareMarks marks_{};
    bool whiteAtBottomLabels_ = true;
    int dragIndex_ = -1;
    std::string foreignIcon_;
    QPointF dragPos_; // board units

    // Cache: the bare board per orientation and the board with its pieces, in
    // device pixels of the whole widget, and what that picture shows.
    QImage bareBoard_[2];
    QImage picture_;
    QImage scratch_; // where RedrawRegion draws pieces again
    // Regions lately drawn again, with the pieces drawn there and their pixels.
    struct RecentRegion {
        QRegion region;
        std::vector<std::pair<int, PaintedImage>> pieces;
        QImage pixels; // the region's bounding rectangle
    };
    std::deque<RecentRegion> recentRegions_;
    qreal pictureRatio_ = 0;
    bool pictureWhiteAtBottom_ = true;
    std::array<PaintedImage, 64> painted_{};
    QHash<QString, QImage> sprites_; // drag icons by code and sub-pixel phase
};

} // namespace corvane
