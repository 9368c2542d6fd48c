// Storage of the computer player's shared state, the random draws and the board
// view it works with.
#include <chrono>

#include "engine/ModCompMove.h"
#include "engine/ModScoreArrays.h"
#include "rules/CoreHooks.h"

namespace corvane {

std::array<SideMoveList, 2> MoveList{};
std::array<std::int32_t, 101> MoveCountPly{};
std::array<std::int32_t, MoveListCapacity + 1> OrderScore{};
std::array<DepthSnapshot, MoveListDepths + 1> SnapshotBoards{};
std::int32_t SearchDepthSetting = 4;
bool SkipSearch = false;
std::int32_t DirectionSwitch = 1;
std::array<PlyBoard, 13> PositionHistory{};
std::int32_t HistoryIndex = 1;
bool StopSearch = false;
std::int32_t LastFromRank = 0, LastFromFile = 0, LastToRank = 0, LastToFile = 0;
std::int32_t LastCaptured = 0;
std::int64_t MoveBarredCalls = 0;
std::int64_t EvaluationCount = 0;
std::int64_t SearchNodes = 0;
std::array<std::string, 81> OpeningBook{};

void ResetComputerForNewGame() {
    SkipSearch = false;
    SearchDepthSetting = 4;
    DirectionSwitch = Level == 3 ? 0 : 1;
}

// --- Window events during a search ----------------------------------------------------

namespace {

std::int64_t SteadyMicros() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(now).count();
}

SearchClock pumpClock = SteadyMicros;
std::int64_t lastPump = 0;

} // namespace

void SetSearchClock(SearchClock clock) {
    pumpClock = clock != nullptr ? clock : SteadyMicros;
    lastPump = 0;
}

void LetEventsRunNow() {
    Hooks().LetEventsRun();
    lastPump = pumpClock();
}

bool LetEventsRunWhenDue() {
    if (pumpClock() - lastPump < EventPumpMicros) return false;
    LetEventsRunNow();
    return true;
}

// --- Random draws ---------------------------------------------------------------

void RandomSource::Seed(std::uint32_t seed) {
    state_ = seed & 0xFFFFFFu;
}

void RandomSource::SeedFromClock() {
    if (fixed_) return;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    // Seconds since midnight with the hundredths, mixed into the state.
    const std::uint32_t t = static_cast<std::uint32_t>((ms % 86400000) / 10);
    state_ = (state_ ^ (t * 2654435761u)) & 0xFFFFFFu;
}

void RandomSource::FixSeed(std::uint32_t seed) {
    fixed_ = true;
    fixedSeed_ = seed;
    Seed(seed);
}

void RandomSource::ReleaseSeed() {
    fixed_ = false;
}

float RandomSource::Next() {
    state_ = (state_ * 1140671485u + 12820163u) & 0xFFFFFFu;
    return static_cast<float>(state_) / 16777216.0f;
}

RandomSource& Random() {
    static RandomSource source;
    return source;
}

// --- Board view -------------------------------------------------------------------

void TakeGamePosition(int ply) {
    if (ply < 0 || ply > MaxDepth) return;
    Board[ply] = Board[0];
    FindKing("W", WhiteKingRank, WhiteKingFile, ply);
    FindKing("B", BlackKingRank, BlackKingFile, ply);
}

} // namespace corvane
