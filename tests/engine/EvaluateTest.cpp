// Material count and positional terms on hand-counted positions; the search's own move
// play and its scoring of checking replies.
#include "EngineTestSupport.h"
#include "rules/MoveText.h"

namespace corvane {
namespace {

using enginetest::SetUpPosition;

// Hand counts (mobility 0, weights 1): material, tables, tropism 50 / (distance + 1) below ten
// pieces, races, support.
// clang-format off
const std::tuple<const char*, const char*, int, int, int> kEvalCases[] = {
    {"start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", -1, 3924, 3919},
    {"bishops early", "4kb2/8/8/8/8/8/8/2B1K3 w - - 0 1", 19, 350 - 99 + 6 + 5 + 6, 350 - 104 + 6 + 5 + 6},
    {"bishops late", "4kb2/8/8/8/8/8/8/2B1K3 w - - 0 1", 20, 350 - 50 + 6 + 5 + 6, 350 - 50 + 6 + 5 + 6},
    {"pawn race", "4k3/8/8/8/4P3/8/8/4K3 w - - 0 1", 5, 100 + 25 + 5 + 5 + 6, 5 + 6},
    {"late phase, unsupported pawn", "4k3/8/8/8/4P3/8/8/4K3 w - - 0 1", 60, 100 + 4 + 5 + 0 + 6, 0 + 6 + 15},
    {"mirrored pawn", "4k3/8/8/4p3/8/8/8/4K3 b - - 0 1", 5, 5 + 6, 100 + 25 + 5 + 5 + 6},
    {"rook on king file", "7k/8/8/8/8/8/8/5K1R w - - 0 1", 5, 500 + 0 + 2 + 6 - 10 + 6, 0 + 6},
    {"third knight material only", "4k3/8/8/8/8/8/8/NNN1K3 w - - 0 1", 5, 900 + 2 + 6 + 5 + 6, 5 + 6},
};
// clang-format on

TEST(Evaluate, TotalsMatchHandCount) {
    for (const auto& [name, fen, listCursor, white, black] : kEvalCases) {
        SetUpPosition(fen, listCursor);
        MobilityCount.fill(0);
        KnightWeight = BishopWeight = 1;
        Evaluate(1);
        EXPECT_EQ(std::pair(WhiteTotal, BlackTotal), std::pair(white, black)) << name;
    }
}

TEST(Evaluate, CastledKingIsRewardedOnce) {
    SetUpPosition("4k3/8/8/8/8/8/5PPP/6K1 w - - 0 1", 5);
    MobilityCount.fill(0);
    WhiteCastleFlags[1][0] = 2;
    Evaluate(1);
    const int castled = WhiteTotal;
    EXPECT_EQ(WhiteCastleFlags[1][0], 1);
    Evaluate(1);
    EXPECT_EQ(castled - WhiteTotal, 50);
}

// The pawn beside a king on its home rank shelters it on either wing: the position
// and its mirror image give White the same total.
TEST(Evaluate, ShelterCountsOnBothWings) {
    int totals[2];
    for (const int i : {0, 1}) {
        SetUpPosition(i == 0 ? "4k3/8/8/8/8/8/7P/6K1 w - - 0 1" : "3k4/8/8/8/8/8/P7/1K6 w - - 0 1",
                      5);
        MobilityCount.fill(0);
        Evaluate(1);
        totals[i] = WhiteTotal;
    }
    EXPECT_EQ(totals[0], totals[1]);
}

TEST(Evaluate, MobilityCountsTwiceItsRootHalved) {
    SetUpPosition("4k3/8/8/8/8/8/8/R3K2R w - - 0 1", 5);
    MobilityCount.fill(0);
    Evaluate(1);
    const int without = WhiteTotal;
    // Rook 8: 2 x trunc(sqrt 8) = 4, halved; rook 3: 2, halved; the king costs 3 x trunc(sqrt).
    const int rows[][3] = {{WhiteRook, 8, 2}, {WhiteRook, 3, 1}, {WhiteKing, 4, -3}};
    for (const auto& [piece, count, added] : rows) {
        MobilityCount.fill(0);
        MobilityCount[piece] = count;
        Evaluate(1);
        EXPECT_EQ(WhiteTotal - without, added) << piece << " " << count;
    }
}

TEST(KingTropism, RoundsHalvesToEven) {
    SetUpPosition("4k3/8/8/8/8/8/8/4K3 w - - 0 1", 5);
    CountMaterial(1);
    // 50 / (distance + 1): d 1, 2 (16.67), 3 (12.5 to the even 12), sqrt 13, sqrt 65, 0.
    const int rows[][3] = {{7, 5, 25}, {6, 5, 17}, {5, 5, 12}, {5, 3, 10}, {1, 1, 6}, {8, 5, 50}};
    for (const auto& [rank, file, added] : rows) {
        WhiteTotal = 0;
        KingTropism("W", rank, file);
        EXPECT_EQ(WhiteTotal, added) << rank << "," << file;
    }
}

TEST(Evaluate, PawnSupportLooksBackwardOnNeighbouringFiles) {
    // Unsupported White pawns (each 15 to Black) and Black pawns (each 15 to White) after move 12.
    // clang-format off
    const std::tuple<const char*, int, int> cases[] = {
        {"4k3/8/2P5/3P4/8/8/8/4K3 w - - 0 1", 1, 0}, {"4k3/8/8/3P4/2P5/8/8/4K3 w - - 0 1", 1, 0},
        {"4k3/8/5p2/4p3/8/8/8/4K3 w - - 0 1", 0, 1}, {"4k3/pp5p/8/8/8/8/P5PP/4K3 w - - 0 1", 1, 1}};
    // clang-format on
    for (const auto& [fen, whiteUnsupported, blackUnsupported] : cases) {
        SetUpPosition(fen, 12);
        MobilityCount.fill(0);
        Evaluate(1);
        const int white = WhiteTotal, black = BlackTotal;
        SetUpPosition(fen, 13);
        Evaluate(1);
        EXPECT_EQ(BlackTotal - black, 15 * whiteUnsupported) << fen;
        EXPECT_EQ(WhiteTotal - white, 15 * blackUnsupported) << fen;
    }
}

TEST(CountMaterial, PlyZeroWorksOnACopy) {
    SetUpPosition("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", 5);
    Board[1].Clear();
    CountMaterial(0);
    EXPECT_EQ(Board[1], Board[0]);
    EXPECT_EQ((std::array{WhiteTotal, WhitePieceTotal, BlackPieceTotal, PieceTotal}),
              (std::array{100, 2, 1, 3}));
    EXPECT_EQ(KingSquare[0].rank * 10 + KingSquare[1].file, 15);
}

// The search follows the material move by move; after every move it must equal a full count.
TEST(MaterialTally, AgreesWithAFullCountAfterEveryMove) {
    const char* const fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    };
    auto lists = [] {
        std::vector<int> all;
        for (const PieceSquares& list : PieceList)
            for (int n = 0; n <= list.count; ++n)
                all.push_back(n == 0 ? list.count : list.rank[n] * 10 + list.file[n]);
        for (const KingPlace& king : KingSquare) all.push_back(king.rank * 10 + king.file);
        return all;
    };
    auto totals = [] {
        return std::vector<int>{WhiteTotal, BlackTotal, WhitePieceTotal, BlackPieceTotal,
                                PieceTotal};
    };
    std::mt19937 random(14);
    int followed = 0;
    for (const char* fen : fens) {
        std::string mover = SetUpPosition(fen);
        for (int ply = 0; ply < 30; ++ply) {
            const std::string computer = mover == "W" ? "B" : "W"; // the mover replies at depth 2
            GenerateAtDepth(computer, 1, 2);
            const int n = MoveCountPly[2];
            if (n == 0) break;
            const MaterialTally base = TallyMaterial(Board[1]);
            for (int i = 1; i <= n; ++i) {
                MaterialTally tally;
                const bool follows =
                    TallyAfterMove(base, Board[1], MoveList[mover == "W" ? 0 : 1][2][i], tally);
                MakeSearchMove(computer, i, 1, 2);
                CountMaterial(1);
                const auto counts = PieceCount;
                const auto counted = totals();
                const auto listed = lists();
                if (follows) {
                    ++followed;
                    UseTally(tally);
                    SCOPED_TRACE(std::string(fen) + " ply " + std::to_string(ply));
                    EXPECT_EQ(PieceCount, counts) << i;
                    EXPECT_EQ(totals(), counted) << i;
                    EXPECT_EQ(lists(), listed) << i;
                }
                UndoSearchMove(1, 2);
            }
            MakeSearchMove(computer, 1 + static_cast<int>(random() % n), 1, 2);
            mover = computer;
        }
    }
    EXPECT_GT(followed, 3000);
}

// Plays each of White's replies to the computer (Black) in the search's tree, lets
// see look at the position after it, and takes it back.
template <typename See> void EachReply(const char* fen, See see) {
    SetUpPosition(fen);
    GenerateAtDepth("B", 1, 2);
    for (int i = 1; i <= MoveCountPly[2]; ++i) {
        const MoveRecord m = MoveList[0][2][i];
        MakeSearchMove("B", i, 1, 2);
        see(m, i);
        UndoSearchMove(1, 2);
    }
}

// A reply that checks the computer's king costs it 10; a reply that mates it ends the line.
TEST(ReplyCheck, ACheckCostsTenAndAMateEndsTheLine) {
    std::map<std::string, std::int32_t> changed; // the replies that changed the score
    EachReply("6k1/5ppp/8/8/4N3/8/8/R3K3 w - - 0 1", [&](const MoveRecord& m, int i) {
        std::int32_t score = 0;
        const bool mates = ReplyCheck("B", 1, i, 2, m.captured, score);
        if (score != 0) changed[SquareName(m.toRank, m.toFile)] = mates ? 1 : score;
    });
    EXPECT_EQ(changed, (std::map<std::string, std::int32_t>{{"a8", 1}, {"f6", -10}}));
}

// A rook that leaves its corner in the search's tree gives up that side's castling there.
TEST(MakeSearchMove, ARookLeavingItsCornerGivesUpCastling) {
    int rookMoves = 0;
    EachReply("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", [&](const MoveRecord& m, int) {
        if (m.piece != WhiteRook) return;
        ++rookMoves;
        EXPECT_EQ(WhiteCastleFlags[1], (PlyFlags{0, m.fromFile == 8, m.fromFile == 1, 0}))
            << m.toFile << m.toRank;
    });
    EXPECT_EQ(rookMoves, 19);
}

} // namespace
} // namespace corvane
