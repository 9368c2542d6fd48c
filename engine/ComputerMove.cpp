// The computer's move: draw by material, mate search, opening book, search,
// playing the chosen move and the repetition rule.
#include <cmath>

#include "engine/ModCompMove.h"
#include "engine/ModMate.h"
#include "engine/ModScoreArrays.h"
#include "rules/CoreHooks.h"
#include "rules/MoveText.h"

namespace corvane {

namespace {

// The pawn flags of the game position follow the played move, as they do for a
// move the legality test accepts: the opponent's double step expires, a double
// step of the computer's pawn opens en passant, a promotion is complete.
void UpdatePawnFlags(bool white, int piece, int fromRank, int fromFile, int toRank, int ply) {
    PlyFlags& own = (white ? WhitePawnFlags : BlackPawnFlags)[ply];
    PlyFlags& other = (white ? BlackPawnFlags : WhitePawnFlags)[ply];
    other[1] = 0;
    if (piece == WhitePawn || piece == BlackPawn) {
        own = PlyFlags{};
        if (std::abs(toRank - fromRank) == 2) own[1] = static_cast<std::uint8_t>(fromFile);
    } else {
        own[0] = 0;
        own[2] = 0;
    }
}

// Weights of the bishop and knight tables for this move.
void DrawWeights() {
    Random().SeedFromClock();
    if (GameMode != "CCW" && GameMode != "CCB") {
        BishopWeight = 1;
        KnightWeight = 1;
        return;
    }
    const float r1 = Random().Next();
    const float r2 = Random().Next();
    BishopWeight = static_cast<std::int32_t>(std::nearbyint((r1 - 0.5) * 10));
    KnightWeight = static_cast<std::int32_t>(std::nearbyint((r2 - 0.5) * 10));
}

// Repetition rule over the positions after the computer's own moves; True when
// the game is drawn (GameStatus "DRAW").
bool RepetitionDraw(int ply) {
    PositionHistory[HistoryIndex] = Board[ply];
    ++HistoryIndex;
    if (HistoryIndex == 8) HistoryIndex = 1;
    if (HistoryIndex != 6) return false;
    const std::string kept = GameStatus;
    GameStatus = "DRAW";
    if (Board[ply] == PositionHistory[3] && PositionHistory[3] == PositionHistory[1]) return true;
    GameStatus = kept;
    HistoryIndex = 1;
    return false;
}

// The status of a move the book played: in a position set up by hand a book
// move can give check, which the game must learn of like any other check.
void BookMoveStatus(std::string_view side, int ply) {
    GameStatus.clear();
    CountPieces(ply);
    if (KingInCheck(side == "B" ? "W" : "B", ply)) GameStatus = "CHECK";
}

} // namespace

void FormatComputerMove(int piece, int fromRank, int fromFile, int toRank, int toFile,
                        int captured) {
    MoveText move{
        static_cast<PieceIndex>(piece), fromRank, fromFile, toRank, toFile, captured != Empty, ""};
    if (PromotionChoice == "Q") move.promotion = "Q";
    CurrentMove = FormatMoveText(move);
}

bool MakeBESTMove(std::string_view side, int best, int ply) {
    const bool white = side != "B";
    const MoveRecord m = MoveList[white ? 0 : 1][1][best];
    MakeSearchMove(side, best, ply, 1);
    const int captured = LastCaptured;
    UpdatePawnFlags(white, m.piece, m.fromRank, m.fromFile, m.toRank, ply);
    MarkCornerRooks(m.fromRank, m.fromFile, m.toRank, m.toFile, ply);
    CountPieces(ply);
    std::int32_t kr = 0, kf = 0;
    if (!FindKing(white ? "B" : "W", kr, kf, ply)) {
        Hooks().ErrorBox(white ? "ERROR: Comp move - No B King  in MakeBESTMove"
                               : "ERROR: Comp move - No W King in MakeBESTMove");
        return false;
    }
    // The legality tests of the search leave their texts here; the outcome starts clean.
    GameStatus.clear();
    if (IsSquareAttacked(kr, kf, white ? "W" : "B", ply)) GameStatus = "CHECK";
    FormatComputerMove(m.piece, m.fromRank, m.fromFile, m.toRank, m.toFile, captured);
    return true;
}

void ComputerMove(std::int16_t ply) {
    CurrentMove.clear();
    // The totals must describe this position before the draw test reads them.
    CountPieces(ply);
    if (BareKings() || InsufficientMaterial()) {
        GameStatus = "DRAW";
        return;
    }
    OrderScore.fill(0);
    GameStatus.clear();
    const std::string side = (GameMode == "CB" || GameMode == "CCB") ? "B" : "W";
    const bool white = side == "W";

    const std::int32_t legal = GenerateMoves(side, ply, 1, 0);
    const bool lastLeftCheck = white ? WhiteInCheck : BlackInCheck;
    CountPieces(ply);

    int depth = 5;
    if (!lastLeftCheck) {
        if (legal < 16 && PieceTotal < 16) depth = 7;
        if (legal < 6 && PieceTotal < 6) depth = 9;
    }
    std::int32_t movesToMate = 0;
    if (MateSearch(side, depth, movesToMate)) {
        // Ply 1 holds the position after the mating line's first move; the game
        // makes that move on its own position.
        CountPieces(1);
        return;
    }
    if (StopSearch) {
        GameStatus.clear();
        return;
    }
    // The mate search has used the working plies and the counters.
    TakeGamePosition(1);
    CopyPlyFlags(0, 1);
    CountPieces(ply);

    if (PieceTotal == 32) {
        Hooks().SetProgressLabel(2, "B");
        Hooks().SetProgressLabel(1, "");
        Hooks().SetProgressLabel(0, "");
        if (!white) {
            if (BlackBookMove(ply) && ListCursor <= 2) return BookMoveStatus(side, ply);
        } else {
            if (WhiteBookMove(ply) && ListCursor <= 1) return BookMoveStatus(side, ply);
        }
    }

    DrawWeights();
    if (!SearchBestMove(side, ply)) {
        if (StopSearch) {
            GameStatus.clear();
            CurrentMove.clear();
            return;
        }
        GameStatus = "STALEMATE";
        return;
    }
    RepetitionDraw(ply);
}

void NameNoMoveOutcome(std::string_view side, int ply) {
    if (GameStatus != "STALEMATE" || !CurrentMove.empty()) return;
    CountPieces(ply);
    if (KingInCheck(side, ply)) GameStatus = "XEQUE-MATE";
}

} // namespace corvane
