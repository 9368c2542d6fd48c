#include "game/BoardView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QtMath>
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

void BoardView::SetMarks(const SquareMarks& marks) {
    if (marks == marks_) return;
    marks_ = marks;
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
    MoveDragTo(ToBoard(mapFromGlobal(globalPos)));
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

BoardView::PaintedImage BoardView::Shown(int index) const {
    const SquareImage& im = images_[index];
    return {im.visible ? im.picture : std::string(), im.left, im.top, marks_[index]};
}

void BoardView::PaintImages(QPainter& painter,
                            const std::vector<std::pair<int, PaintedImage>>& shown) {
    for (const auto& [index, im] : shown) {
        if (im.mark == 0) continue;
        PaintSquareMark(painter, QRectF(im.left, im.top, SquareSize, SquareSize), im.mark,
                        !im.picture.empty());
    }
    for (const auto& [index, im] : shown) {
        if (im.picture.empty()) continue;
        PaintPiece(painter, QRectF(im.left, im.top, SquareSize, SquareSize), im.picture);
    }
}

QRect BoardView::MarkPixels(const PaintedImage& shown) const {
    if (shown.mark == 0) return {};
    const QRectF r = BoardRect();
    const double s = ScaleFactor() * pictureRatio_;
    const QRectF pixels((r.left() * pictureRatio_) + shown.left * s,
                        (r.top() * pictureRatio_) + shown.top * s, SquareSize * s, SquareSize * s);
    return pixels.toAlignedRect().adjusted(-1, -1, 1, 1);
}

void BoardView::SetBoardTransform(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (pictureRatio_ != 1.0) painter.scale(pictureRatio_, pictureRatio_);
    const QRectF r = BoardRect();
    painter.translate(r.topLeft());
    painter.scale(ScaleFactor(), ScaleFactor());
}

QRect BoardView::InkPixels(const PaintedImage& shown) const {
    if (shown.picture.empty()) return {};
    const QRectF ink =
        PieceInk(QRectF(shown.left, shown.top, SquareSize, SquareSize), shown.picture);
    const QRectF r = BoardRect();
    const double s = ScaleFactor() * pictureRatio_;
    const QRectF pixels((r.left() * pictureRatio_) + ink.left() * s,
                        (r.top() * pictureRatio_) + ink.top() * s, ink.width() * s,
                        ink.height() * s);
    // Antialiasing may touch the pixel beyond each edge.
    return pixels.toAlignedRect().adjusted(-1, -1, 1, 1);
}

void BoardView::RefreshPicture() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(qCeil(width() * ratio), qCeil(height() * ratio));
    if (picture_.size() != pixels || pictureRatio_ != ratio ||
        pictureWhiteAtBottom_ != whiteAtBottomLabels_) {
        if (picture_.size() != pixels || pictureRatio_ != ratio) {
            bareBoard_[0] = bareBoard_[1] = QImage();
            sprites_.clear();
            picture_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
            pictureRatio_ = ratio;
        }
        pictureWhiteAtBottom_ = whiteAtBottomLabels_;
        DrawWholePicture();
        return;
    }
    QRegion changed;
    for (int i = 0; i < 64; ++i) {
        const PaintedImage now = Shown(i);
        const PaintedImage& before = painted_[i];
        if (now == before) continue;
        // Images that moved (a flip, a new layout) change the whole picture.
        if (now.left != before.left || now.top != before.top) {
            DrawWholePicture();
            return;
        }
        changed += InkPixels(before);
        changed += InkPixels(now);
        changed += MarkPixels(before);
        changed += MarkPixels(now);
        painted_[i] = now;
    }
    if (!changed.isEmpty()) RedrawRegion(changed);
}

// What the window paints beneath the view. The board is drawn over it, as it
// would be on the screen, so that its rounded corners and soft edges blend with
// the real background and the picture can be copied as it is.
void BoardView::PaintBackdrop(QImage& image) const {
    image.fill(Qt::transparent);
    QPainter painter(&image);
    if (pictureRatio_ != 1.0) painter.scale(pictureRatio_, pictureRatio_);
    if (isWindow()) {
        painter.fillRect(rect(), palette().brush(backgroundRole()));
        return;
    }
    QWidget* top = window();
    const QRect here(mapTo(top, QPoint(0, 0)), size());
    top->render(&painter, QPoint(), QRegion(here), QWidget::DrawWindowBackground);
}

void BoardView::DrawWholePicture() {
    recentRegions_.clear();
    QImage& bare = bareBoard_[whiteAtBottomLabels_ ? 0 : 1];
    if (bare.isNull()) {
        bare = QImage(picture_.size(), QImage::Format_ARGB32_Premultiplied);
        PaintBackdrop(bare);
        QPainter painter(&bare);
        SetBoardTransform(painter);
        PaintBoardPicture(painter, whiteAtBottomLabels_);
    }
    picture_ = bare.copy();
    QPainter painter(&picture_);
    SetBoardTransform(painter);
    std::vector<std::pair<int, PaintedImage>> all;
    for (int i = 0; i < 64; ++i) {
        painted_[i] = Shown(i);
        all.emplace_back(i, painted_[i]);
    }
    PaintImages(painter, all);
}

