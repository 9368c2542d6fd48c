// Every legal move of a side, found through the legality test alone: each
// destination that the piece's shape allows is put to MoveBarred and kept when
// the mover's own king is safe afterwards.
#include <cstdlib>

#include "rules/MoveText.h"
#include "rules/RulesInternal.h"
#include "rules/RulesState.h"

namespace corvane {

using detail::KindOf;
using detail::ValidPly;

namespace {

// Destinations allowed by the shape table, per piece and from-square (index
// (rank - 1) * 8 + file - 1). Built once from ShapeAllows itself.
struct ShapeTargets {
    std::uint8_t count[13][64]{};
    std::uint8_t target[13][64][32]{};

    ShapeTargets() {
        for (int piece = 1; piece <= 12; ++piece) {
            for (int from = 0; from < 64; ++from) {
                for (int to = 0; to < 64; ++to) {
                    if (to == from) continue;
                    if (ShapeAllows(static_cast<PieceIndex>(piece), from / 8 + 1, from % 8 + 1,
                                    to / 8 + 1, to % 8 + 1))
                        target[piece][from][count[piece][from]++] = static_cast<std::uint8_t>(to);
                }
            }
        }
    }
};

const ShapeTargets& Shapes() {
    static const ShapeTargets shapes;
    return shapes;
}

// Calls visit(move) for every legal move until it returns false.
template <typename Visit> void ForEachLegalMove(std::string_view side, int ply, Visit visit) {
    if (!ValidPly(ply)) return;
    const bool black = detail::IsBlackSide(side);
    const ShapeTargets& shapes = Shapes();
    const detail::PlyFlagCopy flags = detail::PlyFlagCopy::Of(ply);
    const PlyBoard position = Board[ply];
    // Listing moves leaves the results of the move tests as it found them.
    const RulesResultsKeeper results;
    for (int from = 0; from < 64; ++from) {
        const PieceIndex piece = position.squares[from];
        if (piece == Empty || piece > 12 || IsBlackPiece(piece) != black) continue;
        for (int i = 0; i < shapes.count[piece][from]; ++i) {
            const int to = shapes.target[piece][from][i];
            FromRank = from / 8 + 1;
            FromFile = from % 8 + 1;
            ToRank = to / 8 + 1;
            ToFile = to % 8 + 1;
            const bool barred = detail::MoveBarredImpl(piece, ply, false);
            const bool ownCheck = black ? BlackInCheck : WhiteInCheck;
            flags.RestoreTo(ply);
            if (barred || ownCheck) continue;
            const RulesMove move{
                static_cast<std::uint8_t>(FromRank), static_cast<std::uint8_t>(FromFile),
                static_cast<std::uint8_t>(ToRank), static_cast<std::uint8_t>(ToFile)};
            if (!visit(move)) return;
        }
    }
}

} // namespace

void ListLegalMoves(std::string_view side, int ply, RulesMoveList& out) {
    out.count = 0;
    ForEachLegalMove(side, ply, [&out](const RulesMove& move) {
        out.moves[out.count++] = move;
        return out.count < RulesMoveList::Capacity;
    });
}

bool HasLegalMove(std::string_view side, int ply) {
    bool found = false;
    ForEachLegalMove(side, ply, [&found](const RulesMove&) {
        found = true;
        return false;
    });
    return found;
}

void PlayAcceptedMove(int ply) {
    if (!ValidPly(ply) || !OnBoard(FromRank, FromFile) || !OnBoard(ToRank, ToFile)) return;
    PlyBoard& b = Board[ply];
    const PieceIndex piece = b[FromRank][FromFile];
    if (piece == Empty || piece > 12) return;
    const bool black = IsBlackPiece(piece);
    const int kind = KindOf(piece);
    if (kind == 5 && std::abs(ToFile - FromFile) == 2) {
        const bool kingSide = ToFile == 7;
        b[ToRank][ToFile] = piece;
        b[FromRank][FromFile] = Empty;
        b[FromRank][kingSide ? 6 : 4] = b[FromRank][kingSide ? 8 : 1];
        b[FromRank][kingSide ? 8 : 1] = Empty;
        (black ? BlackCastleFlags : WhiteCastleFlags)[ply][0] = kingSide ? 2 : 3;
        CastleMade[ply] = PlyFlags{};
        return;
    }
    if (kind == 6 && FromFile != ToFile && b[ToRank][ToFile] == Empty) b[FromRank][ToFile] = Empty;
    b[ToRank][ToFile] = piece;
    b[FromRank][FromFile] = Empty;
    if (kind == 6 && ToRank == (black ? 1 : 8)) b[ToRank][ToFile] = black ? BlackQueen : WhiteQueen;
    MarkCornerRooks(FromRank, FromFile, ToRank, ToFile, ply);
}

bool PlayIntoNextPly(int fromRank, int fromFile, int toRank, int toFile, int ply) {
    if (ply < 0 || ply >= MaxDepth || !OnBoard(fromRank, fromFile)) return false;
    Board[ply + 1] = Board[ply];
    CopyPlyFlags(ply, ply + 1);
    CountPieces(ply + 1);
    FromRank = fromRank;
    FromFile = fromFile;
    ToRank = toRank;
    ToFile = toFile;
    if (MoveBarred(Board[ply + 1][fromRank][fromFile], ply + 1)) return false;
    PlayAcceptedMove(ply + 1);
    CountPieces(ply + 1);
    return true;
}

bool PlayMoveIntoNextPly(const MoveText& move, int ply) {
    if (!PlayIntoNextPly(move.fromRank, move.fromFile, move.toRank, move.toFile, ply)) return false;
    const PieceIndex named = move.promotion.empty() ? Empty : PromotedPieceOf(move);
    if (named != Empty) Board[ply + 1][move.toRank][move.toFile] = named;
    return true;
}

void KeepNextPly(int ply) {
    if (ply < 0 || ply >= MaxDepth) return;
    Board[ply] = Board[ply + 1];
    CopyPlyFlags(ply + 1, ply);
    CountPieces(ply);
}

bool ApplyMove(const MoveText& move, int ply) {
    if (ply < 0 || ply >= MaxDepth || !OnBoard(move.fromRank, move.fromFile) ||
        !OnBoard(move.toRank, move.toFile))
        return false;
    const PieceIndex piece = Board[ply][move.fromRank][move.fromFile];
    if (piece == Empty || piece > 12 || (move.piece != Empty && move.piece != piece) ||
        !ShapeAllows(piece, move.fromRank, move.fromFile, move.toRank, move.toFile))
        return false;
    // The mover's caller has read the results of its own test; they stay.
    const RulesResultsKeeper results;
    const bool black = IsBlackPiece(piece);
    if (!PlayMoveIntoNextPly(move, ply) || (black ? BlackInCheck : WhiteInCheck)) {
        CountPieces(ply);
        return false;
    }
    // Made, the move leaves nothing pending: its en passant is taken and its
    // promotion chosen.
    PlyFlags& own = (black ? BlackPawnFlags : WhitePawnFlags)[ply + 1];
    own[0] = own[2] = 0;
    KeepNextPly(ply);
    FindKing("W", WhiteKingRank, WhiteKingFile, ply);
    FindKing("B", BlackKingRank, BlackKingFile, ply);
    return true;
}

} // namespace corvane
