#pragma once
// Whether a position could have come from a game, for positions the program
// is handed from outside (a saved game, a FEN): play on a position no game can
// reach gives wrong answers (a king that cannot escape is not mated when the
// kings touch, a side starts in check although it has just moved).
#include <string_view>

#include "rules/ModChecker.h"

namespace corvane {

enum class PositionFault {
    None,
    KingCount,      // not exactly one king of each colour
    KingsTouching,  // the kings stand on neighbouring squares
    WaitingInCheck, // the side that is not to move stands in check
    PawnOnEndRank,  // a pawn on the first or the last rank
};

// The first fault of the board, in the order above, with sideToMove ("W" or
// "B") to play. The rules state is left as it was.
PositionFault FindPositionFault(const PlyBoard& board, std::string_view sideToMove);

} // namespace corvane
