// The computer against itself through its text interface, every ply checked by the reference
// rules: "go perft 1" lists the legal moves, the move is legal and its status tells the truth.
#include "EngineTestSupport.h"

namespace corvane {
namespace {

std::string Send(UciFrontEnd& engine, const std::string& lines) {
    std::istringstream in(lines);
    std::ostringstream out;
    for (std::string line; std::getline(in, line);) engine.Handle(line, out);
    return out.str();
}

std::string UciOf(const reftest::Move& m, const reftest::Position& p) {
    const bool promotes = (p.square[m.from] == 'P' || p.square[m.from] == 'p') && m.to / 8 % 7 == 0;
    return reftest::SquareName(m.from) + reftest::SquareName(m.to) + (promotes ? "q" : "");
}

bool BareMaterial(const reftest::Position& p) {
    int white = 0, black = 0;
    for (const char c : p.square) {
        if (c == '.' || c == 'K' || c == 'k') continue;
        if (std::string("NBnb").find(c) == std::string::npos) return false;
        (c < 'a' ? white : black) += 1;
    }
    return white <= 1 && black <= 1;
}

std::string Key(const reftest::Position& p) {
    return std::string(p.square.begin(), p.square.end()) + (p.whiteToMove ? "w" : "b");
}

#ifdef CORVANE_SANITIZED_BUILD
constexpr int kMaxPlies = 40;
#else
constexpr int kMaxPlies = 160;
#endif

const std::tuple<const char*, int, int> kGames[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 1, 1000},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 2, 1017},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 3, 1034},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 3, 7},
    {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 2, 8},
    {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", 1, 9},
    {"8/P7/8/8/8/8/k7/4K3 w - - 0 1", 2, 10},
};

// One ply: the engine's answer checked against the reference; false when the game is over.
bool PlayAndCheck(UciFrontEnd& engine, const std::string& position, reftest::Position& pos,
                  std::map<std::string, int>& seen, std::string& moves) {
    const std::vector<reftest::Move> legal = reftest::LegalMoves(pos);
    std::set<std::string> expected, listed;
    for (const reftest::Move& m : legal) expected.insert(UciOf(m, pos));
    std::istringstream perft(Send(engine, position + "\ngo perft 1\n"));
    for (std::string line; std::getline(perft, line);)
        if (line.find(": ") == 4 || line.find(": ") == 5)
            listed.insert(line.substr(0, line.find(':')));
    EXPECT_EQ(listed, expected) << "go perft 1";

    const std::string out = Send(engine, position + "\ngo\n");
    const std::size_t at = out.find("info string status "), end = out.rfind(" move ");
    const std::size_t best = out.find("bestmove ");
    if (at == std::string::npos || end == std::string::npos || best == std::string::npos) {
        ADD_FAILURE() << out;
        return false;
    }
    const std::string status = out.substr(at + 19, end - at - 19);
    const std::string move = out.substr(best + 9, out.find('\n', best) - best - 9);
    SCOPED_TRACE(position + ": " + move + " '" + status + "'");
    if (move == "0000") {
        const bool stalemate = status == "STALEMATE" && legal.empty();
        EXPECT_TRUE(stalemate || (status == "DRAW" && BareMaterial(pos))) << "no move";
        return false;
    }
    const reftest::Move* played = nullptr;
    for (const reftest::Move& m : legal)
        if (UciOf(m, pos) == move) played = &m;
    if (played == nullptr) {
        ADD_FAILURE() << "illegal move";
        return false;
    }
    const reftest::Position after = reftest::Play(pos, *played);
    const bool check = reftest::InCheck(after, after.whiteToMove);
    const bool over = reftest::LegalMoves(after).empty();
    if (status.ends_with("XEQUE-MATE")) {
        EXPECT_TRUE(check && over) << "false mate";
    } else if (status.find("Key move") != std::string::npos) {
        const int n = std::stoi(status);
        if (n <= 2) {
            EXPECT_TRUE(reftest::DefenderLost(after, n)) << "false forced mate";
        }
        EXPECT_EQ(status.ends_with("CHECK"), check);
    } else if (status == "DRAW") {
        EXPECT_TRUE(seen[Key(after)] > 0 || BareMaterial(after)) << "unexplained draw";
    } else {
        EXPECT_EQ(status, check ? "CHECK" : "");
    }
    moves += " " + move;
    pos = after;
    return !over && status != "DRAW" && !BareMaterial(pos) && ++seen[Key(pos)] < 3;
}

TEST(SelfPlay, EveryMoveLegalAndEveryStatusTrue) {
    for (const auto& [start, level, seed] : kGames) {
        SCOPED_TRACE(std::string(start) + " level " + std::to_string(level));
        UciFrontEnd engine;
        Send(engine, "setoption name Nivel value " + std::to_string(level) +
                         "\nsetoption name Seed value " + std::to_string(seed) + "\nucinewgame\n");
        reftest::Position pos;
        ASSERT_TRUE(reftest::ParseFen(start, pos));
        std::map<std::string, int> seen{{Key(pos), 1}};
        std::string moves;
        int ply = 0;
        while (ply < kMaxPlies && PlayAndCheck(engine,
                                               std::string("position fen ") + start +
                                                   (moves.empty() ? "" : " moves" + moves),
                                               pos, seen, moves))
            ++ply;
        std::printf("level %d: %d plies\n", level, ply);
    }
}

} // namespace
} // namespace corvane
