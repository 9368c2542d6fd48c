// The opening book: refusals, own pieces only, checks reported, its place in the computer's move.
#include "EngineTestSupport.h"

namespace corvane {
namespace {

using enginetest::SetUpPosition;

std::uint32_t SeedIn(float low, float high) {
    RandomSource probe;
    for (std::uint32_t s = 0; s < 100000; ++s) {
        probe.Seed(s);
        const float r = probe.Next();
        if (r >= low && r < high) return s;
    }
    ADD_FAILURE() << "no seed for [" << low << ", " << high << ")";
    return 0;
}

const char* kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

void AfterMoves(const std::string& moves) {
    UciFrontEnd frontEnd;
    std::ostringstream out;
    frontEnd.Handle("position startpos moves " + moves, out);
    Board[1] = Board[0];
    CopyPlyFlags(0, 1);
}

TEST(Book, UnknownLinesGiveNoMove) {
    // clang-format off
    const std::pair<const char*, bool> lines[] = {
        {"a2a3", true}, {"e2e4 e7e5 d2d4", true}, {"e2e4 c7c5", false}, {"e2e4 e7e5 g1f3 b8c6", false}};
    // clang-format on
    for (const auto& [moves, black] : lines) {
        for (const float low : {0.0f, 0.5f}) {
            SetUpPosition(kStart);
            AfterMoves(moves);
            Random().FixSeed(SeedIn(low, low + 0.5f));
            EXPECT_FALSE(black ? BlackBookMove(1) : WhiteBookMove(1)) << moves;
            EXPECT_EQ(CurrentMove, "") << moves;
        }
    }
    Random().ReleaseSeed();
}

// The book's move refused: e3 has White's e-pawn; the reply square is taken (a book move never
// captures); the piece on b8 is White's; Black's rook on d2 could reach d4 (d-pawn on h3).
// clang-format off
const std::tuple<const char*, int, const char*, float, float, int, PieceIndex> kRefusals[] = {
    {"rnbqkbnr/pppppppp/8/8/8/4P3/PPPP1PPP/RNBQKBNR w KQkq - 0 1", -1, "", 0.5f, 1.0f, 35, WhitePawn},
    {"rnbqkbnr/pppppppp/8/4N3/4P3/8/PPPP1PPP/RNBQKB1R b KQkq - 0 1", 0, "e2-e4 ", 0.5001f, 1.0f, 75, BlackPawn},
    {"rNbqkbnr/pppppppp/n7/8/8/2N5/PPPPPPPP/R1BQKB1R b KQkq - 1 1", 0, "b1-c3 ", 0.0f, 0.5f, 82, WhiteKnight},
    {"rnbqkbn1/pppppppp/8/8/8/7P/PPPrPPPP/RNBQKBNR w KQq - 0 1", -1, "", 0.0f, 0.4999f, 24, BlackRook}};
// clang-format on

TEST(Book, RefusesMovesTheRulesRefuseCapturesAndOtherPieces) {
    for (const auto& [fen, cursor, line, low, high, square, piece] : kRefusals) {
        const std::string side = SetUpPosition(fen, cursor);
        OpeningLine = line;
        Random().FixSeed(SeedIn(low, high));
        EXPECT_FALSE(side == "W" ? WhiteBookMove(1) : BlackBookMove(1)) << fen;
        EXPECT_EQ(CurrentMove, "") << fen;
        EXPECT_EQ(Board[1][square / 10][square % 10], piece) << fen;
    }
    Random().FixSeed(SeedIn(0.5f, 1.0f)); // the last position's own e-pawn may go
    EXPECT_TRUE(WhiteBookMove(1));
    EXPECT_EQ(CurrentMove, "WP e2-e4");
    // A pinned piece's book move leaves the own king attacked.
    SetUpPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", 0);
    EXPECT_TRUE(PlayBookMove("e7-e5", 1));
    EXPECT_EQ(CurrentMove, "BP e7-e5");
    EXPECT_EQ(BlackPawnFlags[1][1], 5); // the double step is recorded
    SetUpPosition("rnb1kbnr/pppp1ppp/8/8/8/8/PPPPQPPP/RNB1KBNR b KQkq - 0 1", 0);
    Board[1][7][5] = BlackBishop; // e7 pinned against e8 by the queen on e2
    CurrentMove.clear();
    EXPECT_FALSE(PlayBookMove("e7-d6", 1));
    EXPECT_EQ(CurrentMove, "");
    Random().ReleaseSeed();
}

TEST(Book, ABookMoveThatGivesCheckReportsIt) {
    // Bishop on d8, White king on h4 after 1. e2-e4: e7-e5 opens d8-h4, c7-c5 does not.
    for (const auto& [low, high, move, status] :
         {std::tuple{0.5001f, 1.0f, "BP e7-e5", "CHECK"}, std::tuple{0.0f, 0.3f, "BP c7-c5", ""}}) {
        SetUpPosition("rnqbkbnr/pppppppp/8/8/4P2K/8/PPPP1PPP/RNBQ1BNR b kq - 0 1", 0);
        OpeningLine = "e2-e4 ";
        GameMode = "CB";
        Random().FixSeed(SeedIn(low, high));
        ComputerMove(1);
        EXPECT_EQ(CurrentMove, move);
        EXPECT_EQ(GameStatus, status) << move;
    }
    Random().ReleaseSeed();
}

TEST(Book, ComputerMoveAcceptsTheBookOnlyWithAllPieces) {
    UciFrontEnd frontEnd;
    std::ostringstream out;
    frontEnd.Handle("setoption name Seed value 7", out);
    frontEnd.Handle("position startpos moves e2e4", out);
    frontEnd.Handle("go", out);
    const std::string text = out.str();
    const std::string best = text.substr(text.rfind("bestmove"));
    EXPECT_TRUE(best == "bestmove e7e5\n" || best == "bestmove e7e6\n" || best == "bestmove c7c5\n")
        << text;
    // One piece fewer: no book, the search answers (and it is repeatable).
    std::ostringstream first, second;
    const char* fen = "position fen rnbqkbnr/ppppppp1/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1";
    for (std::ostringstream* answer : {&first, &second})
        for (const char* command : {"ucinewgame", fen, "go"}) frontEnd.Handle(command, *answer);
    EXPECT_EQ(first.str(), second.str());
    Random().ReleaseSeed();
}

} // namespace
} // namespace corvane
