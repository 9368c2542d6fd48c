// The position model: attacks, checkmate, the board view, flag copies, FEN and the position string.
#include "RulesTestSupport.h"

#include <sstream>

using namespace corvane;

namespace {

// "<square> <side> [skip|advance]" against "<code> <square> [ep]" ("" when none).
const char* const kAttackRows[][3] = {
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
    for (const auto& [fen, query, attacker] : kAttackRows) {
        SCOPED_TRACE(std::string(fen) + " " + query);
        rulestest::Setup(fen, 0);
        const rulestest::ModelSnapshot before;
        std::istringstream asked(query), expected(attacker);
        std::string square, side, mode, code, from, ep;
        asked >> square >> side >> mode;
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
    for (const auto& [rank, file, ply] : outside)
        EXPECT_FALSE(IsSquareAttacked(rank, file, "B", ply));
    // Two White kings: the one nearest rank 1 is found; Black is searched from rank 8 down.
    rulestest::Setup("4k3/8/8/3k4/8/2K5/8/6K1 w - -", 0);
    std::int32_t rank = 0, file = 0;
    ASSERT_TRUE(FindKing("W", rank, file, 0));
    EXPECT_EQ(rank * 10 + file, 17);
    ASSERT_TRUE(FindKing("B", rank, file, 0));
    EXPECT_EQ(rank * 10 + file, 85);
}

// Mates random games seldom reach, each confirmed by the reference.
const std::pair<const char*, bool> kMateRows[] = {
    {"3rkb2/n4p2/8/1B6/8/8/8/4R1K1 b - -", true},  // double check
    {"k7/5n2/4b3/6pP/7K/r7/8/8 w - g6", false},    // parried by en passant
    {"k7/5n2/4b3/6pP/7K/r7/8/8 w - -", true},      // no right to take en passant
    {"5r1k/b7/8/8/3B4/8/3N2PP/r5K1 w - -", false}, // capturer pinned, a knight blocks
    {"5r1k/b7/8/8/3B4/8/6PP/r5K1 w - -", true},    // capturer pinned, no block
    {"4r2k/8/8/8/8/1n1n3b/4B3/q2RK3 w - -", true}, // every capturer pinned
    {"2rr4/2p4p/1pnk1P2/3Qp3/1pPP2PP/2R2N2/PP3Pn1/1KR5 b - -", true}, // rook behind the king
    {"7k/5Q2/6K1/8/8/8/8/8 b - -", false},                            // stalemate
};

TEST(Checkmate, AnswersAndChangesNothingButSides) {
    for (const auto& [fen, mate] : kMateRows) {
        SCOPED_TRACE(fen);
        const std::string side = rulestest::Setup(fen, 12);
        reftest::Position ref;
        ASSERT_TRUE(reftest::ParseFen(fen, ref));
        ASSERT_EQ(reftest::InCheck(ref, ref.whiteToMove) && reftest::LegalMoves(ref).empty(), mate);
        GameStatus = "XEQUE";
        const rulestest::ModelSnapshot before;
        EXPECT_EQ(IsCheckmate(side, 12), mate);
        EXPECT_EQ(OpponentSide, side == "W" ? "B" : "W");
        EXPECT_TRUE(before.Unchanged());
        EXPECT_EQ(GameStatus, "XEQUE");
    }
    rulestest::Setup(kMateRows[0].first, 12);
    EXPECT_TRUE(IsCheckmate("B", 12));
    EXPECT_EQ(Attackers.count, 2);     // both checkers listed
    EXPECT_FALSE(IsCheckmate("B", 0)); // ply 0 is empty: no king, no mate
    EXPECT_FALSE(IsCheckmate("B", MaxDepth + 1));
}

TEST(BoardModel, ViewToBoardAndBack) {
    ResetGameState();
    InitSearchArrays();
    PlainSquareImages view;
    LoadInitialBoard(view);
    view.Flip(); // a flipped view keeps every square
    LoadBoardFromView(view, 1);
    EXPECT_EQ(Board[1], InitialBoard);
    view.Flip();
    // Tags are read by their first two characters; anything else loads as empty.
    view.SetSquare(ImageIndexOf(4, 4), "WNx");
    view.SetSquare(ImageIndexOf(5, 5), "??");
    view.SetSquare(ImageIndexOf(3, 1), "BK");
    LoadBoardFromView(view, 3);
    EXPECT_EQ(Board[3][4][4], WhiteKnight);
    EXPECT_EQ(Board[3][5][5], Empty);
    EXPECT_EQ(BlackKingRank * 10 + BlackKingFile, 31); // the later of two kings in image order
    PlainSquareImages copy;
    DrawBoard(copy, 3);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(copy.Tag(i), PieceCodeOf(Board[3][RankOfImage(i)][FileOfImage(i)])) << i;
    for (const char* bad : {"", "W", "wr", "WRX", "BK "}) EXPECT_EQ(PieceIndexOf(bad), 0);
}

TEST(BoardModel, FlagCopiesIgnoreWhatIsOutOfRange) {
    InitSearchArrays();
    InitGameArrays();
    WhiteCastleFlags[4] = {1, 2, 3, 4};
    SaveFlags(4, MaxDepth + 3); // the slots above the plies hold saved flags
    RestoreFlags(MaxDepth + 3, 0);
    EXPECT_EQ(WhiteCastleFlags[0], (PlyFlags{1, 2, 3, 4}));
    const rulestest::ModelSnapshot before;
    CopyPlyFlags(4, MaxDepth + 1);
    SaveFlags(-1, 2);
    RestoreFlags(MaxDepth + 4, 0);
    EXPECT_TRUE(before.FlagsEqualExcept(-1));
}

// FEN, then the White and Black castle flags and double-step files it must leave.
const char* const kFenRows[][2] = {
    {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "0000 0000 0 0"},
    {"r3k2r/8/8/8/8/8/8/R3K2R w - -", "1110 1110 0 0"},
    {"r3k2r/8/8/8/8/8/8/R3K2R b Kq -", "0010 0100 0 0"},
    {"r3k2r/8/8/8/8/8/8/R3K2R w Qk -", "0100 0010 0 0"},
    {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "1110 1110 5 0"},
    {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "1110 1110 0 4"},
};

std::string FlagsOf(int ply) {
    std::string text;
    for (const std::uint8_t entry : WhiteCastleFlags[ply]) text += std::to_string(entry);
    text += ' ';
    for (const std::uint8_t entry : BlackCastleFlags[ply]) text += std::to_string(entry);
    return text + ' ' + std::to_string(WhitePawnFlags[ply][1]) + ' ' +
           std::to_string(BlackPawnFlags[ply][1]);
}

TEST(Fen, RightsAndDoubleStepRoundTrip) {
    for (const auto& [fen, flags] : kFenRows) {
        SCOPED_TRACE(fen);
        rulestest::Setup("4k3/8/8/8/8/8/8/4K3 w - -", 6);
        WhitePawnFlags[6] = {1, 1, 1, 1}; // left over from an earlier position
        FenPosition position;
        ASSERT_TRUE(LoadFen(fen, 6, position));
        EXPECT_EQ(FlagsOf(6), flags);
        const std::string written =
            FenOf(6, position.sideToMove, position.halfmoveClock, position.fullmoveNumber);
        EXPECT_EQ(written.substr(0, std::string(fen).size()), fen);
        FenPosition again;
        ASSERT_TRUE(LoadFen(written, 7, again));
        EXPECT_EQ(Board[7], Board[6]);
        EXPECT_EQ(FlagsOf(7), flags);
    }
}

// The en-passant square is written only when a pawn may legally take there.
TEST(Fen, EnPassantSquareOnlyWhenTheCaptureIsLegal) {
    const std::pair<const char*, const char*> rows[] = {
        {"4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1", "-"},    // no pawn beside it
        {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "e3"},  // d4 takes
        {"4K3/8/8/8/k2pP2R/8/8/8 b - e3 0 1", "-"},   // taking opens the rank to the king
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "d6"},  // e5 takes
        {"4k3/8/8/2PpP3/8/8/8/4K3 w - d6 0 2", "d6"}, // either pawn takes
        {"4k3/8/8/pP6/8/8/8/4K3 w - a6 0 2", "a6"},   // the edge files count too
        {"4k3/8/8/6Pp/8/8/8/4K3 w - h6 0 2", "h6"},
        {"3rk3/8/8/3pP3/8/8/8/3K4 w - d6 0 2", "d6"}, // the pawn leaves the d-file: legal
        {"4k3/8/8/3pP3/8/8/8/4K2r w - d6 0 2", "-"},  // White is in check: taking does not help
    };
    for (const auto& [fen, square] : rows) {
        SCOPED_TRACE(fen);
        FenPosition position;
        ASSERT_TRUE(LoadFen(fen, 6, position));
        std::istringstream written(FenOf(6, position.sideToMove));
        std::string field[4];
        written >> field[0] >> field[1] >> field[2] >> field[3];
        EXPECT_EQ(field[3], square);
    }
}

TEST(Fen, MalformedTextLeavesThePlyAlone) {
    rulestest::Setup("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", 0);
    const rulestest::ModelSnapshot before;
    // Seven and nine ranks, nine and seven squares, unknown piece and side, a repeated right,
    // en passant on the wrong rank and off the board, a count that is no number, a field too many.
    // clang-format off
    const char* const bad[] = {"", "r3k2r/8/8/8/8/8/8 w - -", "r3k2r/8/8/8/8/8/8/R3K2R/8 w - -",
        "r3k2r/9/8/8/8/8/8/R3K2R w - -", "r3k2r/7/8/8/8/8/8/R3K2R w - -", "r3k2x/8/8/8/8/8/8/R3K2R w - -",
        "r3k2r/8/8/8/8/8/8/R3K2R x - -", "r3k2r/8/8/8/8/8/8/R3K2R w KK -", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq e4",
        "r3k2r/8/8/8/8/8/8/R3K2R w KQkq i6", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - x 1",
        "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 2"};
    // clang-format on
    FenPosition position;
    for (const char* text : bad) EXPECT_FALSE(LoadFen(text, 0, position)) << text;
    EXPECT_FALSE(LoadFen("8/8/8/8/8/8/8/8 w - -", MaxDepth + 1, position));
    EXPECT_TRUE(before.Unchanged());
}

const std::string kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0";

// Text; what the view shows, written back as a placement; the side ("?" when the text names
// none); the move number; the White and Black pieces.
using ReaderRow = std::tuple<const char*, const char*, const char*, int, int, int>;

// clang-format off
const ReaderRow kReaderRows[] = {
    {"4k3/8/8/8/8/8/8/4K3 b - - 17", "4k3/8/8/8/8/8/8/4K3", "B", 17, 1, 1},
    {"b7/8/8/8/8/8/8/7B b - - 3", "b7/8/8/8/8/8/8/7B", "B", 3, 1, 1},
    {"9k/8/8/8/8/8/8/8 w - - 0", "1k6/8/8/8/8/8/8/8", "W", 0, 0, 1},
    {"xk6/8/8/8/8/8/8/8 w - - 0", "1k6/8/8/8/8/8/8/8", "W", 0, 0, 1},
    {"!k6/8/8/8/8/8/8/8 w - - 0", "k7/8/8/8/8/8/8/8", "W", 0, 0, 1},
    {"ppppppppp/8/8/8/8/8/8/8 w - - 0", "pppppppp/p7/8/8/8/8/8/8", "W", 0, 0, 9},
    {"p/p/8/8/8/8/8/8 w - - 0", "p7/p7/8/8/8/8/8/8", "W", 0, 0, 2},
    {"8/8/8/8/8/8/8/K7/ w - - 5", "8/8/8/8/8/8/8/K7", "W", 5, 1, 0},
    {"8/8/8/8/8/8/8/K7 w -", "8/8/8/8/8/8/8/K7", "W", 0, 1, 0},
    {"8/8/8/8/8/8/8/K7", "8/8/8/8/8/8/8/K7", "?", 0, 1, 0},
    {"", "8/8/8/8/8/8/8/8", "?", 0, 0, 0},
    {"8/8/8/8/8/8/8/8/8/8/QQQQ w - - 0", "8/8/8/8/8/8/8/8", "W", 0, 0, 0},
    {"\xc3\xa9k6/8/8/8/8/8/8/8 w - - 0", "2k5/8/8/8/8/8/8/8", "W", 0, 0, 1},
    {"8/8/8/8/8/8/8/8 w - - 99999999999999", "8/8/8/8/8/8/8/8", "W", 100000000, 0, 0}, // clamped
    {"8/8/8/8/8/8/8/8 b - - -2147483648", "8/8/8/8/8/8/8/8", "B", -100000000, 0, 0},
};
// clang-format on

TEST(PositionString, ReaderLoadsAsFarAsItGoes) {
    for (const auto& [text, placement, sideNamed, moveNumber, white, black] : kReaderRows) {
        SCOPED_TRACE(text);
        rulestest::Setup("4k3/8/8/8/8/8/8/4K3 w - -", 0);
        PlainSquareImages view;
        view.Flip(); // a flipped view is turned back first
        std::string side = "?";
        LoadPosition(view, kStart, side); // totals of an earlier load must not carry over
        side = "?";
        LoadedMoveNumber = -1;
        const rulestest::ModelSnapshot before;
        LoadPosition(view, text, side);
        EXPECT_TRUE(before.BoardsEqual()); // the board is not written
        EXPECT_TRUE(WhiteAtBottom);
        LoadBoardFromView(view, 0);
        const std::string written = BuildPositionString();
        EXPECT_EQ(written, std::string(placement) + " w - - 0"); // side and rights not written
        EXPECT_EQ(side, sideNamed);
        const bool numbered = std::string(text).find('-') != std::string::npos;
        EXPECT_EQ(numbered ? LoadedMoveNumber : moveNumber, moveNumber);
        EXPECT_EQ((std::tuple{WhitePieceTotal, BlackPieceTotal, PieceTotal}),
                  (std::tuple{white, black, white + black}));
        EXPECT_EQ(view.Clears(), 2); // the move text and list are emptied by each load
    }
}

} // namespace
