// The computer's turn: freeze the board, search, show and list the move, report
// check, mate, stalemate or draw, hand the turn back.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "assets/BusyCursor.h"
#include "game/ComputerPlayer.h"
#include "game/frmMain.h"
#include "rules/ModChecker.h"

namespace corvane {

namespace {

// Lets events run for the given time.
void WaitWithEvents(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents,
                                        std::max<int>(1, ms - timer.elapsed()));
    }
}

bool IsCastlingText(const std::string& move) {
    return move == "WK e1-g1" || move == "WK e1-c1" || move == "BK e8-g8" || move == "BK e8-c8";
}

// Rank and file of a square written at pos of a move text; false when it is none.
bool SquareAt(const std::string& move, std::size_t pos, int& rank, int& file) {
    if (move.size() < pos + 2) return false;
    file = move[pos] - 'a' + 1;
    rank = move[pos + 1] - '0';
    return OnBoard(rank, file);
}

} // namespace

void frmMain::ComputerTurn(int ply) {
    if (GameMode == "H" || SideToMove == "A" || closing_) return;
    if (Level == 1) ComputerToggleSkipSearch();
    ComputerBusy = true;
    LockBoard();
    LoadBoardFromView(*this, 1);
    CopyPlyFlags(0, 1);
    BusyCursor::Start();
    if (ListCursor < 1) LabTime_->clear();

    const PlyBoard before = Board[0];
    QElapsedTimer ticks;
    ticks.start();
    ComputerPlay(ply);
    const qint64 elapsed = ticks.elapsed() / 1000;
    ComputerMoveTicks = elapsed;
    if (elapsed > LongestThinkTime) LongestThinkTime = static_cast<std::int32_t>(elapsed);
    LabTime_->setText(QString("%1 s").arg(elapsed));
    BusyCursor::Stop();
    if (closing_) return;

    int fromRank = 0, fromFile = 0, toRank = 0, toFile = 0;
    const bool moved =
        SquareAt(CurrentMove, 3, fromRank, fromFile) && SquareAt(CurrentMove, 6, toRank, toFile);
    if (moved) {
        SquareImage& square = IM(ImageIndexOf(fromRank, fromFile));
        for (int i = 0; i < 8 && !closing_; ++i) {
            square.visible = !square.visible;
            picBoard_->update();
            QCoreApplication::processEvents();
            WaitWithEvents(blinkMilliseconds);
        }
        square.visible = true;
    }
    if (closing_) return;

    DrawBoard(*this, 1);
    Board[0] = Board[1];
    CopyPlyFlags(1, 0);
    // A rook taken on its corner cannot castle any more.
    if (moved) MarkCornerRooks(fromRank, fromFile, toRank, toFile, 0);
    LoadBoardFromView(*this, 0);
    ComputerBusy = false;
    LabPB_[2]->setText("H");
    LabPB_[1]->clear();
    LabPB_[0]->clear();

    if (GameStatus.find("ERROR") != std::string::npos) {
        EndGame();
        return;
    }
    if (GameStatus.find("STALEMATE") != std::string::npos) {
        ShowGameMessage();
        EndGame();
        return;
    }
    if (!moved) {
        // A draw declared before any search: nothing to list.
        if (GameStatus == "DRAW") {
            GameStatus = "EMPATE";
            ShowGameMessage();
        }
        EndGame();
        return;
    }
    SetMoveLabel(CurrentMove);
    ListTheMove();
    const PieceIndex taken = before[toRank][toFile];
    const PieceIndex mover = before[fromRank][fromFile];
    if (taken == Empty && (mover == WhitePawn || mover == BlackPawn) && fromFile != toFile) {
        // En passant: the pawn beside the origin was taken.
        CountCapture(mover == WhitePawn ? "BP" : "WP");
    }
    if (CurrentMove.find('x', 3) != std::string::npos) {
        CountCapture(PieceCodeOf(taken));
        Sound(9);
    } else if (IsCastlingText(CurrentMove)) {
        Sound(0);
        Sound(0);
    } else if (GameStatus != "DRAW") {
        Sound(0);
    }
    if (!GameStatus.empty()) {
        if (GameStatus.find("XEQUE-MATE") != std::string::npos) {
            GameStatus = "XEQUE-MATE";
            ShowGameMessage();
            EndGame();
            return;
        }
        if (GameStatus.find("CHECK") != std::string::npos) {
            GameStatus = "XEQUE";
            ComputerBusy = false;
            ShowGameMessage();
            if (closing_) return;
        } else if (GameStatus == "DRAW") {
            GameStatus = "EMPATE";
            ShowGameMessage();
            EndGame();
            return;
        }
    }
    // The side now to move may have no move at all: mate or stalemate.
    const std::string human = SideToMove == "W" ? "B" : "W";
    CountPieces(0);
    if (!HasLegalMove(human, 0)) {
        std::int32_t kr = 0, kf = 0;
        const bool inCheck = FindKing(human, kr, kf, 0) && IsSquareAttacked(kr, kf, SideToMove, 0);
        GameStatus = inCheck ? "XEQUE-MATE" : "STALEMATE";
        ShowGameMessage();
        EndGame();
        return;
    }
    if (SideToMove == "W") {
        WhoMoves(1);
    } else if (SideToMove == "B") {
        WhoMoves(0);
    }
    UnlockBoard();
}

} // namespace corvane
