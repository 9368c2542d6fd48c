#pragma once
// What a peer that follows the game's design announces with its move: its own
// check, checkmate, stalemate and draw tests, written here apart from the
// program's rules core. Its checkmate test looks at the checking piece nearest
// the king only, tries captures before blocks and does not try a block once a
// capture is possible: it may call a parried check mate, and miss a mate.
// Positions without an en-passant chance.
#include "support/ReferenceRules.h"

#include <string>

namespace corvane::nettest {

// The design's checkmate test for the side to move of p.
bool DesignCheckmate(const reftest::Position& p);
// The status word the design's mover sends after its move, p being the
// position after it (the other side to move): "XEQUE", "XEQUE-MATE",
// "STALEMATE", "EMPATE" or "".
std::string DesignStatus(const reftest::Position& p);

} // namespace corvane::nettest
