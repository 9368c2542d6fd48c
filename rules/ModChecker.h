#pragma once
// The rules core: the board model shared by the whole program, the legality
// test of one move, the attack, check and checkmate tests, and the position
// string.
//
// State is kept in namespace-scope variables that every subsystem reads and
// writes directly. The tests take the ply as an argument, leave their results in
// the shared result variables for the caller to read right after the call, and
// leave the examined board as they found it.
//
// Coordinates: rank and file run 1..8 (rank 1 is White's back rank, file 1 the
// a-file). Square image index i of the board view: 0 = a8 .. 63 = h1, that is
// i = (8 - rank) * 8 + (file - 1).
#include <array>
#include <cassert>
#include <cstdint>
#include <string>
#include <string_view>

#include "rules/GameState.h"
#include "rules/SquareImages.h"

namespace corvane {

// --- Coding of pieces, sides and squares -----------------------------------------

// 0 empty; 1..6 White R N B Q K P; 7..12 Black R N B Q K P.
using PieceIndex = std::uint8_t;
// "WR".."BP"; "" for an empty square.
using PieceCode = std::string;
// "W" or "B".
using Side = std::string;

constexpr PieceIndex Empty = 0;
constexpr PieceIndex WhiteRook = 1;
constexpr PieceIndex WhiteKnight = 2;
constexpr PieceIndex WhiteBishop = 3;
constexpr PieceIndex WhiteQueen = 4;
constexpr PieceIndex WhiteKing = 5;
constexpr PieceIndex WhitePawn = 6;
constexpr PieceIndex BlackRook = 7;
constexpr PieceIndex BlackKnight = 8;
constexpr PieceIndex BlackBishop = 9;
constexpr PieceIndex BlackQueen = 10;
constexpr PieceIndex BlackKing = 11;
constexpr PieceIndex BlackPawn = 12;

constexpr bool IsWhitePiece(int piece) {
    return piece >= 1 && piece <= 6;
}
constexpr bool IsBlackPiece(int piece) {
    return piece >= 7 && piece <= 12;
}
constexpr bool OnBoard(int rank, int file) {
    return rank >= 1 && rank <= 8 && file >= 1 && file <= 8;
}
constexpr int ImageIndexOf(int rank, int file) {
    return (8 - rank) * 8 + (file - 1);
}
constexpr int RankOfImage(int index) {
    return 8 - index / 8;
}
constexpr int FileOfImage(int index) {
    return index % 8 + 1;
}

// Upper bound of every per-ply array: plies 0..MaxDepth.
constexpr std::int16_t MaxDepth = 30;

// --- The board ---------------------------------------------------------------------

// One rank of a ply, indexed by file 1..8.
class BoardRank {
public:
    explicit BoardRank(PieceIndex* squares) : squares_(squares) {}
    PieceIndex& operator[](int file) const {
        assert(file >= 1 && file <= 8);
        return squares_[file - 1];
    }

private:
    PieceIndex* squares_;
};

class ConstBoardRank {
public:
    explicit ConstBoardRank(const PieceIndex* squares) : squares_(squares) {}
    PieceIndex operator[](int file) const {
        assert(file >= 1 && file <= 8);
        return squares_[file - 1];
    }

private:
    const PieceIndex* squares_;
};

// The 64 squares of one ply, one byte each: board[rank][file] with 1-based
// indices. Copying it is the 64-byte snapshot the tests and the search use.
struct PlyBoard {
    std::array<PieceIndex, 64> squares{}; // (rank - 1) * 8 + (file - 1)

