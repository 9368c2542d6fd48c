#include "EngineTestSupport.h"

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

TEST(UciFrontEnd, PerftThroughTheGenerator) {
    // clang-format off
    const std::pair<const char*, const char*> rows[] = {
        {"fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1\ngo perft 2", "2039"},
        {"fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1\ngo perft 4", "43238"}};
    // clang-format on
    UciFrontEnd frontEnd;
    for (const auto& [commands, total] : rows) {
        const std::string out = Send(frontEnd, std::string("position ") + commands + "\n");
        EXPECT_TRUE(Contains(out, std::string("Nodes searched: ") + total + "\n")) << out;
    }
    const std::string out = Send(frontEnd, "position startpos\ngo perft 2\n");
    EXPECT_TRUE(Contains(out, "e2e4: 20\n"));
    EXPECT_TRUE(Contains(Send(frontEnd, "go perft 0\n"), "info string perft depth"));
    // More moves than the move list holds: counted, never read past its end.
    const std::string crowded =
        Send(frontEnd, "position fen QQQQQQnk/Q5pp/Q6Q/Q6Q/Q6Q/Q6Q/Q6Q/KQQQQQQQ w - - 0 1\n"
                       "go perft 1\ngo perft 2\n");
    EXPECT_TRUE(Contains(crowded, "only the first 256 of 259 moves are listed\n")) << crowded;
    EXPECT_TRUE(Contains(crowded, "Nodes searched: 259\n"));
    EXPECT_TRUE(Contains(crowded, "the count is incomplete\n"));
}

