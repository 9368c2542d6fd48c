#include "rules/Perft.h"

namespace corvane {

namespace {

std::uint64_t Count(std::string_view side, int ply, int depth) {
    CountPieces(ply);
    RulesMoveList moves;
    ListLegalMoves(side, ply, moves);
    if (depth == 1) return static_cast<std::uint64_t>(moves.count);
    const std::string_view next = side == "B" ? "W" : "B";
    std::uint64_t nodes = 0;
    for (int i = 0; i < moves.count; ++i) {
        const RulesMove& m = moves.moves[i];
        PlayIntoNextPly(m.fromRank, m.fromFile, m.toRank, m.toFile, ply);
        nodes += Count(next, ply + 1, depth - 1);
    }
    return nodes;
}

} // namespace

std::uint64_t Perft(std::string_view side, int ply, int depth) {
    if (depth <= 0) return 1;
    if (ply < 0 || ply + depth > MaxDepth) return 0;
    return Count(side, ply, depth);
}

std::vector<PerftRootCount> PerftDivide(std::string_view side, int ply, int depth) {
    std::vector<PerftRootCount> result;
    if (depth <= 0 || ply < 0 || ply + depth > MaxDepth) return result;
    CountPieces(ply);
    RulesMoveList moves;
    ListLegalMoves(side, ply, moves);
    const std::string_view next = side == "B" ? "W" : "B";
    for (int i = 0; i < moves.count; ++i) {
        const RulesMove& m = moves.moves[i];
        std::uint64_t nodes = 1;
        if (depth > 1) {
            PlayIntoNextPly(m.fromRank, m.fromFile, m.toRank, m.toFile, ply);
            nodes = Count(next, ply + 1, depth - 1);
        }
        result.push_back({m, nodes});
    }
    CountPieces(ply);
    return result;
}

} // namespace corvane
