// The checkmate test: king escapes first, then captures and blocks of the
// nearest checking piece, and a full search of the side's moves whenever those
// quick answers do not settle it.
#include <cmath>
#include <cstdlib>

#include "rules/CoreHooks.h"
#include "rules/RulesInternal.h"

namespace corvane {

using detail::KindOf;
using detail::ValidPly;

namespace {

constexpr int kNeighbours[8][2] = {{1, -1}, {1, 0},   {1, 1},  {0, -1},
                                   {0, 1},  {-1, -1}, {-1, 0}, {-1, 1}};

bool MoverIsBlack() {
    return detail::IsBlackSide(MoverSide);
}

bool OfMover(PieceIndex p) {
    return MoverIsBlack() ? IsBlackPiece(p) : IsWhitePiece(p);
}

bool IsKing(PieceIndex p) {
    return p == WhiteKing || p == BlackKing;
}

// The pieces of MoverSide that attack a square, each emptied while the next is looked for.
void CollectCapturers(int rank, int file, int ply, AttackerList& list) {
    list.count = 0;
    while (list.count < AttackerList::Capacity &&
           IsSquareAttacked(rank, file, MoverSide, ply, false, false)) {
        AttackerEntry& e = list.entries[++list.count];
        e = {AttackerKind, AttackerRank, AttackerFile, EnPassantAttack};
        Board[ply][AttackerRank][AttackerFile] = Empty;
    }
    Board[ply] = MateBoard;
}

// Whether every square strictly between two squares on one line is empty.
bool LineEmpty(const PlyBoard& b, int r1, int f1, int r2, int f2) {
    const int dr = (r2 > r1) - (r2 < r1), df = (f2 > f1) - (f2 < f1);
    for (int r = r1 + dr, f = f1 + df; r != r2 || f != f2; r += dr, f += df)
        if (b[r][f] != Empty) return false;
    return true;
}

// Plays each capture of the checker and looks whether the own king is then safe.
bool SomeCaptureParries(int ar, int af, int ply) {
    AttackerList capturers;
    CollectCapturers(ar, af, ply, capturers);
    const bool black = MoverIsBlack();
    for (int i = 1; i <= capturers.count; ++i) {
        const AttackerEntry& c = capturers.entries[i];
        PlyBoard& b = Board[ply];
        // A slider found behind a capturer taken off the board may not reach the checker.
        const int kind = KindOf(c.kind);
        if ((kind == 1 || kind == 3 || kind == 4) && !LineEmpty(b, c.rank, c.file, ar, af))
            continue;
        b[c.rank][c.file] = Empty;
        if (c.enPassant && KindOf(c.kind) == 6) {
            b[ar][af] = Empty;
            b[black ? ar - 1 : ar + 1][af] = static_cast<PieceIndex>(c.kind);
        } else {
            b[ar][af] = static_cast<PieceIndex>(c.kind);
        }
        std::int32_t kr = 0, kf = 0;
        bool safe = false;
        if (FindKing(MoverSide, kr, kf, ply)) {
            safe = !IsSquareAttacked(kr, kf, OpponentSide, ply, false, false);
        } else {
            Hooks().ErrorBox("ERROR\nNO " + MoverSide + " KING in Function MATE (ModChecker) ???");
        }
        Board[ply] = MateBoard;
        if (safe) return true;
    }
    return false;
}

// A rook, bishop or queen checking from a distance: try every square between.
bool SomeBlockParries(int ar, int af, int kr, int kf, int ply) {
    const int kind = KindOf(Board[ply][ar][af]);
    if (kind != 1 && kind != 3 && kind != 4) return false;
    const int dr = (ar > kr) - (ar < kr), df = (af > kf) - (af < kf);
    for (int r = kr + dr, f = kf + df; r != ar || f != af; r += dr, f += df) {
        if (CanBlockSquare(r, f, ply)) return true;
    }
    return false;
}

} // namespace

bool KingSquareUnsafe(int rank, int file, int ply) {
    if (!OnBoard(rank, file) || !ValidPly(ply)) return true;
    const PieceIndex p = Board[ply][rank][file];
    if (OfMover(p) || IsKing(p)) return true;
    return IsSquareAttacked(rank, file, OpponentSide, ply, false, false);
}

bool CanPieceReach(PieceIndex piece, int fromRank, int fromFile, int toRank, int toFile, int ply) {
    if (!ValidPly(ply) || !OnBoard(fromRank, fromFile) || !OnBoard(toRank, toFile)) return false;
    PlyBoard& b = Board[ply];
    if (b[toRank][toFile] != Empty || (fromRank == toRank && fromFile == toFile)) return false;
    const int dr = toRank - fromRank, df = toFile - fromFile;
    auto lineEmpty = [&](int sr, int sf) {
        for (int r = fromRank + sr, f = fromFile + sf; r != toRank || f != toFile; r += sr, f += sf)
            if (b[r][f] != Empty) return false;
        return true;
    };
    const int sr = (dr > 0) - (dr < 0), sf = (df > 0) - (df < 0);
    const bool straight = (dr == 0 || df == 0) && lineEmpty(sr, sf);
    const bool diagonal = std::abs(dr) == std::abs(df) && lineEmpty(sr, sf);
    bool pattern = false;
    switch (piece) {
    case WhiteRook:
    case BlackRook:
        pattern = straight;
        break;
    case WhiteKnight:
    case BlackKnight:
        pattern =
            (std::abs(dr) == 2 && std::abs(df) == 1) || (std::abs(dr) == 1 && std::abs(df) == 2);
        break;
    case WhiteBishop:
    case BlackBishop:
        pattern = diagonal;
        break;
    case WhiteQueen:
    case BlackQueen:
        pattern = straight || diagonal;
        break;
    case WhitePawn:
        pattern = df == 0 && toRank >= 3 &&
                  (dr == 1 || (dr == 2 && fromRank == 2 && b[3][fromFile] == Empty));
        break;
    case BlackPawn:
        pattern = df == 0 && toRank <= 6 &&
                  (dr == -1 || (dr == -2 && fromRank == 7 && b[6][fromFile] == Empty));
        break;
    default:
        return false;
    }
    if (!pattern) return false;
    const bool black = IsBlackPiece(piece);
    std::int32_t kr = 0, kf = 0;
    if (!FindKing(black ? "B" : "W", kr, kf, ply)) return false;
    const PieceIndex standing = b[fromRank][fromFile];
    b[toRank][toFile] = piece;
    b[fromRank][fromFile] = Empty;
    const bool attacked = IsSquareAttacked(kr, kf, black ? "W" : "B", ply, true, false);
    b[fromRank][fromFile] = standing;
    b[toRank][toFile] = Empty;
    return !attacked;
}

bool CanBlockSquare(int rank, int file, int ply) {
    if (!ValidPly(ply) || !OnBoard(rank, file)) return false;
    for (int r = 1; r <= 8; ++r) {
        for (int f = 1; f <= 8; ++f) {
            const PieceIndex p = Board[ply][r][f];
            if (OfMover(p) && CanPieceReach(p, r, f, rank, file, ply)) return true;
        }
    }
    return false;
}

bool MATE(int index, int kingRank, int kingFile, int ply) {
    if (!ValidPly(ply) || index < 1 || index > Attackers.count) return false;
    const AttackerEntry checker = Attackers.entries[index];
    if (!OnBoard(checker.rank, checker.file) || !OnBoard(kingRank, kingFile)) return false;
    MateBoard = Board[ply];
    // Quick answers that find a real parry; anything else is settled by the full search.
    if (SomeCaptureParries(checker.rank, checker.file, ply)) return false;
    if (SomeBlockParries(checker.rank, checker.file, kingRank, kingFile, ply)) return false;
    const Side mover = MoverSide, opponent = OpponentSide;
    const bool mated = !HasLegalMove(mover, ply);
    MoverSide = mover;
    OpponentSide = opponent;
    return mated;
}

bool IsCheckmate(std::string_view side, int ply) {
    if (!ValidPly(ply)) return false;
    const bool black = detail::IsBlackSide(side);
    detail::SetSides(black);
    std::int32_t kr = 0, kf = 0;
    if (!FindKing(MoverSide, kr, kf, ply)) return false;
    (black ? BlackKingRank : WhiteKingRank) = kr;
    (black ? BlackKingFile : WhiteKingFile) = kf;
    MateBoard = Board[ply];

    // An escape square ends the test at once.
    PlyBoard& b = Board[ply];
    const PieceIndex king = b[kr][kf];
    b[kr][kf] = Empty;
    bool escape = false;
    for (const auto& n : kNeighbours) {
        const int r = kr + n[0], f = kf + n[1];
        if (OnBoard(r, f) && !KingSquareUnsafe(r, f, ply)) {
            escape = true;
            break;
        }
    }
    b[kr][kf] = king;
    if (escape) return false;

    Attackers.count = 0;
    while (Attackers.count < AttackerList::Capacity &&
           IsSquareAttacked(kr, kf, OpponentSide, ply, false, false)) {
        Attackers.entries[++Attackers.count] = {AttackerKind, AttackerRank, AttackerFile,
                                                EnPassantAttack};
        b[AttackerRank][AttackerFile] = Empty;
    }
    b = MateBoard;
    if (Attackers.count == 0) return false;

    // The checking piece nearest the king (the first found among equals).
    int best = 1, bestDistance = 100;
    for (int i = 1; i <= Attackers.count; ++i) {
        const int dr = Attackers.entries[i].rank - kr, df = Attackers.entries[i].file - kf;
        const int distance = static_cast<int>(std::lround(std::sqrt(double(dr * dr + df * df))));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    const bool mated = MATE(best, kr, kf, ply);
    detail::SetSides(black);
    (black ? BlackKingRank : WhiteKingRank) = kr;
    (black ? BlackKingFile : WhiteKingFile) = kf;
    return mated;
}

} // namespace corvane
