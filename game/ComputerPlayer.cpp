#include "game/ComputerPlayer.h"

#include "engine/ModCompMove.h"
#include "engine/ModScoreArrays.h"

namespace corvane {

void ComputerStartUp(SquareImages& view) {
    LoadScoreTables();
    MaterialScale = 10;
    StopSearch = false;
    SetComputerView(&view);
}

void ComputerShutDown(SquareImages& view) {
    if (&ComputerView() == &view) SetComputerView(nullptr);
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
