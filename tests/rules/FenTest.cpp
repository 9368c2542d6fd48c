// The FEN loader's mapping of castling rights and en passant onto the flags.
#include <gtest/gtest.h>

#include "RulesTestSupport.h"
#include "rules/Fen.h"

using namespace corvane;

namespace {

struct FenRow {
    const char* fen;
    const char* side;
    const char* castle; // the White and Black castle flags
    int whiteDoubleStep, blackDoubleStep;
};

const FenRow kRows[] = {
    {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "W", "0000 0000", 0, 0},
    {"r3k2r/8/8/8/8/8/8/R3K2R w - -", "W", "1110 1110", 0, 0},
    {"r3k2r/8/8/8/8/8/8/R3K2R b Kq -", "B", "0010 0100", 0, 0},
    {"r3k2r/8/8/8/8/8/8/R3K2R w Qk -", "W", "0100 0010", 0, 0},
    {"4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1", "B", "1110 1110", 5, 0},
    {"4k3/8/8/3p4/8/8/8/4K3 w - d6 0 2", "W", "1110 1110", 0, 4},
};

std::string CastleFlags(int ply) {
    std::string text;
    for (const std::uint8_t entry : WhiteCastleFlags[ply]) text += std::to_string(entry);
    text += ' ';
    for (const std::uint8_t entry : BlackCastleFlags[ply]) text += std::to_string(entry);
    return text;
}

// The first four fields: placement, side, rights, en passant.
std::string FirstFour(const std::string& fen) {
    std::size_t end = 0;
    for (int i = 0; i < 4 && end != std::string::npos; ++i) end = fen.find(' ', end + 1);
    return fen.substr(0, end);
}

TEST(Fen, RightsAndDoubleStepRoundTrip) {
    for (const FenRow& row : kRows) {
        SCOPED_TRACE(row.fen);
        rulestest::Setup("4k3/8/8/8/8/8/8/4K3 w - -", 6);
        WhitePawnFlags[6] = {1, 1, 1, 1}; // left over from an earlier position
        FenPosition position;
        ASSERT_TRUE(LoadFen(row.fen, 6, position));
        EXPECT_EQ(position.sideToMove, row.side);
        EXPECT_EQ(CastleFlags(6), row.castle);
        EXPECT_EQ(WhitePawnFlags[6], (PlyFlags{0, std::uint8_t(row.whiteDoubleStep), 0, 0}));
        EXPECT_EQ(BlackPawnFlags[6], (PlyFlags{0, std::uint8_t(row.blackDoubleStep), 0, 0}));
        // Writing the ply back gives the same fields, and they read as the same ply.
        const std::string written =
            FenOf(6, position.sideToMove, position.halfmoveClock, position.fullmoveNumber);
        EXPECT_EQ(FirstFour(written), FirstFour(row.fen));
        FenPosition again;
        ASSERT_TRUE(LoadFen(written, 7, again));
        EXPECT_EQ(Board[7], Board[6]);
        EXPECT_EQ(CastleFlags(7), CastleFlags(6));
        EXPECT_EQ(BlackPawnFlags[7], BlackPawnFlags[6]);
    }
}

TEST(Fen, CountersKingsAndMoveNumbers) {
    rulestest::Setup("4k3/8/8/8/8/8/8/4K3 w - -", 0);
    FenPosition position;
    ASSERT_TRUE(
        LoadFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", 0, position));
    EXPECT_EQ(PieceTotal, 32);
    EXPECT_EQ(WhiteKingRank * 10 + WhiteKingFile, 15);
    EXPECT_EQ(BlackKingRank * 10 + BlackKingFile, 85);
    EXPECT_EQ(FenOf(0, "B", 0, 1), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
}

TEST(Fen, MalformedTextLeavesThePlyAlone) {
    rulestest::Setup("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", 0);
    const rulestest::ModelSnapshot before;
    const char* const bad[] = {
        "",
        "r3k2r/8/8/8/8/8/8 w - -",                // seven ranks
        "r3k2r/8/8/8/8/8/8/R3K2R/8 w - -",        // nine ranks
        "r3k2r/9/8/8/8/8/8/R3K2R w - -",          // nine squares
        "r3k2r/7/8/8/8/8/8/R3K2R w - -",          // seven squares
        "r3k2x/8/8/8/8/8/8/R3K2R w - -",          // unknown piece
        "r3k2r/8/8/8/8/8/8/R3K2R x - -",          // unknown side
        "r3k2r/8/8/8/8/8/8/R3K2R w KK -",         // repeated right
        "r3k2r/8/8/8/8/8/8/R3K2R w KQkq e4",      // en passant on the wrong rank
        "r3k2r/8/8/8/8/8/8/R3K2R w KQkq i6",      // off the board
        "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - x 1",   // not a number
        "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 2", // too many fields
    };
    FenPosition position;
    for (const char* text : bad) {
        EXPECT_FALSE(LoadFen(text, 0, position)) << text;
    }
    EXPECT_FALSE(LoadFen("8/8/8/8/8/8/8/8 w - -", MaxDepth + 1, position));
    EXPECT_TRUE(before.BoardsEqual());
    EXPECT_TRUE(before.FlagsEqualExcept(-1));
}

} // namespace
