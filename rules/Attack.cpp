// The attack test (the innermost routine of the search) and the king finder.
#include <bit>
#include <cstring>

#include "rules/RulesInternal.h"

namespace corvane {

using detail::ValidPly;

namespace {

// Squares are numbered as in PlyBoard: (rank - 1) * 8 + (file - 1).
constexpr int SquareOf(int rank, int file) {
    return (rank - 1) * 8 + (file - 1);
}

struct Step {
    int dr, df;
};

// The knight squares in the order they are examined; rook lines up, down,
// right, left; bishop lines (+1,-1), (+1,+1), (-1,+1), (-1,-1).
constexpr Step kKnightSteps[8] = {{-2, -1}, {-2, 1}, {2, -1}, {2, 1},
                                  {-1, -2}, {1, -2}, {-1, 2}, {1, 2}};
constexpr Step kLines[8] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}};
constexpr Step kKingSteps[8] = {{1, -1}, {1, 0},   {1, 1},  {0, -1},
                                {0, 1},  {-1, -1}, {-1, 0}, {-1, 1}};

// For every square: the knight and king squares on the board, in the order
// above, and the squares of each line outwards to the edge.
struct AttackTables {
    std::int8_t knight[64][8];
    std::int8_t knightCount[64];
    std::int8_t king[64][8];
    std::int8_t kingCount[64];
    std::int8_t line[64][8][7];
    std::int8_t lineLength[64][8];

    constexpr AttackTables() : knight(), knightCount(), king(), kingCount(), line(), lineLength() {
        for (int r = 1; r <= 8; ++r) {
            for (int f = 1; f <= 8; ++f) {
                const int sq = SquareOf(r, f);
                for (const Step& st : kKnightSteps) {
                    if (OnBoard(r + st.dr, f + st.df))
                        knight[sq][knightCount[sq]++] =
                            static_cast<std::int8_t>(SquareOf(r + st.dr, f + st.df));
                }
                for (const Step& st : kKingSteps) {
                    if (OnBoard(r + st.dr, f + st.df))
                        king[sq][kingCount[sq]++] =
                            static_cast<std::int8_t>(SquareOf(r + st.dr, f + st.df));
                }
                for (int d = 0; d < 8; ++d) {
                    for (int rr = r + kLines[d].dr, ff = f + kLines[d].df; OnBoard(rr, ff);
                         rr += kLines[d].dr, ff += kLines[d].df) {
                        line[sq][d][lineLength[sq][d]++] =
                            static_cast<std::int8_t>(SquareOf(rr, ff));
                    }
                }
            }
        }
    }
};

constexpr AttackTables kTables;

bool Present(int kind) {
    return PieceCount[CountSlot(kind)] > 0;
}

bool Hit(int kind, int square) {
    AttackerKind = kind;
    AttackerRank = square / 8 + 1;
    AttackerFile = square % 8 + 1;
    return true;
}

// The first occupied square along each of four lines (-1 when there is none).
// Only that square can attack along the line, whatever kind is looked for.
void FirstOnLines(const PlyBoard& b, int sq, int firstLine, int (&first)[4]) {
    for (int n = 0; n < 4; ++n) {
        const int d = firstLine + n;
        first[n] = -1;
        const std::int8_t* squares = kTables.line[sq][d];
        for (int k = 0; k < kTables.lineLength[sq][d]; ++k) {
            if (b.squares[squares[k]] != Empty) {
                first[n] = squares[k];
                break;
            }
        }
    }
}

