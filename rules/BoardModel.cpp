// The shared board model: storage of the board, flags, results and counters,
// and the small routines that convert, initialise, count and copy them.
#include "rules/ModChecker.h"

namespace corvane {

namespace {

constexpr PlyBoard StandardStart() {
    PlyBoard b{};
    constexpr PieceIndex back[8] = {1, 2, 3, 4, 5, 3, 2, 1};
    for (int f = 0; f < 8; ++f) {
        b.squares[0 * 8 + f] = back[f];
        b.squares[1 * 8 + f] = WhitePawn;
        b.squares[6 * 8 + f] = BlackPawn;
        b.squares[7 * 8 + f] = static_cast<PieceIndex>(back[f] + 6);
    }
    return b;
}

constexpr std::array<std::int16_t, 13> StandardValues() {
    return {0, 50, 30, 35, 100, 1000, 10, 50, 30, 35, 100, 1000, 10};
}

bool ValidPly(int ply) {
    return ply >= 0 && ply <= MaxDepth;
}
bool ValidSlot(int slot) {
    return slot >= 0 && slot <= MaxDepth + 3;
}

constexpr const char* kCodes[13] = {"",   "WR", "WN", "WB", "WQ", "WK", "WP",
                                    "BR", "BN", "BB", "BQ", "BK", "BP"};

} // namespace

std::array<PlyBoard, MaxDepth + 1> Board{};
PlyBoard SetUpBoard{};
PlyBoard InitialBoard = StandardStart();

FlagArray WhiteCastleFlags{};
FlagArray BlackCastleFlags{};
FlagArray WhitePawnFlags{};
FlagArray BlackPawnFlags{};
FlagArray CastleMade{};
SavedFlagSet SavedFlags{};

std::array<std::int16_t, 13> PieceValue = StandardValues();

std::int32_t FromRank = 0, FromFile = 0, ToRank = 0, ToFile = 0;
Side MoverSide = "W", OpponentSide = "B";
bool WhiteInCheck = false, BlackInCheck = false;
std::int32_t WhiteKingRank = 0, WhiteKingFile = 0, BlackKingRank = 0, BlackKingFile = 0;
std::int32_t AttackerKind = 0, AttackerRank = 0, AttackerFile = 0;
bool EnPassantAttack = false;
PlyBoard MateBoard{};
AttackerList Attackers{};

std::array<std::int32_t, 13> PieceCount{};
std::int32_t WhitePieceTotal = 0, BlackPieceTotal = 0, PieceTotal = 0;

PieceCode PieceCodeOf(std::int32_t piece) {
    if (piece < 0 || piece > 12) return PieceCode();
    return kCodes[piece];
}

PieceIndex PieceIndexOf(std::string_view code) {
    for (int i = 1; i <= 12; ++i) {
        if (code == kCodes[i]) return static_cast<PieceIndex>(i);
    }
    return Empty;
}

void LoadBoardFromView(const SquareImages& view, int ply) {
    if (!ValidPly(ply)) return;
    for (int i = 0; i < 64; ++i) {
        const std::string tag = view.Tag(i);
        const PieceIndex piece = PieceIndexOf(std::string_view(tag).substr(0, 2));
        const int rank = RankOfImage(i);
        const int file = FileOfImage(i);
        Board[ply][rank][file] = piece;
        if (piece == WhiteKing) {
            WhiteKingRank = rank;
            WhiteKingFile = file;
        } else if (piece == BlackKing) {
            BlackKingRank = rank;
            BlackKingFile = file;
        }
    }
}

void DrawBoard(SquareImages& view, int ply) {
    if (!ValidPly(ply)) return;
    for (int rank = 1; rank <= 8; ++rank) {
        for (int file = 1; file <= 8; ++file) {
            view.SetSquare(ImageIndexOf(rank, file), PieceCodeOf(Board[ply][rank][file]));
        }
    }
}

void LoadInitialBoard(SquareImages& view) {
    Board[0] = InitialBoard;
    DrawBoard(view, 0);
}

void ClearBoardView(SquareImages& view) {
    for (int i = 0; i < 64; ++i) view.SetSquare(i, "");
    view.ClearMoveTextAndList();
}

void CountPieces(int ply) {
    PieceCount.fill(0);
    WhitePieceTotal = BlackPieceTotal = PieceTotal = 0;
    if (!ValidPly(ply)) return;
    for (const PieceIndex piece : Board[ply].squares) {
        if (piece == Empty || piece > 12) continue;
        ++PieceCount[CountSlot(piece)];
        if (IsWhitePiece(piece)) {
            ++WhitePieceTotal;
        } else {
            ++BlackPieceTotal;
        }
    }
    PieceTotal = WhitePieceTotal + BlackPieceTotal;
}

void InitGameArrays() {
    SavedFlags = SavedFlagSet{};
    PieceValue = StandardValues();
}

void InitSearchArrays() {
    for (PlyBoard& ply : Board) ply.Clear();
    ClearAllFlags();
}

void ClearAllFlags() {
    WhiteCastleFlags = FlagArray{};
    BlackCastleFlags = FlagArray{};
    WhitePawnFlags = FlagArray{};
    BlackPawnFlags = FlagArray{};
    CastleMade = FlagArray{};
}

void CopyPlyFlags(int sourcePly, int targetPly) {
    if (!ValidPly(sourcePly) || !ValidPly(targetPly)) return;
    WhiteCastleFlags[targetPly] = WhiteCastleFlags[sourcePly];
    BlackCastleFlags[targetPly] = BlackCastleFlags[sourcePly];
    WhitePawnFlags[targetPly] = WhitePawnFlags[sourcePly];
    BlackPawnFlags[targetPly] = BlackPawnFlags[sourcePly];
    CastleMade[targetPly] = CastleMade[sourcePly];
}

void SaveFlags(int ply, int slot) {
    if (!ValidPly(ply) || !ValidSlot(slot)) return;
    SavedFlags.WhiteCastleFlags[slot] = WhiteCastleFlags[ply];
    SavedFlags.BlackCastleFlags[slot] = BlackCastleFlags[ply];
    SavedFlags.WhitePawnFlags[slot] = WhitePawnFlags[ply];
    SavedFlags.BlackPawnFlags[slot] = BlackPawnFlags[ply];
    SavedFlags.CastleMade[slot] = CastleMade[ply];
}

void RestoreFlags(int slot, int ply) {
    if (!ValidPly(ply) || !ValidSlot(slot)) return;
    WhiteCastleFlags[ply] = SavedFlags.WhiteCastleFlags[slot];
    BlackCastleFlags[ply] = SavedFlags.BlackCastleFlags[slot];
    WhitePawnFlags[ply] = SavedFlags.WhitePawnFlags[slot];
    BlackPawnFlags[ply] = SavedFlags.BlackPawnFlags[slot];
    CastleMade[ply] = SavedFlags.CastleMade[slot];
}

} // namespace corvane
