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
    const char* const kCastles = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    const char* const kPromotes = "7k/4P1pp/8/8/8/8/8/4K3 w - - 0 1";
    const Row rows[] = {
        {kStart, "WP e2-e4", "e4"},
        {kStart, "WN g1-f3", "Nf3"},
        {kStart, "WB e2-e4", ""},   // no bishop there
        {kStart, "WP e2-e5", ""},   // not a pawn's move
        {kStart, "BP e7-e5", "e5"}, // the mover's colour is the side to move
        {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "WN b1-d2", "Nbd2"},
        {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "WR a1-a3", "R1a3"},
        {"1k6/8/8/8/4Q2Q/8/8/K6Q w - - 0 1", "WQ h4-e1", "Qh4e1"},
        {"1k6/8/8/8/4Q2Q/8/8/K6Q w - - 0 1", "WQ e4-e1", "Qee1"},
        {"4k3/8/8/4b3/8/2N4P/8/K5N1 w - - 0 1", "WN g1-e2", "Ne2"}, // the other knight is pinned
        {"4k3/8/8/4b3/8/2N4P/8/K5N1 w - - 0 1", "WN c3-e2", ""},
        {"4k3/8/8/3p4/2P1P3/8/8/4K3 w - - 0 1", "WP c4xd5", "cxd5"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "WP e5-d6", "exd6"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - - 0 2", "WP e5-d6", ""}, // the right has passed
        {"3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1", "WP e7xd8=WQ", "exd8=Q+"},
        {"3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1", "WP e7xd8=WN", "exd8=N"},
        {kPromotes, "WP e7-e8=Q", "e8=Q#"},
        {kPromotes, "WP e7-e8", "e8=Q#"},
        {kPromotes, "WP e7-e8=WR", "e8=R#"},
        {kPromotes, "WP e7-e8=N", "e8=N"},
        {kPromotes, "WP e7-e8=BQ", ""},
        {"4k3/8/8/8/8/8/1p6/R3K3 b - - 0 1", "BP b2xa1=BN", "bxa1=N"},
        {"4k3/8/8/8/8/8/3P4/4K3 w - - 0 1", "WP d2-d4=Q", ""},
        {kCastles, "WK e1-g1", "O-O"},
        {kCastles, "WK e1-c1", "O-O-O"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "BK e8-g8", "O-O"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w kq - 0 1", "WK e1-g1", ""},
        {"3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", "WK e1-c1", "O-O-O+"},
        {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", "WQ h5xf7",
         "Qxf7#"},
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
