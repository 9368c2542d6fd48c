#pragma once
// The computer player: chooses and plays the computer's move.
//
// ComputerMove runs, in this order, the draw test by material, the mate search,
// the opening book and the fixed four-ply alpha-beta search, plays the chosen
// move on the working ply and applies the repetition rule. Results are left in
// GameStatus and CurrentMove and on the working board.
//
// The move generator below is shared with the mate search: the direction
// tables with their two orders, the piece iterator that walks them, and the
// acceptance test of one candidate move.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "rules/ModChecker.h"

namespace corvane {

// --- Generated moves -------------------------------------------------------------

// One generated move, eight one-byte fields.
struct MoveRecord {
    std::uint8_t piece = 0; // moving PieceIndex
    std::uint8_t fromRank = 0;
    std::uint8_t fromFile = 0;
    std::uint8_t toRank = 0;
    std::uint8_t toFile = 0;
    std::uint8_t captured = 0;   // captured PieceIndex, 0 = none
    std::uint8_t givesCheck = 0; // 1 when the enemy king is attacked after the move
    std::uint8_t capture = 0;    // 1 when captured is not 0
    bool operator==(const MoveRecord&) const = default;
};

// No legal position has more than 218 moves; the lists leave room beyond that.
constexpr int MoveListCapacity = 256;
// Depths 1..8 of the move lists (the search uses 1..4).
constexpr int MoveListDepths = 8;

// The moves of one side, [depth 1..8][index 1..MoveListCapacity] (index 0 unused).
using SideMoveList = std::array<std::array<MoveRecord, MoveListCapacity + 1>, MoveListDepths + 1>;

// --- Direction tables -------------------------------------------------------------

// One step of a direction table (rank step, file step); sliders repeat it.
struct DirectionStep {
    std::int8_t rank;
    std::int8_t file;
};

// Order when the direction switch is 1 (levels 1 and 2) and when it is 0 (level 3).
constexpr std::array<DirectionStep, 4> RookDirections{{{0, 1}, {1, 0}, {0, -1}, {-1, 0}}};
constexpr std::array<DirectionStep, 8> KnightDirections1{
    {{-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}, {1, 2}, {2, 1}, {2, -1}, {1, -2}}};
constexpr std::array<DirectionStep, 8> KnightDirections0{
    {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}}};
constexpr std::array<DirectionStep, 4> BishopDirections1{{{-1, -1}, {-1, 1}, {1, 1}, {1, -1}}};
constexpr std::array<DirectionStep, 4> BishopDirections0{{{1, 1}, {1, -1}, {-1, -1}, {-1, 1}}};
constexpr std::array<DirectionStep, 8> QueenDirections1{
    {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}, {0, 1}, {1, 0}, {0, -1}, {-1, 0}}};
constexpr std::array<DirectionStep, 8> QueenDirections0{
    {{0, 1}, {1, 0}, {0, -1}, {-1, 0}, {1, 1}, {1, -1}, {-1, -1}, {-1, 1}}};
// The two two-file steps are castling.
constexpr std::array<DirectionStep, 10> KingDirections{
    {{0, 2}, {0, -2}, {0, 1}, {1, 0}, {0, -1}, {-1, 0}, {1, 1}, {1, -1}, {-1, -1}, {-1, 1}}};
constexpr std::array<DirectionStep, 4> WhitePawnDirections{{{1, 1}, {1, -1}, {1, 0}, {2, 0}}};
constexpr std::array<DirectionStep, 4> BlackPawnDirections{{{-1, 1}, {-1, -1}, {-1, 0}, {-2, 0}}};

// The direction table of a piece kind (1..12) for a switch value, and whether the
// piece slides (steps 1, 2, 3 ... along each direction). Empty for 0.
struct DirectionTable {
    const DirectionStep* steps = nullptr;
    int count = 0;
    bool slides = false;
};
DirectionTable DirectionsOf(int piece, std::int32_t directionSwitch);

