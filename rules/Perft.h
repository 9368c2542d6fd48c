#pragma once
// Move-path counting through the legality test alone (promotions count once, as
// a queen): the standard check of a move generator against published totals.
#include <cstdint>
#include <string_view>
#include <vector>

#include "rules/ModChecker.h"

namespace corvane {

// Leaf count of the move tree of the given depth from the position at a ply,
// side to move "W" or "B". Uses plies ply .. ply + depth of Board and the flag
// arrays (ply + depth must not exceed MaxDepth); the position at the ply is left
// as it was. The piece counters are recomputed along the way.
std::uint64_t Perft(std::string_view side, int ply, int depth);

struct PerftRootCount {
    RulesMove move;
    std::uint64_t nodes = 0;
};
// The same, split by root move in the order the moves are listed.
std::vector<PerftRootCount> PerftDivide(std::string_view side, int ply, int depth);

} // namespace corvane
