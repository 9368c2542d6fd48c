#pragma once
// Standard FEN text to and from one ply of the board model, for tests, the
// perft tool and the text front end of the computer player.
//
// Castling rights map onto the castle flags of the ply: a missing "K" ("k") sets
// the king-side rook entry 1 of White (Black), a missing "Q" ("q") the
// queen-side entry 2; a colour with neither right has its king entry 0 = 1,
// otherwise 0. The en-passant square sets the double-step file (entry 1 of the
// pawn flags) of the side that has just moved.
#include <string>
#include <string_view>

namespace corvane {

struct FenPosition {
    std::string sideToMove = "W"; // "W" or "B"
    int halfmoveClock = 0;
    int fullmoveNumber = 1;
};

// Loads the FEN into Board[ply] and the five flag arrays at that ply (all other
// flags of the ply zero), records the king squares and recounts the pieces.
// Returns false, leaving the ply untouched, when the text is not a well-formed
// FEN (the two move counters may be missing).
bool LoadFen(std::string_view fen, int ply, FenPosition& out);
// The FEN of a ply, with castling and en passant read back from its flags; the
// en-passant square is written only when a pawn of the side to move can take there.
std::string FenOf(int ply, std::string_view sideToMove, int halfmoveClock = 0,
                  int fullmoveNumber = 1);

} // namespace corvane
