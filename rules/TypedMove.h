#pragma once
// The reader of a move the player types at the board.
//
// It takes:
// - standard notation, as in a game score: "e4", "Nf3", "exd5", "Nbd7", "R1e2",
//   "Qh4xe1", "e8=Q" (or "e8Q"), "exd8=N+", "O-O", "O-O-O", "0-0", "0-0-0",
//   "o-o", with or without "+", "#", "!" and "?";
// - the piece letters in English (K Q R B N) or in Portuguese (R rei, D dama,
//   T torre, B bispo, C cavalo), and P for a pawn in both. "R" is the rook or the
//   king, whichever has a move that fits, and ambiguous when both have one; "B"
//   names the bishop in both languages. The piece letters that are not file
//   letters may also be typed in lower case ("nf3", "ta1", "ke2"; "b", "c" and "d"
//   are files); the promotion letter may be either case ("e8=q", "e8D");
// - coordinates: "e2e4", "e2-e4", "e4xd5", "e7e8q", "E2E4" (upper or lower case),
//   with a promotion letter r, n, b, q or the Portuguese t, c, d.
// Blanks around the text are dropped; any other blank, a control character or a
// letter outside ASCII makes the text malformed, and so does a text longer than
// MaxTypedMoveLength.
#include <cstddef>
#include <string_view>

#include "rules/MoveText.h"
#include "rules/Notation.h"

namespace corvane {

inline constexpr std::size_t MaxTypedMoveLength = 16;

// The legal move of side ("W"/"B") at the ply that the text names, with the
// same contract as ResolveSan: out holds the mover, the squares, the capture
// flag of the game's own move texts and the promotion's PieceCode ("" when the
// text names no piece for a pawn reaching the last rank), and the same state
// left as it was.
// MoveRefusalText gives the player the reason for a refusal.
MoveRefusal ReadTypedMove(std::string_view text, std::string_view side, int ply, MoveText& out);

} // namespace corvane
