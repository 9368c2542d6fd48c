// A person's move: pick-up, drop, the legality test, the commit and the
// promotion chooser.
#include <QApplication>

#include "game/BoardKeys.h"
#include "game/ComputerPlayer.h"
#include "game/frmMain.h"
#include "kit/EventWait.h"
#include "rules/MoveText.h"
#include "rules/RulesState.h"

namespace corvane {

void frmMain::PickUp(int index, Qt::MouseButton button) {
    if (reviewing_ >= 0) return; // an earlier position shows: no move is taken
    if (!SetUpMode && selected_ >= 0 && PressWithSelection(index, button)) return;
    if (button != Qt::LeftButton || ComputerBusy || Tag(index).empty()) return;
    if (NetworkGame) {
        const char colour = Tag(index)[0];
        if ((localIsWhite_ && colour == 'B') || (!localIsWhite_ && colour == 'W')) return;
    }
    pickedSquare_ = static_cast<std::int16_t>(index);
    pickedLeft_ = IM(index).left;
    pickedTop_ = IM(index).top;
    if (!SetUpMode && SideToMove == "W" && GameMode == "CW") {
        // The computer's opening move, when it plays White.
        ComputerTurn(1);
        if (closing_ || ComputerBusy || Tag(index).empty()) return;
    }
    dropOutside_ = false;
    dragging_ = true;
    pickedSquare_ = static_cast<std::int16_t>(index);
    const SquareImage& im = IM(index);
    picBoard()->BeginDrag(index, QPointF(im.left + 22, im.top + 22));
    if (!SetUpMode) IM(index).visible = false;
    pickedLeft_ = im.left;
    pickedTop_ = im.top;
    CurrentMove = Tag(index).substr(0, 2) + " " + SquareNameOfImage(index);
    SetMoveLabel(CurrentMove);
    // The held piece shows where it may go; released where it stood, it stays selected.
    pressOnSelected_ = index == selected_;
    selected_ = -1;
    held_ = SetUpMode ? -1 : index;
    heldTargets_ = TargetsOf(index);
    RefreshMarks();
}

void frmMain::ReturnPiece() {
    if (pickedSquare_ >= 0 && pickedSquare_ <= 63) {
        IM(pickedSquare_).left = pickedLeft_;
        IM(pickedSquare_).top = pickedTop_;
        IM(pickedSquare_).visible = true;
    }
    picBoard()->CancelDrag();
    CurrentMove.clear();
    if (MoveCount() >= 1 && ListCursor >= 0 && ListCursor < MoveCount()) {
        CurrentMove = ListMoves()->item(ListCursor)->text().toStdString();
    }
    SetMoveLabel(CurrentMove);
}

void frmMain::DropOnSquare(int target) {
    if (ComputerBusy) return;
    if (SetUpMode) {
        SetUpDrop(target);
        return;
    }
    if (pickedSquare_ < 0 || !dragging_) return;
    if (target == pickedSquare_) {
        IM(pickedSquare_).visible = true;
        picBoard()->update();
        // A click on a piece selects it; a second click on it lets it go.
        selected_ = pressOnSelected_ ? -1 : pickedSquare_;
        return;
    }
    const std::string mover = Tag(pickedSquare_).substr(0, 1);
    if (SideToMove != mover && SideToMove != "A") {
        ReturnPiece();
        return;
    }
    const int last = MoveCount() - 1;
    if (ListCursor < last) {
        ListCursor = last;
        ListMoves()->setCurrentRow(last);
        ListMoves()->scrollToItem(ListMoves()->item(last));
        IM(pickedSquare_).visible = true;
    }
    FinishHumanDrop(target);
}

void frmMain::DropOnBoard(double x, double y) {
    // Squares are counted from the first square, not from the picture's edge, and
    // column and row each stay on the board: a drop on the frame takes the square
    // beside it.
    const auto cell = [](double v) {
        const long units = std::lround(v) - BoardView::Margin;
        return std::clamp(static_cast<int>(units >= 0 ? units / 44 : -1), 0, 7);
    };
    int index = std::clamp(cell(x) + 8 * cell(y), 0, 63);
    if (!WhiteAtBottom) index = 63 - index;
    if (SetUpMode) {
        SetUpDrop(index);
        return;
    }
    if (pickedSquare_ < 0) return;
    if (ListCursor < MoveCount() - 1 || dropOutside_) {
        IM(pickedSquare_).left = pickedLeft_;
        IM(pickedSquare_).top = pickedTop_;
        IM(pickedSquare_).visible = true;
        picBoard()->CancelDrag();
        if (dropOutside_) {
            CurrentMove.clear();
            SetMoveLabel(CurrentMove);
        }
        return;
    }
    if (ComputerBusy || !dragging_) return;
    const std::string mover = Tag(pickedSquare_).substr(0, 1);
    if (SideToMove != mover && SideToMove != "A") {
        ReturnPiece();
        return;
    }
    FinishHumanDrop(index);
}

void frmMain::DropOutsideBoard() {
    if (ComputerBusy || SetUpMode) return;
    dropOutside_ = true;
    DropOnBoard(0, 0);
}

void frmMain::FinishHumanDrop(int target) {
    const MoveUnderway underway(movesUnderway_);
    dragging_ = false;
    const MoveText move{Board[0][RankOfImage(pickedSquare_)][FileOfImage(pickedSquare_)],
                        RankOfImage(pickedSquare_),
                        FileOfImage(pickedSquare_),
                        RankOfImage(target),
                        FileOfImage(target),
                        Board[0][RankOfImage(target)][FileOfImage(target)] != Empty,
                        ""};
    CurrentMove = FormatMoveText(move);
    SetMoveLabel(CurrentMove);
    KeepBefore(false);
    // The test leaves its results; the game's position stays for the commit to
    // make the move on.
    bool legal = false;
    RulesResults tested;
    {
        const RulesStateKeeper position;
        legal = IsMoveLegal(CurrentMove);
        tested = RulesResults::Take();
    }
    tested.PutBack();
    const bool ownKingAttacked =
        (MoverSide == "W" && WhiteInCheck) || (MoverSide == "B" && BlackInCheck);
    if (!legal || ownKingAttacked) {
        ReturnPiece();
        if (!GameStatus.empty()) Sound(5);
        ReturnPiece();
        return;
    }
    if (!GameStatus.empty()) Sound(5);
    CommitMove(target, move);
}

bool frmMain::CommitMove(int target, MoveText move) {
    PromotedPiece = -1;
    const PlyBoard before = Board[0];
    const bool white = IsWhitePiece(move.piece);
    const bool pawn = move.piece == WhitePawn || move.piece == BlackPawn;
    // A pawn going sideways onto an empty square takes the one beside it.
    const PieceIndex taken = pawn && move.fromFile != move.toFile && !move.capture
                                 ? (white ? BlackPawn : WhitePawn)
                                 : before[move.toRank][move.toFile];
    if (!MovePickedPiece(target)) return false;
    // The move as played: the promotion adds the chosen piece to it.
    std::string played = CurrentMove;
    if (pawn && move.toRank == (white ? 8 : 1)) {
        if (!ChoosePromotion(move, played)) {
            DrawChangedSquares();
            return false;
        }
    }
    ComputerHumanMoved();
    if (!ApplyMove(move)) { // the test above accepted it: nothing to make
        DrawChangedSquares();
        return false;
    }
    DrawChangedSquares();
    CountCapture(PieceCodeOf(taken));
    PlayMoveSound(CurrentMove, taken != Empty);
    const Announcement outcome = PersonOutcome(white);
    ListTheMove(played);
    IM(pickedSquare_).visible = true;
    picBoard()->update();
    AfterMove(Mover::Person, white, played, outcome);
    return true;
}

// The picked piece shows on the target and its square bare while the move is
// made. False when the window began to close meanwhile (the move is taken back).
bool frmMain::MovePickedPiece(int target) {
    SquareImage& picked = IM(pickedSquare_);
    MovePieceImage(picked, IM(target));
    picked.left = pickedLeft_;
    picked.top = pickedTop_;
    picBoard()->update();
    QCoreApplication::processEvents();
    if (closing_) {
        DrawChangedSquares();
        return false;
    }
    return true;
}

// The view follows the game's position: only the squares that differ are drawn.
void frmMain::DrawChangedSquares() {
    for (int i = 0; i < 64; ++i) {
        const PieceCode code = PieceCodeOf(Board[0][RankOfImage(i)][FileOfImage(i)]);
        if (Tag(i) != code) SetSquare(i, code);
    }
}

// Check and mate on the other king, stalemate (two players only), then the
// draws by material.
frmMain::Announcement frmMain::PersonOutcome(bool whiteMoved) {
    GameStatus.clear();
    const MoveOutcome o = OutcomeAfterMove(whiteMoved ? "B" : "W", 1, GameMode == "H");
    Announcement a;
    a.check = o.check && !o.checkmate;
    if (o.checkmate) a.ending = "XEQUE-MATE";
    if (o.stalemate) a.ending = "STALEMATE";
    if (o.drawByMaterial) a.ending = "EMPATE";
    return a;
}

bool frmMain::ChoosePromotion(MoveText& move, std::string& played) {
    const bool white = IsWhitePiece(move.piece);
    {
        // With the pawn on its new square its own king must stand safe.
        const RulesResultsKeeper results;
        if (!PlayMoveIntoNextPly(move, 0) || KingInCheck(white ? "W" : "B", 1)) return false;
    }
    // A typed move that names its piece needs no chooser.
    PromotionChoice = typedPromotion_;
    bool chosen = !PromotionChoice.empty();
    if (!chosen) {
        QWidget* panel = white ? picWPP() : picBPP();
        lblPromover()->show();
        LockBoard();
        // The chooser is modal in effect: nothing may change the position meanwhile.
        promotionWaiting_ = true;
        picOptions()->setEnabled(false);
        // Only a choice (a left click on an image, or its key) or the window's
        // close ends the wait.
        const PromotionKeys keys(
            [this](int index) { ChoosePromotionPiece(index, Qt::LeftButton); });
        panel->show();
        QCoreApplication::processEvents();
        Sound(8);
        chosen =
            RunEventsUntil([this] { return !PromotionChoice.empty() || closing_; }) && !closing_;
        promotionWaiting_ = false;
        picOptions()->setEnabled(true);
        panel->hide();
        lblPromover()->hide();
        UnlockBoard();
    }
    if (!chosen) return false; // the move is taken back
    const char kind = PromotionChoice.size() >= 2 ? PromotionChoice[1] : 'Q';
    const int base = white ? 0 : 6;
    PromotedPiece = base + (kind == 'R' ? 1 : kind == 'N' ? 2 : kind == 'B' ? 3 : 4);
    move.promotion = PieceCodeOf(PromotedPiece);
    played += "=" + PromotionChoice;
    SetMoveLabel(played);
    return true;
}

void frmMain::ChoosePromotionPiece(int index, Qt::MouseButton button) {
    if (button != Qt::LeftButton || index < 1 || index > 4) return;
    const char* kinds = " RNBQ";
    const bool white = picWPP()->isVisible() || !picBPP()->isVisible();
    PromotionChoice = std::string(white ? "W" : "B") + kinds[index];
}

} // namespace corvane