// Sliders of one kind along four lines, in line order.
bool SliderOnLines(const PlyBoard& b, const int (&first)[4], int kind) {
    for (const int sq : first) {
        if (sq >= 0 && b.squares[sq] == kind) return Hit(kind, sq);
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
            if (OnBoard(from, f) && b[from][f] == pawn) return Hit(pawn, SquareOf(from, f));
        }
    }
    // A pawn that just advanced two squares may be taken en passant from beside it.
    const int epRank = black ? 4 : 5;
    const int doubleStepFile = black ? WhitePawnFlags[ply][1] : BlackPawnFlags[ply][1];
    if (rank == epRank && doubleStepFile == file) {
        for (const int f : {file - 1, file + 1}) {
            if (OnBoard(rank, f) && b[rank][f] == pawn) {
                EnPassantAttack = true;
                return Hit(pawn, SquareOf(rank, f));
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
    if (b[r1][file] == pawn) return Hit(pawn, SquareOf(r1, file));
    const int r2 = rank + 2 * behind;
    if (b[r1][file] == Empty && OnBoard(r2, file) && b[r2][file] == pawn)
        return Hit(pawn, SquareOf(r2, file));
    return false;
}

} // namespace

// The kinds are looked for in a fixed order (knight, rook, queen along the
// rank and file, bishop, queen along the diagonals, pawn, king) and the first
// hit is the attacker reported. Each line is walked once for both of its kinds.
bool IsSquareAttacked(int rank, int file, std::string_view side, int ply, bool skipKing,
                      bool pawnAdvance) {
    if (!OnBoard(rank, file) || !ValidPly(ply)) {
        AttackerKind = 0;
        return false;
    }
    const bool black = detail::IsBlackSide(side);
    const PlyBoard& b = Board[ply];
    const int base = black ? 6 : 0;
    const int sq = SquareOf(rank, file);

    const int knight = base + WhiteKnight;
    if (Present(knight)) {
        for (int k = 0; k < kTables.knightCount[sq]; ++k) {
            const int at = kTables.knight[sq][k];
            if (b.squares[at] == knight) return Hit(knight, at);
        }
    }
    const int rook = base + WhiteRook, bishop = base + WhiteBishop, queen = base + WhiteQueen;
    const bool queens = Present(queen);
    int first[4];
    if (queens || Present(rook)) {
        FirstOnLines(b, sq, 0, first);
        if (Present(rook) && SliderOnLines(b, first, rook)) return true;
        if (queens && SliderOnLines(b, first, queen)) return true;
    }
    if (queens || Present(bishop)) {
        FirstOnLines(b, sq, 4, first);
        if (Present(bishop) && SliderOnLines(b, first, bishop)) return true;
        if (queens && SliderOnLines(b, first, queen)) return true;
    }
    const int pawn = base + WhitePawn;
    if (pawnAdvance) {
        if (Present(pawn) && PawnAdvances(b, rank, file, black)) return true;
    } else {
        EnPassantAttack = false;
        if (Present(pawn) && PawnAttacks(b, rank, file, black, ply)) return true;
    }
    const int king = base + WhiteKing;
    if (!skipKing && Present(king)) {
        for (int k = 0; k < kTables.kingCount[sq]; ++k) {
            const int at = kTables.king[sq][k];
            if (b.squares[at] == king) return Hit(king, at);
        }
    }
    AttackerKind = 0;
    return false;
}

// A rank is read as one 64-bit word (file 1 in the lowest byte) and tested for
// the king's byte all at once.
bool FindKing(std::string_view side, std::int32_t& rank, std::int32_t& file, int ply) {
    if (!ValidPly(ply)) return false;
    const bool black = detail::IsBlackSide(side);
    const std::uint64_t king = 0x0101010101010101ull * (black ? BlackKing : WhiteKing);
    const PlyBoard& b = Board[ply];
    static_assert(std::endian::native == std::endian::little);
    for (int i = 0; i < 8; ++i) {
        const int r = black ? 8 - i : 1 + i;
        std::uint64_t row = 0;
        std::memcpy(&row, b.squares.data() + (r - 1) * 8, 8);
        const std::uint64_t x = row ^ king; // zero bytes where the king stands
        const std::uint64_t zero = (x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull;
        if (zero != 0) {
            rank = r;
            file = std::countr_zero(zero) / 8 + 1;
            return true;
        }
    }
    return false;
}

} // namespace corvane
