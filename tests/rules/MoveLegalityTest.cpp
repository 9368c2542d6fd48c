// The legality test of one human move: reasons, check flags and the flags it leaves.
#include "RulesTestSupport.h"

using namespace corvane;

namespace {

struct LegalityRow {
    const char* name;
    const char* fen;
    const char* text;
    bool legal;         // IsMoveLegal's answer
    const char* checks; // the side in check afterwards ("W", "B", "")
    const char* status; // GameStatus afterwards
    int kingState = -1; // when >= 0: entry 0 of the mover's castle flags before the test
};

const char* const kCastleBoth = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
const char* const kPawn = "4k3/8/8/8/8/8/4P3/4K3 w - -";
const char* const kPinned = "Movimento Inválido o Rei em Xeque!";

// Accept-or-refuse is checked on random games; these rows hold reasons and rare cases.
// clang-format off
const LegalityRow kRows[] = {
    {"pawn_captures_forward", "4k3/8/8/8/4n3/4P3/8/4K3 w - -", "WP e3xe4", false, "", ""},
    {"en_passant_exposes_king", "8/8/8/KPp4r/8/8/8/4k3 w - c6", "WP b5-c6", true, "W", kPinned},
    {"promotion_gives_check", "4k3/P7/8/8/8/8/8/4K3 w - -", "WP a7-a8=WQ", true, "B", ""},
    {"black_promotion_capture", "4k3/8/8/8/8/8/1p6/R3K3 b - -", "BP b2xa1", true, "W", ""},
    {"castle_king_moved", kCastleBoth, "WK e1-g1", false, "", " White king has been moved", 1},
    {"castle_done_before", kCastleBoth, "WK e1-c1", false, "", " Castling done", 2},
    {"castle_both_moved", "r3k2r/8/8/8/8/8/8/R3K2R w kq -", "WK e1-g1", false, "", " White king rook has been moved"},
    {"castle_queen_rook_moved", "r3k2r/8/8/8/8/8/8/R3K2R w Kkq -", "WK e1-c1", false, "", " White queen rook has been moved"},
    {"black_castle_rook_moved", "r3k2r/8/8/8/8/8/8/R3K2R b KQk -", "BK e8-c8", false, "", " Black queen rook has been moved"},
    {"castle_out_of_check", "4r1k1/8/8/8/8/8/8/4K2R w K -", "WK e1-g1", false, "", "White King in check, castling out of check not allowed!"},
    {"castle_into_check", "6rk/8/8/8/8/8/8/4K2R w K -", "WK e1-g1", false, "", "White King castling into check!"},
    {"castle_across_check", "5rrk/8/8/8/8/8/8/4K2R w K -", "WK e1-g1", false, "", "White King castling across check not allowed!"},
    {"black_castle_into_check", "4k2r/8/8/8/8/8/8/K5R1 b k -", "BK e8-g8", false, "", "Black King castling into check!"},
    {"castle_onto_enemy_piece", "4k3/8/8/8/8/8/8/4K1nR w K -", "WK e1xg1", false, "", ""},
    {"king_steps_into_check", "4k3/8/8/8/8/8/5r2/4K3 w - -", "WK e1-f1", false, "W", "Movimento Inválido o Rei fica em Xeque"},
    {"king_retreats_along_check", "4k3/8/8/8/4r3/8/4K3/8 w - -", "WK e2-e1", true, "W", kPinned},
    {"gives_check", "4k3/8/8/8/8/8/8/R3K3 w - -", "WR a1-a8", true, "B", ""},
    {"quiet_move_keeps_set_up_check", "4k3/8/8/8/8/8/P7/4R1K1 w - -", "WP a2-a3", true, "B", ""},
    {"king_capture_refused", "k7/8/8/8/8/8/8/R3K3 w - -", "WR a1xa8", false, "", ""},
    {"text_wrong_piece", "4k3/8/8/8/8/8/R7/4K3 w - -", "WN a2-b4", false, "", ""},
    {"text_wrong_colour", kPawn, "BP e2-e1", false, "", ""},
    {"text_empty_square", kPawn, "WP d2-d4", false, "", ""},
};
// clang-format on

TEST(Legality, ResultReasonAndFlags) {
    for (const LegalityRow& row : kRows) {
        SCOPED_TRACE(row.name);
        const std::string side = rulestest::Setup(row.fen, 0);
        if (row.kingState >= 0) {
            (side == "B" ? BlackCastleFlags : WhiteCastleFlags)[0][0] =
                static_cast<std::uint8_t>(row.kingState);
        }
        const rulestest::ModelSnapshot before;
        EXPECT_EQ(IsMoveLegal(row.text), row.legal);
        EXPECT_EQ(GameStatus, row.status);
        const std::string checks = row.checks;
        EXPECT_TRUE(!row.legal ||
                    (WhiteInCheck == (checks == "W") && BlackInCheck == (checks == "B")));
        // A refused move, or one that leaves the own king attacked, leaves no flags behind.
        EXPECT_TRUE(before.BoardsEqual());
        EXPECT_TRUE(before.FlagsEqualExcept(0));
        EXPECT_TRUE((row.legal && checks != side) || before.FlagsEqualExcept(-1));
    }
}

// Flags an accepted move leaves on ply 0: castle W/B, pawn W/B, castling made.

// clang-format off
const char* const kFlagRows[][4] = {
    {"promotion_pending", "4k3/P7/8/8/8/8/8/4K3 w - -", "WP a7-a8", "1110 1110 0010 0000 0000"},
    {"castling_marked", kCastleBoth, "WK e1-c1", "0000 0000 0000 0000 0100"},
    {"black_castling_marked", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "BK e8-g8", "0000 0000 0000 0000 0010"},
    {"corner_capture", "r3k3/8/8/8/8/8/8/4K2B w q -", "WB h1xa8", "1110 0110 0000 0000 0000"},
    {"corner_capture_by_black", "4k3/8/8/8/8/6n1/8/4K2R b K -", "BN g3xh1", "0110 1110 0000 0000 0000"},
};
// clang-format on

std::string FlagsOfPlyZero() {
    std::string text;
    for (const FlagArray* flags :
         {&WhiteCastleFlags, &BlackCastleFlags, &WhitePawnFlags, &BlackPawnFlags, &CastleMade}) {
        if (!text.empty()) text += ' ';
        for (const std::uint8_t entry : (*flags)[0]) text += std::to_string(entry);
    }
    return text;
}

TEST(Legality, FlagsLeftOnTheExaminedPly) {
    for (const auto& [name, fen, text, flags] : kFlagRows) {
        SCOPED_TRACE(name);
        rulestest::Setup(fen, 0);
        ASSERT_TRUE(IsMoveLegal(text)) << GameStatus;
        EXPECT_EQ(FlagsOfPlyZero(), flags);
    }
}

TEST(Legality, CornerRightsEndForEveryLaterRook) {
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
    // Commits made elsewhere (a peer's, the computer's) mark the corners the same way.
    rulestest::Setup(kCastleBoth, 0);
    MarkCornerRooks(3, 3, 8, 8, 0); // a move landing on h8
    MarkCornerRooks(1, 1, 4, 4, 0); // a move leaving a1
    MarkCornerRooks(4, 4, 5, 5, 0);
    EXPECT_EQ(FlagsOfPlyZero(), "0010 0100 0000 0000 0000");
}

TEST(Legality, ApplyMoveRefusesWithThePositionUnchanged) {
    // The knight is pinned; a bishop asked for a knight's jump; a square off the
    // board; a piece the square does not hold; the last ply, with none above it.
    const std::pair<MoveText, int> refused[] = {
        {{WhiteKnight, 2, 5, 3, 3, false, ""}, 0},      {{WhiteBishop, 1, 7, 3, 6, false, ""}, 0},
        {{WhiteKing, 1, 5, 0, 5, false, ""}, 0},        {{WhiteQueen, 1, 5, 1, 4, false, ""}, 0},
        {{WhiteKing, 1, 5, 1, 4, false, ""}, MaxDepth},
    };
    for (const auto& [move, ply] : refused) {
        rulestest::Setup("k3r3/8/8/8/8/8/4N3/4K1B1 w - -", ply);
        const PlyBoard before = Board[ply];
        GameStatus = "kept";
        EXPECT_FALSE(ApplyMove(move, ply)) << FormatMoveText(move);
        EXPECT_TRUE(Board[ply] == before);
        EXPECT_EQ(GameStatus, "kept");
    }
    rulestest::Setup("k3r3/8/8/8/8/8/4N3/4K1B1 w - -", 0);
    GameStatus = "kept";
    ASSERT_TRUE(ApplyMove({WhiteKing, 1, 5, 1, 4, false, ""}));
    EXPECT_EQ(Board[0][1][4], WhiteKing);
    EXPECT_EQ(GameStatus, "kept") << "the results of the mover's own test stay";
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
    EXPECT_EQ(hooks.boxes, std::vector<std::string>{"No Black King in MoveBarred ??"});
}

// Perft plays MoveBarred on every ply; out of range it refuses.
TEST(Legality, MoveBarredRefusesWhatIsOutOfRange) {
    rulestest::Setup(kCastleBoth, 0);
    const rulestest::ModelSnapshot before;
    FromRank = 0, FromFile = 1, ToRank = 1, ToFile = 100;
    EXPECT_TRUE(MoveBarred(WhiteRook, 0));
    FromRank = 1, FromFile = 1, ToRank = 2, ToFile = 1;
    for (const int ply : {MaxDepth + 1, -1}) EXPECT_TRUE(MoveBarred(WhiteRook, ply));
    for (const PieceIndex piece : {PieceIndex{13}, Empty}) EXPECT_TRUE(MoveBarred(piece, 0));
    EXPECT_TRUE(before.Unchanged());
}

} // namespace
