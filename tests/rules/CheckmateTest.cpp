// The checkmate test on the mates random games seldom reach, each row confirmed by the reference.
#include <gtest/gtest.h>

#include "RulesTestSupport.h"

using namespace corvane;

namespace {

struct MateRow {
    const char* fen;
    bool mate;
};

const MateRow kRows[] = {
    {"3rkb2/n4p2/8/1B6/8/8/8/4R1K1 b - -", true},  // double check
    {"k7/5n2/4b3/6pP/7K/r7/8/8 w - g6", false},    // parried by en passant
    {"k7/5n2/4b3/6pP/7K/r7/8/8 w - -", true},      // no right to take en passant
    {"5r1k/b7/8/8/3B4/8/3N2PP/r5K1 w - -", false}, // capturer pinned, knight blocks
    {"5r1k/b7/8/8/3B4/8/6PP/r5K1 w - -", true},    // capturer pinned, no block
    {"4r2k/8/8/8/8/1n1n3b/4B3/q2RK3 w - -", true}, // every capturer pinned
    {"2rr4/2p4p/1pnk1P2/3Qp3/1pPP2PP/2R2N2/PP3Pn1/1KR5 b - -", true}, // rook behind the king
    {"7k/5Q2/6K1/8/8/8/8/8 b - -", false},                            // stalemate
};

TEST(Checkmate, AnswersAndChangesNothingButSidesAndKing) {
    for (const MateRow& row : kRows) {
        SCOPED_TRACE(row.fen);
        const std::string side = rulestest::Setup(row.fen, 0);
        reftest::Position ref;
        ASSERT_TRUE(reftest::ParseFen(row.fen, ref));
        ASSERT_EQ(reftest::InCheck(ref, ref.whiteToMove) && reftest::LegalMoves(ref).empty(),
                  row.mate);
        FromRank = 3, ToFile = 6;
        GameStatus = "XEQUE";
        const rulestest::ModelSnapshot before;
        EXPECT_EQ(IsCheckmate(side, 0), row.mate);
        EXPECT_EQ(OpponentSide, side == "W" ? "B" : "W");
        std::int32_t kr = 0, kf = 0;
        ASSERT_TRUE(FindKing(side, kr, kf, 0));
        EXPECT_EQ((side == "W" ? WhiteKingRank : BlackKingRank) * 10 +
                      (side == "W" ? WhiteKingFile : BlackKingFile),
                  kr * 10 + kf);
        EXPECT_TRUE(before.BoardsEqual());
        EXPECT_TRUE(before.FlagsEqualExcept(-1));
        EXPECT_EQ(FromRank * 10 + ToFile, 36);
        EXPECT_EQ(GameStatus, "XEQUE");
    }
}

TEST(Checkmate, ListsBothCheckersAndWorksAtAnyPly) {
    rulestest::Setup("3rkb2/n4p2/8/1B6/8/8/8/4R1K1 b - -", 12);
    EXPECT_TRUE(IsCheckmate("B", 12));
    ASSERT_EQ(Attackers.count, 2);
    EXPECT_EQ(Attackers.entries[1].kind, WhiteRook);
    EXPECT_EQ(Attackers.entries[2].kind, WhiteBishop);
    EXPECT_FALSE(IsCheckmate("B", 0)); // ply 0 is empty: no king, no mate
    EXPECT_FALSE(IsCheckmate("B", MaxDepth + 1));
}

} // namespace
