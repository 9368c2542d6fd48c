// Standard algebraic notation, found through the core's own legal moves.
#include "rules/Notation.h"

#include <cstdlib>

#include "rules/RulesInternal.h"

namespace corvane {

using detail::KindOf;

RulesStateKeeper::RulesStateKeeper()
    : board_(Board), flags_{WhiteCastleFlags, BlackCastleFlags, WhitePawnFlags, BlackPawnFlags,
                            CastleMade},
      saved_(SavedFlags), numbers_{FromRank,      FromFile,      ToRank,        ToFile,
                                   WhiteKingRank, WhiteKingFile, BlackKingRank, BlackKingFile,
                                   AttackerKind,  AttackerRank,  AttackerFile},
      bools_{WhiteInCheck, BlackInCheck, EnPassantAttack}, texts_{MoverSide, OpponentSide,
                                                                  GameStatus, PromotionChoice},
      mateBoard_(MateBoard), attackers_(Attackers),
      pieceCount_(PieceCount), totals_{WhitePieceTotal, BlackPieceTotal, PieceTotal} {}

RulesStateKeeper::~RulesStateKeeper() {
    Board = board_;
    WhiteCastleFlags = flags_[0];
    BlackCastleFlags = flags_[1];
    WhitePawnFlags = flags_[2];
    BlackPawnFlags = flags_[3];
    CastleMade = flags_[4];
    SavedFlags = saved_;
    std::int32_t* const numbers[] = {&FromRank,      &FromFile,      &ToRank,        &ToFile,
                                     &WhiteKingRank, &WhiteKingFile, &BlackKingRank, &BlackKingFile,
                                     &AttackerKind,  &AttackerRank,  &AttackerFile};
    for (std::size_t i = 0; i < numbers_.size(); ++i) *numbers[i] = numbers_[i];
    WhiteInCheck = bools_[0];
    BlackInCheck = bools_[1];
    EnPassantAttack = bools_[2];
    MoverSide.swap(texts_[0]);
    OpponentSide.swap(texts_[1]);
    GameStatus.swap(texts_[2]);
    PromotionChoice.swap(texts_[3]);
    MateBoard = mateBoard_;
    Attackers = attackers_;
    PieceCount = pieceCount_;
    WhitePieceTotal = totals_[0];
    BlackPieceTotal = totals_[1];
    PieceTotal = totals_[2];
}

namespace {

constexpr char kKindLetters[] = " RNBQKP";

// The piece a pawn arriving on the last rank becomes: the one the text names,
// a queen when it names none; Empty when the text is not a promotion of this
// move or names a piece of the other colour.
PieceIndex PromotionOf(const MoveText& move, bool promotes) {
    if (!promotes) return move.promotion.empty() ? move.piece : Empty;
    const bool black = IsBlackPiece(move.piece);
    if (move.promotion.empty()) return black ? BlackQueen : WhiteQueen;
    const PieceIndex chosen = PromotedPieceOf(move);
    return chosen != Empty && IsBlackPiece(chosen) == black ? chosen : Empty;
}

// "", the file letter, the rank digit or both: whatever tells the move apart
// from the other legal moves of the same kind of piece onto the same square.
std::string Disambiguation(const MoveText& move, const RulesMoveList& legal, int ply) {
    bool rival = false, sameFile = false, sameRank = false;
    for (int i = 0; i < legal.count; ++i) {
        const RulesMove& m = legal.moves[i];
        if (m.toRank != move.toRank || m.toFile != move.toFile) continue;
        if (m.fromRank == move.fromRank && m.fromFile == move.fromFile) continue;
        if (Board[ply][m.fromRank][m.fromFile] != move.piece) continue;
        rival = true;
        sameFile |= m.fromFile == move.fromFile;
        sameRank |= m.fromRank == move.fromRank;
    }
    const std::string from = SquareName(move.fromRank, move.fromFile);
    if (!rival) return "";
    if (!sameFile) return from.substr(0, 1);
    if (!sameRank) return from.substr(1, 1);
    return from;
}

bool IsLegal(const MoveText& move, const RulesMoveList& legal) {
    for (int i = 0; i < legal.count; ++i) {
        const RulesMove& m = legal.moves[i];
        if (m.fromRank == move.fromRank && m.fromFile == move.fromFile && m.toRank == move.toRank &&
            m.toFile == move.toFile)
            return true;
    }
    return false;
}

} // namespace

std::string detail::SanPlayingInto(const MoveText& move, int ply) {
    if (ply < 0 || ply >= MaxDepth || !OnBoard(move.fromRank, move.fromFile) ||
        !OnBoard(move.toRank, move.toFile))
        return "";
    const PlyBoard& b = Board[ply];
    if (move.piece == Empty || b[move.fromRank][move.fromFile] != move.piece) return "";
    const bool black = IsBlackPiece(move.piece);
    const int kind = KindOf(move.piece);
    const PieceIndex placed = PromotionOf(move, kind == 6 && move.toRank == (black ? 1 : 8));
    if (placed == Empty) return "";
    RulesMoveList legal;
    ListLegalMoves(black ? "B" : "W", ply, legal);
    if (!IsLegal(move, legal)) return "";

    const bool capture = b[move.toRank][move.toFile] != Empty ||
                         (kind == 6 && move.fromFile != move.toFile); // en passant
    const std::string to = SquareName(move.toRank, move.toFile);
    std::string san;
    if (kind == 5 && std::abs(move.toFile - move.fromFile) == 2) {
        san = move.toFile == 7 ? "O-O" : "O-O-O";
    } else if (kind == 6) {
        if (capture) san = SquareName(move.fromRank, move.fromFile).substr(0, 1) + "x";
        san += to;
        if (placed != move.piece) san += std::string("=") + kKindLetters[KindOf(placed)];
    } else {
        san = kKindLetters[kind] + Disambiguation(move, legal, ply) + (capture ? "x" : "") + to;
    }

    if (!PlayIntoNextPly(move.fromRank, move.fromFile, move.toRank, move.toFile, ply)) return "";
    Board[ply + 1][move.toRank][move.toFile] = placed;
    CountPieces(ply + 1);
    const std::string_view other = black ? "W" : "B";
    if (KingInCheck(other, ply + 1)) san += HasLegalMove(other, ply + 1) ? "+" : "#";
    return san;
}

std::string SanOf(std::string_view moveText, int ply) {
    MoveText move;
    if (!ParseMoveText(moveText, move)) return "";
    const RulesStateKeeper keeper;
    return detail::SanPlayingInto(move, ply);
}

} // namespace corvane
