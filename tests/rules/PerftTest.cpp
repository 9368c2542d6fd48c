// Move-path totals through the legality test against published figures (rows without promotions).
#include "RulesTestSupport.h"

namespace {

// Name, position, depth, total, and whether the sanitizer build skips it as too slow.
using PerftRow = std::tuple<const char*, const char*, int, std::uint64_t, bool>;

const char* const kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* const kKiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";
const char* const kPosition3 = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -";

const PerftRow kRows[] = {
    {"start1", kStart, 1, 20, false},
    {"start2", kStart, 2, 400, false},
    {"start3", kStart, 3, 8902, false},
    {"start4", kStart, 4, 197281, false},
    {"start5", kStart, 5, 4865609, true},
    {"kiwipete1", kKiwipete, 1, 48, false},
    {"kiwipete2", kKiwipete, 2, 2039, false},
    {"kiwipete3", kKiwipete, 3, 97862, false},
    {"position3_1", kPosition3, 1, 14, false},
    {"position3_2", kPosition3, 2, 191, false},
    {"position3_3", kPosition3, 3, 2812, false},
    {"position3_4", kPosition3, 4, 43238, false},
    {"position3_5", kPosition3, 5, 674624, false},
};

class Perft : public ::testing::TestWithParam<PerftRow> {};

TEST_P(Perft, MatchesPublishedTotal) {
    const auto& [name, fen, depth, nodes, slow] = GetParam();
#ifdef CORVANE_SANITIZED_BUILD
    if (slow) GTEST_SKIP() << "too slow under the sanitizers; runs in the normal build";
#endif
    const std::string side = rulestest::Setup(fen, 0);
    const rulestest::ModelSnapshot before;
    EXPECT_EQ(corvane::Perft(side, 0, depth), nodes);
    EXPECT_EQ(before.board[0], corvane::Board[0]);
    EXPECT_EQ(before.wc[0], corvane::WhiteCastleFlags[0]);
    EXPECT_EQ(before.bp[0], corvane::BlackPawnFlags[0]);
}

INSTANTIATE_TEST_SUITE_P(Rows, Perft, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(std::get<0>(info.param)); });

TEST(PerftDivide, RootCountsAddUpToTheTotal) {
    const std::string side = rulestest::Setup(kKiwipete, 0);
    const auto counts = corvane::PerftDivide(side, 0, 2);
    std::uint64_t total = 0;
    for (const auto& c : counts) total += c.nodes;
    EXPECT_EQ(std::pair(counts.size(), total), std::pair(std::size_t{48}, std::uint64_t{2039}));
}

} // namespace
