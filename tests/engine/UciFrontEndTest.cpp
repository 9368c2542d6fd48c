// The UCI front end driven through its text interface.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "engine/ModCompMove.h"
#include "engine/UciFrontEnd.h"

namespace corvane {
namespace {

std::string Send(UciFrontEnd& frontEnd, const std::string& commands) {
    std::istringstream in(commands);
    std::ostringstream out;
    frontEnd.Run(in, out);
    return out.str();
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(UciFrontEnd, HandshakeAndQuit) {
    UciFrontEnd frontEnd;
    const std::string out = Send(frontEnd, "uci\nisready\nquit\nisready\n");
    EXPECT_EQ(out.rfind("id name Corvane\n", 0), 0u);
    EXPECT_TRUE(Contains(out, "\nuciok\n"));
    EXPECT_TRUE(Contains(out, "option name Nivel type spin default 2 min 1 max 3"));
    // One readyok: nothing after quit is read.
    EXPECT_EQ(out.find("readyok"), out.rfind("readyok"));
    EXPECT_TRUE(Contains(Send(frontEnd, "bogus\n"), "info string unknown command bogus"));
}

struct PerftCase {
    const char* name;
    const char* position;
    int depth;
    const char* total;
};

class Perft : public ::testing::TestWithParam<PerftCase> {};

TEST_P(Perft, TotalsThroughTheGenerator) {
    const PerftCase& c = GetParam();
    UciFrontEnd frontEnd;
    const std::string out =
        Send(frontEnd, std::string(c.position) + "\ngo perft " + std::to_string(c.depth) + "\n");
    EXPECT_TRUE(Contains(out, std::string("Nodes searched: ") + c.total + "\n")) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Positions, Perft,
    ::testing::Values(
        PerftCase{"start", "position startpos", 3, "8902"},
        PerftCase{
            "kiwipete",
            "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 2,
            "2039"},
        PerftCase{"position3", "position fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4,
                  "43238"},
        // After 1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. O-O, counted by hand: pawns 11,
        // knights 9, bishop 5, queen 4, rook 2, king 1.
        PerftCase{"after_moves", "position startpos moves e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 e1g1", 1,
                  "32"},
        // Castling rights from FEN: with "-" neither side may castle.
        PerftCase{"no_rights", "position fen r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1", 1, "24"},
        PerftCase{"all_rights", "position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", 1, "26"}),
    [](const ::testing::TestParamInfo<PerftCase>& info) { return std::string(info.param.name); });

TEST(UciFrontEnd, PerftListsRootMovesAndEnPassant) {
    UciFrontEnd frontEnd;
    const std::string out = Send(frontEnd, "position startpos\ngo perft 2\n");
    EXPECT_TRUE(Contains(out, "e2e4: 20\n"));
    EXPECT_TRUE(Contains(out, "g1f3: 20\n"));
    const std::string ep = Send(
        frontEnd,
        "position fen rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3\ngo perft 1\n");
    EXPECT_TRUE(Contains(ep, "e5f6: 1\n"));
    EXPECT_FALSE(Contains(ep, "e5d6: 1\n"));
    const std::string promo =
        Send(frontEnd, "position fen 8/P6k/8/8/8/8/8/K7 w - - 0 1\ngo perft 1\n");
    EXPECT_TRUE(Contains(promo, "a7a8q: 1\n"));
    EXPECT_TRUE(Contains(Send(frontEnd, "go perft 0\n"), "info string perft depth"));
    // More moves than the move list holds: counted, never read past its end.
    const std::string crowded =
        Send(frontEnd, "position fen QQQQQQQk/Q6Q/Q6Q/Q6Q/Q6Q/Q6Q/Q6Q/KQQQQQQQ w - - 0 1\n"
                       "go perft 1\ngo perft 2\n");
    EXPECT_TRUE(Contains(crowded, "only the first 256 of 277 moves are listed\n")) << crowded;
    EXPECT_TRUE(Contains(crowded, "Nodes searched: 277\n"));
    EXPECT_TRUE(Contains(crowded, "the count is incomplete\n"));
}

struct GoCase {
    const char* name;
    const char* commands;
    const char* info;
    const char* bestmove;
};

class Go : public ::testing::TestWithParam<GoCase> {};

TEST_P(Go, StatusAndBestMove) {
    const GoCase& c = GetParam();
    UciFrontEnd frontEnd;
    const std::string out = Send(frontEnd, std::string(c.commands) + "\ngo\n");
    EXPECT_TRUE(Contains(out, std::string("info string status ") + c.info + "\n")) << out;
    EXPECT_TRUE(Contains(out, std::string("bestmove ") + c.bestmove + "\n")) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, Go,
    ::testing::Values(
        GoCase{"mate_in_one", "position fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
               "WR d1-d8   XEQUE-MATE move WR d1-d8", "d1d8"},
        GoCase{"stalemate", "position fen 4k3/4P3/4K3/8/8/8/8/8 b - - 0 1", "STALEMATE move ",
               "0000"},
        GoCase{"bare_kings", "position fen 8/8/4k3/8/8/4K3/8/8 b - - 0 1", "DRAW move ", "0000"},
        GoCase{"single_move", "position fen K7/P7/k7/8/8/8/8/8 w - - 0 1", " move WK a8-b8",
               "a8b8"},
        GoCase{"check", "position fen 4k3/8/8/8/4q3/8/8/4RK2 w - - 0 1", "CHECK move WR e1xe4",
               "e1e4"},
        // The listed moves reach a position where the black queen hangs.
        GoCase{"after_moves", "position fen 4k3/8/8/8/8/8/3q4/3RK3 b - - 0 1 moves d2d4",
               " move WR d1xd4", "d1d4"}),
    [](const ::testing::TestParamInfo<GoCase>& info) { return std::string(info.param.name); });

TEST(UciFrontEnd, PositionSetsListCursorAndOpeningLine) {
    UciFrontEnd frontEnd;
    Send(frontEnd, "position startpos moves e2e4 d7d5 e4d5\n");
    EXPECT_EQ(ListCursor, 2);
    EXPECT_EQ(OpeningLine, "e2-e4 d7-d5 e4xd5 ");
    EXPECT_EQ(frontEnd.SideToMoveNow(), "B");
    Send(frontEnd, "position fen 4k3/8/8/8/8/8/8/4K3 b - - 0 5\n");
    EXPECT_EQ(ListCursor, 8); // (5 - 1) x 2 half-moves + 1 - 1
    EXPECT_EQ(OpeningLine, "");
    Send(frontEnd, "position fen 4k3/8/8/8/8/8/8/4K3 w - - 0 12 moves e1e2 e8e7\n");
    EXPECT_EQ(ListCursor, 23);
    EXPECT_EQ(OpeningLine, ""); // the line only grows while ListCursor is below 10
    // The line stops growing after the eleventh half-move.
    Send(frontEnd, "position startpos moves g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 "
                   "f3g1 f6g8\n");
    EXPECT_EQ(ListCursor, 11);
    EXPECT_EQ(OpeningLine.size(), 11u * 6u);
    // Under-promotion from the move list.
    Send(frontEnd, "position fen 8/P6k/8/8/8/8/8/K7 w - - 0 1 moves a7a8n\n");
    EXPECT_EQ(Board[0][8][1], WhiteKnight);
    const std::string bad = Send(frontEnd, "position startpos moves e2e4 e7e5 e1e3 d7d5\n");
    EXPECT_TRUE(Contains(bad, "info string illegal move e1e3"));
    EXPECT_EQ(ListCursor, 1);
    EXPECT_TRUE(Contains(Send(frontEnd, "position fen nonsense\n"), "info string invalid fen"));
    // A move number beyond the bound is held there; a refused move changes nothing.
    Send(frontEnd, "position fen 4k3/8/8/8/8/8/8/4K3 w - - 0 2147483647\n");
    EXPECT_EQ(ListCursor, (MaxMoveNumber - 1) * 2 - 1);
    const std::string refused =
        Send(frontEnd, "position fen 8/P6k/8/8/8/8/8/K7 w - - 0 1 moves a7a8x\n");
    EXPECT_TRUE(Contains(refused, "info string illegal move a7a8x"));
    EXPECT_EQ(Board[0][7][1], WhitePawn);
    EXPECT_EQ(Board[0][8][1], Empty);
    EXPECT_EQ(frontEnd.SideToMoveNow(), "W");
}

TEST(UciFrontEnd, LevelsSkipSearchAndNewGame) {
    UciFrontEnd frontEnd;
    Send(frontEnd, "setoption name Nivel value 3\n");
    EXPECT_EQ(Level, 3);
    EXPECT_EQ(DirectionSwitch, 0);
    Send(frontEnd, "setoption name Nivel value 1\n");
    EXPECT_EQ(DirectionSwitch, 1);
    EXPECT_TRUE(Contains(Send(frontEnd, "setoption name Nivel value 4\n"), "Nivel must be"));
    EXPECT_EQ(Level, 1);
    // At level 1 every go inverts SkipSearch first, as the computer's turn does.
    Send(frontEnd, "position fen 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1\ngo\n");
    EXPECT_TRUE(SkipSearch);
    Send(frontEnd, "go\n");
    EXPECT_FALSE(SkipSearch);
    Send(frontEnd, "go\nucinewgame\n");
    EXPECT_FALSE(SkipSearch);
    EXPECT_EQ(HistoryIndex, 1);
    EXPECT_EQ(SearchDepthSetting, 4);
    Send(frontEnd, "setoption name Nivel value 2\n");
    EXPECT_EQ(DirectionSwitch, 1);
    EXPECT_TRUE(Contains(Send(frontEnd, "setoption name Seed value x\n"), "invalid value"));
}

TEST(UciFrontEnd, LeavingLevelOneStopsSkipping) {
    // At level 1 the first go plays the first ordered move: Qxd7+, worth most by
    // one-move look-ahead although the bishop takes back; the search does not.
    const char* position = "position fen 2b1k3/3r4/8/8/8/8/8/3QK3 w - - 0 1\n";
    UciFrontEnd fresh;
    Send(fresh, "setoption name Nivel value 2\n");
    const std::string searched = Send(fresh, std::string(position) + "go\n");
    ASSERT_FALSE(Contains(searched, "bestmove d1d7"));
    UciFrontEnd frontEnd;
    Send(frontEnd, "setoption name Nivel value 1\n");
    EXPECT_TRUE(Contains(Send(frontEnd, std::string(position) + "go\n"), "bestmove d1d7"));
    Send(frontEnd, "setoption name Nivel value 2\n");
    EXPECT_FALSE(SkipSearch);
    EXPECT_EQ(Send(frontEnd, std::string(position) + "go\n"), searched);
}

TEST(UciFrontEnd, GoLeavesThePositionAsGiven) {
    UciFrontEnd frontEnd;
    // A mate found by the mate search rewrites the game ply; the next go still
    // starts from the position that was given.
    const std::string first = Send(
        frontEnd,
        "position fen r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 10\ngo\n");
    EXPECT_TRUE(Contains(first, "bestmove d5f6\n")) << first;
    EXPECT_TRUE(Contains(first, "2 Key move = WN d5-f6")) << first;
    EXPECT_EQ(Send(frontEnd, "go\n"), first);
    EXPECT_EQ(Board[0][5][4], WhiteKnight);
    EXPECT_EQ(Board[0][1][4], BlackBishop);
}

TEST(UciFrontEnd, SeedMakesTheBookRepeatable) {
    std::string first;
    for (int run = 0; run < 2; ++run) {
        UciFrontEnd frontEnd;
        const std::string out =
            Send(frontEnd, "setoption name Seed value 12345\nucinewgame\nposition startpos\ngo\n");
        EXPECT_TRUE(Contains(out, "bestmove e2e4") || Contains(out, "bestmove d2d4")) << out;
        if (run == 0) first = out;
        EXPECT_EQ(out, first);
    }
    Random().ReleaseSeed();
}

} // namespace
} // namespace corvane