TEST(UciFrontEnd, GoWithoutAMoveAnswersTheNullMove) {
    for (const auto& [fen, status] : {std::pair{"4k3/4P3/4K3/8/8/8/8/8 b - - 0 1", "STALEMATE"},
                                      std::pair{"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "XEQUE-MATE"},
                                      std::pair{"8/8/4k3/8/8/4K3/8/8 b - - 0 1", "DRAW"}}) {
        UciFrontEnd frontEnd;
        const std::string out = Send(frontEnd, std::string("position fen ") + fen + "\ngo\n");
        EXPECT_TRUE(Contains(out, std::string("info string status ") + status + " move \n") &&
                    Contains(out, "bestmove 0000\n"))
            << out;
    }
}

TEST(UciFrontEnd, PositionSetsListCursorAndOpeningLine) {
    UciFrontEnd frontEnd;
    Send(frontEnd, "position startpos moves e2e4 d7d5 e4d5\n");
    EXPECT_EQ(std::pair(ListCursor, OpeningLine), std::pair(2, std::string("e2-e4 d7-d5 e4xd5 ")));
    Send(frontEnd, "position fen 4k3/8/8/8/8/8/8/4K3 w - - 0 12 moves e1e2 e8e7\n");
    EXPECT_EQ(std::pair(ListCursor, OpeningLine), std::pair(23, std::string())); // only below 10
    // The line stops growing after the eleventh half-move.
    Send(frontEnd, "position startpos moves g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 "
                   "f3g1 f6g8\n");
    EXPECT_EQ(ListCursor * 100 + int(OpeningLine.size()), 11 * 100 + 11 * 6);
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
    EXPECT_EQ(std::pair(Board[0][7][1], Board[0][8][1]), std::pair(WhitePawn, Empty));
    EXPECT_EQ(frontEnd.SideToMoveNow(), "W");
}

// Positions no game can reach, a seed past the option's maximum and a
// promotion letter on a move that promotes nothing are refused with an info
// string; the position and the seed stay as they were.
TEST(UciFrontEnd, RefusesWhatNoGameHasAndKeepsThePosition) {
    const std::pair<const char*, const char*> rows[] = {
        {"position fen 4k3/8/8/8/8/8/8/3KK3 w - - 0 1",
         "refused fen: each side needs exactly one king"},
        {"position fen 8/8/8/8/8/8/8/4K3 w - - 0 1",
         "refused fen: each side needs exactly one king"},
        {"position fen 8/8/8/8/8/8/3k4/4K3 w - - 0 1",
         "refused fen: the kings stand on neighbouring"},
        {"position fen 4k3/8/8/8/8/8/4R3/3K4 w - - 0 1",
         "refused fen: the side not to move is in check"},
        {"position fen P3k3/8/8/8/8/8/8/4K3 w - - 0 1",
         "refused fen: a pawn stands on the first or last"},
        {"position fen 4k3/8/8/8/8/8/8/4K2p b - - 0 1",
         "refused fen: a pawn stands on the first or last"},
        {"setoption name Seed value 4294967296", "Seed must be 0..2147483647"},
        {"setoption name Seed value 2147483648", "Seed must be 0..2147483647"},
    };
    UciFrontEnd frontEnd;
    Send(frontEnd, "setoption name Seed value 7\nposition fen 4k3/8/8/8/8/8/4R3/3K4 b - - 0 1\n");
    const PlyBoard kept = Board[0];
    for (const auto& [command, reason] : rows) {
        SCOPED_TRACE(command);
        const std::string out = Send(frontEnd, std::string(command) + "\n");
        EXPECT_TRUE(Contains(out, std::string("info string ") + reason)) << out;
        EXPECT_EQ(Board[0], kept);
        EXPECT_EQ(frontEnd.SideToMoveNow(), "B");
        EXPECT_EQ(Random().FixedSeedValue(), 7u);
    }
    for (const char* move : {"e1e2q", "g1f3q", "d2d3q"}) { // nothing of these promotes
        const std::string out =
            Send(frontEnd, std::string("position startpos moves e2e4 e7e5 ") + move + "\n");
        EXPECT_TRUE(Contains(out, std::string("info string illegal move ") + move)) << out;
        EXPECT_EQ(frontEnd.SideToMoveNow(), "W"); // the refused move was not played
    }
    // Black in check with Black to move is a position after White's check: it stands.
    EXPECT_FALSE(
        Contains(Send(frontEnd, "position fen 4k3/8/8/8/8/8/4R3/3K4 b - - 0 1\n"), "info string"));
    EXPECT_FALSE(Contains(Send(frontEnd, "setoption name Seed value 2147483647\n"), "info string"));
    EXPECT_EQ(Random().FixedSeedValue(), 2147483647u);
    Random().ReleaseSeed();
}

TEST(UciFrontEnd, LevelsSkipSearchAndNewGame) {
    UciFrontEnd frontEnd;
    for (const auto& [level, direction] : {std::pair{3, 0}, {1, 1}}) {
        Send(frontEnd, "setoption name Nivel value " + std::to_string(level) + "\n");
        EXPECT_EQ(Level * 10 + DirectionSwitch, level * 10 + direction);
    }
    EXPECT_TRUE(Contains(Send(frontEnd, "setoption name Nivel value 4\n"), "Nivel must be"));
    EXPECT_EQ(Level, 1);
    // At level 1 every go inverts SkipSearch first, as the computer's turn does.
    Send(frontEnd, "position fen 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1\ngo\n");
    EXPECT_TRUE(SkipSearch);
    Send(frontEnd, "go\n");
    EXPECT_FALSE(SkipSearch);
    Send(frontEnd, "go\nucinewgame\n");
    EXPECT_EQ((std::tuple{SkipSearch, HistoryIndex, SearchDepthSetting}),
              (std::tuple{false, 1, 4}));
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
    // A mate found by the mate search rewrites the game ply; the next go starts from the given one.
    const std::string first = Send(
        frontEnd,
        "position fen r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 10\ngo\n");
    EXPECT_TRUE(Contains(first, "bestmove d5f6\n")) << first;
    EXPECT_TRUE(Contains(first, "2 Key move = WN d5-f6")) << first;
    EXPECT_EQ(Send(frontEnd, "go\n"), first);
    EXPECT_EQ(Board[0][5][4], WhiteKnight);
    EXPECT_EQ(Board[0][1][4], BlackBishop);
}

} // namespace
} // namespace corvane
