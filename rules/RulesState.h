#pragma once
// The rules core's shared state as a value: taken at one moment, put back at
// another. A legality probe, a mate or stalemate test, a notation writer or a
// take-back works on the shared variables and leaves them as it found them
// through these.
#include <array>
#include <cstdint>
#include <string>

#include "rules/ModChecker.h"

namespace corvane {

// What a move test reports besides the board: the squares of the move last
// tested, the sides, the in-check flags, the attacker found, GameStatus and
// PromotionChoice.
struct RulesResults {
    std::int32_t fromRank = 0, fromFile = 0, toRank = 0, toFile = 0;
    Side moverSide, opponentSide;
    bool whiteInCheck = false, blackInCheck = false;
    std::int32_t attackerKind = 0, attackerRank = 0, attackerFile = 0;
    bool enPassantAttack = false;
    std::string gameStatus, promotionChoice;

    static RulesResults Take();
    void PutBack() const;
};

// The whole shared state: every ply of Board and its flags, the saved flags,
// the king squares, the mate board and attackers, the piece counts, and the
// results above.
struct RulesState {
    std::array<PlyBoard, MaxDepth + 1> board{};
    std::array<FlagArray, 5> flags{}; // castling (white, black), pawns (white, black), CastleMade
    SavedFlagSet saved;
    std::array<std::int32_t, 4> kings{}; // white rank and file, black rank and file
    PlyBoard mateBoard;
    AttackerList attackers;
    std::array<std::int32_t, 13> pieceCount{};
    std::array<std::int32_t, 3> totals{}; // white, black, both
    RulesResults results;

    static RulesState Take();
    void PutBack() const;
};

// Takes the state (RulesState or RulesResults) when made and puts it back
// when it goes out of scope.
template <typename State> class StateKeeper {
public:
    StateKeeper() : kept_(State::Take()) {}
    ~StateKeeper() { kept_.PutBack(); }
    StateKeeper(const StateKeeper&) = delete;
    StateKeeper& operator=(const StateKeeper&) = delete;

private:
    const State kept_;
};

using RulesStateKeeper = StateKeeper<RulesState>;
using RulesResultsKeeper = StateKeeper<RulesResults>;

} // namespace corvane
