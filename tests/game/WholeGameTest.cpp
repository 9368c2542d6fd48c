// Whole games against the computer at every level: the user's side plays its
// first legal move by real drags; after every reply the view, the model and
// the turn must agree and the computer's king must not stand in check.
#include "GameTestSupport.h"

namespace corvane::testing {
namespace {

class WholeGameTest : public GameWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(WholeGameTest, PlaysOnUntilTheEndOrTheMoveLimit) {
    Level = static_cast<std::int16_t>(GetParam());
    window->NovoJogo(1);
    const int limit = GetParam() == 3 ? 6 : 14;
    int rounds = 0;
    while (rounds < limit && window->picBoard()->isEnabled()) {
        ASSERT_EQ(SideToMove, "W");
        RulesMoveList moves;
        LoadBoardFromView(*window, 0);
        CountPieces(0);
        ListLegalMoves("W", 0, moves);
        ASSERT_GT(moves.count, 0) << "the game should have ended";
        // Prefer a capture, else the move in the middle of the list.
        RulesMove m = moves.moves[moves.count / 2];
        for (int i = 0; i < moves.count; ++i) {
            if (Board[0][moves.moves[i].toRank][moves.moves[i].toFile] != Empty) m = moves.moves[i];
        }
        const int from = ImageIndexOf(m.fromRank, m.fromFile);
        const int to = ImageIndexOf(m.toRank, m.toFile);
        if (window->Tag(from) == "WP" && m.toRank == 8) ChooseLater(4, true);
        const int before = window->MoveCount();
        DragTo(from, Centre(to));
        ASSERT_GT(window->MoveCount(), before) << window->Tag(from) << " " << from << "-" << to;
        ++rounds;
        if (!window->picBoard()->isEnabled()) break; // the game ended
        ASSERT_EQ(window->MoveCount(), before + 2) << "the computer replied";
        EXPECT_FALSE(ComputerBusy);
        for (int i = 0; i < 64; ++i) {
            ASSERT_EQ(PieceIndexOf(window->Tag(i)), Board[0][RankOfImage(i)][FileOfImage(i)]) << i;
        }
        std::int32_t kr = 0, kf = 0;
        ASSERT_TRUE(FindKing("B", kr, kf, 0));
        CountPieces(0);
        EXPECT_FALSE(IsSquareAttacked(kr, kf, "W", 0)) << Entry(window->MoveCount() - 1);
        const std::string reply = Entry(window->MoveCount() - 1);
        EXPECT_EQ(reply.substr(3, 1), "B") << reply;
    }
    EXPECT_GT(rounds, 0);
}

INSTANTIATE_TEST_SUITE_P(Levels, WholeGameTest, ::testing::Values(1, 2, 3));

} // namespace
} // namespace corvane::testing
