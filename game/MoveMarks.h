#pragma once
// What the board marks: the last move's squares, a king in check, and the
// squares the held piece may move to. Everything is found through the rules
// core's own tests on the game's position (ply 0), and the core's shared state
// is left as it was, so the marks may be asked for at any moment of a game.
#include <string>
#include <vector>

#include "game/BoardView.h"
#include "rules/SquareImages.h"

namespace corvane {

// Image indices the piece on image `from` may move to: the drop's own test
// (IsMoveLegal, then the mover's king must not stand attacked). Empty for an
// empty square.
std::vector<int> LegalTargets(int from);

// Image indices of the kings that stand attacked in the game's position.
std::vector<int> KingsInCheck();

// The marks of a position: the last move's text ("" for none; a castling marks
// the king's squares), the kings in check, the held image (-1 for none) with
// its targets.
SquareMarks MarksFor(const std::string& lastMove, int held, const std::vector<int>& targets);

} // namespace corvane
