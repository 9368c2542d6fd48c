#pragma once
// The main window's calls into the computer player, in one place.
#include <string>

namespace corvane {

// Window creation: evaluation tables, opening book, material scale.
void ComputerStartUp();
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
// Asks a running search to stop as soon as it can (the window closes).
void ComputerStop();

} // namespace corvane
