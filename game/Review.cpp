#include "game/Review.h"

#include <QEvent>
#include <QPainter>

#include "assets/frmPieces.h"
#include "files/SavedGame.h"
#include "game/BoardView.h"
#include "game/frmMain.h"
#include "kit/PlainText.h"
#include "rules/MoveText.h"
#include "rules/Pgn.h"

namespace corvane {

// --- The picture over the board ---------------------------------------------------

ReviewOverlay::ReviewOverlay(BoardView& board) : QWidget(&board), board_(board), banner_(this) {
    banner_.setStyleSheet(QStringLiteral(
        "color: rgb(255, 248, 224); background: rgba(40, 28, 20, 200); padding: 3px;"));
    banner_.setAlignment(Qt::AlignCenter);
    hide();
    board.installEventFilter(this);
}

bool ReviewOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &board_ && event->type() == QEvent::Resize) {
        setGeometry(board_.rect());
        banner_.setGeometry(0, 0, width(), banner_.sizeHint().height());
    }
    return QWidget::eventFilter(watched, event);
}

void ReviewOverlay::Show(const std::array<std::string, 64>& squares, int from, int to,
                         const QString& banner) {
    squares_ = squares;
    from_ = from;
    to_ = to;
    setGeometry(board_.rect());
    ShowPlain(banner_, banner);
    banner_.setGeometry(0, 0, width(), banner_.sizeHint().height());
    show();
    raise();
    update();
}

void ReviewOverlay::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const qreal dpr = devicePixelRatioF();
    for (int i = 0; i < 64; ++i) {
        const SquareImage& im = board_.IM(i);
        const QRectF area(board_.ToWidget(QPointF(im.left, im.top)),
                          board_.ToWidget(QPointF(im.left + BoardView::SquareSize,
                                                  im.top + BoardView::SquareSize)));
        const QRect square = area.toAlignedRect();
        const bool dark = (i / 8 + i % 8) % 2 == 1;
        p.fillRect(square, dark ? frmPieces::DarkSquare() : frmPieces::LightSquare());
        if (i == from_ || i == to_) p.fillRect(square, QColor(240, 200, 60, 110));
        if (!squares_[i].empty())
            p.drawPixmap(square,
                         frmPieces::Instance().PieceByCode(squares_[i], square.width(), dpr));
    }
}

// --- The controller's part ----------------------------------------------------------

void frmMain::ReviewAfter(int played) {
    const int n = static_cast<int>(history_.Moves().size());
    if (played < 0) played = 0;
    if (played >= n || SetUpMode) return EndReview();
    PgnGame game;
    game.startFen = startFen_.empty() ? std::string(StandardStartFen) : startFen_;
    for (int i = 0; i < played; ++i) game.moves.push_back(history_.Moves()[i].moveText);
    const std::string fen = GameEndFen(game);
    if (fen.empty()) return EndReview();
    std::array<std::string, 64> squares;
    const std::array<QString, 64> placed = PlacementSquares(QString::fromStdString(fen));
    for (int i = 0; i < 64; ++i) squares[i] = placed[i].toStdString();
    int from = -1, to = -1;
    MoveText last;
    if (played > 0 && ParseMoveText(game.moves.back(), last)) {
        from = ImageIndexOf(last.fromRank, last.fromFile);
        to = ImageIndexOf(last.toRank, last.toFile);
    }
    const QString banner = played == 0 ? QStringLiteral("Revendo o início — Esc volta ao jogo")
                                       : QStringLiteral("Revendo o lance %1 — Esc volta ao jogo")
                                             .arg(qint64(played) + LoadedMoveNumber);
    if (!review_) review_ = std::make_unique<ReviewOverlay>(*picBoard());
    reviewing_ = played;
    if (picBoard()->IsDragging()) ReturnPiece();
    CancelSelection();
    review_->Show(squares, from, to, banner);
}

void frmMain::EndReview() {
    reviewing_ = -1;
    if (review_) review_->hide();
}

void frmMain::ReviewStep(int step) {
    const int n = static_cast<int>(history_.Moves().size());
    const int now = reviewing_ >= 0 ? reviewing_ : n;
    ReviewAfter(now + step);
}

void frmMain::ReviewEntry(int row) {
    ReviewAfter(row + 1);
}

} // namespace corvane
