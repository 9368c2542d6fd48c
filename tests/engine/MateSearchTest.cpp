// The mate search against the referee (every defence, all four promotions): each reported mate is
// proved forced and shortest; also its texts, scan order by level, events, stop flag and counters.
#include "EngineTestSupport.h"

namespace corvane {
namespace {

struct MateResult {
    bool played = false;
    std::int32_t moves = -1;
    std::string status, move;
    PlyBoard after{};
};

std::string Load(const std::string& fen, int level) {
    const std::string side = enginetest::SetUpPosition(fen);
    Level = static_cast<std::int16_t>(level);
    DirectionSwitch = level == 3 ? 0 : 1;
    GameStatus = "unchanged";
    CurrentMove.clear();
    return side;
}

MateResult Search(const std::string& fen, int level, int depth) {
    const std::string side = Load(fen, level);
    MateResult r;
    r.played = MateSearch(side, depth, r.moves);
    r.status = GameStatus;
    r.move = CurrentMove;
    r.after = Board[1];
    return r;
}

bool KeyMoveOf(const reftest::Position& p, const PlyBoard& after, reftest::Position& result) {
    for (const reftest::Move& m : reftest::LegalMoves(p)) {
        const reftest::Position q = reftest::Play(p, m);
        bool same = true;
        for (int s = 0; s < 64 && same; ++s) {
            const PieceCode code = PieceCodeOf(after.squares[s]);
            const char c = code.empty() ? '.' : code[0] == 'B' ? char(code[1] + 32) : code[1];
            same = c == q.square[s];
        }
        if (same) return result = q, true;
    }
    return false;
}

// A reported mate is forced, the shortest there is, and "CHECK" tells the truth.
void ExpectProved(const std::string& fen, const MateResult& r) {
    reftest::Position start, afterKey;
    ASSERT_TRUE(reftest::ParseFen(fen, start));
    ASSERT_TRUE(KeyMoveOf(start, r.after, afterKey)) << "key move is not legal: " << r.move;
    EXPECT_TRUE(reftest::DefenderLost(afterKey, r.moves)) << "the defender escapes " << r.status;
    if (r.moves > 1) {
        EXPECT_FALSE(reftest::MatesIn(start, r.moves - 1)) << "a shorter mate exists";
        EXPECT_EQ(r.status.ends_with("CHECK"), reftest::InCheck(afterKey, afterKey.whiteToMove))
            << r.status;
    }
}

struct MateCase {
    const char* name;
    const char* fen;
    int depth;
    int moves;          // moves to mate, 0 when there is none within the depth
    const char* status; // at level 2; nullptr when any proved key move will do
};

const MateCase kMateCases[] = {
    {"back_rank_white", "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 5, 1, "WR a1-a8   XEQUE-MATE"},
    {"back_rank_capture", "r5k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 5, 1, "WR a1xa8   XEQUE-MATE"},
    {"back_rank_black", "r5k1/8/8/8/8/8/5PPP/6K1 b - - 0 1", 5, 1, "BR a8-a1   XEQUE-MATE"},
    {"promotion", "7k/P7/6K1/8/8/8/8/8 w - - 0 1", 5, 1, "WP a7-a8=WQ   XEQUE-MATE"},
    {"black_promotion", "8/8/8/8/8/6k1/p7/7K b - - 0 1", 5, 1, "BP a2-a1=BQ   XEQUE-MATE"},
    {"en_passant_discovers", "3rkr2/5p2/1N6/3pP3/8/8/8/4R2K w - d6 0 1", 5, 1,
     "WP e5-d6   XEQUE-MATE"},
    {"en_passant_clears_the_line", "5bkr/6pp/8/3pP3/8/8/B7/4K3 w - d6 0 1", 5, 1,
     "WP e5-d6   XEQUE-MATE"},
    {"castling", "1n6/8/8/8/1p5p/4P1Q1/4RP2/2k1K2R w K - 0 1", 5, 1, "WK e1-g1   XEQUE-MATE"},
    // e2-e4 gives check, but d4xe3 en passant parries it: the mate is elsewhere.
    {"en_passant_parries", "8/6Q1/8/3K1k2/3p2R1/8/4P3/8 w - - 0 1", 1, 1, "WQ g7-g6   XEQUE-MATE"},
    {"morphy_in_two", "kbK5/pp6/1P6/8/8/8/8/R7 w - - 0 1", 5, 2, "2 Key move = WR a1-a6"},
    // Qg8+ Rxg8 Nf7#: the key move gives check.
    {"key_move_checks", "3r3k/6pp/7N/8/2Q5/8/8/6K1 w - - 0 1", 5, 2, "2 Key move = WQ c4-g8CHECK"},
    {"rook_in_two", "7k/8/5K2/8/8/8/8/6R1 w - - 0 1", 5, 2, "2 Key move = WK f6-f7"},
    {"rook_in_three", "1k6/8/8/K7/3R4/8/8/8 w - - 0 1", 5, 3, "3 Key move = WK a5-b6"},
    {"under_promotion_then_three", "B7/p7/5p2/8/7k/K3Q3/1p1R4/8 w - - 0 1", 5, 3, nullptr},
    {"pawn_and_queen_in_three", "8/8/4K2k/5P2/8/1Q6/8/8 w - - 0 1", 5, 3, nullptr},
    {"rook_in_four", "3K3k/7P/8/8/8/8/8/2R5 w - - 0 1", 7, 4, "4 Key move = WK d8-e8"},
    // The only mate in three needs a knight promotion; the computer queens and mates in four.
    {"queen_only_promotion_in_four", "8/P1Q5/k7/8/8/PP6/8/2rK4 w - - 0 1", 7, 4,
     "4 Key move = WK d1xc1"},
    // With queen promotions only the defender would be mated in two; d1=N+ escapes.
    {"knight_promotion_escapes", "6k1/8/3R4/8/p3P3/8/3p1K2/Q7 w - - 0 1", 5, 0, ""},
    {"rook_pawn_stalemate_trap", "7k/7P/6K1/8/8/8/8/8 w - - 0 1", 9, 0, ""},
    {"bare_rook_depth_1", "8/8/8/4k3/8/8/8/R3K3 w - - 0 1", 1, 0, ""},
    {"bare_rook_depth_7", "8/8/8/4k3/8/8/8/R3K3 w - - 0 1", 7, 0, ""},
    {"stalemate", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 5, 0, "STALEMATE"},
};

TEST(MateSearch, EveryReportedMateIsForcedAndShortest) {
    for (const MateCase& c : kMateCases) {
        for (const int level : {2, 3}) {
            SCOPED_TRACE(std::string(c.name) + " level " + std::to_string(level));
            const MateResult r = Search(c.fen, level, c.depth);
            EXPECT_EQ(r.played, c.moves > 0) << r.status;
            if (c.status != nullptr && (level == 2 || c.moves == 0)) {
                EXPECT_EQ(r.status, c.status);
            }
            if (c.moves == 0) {
                if (r.status != "STALEMATE") {
                    EXPECT_EQ(r.moves, (c.depth + 1) / 2);
                }
                continue;
            }
            EXPECT_EQ(r.moves, c.moves);
            EXPECT_TRUE(r.status.find(r.move) != std::string::npos) << r.move;
            ExpectProved(c.fen, r);
        }
    }
}

// The referee's own moves, all promotions counted, against published totals.
long RefereePerft(const reftest::Position& p, int depth) {
    if (depth == 0) return 1;
    long n = 0;
    for (const reftest::Move& m : reftest::LegalMoves(p, true))
        n += RefereePerft(reftest::Play(p, m), depth - 1);
    return n;
}

TEST(MateSearch, RefereeCountsEveryPromotion) {
    const std::tuple<const char*, int, long> rows[] = {
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 2, 264},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 1, 44},
    };
    for (const auto& [fen, depth, nodes] : rows) {
        reftest::Position p;
        ASSERT_TRUE(reftest::ParseFen(fen, p));
        EXPECT_EQ(RefereePerft(p, depth), nodes) << fen;
    }
}

TEST(MateSearch, ScanOrderByLevelChoosesTheKeyMove) {
    // Levels 1 and 2 scan h8..a1 and try diagonals first; level 3 scans a1..h8, lines first.
    const char* const rooks = "6k1/5ppp/8/8/8/8/8/R3R1K1 w - - 0 1";
    const char* const queen = "k7/8/1K6/8/8/8/8/7Q w - - 0 1";
    const std::tuple<const char*, int, const char*> cases[] = {
        {rooks, 1, "WR e1-e8"}, {rooks, 2, "WR e1-e8"}, {rooks, 3, "WR a1-a8"},
        {queen, 1, "WQ h1-b7"}, {queen, 2, "WQ h1-b7"}, {queen, 3, "WQ h1-h8"},
    };
    for (const auto& [fen, level, move] : cases) {
        SCOPED_TRACE(std::string(fen) + " level " + std::to_string(level));
        const MateResult r = Search(fen, level, 5);
        EXPECT_TRUE(r.played);
        EXPECT_EQ(r.move, move);
        EXPECT_EQ(r.moves, 1);
    }
    // The queen's first key moves mate in two as well; the mate in one is tried first.
    Load(queen, 2);
    ASSERT_TRUE(MateTry("W", 0, 3));
    const PlyBoard afterMateInTwo = Board[1];
    EXPECT_NE(Search(queen, 2, 5).after, afterMateInTwo);
    // A try for mate in two alone does not count a key move that mates at once.
    Load("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 2);
    EXPECT_FALSE(MateTry("W", 0, 3));
    // A side without a move has no mate to find.
    Load("8/8/8/8/8/1q6/2k5/K7 w - - 0 1", 2);
    EXPECT_FALSE(MateTry("W", 0, 3));
}

TEST(MateSearch, LeavesTheGameAndTheCountersAsItFoundThem) {
    // No mate: the search has captured and promoted on its working plies.
    Load("6k1/8/3R4/8/p3P3/8/3p1K2/Q7 w - - 0 1", 3);
    const PlyBoard game = Board[0];
    const auto counts = PieceCount;
    const auto totals = std::array{WhitePieceTotal, BlackPieceTotal, PieceTotal};
    std::int32_t moves = 0;
    EXPECT_FALSE(MateSearch("W", 5, moves));
    EXPECT_EQ(std::pair(Board[0], PieceCount), std::pair(game, counts));
    EXPECT_EQ((std::array{WhitePieceTotal, BlackPieceTotal, PieceTotal}), totals);
    // A key move that captures: the counters describe the position after it.
    Load("r5k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 2);
    ASSERT_TRUE(MateSearch("W", 5, moves));
    const auto afterKey = std::pair{PieceCount, PieceTotal};
    CountPieces(1);
    EXPECT_EQ(afterKey, std::pair(PieceCount, PieceTotal));
    EXPECT_EQ(std::pair(Board[1][8][1], Board[1][1][1]), std::pair(WhiteRook, Empty));
}

class MateDriver : public ::testing::Test {
protected:
    void SetUp() override { SetSearchClock(enginetest::TickingClock); }
    void TearDown() override {
        SetSearchClock(nullptr);
        StopSearch = false;
    }
    enginetest::RecordingHooks hooks;
};

TEST_F(MateDriver, EventsRunSeldomAndTheStopFlagEndsTheSearch) {
    const std::string noMate = "8/8/8/4k3/8/8/8/R3K3 w - - 0 1";
    Load(noMate, 2);
    std::int32_t moves = 0;
    MoveBarredCalls = 0;
    EXPECT_FALSE(MateSearch("W", 7, moves));
    EXPECT_GT(hooks.runs, 10);
    EXPECT_LT(hooks.runs, MoveBarredCalls / 20) << "events run on almost every pass";

    hooks.runs = 0;
    hooks.stopAt = 3;
    Load(noMate, 2);
    const PlyBoard game = Board[0];
    EXPECT_FALSE(MateSearch("W", 7, moves));
    EXPECT_EQ(hooks.runs, 3) << "the search went on after the stop flag";
    EXPECT_EQ(GameStatus, "");
    EXPECT_EQ(Board[0], game);
}

TEST_F(MateDriver, ProgressLabelsShowTheTry) {
    Load("kbK5/pp6/1P6/8/8/8/8/R7 w - - 0 1", 2);
    RulesMoveList legal;
    ListLegalMoves("W", 0, legal);
    std::int32_t moves = 0;
    ASSERT_TRUE(MateSearch("W", 5, moves));
    EXPECT_EQ(hooks.labels[2] + " " + hooks.labels[1], "2 " + std::to_string(legal.count));
    EXPECT_NE(hooks.labels[0], "0"); // key moves were counted
}

// Random sparse positions: every mate reported is forced, no mate in one or two is missed.
std::string RandomFen(unsigned& seed) {
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<unsigned>(n));
    };
    for (;;) {
        std::string board(64, '.');
        board[next(64)] = 'K';
        const int s = next(64);
        if (board[s] != '.') continue;
        board[s] = 'k';
        for (int side = 0; side < 2; ++side) {
            for (int i = 1 + next(side == 0 ? 4 : 3); i > 0; --i) {
                const char c = "QRRBNPPPP"[next(9)];
                const int at = next(64);
                if (board[at] != '.' || (c == 'P' && (at < 8 || at >= 56))) continue;
                board[at] = side == 0 ? c : char(c + 32);
            }
        }
        std::string fen; // empty squares written one by one ("11k11111"), which FEN readers sum
        for (int rank = 7; rank >= 0; --rank) {
            for (int file = 0; file < 8; ++file)
                fen += board[rank * 8 + file] == '.' ? '1' : board[rank * 8 + file];
            fen += rank > 0 ? "/" : "";
        }
        fen += next(2) == 0 ? " w - - 0 1" : " b - - 0 1";
        reftest::Position p;
        reftest::ParseFen(fen, p);
        if (!reftest::InCheck(p, !p.whiteToMove)) return fen;
    }
}

TEST(MateSearch, RandomPositionsReportedMatesAreForcedAndShortMatesFound) {
    unsigned seed = 20261206u;
    int mates = 0, positions = 0;
    for (int i = 0; i < 300; ++i) {
        const std::string fen = RandomFen(seed);
        reftest::Position start;
        ASSERT_TRUE(reftest::ParseFen(fen, start));
        if (reftest::LegalMoves(start).empty()) continue;
        ++positions;
        const int level = 1 + i % 3;
        SCOPED_TRACE(fen + " level " + std::to_string(level));
        const MateResult r = Search(fen, level, 5);
        if (r.played) {
            ++mates;
            ExpectProved(fen, r);
        } else {
            EXPECT_FALSE(reftest::MatesIn(start, 2)) << "missed a short mate";
        }
    }
    std::printf("%d positions, %d mates\n", positions, mates);
    EXPECT_GT(mates, positions / 40);
}

} // namespace
} // namespace corvane
