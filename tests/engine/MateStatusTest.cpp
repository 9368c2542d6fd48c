// The mate search's reports (status texts, moves to mate), its scan orders by
// level, iterative deepening, its bookkeeping of the shared state, and the
// event runs and stop flag of its driver.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine/ModCompMove.h"
#include "engine/ModMate.h"
#include "rules/CoreHooks.h"
#include "rules/Fen.h"
#include "rules/ModChecker.h"

namespace corvane {
namespace {

struct Searched {
    bool played = false;
    std::int32_t moves = -1;
    std::string status, move;
};

FenPosition Load(const std::string& fen, int level) {
    FenPosition pos;
    EXPECT_TRUE(LoadFen(fen, 0, pos)) << fen;
    Level = static_cast<std::int16_t>(level);
    DirectionSwitch = level == 3 ? 0 : 1;
    StopSearch = false;
    DrawBoard(ComputerView(), 0);
    Board[1] = Board[0];
    CopyPlyFlags(0, 1);
    CountPieces(1);
    GameStatus = "unchanged";
    CurrentMove.clear();
    return pos;
}

Searched Search(const std::string& fen, int level, int depth) {
    const FenPosition pos = Load(fen, level);
    Searched r;
    r.played = MateSearch(pos.sideToMove, depth, r.moves);
    r.status = GameStatus;
    r.move = CurrentMove;
    return r;
}

struct StatusCase {
    const char* fen;
    int depth;
    bool played;
    int moves; // -1: not reported
    const char* status;
};

TEST(MateStatus, TextsAndMovesToMate) {
    const StatusCase cases[] = {
        {"r5k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 5, true, 1, "WR a1xa8   XEQUE-MATE"},
        {"r5k1/8/8/8/8/8/5PPP/6K1 b - - 0 1", 5, true, 1, "BR a8-a1   XEQUE-MATE"},
        {"7k/P7/6K1/8/8/8/8/8 w - - 0 1", 5, true, 1, "WP a7-a8=WQ   XEQUE-MATE"},
        {"8/8/8/8/8/6k1/p7/7K b - - 0 1", 5, true, 1, "BP a2-a1=BQ   XEQUE-MATE"},
        {"kbK5/pp6/1P6/8/8/8/8/R7 w - - 0 1", 5, true, 2, "2 Key move = WR a1-a6"},
        // Qg8+ Rxg8 Nf7#: the key move gives check.
        {"3r3k/6pp/7N/8/2Q5/8/8/6K1 w - - 0 1", 5, true, 2, "2 Key move = WQ c4-g8CHECK"},
        {"1k6/8/8/K7/3R4/8/8/8 w - - 0 1", 5, true, 3, "3 Key move = WK a5-b6"},
        {"3K3k/7P/8/8/8/8/8/2R5 w - - 0 1", 7, true, 4, "4 Key move = WK d8-e8"},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 5, false, -1, "STALEMATE"},
        {"8/8/8/4k3/8/8/8/R3K3 w - - 0 1", 5, false, 3, ""},
        {"8/8/8/4k3/8/8/8/R3K3 w - - 0 1", 7, false, 4, ""},
        {"8/8/8/4k3/8/8/8/R3K3 w - - 0 1", 1, false, 1, ""},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(std::string(c.fen) + " depth " + std::to_string(c.depth));
        const Searched r = Search(c.fen, 2, c.depth);
        EXPECT_EQ(r.played, c.played);
        EXPECT_EQ(r.status, c.status);
        if (c.moves >= 0) {
            EXPECT_EQ(r.moves, c.moves);
        }
        if (c.played) {
            EXPECT_TRUE(std::string(c.status).find(r.move) != std::string::npos) << r.move;
        }
    }
}

struct OrderCase {
    const char* fen;
    int level;
    const char* move;
};

TEST(MateStatus, ScanOrderByLevelChoosesTheKeyMove) {
    // Both rooks mate on the back rank. Levels 1 and 2 scan h8..a1 and meet the
    // rook on e1 first; level 3 scans a1..h8 and meets the rook on a1 first,
    // whose first direction (along the rank) stops at e1 before it goes up the file.
    // With queen h1 against king a8 (own king b6) the scan reaches the queen at
    // every level: switch 1 tries the diagonal (+1,-1) first and mates on b7,
    // switch 0 tries the file (+1,0) first and mates on h8.
    const OrderCase cases[] = {
        {"6k1/5ppp/8/8/8/8/8/R3R1K1 w - - 0 1", 1, "WR e1-e8"},
        {"6k1/5ppp/8/8/8/8/8/R3R1K1 w - - 0 1", 2, "WR e1-e8"},
        {"6k1/5ppp/8/8/8/8/8/R3R1K1 w - - 0 1", 3, "WR a1-a8"},
        {"k7/8/1K6/8/8/8/8/7Q w - - 0 1", 1, "WQ h1-b7"},
        {"k7/8/1K6/8/8/8/8/7Q w - - 0 1", 2, "WQ h1-b7"},
        {"k7/8/1K6/8/8/8/8/7Q w - - 0 1", 3, "WQ h1-h8"},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(std::string(c.fen) + " level " + std::to_string(c.level));
        const Searched r = Search(c.fen, c.level, 5);
        EXPECT_TRUE(r.played);
        EXPECT_EQ(r.move, c.move);
        EXPECT_EQ(r.moves, 1);
    }
}

TEST(MateStatus, MateInOneIsPreferredToMateInTwo) {
    // The queen has mates in two from its first key moves as well; the mate in
    // one is tried first.
    const std::string fen = "k7/8/1K6/8/8/8/8/7Q w - - 0 1";
    Load(fen, 2);
    ASSERT_TRUE(MateTry("W", 0, 3));
    const PlyBoard afterMateInTwo = Board[1];
    const Searched r = Search(fen, 2, 5);
    EXPECT_EQ(r.moves, 1);
    EXPECT_EQ(r.status, "WQ h1-b7   XEQUE-MATE");
    EXPECT_NE(Board[1], afterMateInTwo);

    // A mating key move leaves the defender no reply: a try for mate in two alone
    // does not count it, the search finds it as the mate in one.
    Load("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 2);
    EXPECT_FALSE(MateTry("W", 0, 3));
    EXPECT_EQ(Search("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 2, 5).moves, 1);
}

TEST(MateStatus, LeavesTheGameAndTheCountersAsItFoundThem) {
    // No mate: the search has captured and promoted on its working plies.
    Load("6k1/8/3R4/8/p3P3/8/3p1K2/Q7 w - - 0 1", 3);
    const PlyBoard game = Board[0];
    const auto counts = PieceCount;
    const auto totals = std::array{WhitePieceTotal, BlackPieceTotal, PieceTotal};
    std::int32_t moves = 0;
    EXPECT_FALSE(MateSearch("W", 5, moves));
    EXPECT_EQ(Board[0], game);
    EXPECT_EQ(PieceCount, counts);
    EXPECT_EQ((std::array{WhitePieceTotal, BlackPieceTotal, PieceTotal}), totals);

    // A key move that captures: the counters describe the position after it.
    Load("r5k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 2);
    ASSERT_TRUE(MateSearch("W", 5, moves));
    const auto afterKey = PieceCount;
    const std::int32_t total = PieceTotal;
    CountPieces(1);
    EXPECT_EQ(afterKey, PieceCount);
    EXPECT_EQ(total, PieceTotal);
    EXPECT_EQ(Board[1][8][1], WhiteRook);
    EXPECT_EQ(Board[1][1][1], Empty);
}

class RecordingHooks : public CoreHooks {
public:
    int eventRuns = 0;
    int stopAt = 0; // sets StopSearch on this event run (0: never)
    std::map<int, std::string> labels;
    void LetEventsRun() override {
        ++eventRuns;
        if (eventRuns == stopAt) StopSearch = true;
    }
    void SetProgressLabel(int index, const std::string& text) override { labels[index] = text; }
};

// A clock that moves on one millisecond at every reading: events are due at
// every fifth reading whatever the speed of the machine.
std::int64_t TickingClock() {
    static std::int64_t now = 0;
    return now += 1000;
}

class MateDriver : public ::testing::Test {
protected:
    void SetUp() override {
        SetHooks(&hooks);
        SetSearchClock(TickingClock);
    }
    void TearDown() override {
        SetHooks(nullptr);
        SetSearchClock(nullptr);
        StopSearch = false;
    }
    RecordingHooks hooks;
};

TEST_F(MateDriver, EventsRunSeldomAndTheStopFlagEndsTheSearch) {
    const std::string noMate = "8/8/8/4k3/8/8/8/R3K3 w - - 0 1";
    Load(noMate, 2);
    std::int32_t moves = 0;
    MoveBarredCalls = 0;
    EXPECT_FALSE(MateSearch("W", 7, moves));
    const int fullRuns = hooks.eventRuns;
    EXPECT_GT(fullRuns, 10);
    EXPECT_LT(fullRuns, MoveBarredCalls / 20) << "events run on almost every pass";

    hooks.eventRuns = 0;
    hooks.stopAt = 3;
    Load(noMate, 2);
    const PlyBoard game = Board[0];
    EXPECT_FALSE(MateSearch("W", 7, moves));
    EXPECT_EQ(hooks.eventRuns, 3) << "the search went on after the stop flag";
    EXPECT_EQ(GameStatus, "");
    EXPECT_EQ(Board[0], game);
}

TEST_F(MateDriver, ProgressLabelsShowTheTry) {
    Load("kbK5/pp6/1P6/8/8/8/8/R7 w - - 0 1", 2);
    RulesMoveList legal;
    ListLegalMoves("W", 0, legal);
    std::int32_t moves = 0;
    ASSERT_TRUE(MateSearch("W", 5, moves));
    EXPECT_EQ(hooks.labels[2], "2");
    EXPECT_EQ(hooks.labels[1], std::to_string(legal.count));
    EXPECT_NE(hooks.labels[0], "0"); // key moves were counted
}

} // namespace
} // namespace corvane
