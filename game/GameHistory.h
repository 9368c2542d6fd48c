#pragma once
// The moves of the game being played, with what a take-back needs to put the
// game back as it stood before each of them, and the moves taken back that a
// redo plays again.
#include <QString>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/ModCompMove.h"
#include "rules/ModChecker.h"
#include "rules/RulesState.h"

namespace corvane {

// The whole state of a game at one moment, as far as a move changes it.
struct GameSnapshot {
    // Rules core and game level.
    RulesState rules;
    std::string sideToMove, gameMode, openingLine;
    std::int32_t listCursor = -1;
    std::int32_t longestThinkTime = 0;
    std::int32_t promotedPiece = -1;
    // The computer player's memory of the game: the repetition history, the
    // level's switches, its random draws.
    std::array<PlyBoard, 13> positionHistory{};
    std::int32_t historyIndex = 1;
    bool skipSearch = false;
    std::int32_t searchDepth = 4, directionSwitch = 1, movesGenerated = 0;
    std::int32_t knightWeight = 1, bishopWeight = 1;
    RandomSource random;
    // What the window shows.
    std::array<std::string, 64> tags{};
    std::vector<QString> entries;
    QString timeLabel;
    std::array<int, 10> captured{};
    qint64 whiteTime = 0, blackTime = 0;
    bool clockRunning = false;
    bool boardEnabled = true, toolbarEnabled = true;
    bool waitingForPeer = false, gameEnded = false;
};

class GameHistory {
public:
    struct Entry {
        std::string moveText; // the game's own text: "WP e2-e4", "BK e8-g8", "WP e7-e8=WQ"
        bool byComputer = false;
        // The game before the move; none for a move that cannot be taken back.
        std::optional<GameSnapshot> before;
    };

    // A new start of play: no moves, nothing to redo.
    void Clear();
    // A move was played; what was taken back can no longer be redone.
    void Record(Entry entry);
    const std::vector<Entry>& Moves() const { return moves_; }
    std::string LastMove() const { return moves_.empty() ? std::string() : moves_.back().moveText; }

    // How many of the last moves one take-back removes: the computer's replies
    // and the person's move before them. 0 when no person's move can be taken back.
    int TakeBackCount() const;
    // Takes them back; `now` is the game as it stands, kept for the redo.
    // Returns the game before the earliest of them.
    GameSnapshot TakeBack(GameSnapshot now);
    bool CanRedo() const { return !redo_.empty(); }
    // Takes back the last n moves whatever made them, with nothing to redo:
    // the game before the earliest; nullopt, nothing changed, when one of
    // them cannot be taken back.
    std::optional<GameSnapshot> TakeBackLast(int n);
    // The moves last taken back, played again: returns the game after them.
    GameSnapshot Redo();

private:
    struct Undone {
        std::vector<Entry> moves;
        GameSnapshot after;
    };
    std::vector<Entry> moves_;
    std::vector<Undone> redo_;
};

} // namespace corvane
