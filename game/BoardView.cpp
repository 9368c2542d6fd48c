#include "game/BoardView.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "game/PieceArt.h"

namespace corvane {

BoardView::BoardView(QWidget* parent) : QWidget(parent) {
    setObjectName("picBoard");
    setMouseTracking(false);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    LayoutSquares();
}

void BoardView::LayoutSquares() {
    for (int i = 0; i < 64; ++i) {
        images_[i].left = Margin + SquareSize * (i % 8);
        images_[i].top = Margin + SquareSize * (i / 8);
    }
    update();
}

void BoardView::MirrorImages() {
    const int cx = InnerSize / 2 + 29;
    const int cy = InnerSize / 2 + 29;
    for (SquareImage& image : images_) {
        image.left = 2 * cx - image.left - 2 * Margin - 22;
        image.top = 2 * cy - image.top - 2 * Margin - 22;
    }
    update();
}

void BoardView::SetWhiteAtBottomLabels(bool whiteAtBottom) {
    whiteAtBottomLabels_ = whiteAtBottom;
    update();
}

void BoardView::BeginDrag(int index, QPointF boardPos) {
    if (index < 0 || index > 63) return;
    foreignIcon_.clear();
    dragIndex_ = index;
    dragPos_ = boardPos;
    update();
}

void BoardView::BeginForeignDrag(const std::string& icon, QPoint globalPos) {
    dragIndex_ = -1;
    foreignIcon_ = icon;
    dragPos_ = ToBoard(mapFromGlobal(globalPos));
    update();
}

void BoardView::MoveForeignDrag(QPoint globalPos) {
    if (foreignIcon_.empty()) return;
    dragPos_ = ToBoard(mapFromGlobal(globalPos));
    update();
}

void BoardView::FinishForeignDrag(QPoint globalPos) {
    if (foreignIcon_.empty()) return;
    foreignIcon_.clear();
    update();
    ReportDrop(mapFromGlobal(globalPos), globalPos);
}

void BoardView::CancelDrag() {
    dragIndex_ = -1;
    foreignIcon_.clear();
    update();
}

QRectF BoardView::BoardRect() const {
    const double side = std::min(width(), height());
    return QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side);
}

double BoardView::ScaleFactor() const {
    return BoardRect().width() / PictureSize;
}

QPointF BoardView::ToBoard(QPointF widgetPos) const {
    const QRectF r = BoardRect();
    const double s = ScaleFactor();
    if (s <= 0) return {-1, -1};
    return {(widgetPos.x() - r.left()) / s, (widgetPos.y() - r.top()) / s};
}

QPointF BoardView::ToWidget(QPointF boardPos) const {
    const QRectF r = BoardRect();
    const double s = ScaleFactor();
    return {r.left() + boardPos.x() * s, r.top() + boardPos.y() * s};
}

bool BoardView::OnPicture(QPointF p) {
    return p.x() >= 0 && p.y() >= 0 && p.x() < PictureSize && p.y() < PictureSize;
}

int BoardView::ImageAt(QPointF p) const {
    for (int i = 0; i < 64; ++i) {
        const SquareImage& im = images_[i];
        if (p.x() >= im.left && p.x() < im.left + SquareSize && p.y() >= im.top &&
            p.y() < im.top + SquareSize) {
            return i;
        }
    }
    return -1;
}

void BoardView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF r = BoardRect();
    painter.translate(r.topLeft());
    painter.scale(ScaleFactor(), ScaleFactor());
    PaintBoardPicture(painter, whiteAtBottomLabels_);
    for (int i = 0; i < 64; ++i) {
        const SquareImage& im = images_[i];
        if (!im.visible || im.picture.empty()) continue;
        PaintPiece(painter, QRectF(im.left, im.top, SquareSize, SquareSize), im.picture);
    }
    std::string icon = foreignIcon_;
    if (dragIndex_ >= 0) icon = images_[dragIndex_].dragIcon;
    if (!icon.empty()) {
        const QRectF at(dragPos_.x() - SquareSize / 2.0, dragPos_.y() - SquareSize / 2.0,
                        SquareSize, SquareSize);
        PaintPiece(painter, at, icon);
    }
}

void BoardView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    const int index = ImageAt(ToBoard(event->position()));
    if (index < 0) return;
    dragPos_ = ToBoard(event->position());
    if (onPress) onPress(index, event->button());
}

void BoardView::mouseMoveEvent(QMouseEvent* event) {
    if (!IsDragging()) return;
    dragPos_ = ToBoard(event->position());
    update();
}

void BoardView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dragIndex_ < 0) return;
    dragIndex_ = -1;
    update();
    ReportDrop(event->position(), event->globalPosition().toPoint());
}

void BoardView::ReportDrop(QPointF widgetPos, QPoint globalPos) {
    const QPointF p = ToBoard(widgetPos);
    if (!rect().contains(widgetPos.toPoint()) || !OnPicture(p)) {
        if (onDropOutside) onDropOutside(globalPos);
        return;
    }
    const int index = ImageAt(p);
    if (index >= 0) {
        if (onDropSquare) onDropSquare(index);
    } else if (onDropBoard) {
        onDropBoard(p.x(), p.y());
    }
}

} // namespace corvane