    BoardRank operator[](int rank) {
        assert(rank >= 1 && rank <= 8);
        return BoardRank(squares.data() + (rank - 1) * 8);
    }
    ConstBoardRank operator[](int rank) const {
        assert(rank >= 1 && rank <= 8);
        return ConstBoardRank(squares.data() + (rank - 1) * 8);
    }
    void Clear() { squares.fill(Empty); }
    bool operator==(const PlyBoard&) const = default;
};

// Four flags of one ply (see the flag arrays below).
using PlyFlags = std::array<std::uint8_t, 4>;
using FlagArray = std::array<PlyFlags, MaxDepth + 1>;
using SavedFlagArray = std::array<PlyFlags, MaxDepth + 4>;

// Board[ply][rank][file]. Ply 0 is the game; plies 1..MaxDepth are the computer
// player's working copies.
extern std::array<PlyBoard, MaxDepth + 1> Board;
// Snapshot of ply 0 kept by the board set-up mode.
extern PlyBoard SetUpBoard;
// The standard starting position (the engine's table loader may refill it).
extern PlyBoard InitialBoard;

// Per-ply flags, [ply][entry 0..3]:
// WhiteCastleFlags/BlackCastleFlags: 0 king state (0 never moved, 1 moved,
//   2 castled king side, 3 castled queen side); 1 king-side rook moved;
//   2 queen-side rook moved.
// WhitePawnFlags/BlackPawnFlags: 0 the side's last move was an en-passant
//   capture; 1 file of the pawn that just advanced two squares (0 none);
//   2 the side's last move brings a pawn to the last rank; 3 unused.
// CastleMade: 0 White castled king side at this move, 1 White queen side,
//   2 Black king side, 3 Black queen side.
extern FlagArray WhiteCastleFlags;
extern FlagArray BlackCastleFlags;
extern FlagArray WhitePawnFlags;
extern FlagArray BlackPawnFlags;
extern FlagArray CastleMade;

// Saved copies of the five flag arrays, slots 0..MaxDepth + 3. The legality test
// uses slot MaxDepth + 1; the computer player uses slots 1..MaxDepth and
// MaxDepth + 2.
struct SavedFlagSet {
    SavedFlagArray WhiteCastleFlags{};
    SavedFlagArray BlackCastleFlags{};
    SavedFlagArray WhitePawnFlags{};
    SavedFlagArray BlackPawnFlags{};
    SavedFlagArray CastleMade{};
};
extern SavedFlagSet SavedFlags;

// Material values by PieceIndex, entries 1..12 (entry 0 unused).
extern std::array<std::int16_t, 13> PieceValue;

// --- Shared results of the move tests -----------------------------------------------

// Squares of the move under test (parsed by IsMoveLegal, or set by the caller
// before MoveBarred).
extern std::int32_t FromRank, FromFile, ToRank, ToFile;
// Colour of the piece being moved and the other colour.
extern Side MoverSide, OpponentSide;
// Whether that king is attacked after the move MoveBarred accepted (or the
// moving king's destination is attacked).
extern bool WhiteInCheck, BlackInCheck;
// King squares (LoadBoardFromView, IsCheckmate, LoadFen).
extern std::int32_t WhiteKingRank, WhiteKingFile, BlackKingRank, BlackKingFile;
// The attacker found by the last successful IsSquareAttacked; AttackerKind is 0
// after a test that found nothing.
extern std::int32_t AttackerKind, AttackerRank, AttackerFile;
// True when the attacker last reported is a pawn that would take en passant.
extern bool EnPassantAttack;
// Copy of the examined ply taken by IsCheckmate.
extern PlyBoard MateBoard;

// --- Piece counters -------------------------------------------------------------------

// PieceCount[1..12] in the order WR, WN, WB, WQ, WP, WK, BR, BN, BB, BQ, BP, BK
// (pawn before king); entry 0 unused. Use CountSlot to go from a PieceIndex.
extern std::array<std::int32_t, 13> PieceCount;
extern std::int32_t WhitePieceTotal, BlackPieceTotal, PieceTotal;

// The PieceCount entry of a piece kind (1..12), 0 for anything else.
constexpr int CountSlot(int piece) {
    constexpr int countEntry[13] = {0, 1, 2, 3, 4, 6, 5, 7, 8, 9, 10, 12, 11};
    return piece >= 0 && piece <= 12 ? countEntry[piece] : 0;
}

// --- Board model routines ---------------------------------------------------------------

// "" for 0 and for anything outside 1..12.
PieceCode PieceCodeOf(std::int32_t piece);
// 0 for anything that is not one of the twelve codes.
PieceIndex PieceIndexOf(std::string_view code);
// Rebuilds a ply from the first two characters of the 64 tags; records the king
// squares. Ply 0 is the game's position and the view draws from it; a view is
// read only where a person arranges the pieces (set-up) or a file has just
// filled it.
void LoadBoardFromView(const SquareImages& view, int ply);
// Sets the 64 images from a ply (tag = PieceCode, "" for empty squares).
void DrawBoard(SquareImages& view, int ply);
// InitialBoard into ply 0, then DrawBoard.
void LoadInitialBoard(SquareImages& view);
// Empties the 64 images, the move-text label and the move list.
void ClearBoardView(SquareImages& view);
// Recomputes PieceCount and the totals for a ply.
void CountPieces(int ply);
// SavedFlags all zero, PieceValue filled.
void InitGameArrays();
// Board and the five flag arrays all zero.
void InitSearchArrays();
// Entries 0..3 of the five flag arrays from one ply to another.
void CopyPlyFlags(int sourcePly, int targetPly);
// Flags of a ply into SavedFlags at a slot (0..MaxDepth + 3), and back.
void SaveFlags(int ply, int slot);
void RestoreFlags(int slot, int ply);
// The five flag arrays all zero (the game controller calls it for every new game).
void ClearAllFlags();

// --- Move legality ----------------------------------------------------------------------

// Tests a human move text such as "WP e2-e4" at ply 0: True = legal so far (the
// caller still rejects it when the mover's own in-check flag is set). Texts
// shorter than 8 characters, with characters other than the expected ones (a
// promotion suffix "=Q" or "=WQ" may follow), with squares off the board or whose
// piece code does not match the piece on the from-square are refused. Sets
// FromRank..ToFile.
bool IsMoveLegal(const std::string& moveText);
// The geometric pattern of the piece named by characters 1-2, on the four
// coordinates already set. Does not look at the board.
bool CheckMoveShape(const std::string& moveText);
// The same pattern test for a piece index.
bool ShapeAllows(PieceIndex piece, int fromRank, int fromFile, int toRank, int toFile);
// The full test of the move FromRank/FromFile -> ToRank/ToFile of the piece at a
// ply: True when refused. Leaves GameStatus, WhiteInCheck/BlackInCheck,
// MoverSide/OpponentSide, PromotionChoice and, for an accepted move, the flags of
// the ply (castling rights, pawn flags, CastleMade). The board is left as it was;
// an accepted castling only sets its CastleMade entry; a pawn reaching the last
// rank is examined as a queen (PromotionChoice := "Q"). When the accepted move
// leaves the mover's own king attacked, the mover's flag is set and the flags of
// the ply are put back as they were (the caller must reject the move).
// A move that lands on a corner (a1, h1, a8, h8) ends the castling right of the
// rook that belongs there.
bool MoveBarred(PieceIndex piece, int ply);
// Path tests on the four coordinates at a ply (the from-square is never looked at).
bool StraightPathClear(int ply);
bool DiagonalPathClear(int ply);
bool WhitePawnPushClear(int ply);
bool WhitePawnCaptureOk(int ply);
bool BlackPawnPushClear(int ply);
bool BlackPawnCaptureOk(int ply);

// Ends castling rights for a committed move: a move from or onto a1/h1 (a8/h8)
// sets the queen-/king-side rook entry of White (Black) at the ply. MoveBarred
// already does this for the moves it accepts; the controller and the computer
// player call it for every move they commit by other means (the computer's
// moves, the network peer's moves), so that a rook later arriving on the corner
// cannot castle.
void MarkCornerRooks(int fromRank, int fromFile, int toRank, int toFile, int ply);

// --- Check, checkmate and stalemate tests ---------------------------------------------------

// True when a piece of the side attacks (rank, file) at the ply; then
// AttackerKind/Rank/File describe the first attacker found. skipKing leaves the
// king out; pawnAdvance asks instead whether a pawn of the side can advance onto
// the (empty) square. Piece kinds whose PieceCount is 0 are skipped, so the
// counters must describe the ply.
bool IsSquareAttacked(int rank, int file, std::string_view side, int ply, bool skipKing = false,
                      bool pawnAdvance = false);
// The side's king square ("B" Black, anything else White).
bool FindKing(std::string_view side, std::int32_t& rank, std::int32_t& file, int ply);
// True exactly when the side's king is attacked and the side has no legal move.
// Sets MoverSide := side, OpponentSide := the other, and the side's king square.
// The board, the flags and the legality results are left as they were.
bool IsCheckmate(std::string_view side, int ply);
// True when the check by attacker-list entry index (1-based) on the king at
// (kingRank, kingFile) cannot be parried by any legal move of MoverSide.
bool MATE(int index, int kingRank, int kingFile, int ply);
// True when (rank, file) is off the board, holds a piece of MoverSide or a king, or
// is attacked by OpponentSide.
bool KingSquareUnsafe(int rank, int file, int ply);
// True when some piece of MoverSide can move onto that empty square (CanPieceReach).
bool CanBlockSquare(int rank, int file, int ply);
// True when the piece can move there over empty squares by its pattern and its
// own king is not attacked afterwards. Kings never reach.
bool CanPieceReach(PieceIndex piece, int fromRank, int fromFile, int toRank, int toFile, int ply);

// The pieces giving check, as collected by the last IsCheckmate that found its
// side in check without an escape square.
struct AttackerEntry {
    std::int32_t kind = 0, rank = 0, file = 0;
    bool enPassant = false;
};
struct AttackerList {
    static constexpr int Capacity = 64;
    int count = 0;
    std::array<AttackerEntry, Capacity + 1> entries{}; // 1..count
};
extern AttackerList Attackers;

// --- What a move leaves ------------------------------------------------------------------------

// Whether the side's king stands attacked at the ply; False when the side has no king.
bool KingInCheck(std::string_view side, int ply);
// The two draws by material read the piece counters, which must describe the
// position. Both sides are down to the bare king:
bool BareKings();
// Neither side has more than two pieces and no rook, queen or pawn is left
// (bare kings, king and minor piece against king and minor piece, ...):
bool InsufficientMaterial();

// The outcome of a move for the side that moves next, tested in the game's
// order: check and checkmate, stalemate (only when asked for and not in check),
// the bare kings, insufficient material. A check can come with a draw by
// material; a mate or a stalemate ends the tests.
struct MoveOutcome {
    bool check = false;
    bool checkmate = false;
    bool stalemate = false;
    bool drawByMaterial = false;
    bool operator==(const MoveOutcome&) const = default;
};
// Recounts the pieces of the ply first; the board and its flags are left as they were.
MoveOutcome OutcomeAfterMove(std::string_view nextSide, int ply, bool testStalemate);
// The status word an outcome is announced with: "XEQUE-MATE", "STALEMATE" or
// "EMPATE" when the game ends, "XEQUE" for a check that does not, "" otherwise.
std::string StatusWordOf(const MoveOutcome& outcome);
// True for the three status words that end a game.
bool StatusEndsGame(std::string_view status);

// --- Legal moves of a side -------------------------------------------------------------------

// One from-to move; a promotion is one move (examined as a queen).
struct RulesMove {
    std::uint8_t fromRank = 0, fromFile = 0, toRank = 0, toFile = 0;
    bool operator==(const RulesMove&) const = default;
};
struct RulesMoveList {
    static constexpr int Capacity = 320;
    int count = 0;
    std::array<RulesMove, Capacity> moves{};
};
// Every move of the side at the ply that MoveBarred accepts without leaving the
// side's own king attacked. The board, the flags and the legality results
// (FromRank..ToFile, the in-check flags, GameStatus, PromotionChoice, MoverSide,
// OpponentSide) are left as they were.
void ListLegalMoves(std::string_view side, int ply, RulesMoveList& out);
// True at the first legal move found (same contract as ListLegalMoves).
bool HasLegalMove(std::string_view side, int ply);
// Plays on the ply a move that MoveBarred has just accepted there (FromRank..ToFile
// still set): castling moves the rook too and records the king state, en passant
// removes the pawn, a promotion makes a queen; corner rights are ended.
void PlayAcceptedMove(int ply);
// Plays a move of the position at a ply into the next ply (ply < MaxDepth):
// ply + 1 becomes a copy of the ply, the legality test runs there so that the
// flags of ply + 1 carry the move's side effects, then PlayAcceptedMove makes
// it. The counters describe ply + 1 afterwards. False, leaving ply + 1 the
// unchanged copy, when the test refuses the move.
bool PlayIntoNextPly(int fromRank, int fromFile, int toRank, int toFile, int ply);
struct MoveText;
// The one way an accepted move is made on the board model: PlayIntoNextPly,
// then a promotion puts the piece the move's text names (PlayAcceptedMove's
// queen when it names none). The counters describe ply + 1 before that piece
// is put.
bool PlayMoveIntoNextPly(const MoveText& move, int ply);
// Ply + 1 becomes the position at ply, with its flags and counters: a move
// played into the next ply is kept.
void KeepNextPly(int ply);
// The one way a move is made on a position, whoever makes it (a person, the
// peer, the computer, a replay): the move must fit its piece's shape and pass
// the legality test without leaving its own king attacked; then it is played
// (castling rook, en passant, the promotion piece the move names or a queen),
// the flags carry its side effects with nothing left pending, and ply + 1 is
// the same position. The counters and the king squares describe the ply; the
// results of the move tests (GameStatus, the in-check flags, From/To...) are
// left as they were. False, with the ply unchanged, when the move is refused.
bool ApplyMove(const MoveText& move, int ply = 0);

// --- Position string ---------------------------------------------------------------------------

// Placement of ply 0 followed by " w - - 0".
std::string BuildPositionString();
// Shows the position on the view; side := "W"/"B" when the text names one;
// LoadedMoveNumber and the three piece totals are set. Board is not written.
void LoadPosition(SquareImages& view, const std::string& text, std::string& side);

} // namespace corvane
