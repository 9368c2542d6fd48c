#pragma once
// Game-level state shared by the rules core, the computer player and the main
// window. Plain values with their start-up contents; the main window owns their
// meaning, the core reads (and sometimes writes) them.
#include <cstdint>
#include <string>

namespace corvane {

// --- Owned by the game controller (main window) ---------------------------------

// Player mode: "H" two people (or a network game), "CB" computer plays Black,
// "CW" computer plays White, "CCW"/"CCB" computer makes the first move after set-up.
extern std::string GameMode; // "H" at start-up
// "W" or "B"; "A" before the first game (a piece of either colour may be picked).
extern std::string SideToMove;
// 1 "Iniciante", 2 "Intermediário", 3 "Avançado".
extern std::int16_t Level; // 2
// Mode number of the current game (the argument of NovoJogo: 1, 2 or 3).
extern std::int16_t PlayerOption; // 1
// Orientation of the board view; a flip of the view toggles it.
extern bool WhiteAtBottom; // true
// Outcome of the last committed move ("", "XEQUE", "XEQUE-MATE", "STALEMATE",
// "EMPATE"; the computer player's "CHECK", "DRAW"). The legality test also leaves
// its reason texts here.
extern std::string GameStatus;
// True after a saved game was opened, until the next new game.
extern bool LoadedGame;
// Side to move read from an opened saved game: 0 White, 1 Black.
extern std::int16_t LoadedSide;
// Sounds on or off (setting "SOM", true by default).
extern bool SoundOn;
// The move text being built or last made, for example "WP e2-e4" or "BN g8xf6".
extern std::string CurrentMove;
// Index of the current move-list entry; -1 before the first move.
extern std::int32_t ListCursor;
// From-to part of the first entries of the game, each followed by a blank
// ("e2-e4 e7-e5 "); the opening book reads it.
extern std::string OpeningLine;

// --- Owned by the rules core ----------------------------------------------------

// Move number read from the last field of a loaded position string.
extern std::int32_t LoadedMoveNumber;
// Move numbers read from a position string or a FEN are held within
// -MaxMoveNumber..MaxMoveNumber, so that counting on from them cannot overflow.
constexpr std::int32_t MaxMoveNumber = 100000000;
// "Q" after the legality test examined a promotion; otherwise the piece letter
// picked in the promotion chooser.
extern std::string PromotionChoice;

// Puts every variable above back to its start-up value (tests, new process state).
void ResetGameState();

} // namespace corvane
