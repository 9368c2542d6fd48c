// Move texts on random positions: the board stays, and only listed legal moves are accepted.
#include "FuzzPosition.h"

#include <algorithm>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    fuzz::PlayRandomLegalMoves(input, 64);
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
