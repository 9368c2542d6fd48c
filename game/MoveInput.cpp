// A person's move: pick-up, drop, the legality test, the commit and the
// promotion chooser.
#include <QApplication>

#include "game/ComputerPlayer.h"
#include "game/frmMain.h"
#include "kit/EventWait.h"
#include "rules/MoveText.h"

namespace corvane {

void frmMain::PickUp(int index, Qt::MouseButton button) {
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
    const MoveText move{PieceIndexOf(Tag(pickedSquare_).substr(0, 2)),
                        RankOfImage(pickedSquare_),
                        FileOfImage(pickedSquare_),
                        RankOfImage(target),
                        FileOfImage(target),
                        !Tag(target).empty(),
                        ""};
    CurrentMove = FormatMoveText(move);
    SetMoveLabel(CurrentMove);
    KeepBefore(false);
    LoadBoardFromView(*this, 0);
    const bool legal = IsMoveLegal(CurrentMove);
    const bool ownKingAttacked =
        (MoverSide == "W" && WhiteInCheck) || (MoverSide == "B" && BlackInCheck);
    if (!legal || ownKingAttacked) {
        ReturnPiece();
        if (!GameStatus.empty()) Sound(5);
        ReturnPiece();
        return;
    }
    if (!GameStatus.empty()) Sound(5);
    CommitMove(target);
}

void frmMain::MoveCastlingRook(int kingTarget) {
    int from = -1, to = -1;
    if (Tag(kingTarget).substr(0, 2) == "WK") {
        if (CastleMade[0][0] == 1) from = 63, to = 61;
        if (CastleMade[0][1] == 1) from = 56, to = 59;
    } else {
        if (CastleMade[0][2] == 1) from = 7, to = 5;
        if (CastleMade[0][3] == 1) from = 0, to = 3;
    }
    if (from >= 0) MovePieceImage(IM(from), IM(to));
}

bool frmMain::CommitMove(int target) {
    const int fromRank = FromRank, fromFile = FromFile, toRank = ToRank, toFile = ToFile;
    PromotedPiece = -1;
    LoadBoardFromView(*this, 0);
    CountPieces(0);
    std::string captured = Tag(target).substr(0, 2);
    if (!MovePickedPiece(target)) return false;
    const std::string code = Tag(target).substr(0, 2);
    if ((code == "WP" && WhitePawnFlags[0][2] == 1) ||
        (code == "BP" && BlackPawnFlags[0][2] == 1)) {
        if (!ChoosePromotion(target)) {
            DrawBoard(*this, 0);
            return false;
        }
    }
    ComputerHumanMoved();
    CompleteCastling(target);
    captured = TakeEnPassantPawn(target, fromFile, toFile, captured);
    // The game position keeps the flags the legality test recorded for this move.
    MarkCornerRooks(fromRank, fromFile, toRank, toFile, 0);
    LoadBoardFromView(*this, 0);
    LoadBoardFromView(*this, 1);
    CopyPlyFlags(0, 1);
    CountPieces(1);
    CountCapture(captured);
    PlayMoveSound(CurrentMove, !captured.empty());
    const Announcement outcome = PersonOutcome(code[0] == 'W');
    ListTheMove();
    IM(pickedSquare_).visible = true;
    picBoard()->update();
    AfterMove(Mover::Person, code[0] == 'W', outcome);
    return true;
}

// The picked piece goes to the target; its square shows bare. False when the
// window began to close meanwhile (the move is taken back).
bool frmMain::MovePickedPiece(int target) {
    SquareImage& picked = IM(pickedSquare_);
    MovePieceImage(picked, IM(target));
    picked.left = pickedLeft_;
    picked.top = pickedTop_;
    picBoard()->update();
    QCoreApplication::processEvents();
    if (closing_) {
        DrawBoard(*this, 0);
        return false;
    }
    LoadBoardFromView(*this, 1);
    return true;
}

// Castling: the rook follows; the king's entry records which castling was made.
void frmMain::CompleteCastling(int target) {
    const std::string code = Tag(target).substr(0, 2);
    for (const bool white : {true, false}) {
        const int k = white ? 0 : 2;
        if (code != (white ? "WK" : "BK") || (CastleMade[0][k] != 1 && CastleMade[0][k + 1] != 1))
            continue;
        MoveCastlingRook(target);
        (white ? WhiteCastleFlags : BlackCastleFlags)[0][0] = CastleMade[0][k] == 1 ? 2 : 3;
        CastleMade[0][k] = CastleMade[0][k + 1] = 0;
    }
}

// En passant: the pawn behind the target goes; returns the captured code.
std::string frmMain::TakeEnPassantPawn(int target, int fromFile, int toFile, std::string captured) {
    const std::string code = Tag(target).substr(0, 2);
    if (fromFile == toFile) return captured;
    if (code == "WP" && WhitePawnFlags[0][0] == 1 && target + 8 <= 63) {
        SetSquare(target + 8, "");
        WhitePawnFlags[0][0] = 0;
        return "BP";
    }
    if (code == "BP" && BlackPawnFlags[0][0] == 1 && target - 8 >= 0) {
        SetSquare(target - 8, "");
        BlackPawnFlags[0][0] = 0;
        return "WP";
    }
    return captured;
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

bool frmMain::ChoosePromotion(int target) {
    PromotedPiece = -1;
    const std::string code = Tag(target).substr(0, 2);
    const bool white = code == "WP" && WhitePawnFlags[0][2] == 1;
    const bool black = code == "BP" && BlackPawnFlags[0][2] == 1;
    if (white || black) {
        FlagArray& flags = white ? WhitePawnFlags : BlackPawnFlags;
        if (KingInCheck(white ? "W" : "B", 1)) {
            flags[0][2] = 0;
            return false;
        }
        QWidget* panel = white ? picWPP() : picBPP();
        lblPromover()->show();
        LockBoard();
        // The chooser is modal in effect: nothing may change the position meanwhile.
        promotionWaiting_ = true;
        picOptions()->setEnabled(false);
        PromotionChoice.clear();
        panel->show();
        QCoreApplication::processEvents();
        Sound(8);
        // Only a left click on a choice image or the window's close ends the wait.
        const bool chosen =
            RunEventsUntil([this] { return !PromotionChoice.empty() || closing_; }) && !closing_;
        promotionWaiting_ = false;
        picOptions()->setEnabled(true);
        panel->hide();
        lblPromover()->hide();
        UnlockBoard();
        flags[0][2] = 0;
        if (!chosen) return false; // the move is taken back
        const char kind = PromotionChoice.size() >= 2 ? PromotionChoice[1] : 'Q';
        const int base = white ? 0 : 6;
        PromotedPiece = base + (kind == 'R' ? 1 : kind == 'N' ? 2 : kind == 'B' ? 3 : 4);
        LabMvString()->setText(LabMvString()->text() + "=" +
                               QString::fromStdString(PromotionChoice));
    }
    if (PromotedPiece != -1 && PromotedPiece != 0) SetSquare(target, PieceCodeOf(PromotedPiece));
    return true;
}

void frmMain::ChoosePromotionPiece(int index, Qt::MouseButton button) {
    if (button != Qt::LeftButton || index < 1 || index > 4) return;
    const char* kinds = " RNBQ";
    const bool white = picWPP()->isVisible() || !picBPP()->isVisible();
    PromotionChoice = std::string(white ? "W" : "B") + kinds[index];
}

} // namespace corvane
