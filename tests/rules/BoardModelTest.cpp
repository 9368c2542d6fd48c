// The board model routines: codes, the board view and flag copies.
#include <gtest/gtest.h>

#include "RulesTestSupport.h"

using namespace corvane;

namespace {

TEST(BoardModel, BadPieceCodesAndIndexes) {
    for (const int bad : {0, 13, 255, -1}) EXPECT_EQ(PieceCodeOf(bad), "");
    for (const char* bad : {"", "W", "wr", "WRX", "XX", "BK "}) EXPECT_EQ(PieceIndexOf(bad), 0);
}

TEST(BoardModel, ViewToBoardAndBack) {
    ResetGameState();
    InitSearchArrays();
    PlainSquareImages view;
    LoadInitialBoard(view);
    view.Flip(); // a flipped view keeps every square
    LoadBoardFromView(view, 1);
    EXPECT_EQ(Board[1], InitialBoard);
    view.Flip();
    EXPECT_EQ(view.Tag(3), "BQ");
    // Tags are read by their first two characters; anything else loads as empty.
    view.SetSquare(ImageIndexOf(4, 4), "WNx");
    view.SetSquare(ImageIndexOf(5, 5), "??");
    view.SetSquare(ImageIndexOf(3, 1), "BK");
    LoadBoardFromView(view, 3);
    EXPECT_EQ(Board[3][4][4], WhiteKnight);
    EXPECT_EQ(Board[3][5][5], Empty);
    // Two Black kings: the later one in image order (a8 first, h1 last) is recorded.
    EXPECT_EQ(BlackKingRank * 10 + BlackKingFile, 31);
    EXPECT_EQ(WhiteKingRank * 10 + WhiteKingFile, 15);
    PlainSquareImages copy;
    DrawBoard(copy, 3);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(copy.Tag(i), PieceCodeOf(Board[3][RankOfImage(i)][FileOfImage(i)])) << i;
    ClearBoardView(copy);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(copy.Tag(i), "");
}

TEST(BoardModel, FlagCopiesTouchOnlyTheirTargets) {
    InitSearchArrays();
    InitGameArrays();
    WhiteCastleFlags[4] = {1, 2, 3, 4};
    BlackPawnFlags[4] = {5, 6, 7, 8};
    CopyPlyFlags(4, 9);
    EXPECT_EQ(BlackPawnFlags[9], BlackPawnFlags[4]);
    EXPECT_EQ(WhiteCastleFlags[8], (PlyFlags{0, 0, 0, 0}));
    SaveFlags(4, MaxDepth + 3);
    RestoreFlags(MaxDepth + 3, 0);
    EXPECT_EQ(WhiteCastleFlags[0], (PlyFlags{1, 2, 3, 4}));
    EXPECT_EQ(BlackPawnFlags[0], (PlyFlags{5, 6, 7, 8}));
    const rulestest::ModelSnapshot before; // out-of-range plies and slots are ignored
    CopyPlyFlags(4, MaxDepth + 1);
    SaveFlags(-1, 2);
    RestoreFlags(MaxDepth + 4, 0);
    EXPECT_TRUE(before.FlagsEqualExcept(-1));
}

} // namespace
