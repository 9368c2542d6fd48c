#pragma once
// The mate search: before the computer searches normally it looks for a forced
// checkmate, mate in 1 first, then mate in 2, and so on up to the depth it is
// given, with a depth-first AND/OR search over all legal moves. The computer
// (the attacker) needs one move at each of its turns; the defender must be
// mated after every one of its legal replies.
//
// The search works on plies 1..depth of Board, starting from ply 0, which it
// reads but leaves as it is. When it finds a mate it leaves the key move played
// on ply 1 of Board and reports it in GameStatus and CurrentMove.
#include <cstdint>
#include <string_view>

#include "rules/ModChecker.h"

namespace corvane {

// --- Owned by the mate search ------------------------------------------------------

// Set when the last defender level of the try was fully mated (every reply
// answered by a mate). Cleared once at the start of each try.
extern bool FullyMated;

// Tries mate in 1, 2, ... up to (depth + 1) / 2 moves for the side ("W"/"B").
// True (a key move is played on ply 1) or False. movesToMate receives the
// number of moves to mate, or (depth + 1) / 2 when none was found. GameStatus:
// "<move>   XEQUE-MATE" for a mate in 1, "<n> Key move = <move>" (followed by
// "CHECK" when the key move gives check) for a longer mate, "STALEMATE" when
// the side has no legal move, "" otherwise. The piece counters describe ply 1
// after a played key move and are as the caller left them otherwise.
bool MateSearch(std::string_view side, int depth, std::int32_t& movesToMate);

// One try: True when a forced mate in (d + 1) / 2 moves starts with the key
// move left on ply basePly + 1.
bool MateTry(std::string_view side, int basePly, int d);

// The move iterator of one ply: makes the next legal move of mover at the ply
// on Board[ply] (from Board[ply - 1]). mate: the move checkmates the defender;
// exhausted: the ply has no more moves; found: a move was made.
void NextMateMove(std::string_view mover, std::string_view other, int ply, bool& mate,
                  bool& exhausted, bool& found, int d);

// Restores the scan start and zeroes the counters and the piece in progress of
// plies fromPly..d.
void ResetMatePlies(int fromPly, int d);

// The driver looks at the clock every this many passes and lets window events
// run (and tests the stop flag) when they are due (EventPumpMicros). Doing it
// on every pass would cost more than the search itself; the search's result
// does not depend on either number.
constexpr int MateClockInterval = 16;

} // namespace corvane
