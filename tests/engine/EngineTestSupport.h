#pragma once
// Shared set-up for the computer player's tests: a fresh computer player and a
// position from FEN at ply 0 (and ply 1, the working ply), the board view in step.
#include <string>

namespace corvane::enginetest {

// PrepareComputerPlayer, then the FEN at plies 0 and 1 with the view drawn.
// ListCursor follows the FEN's move number unless listCursor is given.
// Returns the side to move ("W"/"B").
std::string SetUpPosition(const std::string& fen, int listCursor = -1000);

// Outcome of one computer move.
struct ComputerOutcome {
    std::string move;   // CurrentMove
    std::string status; // GameStatus
};
// ComputerMove for the side to move of the position at the level (1..3), as the
// computer-turn driver runs it; SkipSearch as given (not inverted).
ComputerOutcome PlayComputer(const std::string& fen, int level, bool skipSearch = false);

} // namespace corvane::enginetest
