// The position string: writing ply 0 and reading a text into a board view.
#include <gtest/gtest.h>

#include "RulesTestSupport.h"

using namespace corvane;

namespace {

const std::string kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0";

TEST(PositionString, RoundTripAndWriter) {
    rulestest::Setup("4k3/8/8/8/8/8/8/4K3 w - -", 0);
    PlainSquareImages view;
    std::string side = "?";
    LoadPosition(view, kStart, side);
    LoadBoardFromView(view, 0);
    EXPECT_EQ(Board[0], InitialBoard);
    EXPECT_EQ(BuildPositionString(), kStart);
    EXPECT_EQ(side, "W");
    EXPECT_EQ(LoadedMoveNumber, 0);
    EXPECT_EQ(WhitePieceTotal, 16);
    // The side and rights are not part of the text.
    rulestest::Setup("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq -", 0);
    EXPECT_EQ(BuildPositionString(),
              "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w - - 0");
    rulestest::Setup("8/8/8/8/8/8/8/7K w - -", 0);
    EXPECT_EQ(BuildPositionString(), "8/8/8/8/8/8/8/7K w - - 0");
}

struct ReaderRow {
    const char* name;
    const char* text;
    const char* placement; // what the view shows, written back as a placement
    const char* side;      // "?" when the text names none
    int moveNumber;
    int white, black;
};

// clang-format off
const ReaderRow kReaderRows[] = {
    {"empty_board", "8/8/8/8/8/8/8/8 w - - 0", "8/8/8/8/8/8/8/8", "W", 0, 0, 0},
    {"kings_black_to_move", "4k3/8/8/8/8/8/8/4K3 b - - 17", "4k3/8/8/8/8/8/8/4K3", "B", 17, 1, 1},
    {"b_is_a_bishop_in_placement", "b7/8/8/8/8/8/8/7B b - - 3", "b7/8/8/8/8/8/8/7B", "B", 3, 1, 1},
    {"nine_advances_one", "9k/8/8/8/8/8/8/8 w - - 0", "1k6/8/8/8/8/8/8/8", "W", 0, 0, 1},
    {"unknown_letter_advances_one", "xk6/8/8/8/8/8/8/8 w - - 0", "1k6/8/8/8/8/8/8/8", "W", 0, 0, 1},
    {"non_digit_below_nine_advances_none", "!k6/8/8/8/8/8/8/8 w - - 0", "k7/8/8/8/8/8/8/8", "W", 0, 0, 1},
    {"group_spills_into_next_row", "ppppppppp/8/8/8/8/8/8/8 w - - 0", "pppppppp/p7/8/8/8/8/8/8", "W", 0, 0, 9},
    {"slash_restarts_the_row", "p/p/8/8/8/8/8/8 w - - 0", "p7/p7/8/8/8/8/8/8", "W", 0, 0, 2},
    {"trailing_slash", "8/8/8/8/8/8/8/K7/ w - - 5", "8/8/8/8/8/8/8/K7", "W", 5, 1, 0},
    {"short_tail_keeps_zero", "8/8/8/8/8/8/8/K7 w -", "8/8/8/8/8/8/8/K7", "W", 0, 1, 0},
    {"no_side", "8/8/8/8/8/8/8/K7", "8/8/8/8/8/8/8/K7", "?", 0, 1, 0},
    {"empty_text", "", "8/8/8/8/8/8/8/8", "?", 0, 0, 0},
    {"pieces_past_the_board", "8/8/8/8/8/8/8/8/8/8/QQQQ w - - 0", "8/8/8/8/8/8/8/8", "W", 0, 0, 0},
    {"non_ascii_skipped", "\xc3\xa9k6/8/8/8/8/8/8/8 w - - 0", "2k5/8/8/8/8/8/8/8", "W", 0, 0, 1},
    {"huge_number_clamped", "8/8/8/8/8/8/8/8 w - - 99999999999999", "8/8/8/8/8/8/8/8", "W", 100000000, 0, 0},
    {"huge_negative", "8/8/8/8/8/8/8/8 b - - -2147483648", "8/8/8/8/8/8/8/8", "B", -100000000, 0, 0},
};
// clang-format on

TEST(PositionString, ReaderLoadsAsFarAsItGoes) {
    for (const ReaderRow& row : kReaderRows) {
        SCOPED_TRACE(row.name);
        rulestest::Setup("4k3/8/8/8/8/8/8/4K3 w - -", 0);
        PlainSquareImages view;
        std::string side = "?";
        LoadPosition(view, kStart, side); // totals of an earlier load must not carry over
        side = "?";
        LoadedMoveNumber = -1;
        const rulestest::ModelSnapshot before;
        LoadPosition(view, row.text, side);
        EXPECT_TRUE(before.BoardsEqual()); // the board is not written
        LoadBoardFromView(view, 0);
        const std::string written = BuildPositionString();
        EXPECT_EQ(written.substr(0, written.find(' ')), row.placement);
        EXPECT_EQ(side, row.side);
        if (std::string(row.text).find('-') != std::string::npos) {
            EXPECT_EQ(LoadedMoveNumber, row.moveNumber);
        }
        EXPECT_EQ(WhitePieceTotal, row.white);
        EXPECT_EQ(BlackPieceTotal, row.black);
        EXPECT_EQ(PieceTotal, row.white + row.black);
        EXPECT_EQ(view.Clears(), 2); // the move text and list are emptied by each load
    }
}

TEST(PositionString, FlippedViewIsTurnedBackFirst) {
    ResetGameState();
    PlainSquareImages view;
    view.Flip();
    ASSERT_FALSE(WhiteAtBottom);
    std::string side;
    LoadPosition(view, "k7/8/8/8/8/8/8/7K w - - 0", side);
    EXPECT_TRUE(WhiteAtBottom);
    EXPECT_EQ(view.Tag(0), "BK");
    EXPECT_EQ(view.Tag(63), "WK");
}

} // namespace
