#pragma once
// A small, deliberately plain move generator written independently of the rules
// core (own board, own FEN reader, own make-move), used to cross-check the core's
// legal-move sets. Promotions are generated once, as a queen.
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
    bool operator<(const Move& o) const { return from != o.from ? from < o.from : to < o.to; }
    bool operator==(const Move& o) const = default;
};

bool ParseFen(const std::string& fen, Position& out);
bool IsAttacked(const Position& p, int square, bool byWhite);
bool InCheck(const Position& p, bool white);
std::vector<Move> LegalMoves(const Position& p);
Position Play(const Position& p, const Move& m);
std::string SquareName(int square);

// Positions of random games from a start, one per half-move (the start included).
std::vector<Position> RandomGame(const Position& start, std::mt19937& random, int maxPlies);

} // namespace reftest
