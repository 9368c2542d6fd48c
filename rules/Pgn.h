#pragma once
// Taking the game out: the whole game as PGN text, the current position as FEN.
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The FEN of the standard starting position.
inline constexpr std::string_view StandardStartFen =
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

struct PgnGame {
    // Tag values; an empty one is written as unknown ("?", the date "????.??.??").
    std::string event, site, date, round, white, black;
    // "1-0", "0-1", "1/2-1/2" or "*"; anything else: read from the final position
    // (a mate wins, a stalemate or too little material draws, otherwise "*").
    std::string result;
    // The position play started from (StartPositionFen when the game began).
    std::string startFen = std::string(StandardStartFen);
    // The game's own move texts in playing order ("WP e2-e4", "BK e8-g8", ...).
    std::vector<std::string> moves;
};

struct PgnText {
    std::string text;
    // False when a move text is not a legal move of its position: the text then
    // holds the game up to that move, with the result "*". False with no text
    // when the start position is not a FEN.
    bool complete = false;
    int movesWritten = 0;
};

// The game as PGN: the seven tags, SetUp and FEN when the game did not start
// from the standard position, the moves in standard algebraic notation with
// their numbers (Black's first move as "12... Nf6"), the result; no line
// reaches 80 characters. The rules state is left as it was.
PgnText WritePgn(const PgnGame& game);

// The FEN of the position the game has reached: its moves played from its start,
// the half-move clock counted on from the start's over the moves, the side to
// move and the full-move number after them. Empty when a move is not legal in
// its position. The rules state is left as it was.
std::string GameEndFen(const PgnGame& game);

// Full-move numbers of the game. LoadedMoveNumber counts the half-moves that
// were played before the position play started from.
int StartFullmoveNumber();
// After movesPlayed half-moves from that start, with sideToMove to play now.
int CurrentFullmoveNumber(std::string_view sideToMove, int movesPlayed);

// The FEN of ply 0 as play starts, with sideToMove to play (for PgnGame::startFen).
std::string StartPositionFen(std::string_view sideToMove);
// The FEN of the game's current position: ply 0, castling and en passant from its
// flags, sideToMove to play after movesPlayed half-moves of this game.
std::string CurrentPositionFen(std::string_view sideToMove, int movesPlayed, int halfmoveClock = 0);

} // namespace corvane
