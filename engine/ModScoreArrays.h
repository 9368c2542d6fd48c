#pragma once
// The evaluation: twenty square tables, the material count and the positional
// terms that Evaluate adds for each piece kind.
#include <array>
#include <cstdint>
#include <string_view>

#include "rules/ModChecker.h"

namespace corvane {

struct MoveRecord;

// An 8x8 square table indexed (rank 1..8, file 1..8).
struct ScoreTable {
    std::array<std::int16_t, 64> values{};
    std::int16_t& at(int rank, int file) { return values[(rank - 1) * 8 + (file - 1)]; }
    std::int16_t at(int rank, int file) const { return values[(rank - 1) * 8 + (file - 1)]; }
};

// --- Owned by the computer player: the twenty tables --------------------------------

extern ScoreTable PawnEarly, PawnLate, PawnRace, RookTable, KnightTable;
extern ScoreTable BishopEarly1, BishopEarly2, BishopLate1, BishopLate2;
extern ScoreTable QueenEarly, QueenLate, KingTable, KingLate;
// Black's mirrored copies (Black on (r, f) = White on (9 - r, f)).
extern ScoreTable BlackPawnEarly, BlackPawnLate, BlackPawnRace, BlackRookTable;
extern ScoreTable BlackKnightTable, BlackQueenEarly, BlackKingTable;

// --- Evaluation state ---------------------------------------------------------------

extern std::int32_t WhiteTotal, BlackTotal;
// 10, set when the main window loads.
extern std::int32_t MaterialScale;
// 1 against a person; -5..5 at random in the computer-against-computer modes.
extern std::int32_t KnightWeight, BishopWeight;
// Legal moves per piece kind (1..12) of the last generation for each side.
extern std::array<std::int32_t, 13> MobilityCount;

// Squares of the pieces of each kind (1..12, kings excluded) in scan order.
struct PieceSquares {
    static constexpr int Capacity = 10; // promotions can add to the first eight
    int count = 0;
    std::array<std::int8_t, Capacity + 1> rank{}; // 1..count
    std::array<std::int8_t, Capacity + 1> file{};
};
extern std::array<PieceSquares, 13> PieceList;
// [0] White king, [1] Black king: rank and file.
struct KingPlace {
    std::int32_t rank = 0, file = 0;
};
extern std::array<KingPlace, 2> KingSquare;

// --- Procedures ---------------------------------------------------------------------

// Fills the twenty tables, InitialBoard and the opening book.
void LoadScoreTables();
// Reads eight rows of eight "nnn " fields (rank 8 first); mirror > 0 stores
// rank r at 9 - r. Fields that are not numbers read as 0.
void ParseTableRows(ScoreTable& table, std::string_view text, std::int32_t mirror);
// The same text form for a board of PieceIndex bytes, no mirror.
void ParseTableRows(PlyBoard& board, std::string_view text);
// Counters, PieceList, KingSquare and the material totals of the ply.
void CountMaterial(int ply);
// Everything CountMaterial finds on a board: the piece counts of each kind
// (kings always 1 in PieceCount), each side's number of pieces (its king
// included) and material total, the piece lists and the king squares. The
// search follows it move by move instead of counting every position afresh.
struct MaterialTally {
    std::array<std::int32_t, 13> counts{}; // by PieceIndex
    std::int32_t pieces[2] = {1, 1};       // White, Black
    std::int32_t totals[2] = {0, 0};
    std::array<PieceSquares, 13> lists{};
    std::array<KingPlace, 2> kings{}; // the last of each colour in scan order
    std::int32_t kingCount[2] = {0, 0};
};
MaterialTally TallyMaterial(const PlyBoard& board);
// The tally after MakeSearchMove plays the move on board (the position of base).
// False when it cannot be followed (a position with other than one king a side,
// a full piece list, a king taken): the caller counts afresh.
bool TallyAfterMove(const MaterialTally& base, const PlyBoard& board, const MoveRecord& move,
                    MaterialTally& after);
// Leaves the counters, totals, piece lists and king squares as CountMaterial would.
void UseTally(const MaterialTally& tally);
// Evaluate for a ply (not 0) whose material is already tallied.
void EvaluateTallied(int ply, const MaterialTally& tally);
// CountMaterial, then every positional term; the result in WhiteTotal/BlackTotal.
void Evaluate(int ply);
// Closeness to the enemy king, added to the side's total.
void KingTropism(std::string_view side, int rank, int file);

} // namespace corvane
