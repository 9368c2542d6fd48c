#pragma once
// A plain move generator independent of the rules core and the computer player, to cross-check
// their legal moves, mates and written games. Promotions are queens unless all four are asked for.
#include <array>
#include <random>
#include <string>
#include <vector>

namespace reftest {

struct Position {
    std::array<char, 64> square{}; // rank * 8 + file, both 0-based; '.' empty
    bool whiteToMove = true;
    bool castle[4] = {false, false, false, false}; // K Q k q
    int epSquare = -1;                             // square a pawn may move to en passant
};

struct Move {
    int from = 0, to = 0;
    char promotion = 0; // 'Q', 'R', 'B' or 'N' for a promotion; 0 promotes to a queen
    bool operator<(const Move& o) const {
        return from != o.from ? from < o.from : to != o.to ? to < o.to : promotion < o.promotion;
    }
    bool operator==(const Move& o) const = default;
};

bool ParseFen(const std::string& fen, Position& out);
bool IsAttacked(const Position& p, int square, bool byWhite);
bool InCheck(const Position& p, bool white);
std::vector<Move> LegalMoves(const Position& p, bool allPromotions = false);
Position Play(const Position& p, const Move& m);
std::string SquareName(int square);

// Positions of random games from a start, one per half-move (the start included).
std::vector<Position> RandomGame(const Position& start, std::mt19937& random, int maxPlies);

// The side to move forces mate in at most n moves, promoting to a queen only (as
// the computer does) while the defender may choose any piece.
bool MatesIn(const Position& p, int n);
// p follows the attacker's n-th move from the end: every defence loses.
bool DefenderLost(const Position& p, int n);

} // namespace reftest
