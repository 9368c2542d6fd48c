// Move texts and square names: what is read, what is refused, the forms written back.
#include <gtest/gtest.h>

#include "rules/MoveText.h"

namespace corvane {
namespace {

TEST(MoveText, ReadAndWrittenBack) {
    struct Row {
        const char* text;
        bool ok;
        const char* longAlgebraic = ""; // and the text itself written back
        PieceIndex promoted = Empty;
        Castling castling = Castling::None;
    };
    const Row rows[] = {
        {"WP e2-e4", true, "e2e4", Empty, Castling::None},
        {"BN g8xf6", true, "g8f6", Empty, Castling::None},
        {"WP e7-e8=WQ", true, "e7e8q", WhiteQueen, Castling::None},
        {"BP d2xc1=N", true, "d2c1n", BlackKnight, Castling::None},
        {"WK e1-g1", true, "e1g1", Empty, Castling::KingSide},
        {"BK e8-c8", true, "e8c8", Empty, Castling::QueenSide},
        {"", false},
        {"WP e2-e", false},
        {"WP i2-e4", false},
        {"wp e2-e4", false},
        {"WP e2=e4", false},
        {"WP e2-e4 ", false},
        {"WP e2-e4=K", false},
        {"WP e2-e4=WK", false},
        {"WP e2-e4=WQQ", false},
        {"WP\xc3\xa9"
         "e2-e4",
         false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        MoveText move;
        ASSERT_EQ(ParseMoveText(r.text, move), r.ok);
        EXPECT_EQ(CastlingOf(r.text), r.castling);
        if (!r.ok) continue;
        EXPECT_EQ(FormatMoveText(move), r.text);
        EXPECT_EQ(LongAlgebraicOf(move), r.longAlgebraic);
        EXPECT_EQ(PromotedPieceOf(move), r.promoted);
        MoveText back;
        ASSERT_TRUE(ParseLongAlgebraic(r.longAlgebraic, back));
        EXPECT_EQ(back.toRank * 8 + back.toFile, move.toRank * 8 + move.toFile);
    }
    MoveText move;
    ASSERT_TRUE(ParseMoveTextLoosely(" \tbp d2-D1=bn\r\n", move));
    EXPECT_EQ(FormatMoveText(move), "BP d2-d1=BN");
    EXPECT_FALSE(ParseMoveTextLoosely("  ", move));
}

TEST(MoveText, SquaresAndOtherForms) {
    EXPECT_EQ(SquareNameOfImage(52), "e2");
    EXPECT_EQ(SquareNameOfImage(63), "h1");
    EXPECT_EQ(SquareNameOfImage(64), "");
    EXPECT_EQ(SquareName(9, 1), "");
    int rank = 0, file = 0;
    EXPECT_FALSE(ReadSquareName("i1", rank, file));
    EXPECT_FALSE(ReadSquareName("a0", rank, file));
    EXPECT_FALSE(ReadSquareName("a11", rank, file));
    EXPECT_TRUE(ReadSquareName("h8", rank, file));
    EXPECT_EQ(rank * 10 + file, 88);

    MoveText move;
    for (const char* bad : {"a7a8x", "a7a8Q", "e2e", "e2e4qq", "e2-e4"}) {
        EXPECT_FALSE(ParseLongAlgebraic(bad, move)) << bad;
    }
    ASSERT_TRUE(ParseLongAlgebraic("a7a8r", move));
    EXPECT_EQ(move.promotion, "R");
    ASSERT_TRUE(ParseCoordinateText("e4xd5", move));
    EXPECT_EQ(CoordinateText(move), "e4xd5");
    EXPECT_FALSE(ParseCoordinateText("e4d5", move));
    EXPECT_FALSE(ParseCoordinateText("e2-e4 ", move));
}

} // namespace
} // namespace corvane
