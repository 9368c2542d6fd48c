// Material count and the positional terms of the evaluation.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/ModCompMove.h"
#include "engine/ModScoreArrays.h"

namespace corvane {

namespace {

inline PieceIndex At(const PlyBoard& b, int rank, int file) {
    return b.squares[(rank - 1) * 8 + (file - 1)];
}

// Whole part of the square root of a mobility count.
inline int RootOf(std::int32_t n) {
    return n > 0 ? static_cast<int>(std::sqrt(static_cast<double>(n))) : 0;
}

// Nearest integer, halves to the even neighbour.
inline int Nearest(double x) {
    return static_cast<int>(std::nearbyint(x));
}

int Count(int piece) {
    return PieceCount[CountSlot(piece)];
}

// Offsets between the White and Black piece kinds.
struct Colour {
    bool white;
    int rook, knight, bishop, queen, king, pawn;
    std::int32_t* own;
    std::int32_t* other;
};

void ScoreRooks(const Colour& c, const PlyBoard& b, std::int32_t& mobility, int ply) {
    const PieceSquares& rooks = PieceList[c.rook];
    if (rooks.count == 0) return;
    mobility += 2 * RootOf(MobilityCount[c.rook]);
    const KingPlace& enemy = KingSquare[c.white ? 1 : 0];
    const PieceSquares& queens = PieceList[c.queen];
    const ScoreTable& table = c.white ? RookTable : BlackRookTable;
    const std::uint8_t kingState = (c.white ? WhiteCastleFlags : BlackCastleFlags)[ply][0];
    const int last = rooks.count >= 2 ? 2 : 1;
    for (int n = 1; n <= last; ++n) {
        const int r = rooks.rank[n];
        const int f = rooks.file[n];
        std::int32_t& total = *c.own;
        total += table.at(r, f);
        if (kingState == 0) {
            if (r == (c.white ? 1 : 8) && (f == 2 || f == 7)) total -= 5;
        } else if (c.white ? r >= 7 : r < 3) {
            total += 5;
        }
        if (f == enemy.file) total += 2;
        if (r == enemy.rank) total += 2;
        if (n == 2 && f == rooks.file[1]) {
            const int r1 = rooks.rank[1];
            if (std::abs(r - r1) == 1) {
                total += 5;
            } else {
                const int lo = std::min(r, r1);
                const int hi = std::max(r, r1);
                bool clear = true;
                for (int rr = lo + 1; rr < hi; ++rr) {
                    if (At(b, rr, f) != Empty) clear = false;
                }
                if (clear) total += 5;
            }
        }
        if (queens.count > 0 && f == queens.file[1]) total += 2;
        KingTropism(c.white ? "W" : "B", r, f);
    }
}

void ScoreKnights(const Colour& c, std::int32_t& mobility) {
    const PieceSquares& knights = PieceList[c.knight];
    if (knights.count == 0) return;
    mobility += 2 * RootOf(MobilityCount[c.knight]);
    const ScoreTable& table = c.white ? KnightTable : BlackKnightTable;
    const int last = knights.count == 2 ? 2 : 1;
    for (int n = 1; n <= last; ++n) {
        const int r = knights.rank[n];
        const int f = knights.file[n];
        *c.own += table.at(r, f) * KnightWeight;
        KingTropism(c.white ? "W" : "B", r, f);
    }
}

void ScoreBishops(const Colour& c, std::int32_t& mobility) {
    const PieceSquares& bishops = PieceList[c.bishop];
    if (bishops.count == 0) return;
    mobility += 2 * RootOf(MobilityCount[c.bishop]);
    const PieceSquares& queens = PieceList[c.queen];
    const bool early = ListCursor < 20;
    const int last = bishops.count == 2 ? 2 : 1;
    for (int n = 1; n <= last; ++n) {
        const int r = bishops.rank[n];
        const int f = bishops.file[n];
        std::int32_t& total = *c.own;
        if (early) {
            total += (BishopEarly1.at(r, f) + BishopEarly2.at(r, f)) * BishopWeight;
        } else {
            total += (BishopLate1.at(r, f) + BishopLate2.at(r, f)) * BishopWeight;
        }
        if (c.white) {
            if (f == r) total += 5;
        } else if (f == 9 - r) {
            total += n == 1 ? 5 : 2;
        }
        if (queens.count > 0 && std::abs(r - queens.rank[1]) == std::abs(f - queens.file[1])) {
            total += 5;
        }
        KingTropism(c.white ? "W" : "B", r, f);
    }
}

void ScoreQueen(const Colour& c, std::int32_t& mobility) {
    const PieceSquares& queens = PieceList[c.queen];
    if (queens.count == 0) return;
    const int r = queens.rank[1];
    const int f = queens.file[1];
    const int queenCount = Count(c.queen);
    if (ListCursor < 20) {
        mobility -= RootOf(MobilityCount[c.queen]) * queenCount;
        *c.own += (c.white ? QueenEarly : BlackQueenEarly).at(r, f);
    } else {
        mobility += RootOf(MobilityCount[c.queen]) * queenCount;
        *c.own += QueenLate.at(r, f);
    }
    KingTropism(c.white ? "W" : "B", r, f);
}

void ScoreKing(const Colour& c, const PlyBoard& b, std::int32_t& mobility, int ply) {
    const KingPlace& king = KingSquare[c.white ? 0 : 1];
    const int r = king.rank;
    const int f = king.file;
    std::int32_t& total = *c.own;
    if (OnBoard(r, f)) {
        if (ListCursor < 60) {
            total += (c.white ? KingTable : BlackKingTable).at(r, f);
        } else {
            total += KingLate.at(r, f);
        }
        KingTropism(c.white ? "W" : "B", r, f);
    }
    PlyFlags& castle = (c.white ? WhiteCastleFlags : BlackCastleFlags)[ply];
    const PieceSquares& rooks = PieceList[c.rook];
    if (castle[0] == 0) {
        if (rooks.count >= 1 && rooks.file[1] == 1 && castle[2] == 0) total += 3;
        if (rooks.count >= 2 && rooks.file[2] == 8 && castle[1] == 0) total += 3;
    } else if (castle[0] == 2 || castle[0] == 3) {
        total += 50;
        castle[0] = 1; // the reward is given once
    }
    const int home = c.white ? 1 : 8;
    const int shelterRank = c.white ? 2 : 7;
    if (r == home && f != 5) {
        for (int ff = f - 1; ff <= f + 1; ++ff) {
            if (ff < 1 || ff > 8) continue;
            const PieceIndex p = At(b, shelterRank, ff);
            if (c.white ? IsWhitePiece(p) : IsBlackPiece(p)) total += 3;
        }
    }
    if (ListCursor < 40) mobility -= 3 * RootOf(MobilityCount[c.king]);
}

// For each file (0 and 9 are off the board): the lowest White pawn rank from 2
// up and the highest Black pawn rank up to 7, which decide pawn support.
struct PawnFiles {
    std::array<int, 10> lowestWhite{};
    std::array<int, 10> highestBlack{};
};

PawnFiles PawnFilesOf() {
    PawnFiles pf;
    pf.lowestWhite.fill(9);
    pf.highestBlack.fill(0);
    const PieceSquares& white = PieceList[WhitePawn];
    for (int n = 1; n <= white.count; ++n) {
        const int r = white.rank[n];
        int& low = pf.lowestWhite[white.file[n]];
        if (r >= 2 && r < low) low = r;
    }
    const PieceSquares& black = PieceList[BlackPawn];
    for (int n = 1; n <= black.count; ++n) {
        const int r = black.rank[n];
        int& high = pf.highestBlack[black.file[n]];
        if (r <= 7 && r > high) high = r;
    }
    return pf;
}

// A White pawn is supported by a White pawn on a neighbouring file on any rank
// from its own down to rank 2; a Black pawn by one from its own rank up to 7.
bool PawnSupported(const Colour& c, const PawnFiles& pf, int r, int f) {
    if (c.white) return pf.lowestWhite[f - 1] <= r || pf.lowestWhite[f + 1] <= r;
    return pf.highestBlack[f - 1] >= r || pf.highestBlack[f + 1] >= r;
}

void ScorePawns(const Colour& c, const PawnFiles& pf) {
    const PieceSquares& pawns = PieceList[c.pawn];
    const bool early = ListCursor < 40;
    const std::int32_t opponentPieces = c.white ? BlackPieceTotal : WhitePieceTotal;
    for (int n = 1; n <= pawns.count; ++n) {
        const int r = pawns.rank[n];
        const int f = pawns.file[n];
        if (c.white) {
            *c.own += (early ? PawnEarly : PawnLate).at(r, f);
            if (opponentPieces < 8) *c.own += PawnRace.at(r, f);
        } else {
            *c.own += (early ? BlackPawnEarly : BlackPawnLate).at(r, f);
            if (opponentPieces < 8) *c.own += BlackPawnRace.at(r, f);
        }
        if (ListCursor > 12 && !PawnSupported(c, pf, r, f)) *c.other += 15;
    }
}

} // namespace

MaterialTally TallyMaterial(const PlyBoard& board) {
    MaterialTally t;
    std::array<int, 13> listed{};
    const std::int32_t scale = MaterialScale;
    // Scan order rank 1..8, file 1..8: a rank is read as one 64-bit word (file 1 in
    // the lowest byte) and only its occupied squares are visited.
    static_assert(std::endian::native == std::endian::little);
    for (int r = 1; r <= 8; ++r) {
        std::uint64_t row = 0;
        std::memcpy(&row, board.squares.data() + (r - 1) * 8, 8);
        while (row != 0) {
            const int byte = std::countr_zero(row) / 8;
            const PieceIndex p = static_cast<PieceIndex>(row >> (byte * 8));
            row &= ~(std::uint64_t{0xFF} << (byte * 8));
            const int f = byte + 1;
            if (p > 12) continue;
            if (p == WhiteKing || p == BlackKing) {
                t.kings[p == WhiteKing ? 0 : 1] = KingPlace{r, f};
                ++t.kingCount[p == WhiteKing ? 0 : 1];
                continue;
            }
            const int side = p <= 6 ? 0 : 1;
            ++t.pieces[side];
            ++t.counts[p];
            if (listed[p] < PieceSquares::Capacity) {
                const int n = ++listed[p];
                t.lists[p].rank[n] = static_cast<std::int8_t>(r);
                t.lists[p].file[n] = static_cast<std::int8_t>(f);
            }
            t.totals[side] += PieceValue[p] * scale;
        }
    }
    for (int p = 0; p <= 12; ++p) t.lists[p].count = listed[p];
    return t;
}

void UseTally(const MaterialTally& t) {
    // PieceCount's order: WR WN WB WQ WP WK BR BN BB BQ BP BK, one king a side.
    const auto& c = t.counts;
    PieceCount = {0, c[WhiteRook], c[WhiteKnight], c[WhiteBishop], c[WhiteQueen], c[WhitePawn],
                  1, c[BlackRook], c[BlackKnight], c[BlackBishop], c[BlackQueen], c[BlackPawn],
                  1};
    PieceList = t.lists;
    KingSquare = t.kings;
    WhiteTotal = t.totals[0];
    BlackTotal = t.totals[1];
    WhitePieceTotal = t.pieces[0];
    BlackPieceTotal = t.pieces[1];
    PieceTotal = WhitePieceTotal + BlackPieceTotal;
}

void CountMaterial(int ply) {
    if (ply == 0) {
        Board[1] = Board[0];
        CopyPlyFlags(0, 1);
        ply = 1;
    }
    UseTally(TallyMaterial(Board[ply]));
}

namespace {

// Taking a piece off a list kept in scan order; false when it is not there.
bool ListRemove(PieceSquares& list, int rank, int file) {
    for (int n = 1; n <= list.count; ++n) {
        if (list.rank[n] != rank || list.file[n] != file) continue;
        for (int m = n; m < list.count; ++m) {
            list.rank[m] = list.rank[m + 1];
            list.file[m] = list.file[m + 1];
        }
        --list.count;
        return true;
    }
    return false;
}

// Putting a piece on a list at its place in scan order; false when it is full.
bool ListInsert(PieceSquares& list, int rank, int file) {
    if (list.count >= PieceSquares::Capacity) return false;
    int n = list.count + 1;
    while (n > 1 &&
           (list.rank[n - 1] > rank || (list.rank[n - 1] == rank && list.file[n - 1] > file))) {
        list.rank[n] = list.rank[n - 1];
        list.file[n] = list.file[n - 1];
        --n;
    }
    list.rank[n] = static_cast<std::int8_t>(rank);
    list.file[n] = static_cast<std::int8_t>(file);
    ++list.count;
    return true;
}

bool Counted(int piece) {
    return piece != Empty && piece <= 12 && piece != WhiteKing && piece != BlackKing;
}

// A kind with more pieces than its list holds cannot be followed: which of them
// the list holds depends on the whole board.
bool Overflowing(const MaterialTally& t, int piece) {
    return t.counts[piece] > PieceSquares::Capacity;
}

// A piece leaving the board from (rank, file); unknown bytes were never
// counted, and a king leaving cannot be followed.
bool TallyRemove(MaterialTally& t, int piece, int rank, int file) {
    if (piece == WhiteKing || piece == BlackKing) return false;
    if (!Counted(piece)) return true;
    if (Overflowing(t, piece)) return false;
    const int side = piece <= 6 ? 0 : 1;
    --t.counts[piece];
    --t.pieces[side];
    t.totals[side] -= PieceValue[piece] * MaterialScale;
    return ListRemove(t.lists[piece], rank, file);
}

bool TallyAdd(MaterialTally& t, int piece, int rank, int file) {
    const int side = piece <= 6 ? 0 : 1;
    ++t.counts[piece];
    ++t.pieces[side];
    t.totals[side] += PieceValue[piece] * MaterialScale;
    return ListInsert(t.lists[piece], rank, file);
}

// A piece of the board moving from one square to another.
bool TallyShift(MaterialTally& t, int piece, int fromRank, int fromFile, int toRank, int toFile) {
    if (piece == WhiteKing || piece == BlackKing) {
        t.kings[piece == WhiteKing ? 0 : 1] = KingPlace{toRank, toFile};
        return true;
    }
    if (!Counted(piece)) return true;
    return !Overflowing(t, piece) && ListRemove(t.lists[piece], fromRank, fromFile) &&
           ListInsert(t.lists[piece], toRank, toFile);
}

} // namespace

// The same changes MakeSearchMove makes on the board, made on the tally.
bool TallyAfterMove(const MaterialTally& base, const PlyBoard& board, const MoveRecord& move,
                    MaterialTally& after) {
    if (base.kingCount[0] != 1 || base.kingCount[1] != 1) return false;
    auto at = [&board](int rank, int file) { return board.squares[(rank - 1) * 8 + (file - 1)]; };
    const int piece = move.piece;
    const int fr = move.fromRank, ff = move.fromFile, tr = move.toRank, tf = move.toFile;
    if (at(fr, ff) != piece) return false;
    after = base;
    const PieceIndex captured = at(tr, tf);
    if (!TallyRemove(after, captured, tr, tf)) return false;
    if (piece == WhiteKing || piece == BlackKing) {
        TallyShift(after, piece, fr, ff, tr, tf);
        if (ff == 5 && (tf == 7 || tf == 3) && fr == tr) {
            const int rookFrom = tf == 7 ? 8 : 1, rookTo = tf == 7 ? 6 : 4;
            const int rook = at(tr, rookFrom);
            if (rook == WhiteKing || rook == BlackKing) return false;
            return TallyShift(after, rook, tr, rookFrom, tr, rookTo);
        }
        return true;
    }
    if (piece == WhitePawn || piece == BlackPawn) {
        if (ff != tf && captured == Empty && !TallyRemove(after, at(fr, tf), fr, tf)) return false;
        const bool white = piece == WhitePawn;
        if (tr == (white ? 8 : 1)) {
            return TallyRemove(after, piece, fr, ff) &&
                   TallyAdd(after, white ? WhiteQueen : BlackQueen, tr, tf);
        }
    }
    return TallyShift(after, piece, fr, ff, tr, tf);
}

void KingTropism(std::string_view side, int rank, int file) {
    const bool white = side != "B";
    if ((white ? BlackPieceTotal : WhitePieceTotal) >= 10) return;
    const KingPlace& enemy = KingSquare[white ? 1 : 0];
    const int dr = enemy.rank - rank;
    const int df = enemy.file - file;
    const int d = Nearest(std::sqrt(static_cast<double>(dr * dr + df * df)));
    (white ? WhiteTotal : BlackTotal) += Nearest(50.0 / (d + 1));
}

namespace {

// Every positional term, added to the material already counted for the ply.
void AddPositionalTerms(int ply) {
    ++EvaluationCount;
    const PlyBoard& b = Board[ply];
    std::int32_t wm = 0, bm = 0;
    const Colour white{true, 1, 2, 3, 4, 5, 6, &WhiteTotal, &BlackTotal};
    const Colour black{false, 7, 8, 9, 10, 11, 12, &BlackTotal, &WhiteTotal};
    ScoreRooks(white, b, wm, ply);
    ScoreRooks(black, b, bm, ply);
    ScoreKnights(white, wm);
    ScoreKnights(black, bm);
    ScoreBishops(white, wm);
    ScoreBishops(black, bm);
    ScoreQueen(white, wm);
    ScoreQueen(black, bm);
    ScoreKing(white, b, wm, ply);
    ScoreKing(black, b, bm, ply);
    const PawnFiles pf = PawnFilesOf();
    ScorePawns(white, pf);
    ScorePawns(black, pf);
    WhiteTotal += wm / 2;
    BlackTotal += bm / 2;
}

} // namespace

void Evaluate(int ply) {
    CountMaterial(ply);
    AddPositionalTerms(ply == 0 ? 1 : ply);
}

void EvaluateTallied(int ply, const MaterialTally& tally) {
    UseTally(tally);
    AddPositionalTerms(ply);
}

} // namespace corvane
