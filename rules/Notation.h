#pragma once
// Standard algebraic notation of the game's own move texts, for taking a game
// out of the program ("Nf3", "exd6", "O-O-O+", "bxa8=N#").
//
// Everything here works through the rules core's own legality and check tests
// and may run while a game is in progress (even while the computer thinks):
// the whole shared state of the core is kept and put back.
#include <array>
#include <string>
#include <string_view>

#include "rules/ModChecker.h"
#include "rules/MoveText.h"

namespace corvane {

// Takes a copy of the rules core's whole shared state (every ply of Board and
// its flags, the saved flags, the results of the move tests, the king squares,
// the counters, GameStatus and PromotionChoice) and puts it back when it goes
// out of scope.
class RulesStateKeeper {
public:
    RulesStateKeeper();
    ~RulesStateKeeper();
    RulesStateKeeper(const RulesStateKeeper&) = delete;
    RulesStateKeeper& operator=(const RulesStateKeeper&) = delete;

private:
    std::array<PlyBoard, MaxDepth + 1> board_;
    std::array<FlagArray, 5> flags_;
    SavedFlagSet saved_;
    std::array<std::int32_t, 11> numbers_; // squares, king squares, attacker
    std::array<bool, 3> bools_;            // in-check flags, EnPassantAttack
    std::array<std::string, 4> texts_;     // sides, GameStatus, PromotionChoice
    PlyBoard mateBoard_;
    AttackerList attackers_;
    std::array<std::int32_t, 13> pieceCount_;
    std::array<std::int32_t, 3> totals_;
};

// The SAN of a move text ("WP e2-e4", "BK e8-c8", "WP e7-e8=WN", "BP b2-b1=Q")
// on the position at a ply (below MaxDepth: the next ply is used to test the
// check), the mover's colour being the side to move. A pawn reaching the last
// rank without a piece named becomes a queen. "" when the text is not a legal
// move there. The rules state is left as it was.
std::string SanOf(std::string_view moveText, int ply);

namespace detail {
// SanOf on a parsed move, without keeping the state: the position after the
// move is left at ply + 1 (board, flags and counters). "" for an illegal move.
std::string SanPlayingInto(const MoveText& move, int ply);
} // namespace detail

} // namespace corvane
