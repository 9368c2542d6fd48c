#include "rules/PositionCheck.h"

#include <cstdlib>

#include "rules/Notation.h"

namespace corvane {

PositionFault FindPositionFault(const PlyBoard& board, std::string_view sideToMove) {
    int whiteKings = 0, blackKings = 0;
    int whiteRank = 0, whiteFile = 0, blackRank = 0, blackFile = 0;
    bool edgePawn = false;
    for (int rank = 1; rank <= 8; ++rank) {
        for (int file = 1; file <= 8; ++file) {
            const PieceIndex piece = board[rank][file];
            if (piece == WhiteKing) {
                ++whiteKings;
                whiteRank = rank;
                whiteFile = file;
            } else if (piece == BlackKing) {
                ++blackKings;
                blackRank = rank;
                blackFile = file;
            } else if ((piece == WhitePawn || piece == BlackPawn) && (rank == 1 || rank == 8)) {
                edgePawn = true;
            }
        }
    }
    if (whiteKings != 1 || blackKings != 1) return PositionFault::KingCount;
    if (std::abs(whiteRank - blackRank) <= 1 && std::abs(whiteFile - blackFile) <= 1)
        return PositionFault::KingsTouching;
    {
        // The attack test reads the board from a ply and the piece counters.
        const RulesStateKeeper keeper;
        constexpr int kPly = MaxDepth;
        Board[kPly] = board;
        CountPieces(kPly);
        if (KingInCheck(sideToMove == "B" ? "W" : "B", kPly)) return PositionFault::WaitingInCheck;
    }
    if (edgePawn) return PositionFault::PawnOnEndRank;
    return PositionFault::None;
}

} // namespace corvane
