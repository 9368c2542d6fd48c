// The board model routines: codes, the board view, counters and flag copies.
#include <gtest/gtest.h>

#include "RulesTestSupport.h"

using namespace corvane;

namespace {

TEST(BoardModel, PieceCodesBothWays) {
    const char* const codes[] = {"WR", "WN", "WB", "WQ", "WK", "WP",
                                 "BR", "BN", "BB", "BQ", "BK", "BP"};
    for (int i = 1; i <= 12; ++i) {
        EXPECT_EQ(PieceCodeOf(i), codes[i - 1]);
        EXPECT_EQ(PieceIndexOf(codes[i - 1]), i);
    }
    for (const int bad : {0, 13, 255, -1}) EXPECT_EQ(PieceCodeOf(bad), "");
    for (const char* bad : {"", "W", "wr", "WRX", "XX", "BK "}) EXPECT_EQ(PieceIndexOf(bad), 0);
}

TEST(BoardModel, ViewToBoardAndBack) {
    InitSearchArrays();
    PlainSquareImages view;
    LoadInitialBoard(view);
    EXPECT_EQ(view.Tag(0), "BR");
    EXPECT_EQ(view.Tag(3), "BQ");
    EXPECT_EQ(view.Tag(60), "WK");
    EXPECT_EQ(view.Tag(63), "WR");
    EXPECT_EQ(view.Tag(20), "");
    // Tags are read by their first two characters; anything else loads as empty.
    view.SetSquare(ImageIndexOf(4, 4), "WNx");
    view.SetSquare(ImageIndexOf(5, 5), "??");
    view.SetSquare(ImageIndexOf(3, 1), "BK");
    LoadBoardFromView(view, 3);
    EXPECT_EQ(Board[3][4][4], WhiteKnight);
    EXPECT_EQ(Board[3][5][5], Empty);
    EXPECT_EQ(Board[3][1][5], WhiteKing);
    // Two Black kings: the later one in image order (a8 first, h1 last) is recorded.
    EXPECT_EQ(BlackKingRank * 10 + BlackKingFile, 31);
    EXPECT_EQ(WhiteKingRank * 10 + WhiteKingFile, 15);
    PlainSquareImages copy;
    DrawBoard(copy, 3);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(copy.Tag(i), PieceCodeOf(Board[3][RankOfImage(i)][FileOfImage(i)])) << i;
    }
    ClearBoardView(copy);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(copy.Tag(i), "");
    EXPECT_EQ(copy.Clears(), 1);
}

TEST(BoardModel, FlipTurnsTheViewButKeepsEverySquare) {
    ResetGameState();
    PlainSquareImages view;
    LoadInitialBoard(view);
    view.Flip();
    EXPECT_FALSE(WhiteAtBottom);
    LoadBoardFromView(view, 1);
    EXPECT_EQ(Board[1], InitialBoard);
    view.Flip();
    EXPECT_TRUE(WhiteAtBottom);
    EXPECT_EQ(view.Tag(3), "BQ");
}

TEST(BoardModel, CountersPutPawnsBeforeKings) {
    rulestest::Setup("4k3/pp6/8/8/8/8/PPP5/RN2K3 w - -", 2);
    CountPieces(2);
    const std::array<std::int32_t, 13> expected = {0, 1, 1, 0, 0, 3, 1, 0, 0, 0, 0, 2, 1};
    EXPECT_EQ(PieceCount, expected);
    EXPECT_EQ(WhitePieceTotal, 6);
    EXPECT_EQ(BlackPieceTotal, 3);
    EXPECT_EQ(PieceTotal, 9);
    CountPieces(0); // an empty ply zeroes everything
    EXPECT_EQ(PieceTotal, 0);
    EXPECT_EQ(PieceCount[5], 0);
}

TEST(BoardModel, FlagCopiesTouchOnlyTheirTargets) {
    InitSearchArrays();
    InitGameArrays();
    WhiteCastleFlags[4] = {1, 2, 3, 4};
    BlackPawnFlags[4] = {5, 6, 7, 8};
    CastleMade[4] = {0, 1, 0, 1};
    CopyPlyFlags(4, 9);
    EXPECT_EQ(WhiteCastleFlags[9], WhiteCastleFlags[4]);
    EXPECT_EQ(BlackPawnFlags[9], BlackPawnFlags[4]);
    EXPECT_EQ(CastleMade[9], CastleMade[4]);
    EXPECT_EQ(WhiteCastleFlags[8], (PlyFlags{0, 0, 0, 0}));
    SaveFlags(4, MaxDepth + 3);
    EXPECT_EQ(SavedFlags.BlackPawnFlags[MaxDepth + 3], (PlyFlags{5, 6, 7, 8}));
    RestoreFlags(MaxDepth + 3, 0);
    EXPECT_EQ(WhiteCastleFlags[0], (PlyFlags{1, 2, 3, 4}));
    // Out-of-range plies and slots are ignored.
    const rulestest::ModelSnapshot before;
    CopyPlyFlags(4, MaxDepth + 1);
    SaveFlags(-1, 2);
    RestoreFlags(MaxDepth + 4, 0);
    EXPECT_TRUE(before.FlagsEqualExcept(-1));
    ClearAllFlags();
    EXPECT_EQ(WhiteCastleFlags[0], (PlyFlags{0, 0, 0, 0}));
}

} // namespace
