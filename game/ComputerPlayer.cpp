#include "game/ComputerPlayer.h"

#include "engine/ModCompMove.h"
#include "engine/ModScoreArrays.h"

namespace corvane {

void ComputerStartUp() {
    LoadScoreTables();
    MaterialScale = 10;
    StopSearch = false;
}

void ComputerNewGame() {
    ResetComputerForNewGame();
}

void ComputerToggleSkipSearch() {
    SkipSearch = !SkipSearch;
}

void ComputerStartFromSetUp() {
    HistoryIndex = 1;
}

void ComputerHumanMoved() {
    MoveCountPly[0] = 0;
}

void ComputerPlay(int ply) {
    CurrentMove.clear();
    ComputerMove(static_cast<std::int16_t>(ply));
}

void ComputerStop() {
    StopSearch = true;
}

} // namespace corvane
