// The computer's move: draws, single moves, mate replies avoided, repetition, stopping, sorting.
#include "EngineTestSupport.h"

namespace corvane {
namespace {

using enginetest::PlayComputer;
using enginetest::SetUpPosition;

std::vector<int> SortedPieces(const std::vector<std::int32_t>& scores, bool descending) {
    SideMoveList& list = MoveList[0];
    const int n = static_cast<int>(scores.size());
    for (int i = 1; i <= n; ++i) {
        OrderScore[i] = scores[i - 1];
        list[2][i] = MoveRecord{};
        list[2][i].piece = static_cast<std::uint8_t>(i); // identifies the record
    }
    SortMoves(OrderScore, list, 2, n, descending);
    std::vector<int> order;
    for (int i = 1; i <= n; ++i) {
        order.push_back(list[2][i].piece);
        EXPECT_EQ(OrderScore[i], scores[list[2][i].piece - 1]) << "score left its record";
    }
    return order;
}

TEST(SortMoves, EqualScoresFollowTheProcedure) {
    EXPECT_EQ(SortedPieces({5, 3, 5, 3}, true), (std::vector<int>{3, 1, 4, 2}));
    EXPECT_EQ(SortedPieces({2, 1, 2, 1}, false), (std::vector<int>{4, 2, 1, 3}));
    EXPECT_EQ(SortedPieces({7, 7, 7}, true), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(SortedPieces({9}, true), (std::vector<int>{1}));
    const std::vector<int> order = SortedPieces({3, -1, 8, 8, 0, 12, -1, 5, 3}, true);
    const std::vector<std::int32_t> scores{3, -1, 8, 8, 0, 12, -1, 5, 3};
    for (std::size_t i = 1; i < order.size(); ++i)
        EXPECT_GE(scores[order[i - 1] - 1], scores[order[i] - 1]);
}

// clang-format off
const std::tuple<const char*, const char*, int, const char*, const char*> kChosen[] = {
    {"bare_kings", "8/8/4k3/8/8/4K3/8/8 w - - 0 1", 2, "", "DRAW"},
    {"knight_against_bishop", "8/8/8/8/8/2k5/8/K1N1b3 w - - 0 1", 3, "", "DRAW"},
    {"stalemated", "4k3/4P3/4K3/8/8/8/8/8 b - - 0 1", 2, "", "STALEMATE"},
    {"mated", "R3k3/8/4K3/8/8/8/8/8 b - - 0 1", 3, "", "STALEMATE"},
    {"single_move", "K7/P7/k7/8/8/8/8/8 w - - 0 1", 2, "WK a8-b8", ""},
    {"hanging_queen", "4k3/8/8/8/3q4/8/8/3RK3 w - - 0 1", 3, "WR d1xd4", ""},
    // Two legal moves and three pieces: the mate search goes 9 plies deep.
    {"deep_mate_search", "8/1P6/8/8/8/k7/8/K7 w - - 0 1", 2, "WP b7-b8=WQ", "5 Key move = WP b7-b8=WQ"},
};
// clang-format on

TEST(ComputerMove, ChosenMovesAndStatuses) {
    for (const auto& [name, fen, level, move, status] : kChosen) {
        const auto outcome = PlayComputer(fen, level);
        EXPECT_EQ(outcome.move + "|" + outcome.status, std::string(move) + "|" + status) << name;
    }
    const auto pawn = PlayComputer("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", 2, false);
    EXPECT_FALSE(pawn.move.empty()); // a lone pawn is no draw by material
    EXPECT_NE(pawn.status, "DRAW");
}

// Three root moves of equal score: the quicksort puts the third generated first, and the level
// decides the generation order (Be5 at levels 1 and 2, Bc3 at level 3).
TEST(ComputerMove, EqualRootMovesFollowTheLevelsDirectionOrder) {
    const char* fen = "8/k4p2/2p2P2/2P5/3Bp3/1p2P1p1/1P4P1/7K w - - 0 40";
    for (const auto& [level, move] : {std::pair{1, "WB d4-e5"}, {2, "WB d4-e5"}, {3, "WB d4-c3"}})
        EXPECT_EQ(PlayComputer(fen, level, true).move, move) << level;
}

// The largest number of moves to mate the mate search announced in its last try.
class MateDepthRecorder : public CoreHooks {
public:
    void SetProgressLabel(int index, const std::string& text) override {
        if (index == 2 && !text.empty() && text[0] >= '1' && text[0] <= '9') {
            deepest = std::max(deepest, std::stoi(text));
        }
    }
    int deepest = 0;
};

TEST(ComputerMove, MateSearchDepthFollowsTheLastCandidate) {
    // The depth follows the last candidate examined: the pinned bishop's leaves the king in check.
    for (const auto& [fen, movesTried] : {std::pair{"k3r3/8/8/8/8/8/4B3/4K3 w - - 0 60", 3},
                                          std::pair{"k2r4/8/8/8/8/8/4B3/4K3 w - - 0 60", 4}})
        for (const int level : {2, 3}) {
            MateDepthRecorder hooks;
            SetHooks(&hooks);
            const auto outcome = PlayComputer(fen, level, false);
            SetHooks(nullptr);
            EXPECT_EQ(hooks.deepest, movesTried) << fen << " level " << level;
            EXPECT_FALSE(outcome.move.empty()) << fen;
            EXPECT_EQ(outcome.status.find("Key move"), std::string::npos) << outcome.status;
        }
}

TEST(ComputerMove, NeverAllowsAMateInOneWhenSearching) {
    for (const char* fen :
         {"4r1k1/5ppp/8/8/8/8/3R1PPP/6K1 w - - 0 1", "6k1/5ppp/8/8/8/8/r4PPP/1R4K1 b - - 0 1",
          "3r2k1/5ppp/8/8/8/5Q2/5PPP/6K1 w - - 0 1"}) {
        for (int level = 2; level <= 3; ++level) {
            const auto outcome = PlayComputer(fen, level, false);
            ASSERT_EQ(outcome.move.size(), 8u) << fen;
            reftest::Position p;
            ASSERT_TRUE(reftest::ParseFen(fen, p));
            for (const reftest::Move& m : reftest::LegalMoves(p)) {
                if (reftest::SquareName(m.from) + reftest::SquareName(m.to) ==
                    outcome.move.substr(3, 2) + outcome.move.substr(6, 2)) {
                    EXPECT_FALSE(reftest::MatesIn(reftest::Play(p, m), 1))
                        << fen << " level " << level << " played " << outcome.move;
                }
            }
        }
    }
}

TEST(MakeBESTMove, GamePawnFlagsFollowThePlayedMove) {
    // White's double step opens en passant for Black and ends Black's own.
    SetUpPosition("4k3/8/8/5p2/8/8/4P3/4K3 w - f6 0 1", 10);
    EXPECT_EQ(BlackPawnFlags[1][1], 6);
    GenerateAtDepth("W", 1, 1);
    int index = 0;
    for (int i = 1; i <= MoveCountPly[1]; ++i) {
        const MoveRecord& m = MoveList[0][1][i];
        if (m.fromRank == 2 && m.fromFile == 5 && m.toRank == 4) index = i;
    }
    ASSERT_NE(index, 0);
    ASSERT_TRUE(MakeBESTMove("W", index, 1));
    EXPECT_EQ(CurrentMove, "WP e2-e4");
    EXPECT_EQ(WhitePawnFlags[1][1] * 10 + BlackPawnFlags[1][1], 50);
}

TEST(ComputerMove, WeightsAreDrawnOnlyBetweenComputers) {
    const char* fen = "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1";
    std::set<int> seen;
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        for (const char* mode : {seed % 2 == 0 ? "CCW" : "CCB", "CW"}) {
            SetUpPosition(fen);
            GameMode = mode;
            Random().FixSeed(seed * 7919u);
            ComputerMove(1);
            EXPECT_TRUE(GameMode != "CW" || (BishopWeight == 1 && KnightWeight == 1));
            seen.insert(BishopWeight);
            seen.insert(KnightWeight);
        }
    }
    EXPECT_TRUE(*seen.begin() >= -5 && *seen.rbegin() <= 5);
    EXPECT_TRUE(seen.size() >= 4 && *seen.begin() < 0 && *seen.rbegin() > 0);
    Random().ReleaseSeed();
}

TEST(ComputerMove, RepetitionEveryFifthStoredPosition) {
    const char* fen = "K7/P7/k7/8/8/8/8/8 w - - 0 1";
    PlyBoard after;
    after[8][2] = WhiteKing;
    after[7][1] = WhitePawn;
    after[6][1] = BlackKing;
    for (const auto& [slotOneMatches, status, nextIndex] :
         {std::tuple{true, "DRAW", 6}, std::tuple{false, "", 1}}) {
        SetUpPosition(fen);
        GameMode = "CW";
        PositionHistory[3] = PositionHistory[1] = after;
        if (!slotOneMatches) PositionHistory[1][1][1] = WhiteRook;
        HistoryIndex = 5;
        ComputerMove(1);
        EXPECT_EQ(CurrentMove + "|" + GameStatus, std::string("WK a8-b8|") + status);
        EXPECT_EQ(HistoryIndex, nextIndex);
        EXPECT_EQ(PositionHistory[5], after);
    }
    // Below slot 5 the history only fills.
    SetUpPosition(fen);
    GameMode = "CW";
    ComputerMove(1);
    EXPECT_EQ(HistoryIndex, 2);
    EXPECT_EQ(PositionHistory[1], after);
}

TEST(ComputerMove, StoppedSearchPlaysNoMove) {
    for (const int passes : {1, 3}) {
        SetUpPosition("r1bq1rk1/pp2bppp/2n2n2/2pp4/3P4/2PBPN2/PP1N1PPP/R2QK2R w KQ - 0 8");
        GameMode = "CW";
        const PlyBoard before = Board[0];
        enginetest::RecordingHooks hooks;
        hooks.stopAt = passes;
        ComputerMove(1);
        EXPECT_TRUE(StopSearch);
        EXPECT_EQ(CurrentMove + GameStatus, "");
        EXPECT_EQ(Board[0], before);
        StopSearch = false;
    }
}

// Events run once per root move, and in between only when the clock says they are due.
TEST(ComputerMove, EventsRunPerRootMoveAndWhenDue) {
    const SearchClock clocks[] = {[]() -> std::int64_t { return 0; }, enginetest::TickingClock};
    int runs[2] = {};
    for (int c = 0; c < 2; ++c) {
        SetUpPosition("8/8/4k3/8/2R5/4K3/4P3/8 w - - 0 1");
        GameMode = "CW";
        enginetest::RecordingHooks hooks;
        SetSearchClock(clocks[c]);
        ComputerMove(1);
        SetSearchClock(nullptr);
        runs[c] = hooks.runs;
    }
    EXPECT_EQ(runs[0], MoveCountPly[1]);
    EXPECT_GT(runs[1], runs[0]);
}

} // namespace
} // namespace corvane
