#include "game/GameHistory.h"

#include "engine/ModScoreArrays.h"
#include "game/frmMain.h"
#include "rules/GameState.h"

namespace corvane {

namespace {

std::array<FlagArray*, 5> FlagArrays() {
    return {&WhiteCastleFlags, &BlackCastleFlags, &WhitePawnFlags, &BlackPawnFlags, &CastleMade};
}

} // namespace

void KeepCoreState(GameSnapshot& s) {
    s.board = Board;
    for (std::size_t i = 0; i < s.flags.size(); ++i) s.flags[i] = *FlagArrays()[i];
    s.sideToMove = SideToMove;
    s.gameMode = GameMode;
    s.gameStatus = GameStatus;
    s.openingLine = OpeningLine;
    s.listCursor = ListCursor;
    s.promotedPiece = PromotedPiece;
    s.longestThinkTime = LongestThinkTime;
    s.positionHistory = PositionHistory;
    s.historyIndex = HistoryIndex;
    s.skipSearch = SkipSearch;
    s.searchDepth = SearchDepthSetting;
    s.directionSwitch = DirectionSwitch;
    s.movesGenerated = MoveCountPly[0];
    s.knightWeight = KnightWeight;
    s.bishopWeight = BishopWeight;
    s.random = Random();
}

void PutBackCoreState(const GameSnapshot& s) {
    Board = s.board;
    for (std::size_t i = 0; i < s.flags.size(); ++i) *FlagArrays()[i] = s.flags[i];
    SideToMove = s.sideToMove;
    GameMode = s.gameMode;
    GameStatus = s.gameStatus;
    OpeningLine = s.openingLine;
    ListCursor = s.listCursor;
    PromotedPiece = s.promotedPiece;
    LongestThinkTime = s.longestThinkTime;
    PositionHistory = s.positionHistory;
    HistoryIndex = s.historyIndex;
    SkipSearch = s.skipSearch;
    SearchDepthSetting = s.searchDepth;
    DirectionSwitch = s.directionSwitch;
    MoveCountPly[0] = s.movesGenerated;
    KnightWeight = s.knightWeight;
    BishopWeight = s.bishopWeight;
    Random() = s.random;
}

void GameHistory::Clear() {
    moves_.clear();
    redo_.clear();
}

void GameHistory::Record(Entry entry) {
    moves_.push_back(std::move(entry));
    redo_.clear();
}

int GameHistory::TakeBackCount() const {
    int count = 0;
    for (auto it = moves_.rbegin(); it != moves_.rend(); ++it) {
        ++count;
        if (!it->byComputer) return it->before ? count : 0;
    }
    return 0;
}

GameSnapshot GameHistory::TakeBack(GameSnapshot now) {
    const int count = TakeBackCount();
    Undone undone{{moves_.end() - count, moves_.end()}, std::move(now)};
    moves_.resize(moves_.size() - count);
    GameSnapshot before = *undone.moves.front().before;
    redo_.push_back(std::move(undone));
    return before;
}

std::optional<GameSnapshot> GameHistory::TakeBackLast(int n) {
    if (n < 1 || std::size_t(n) > moves_.size()) return std::nullopt;
    const auto first = moves_.end() - n;
    for (auto it = first; it != moves_.end(); ++it)
        if (!it->before) return std::nullopt;
    GameSnapshot before = std::move(*first->before);
    moves_.erase(first, moves_.end());
    redo_.clear();
    return before;
}

GameSnapshot GameHistory::Redo() {
    Undone undone = std::move(redo_.back());
    redo_.pop_back();
    for (Entry& entry : undone.moves) moves_.push_back(std::move(entry));
    return std::move(undone.after);
}

} // namespace corvane