// Walks the candidate destinations of one piece in direction-table order. For a
// slider the caller reports a candidate refused before the check test with
// EndDirection(), which moves on to the next direction; knights, kings and pawns
// try each table entry once. Destinations may lie off the board (the acceptance
// test refuses them).
struct PieceMoveIterator {
    PieceIndex piece = 0;
    int fromRank = 0, fromFile = 0;
    DirectionTable table{};
    int direction = 0; // index into the table
    int step = 0;      // last step tried along the direction (sliders)

    void Start(PieceIndex movingPiece, int rank, int file, std::int32_t directionSwitch);
    // The next candidate; false when the piece has no direction left.
    bool Next(int& toRank, int& toFile);
    // The last candidate was refused before the check test.
    void EndDirection();
};

// Outcome of the acceptance test of one candidate.
enum class Candidate {
    Refused,     // off the board, own piece on the target, or refused by MoveBarred
    LeavesCheck, // accepted by MoveBarred but the mover's own king is attacked
    Accepted,    // legal; WhiteInCheck/BlackInCheck tell whether it gives check
};

// The generator's acceptance test of piece's move to (toRank, toFile) at the ply:
// sets FromRank..ToFile and calls MoveBarred. The flags of the ply are saved in
// slot MaxDepth + 2 of SavedFlags and put back afterwards; the board is not
// changed.
Candidate TestCandidate(PieceIndex piece, int fromRank, int fromFile, int toRank, int toFile,
                        int ply);

// Whether the king of the side other than checkingSide is attacked at the ply.
// A missing king shows "No White King in TestForCheck ??" / "No Black King in
// TestForCheck ??" in an "ERROR" box, leaves that text in GameStatus and counts
// as no check.
bool TestForCheck(std::string_view checkingSide, int ply);

// --- Shared state of the computer player ------------------------------------------

// Owned by the computer player.
extern std::array<SideMoveList, 2> MoveList; // [0] White, [1] Black
// Moves generated per depth (1..). Element 0 stands for the game position: the
// commit of a human move sets it to 0 (nothing generated for the new position).
extern std::array<std::int32_t, 101> MoveCountPly;
extern std::array<std::int32_t, MoveListCapacity + 1> OrderScore; // 1..count
// The working board saved before the moves of a depth are tried (with the piece
// counters, so that they keep describing the board after an undo), [depth 1..8].
struct DepthSnapshot {
    PlyBoard board;
    std::array<std::int32_t, 13> counts{};
    std::int32_t whiteTotal = 0, blackTotal = 0, total = 0;
};
extern std::array<DepthSnapshot, MoveListDepths + 1> SnapshotBoards;
// 4 (the four-ply search); set by a new game.
extern std::int32_t SearchDepthSetting;
// While True the search plays the first move of the ordered root list.
extern bool SkipSearch;
// Direction order switch: 0 at level 3, 1 otherwise (set by a new game).
extern std::int32_t DirectionSwitch;
// Repetition rule: board copies in slots 1..12 (the rule uses 1..7) and the next slot.
extern std::array<PlyBoard, 13> PositionHistory;
// The next history slot; a start of play sets it to 1.
extern std::int32_t HistoryIndex;
// Set when the program closes: a running search stops and plays no move.
extern bool StopSearch;

// The last move made by MakeSearchMove: squares and captured piece.
extern std::int32_t LastFromRank, LastFromFile, LastToRank, LastToFile;
extern std::int32_t LastCaptured;
// Counters of the work done (benchmarks): MoveBarred calls from the generator and
// evaluations.
extern std::int64_t MoveBarredCalls;
extern std::int64_t EvaluationCount;
// Moves made by the four-ply search (MakeSearchMove calls).
extern std::int64_t SearchNodes;

// --- Window events during a search ----------------------------------------------------

