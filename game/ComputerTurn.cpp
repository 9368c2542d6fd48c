// The computer's turn: freeze the board, search, show and list the move, then
// the step every move ends with.
#include <QElapsedTimer>

#include "assets/BusyCursor.h"
#include "engine/ModCompMove.h"
#include "game/ComputerPlayer.h"
#include "game/frmMain.h"
#include "rules/CoreHooks.h"
#include "rules/MoveText.h"

namespace corvane {

void frmMain::ComputerTurn(int ply) {
    if (GameMode == "H" || SideToMove == "A" || closing_) return;
    const MoveUnderway underway(movesUnderway_);
    KeepBefore(true);
    if (Level == 1) ComputerToggleSkipSearch();
    ComputerBusy = true;
    LockBoard();
    TakeGamePosition(1);
    CopyPlyFlags(0, 1);
    BusyCursor::Start();
    if (ListCursor < 1) LabTime()->clear();
    const PlyBoard before = Board[0];
    ThinkTimed(ply);
    BusyCursor::Stop();
    if (closing_) return;
    MoveText move;
    const bool moved = ParseMoveText(CurrentMove, move);
    if (moved) BlinkSquare(ImageIndexOf(move.fromRank, move.fromFile));
    if (closing_) return;
    // The computer's move is made on the game's position like any other; one
    // the rules refuse ends the game as the search's errors do.
    if (moved && !ApplyMove(move)) {
        GameStatus = "ERROR: Comp move - " + CurrentMove;
        Hooks().ErrorBox(GameStatus);
    }
    ShowComputerPosition();
    if (!moved || GameStatus.find("ERROR") != std::string::npos ||
        GameStatus.find("STALEMATE") != std::string::npos) {
        EndWithoutMove();
        return;
    }
    SetMoveLabel(CurrentMove);
    ListTheMove(CurrentMove);
    CountComputerCapture(before, move);
    PlayMoveSound(CurrentMove, move.capture, GameStatus == "DRAW");
    AfterMove(Mover::Computer, IsWhitePiece(move.piece), CurrentMove, ComputerOutcome());
}

// The search, timed in whole seconds.
void frmMain::ThinkTimed(int ply) {
    QElapsedTimer ticks;
    ticks.start();
    ComputerPlay(ply);
    const qint64 elapsed = ticks.elapsed() / 1000;
    computerMoveTicks_ = elapsed;
    if (elapsed > LongestThinkTime) LongestThinkTime = static_cast<std::int32_t>(elapsed);
    LabTime()->setText(QString("%1 s").arg(elapsed));
}

// The board shows the game's position after the computer's move.
void frmMain::ShowComputerPosition() {
    DrawChangedSquares();
    ComputerBusy = false;
    LabPB(2)->setText("H");
    LabPB(1)->clear();
    LabPB(0)->clear();
}

// The computer played nothing: an internal error, no legal move (mate when its
// king is in check, otherwise stalemate), or a draw declared before any search.
// Nothing is listed.
void frmMain::EndWithoutMove() {
    if (GameStatus.find("ERROR") == std::string::npos) {
        if (GameStatus == "DRAW") GameStatus = "EMPATE";
        NameNoMoveOutcome(SideToMove, 0);
        if (GameStatus == "XEQUE-MATE") {
            // The message sounds the mate of the side that gave it, the side
            // that has just moved.
            const std::string mated = SideToMove;
            SideToMove = mated == "W" ? "B" : "W";
            ShowGameMessage();
            SideToMove = mated;
        } else if (GameStatus.find("STALEMATE") != std::string::npos || GameStatus == "EMPATE") {
            ShowGameMessage();
        }
    }
    EndGame();
}

void frmMain::CountComputerCapture(const PlyBoard& before, const MoveText& move) {
    const PieceIndex taken = before[move.toRank][move.toFile];
    const PieceIndex mover = before[move.fromRank][move.fromFile];
    if (taken == Empty && (mover == WhitePawn || mover == BlackPawn) &&
        move.fromFile != move.toFile) {
        // En passant: the pawn beside the origin was taken.
        CountCapture(mover == WhitePawn ? "BP" : "WP");
    }
    if (move.capture) CountCapture(PieceCodeOf(taken));
}

// The computer player's own status for its move; then the side now to move may
// have no move at all: mate or stalemate.
frmMain::Announcement frmMain::ComputerOutcome() {
    Announcement a;
    if (GameStatus.find("XEQUE-MATE") != std::string::npos) {
        a.ending = "XEQUE-MATE";
    } else if (GameStatus == "DRAW") {
        a.ending = "EMPATE";
    } else {
        a.check = GameStatus.find("CHECK") != std::string::npos;
        const MoveOutcome o = OutcomeAfterMove(SideToMove == "W" ? "B" : "W", 0, true);
        if (o.checkmate) a.ending = "XEQUE-MATE";
        if (o.stalemate) a.ending = "STALEMATE";
        if (!a.ending.empty()) a.check = false;
    }
    return a;
}

} // namespace corvane