// The pieces that may touch the region are drawn again, whole and in image
// order, on the bare board in a scratch picture, and the region is copied from
// there. Clipping the drawing itself would not do: a clip edge changes where a
// gradient's spans start and so the rounding of their colours.
//
// The same region with the same pieces always looks the same, so the last few
// regions drawn are kept: a blinking square or a piece picked up and put back
// is copied from there instead of being drawn again.
void BoardView::RedrawRegion(const QRegion& region) {
    RecentRegion drawn;
    drawn.region = region;
    QRegion reach = region;
    for (int i = 0; i < 64; ++i) {
        const QRect ink = InkPixels(painted_[i]);
        const bool inked = !ink.isEmpty() && region.intersects(ink);
        const QRect mark = MarkPixels(painted_[i]);
        if (!inked && (mark.isEmpty() || !region.intersects(mark))) continue;
        drawn.pieces.push_back({i, painted_[i]});
        reach += ink;
    }
    QPainter painter(&picture_);
    painter.setClipRegion(region);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const RecentRegion& recent : recentRegions_) {
        if (recent.region == region && recent.pieces == drawn.pieces) {
            painter.drawImage(region.boundingRect().topLeft(), recent.pixels);
            return;
        }
    }
    if (scratch_.size() != picture_.size()) scratch_ = QImage(picture_.size(), picture_.format());
    {
        QPainter scratch(&scratch_);
        scratch.setClipRegion(reach);
        scratch.setCompositionMode(QPainter::CompositionMode_Source);
        scratch.drawImage(0, 0, bareBoard_[whiteAtBottomLabels_ ? 0 : 1]);
        scratch.setClipping(false);
        scratch.setCompositionMode(QPainter::CompositionMode_SourceOver);
        SetBoardTransform(scratch);
        PaintImages(scratch, drawn.pieces);
    }
    painter.drawImage(0, 0, scratch_);
    drawn.pixels = scratch_.copy(region.boundingRect());
    if (recentRegions_.size() >= 8) recentRegions_.pop_front();
    recentRegions_.push_back(std::move(drawn));
}

std::string BoardView::DragIcon() const {
    return dragIndex_ >= 0 ? images_[dragIndex_].dragIcon : foreignIcon_;
}

QRect BoardView::DragIconRect() const {
    const std::string icon = DragIcon();
    if (icon.empty()) return {};
    const QRectF at(dragPos_.x() - SquareSize / 2.0, dragPos_.y() - SquareSize / 2.0, SquareSize,
                    SquareSize);
    const QRectF ink = PieceInk(at, icon);
    return QRectF(ToWidget(ink.topLeft()), ToWidget(ink.bottomRight()))
        .toAlignedRect()
        .adjusted(-1, -1, 1, 1);
}

// The icon drawn once into a sprite for each sub-pixel phase it is shown at
// (a drag keeps one phase: the mouse moves by whole pixels).
const QImage& BoardView::DragSprite(const std::string& code, QPointF devicePos) {
    const QPointF phase(devicePos.x() - std::floor(devicePos.x()),
                        devicePos.y() - std::floor(devicePos.y()));
    const QString key = QStringLiteral("%1@%2,%3")
                            .arg(QString::fromStdString(code))
                            .arg(qRound(phase.x() * 64))
                            .arg(qRound(phase.y() * 64));
    auto it = sprites_.find(key);
    if (it != sprites_.end()) return *it;
    if (sprites_.size() > 64) sprites_.clear();
    const double s = ScaleFactor() * pictureRatio_;
    const QRectF ink = PieceInk(QRectF(0, 0, SquareSize, SquareSize), code);
    const QRect box = QRectF(phase + ink.topLeft() * s, ink.size() * s).toAlignedRect();
    QImage sprite(box.size().grownBy({1, 1, 1, 1}), QImage::Format_ARGB32_Premultiplied);
    sprite.fill(Qt::transparent);
    {
        QPainter painter(&sprite);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(phase - QPointF(box.topLeft()) + QPointF(1, 1));
        painter.scale(s, s);
        PaintPiece(painter, QRectF(0, 0, SquareSize, SquareSize), code);
    }
    // Where the sprite's corner lies from the icon's whole-pixel corner.
    sprite.setOffset(box.topLeft() - QPoint(1, 1));
    sprite.setDevicePixelRatio(pictureRatio_);
    return *sprites_.insert(key, sprite);
}

void BoardView::paintEvent(QPaintEvent* event) {
    RefreshPicture();
    QPainter painter(this);
    const QRect area = event->rect();
    const qreal ratio = pictureRatio_;
    painter.drawImage(
        QRectF(area), picture_,
        QRectF(area.x() * ratio, area.y() * ratio, area.width() * ratio, area.height() * ratio));
    const std::string icon = DragIcon();
    if (icon.empty()) return;
    const QPointF corner =
        ToWidget(QPointF(dragPos_.x() - SquareSize / 2.0, dragPos_.y() - SquareSize / 2.0)) * ratio;
    const QImage& sprite = DragSprite(icon, corner);
    const QPointF whole(std::floor(corner.x()), std::floor(corner.y()));
    painter.drawImage((whole + QPointF(sprite.offset())) / ratio, sprite);
}

void BoardView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    const int index = ImageAt(ToBoard(event->position()));
    if (index < 0) {
        // On the frame: no square, but a press all the same (it ends a selection).
        if (onPress && dragIndex_ < 0) onPress(-1, event->button());
        return;
    }
    dragPos_ = ToBoard(event->position());
    if (onPress) onPress(index, event->button());
}

void BoardView::mouseMoveEvent(QMouseEvent* event) {
    if (!IsDragging()) return;
    MoveDragTo(ToBoard(event->position()));
}

void BoardView::MoveDragTo(QPointF boardPos) {
    const QRect before = DragIconRect();
    dragPos_ = boardPos;
    update(QRegion(before) + DragIconRect());
}

void BoardView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dragIndex_ < 0) return;
    update(DragIconRect());
    dragIndex_ = -1;
    ReportDrop(event->position(), event->globalPosition().toPoint());
}

void BoardView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (onResize) onResize(static_cast<int>(BoardRect().width()));
}

void BoardView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // A new background or style: the cached pictures are drawn again on the next paint.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        picture_ = QImage();
        update();
    }
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
