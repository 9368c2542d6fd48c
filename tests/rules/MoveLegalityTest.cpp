// The legality test of one human move: results, reasons, check flags and the
// side effects on the flags of the examined ply.
#include <gtest/gtest.h>

#include "RulesTestSupport.h"

using namespace corvane;

namespace {

struct LegalityRow {
    const char* name;
    const char* fen;
    const char* text;
    bool legal;         // IsMoveLegal's answer
    const char* status; // GameStatus afterwards
    bool whiteInCheck;
    bool blackInCheck;
    int kingState = -1; // when >= 0: entry 0 of the mover's castle flags before the test
};

void PrintTo(const LegalityRow& row, std::ostream* os) {
    *os << row.name;
}

const char* const kCastleBoth = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
const char* const kPinned = "Movimento Inválido o Rei em Xeque!";

const LegalityRow kRows[] = {
    {"double_step", "4k3/8/8/8/8/8/4P3/4K3 w - -", "WP e2-e4", true, "", false, false},
    {"double_step_blocked_midway", "4k3/8/8/8/8/4n3/4P3/4K3 w - -", "WP e2-e4", false, "", false,
     false},
    {"double_step_onto_piece", "4k3/8/8/8/4n3/8/4P3/4K3 w - -", "WP e2-e4", false, "", false,
     false},
    {"double_step_from_third_rank", "4k3/8/8/8/8/4P3/8/4K3 w - -", "WP e3-e5", false, "", false,
     false},
    {"pawn_captures_forward", "4k3/8/8/8/4n3/4P3/8/4K3 w - -", "WP e3xe4", false, "", false, false},
    {"pawn_diagonal_to_empty", "4k3/8/8/8/8/4P3/8/4K3 w - -", "WP e3-d4", false, "", false, false},
    {"black_pawn_backwards", "4k3/8/4p3/8/8/8/8/4K3 b - -", "BP e6-e7", false, "", false, false},
    {"en_passant", "4k3/8/8/3pP3/8/8/8/4K3 w - d6", "WP e5-d6", true, "", false, false},
    {"en_passant_without_double_step", "4k3/8/8/3pP3/8/8/8/4K3 w - -", "WP e5-d6", false, "", false,
     false},
    {"black_en_passant", "4k3/8/8/8/3pP3/8/8/4K3 b - e3", "BP d4-e3", true, "", false, false},
    // The pawn taken en passant leaves the rank open to the rook.
    {"en_passant_exposes_king", "8/8/8/KPp4r/8/8/8/4k3 w - c6", "WP b5-c6", true, kPinned, true,
     false},
    // Examined as a queen, the new piece gives check along the rank.
    {"promotion_gives_check", "4k3/P7/8/8/8/8/8/4K3 w - -", "WP a7-a8", true, "", false, true},
    {"promotion_suffix_read_past", "4k3/P7/8/8/8/8/8/4K3 w - -", "WP a7-a8=WQ", true, "", false,
     true},
    {"black_promotion_capture", "4k3/8/8/8/8/8/1p6/R3K3 b - -", "BP b2xa1", true, "", true, false},
    {"castle_king_side", kCastleBoth, "WK e1-g1", true, "", false, false},
    {"castle_queen_side", kCastleBoth, "WK e1-c1", true, "", false, false},
    {"black_castle_queen_side", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "BK e8-c8", true, "", false,
     false},
    {"castle_king_moved", kCastleBoth, "WK e1-g1", false, " White king has been moved", false,
     false, 1},
    {"castle_done_before", kCastleBoth, "WK e1-c1", false, " Castling done", false, false, 2},
    {"castle_king_and_rook_moved", "r3k2r/8/8/8/8/8/8/R3K2R w kq -", "WK e1-g1", false,
     " White king rook has been moved", false, false},
    {"castle_queen_rook_moved", "r3k2r/8/8/8/8/8/8/R3K2R w Kkq -", "WK e1-c1", false,
     " White queen rook has been moved", false, false},
    {"black_castle_rook_moved", "r3k2r/8/8/8/8/8/8/R3K2R b KQk -", "BK e8-c8", false,
     " Black queen rook has been moved", false, false},
    {"castle_out_of_check", "4r1k1/8/8/8/8/8/8/4K2R w K -", "WK e1-g1", false,
     "White King in check, castling out of check not allowed!", false, false},
    {"castle_into_check", "6rk/8/8/8/8/8/8/4K2R w K -", "WK e1-g1", false,
     "White King castling into check!", false, false},
    {"castle_across_check", "5r1k/8/8/8/8/8/8/4K2R w K -", "WK e1-g1", false,
     "White King castling across check not allowed!", false, false},
    {"castle_across_and_into_check", "5rrk/8/8/8/8/8/8/4K2R w K -", "WK e1-g1", false,
     "White King castling across check not allowed!", false, false},
    {"black_castle_into_check", "4k2r/8/8/8/8/8/8/K5R1 b k -", "BK e8-g8", false,
     "Black King castling into check!", false, false},
    {"castle_queen_side_b_file_taken", "4k3/8/8/8/8/8/8/RN2K3 w Q -", "WK e1-c1", false, "", false,
     false},
    {"castle_onto_enemy_piece", "4k3/8/8/8/8/8/8/4K1nR w K -", "WK e1xg1", false, "", false, false},
    {"castle_queen_side_onto_enemy", "4k3/8/8/8/8/8/8/R1b1K3 w Q -", "WK e1xc1", false, "", false,
     false},
    {"castle_without_rook", "4k3/8/8/8/8/8/8/4K2N w K -", "WK e1-g1", false, "", false, false},
    {"king_steps_into_check", "4k3/8/8/8/8/8/5r2/4K3 w - -", "WK e1-f1", false,
     "Movimento Inválido o Rei fica em Xeque", true, false},
    // The destination looks safe while the king still shields it.
    {"king_retreats_along_check", "4k3/8/8/8/4r3/8/4K3/8 w - -", "WK e2-e1", true, kPinned, true,
     false},
    {"king_three_files", "4k3/8/8/8/8/8/8/R3K3 w Q -", "WK e1-b1", false, "", false, false},
    {"pinned_bishop", "4k3/4r3/8/8/8/8/4B3/4K3 w - -", "WB e2-d3", true, kPinned, true, false},
    {"pinned_bishop_along_pin", "4k3/4r3/8/8/8/8/4R3/4K3 w - -", "WR e2xe7", true, "", false, true},
    {"gives_check", "4k3/8/8/8/8/8/8/R3K3 w - -", "WR a1-a8", true, "", false, true},
    {"king_capture_refused", "k7/8/8/8/8/8/8/R3K3 w - -", "WR a1xa8", false, "", false, false},
    {"rook_jumps", "4k3/8/8/8/8/8/P7/R3K3 w - -", "WR a1-a3", false, "", false, false},
    {"bishop_onto_own_piece", "4k3/8/8/8/8/8/1P6/B3K3 w - -", "WB a1xb2", false, "", false, false},
    {"knight_onto_enemy", "4k3/8/8/8/8/1p6/8/N3K3 w - -", "WN a1xb3", true, "", false, false},
    {"queen_wrong_shape", "4k3/8/8/8/8/8/8/Q3K3 w - -", "WQ a1-b3", false, "", false, false},
    // Texts that are refused before any square is read.
    {"text_short", "4k3/8/8/8/8/8/4P3/4K3 w - -", "WP e2-e", false, "", false, false},
    {"text_off_board", "4k3/8/8/8/8/8/4P3/4K3 w - -", "WP e2-e9", false, "", false, false},
    {"text_bad_file", "4k3/8/8/8/8/8/4P3/4K3 w - -", "WP i2-i4", false, "", false, false},
    {"text_bad_separator", "4k3/8/8/8/8/8/4P3/4K3 w - -", "WPxe2-e4", false, "", false, false},
    {"text_bad_dash", "4k3/8/8/8/8/8/4P3/4K3 w - -", "WP e2*e4", false, "", false, false},
    {"text_non_ascii", "4k3/8/8/8/8/8/4P3/4K3 w - -",
     "WP \xc3\xa9"
     "2-e4",
     false, "", false, false},
    {"text_trailing_junk", "4k3/8/8/8/8/8/4P3/4K3 w - -", "WP e2-e4X", false, "", false, false},
    {"text_wrong_piece", "4k3/8/8/8/8/8/R7/4K3 w - -", "WN a2-b4", false, "", false, false},
    {"text_wrong_colour", "4k3/8/8/8/8/8/4P3/4K3 w - -", "BP e2-e1", false, "", false, false},
    {"text_empty_square", "4k3/8/8/8/8/8/4P3/4K3 w - -", "WP d2-d4", false, "", false, false},
};

class Legality : public ::testing::TestWithParam<LegalityRow> {};

TEST_P(Legality, ResultReasonAndFlags) {
    const LegalityRow& row = GetParam();
    const std::string side = rulestest::Setup(row.fen, 0);
    if (row.kingState >= 0) {
        (side == "B" ? BlackCastleFlags : WhiteCastleFlags)[0][0] =
            static_cast<std::uint8_t>(row.kingState);
    }
    const rulestest::ModelSnapshot before;
    EXPECT_EQ(IsMoveLegal(row.text), row.legal);
    EXPECT_EQ(GameStatus, row.status);
    if (row.legal) {
        EXPECT_EQ(WhiteInCheck, row.whiteInCheck);
        EXPECT_EQ(BlackInCheck, row.blackInCheck);
    }
    // The examined position and every other ply's flags are left alone; a
    // refused move, or one that leaves the own king attacked, leaves no flags behind.
    EXPECT_TRUE(before.BoardsEqual());
    EXPECT_TRUE(before.FlagsEqualExcept(0));
    const bool ownCheck = side == "B" ? BlackInCheck : WhiteInCheck;
    if (!row.legal || ownCheck) {
        EXPECT_TRUE(before.FlagsEqualExcept(-1));
    }
}

INSTANTIATE_TEST_SUITE_P(Moves, Legality, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Flags an accepted move leaves on the examined ply, entry by entry.
struct FlagRow {
    const char* name;
    const char* fen;
    const char* text;
    PlyFlags whiteCastle, blackCastle, whitePawn, blackPawn, castleMade;
};

void PrintTo(const FlagRow& row, std::ostream* os) {
    *os << row.name;
}

const FlagRow kFlagRows[] = {
    {"double_step_file",
     "4k3/8/8/8/8/8/4P3/4K3 w - -",
     "WP e2-e4",
     {1, 1, 1, 0},
     {1, 1, 1, 0},
     {0, 5, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0}},
    {"en_passant_marks",
     "4k3/8/8/3pP3/8/8/8/4K3 w - d6",
     "WP e5-d6",
     {1, 1, 1, 0},
     {1, 1, 1, 0},
     {1, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0}},
    {"other_move_ends_en_passant",
     "4k3/8/8/3pP3/8/8/8/4K3 w - d6",
     "WK e1-d1",
     {1, 1, 1, 0},
     {1, 1, 1, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0}},
    {"promotion_pending",
     "4k3/P7/8/8/8/8/8/4K3 w - -",
     "WP a7-a8",
     {1, 1, 1, 0},
     {1, 1, 1, 0},
     {0, 0, 1, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0}},
    {"king_rook_moves",
     kCastleBoth,
     "WR h1-h5",
     {0, 1, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0}},
    {"king_step",
     kCastleBoth,
     "WK e1-d1",
     {1, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0}},
    {"castling_marked",
     kCastleBoth,
     "WK e1-c1",
     {0, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 1, 0, 0}},
    {"black_castling_marked",
     "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -",
     "BK e8-g8",
     {0, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 1, 0}},
    // A capture on a corner ends the castling right of the rook that stood there.
    {"corner_capture",
     "r3k3/8/8/8/8/8/8/4K2B w q -",
     "WB h1xa8",
     {1, 1, 1, 0},
     {0, 1, 1, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0}},
    {"corner_capture_by_black",
     "4k3/8/8/8/8/6n1/8/4K2R b K -",
     "BN g3xh1",
     {0, 1, 1, 0},
     {1, 1, 1, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0},
     {0, 0, 0, 0}},
};

class AcceptedFlags : public ::testing::TestWithParam<FlagRow> {};

TEST_P(AcceptedFlags, LeftOnTheExaminedPly) {
    const FlagRow& row = GetParam();
    rulestest::Setup(row.fen, 0);
    ASSERT_TRUE(IsMoveLegal(row.text)) << GameStatus;
    EXPECT_EQ(WhiteCastleFlags[0], row.whiteCastle);
    EXPECT_EQ(BlackCastleFlags[0], row.blackCastle);
    EXPECT_EQ(WhitePawnFlags[0], row.whitePawn);
    EXPECT_EQ(BlackPawnFlags[0], row.blackPawn);
    EXPECT_EQ(CastleMade[0], row.castleMade);
}

INSTANTIATE_TEST_SUITE_P(Moves, AcceptedFlags, ::testing::ValuesIn(kFlagRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Legality, CornerCaptureStopsALaterRookFromCastling) {
    rulestest::Setup("b3k3/8/8/8/8/8/8/R3K2R b KQ -", 0);
    ASSERT_TRUE(IsMoveLegal("BB a8xh1"));
    PlayAcceptedMove(0);
    EXPECT_EQ(WhiteCastleFlags[0][1], 1);
    // Another White rook that reaches h1 later may not castle; the other side still may.
    Board[0][1][8] = WhiteRook;
    CountPieces(0);
    EXPECT_FALSE(IsMoveLegal("WK e1-g1"));
    EXPECT_EQ(GameStatus, " White king rook has been moved");
    EXPECT_TRUE(IsMoveLegal("WK e1-c1"));
}

TEST(Legality, CornerRightsEndForCommitsMadeElsewhere) {
    rulestest::Setup(kCastleBoth, 0);
    MarkCornerRooks(3, 3, 8, 8, 0); // a move landing on h8
    MarkCornerRooks(1, 1, 4, 4, 0); // a move leaving a1
    EXPECT_EQ(BlackCastleFlags[0], (PlyFlags{0, 1, 0, 0}));
    EXPECT_EQ(WhiteCastleFlags[0], (PlyFlags{0, 0, 1, 0}));
    MarkCornerRooks(4, 4, 5, 5, 0);
    EXPECT_EQ(BlackCastleFlags[0], (PlyFlags{0, 1, 0, 0}));
    EXPECT_EQ(WhiteCastleFlags[0], (PlyFlags{0, 0, 1, 0}));
}

TEST(Legality, EnPassantLastsOneMove) {
    rulestest::Setup("4k3/3p4/8/4P3/8/8/8/4K3 b - -", 0);
    ASSERT_TRUE(IsMoveLegal("BP d7-d5"));
    PlayAcceptedMove(0);
    EXPECT_EQ(BlackPawnFlags[0][1], 4);
    // The capture is available right now (tried on a copy so ply 0 keeps its flags).
    Board[1] = Board[0];
    CopyPlyFlags(0, 1);
    FromRank = 5, FromFile = 5, ToRank = 6, ToFile = 4;
    EXPECT_FALSE(MoveBarred(WhitePawn, 1));
    EXPECT_FALSE(WhiteInCheck);
    ASSERT_TRUE(IsMoveLegal("WK e1-d1"));
    PlayAcceptedMove(0);
    EXPECT_EQ(BlackPawnFlags[0][1], 0);
    ASSERT_TRUE(IsMoveLegal("BK e8-e7"));
    PlayAcceptedMove(0);
    EXPECT_FALSE(IsMoveLegal("WP e5-d6"));
}

TEST(Legality, OnlyAPawnPromotes) {
    // A promotion marker left from an earlier move must not turn a knight into a queen.
    rulestest::Setup("k7/8/8/8/8/8/8/4K1N1 w - -", 0);
    WhitePawnFlags[0][2] = 1;
    PromotionChoice.clear();
    ASSERT_TRUE(IsMoveLegal("WN g1-f3"));
    EXPECT_FALSE(BlackInCheck);
    EXPECT_EQ(PromotionChoice, "");
    rulestest::Setup("k7/4P3/8/8/8/8/8/4K3 w - -", 0);
    ASSERT_TRUE(IsMoveLegal("WP e7-e8"));
    EXPECT_EQ(PromotionChoice, "Q");
    EXPECT_EQ(Board[0][7][5], WhitePawn); // the examined board is unchanged
}

TEST(Legality, MissingKingIsReportedAndRefused) {
    rulestest::RecordingHooks hooks;
    rulestest::Setup("8/8/8/8/8/8/8/R3K3 w - -", 0);
    EXPECT_FALSE(IsMoveLegal("WR a1-a2"));
    EXPECT_EQ(GameStatus, "No Black King in MoveBarred ??");
    ASSERT_EQ(hooks.boxes.size(), 1u);
    EXPECT_EQ(hooks.boxes[0], "No Black King in MoveBarred ??");
}

TEST(Legality, MoveBarredAtAnotherPlyLeavesPlyZeroAlone) {
    rulestest::Setup(kCastleBoth, 0);
    Board[7] = Board[0];
    CopyPlyFlags(0, 7);
    const rulestest::ModelSnapshot before;
    FromRank = 1, FromFile = 5, ToRank = 1, ToFile = 7;
    EXPECT_FALSE(MoveBarred(WhiteKing, 7));
    EXPECT_EQ(CastleMade[7][0], 1);
    EXPECT_TRUE(before.BoardsEqual());
    EXPECT_TRUE(before.FlagsEqualExcept(7));
}

TEST(Legality, OutOfRangeInputIsRefused) {
    rulestest::Setup(kCastleBoth, 0);
    const rulestest::ModelSnapshot before;
    const int bad[][4] = {{0, 1, 1, 1}, {1, 9, 1, 1}, {1, 1, -5, 1}, {1, 1, 1, 100}};
    for (const auto& c : bad) {
        FromRank = c[0], FromFile = c[1], ToRank = c[2], ToFile = c[3];
        EXPECT_TRUE(MoveBarred(WhiteRook, 0));
    }
    FromRank = 1, FromFile = 1, ToRank = 2, ToFile = 1;
    EXPECT_TRUE(MoveBarred(WhiteRook, MaxDepth + 1));
    EXPECT_TRUE(MoveBarred(WhiteRook, -1));
    EXPECT_TRUE(MoveBarred(13, 0));
    EXPECT_TRUE(MoveBarred(Empty, 0));
    EXPECT_TRUE(before.BoardsEqual());
    EXPECT_TRUE(before.FlagsEqualExcept(-1));
}

} // namespace
