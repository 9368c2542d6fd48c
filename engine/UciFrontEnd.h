#pragma once
// The text front end of the computer player: a UCI command loop over any pair
// of streams, perft through the computer's own move generator, and the
// preparation the main window does at start-up.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace corvane {

// What the main window's creation does for the computer player: board arrays,
// tables, book, MaterialScale 10, Level 2 and a new game.
void PrepareComputerPlayer();

// Leaf count of the move tree of the depth (1..7) from ply 0 through
// GenerateMoves (promotions to a queen only). Plies 1..depth are used.
std::uint64_t GeneratorPerft(std::string_view side, int depth);

class UciFrontEnd {
public:
    UciFrontEnd();
    // Reads commands until "quit" or the end of the input.
    void Run(std::istream& in, std::ostream& out);
    // One command line; false after "quit".
    bool Handle(const std::string& line, std::ostream& out);
    // "W" or "B": the side to move in the current position.
    const std::string& SideToMoveNow() const { return side_; }

private:
    void NewGame();
    void SetOption(const std::string& line, std::ostream& out);
    void SetPosition(const std::string& line, std::ostream& out);
    bool ApplyMove(const std::string& uciMove);
    void Go(const std::string& line, std::ostream& out);
    void Perft(int depth, std::ostream& out);

    std::string side_ = "W";
};

// "e2e4", "e7e8q" for a move text such as "WP e2-e4" or "WP e7-e8=Q"; "0000"
// when the text holds no move.
std::string UciMoveOf(const std::string& moveText);

} // namespace corvane