// Besides the run once per root move, the search lets window events run when
// this much of its time has passed since they last ran: often enough that the
// window answers at once, seldom enough to cost the search next to nothing.
constexpr std::int64_t EventPumpMicros = 5000;
// Lets pending window events run now.
void LetEventsRunNow();
// Lets them run when EventPumpMicros have passed since they last ran; true if they ran.
bool LetEventsRunWhenDue();
// The clock of the pumps, in microseconds (a steady clock unless a test installs
// its own; nullptr restores it).
using SearchClock = std::int64_t (*)();
void SetSearchClock(SearchClock clock);

// --- Random draws -------------------------------------------------------------------

// Uniform single-precision draws in [0, 1) from a 24-bit linear congruential
// generator. SeedFromClock is what the book and the search call before drawing;
// after FixSeed it does nothing, so the draws repeat from the fixed seed.
class RandomSource {
public:
    void Seed(std::uint32_t seed);
    void SeedFromClock();
    void FixSeed(std::uint32_t seed); // Seed() and keep it
    void ReleaseSeed();               // back to the clock
    bool SeedFixed() const { return fixed_; }
    std::uint32_t FixedSeedValue() const { return fixedSeed_; }
    float Next();

private:
    std::uint32_t state_ = 0x50000;
    bool fixed_ = false;
    std::uint32_t fixedSeed_ = 0;
};
RandomSource& Random();

// A working ply becomes the game's position (ply 0); the king squares are
// found there.
void TakeGamePosition(int ply);

// --- Procedures -------------------------------------------------------------------

// Chooses and plays the computer's move on the ply (normally 1).
void ComputerMove(std::int16_t ply);
// The driver's reading of a move that did not come: when ComputerMove left
// "STALEMATE" with no move and the side's king stands in check at the ply,
// the side is mated and GameStatus becomes "XEQUE-MATE".
void NameNoMoveOutcome(std::string_view side, int ply);
// Legal moves of the side at the ply. mode > 0 refills the side's six
// MobilityCount entries; mode 2 stores the moves in the side's MoveList at depth.
std::int32_t GenerateMoves(std::string_view side, int sourcePly, int depth, int mode);
// Snapshot for the depth, then mode-2 generation for the side that moves there
// (computer at odd depths, opponent at even); the count goes to MoveCountPly.
void GenerateAtDepth(std::string_view side, int sourcePly, int depth);
// Plays entry index of the list of the side that moves at the depth.
void MakeSearchMove(std::string_view side, int index, int sourcePly, int depth);
// Undoes the move made at the depth (board, flags, counters from the snapshot).
void UndoSearchMove(int sourcePly, int depth);
void OrderMoves(std::string_view side, int sourcePly, int depth, int count);
// Non-recursive quicksort of entries 1..count of scores and list[depth].
void SortMoves(std::array<std::int32_t, MoveListCapacity + 1>& scores, SideMoveList& list,
               int depth, int count, bool descending);
// Adjusts the score of an opponent move just made; True when it mates the computer.
bool ReplyCheck(std::string_view side, int sourcePly, int index, int depth, int captured,
                std::int32_t& score);
// The four-ply search; True (a move was played) or False.
bool SearchBestMove(std::string_view side, int ply);
bool MakeBESTMove(std::string_view side, int best, int ply);
// CurrentMove for a played move ("WP e2-e4", "BN g8xf6", "WP e7-e8=Q").
void FormatComputerMove(int piece, int fromRank, int fromFile, int toRank, int toFile,
                        int captured);

// What a new game does for the computer player: SkipSearch cleared,
// SearchDepthSetting 4, the direction switch from Level.
void ResetComputerForNewGame();

// The opening book: 80 lines, 1..80.
extern std::array<std::string, 81> OpeningBook;
// Fills the book lines (LoadScoreTables calls it).
void LoadOpeningBook();
bool BlackBookMove(int ply);
bool WhiteBookMove(int ply);
// Plays "e7-e5" from the book when the rules accept it and the target is empty.
bool PlayBookMove(const std::string& moveText, int ply);
// The same for the book of one side ("W"/"B"): a piece of the other colour on the
// from-square is not moved.
bool PlayBookMove(const std::string& moveText, int ply, std::string_view side);

} // namespace corvane
