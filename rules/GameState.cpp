#include "rules/GameState.h"

namespace corvane {

std::string GameMode = "H";
std::string SideToMove = "A";
std::int16_t Level = 2;
std::int16_t PlayerOption = 1;
bool WhiteAtBottom = true;
std::string GameStatus;
bool LoadedGame = false;
std::int16_t LoadedSide = 0;
bool SoundOn = true;
std::string CurrentMove;
std::int32_t ListCursor = -1;
std::string OpeningLine;

std::int32_t LoadedMoveNumber = 0;
std::string PromotionChoice;

void ResetGameState() {
    GameMode = "H";
    SideToMove = "A";
    Level = 2;
    PlayerOption = 1;
    WhiteAtBottom = true;
    GameStatus.clear();
    LoadedGame = false;
    LoadedSide = 0;
    SoundOn = true;
    CurrentMove.clear();
    ListCursor = -1;
    OpeningLine.clear();
    LoadedMoveNumber = 0;
    PromotionChoice.clear();
}

} // namespace corvane
