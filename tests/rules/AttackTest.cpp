// The attack test: which piece is reported, en passant, the advance mode, the
// skip-king flag and the piece counters.
#include <gtest/gtest.h>

#include "RulesTestSupport.h"

using namespace corvane;

namespace {

struct AttackRow {
    const char* name;
    const char* fen;
    const char* square;
    const char* side;
    bool skipKing, pawnAdvance;
    bool attacked;
    int kind;             // AttackerKind afterwards
    const char* attacker; // its square, "" when none
    bool enPassant;
};

void PrintTo(const AttackRow& row, std::ostream* os) {
    *os << row.name;
}

const AttackRow kRows[] = {
    {"knight", "4k3/8/8/8/8/5n2/8/4K3 w - -", "e1", "B", false, false, true, BlackKnight, "f3",
     false},
    {"knight_first_then_rook", "4k3/8/8/8/8/5n2/8/r3K3 w - -", "e1", "B", false, false, true,
     BlackKnight, "f3", false},
    {"rook_behind_piece", "4k3/8/8/8/8/8/8/r2NK3 w - -", "e1", "B", false, false, false, 0, "",
     false},
    {"rook_along_rank", "4k3/8/8/8/8/8/8/r3K3 w - -", "e1", "B", false, false, true, BlackRook,
     "a1", false},
    {"queen_on_diagonal", "4k3/8/8/q7/8/8/8/4K3 w - -", "e1", "B", false, false, true, BlackQueen,
     "a5", false},
    {"bishop", "4k3/8/8/b7/8/8/8/4K3 w - -", "e1", "B", false, false, true, BlackBishop, "a5",
     false},
    {"bishop_blocked", "4k3/8/8/b7/1P6/8/8/4K3 w - -", "e1", "B", false, false, false, 0, "",
     false},
    {"white_pawn_diagonal", "4k3/8/8/8/4P3/8/8/4K3 w - -", "d5", "W", false, false, true, WhitePawn,
     "e4", false},
    {"white_pawn_not_ahead", "4k3/8/8/8/4P3/8/8/4K3 w - -", "e5", "W", false, false, false, 0, "",
     false},
    {"black_pawn_downwards", "4k3/8/8/3p4/8/8/8/4K3 w - -", "e4", "B", false, false, true,
     BlackPawn, "d5", false},
    {"black_pawn_not_upwards", "4k3/8/8/3p4/8/8/8/4K3 w - -", "e6", "B", false, false, false, 0, "",
     false},
    // The pawn that just advanced two squares can be taken from either side.
    {"en_passant_from_a_file", "4k3/8/8/8/pP6/8/8/4K3 b - b3", "b4", "B", false, false, true,
     BlackPawn, "a4", true},
    {"en_passant_from_c_file", "4k3/8/8/8/1Pp5/8/8/4K3 b - b3", "b4", "B", false, false, true,
     BlackPawn, "c4", true},
    {"en_passant_white", "4k3/8/8/3pP3/8/8/8/4K3 w - d6", "d5", "W", false, false, true, WhitePawn,
     "e5", true},
    {"no_en_passant_without_flag", "4k3/8/8/8/pP6/8/8/4K3 b - -", "b4", "B", false, false, false, 0,
     "", false},
    {"king", "4k3/8/8/8/8/8/8/4K3 w - -", "d2", "W", false, false, true, WhiteKing, "e1", false},
    {"king_skipped", "4k3/8/8/8/8/8/8/4K3 w - -", "d2", "W", true, false, false, 0, "", false},
    {"advance_one", "4k3/8/8/8/8/8/4P3/4K3 w - -", "e3", "W", false, true, true, WhitePawn, "e2",
     false},
    {"advance_two", "4k3/8/8/8/8/8/4P3/4K3 w - -", "e4", "W", false, true, true, WhitePawn, "e2",
     false},
    {"advance_blocked", "4k3/8/8/8/8/4n3/4P3/4K3 w - -", "e4", "W", false, true, false, 0, "",
     false},
    {"advance_mode_ignores_captures", "4k3/8/8/8/8/8/3P4/4K3 w - -", "e3", "W", false, true, false,
     0, "", false},
    {"black_advance", "4k3/4p3/8/8/8/8/8/4K3 b - -", "e5", "B", false, true, true, BlackPawn, "e7",
     false},
};

class Attack : public ::testing::TestWithParam<AttackRow> {};

TEST_P(Attack, ReportsFirstAttacker) {
    const AttackRow& row = GetParam();
    rulestest::Setup(row.fen, 0);
    const rulestest::ModelSnapshot before;
    const int rank = row.square[1] - '0', file = row.square[0] - 'a' + 1;
    EXPECT_EQ(IsSquareAttacked(rank, file, row.side, 0, row.skipKing, row.pawnAdvance),
              row.attacked);
    EXPECT_EQ(AttackerKind, row.kind);
    if (row.attacked) {
        EXPECT_EQ(reftest::SquareName((AttackerRank - 1) * 8 + AttackerFile - 1), row.attacker);
        if (!row.pawnAdvance) {
            EXPECT_EQ(EnPassantAttack, row.enPassant);
        }
    }
    EXPECT_TRUE(before.BoardsEqual());
}

INSTANTIATE_TEST_SUITE_P(Squares, Attack, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Attack, KindsWithoutCountAreSkipped) {
    rulestest::Setup("4k3/8/8/8/8/5n2/8/4K3 w - -", 0);
    PieceCount[CountSlot(BlackKnight)] = 0; // the counters describe another position
    EXPECT_FALSE(IsSquareAttacked(1, 5, "B", 0));
    CountPieces(0);
    EXPECT_TRUE(IsSquareAttacked(1, 5, "B", 0));
}

TEST(Attack, OffBoardAndBadPlyAreNotAttacked) {
    rulestest::Setup("4k3/8/8/8/8/8/8/r3K3 w - -", 0);
    EXPECT_FALSE(IsSquareAttacked(0, 5, "B", 0));
    EXPECT_FALSE(IsSquareAttacked(1, 9, "B", 0));
    EXPECT_FALSE(IsSquareAttacked(1, 5, "B", MaxDepth + 1));
    EXPECT_EQ(AttackerKind, 0);
}

TEST(Attack, FindKingSearchOrder) {
    // Two White kings: the one nearest rank 1 is found; Black is searched from rank 8 down.
    rulestest::Setup("4k3/8/8/3k4/8/2K5/8/6K1 w - -", 0);
    std::int32_t rank = 0, file = 0;
    ASSERT_TRUE(FindKing("W", rank, file, 0));
    EXPECT_EQ(rank * 10 + file, 17);
    ASSERT_TRUE(FindKing("B", rank, file, 0));
    EXPECT_EQ(rank * 10 + file, 85);
    ASSERT_TRUE(FindKing("x", rank, file, 0)); // anything but "B" means White
    EXPECT_EQ(rank * 10 + file, 17);
    rulestest::Setup("8/8/8/8/8/8/8/6K1 w - -", 0);
    EXPECT_FALSE(FindKing("B", rank, file, 0));
}

} // namespace
