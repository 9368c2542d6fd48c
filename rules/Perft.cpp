#include "rules/Perft.h"

namespace corvane {

namespace {

struct Counters {
    std::array<std::int32_t, 13> count = PieceCount;
    std::int32_t white = WhitePieceTotal, black = BlackPieceTotal, total = PieceTotal;
    void Restore() const {
        PieceCount = count;
        WhitePieceTotal = white;
        BlackPieceTotal = black;
        PieceTotal = total;
    }
};

// Plays a listed move into the next ply: the legality test is run again there so
// that the flags of the next ply carry its side effects, then the move is made.
void PlayIntoNextPly(const RulesMove& move, int ply) {
    Board[ply + 1] = Board[ply];
    CopyPlyFlags(ply, ply + 1);
    FromRank = move.fromRank;
    FromFile = move.fromFile;
    ToRank = move.toRank;
    ToFile = move.toFile;
    MoveBarred(Board[ply + 1][move.fromRank][move.fromFile], ply + 1);
    PlayAcceptedMove(ply + 1);
}

std::uint64_t Count(std::string_view side, int ply, int depth) {
    CountPieces(ply);
    RulesMoveList moves;
    ListLegalMoves(side, ply, moves);
    if (depth == 1) return static_cast<std::uint64_t>(moves.count);
    const Counters counters;
    const std::string_view next = side == "B" ? "W" : "B";
    std::uint64_t nodes = 0;
    for (int i = 0; i < moves.count; ++i) {
        counters.Restore();
        PlayIntoNextPly(moves.moves[i], ply);
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
    const Counters counters;
    const std::string_view next = side == "B" ? "W" : "B";
    for (int i = 0; i < moves.count; ++i) {
        std::uint64_t nodes = 1;
        if (depth > 1) {
            counters.Restore();
            PlayIntoNextPly(moves.moves[i], ply);
            nodes = Count(next, ply + 1, depth - 1);
        }
        result.push_back({moves.moves[i], nodes});
    }
    counters.Restore();
    return result;
}

} // namespace corvane
