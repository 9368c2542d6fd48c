#pragma once
// The test a move of the network peer passes before it touches the board:
// the same legality test a local move passes, on ply 0 as the caller loaded it.
// No windows and no Qt: the board model of the rules core only.
#include <string>

namespace corvane {

// True when move (a "Jogar:" move text) is well formed, moves a piece of the
// peer's colour and is legal on ply 0 of Board, its mover's king not left
// attacked. The board, its flags and the legality results are left as they
// were, whatever the answer.
bool PeerMoveIsLegal(const std::string& move, bool peerIsWhite);

} // namespace corvane
