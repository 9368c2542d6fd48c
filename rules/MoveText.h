#pragma once
// Move texts and square names: the one reader and writer of both.
//
// A move text is what the move label shows and the move list records: the
// PieceCode of the mover, a blank, the from-square, "-" (to an empty square)
// or "x" (a capture), the to-square and, for a promotion, "=" followed by the
// new piece, as its PieceCode (the chooser's "=WQ") or as its kind letter (the
// computer's "=Q"): "WP e2-e4", "BN g8xf6", "WP e7-e8=WQ". A castling is the
// king's move, "WK e1-g1". The coordinate part "e2-e4" is the opening book's
// move string; "e2e4" and "e7e8q" are the same moves in long algebraic form.
// Square names are a lower-case file letter and a rank digit ("e2").
#include <string>
#include <string_view>

#include "rules/ModChecker.h"

namespace corvane {

// "e2" for rank 2, file 5; "" for a square off the board.
std::string SquareName(int rank, int file);
// The name of square image index 0..63 (0 = a8, 63 = h1); "" outside.
std::string SquareNameOfImage(int index);
// Rank and file of a square name of exactly two characters; false, with
// nothing written, for anything else.
bool ReadSquareName(std::string_view name, int& rank, int& file);

struct MoveText {
    PieceIndex piece = Empty; // the mover; Empty in a coordinate or long algebraic text
    int fromRank = 0, fromFile = 0, toRank = 0, toFile = 0;
    bool capture = false;  // "x"
    std::string promotion; // what follows "=": "", a kind letter ("Q") or a PieceCode ("WQ")
    bool operator==(const MoveText&) const = default;
};

// Reads a move text: exactly "XX a1-b2" (XX one of the twelve PieceCodes,
// ASCII only, "-" or "x"), optionally followed by "=" and a kind letter R, N,
// B, Q or a PieceCode of one of those kinds. Refuses anything else.
bool ParseMoveText(std::string_view text, MoveText& out);
// The same after the blanks around the text are dropped and the letters put in
// their expected case ("wp E2-E4 " reads as "WP e2-e4").
bool ParseMoveTextLoosely(std::string_view text, MoveText& out);
// The text of a move; a mover that is not a piece gives "".
std::string FormatMoveText(const MoveText& move);
// The coordinate part, "e2-e4" or "e4xd5".
std::string CoordinateText(const MoveText& move);
// Reads a coordinate text, exactly "a1-b2" or "a1xb2".
bool ParseCoordinateText(std::string_view text, MoveText& out);

// The piece a promotion text asks for: a kind letter takes the mover's colour.
// Empty when the text promotes nothing (or names no piece).
PieceIndex PromotedPieceOf(const MoveText& move);

enum class Castling { None, KingSide, QueenSide };
// Which castling a move text is: "WK e1-g1" and "BK e8-g8" the king side,
// "WK e1-c1" and "BK e8-c8" the queen side.
Castling CastlingOf(std::string_view moveText);

// "e2e4", with the promotion's kind letter in lower case ("e7e8q").
std::string LongAlgebraicOf(const MoveText& move);
// Reads "e2e4" or "e7e8q" (promotion letter r, n, b or q); the letter becomes
// an upper-case kind letter in promotion.
bool ParseLongAlgebraic(std::string_view text, MoveText& out);

} // namespace corvane
