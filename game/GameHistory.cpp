#include "game/GameHistory.h"

namespace corvane {

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
