// The standard-notation reader: every form and refusal on chosen positions, and every legal
// move of random games read back from the text the writer gives it.
#include "RulesTestSupport.h"

using namespace corvane;

namespace {

const char* const kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// The move text read, or why the text was refused; boards, flags and results stay as they were.
std::string ReadOn(const std::string& fen, const std::string& text) {
    const std::string side = rulestest::Setup(fen);
    const rulestest::ModelSnapshot before;
    MoveText move;
    const MoveRefusal refusal = ReadSan(text, side, 0, move);
    EXPECT_TRUE(before.Unchanged() && before.results == rulestest::SharedResults()) << text;
    switch (refusal) {
    case MoveRefusal::None:
        return FormatMoveText(move);
    case MoveRefusal::Malformed:
        return "malformed";
    case MoveRefusal::NoSuchMove:
        return "no such move";
    case MoveRefusal::Ambiguous:
        return "ambiguous";
    }
    return "?";
}

TEST(NotationRead, FormsAndRefusals) {
    const char* const kKnights = "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1";
    const char* const kRooks = "4k3/8/8/8/8/4R3/8/K3R3 w - - 0 1";
    const char* const kQueens = "7k/8/8/8/4Q2Q/8/8/K3r2Q w - - 0 1";
    const char* const kCastles = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    const char* const kPromotes = "1n5k/P7/8/8/8/8/8/K7 w - - 0 1";
    const char* const kPassant = "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2";
    // Position, text, the move text read or the refusal.
    const char* const rows[][3] = {
        {kStart, "e4", "WP e2-e4"},
        {kStart, "Nf3", "WN g1-f3"},
        {kStart, "Nf3!?", "WN g1-f3"},
        {kStart, "Nh3+", "WN g1-h3"}, // marks are not checked
        {kStart, "Ng1-f3", "WN g1-f3"},
        {kStart, "Ng1f3", "WN g1-f3"},
        {kStart, "e2e4", "WP e2-e4"},
        {kStart, "e5", "no such move"},   // White to move
        {kStart, "Nxf3", "no such move"}, // an "x" that takes nothing
        {kStart, "Ke2", "no such move"},
        {kStart, "O-O", "no such move"},
        {kStart, "e4=Q", "no such move"},
        {kStart, "", "malformed"},
        {kStart, "N3", "malformed"},
        {kStart, "Nf9", "malformed"},
        {kStart, "Zf3", "malformed"},
        {kStart, "xd5", "malformed"},
        {kStart, "Nf-3", "malformed"},
        {kStart, "Ng-f3", "malformed"}, // a hyphen only after a whole square
        {kStart, "Nf3=Q", "malformed"},
        {kStart, "e4=K", "malformed"},
        {kStart, "nf3", "malformed"},
        {kStart, "e4 ", "malformed"},
        {kKnights, "Nd2", "ambiguous"},
        {kKnights, "Nbd2", "WN b1-d2"},
        {kKnights, "Nfd2", "WN f3-d2"},
        {kKnights, "N1d2", "WN b1-d2"},
        {kKnights, "N3d2", "WN f3-d2"},
        {kKnights, "Ncd2", "no such move"},
        {kRooks, "Re2", "ambiguous"},
        {kRooks, "Ree2", "ambiguous"},
        {kRooks, "R1e2", "WR e1-e2"},
        {kRooks, "R3e2", "WR e3-e2"},
        {kQueens, "Qxe1", "ambiguous"},
        {kQueens, "Qhxe1", "ambiguous"},
        {kQueens, "Q4xe1", "ambiguous"},
        {kQueens, "Qh4xe1", "WQ h4xe1"},
        {kQueens, "Qh4e1", "WQ h4xe1"}, // a capture may go without its "x"
        {kCastles, "O-O", "WK e1-g1"},
        {kCastles, "0-0-0", "WK e1-c1"},
        {kCastles, "O-O-O+", "WK e1-c1"},
        {kCastles, "Kg1", "no such move"}, // castling is written as castling
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "O-O-O", "BK e8-c8"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQk - 0 1", "0-0-0", "no such move"},
        {kPromotes, "a8=Q", "WP a7-a8=WQ"},
        {kPromotes, "a8N", "WP a7-a8=WN"},
        {kPromotes, "axb8=R+", "WP a7xb8=WR"},
        {kPromotes, "axb8=B#", "WP a7xb8=WB"},
        {kPromotes, "a8", "WP a7-a8"}, // no piece named: the caller decides
        {kPromotes, "a8=K", "malformed"},
        {kPromotes, "a8=P", "malformed"},
        {kPromotes, "a8=", "malformed"},
        {"k7/8/8/8/8/8/p7/7K b - - 0 1", "a1=N", "BP a2-a1=BN"},
        {kPassant, "exd6", "WP e5-d6"}, // en passant: no "x" in the game's own texts
        {kPassant, "ed6", "WP e5-d6"},
        {kPassant, "e6", "WP e5-e6"},
        {kPassant, "d6", "no such move"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - - 0 2", "exd6", "no such move"},
        {"4k3/8/8/4b3/8/2N4P/8/K5N1 w - - 0 1", "Ne2", "WN g1-e2"}, // the other knight is pinned
        {"4k3/8/8/3p4/8/2N5/8/4K3 w - - 0 1", "Nd5", "WN c3xd5"},
        {"4k3/8/8/3p4/8/2N5/8/4K3 w - - 0 1", "Pd3", "no such move"},
        {"4k3/8/8/8/8/8/3P4/4K3 w - - 0 1", "Pd4", "WP d2-d4"},
    };
    for (const auto& [fen, text, expected] : rows)
        EXPECT_EQ(ReadOn(fen, text), expected) << fen << " " << text;
}

#ifdef CORVANE_SANITIZED_BUILD
constexpr int kGamesPerStart = 1;
#else
constexpr int kGamesPerStart = 6;
#endif

// Every legal move of positions from random games, written by the notation writer with its
// promotion and read back: the same move, whatever the piece, the disambiguation or the mark.
TEST(NotationRead, WrittenMovesReadBack) {
    const char* const starts[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "r1n1k3/1P4P1/8/2N1N3/8/8/1p4p1/R3K2R w KQq - 0 1",
    };
    std::mt19937 random(2024);
    int moves = 0, promotions = 0, disambiguated = 0;
    for (const char* start : starts) {
        reftest::Position first;
        ASSERT_TRUE(reftest::ParseFen(start, first));
        for (int game = 0; game < kGamesPerStart; ++game) {
            const std::vector<reftest::Position> line = reftest::RandomGame(first, random, 60);
            for (std::size_t i = 0; i < line.size(); i += 3) {
                const reftest::Position& p = line[i];
                const std::string side = p.whiteToMove ? "W" : "B";
                rulestest::Setup(kStart);
                rulestest::SetFromReference(p, 0);
                for (const reftest::Move& m : reftest::LegalMoves(p, true)) {
                    std::string text =
                        rulestest::MoveText(reftest::SquareName(m.from), reftest::SquareName(m.to));
                    if (m.promotion != 0) text += std::string("=") + text[0] + m.promotion;
                    const std::string san = SanOf(text, 0);
                    ASSERT_NE(san, "") << text;
                    MoveText read;
                    ASSERT_EQ(ReadSan(san, side, 0, read), MoveRefusal::None) << san;
                    ASSERT_EQ(FormatMoveText(read), text) << san << " in " << FenOf(0, side);
                    ++moves;
                    promotions += m.promotion != 0;
                    disambiguated += san.size() > 2 && san[0] >= 'B' && san[0] <= 'R' &&
                                     san[1] >= 'a' && san[1] <= 'h' &&
                                     (san[2] == 'x' || (san[2] >= 'a' && san[2] <= 'h'));
                }
            }
        }
    }
    std::printf("%d moves, %d promotions, %d with the from-file\n", moves, promotions,
                disambiguated);
    EXPECT_GT(promotions, 15 * kGamesPerStart);
    EXPECT_GT(disambiguated, 3 * kGamesPerStart);
}

} // namespace
