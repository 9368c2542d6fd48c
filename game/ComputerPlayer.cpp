#include "game/ComputerPlayer.h"

#include <random>

#include "rules/CoreHooks.h"
#include "rules/ModChecker.h"

namespace corvane {

namespace {

bool stopRequested = false;
std::string capturedCode;

std::string SquareText(int rank, int file) {
    return std::string(1, static_cast<char>('a' + file - 1)) + static_cast<char>('0' + rank);
}

// Greedy one-move player over the rules core: takes the most valuable capture,
// otherwise a random legal move.
void PlayGreedy(int ply) {
    const std::string side = (GameMode == "CW" || GameMode == "CCW") ? "W" : "B";
    const std::string other = side == "W" ? "B" : "W";
    CountPieces(ply);
    if (WhitePieceTotal == 1 && BlackPieceTotal == 1) {
        GameStatus = "DRAW";
        return;
    }
    GameStatus.clear();
    RulesMoveList moves;
    ListLegalMoves(side, ply, moves);
    Hooks().SetProgressLabel(2, "C");
    Hooks().SetProgressLabel(1, std::to_string(moves.count));
    Hooks().LetEventsRun();
    if (stopRequested) return;
    if (moves.count == 0) {
        GameStatus = "STALEMATE";
        return;
    }
    static std::mt19937 random{std::random_device{}()};
    int best = static_cast<int>(random() % moves.count);
    int bestValue = 0;
    for (int i = 0; i < moves.count; ++i) {
        const RulesMove& m = moves.moves[i];
        const int value = PieceValue[Board[ply][m.toRank][m.toFile]];
        if (Board[ply][m.toRank][m.toFile] != Empty && value > bestValue) {
            bestValue = value;
            best = i;
        }
    }
    const RulesMove m = moves.moves[best];
    const PieceIndex piece = Board[ply][m.fromRank][m.fromFile];
    const PieceIndex captured = Board[ply][m.toRank][m.toFile];
    FromRank = m.fromRank;
    FromFile = m.fromFile;
    ToRank = m.toRank;
    ToFile = m.toFile;
    MoveBarred(piece, ply);
    PlayAcceptedMove(ply);
    capturedCode = PieceCodeOf(captured);
    CurrentMove = PieceCodeOf(piece) + " " + SquareText(m.fromRank, m.fromFile) +
                  (captured != Empty ? "x" : "-") + SquareText(m.toRank, m.toFile);
    if (PromotionChoice == "Q") CurrentMove += "=Q";
    CountPieces(ply);
    std::int32_t kr = 0, kf = 0;
    if (FindKing(other, kr, kf, ply) && IsSquareAttacked(kr, kf, side, ply)) {
        GameStatus = IsCheckmate(other, ply) ? "XEQUE-MATE" : "CHECK";
    }
}

} // namespace

void ComputerNewGame() {
    stopRequested = false;
}
void ComputerToggleSkipSearch() {}
void ComputerStartFromSetUp() {}
void ComputerHumanMoved() {}

void ComputerPlay(int ply) {
    capturedCode.clear();
    CurrentMove.clear();
    PlayGreedy(ply);
}

std::string ComputerCapturedCode() {
    return capturedCode;
}

void ComputerStop() {
    stopRequested = true;
}

} // namespace corvane
