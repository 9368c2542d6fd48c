#include "game/Widgets.h"

#include <QMouseEvent>
#include <QPainter>

#include "game/PieceArt.h"
#include "rules/ModChecker.h"

namespace corvane {

void PressableImage::mousePressEvent(QMouseEvent* event) {
    if (onPress) onPress(event->button());
}

PiecePalette::PiecePalette(QWidget* parent) : QWidget(parent) {
    setObjectName("palette");
    setFixedSize(sizeHint());
    setToolTip("Arraste uma peça para o tabuleiro; solte aqui para retirá-la");
}

// Row 0 White, row 1 Black, columns R N B Q K P.
QPoint PiecePalette::CentreOf(int piece) const {
    const int row = piece >= 7 ? 1 : 0;
    const int col = (piece - 1) % 6;
    return {4 + col * Cell + Cell / 2, 4 + row * Cell + Cell / 2};
}

int PiecePalette::PieceAt(QPoint pos) const {
    const int col = (pos.x() - 4) / Cell;
    const int row = (pos.y() - 4) / Cell;
    if (pos.x() < 4 || pos.y() < 4 || col > 5 || row > 1) return 0;
    return row * 6 + col + 1;
}

void PiecePalette::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(201, 183, 156));
    painter.setBrush(QColor(248, 243, 234));
    painter.drawRoundedRect(rect().adjusted(0, 0, -1, -1), 6, 6);
    for (int piece = 1; piece <= 12; ++piece) {
        const QPoint c = CentreOf(piece);
        PaintPiece(painter, QRectF(c.x() - Cell / 2, c.y() - Cell / 2, Cell, Cell),
                   PieceCodeOf(piece));
    }
}

void PiecePalette::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragged_ = PieceAt(event->position().toPoint());
    if (dragged_ != 0 && onDrag) onDrag(dragged_, event->globalPosition().toPoint(), false);
}

void PiecePalette::mouseMoveEvent(QMouseEvent* event) {
    if (dragged_ != 0 && onDrag) onDrag(-dragged_, event->globalPosition().toPoint(), false);
}

void PiecePalette::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dragged_ == 0) return;
    const int piece = dragged_;
    dragged_ = 0;
    if (onDrag) onDrag(piece, event->globalPosition().toPoint(), true);
}

void MoveList::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    if (QListWidgetItem* item = currentItem()) scrollToItem(item);
}

} // namespace corvane
