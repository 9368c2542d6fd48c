// Move texts on random positions: the board stays, and only listed legal moves are accepted.
#include "FuzzCheck.h"
#include "rules/Fen.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"

#include <algorithm>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    // Up to the number of moves the first byte says, each chosen by a byte.
    ResetGameState();
    InitSearchArrays();
    InitGameArrays();
    FenPosition start;
    FUZZ_CHECK(LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0, start));
    const int moves = input.Byte() % 64;
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
    const std::string text(input.Rest());

    RulesMoveList white, black;
    ListLegalMoves("W", 0, white);
    ListLegalMoves("B", 0, black);
    const auto boards = Board;
    const bool accepted = IsMoveLegal(text);
    FUZZ_CHECK(Board == boards);
    if (!accepted || WhiteInCheck || BlackInCheck) return 0;
    const RulesMove played{std::uint8_t(FromRank), std::uint8_t(FromFile), std::uint8_t(ToRank),
                           std::uint8_t(ToFile)};
    const RulesMoveList& mover = MoverSide == "B" ? black : white;
    FUZZ_CHECK(std::find(mover.moves.begin(), mover.moves.begin() + mover.count, played) !=
               mover.moves.begin() + mover.count);
    return 0;
}
