// Standard algebraic notation of the game's own move texts.
#include <gtest/gtest.h>

#include "RulesTestSupport.h"
#include "rules/Notation.h"

using namespace corvane;

namespace {

// Values no test of the position would leave: the writer must put them back.
void Scribble() {
    Board[1].squares.fill(BlackQueen);
    WhitePawnFlags[1] = {7, 7, 7, 7};
    SavedFlags.CastleMade[MaxDepth + 1] = {9, 9, 9, 9};
    GameStatus = "XEQUE";
    PromotionChoice = "N";
    MoverSide = OpponentSide = "?";
    WhiteInCheck = BlackInCheck = true;
    FromRank = ToFile = 77;
    PieceCount[CountSlot(WhiteQueen)] = 5;
}

TEST(Notation, SanOfMoveTexts) {
    struct Row {
        const char* fen;
        const char* move;
        const char* san; // "" for a move that is not legal there
    };
    const char* const kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const char* const kPromotes = "7k/4P1pp/8/8/8/8/8/4K3 w - - 0 1";
    // The written forms are checked on random games by the PGN test's independent
    // reader; here the texts refused, and the forms random games seldom reach.
    const Row rows[] = {
        {kStart, "WB e2-e4", ""},   // no bishop there
        {kStart, "WP e2-e5", ""},   // not a pawn's move
        {kStart, "BP e7-e5", "e5"}, // the mover's colour is the side to move
        {"4k3/8/8/4b3/8/2N4P/8/K5N1 w - - 0 1", "WN g1-e2", "Ne2"}, // the other knight is pinned
        {"4k3/8/8/4b3/8/2N4P/8/K5N1 w - - 0 1", "WN c3-e2", ""},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - - 0 2", "WP e5-d6", ""}, // the right has passed
        {kPromotes, "WP e7-e8", "e8=Q#"},
        {kPromotes, "WP e7-e8=N", "e8=N"},
        {kPromotes, "WP e7-e8=BQ", ""},
        {"4k3/8/8/8/8/8/3P4/4K3 w - - 0 1", "WP d2-d4=Q", ""},
        {"r3k2r/8/8/8/8/8/8/R3K2R w kq - 0 1", "WK e1-g1", ""},
        {"3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", "WK e1-c1", "O-O-O+"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.fen) + " " + row.move);
        rulestest::Setup(row.fen);
        Scribble();
        const rulestest::ModelSnapshot before;
        EXPECT_EQ(SanOf(row.move, 0), row.san);
        EXPECT_TRUE(before.AllEqual());
    }
    EXPECT_EQ(SanOf("WP e2-e4", MaxDepth), ""); // no ply above it to test the check in
    EXPECT_EQ(SanOf("WP e2-e4", -1), "");
}

} // namespace
