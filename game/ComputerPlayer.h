#pragma once
// The main window's calls into the computer player, in one place.
#include <string>

#include "rules/SquareImages.h"

namespace corvane {

// Window creation: evaluation tables, opening book, material scale, the view the
// computer player draws on.
void ComputerStartUp(SquareImages& view);
// The window goes: the computer player forgets its view.
void ComputerShutDown(SquareImages& view);
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
