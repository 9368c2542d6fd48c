#pragma once
// pgn-extract, an independent chess program, as a referee of the FEN the game
// writes: it replays PGN text and gives the FEN after each game's last move.
#include <string>
#include <vector>

namespace reftest {

// The FEN after the last move of each game of the PGN text, in order, with the
// en-passant square only where a pawn can take there. False, with the reason
// in error, when pgn-extract is missing or fails.
bool PgnExtractFinalFens(const std::string& pgn, std::vector<std::string>& fens,
                         std::string& error);

} // namespace reftest
