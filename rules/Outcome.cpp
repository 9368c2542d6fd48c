// What a move leaves: check, checkmate, stalemate and the draws by material.
#include "rules/RulesInternal.h"

namespace corvane {

bool KingInCheck(std::string_view side, int ply) {
    std::int32_t rank = 0, file = 0;
    const std::string_view other = detail::IsBlackSide(side) ? "W" : "B";
    return FindKing(side, rank, file, ply) && IsSquareAttacked(rank, file, other, ply);
}

bool BareKings() {
    return WhitePieceTotal == 1 && BlackPieceTotal == 1;
}

bool InsufficientMaterial() {
    if (WhitePieceTotal > 2 || BlackPieceTotal > 2) return false;
    for (const int piece : {WhiteRook, BlackRook, WhiteQueen, BlackQueen, WhitePawn, BlackPawn}) {
        if (PieceCount[CountSlot(piece)] != 0) return false;
    }
    return true;
}

MoveOutcome OutcomeAfterMove(std::string_view nextSide, int ply, bool testStalemate) {
    MoveOutcome outcome;
    if (!detail::ValidPly(ply)) return outcome;
    CountPieces(ply);
    outcome.check = KingInCheck(nextSide, ply);
    if (outcome.check && IsCheckmate(nextSide, ply)) {
        outcome.checkmate = true;
        return outcome;
    }
    if (testStalemate && !outcome.check && !HasLegalMove(nextSide, ply)) {
        outcome.stalemate = true;
        return outcome;
    }
    outcome.drawByMaterial = BareKings() || InsufficientMaterial();
    return outcome;
}

std::string StatusWordOf(const MoveOutcome& outcome) {
    if (outcome.checkmate) return "XEQUE-MATE";
    if (outcome.stalemate) return "STALEMATE";
    if (outcome.drawByMaterial) return "EMPATE";
    return outcome.check ? "XEQUE" : "";
}

bool StatusEndsGame(std::string_view status) {
    return status == "XEQUE-MATE" || status == "STALEMATE" || status == "EMPATE";
}

} // namespace corvane
