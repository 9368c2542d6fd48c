// Which attacker is reported, en passant, advance mode, the skipped king and the king search.
#include <gtest/gtest.h>

#include <sstream>

#include "RulesTestSupport.h"

using namespace corvane;

namespace {

struct AttackRow {
    const char* fen;
    const char* query;    // "<square> <side>", then "skip" (the king) or "advance" (pawn steps)
    const char* attacker; // "<code> <square>", then "ep" for en passant; "" when none
};

const AttackRow kRows[] = {
    {"4k3/8/8/8/8/5n2/8/r3K3 w - -", "e1 B", "BN f3"},
    {"4k3/8/8/8/8/8/8/r2NK3 w - -", "e1 B", ""},
    {"4k3/8/8/8/pP6/8/8/4K3 b - b3", "b4 B", "BP a4 ep"},
    {"4k3/8/8/8/1Pp5/8/8/4K3 b - b3", "b4 B", "BP c4 ep"},
    {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", "d5 W", "WP e5 ep"},
    {"4k3/8/8/8/pP6/8/8/4K3 b - -", "b4 B", ""},
    {"4k3/8/8/8/8/8/8/4K3 w - -", "d2 W skip", ""},
    {"4k3/8/8/8/8/8/4P3/4K3 w - -", "e4 W advance", "WP e2"},
    {"4k3/8/8/8/8/4n3/4P3/4K3 w - -", "e4 W advance", ""},
    {"4k3/8/8/8/8/8/3P4/4K3 w - -", "e3 W advance", ""},
    {"4k3/4p3/8/8/8/8/8/4K3 b - -", "e5 B advance", "BP e7"},
};

TEST(Attack, ReportsFirstAttacker) {
    for (const AttackRow& row : kRows) {
        SCOPED_TRACE(std::string(row.fen) + " " + row.query);
        rulestest::Setup(row.fen, 0);
        const rulestest::ModelSnapshot before;
        std::istringstream query(row.query), expected(row.attacker);
        std::string square, side, mode, code, from, ep;
        query >> square >> side >> mode;
        expected >> code >> from >> ep;
        EXPECT_EQ(IsSquareAttacked(square[1] - '0', square[0] - 'a' + 1, side, 0, mode == "skip",
                                   mode == "advance"),
                  !code.empty());
        EXPECT_EQ(AttackerKind, PieceIndexOf(code));
        if (!code.empty()) {
            EXPECT_EQ(reftest::SquareName((AttackerRank - 1) * 8 + AttackerFile - 1), from);
            EXPECT_TRUE(mode == "advance" || EnPassantAttack == (ep == "ep"));
        }
        EXPECT_TRUE(before.BoardsEqual());
    }
}

TEST(Attack, CountersOffBoardSquaresAndKingSearch) {
    rulestest::Setup("4k3/8/8/8/8/5n2/8/r3K3 w - -", 0);
    PieceCount[CountSlot(BlackKnight)] = 0; // kinds the counters say are absent are skipped
    EXPECT_TRUE(IsSquareAttacked(1, 5, "B", 0));
    EXPECT_EQ(AttackerKind, BlackRook);
    const int outside[][3] = {{0, 5, 0}, {1, 9, 0}, {1, 5, MaxDepth + 1}};
    for (const auto& [rank, file, ply] : outside) {
        EXPECT_FALSE(IsSquareAttacked(rank, file, "B", ply));
        EXPECT_EQ(AttackerKind, 0);
    }
    // Two White kings: the one nearest rank 1 is found; Black is searched from rank 8 down.
    rulestest::Setup("4k3/8/8/3k4/8/2K5/8/6K1 w - -", 0);
    std::int32_t rank = 0, file = 0;
    ASSERT_TRUE(FindKing("W", rank, file, 0));
    EXPECT_EQ(rank * 10 + file, 17);
    ASSERT_TRUE(FindKing("B", rank, file, 0));
    EXPECT_EQ(rank * 10 + file, 85);
    rulestest::Setup("8/8/8/8/8/8/8/6K1 w - -", 0);
    EXPECT_FALSE(FindKing("B", rank, file, 0));
}

} // namespace
