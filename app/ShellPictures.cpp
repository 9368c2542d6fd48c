#include "app/ShellPictures.h"

#include "assets/Art.h"
#include "assets/frmPieces.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>

namespace corvane {

QPixmap AppIcon(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF tile(s * 0.04, s * 0.04, s * 0.92, s * 0.92);
    QLinearGradient g(tile.topLeft(), tile.bottomLeft());
    g.setColorAt(0, art::WalnutTop());
    g.setColorAt(1, art::WalnutBottom());
    p.setPen(QPen(art::Brass(), qMax(1.0, s / 48)));
    p.setBrush(g);
    p.drawRoundedRect(tile, s * 0.18, s * 0.18);
    // four squares of the board under a white knight
    const QRectF board(s * 0.16, s * 0.62, s * 0.68, s * 0.2);
    for (int c = 0; c < 4; ++c)
        p.fillRect(QRectF(board.left() + c * board.width() / 4, board.top(), board.width() / 4,
                          board.height()),
                   c % 2 ? frmPieces::DarkSquare() : frmPieces::LightSquare());
    frmPieces::PaintPiece(p, QRectF(s * 0.17, s * 0.1, s * 0.66, s * 0.66), 2);
    return pm;
}

void Beep(const std::function<void()>& hook) {
    if (hook)
        hook();
    else
        QApplication::beep();
}

} // namespace corvane
