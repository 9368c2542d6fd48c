#include "RulesTestSupport.h"

namespace corvane {
namespace {

TEST(MoveText, ReadAndWrittenBack) {
    struct Row {
        const char* text;
        const char* longAlgebraic; // and the text itself written back
        PieceIndex promoted;
        Castling castling;
    };
    const Row rows[] = {
        {"WP e2-e4", "e2e4", Empty, Castling::None},
        {"BN g8xf6", "g8f6", Empty, Castling::None},
        {"WP e7-e8=WQ", "e7e8q", WhiteQueen, Castling::None},
        {"BP d2xc1=N", "d2c1n", BlackKnight, Castling::None},
        {"WK e1-g1", "e1g1", Empty, Castling::KingSide},
        {"BK e8-c8", "e8c8", Empty, Castling::QueenSide},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        MoveText move;
        ASSERT_TRUE(ParseMoveText(r.text, move));
        EXPECT_EQ(CastlingOf(r.text), r.castling);
        EXPECT_EQ(FormatMoveText(move), r.text);
        EXPECT_EQ(LongAlgebraicOf(move), r.longAlgebraic);
        EXPECT_EQ(PromotedPieceOf(move), r.promoted);
        MoveText back;
        ASSERT_TRUE(ParseLongAlgebraic(r.longAlgebraic, back));
        EXPECT_EQ(back.toRank * 8 + back.toFile, move.toRank * 8 + move.toFile);
    }
    MoveText move;
    for (const char* bad : {"", "WP e2-e", "WP i2-e4", "wp e2-e4", "WP e2=e4", "WP e2-e4 ",
                            "WP e2-e4=K", "WP e2-e4=WK", "WP e2-e4=WQQ",
                            "WP\xc3\xa9"
                            "e2-e4"})
        EXPECT_FALSE(ParseMoveText(bad, move)) << bad;
    ASSERT_TRUE(ParseMoveTextLoosely(" \tbp d2-D1=bn\r\n", move));
    EXPECT_EQ(FormatMoveText(move), "BP d2-d1=BN");
    EXPECT_FALSE(ParseMoveTextLoosely("  ", move));
}

TEST(MoveText, SquaresAndOtherForms) {
    EXPECT_EQ(SquareNameOfImage(52) + SquareNameOfImage(63) + SquareNameOfImage(64) +
                  SquareName(9, 1),
              "e2h1");
    int rank = 0, file = 0;
    for (const char* bad : {"i1", "a0", "a11"})
        EXPECT_FALSE(ReadSquareName(bad, rank, file)) << bad;
    EXPECT_TRUE(ReadSquareName("h8", rank, file));
    EXPECT_EQ(rank * 10 + file, 88);

    MoveText move;
    for (const char* bad : {"a7a8x", "a7a8Q", "e2e", "e2e4qq", "e2-e4"})
        EXPECT_FALSE(ParseLongAlgebraic(bad, move)) << bad;
    ASSERT_TRUE(ParseLongAlgebraic("a7a8r", move));
    EXPECT_EQ(move.promotion, "R");
    ASSERT_TRUE(ParseCoordinateText("e4xd5", move));
    EXPECT_EQ(CoordinateText(move), "e4xd5");
    EXPECT_FALSE(ParseCoordinateText("e4d5", move));
    EXPECT_FALSE(ParseCoordinateText("e2-e4 ", move));
}

} // namespace
} // namespace corvane
