#pragma once
// A position reached from the start by random legal moves, for the fuzz
// targets that test moves: the first byte says how many (below maxMoves),
// each following byte which one.
#include "FuzzCheck.h"
#include "rules/Fen.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"

namespace corvane::fuzz {

inline void PlayRandomLegalMoves(Input& input, int maxMoves) {
    ResetGameState();
    InitSearchArrays();
    InitGameArrays();
    FenPosition start;
    FUZZ_CHECK(LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0, start));
    const int moves = input.Byte() % maxMoves;
    bool whiteMoves = true;
    for (int i = 0; i < moves; ++i) {
        RulesMoveList legal;
        ListLegalMoves(whiteMoves ? "W" : "B", 0, legal);
        if (legal.count == 0) break;
        const RulesMove m = legal.moves[input.Byte() % legal.count];
        FromRank = m.fromRank, FromFile = m.fromFile, ToRank = m.toRank, ToFile = m.toFile;
        FUZZ_CHECK(!MoveBarred(Board[0][m.fromRank][m.fromFile], 0));
        PlayAcceptedMove(0);
        CastleMade[0] = PlyFlags{};
        CountPieces(0);
        whiteMoves = !whiteMoves;
    }
}

} // namespace corvane::fuzz
