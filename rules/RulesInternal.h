#pragma once
// Helpers shared by the rules-core sources; not part of the public interface.
#include <string>

#include "rules/ModChecker.h"

namespace corvane::detail {

inline bool ValidPly(int ply) {
    return ply >= 0 && ply <= MaxDepth;
}
inline bool IsBlackSide(std::string_view side) {
    return side == "B";
}
// 1 rook, 2 knight, 3 bishop, 4 queen, 5 king, 6 pawn; 0 for an empty square.
constexpr int KindOf(int piece) {
    return piece > 6 ? piece - 6 : piece;
}
constexpr bool SameColour(int a, int b) {
    return a != 0 && b != 0 && (IsBlackPiece(a) == IsBlackPiece(b));
}
// MoverSide and OpponentSide by character: the legality test sets them for
// every candidate move, and they seldom change from one to the next.
inline void SetSides(bool black) {
    const char mover = black ? 'B' : 'W', opponent = black ? 'W' : 'B';
    if (MoverSide.size() != 1 || MoverSide[0] != mover) MoverSide.assign(1, mover);
    if (OpponentSide.size() != 1 || OpponentSide[0] != opponent) OpponentSide.assign(1, opponent);
}

// The placement field of a ply ("rnbqkbnr/pppppppp/8/..."), rank 8 first.
std::string PlacementOf(const PlyBoard& board);

// MoveBarred with the "ERROR" box optional (move listing stays quiet).
bool MoveBarredImpl(PieceIndex piece, int ply, bool report);

// The flags of one ply, kept aside and put back by the listing routines.
struct PlyFlagCopy {
    PlyFlags whiteCastle, blackCastle, whitePawn, blackPawn, castleMade;
    static PlyFlagCopy Of(int ply) {
        return {WhiteCastleFlags[ply], BlackCastleFlags[ply], WhitePawnFlags[ply],
                BlackPawnFlags[ply], CastleMade[ply]};
    }
    void RestoreTo(int ply) const {
        WhiteCastleFlags[ply] = whiteCastle;
        BlackCastleFlags[ply] = blackCastle;
        WhitePawnFlags[ply] = whitePawn;
        BlackPawnFlags[ply] = blackPawn;
        CastleMade[ply] = castleMade;
    }
};

} // namespace corvane::detail
