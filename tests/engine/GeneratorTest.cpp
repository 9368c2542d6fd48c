// The move generator: scan and direction orders, check marks, mobility, capacity, missing kings.
#include "EngineTestSupport.h"

namespace corvane {
namespace {

using enginetest::SetUpPosition;
// Destinations of one piece kind's generated moves in list order, "+" when marked as check.
std::string Destinations(std::string_view side, int piece, int depth = 1) {
    const std::int32_t n = GenerateMoves(side, 1, depth, 2);
    std::string out;
    const SideMoveList& list = MoveList[side == "B" ? 1 : 0];
    for (int i = 1; i <= n; ++i) {
        if (list[depth][i].piece != piece) continue;
        out += out.empty() ? "" : " ";
        out += {char('a' + list[depth][i].toFile - 1), char('0' + list[depth][i].toRank)};
        out += list[depth][i].givesCheck == 1 ? "+" : "";
    }
    return out;
}

TEST(GenerateMoves, DirectionOrdersFollowTheSwitch) {
    // Position, piece, then its destinations at DirectionSwitch 1 (levels 1, 2) and at 0.
    // clang-format off
    const std::tuple<const char*, PieceIndex, const char*, const char*> rows[] = {
        {"4k3/8/8/8/3N4/8/8/K7 w - - 0 1", WhiteKnight, "b3 c2 e2 f3 f5 e6 c6 b5", "f5 e6 c6 b5 b3 c2 e2 f3"},
        {"k7/8/8/8/8/8/1B6/K7 w - - 0 1", WhiteBishop, "c1 c3 d4 e5 f6 g7 h8 a3", "c3 d4 e5 f6 g7 h8 a3 c1"},
        {"k7/8/8/8/8/1p6/PQ6/KR6 w - - 0 1", WhiteQueen, "c3 d4 e5 f6 g7 h8+ a3+ c1 c2 d2 e2 f2 g2+ h2 b3",
         "c2 d2 e2 f2 g2+ h2 b3 c3 d4 e5 f6 g7 h8+ a3+ c1"}};
    // clang-format on
    for (const auto& [fen, piece, switchOne, switchZero] : rows) {
        SetUpPosition(fen);
        for (const int on : {1, 0}) {
            DirectionSwitch = on;
            EXPECT_EQ(Destinations("W", piece), on ? switchOne : switchZero) << fen;
        }
    }
}

TEST(GenerateMoves, CastlingFirstAndChecksMarked) {
    // Castling first among the king's steps; Rd1, Ra8 and Rh8 give check.
    SetUpPosition("3k4/8/8/8/8/8/8/R3K2R w KQ - 0 1");
    DirectionSwitch = 1;
    EXPECT_EQ(Destinations("W", WhiteKing), "g1 c1 f1 e2 d1 f2 d2");
    EXPECT_EQ(Destinations("W", WhiteRook),
              "b1 c1 d1+ a2 a3 a4 a5 a6 a7 a8+ h2 h3 h4 h5 h6 h7 h8+ g1 f1");
    // A new queen gives check although White had no queen before.
    SetUpPosition("k7/2P5/8/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(Destinations("W", WhitePawn), "c8+");
}

TEST(GenerateMoves, ModesAndMobility) {
    SetUpPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    MobilityCount.fill(99);
    EXPECT_EQ(GenerateMoves("W", 1, 1, 0), 20);
    EXPECT_EQ(MobilityCount[WhiteKnight], 99); // mode 0 leaves the counts
    EXPECT_EQ(GenerateMoves("W", 1, 1, 1), 20);
    // Knights, pawns and rooks counted; the other side's counts kept.
    EXPECT_EQ((std::array{MobilityCount[WhiteKnight], MobilityCount[WhitePawn],
                          MobilityCount[WhiteRook], MobilityCount[BlackKnight]}),
              (std::array{4, 16, 0, 99}));
    EXPECT_EQ(GenerateMoves("B", 1, 2, 2), 20);
    EXPECT_EQ(MobilityCount[BlackKnight], 4);
    // Black's scan also starts at rank 1: the a7 pawn comes first, a6 before a5.
    EXPECT_EQ(MoveList[1][2][1].piece, BlackPawn);
    EXPECT_EQ(Destinations("B", BlackPawn, 2).substr(0, 5), "a6 a5");
    const PlyBoard before = Board[1];
    const PlyFlags flags = WhitePawnFlags[1];
    GenerateMoves("W", 1, 1, 2);
    EXPECT_EQ(std::pair(Board[1], WhitePawnFlags[1]), std::pair(before, flags));
}

TEST(GenerateMoves, TheLargestKnownMoveCountFits) {
    SetUpPosition("R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - - 0 1");
    EXPECT_EQ(GenerateMoves("W", 1, 1, 2), 218);
    GenerateAtDepth("W", 1, 1);
    EXPECT_EQ(MoveCountPly[1], 218);
    EXPECT_NE(MoveList[0][1][218].piece, 0);
    ListCursor = 50; // nine queens stay within the piece lists
    Evaluate(1);
    EXPECT_EQ(PieceCount[CountSlot(WhiteQueen)] * 10 + PieceList[WhiteQueen].count, 99);
}

TEST(TestForCheck, AttackAndMissingKingTexts) {
    SetUpPosition("4k3/8/8/8/8/8/8/4RK2 w - - 0 1");
    EXPECT_TRUE(TestForCheck("W", 1));
    EXPECT_FALSE(TestForCheck("B", 1));
    enginetest::RecordingHooks hooks;
    Board[1][8][5] = Empty;
    EXPECT_FALSE(TestForCheck("W", 1));
    EXPECT_EQ(GameStatus, "No Black King in TestForCheck ??");
    Board[1][1][6] = Empty;
    EXPECT_FALSE(TestForCheck("B", 1));
    EXPECT_EQ(GameStatus, "No White King in TestForCheck ??");
    EXPECT_EQ(hooks.boxes, (std::vector<std::string>{"No Black King in TestForCheck ??",
                                                     "No White King in TestForCheck ??"}));
}

} // namespace
} // namespace corvane
