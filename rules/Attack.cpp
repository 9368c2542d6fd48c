// The attack test (the innermost routine of the search) and the king finder.
#include "rules/RulesInternal.h"

namespace corvane {

using detail::ValidPly;

namespace {

struct Step {
    int dr, df;
};

constexpr Step kKnightSteps[8] = {{-2, -1}, {-2, 1}, {2, -1}, {2, 1},
                                  {-1, -2}, {1, -2}, {-1, 2}, {1, 2}};
constexpr Step kStraight[4] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr Step kDiagonal[4] = {{1, -1}, {1, 1}, {-1, 1}, {-1, -1}};
constexpr Step kKingSteps[8] = {{1, -1}, {1, 0},   {1, 1},  {0, -1},
                                {0, 1},  {-1, -1}, {-1, 0}, {-1, 1}};

bool Present(PieceIndex kind) {
    return PieceCount[CountSlot(kind)] > 0;
}

bool Hit(int rank, int file) {
    AttackerRank = rank;
    AttackerFile = file;
    return true;
}

// The first occupied square along each direction must hold the kind.
bool SliderAttacks(const PlyBoard& b, int rank, int file, PieceIndex kind, const Step (&dirs)[4]) {
    for (const Step& d : dirs) {
        for (int r = rank + d.dr, f = file + d.df; OnBoard(r, f); r += d.dr, f += d.df) {
            const PieceIndex p = b[r][f];
            if (p == Empty) continue;
            if (p == kind) return Hit(r, f);
            break;
        }
    }
    return false;
}

bool PawnAttacks(const PlyBoard& b, int rank, int file, bool black, int ply) {
    EnPassantAttack = false;
    const PieceIndex pawn = black ? BlackPawn : WhitePawn;
    // Black pawns attack downwards (they stand one rank higher), White upwards.
    const int from = black ? rank + 1 : rank - 1;
    if (black ? rank <= 6 : rank >= 3) {
        for (const int f : {file - 1, file + 1}) {
            if (OnBoard(from, f) && b[from][f] == pawn) return Hit(from, f);
        }
    }
    // A pawn that just advanced two squares may be taken en passant from beside it.
    const int epRank = black ? 4 : 5;
    const int doubleStepFile = black ? WhitePawnFlags[ply][1] : BlackPawnFlags[ply][1];
    if (rank == epRank && doubleStepFile == file) {
        for (const int f : {file - 1, file + 1}) {
            if (OnBoard(rank, f) && b[rank][f] == pawn) {
                EnPassantAttack = true;
                return Hit(rank, f);
            }
        }
    }
    return false;
}

// Whether a pawn of the side can advance onto the square.
bool PawnAdvances(const PlyBoard& b, int rank, int file, bool black) {
    const PieceIndex pawn = black ? BlackPawn : WhitePawn;
    const int behind = black ? 1 : -1;
    const int r1 = rank + behind;
    if (!OnBoard(r1, file)) return false;
    if (b[r1][file] == pawn) return Hit(r1, file);
    const int r2 = rank + 2 * behind;
    if (b[r1][file] == Empty && OnBoard(r2, file) && b[r2][file] == pawn) return Hit(r2, file);
    return false;
}

} // namespace

bool IsSquareAttacked(int rank, int file, std::string_view side, int ply, bool skipKing,
                      bool pawnAdvance) {
    if (!OnBoard(rank, file) || !ValidPly(ply)) {
        AttackerKind = 0;
        return false;
    }
    const bool black = detail::IsBlackSide(side);
    const PlyBoard& b = Board[ply];
    const int base = black ? 6 : 0;

    const PieceIndex knight = static_cast<PieceIndex>(base + WhiteKnight);
    AttackerKind = knight;
    if (Present(knight)) {
        for (const Step& s : kKnightSteps) {
            const int r = rank + s.dr, f = file + s.df;
            if (OnBoard(r, f) && b[r][f] == knight) return Hit(r, f);
        }
    }
    for (const PieceIndex kind : {WhiteRook, WhiteQueen}) {
        AttackerKind = base + kind;
        if (Present(base + kind) &&
            SliderAttacks(b, rank, file, static_cast<PieceIndex>(base + kind), kStraight))
            return true;
    }
    for (const PieceIndex kind : {WhiteBishop, WhiteQueen}) {
        AttackerKind = base + kind;
        if (Present(base + kind) &&
            SliderAttacks(b, rank, file, static_cast<PieceIndex>(base + kind), kDiagonal))
            return true;
    }
    const PieceIndex pawn = static_cast<PieceIndex>(base + WhitePawn);
    AttackerKind = pawn;
    if (pawnAdvance) {
        if (Present(pawn) && PawnAdvances(b, rank, file, black)) return true;
    } else {
        EnPassantAttack = false;
        if (Present(pawn) && PawnAttacks(b, rank, file, black, ply)) return true;
    }
    const PieceIndex king = static_cast<PieceIndex>(base + WhiteKing);
    AttackerKind = king;
    if (!skipKing && Present(king)) {
        for (const Step& s : kKingSteps) {
            const int r = rank + s.dr, f = file + s.df;
            if (OnBoard(r, f) && b[r][f] == king) return Hit(r, f);
        }
    }
    AttackerKind = 0;
    return false;
}

bool FindKing(std::string_view side, std::int32_t& rank, std::int32_t& file, int ply) {
    if (!ValidPly(ply)) return false;
    const bool black = detail::IsBlackSide(side);
    const PieceIndex king = black ? BlackKing : WhiteKing;
    const PlyBoard& b = Board[ply];
    for (int i = 0; i < 8; ++i) {
        const int r = black ? 8 - i : 1 + i;
        for (int f = 1; f <= 8; ++f) {
            if (b[r][f] == king) {
                rank = r;
                file = f;
                return true;
            }
        }
    }
    return false;
}

} // namespace corvane
