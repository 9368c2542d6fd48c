// Around the moves: the marks on the board, moving by two clicks, taking moves
// back and playing them again.
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <algorithm>

#include "engine/ModScoreArrays.h"
#include "game/BoardAccessible.h"
#include "game/BoardKeys.h"
#include "game/MoveMarks.h"
#include "game/frmMain.h"
#include "rules/GameState.h"
#include "rules/MoveText.h"
#include "rules/Pgn.h"

namespace corvane {

// --- Marks --------------------------------------------------------------------------------

std::vector<int> frmMain::TargetsOf(int index) const {
    const std::string tag = Tag(index);
    if (SetUpMode || tag.empty()) return {};
    if (SideToMove != tag.substr(0, 1) && SideToMove != "A") return {};
    if (NetworkGame && (tag[0] == 'W') != localIsWhite_) return {};
    return LegalTargets(index);
}

void frmMain::RefreshMarks() {
    SquareMarks marks{};
    if (!SetUpMode) marks = MarksFor(history_.LastMove(), held_, heldTargets_);
    // Keyboard: the focus square, and the piece the keys carry in set-up.
    if (keys_ != nullptr) keys_->AddMarks(marks);
    picBoard()->SetMarks(marks);
    ReportBoardChanged(picBoard());
}

// --- Moving by clicks ---------------------------------------------------------------------

// With a piece selected: a left press on one of its targets plays the move, on
// another piece of its colour (or itself) picks that one up as usual; anything
// else drops the selection.
bool frmMain::PressWithSelection(int index, Qt::MouseButton button) {
    if (ComputerBusy) return true;
    const std::string selected = Tag(selected_);
    const std::string pressed = Tag(index);
    if (button == Qt::LeftButton && !pressed.empty() && !selected.empty() &&
        pressed[0] == selected[0]) {
        if (index != selected_) CancelSelection();
        return false;
    }
    const bool target =
        std::find(heldTargets_.begin(), heldTargets_.end(), index) != heldTargets_.end();
    if (button == Qt::LeftButton && target) {
        PlayClickedMove(index);
    } else {
        CancelSelection();
    }
    return true;
}

// The selected piece goes to the target through the drop's own path.
void frmMain::PlayClickedMove(int target) {
    const int from = selected_;
    CancelSelection();
    pickedSquare_ = static_cast<std::int16_t>(from);
    pickedLeft_ = IM(from).left;
    pickedTop_ = IM(from).top;
    dropOutside_ = false;
    dragging_ = true;
    CurrentMove = Tag(from).substr(0, 2) + " " + SquareNameOfImage(from);
    SetMoveLabel(CurrentMove);
    DropOnSquare(target);
    AfterDrop();
}

void frmMain::mousePressEvent(QMouseEvent* event) {
    if (selected_ >= 0) CancelSelection();
    MainLayout::mousePressEvent(event);
}

void frmMain::CancelSelection() {
    if (selected_ >= 0 && !SetUpMode && !closing_) {
        // The move label shows the last move again, as after a piece put back.
        CurrentMove = history_.LastMove();
        SetMoveLabel(CurrentMove);
    }
    selected_ = -1;
    held_ = -1;
    heldTargets_.clear();
    if (!closing_) RefreshMarks();
}

void frmMain::AfterDrop() {
    if (closing_) return;
    held_ = selected_;
    if (selected_ < 0) heldTargets_.clear();
    RefreshMarks();
}

// --- Take-back and redo -------------------------------------------------------------------

void frmMain::StartHistory() {
    EndReview();
    history_.Clear();
    pendingBefore_.reset();
    startFen_ = StartPositionFen(SideToMove == "B" ? "B" : "W");
    selected_ = held_ = -1;
    heldTargets_.clear();
}

void frmMain::KeepBefore(bool byComputer) {
    pendingBefore_ = Snapshot();
    pendingByComputer_ = byComputer;
}

// Moves go back and forth only between moves, in a local game being played.
bool frmMain::BetweenMoves() const {
    return !ComputerBusy && !SetUpMode && !NetworkGame && !promotionWaiting_ && !closing_ &&
           movesUnderway_ == 0;
}

bool frmMain::CanTakeBack() const {
    return BetweenMoves() && history_.TakeBackCount() > 0;
}

bool frmMain::TakeBackPlies(int n) {
    if (promotionWaiting_ || closing_ || movesUnderway_ > 0) return false;
    std::optional<GameSnapshot> before = history_.TakeBackLast(n);
    if (!before) return false;
    if (picBoard()->IsDragging()) ReturnPiece();
    Restore(*before);
    return true;
}

bool frmMain::CanRedo() const {
    return BetweenMoves() && history_.CanRedo();
}

void frmMain::TakeBackMove() {
    // In a network game the keys ask the peer.
    if (NetworkGame && askTakeBack) return askTakeBack();
    if (!CanTakeBack()) return;
    if (picBoard()->IsDragging()) ReturnPiece();
    Restore(history_.TakeBack(Snapshot()));
}

void frmMain::RedoMove() {
    if (!CanRedo()) return;
    if (picBoard()->IsDragging()) ReturnPiece();
    Restore(history_.Redo());
}

GameSnapshot frmMain::Snapshot() const {
    GameSnapshot s;
    s.rules = RulesState::Take();
    s.sideToMove = SideToMove;
    s.gameMode = GameMode;
    s.openingLine = OpeningLine;
    s.listCursor = ListCursor;
    s.promotedPiece = PromotedPiece;
    s.longestThinkTime = LongestThinkTime;
    s.positionHistory = PositionHistory;
    s.historyIndex = HistoryIndex;
    s.skipSearch = SkipSearch;
    s.searchDepth = SearchDepthSetting;
    s.directionSwitch = DirectionSwitch;
    s.movesGenerated = MoveCountPly[0];
    s.knightWeight = KnightWeight;
    s.bishopWeight = BishopWeight;
    s.random = Random();
    for (int i = 0; i < 64; ++i) s.tags[i] = Tag(i);
    for (int i = 0; i < MoveCount(); ++i) s.entries.push_back(ListMoves()->item(i)->text());
    s.timeLabel = LabTime()->text();
    for (int k = 0; k < 10; ++k) s.captured[k] = lblMW(k)->text().toInt();
    s.whiteTime = whiteTime_;
    s.blackTime = blackTime_;
    s.clockRunning = tmrElapsed()->isActive();
    s.boardEnabled = picBoard()->isEnabled();
    s.toolbarEnabled = picToobar()->isEnabled();
    s.waitingForPeer = waitingForPeer_;
    s.gameEnded = gameEnded_;
    return s;
}

void frmMain::Restore(const GameSnapshot& s) {
    EndReview();
    s.rules.PutBack();
    SideToMove = s.sideToMove;
    GameMode = s.gameMode;
    OpeningLine = s.openingLine;
    ListCursor = s.listCursor;
    PromotedPiece = s.promotedPiece;
    LongestThinkTime = s.longestThinkTime;
    PositionHistory = s.positionHistory;
    HistoryIndex = s.historyIndex;
    SkipSearch = s.skipSearch;
    SearchDepthSetting = s.searchDepth;
    DirectionSwitch = s.directionSwitch;
    MoveCountPly[0] = s.movesGenerated;
    KnightWeight = s.knightWeight;
    BishopWeight = s.bishopWeight;
    Random() = s.random;
    ComputerBusy = false;
    DrawBoard(*this, 0);
    CountPieces(0);
    ListMoves()->clear();
    for (const QString& entry : s.entries) ListMoves()->addItem(entry);
    if (ListCursor >= 0 && ListCursor < MoveCount()) {
        ListMoves()->setCurrentRow(ListCursor);
        ListMoves()->scrollToItem(ListMoves()->item(ListCursor));
    }
    CurrentMove = history_.LastMove();
    SetMoveLabel(CurrentMove);
    LabTime()->setText(s.timeLabel);
    ResetCapturePanel();
    for (int k = 0; k < 10; ++k) {
        lblMW(k)->setText(QString::number(s.captured[k]));
        lblMW(k)->setVisible(s.captured[k] > 0);
    }
    // The clocks show the times of then and count on from now.
    whiteTime_ = s.whiteTime;
    blackTime_ = s.blackTime;
    clockStart_ = clockNow() - whiteTime_ - blackTime_;
    lblTime(0)->setText(ClockText(whiteTime_));
    lblTime(1)->setText(ClockText(blackTime_));
    if (s.clockRunning) {
        tmrElapsed()->start();
    } else {
        tmrElapsed()->stop();
    }
    picBoard()->setEnabled(s.boardEnabled);
    picToobar()->setEnabled(s.toolbarEnabled);
    waitingForPeer_ = s.waitingForPeer;
    gameEnded_ = s.gameEnded;
    SetPlayerCaptions();
    WhoMoves(SideToMove == "B" ? 1 : 0);
    selected_ = held_ = -1;
    heldTargets_.clear();
    pendingBefore_.reset();
    RefreshMarks();
}

// --- Keys and the move list's menu ---------------------------------------------------------

void frmMain::WireGameActions() {
    const auto shortcut = [this](const QKeySequence& keys, void (frmMain::*action)()) {
        auto* s = new QShortcut(keys, this);
        connect(s, &QShortcut::activated, this, action);
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), &frmMain::TakeBackMove);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &frmMain::RedoMove);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_C), &frmMain::CopyPosition);
    // Esc first leaves an earlier position being looked at.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this,
            [this] { reviewing_ >= 0 ? EndReview() : CancelSelection(); });
    // Looking at earlier positions.
    auto* back = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this);
    connect(back, &QShortcut::activated, this, [this] { ReviewStep(-1); });
    auto* forward = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), this);
    connect(forward, &QShortcut::activated, this, [this] { ReviewStep(1); });
    auto* first = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Home), this);
    connect(first, &QShortcut::activated, this, [this] { ReviewAfter(0); });
    shortcut(QKeySequence(Qt::ALT | Qt::Key_End), &frmMain::EndReview);
    connect(ListMoves(), &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { ReviewEntry(ListMoves()->row(item)); });
    auto* drawKeys = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this);
    connect(drawKeys, &QShortcut::activated, this, [this] {
        if (NetworkGame && offerDraw) offerDraw();
    });
    auto* exportKeys = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(exportKeys, &QShortcut::activated, this, [this] { ExportPgn(); });
    WireStandardList();
    ListMoves()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListMoves(), &QWidget::customContextMenuRequested, this, &frmMain::ShowMoveListMenu);
}

