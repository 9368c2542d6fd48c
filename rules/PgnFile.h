#pragma once
// Reading PGN files: an index of the games a file holds, and the replay of one
// game into its moves and final position.
//
// What is read: tag pairs (the seven-tag roster and any others), move numbers
// ("1.", "1...", "12."), moves in standard notation with English piece letters
// (ReadSan), check marks, "!", "?", "!!", "?!", "!?", "??", NAGs ("$1"), comments
// in braces and after ";" to the end of the line, lines that start with "%",
// variations in parentheses at any depth (skipped), the results "1-0", "0-1",
// "1/2-1/2", "*", and the FEN tag (with or without SetUp) as the start position.
// A file holds any number of games; a game ends at its result, or where the
// next game's tags begin, or at the end of the file.
//
// A file is UTF-8 when all of it is valid UTF-8 (a leading byte-order mark is
// passed over), otherwise Latin-1. Every text taken from the file for the player
// (tag values, the text a failure names) comes out as UTF-8, without control or
// direction-changing characters, and cut to a bounded length.
//
// Hostile files: the size is bounded (MaxPgnFileBytes), the index holds at most
// MaxPgnIndexGames games and a game at most MaxPgnGamePlies half-moves; reading
// is a single pass with counters (no depth the input controls reaches the
// stack), so memory and time grow at most linearly with the file's size.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rules/MoveText.h"

namespace corvane {

// Larger files are refused before they are read: 64 MiB holds some 60,000
// games of ordinary length (about 1 kB each with their tags).
inline constexpr std::size_t MaxPgnFileBytes = std::size_t{64} << 20;
// The index lists at most this many games (the first ones of the file).
inline constexpr int MaxPgnIndexGames = 10000;
// A longer game is refused.
inline constexpr int MaxPgnGamePlies = 6000;
// Tag values are cut to this many characters, the token a failure names to MaxPgnFailureChars.
inline constexpr std::size_t MaxPgnTagChars = 100;
inline constexpr std::size_t MaxPgnFailureChars = 30;
// Tags past this many in one game are read but not kept.
inline constexpr std::size_t MaxPgnTags = 64;

enum class PgnFault {
    None,
    FileTooLarge,     // more than MaxPgnFileBytes
    FileUnreadable,   // the file could not be opened or read
    NoGames,          // for the caller whose index is empty: nothing in the file looks like a game
    NoSuchGame,       // the game number is not in the index
    BadTag,           // a tag line that is not [Name "value"]
    BadStartPosition, // the FEN tag is not a FEN, or SetUp "1" has no FEN
    ImpossibleStart,  // the FEN names a position no game can reach
    BadText,          // text that is no part of a game (stray characters, an unclosed comment)
    MoveMalformed,    // not a move in standard notation
    NoSuchMove,       // no legal move fits
    AmbiguousMove,    // several legal moves fit
    GameTooLong,      // more than MaxPgnGamePlies half-moves
};

// Where and why a file or a game could not be read.
struct PgnFailure {
    PgnFault fault = PgnFault::None;
    int game = 0;             // 1 for the file's first game; 0 when the file itself failed
    int moveNumber = 0;       // the full-move number of the failed move; 0 before the moves
    bool blackToMove = false; // the failed move was Black's ("12...")
    // The text that failed (UTF-8, cleaned): a token cut to MaxPgnFailureChars,
    // a start position's FEN to MaxPgnTagChars.
    std::string text;
    std::string reason; // for ImpossibleStart, what is wrong ("os reis estão lado a lado")
    // In Portuguese for the player, for example
    // Partida 3, lance 12...: "Cf9" — Lance mal escrito
    std::string Message() const;
};

// One game of the index.
struct PgnGameEntry {
    std::size_t offset = 0, length = 0; // the game's bytes in the file's text
    // Tag values (UTF-8, cleaned, cut; "" when the game has no such tag). The
    // result is the Result tag, or the game's final result marker when it has none.
    std::string event, white, black, date, result;
};

struct PgnIndex {
    std::vector<PgnGameEntry> games; // in file order, at most MaxPgnIndexGames
    bool moreGames = false;          // the file holds more games than the index lists
    bool latin1 = false;             // the file is not valid UTF-8 and is read as Latin-1
};

// Lists the games of a file's text (at most MaxPgnFileBytes of it is looked at).
PgnIndex IndexPgn(std::string_view text);

// One game read and replayed.
struct PgnGameRead {
    std::vector<std::pair<std::string, std::string>>
        tags;                    // in file order, first MaxPgnTags, cleaned
    std::string startFen;        // the position play starts from (FEN tag or the standard start)
    std::vector<MoveText> moves; // in playing order; a promotion always names its piece ("WQ")
    std::string result;          // the result marker ending the moves, "*" when there is none
    std::string finalFen;        // the position after the last move, with both move counters
};

// Reads and replays game number `game` (1-based) of the index made from the same
// text. A promotion written without a piece becomes a queen. On a failure, out
// is left empty and failure says where: the game, the move number and the text.
// The rules core's shared state is left as it was (the replay uses the top plies
// of Board and puts everything back).
bool ReadPgnGame(std::string_view text, const PgnIndex& index, int game, PgnGameRead& out,
                 PgnFailure& failure);

// Reads a whole file into text, refusing one larger than MaxPgnFileBytes.
bool LoadPgnFile(const std::string& path, std::string& text, PgnFailure& failure);

// Plays a legal move of the piece on its from-square on the position at the ply
// (below MaxDepth), in place: Board[ply], its flags and the piece counters (ply + 1
// is used on the way). A pawn reaching the last rank becomes the piece the move
// names, a queen when it names none. False, with the ply unchanged, when the move
// is not legal there, its mover is not the piece on the square, or its promotion
// does not fit. Whose turn it is is the caller's business. Every move of a
// replay goes through here.
bool PlayReadMove(const MoveText& move, int ply);

} // namespace corvane
