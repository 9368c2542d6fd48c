#pragma once
// The main window's view of the computer player: the few calls of the computer
// turn and of a new game, in one place.
#include <string>

namespace corvane {

// New game: search switches back to their defaults for the current Level.
void ComputerNewGame();
// Level 1: every second computer move is played without search.
void ComputerToggleSkipSearch();
// Play started from the set-up panel: the computer's history starts again.
void ComputerStartFromSetUp();
// A human move was committed.
void ComputerHumanMoved();
// Chooses and plays the computer's move on the ply; leaves GameStatus and CurrentMove.
void ComputerPlay(int ply);
// PieceCode of the piece the computer's last move captured ("" when none).
std::string ComputerCapturedCode();
// Asks a running search to stop as soon as it can (the window closes).
void ComputerStop();

} // namespace corvane