void frmMain::ShowMoveListMenu(const QPoint& pos) {
    QMenu menu(this);
    // A network game: the peer is asked.
    const bool agreed = NetworkGame && askTakeBack && offerDraw;
    QAction* back = menu.addAction(agreed ? "Pedir para voltar a jogada" : "Desfazer jogada",
                                   QKeySequence(Qt::CTRL | Qt::Key_Z));
    back->setEnabled(agreed || CanTakeBack());
    QAction* redo = agreed
                        ? menu.addAction("Propor empate", QKeySequence(Qt::CTRL | Qt::Key_D))
                        : menu.addAction("Refazer", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    redo->setEnabled(agreed || CanRedo());
    menu.addSeparator();
    QAction* copy = menu.addAction("Copiar posição", QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction* pgn = menu.addAction("Exportar PGN", QKeySequence(Qt::CTRL | Qt::Key_E));
    menu.addSeparator();
    QAction* standard = menu.addAction("Notação padrão");
    standard->setCheckable(true);
    standard->setChecked(standardNotation_);
    QAction* chosen = menu.exec(ListMoves()->viewport()->mapToGlobal(pos));
    if (chosen == back) TakeBackMove();
    if (chosen == redo && agreed) offerDraw();
    if (chosen == redo && !agreed) RedoMove();
    if (chosen == copy) CopyPosition();
    if (chosen == pgn) ExportPgn();
    if (chosen == standard) SetStandardNotation(!standardNotation_);
}

} // namespace corvane
