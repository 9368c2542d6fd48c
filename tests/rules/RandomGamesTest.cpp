// The rules core against the reference generator on the positions of random games.
#include "RulesTestSupport.h"

using namespace corvane;

namespace {

struct GameRow {
    const char* name;
    const char* fen;
    unsigned seed;
    int games, maxPlies;
};

const GameRow kRows[] = {
    {"start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 1, 24, 250},
    {"kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 2, 12, 200},
    {"position3", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 3, 10, 200},
    {"position4", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 4, 10, 200},
    {"position5", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 5, 10, 200},
    {"pawn_races", "4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 w - -", 6, 10, 200},
    {"rooks_and_pawns", "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq -", 7, 10, 200},
    {"checks", "r3k2r/pppq1ppp/2n2n2/3pp3/3PP3/2N2N2/PPPQ1PPP/R3K2R w KQkq -", 99, 15, 160},
};

std::string SideOf(const reftest::Position& p) {
    return p.whiteToMove ? "W" : "B";
}

std::string Describe(const std::vector<reftest::Move>& moves) {
    std::string text;
    for (const auto& m : moves)
        text += reftest::SquareName(m.from) + reftest::SquareName(m.to) + " ";
    return text;
}

// Legal moves through the human entry point: each from-to text accepted without self-check.
std::vector<reftest::Move> MovesFromTexts(const std::string& side) {
    std::vector<reftest::Move> moves;
    for (int from = 0; from < 64; ++from) {
        const PieceIndex piece = Board[0].squares[from];
        if (piece == Empty || IsBlackPiece(piece) != (side == "B")) continue;
        for (int to = 0; to < 64; ++to) {
            const std::string text =
                rulestest::MoveText(reftest::SquareName(from), reftest::SquareName(to));
            SaveFlags(0, 0);
            if (IsMoveLegal(text) && !(side == "B" ? BlackInCheck : WhiteInCheck))
                moves.push_back({from, to});
            RestoreFlags(0, 0); // each text is tried on the same position
        }
    }
    return moves;
}

class RandomGames : public ::testing::TestWithParam<GameRow> {};

// Each game is played on the flags the core carries from move to move at ply 0.
TEST_P(RandomGames, LegalMovesMatesAndCarriedFlagsAgreeWithReference) {
    const GameRow& row = GetParam();
    reftest::Position start;
    ASSERT_TRUE(reftest::ParseFen(row.fen, start));
    std::mt19937 random(row.seed);
    int positions = 0, checks = 0, mates = 0;
    for (int game = 0; game < row.games; ++game) {
        rulestest::Setup(row.fen, 0);
        const std::vector<reftest::Position> line =
            reftest::RandomGame(start, random, row.maxPlies);
        for (std::size_t i = 0; i < line.size(); ++i, ++positions) {
            const reftest::Position& p = line[i];
            const std::string side = SideOf(p);
            const std::string fen = FenOf(0, side) + " after " + std::to_string(i) + " moves";
            const std::vector<reftest::Move> expected = reftest::LegalMoves(p);
            for (const reftest::Move& m : expected) { // mates after every checking move
                const reftest::Position next = reftest::Play(p, m);
                if (!reftest::InCheck(next, next.whiteToMove)) continue;
                rulestest::SetFromReference(next, 2);
                const bool mated = reftest::LegalMoves(next).empty();
                ASSERT_EQ(IsCheckmate(SideOf(next), 2), mated) << FenOf(2, SideOf(next));
                mates += mated;
            }
            CountPieces(0);
            const rulestest::ModelSnapshot before;
            ASSERT_EQ(Describe(rulestest::CoreMoves(side, 0)), Describe(expected)) << fen;
            const std::string texted =
                positions % 7 ? Describe(expected) : Describe(MovesFromTexts(side));
            ASSERT_EQ(texted, Describe(expected)) << fen;
            const bool inCheck = reftest::InCheck(p, p.whiteToMove);
            checks += inCheck;
            ASSERT_EQ(IsCheckmate(side, 0), inCheck && expected.empty()) << fen;
            ASSERT_TRUE(before.Unchanged()) << fen;
            if (i + 1 == line.size()) break;
            const reftest::Move* played = nullptr;
            for (const auto& m : expected) {
                if (reftest::Play(p, m).square == line[i + 1].square) played = &m;
            }
            ASSERT_NE(played, nullptr);
            const std::string text = rulestest::MoveText(reftest::SquareName(played->from),
                                                         reftest::SquareName(played->to));
            ASSERT_TRUE(IsMoveLegal(text)) << text << " " << GameStatus;
            ASSERT_FALSE(side == "B" ? BlackInCheck : WhiteInCheck) << text;
            ASSERT_EQ(side == "B" ? WhiteInCheck : BlackInCheck,
                      reftest::InCheck(line[i + 1], line[i + 1].whiteToMove))
                << text << " gives check";
            PlayAcceptedMove(0);
            rulestest::SetFromReference(line[i + 1], 1);
            ASSERT_EQ(Board[0], Board[1]) << text;
        }
    }
    std::printf("%d positions, %d in check, %d mates after a checking move\n", positions, checks,
                mates);
    EXPECT_GT(positions, 500);
    EXPECT_GT(checks, 10) << "the games should reach positions in check";
    EXPECT_GT(mates, 5) << "the checking moves should give mates";
}

INSTANTIATE_TEST_SUITE_P(Starts, RandomGames, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
