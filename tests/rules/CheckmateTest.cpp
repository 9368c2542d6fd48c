// The checkmate test on genuine mates and on the non-mates a careless test gets
// wrong, checked against the reference generator as well as by hand.
#include <gtest/gtest.h>

#include "RulesTestSupport.h"

using namespace corvane;

namespace {

struct MateRow {
    const char* name;
    const char* fen;
    bool mate;
};

const MateRow kRows[] = {
    {"back_rank", "R5k1/5ppp/8/8/8/8/8/6K1 b - -", true},
    {"back_rank_with_escape", "R5k1/5pp1/8/8/8/8/8/6K1 b - -", false},
    {"back_rank_capturable", "R5k1/5ppp/8/8/8/8/r7/6K1 b - -", false},
    {"back_rank_blockable", "R5k1/4bppp/8/8/8/8/8/6K1 b - -", false},
    {"smothered", "6rk/5Npp/8/8/8/8/8/6K1 b - -", true},
    {"knight_check_capturable", "6rk/5Npp/8/3q4/8/8/8/6K1 b - -", false},
    {"double_check", "3rkb2/n4p2/8/1B6/8/8/8/4R1K1 b - -", true},
    {"pawn_mate", "7k/4N1P1/7K/8/8/8/8/8 b - -", true},
    {"adjacent_rook_protected", "6Rk/5K1p/8/8/8/8/8/8 b - -", true},
    {"adjacent_rook_unprotected", "6Rk/7p/8/8/8/8/8/4K3 b - -", false},
    {"queen_mate_protected", "7k/6Q1/6K1/8/8/8/8/8 b - -", true},
    // The checking pawn can only be taken en passant.
    {"parried_by_en_passant", "k7/5n2/4b3/6pP/7K/r7/8/8 w - g6", false},
    {"en_passant_not_available", "k7/5n2/4b3/6pP/7K/r7/8/8 w - -", true},
    // The checker is capturable only by a pinned bishop, but a knight can block.
    {"block_while_capturer_pinned", "5r1k/b7/8/8/3B4/8/3N2PP/r5K1 w - -", false},
    {"no_block_capturer_pinned", "5r1k/b7/8/8/3B4/8/6PP/r5K1 w - -", true},
    // Both capturers of the checking knight are pinned.
    {"knight_capturers_all_pinned", "4r2k/8/8/8/8/1n1n3b/4B3/q2RK3 w - -", true},
    // A rook behind the king must not count as taking the queen in front of it.
    {"capturer_hidden_behind_king", "2rr4/2p4p/1pnk1P2/3Qp3/1pPP2PP/2R2N2/PP3Pn1/1KR5 b - -", true},
    {"stalemate", "7k/5Q2/6K1/8/8/8/8/8 b - -", false},
    {"stalemate_pawns", "8/8/8/8/8/5k2/5p2/5K2 w - -", false},
    {"not_in_check", "4k3/8/8/8/8/8/8/4K3 w - -", false},
};

TEST(Checkmate, AnswersExactly) {
    for (const MateRow& row : kRows) {
        SCOPED_TRACE(row.name);
        const std::string side = rulestest::Setup(row.fen, 0);
        reftest::Position ref;
        ASSERT_TRUE(reftest::ParseFen(row.fen, ref));
        ASSERT_EQ(reftest::InCheck(ref, ref.whiteToMove) && reftest::LegalMoves(ref).empty(),
                  row.mate)
            << "the row itself is wrong";
        FromRank = 3, FromFile = 4, ToRank = 5, ToFile = 6;
        GameStatus = "XEQUE";
        PromotionChoice = "N";
        const rulestest::ModelSnapshot before;
        EXPECT_EQ(IsCheckmate(side, 0), row.mate);
        // Its side effects: the sides and the king square; nothing else is changed.
        EXPECT_EQ(MoverSide, side);
        EXPECT_EQ(OpponentSide, side == "W" ? "B" : "W");
        std::int32_t kr = 0, kf = 0;
        ASSERT_TRUE(FindKing(side, kr, kf, 0));
        EXPECT_EQ(side == "W" ? WhiteKingRank : BlackKingRank, kr);
        EXPECT_EQ(side == "W" ? WhiteKingFile : BlackKingFile, kf);
        EXPECT_TRUE(before.BoardsEqual());
        EXPECT_TRUE(before.FlagsEqualExcept(-1));
        EXPECT_EQ(FromRank * 1000 + FromFile * 100 + ToRank * 10 + ToFile, 3456);
        EXPECT_EQ(GameStatus, "XEQUE");
        EXPECT_EQ(PromotionChoice, "N");
    }
}

TEST(Checkmate, ListsBothCheckersAndWorksAtAnyPly) {
    rulestest::Setup("3rkb2/n4p2/8/1B6/8/8/8/4R1K1 b - -", 12);
    const rulestest::ModelSnapshot before;
    EXPECT_TRUE(IsCheckmate("B", 12));
    ASSERT_EQ(Attackers.count, 2);
    EXPECT_EQ(Attackers.entries[1].kind, WhiteRook);
    EXPECT_EQ(Attackers.entries[2].kind, WhiteBishop);
    EXPECT_EQ(Attackers.entries[2].rank * 10 + Attackers.entries[2].file, 52);
    EXPECT_FALSE(IsCheckmate("B", 0)); // ply 0 is empty: no king, no mate
    EXPECT_FALSE(IsCheckmate("B", MaxDepth + 1));
    EXPECT_TRUE(before.BoardsEqual());
}

} // namespace
