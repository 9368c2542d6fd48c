// The notation, PGN and FEN writers: known games, FENs and random games read back independently.
#include "RulesTestSupport.h"
#include "support/PgnExtract.h"

using namespace corvane;

namespace {

// Values no test of the position would leave: the writer must put them back.
// clang-format off
void Scribble() {
    Board[1].squares.fill(BlackQueen);
    WhitePawnFlags[1] = {7, 7, 7, 7}; SavedFlags.CastleMade[MaxDepth + 1] = {9, 9, 9, 9};
    GameStatus = "XEQUE"; PromotionChoice = "N"; MoverSide = OpponentSide = "?";
    WhiteInCheck = BlackInCheck = true; FromRank = ToFile = 77; PieceCount[CountSlot(WhiteQueen)] = 5;
}
// clang-format on

TEST(Notation, SanOfMoveTexts) {
    const char* const kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const char* const kPromotes = "7k/4P1pp/8/8/8/8/8/4K3 w - - 0 1";
    // Random games check the written forms; here refusals and forms random games seldom reach.
    // Position, move, its SAN ("" for a move that is not legal there).
    const char* const rows[][3] = {
        {kStart, "WB e2-e4", ""},   // no bishop there
        {kStart, "WP e2-e5", ""},   // not a pawn's move
        {kStart, "BP e7-e5", "e5"}, // the mover's colour is the side to move
        {"4k3/8/8/4b3/8/2N4P/8/K5N1 w - - 0 1", "WN g1-e2", "Ne2"}, // the other knight is pinned
        {"4k3/8/8/4b3/8/2N4P/8/K5N1 w - - 0 1", "WN c3-e2", ""},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - - 0 2", "WP e5-d6", ""}, // the right has passed
        {kPromotes, "WP e7-e8", "e8=Q#"},
        {kPromotes, "WP e7-e8=N", "e8=N"},
        {kPromotes, "WP e7-e8=BQ", ""},
        {"4k3/8/8/8/8/8/3P4/4K3 w - - 0 1", "WP d2-d4=Q", ""},
        {"r3k2r/8/8/8/8/8/8/R3K2R w kq - 0 1", "WK e1-g1", ""},
        {"3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", "WK e1-c1", "O-O-O+"},
    };
    for (const auto& [fen, move, san] : rows) {
        SCOPED_TRACE(std::string(fen) + " " + move);
        rulestest::Setup(fen);
        Scribble();
        const rulestest::ModelSnapshot before;
        EXPECT_EQ(SanOf(move, 0), san);
        EXPECT_TRUE(before.AllEqual());
    }
    EXPECT_EQ(SanOf("WP e2-e4", MaxDepth), ""); // no ply above it to test the check in
    EXPECT_EQ(SanOf("WP e2-e4", -1), "");
}

TEST(Pgn, KnownGames) {
    struct Row {
        const char* name;
        std::vector<std::string> tags; // Event, Site, Date, Round, White, Black, the result asked
        std::string startFen;
        std::vector<std::string> moves;
        std::string text;
        int movesWritten;
    };
    const std::string unknown = "[Event \"?\"]\n[Site \"?\"]\n[Date \"????.??.??\"]\n[Round "
                                "\"?\"]\n[White \"?\"]\n[Black \"?\"]\n";
    const Row rows[] = {
        {"black_first_at_move_12",
         {"Partida amigável", "", "", "", "Zé \"Rei\" \\ Silva\n", "CPU (Avançado)", "0-1"},
         "r3k2r/ppp2ppp/2n5/3pP3/8/5N2/PPP2PPP/R3K2R b KQkq - 0 12",
         {"BP f7-f5", "WP e5-f6", "BP g7xf6", "WK e1-g1", "BK e8-c8", "WR f1-e1", "BR d8-e8",
          "WR e1xe8", "BR h8xe8", "WK g1-f1", "BR e8-e1", "WN f3xe1"},
         R"pgn([Event "Partida amigável"]
[Site "?"]
[Date "????.??.??"]
[Round "?"]
[White "Zé \"Rei\" \\ Silva "]
[Black "CPU (Avançado)"]
[Result "0-1"]
[SetUp "1"]
[FEN "r3k2r/ppp2ppp/2n5/3pP3/8/5N2/PPP2PPP/R3K2R b KQkq - 0 12"]

12... f5 13. exf6 gxf6 14. O-O O-O-O 15. Rfe1 Rde8 16. Rxe8+ Rxe8 17. Kf1 Re1+
18. Nxe1 0-1

)pgn",
         12},
        {"stops_at_a_move_out_of_turn",
         {"", "", "", "", "", "", "1-0"},
         std::string(StandardStartFen),
         {"WP e2-e4", "BP e7-e5", "BP d7-d5", "WN g1-f3"},
         unknown + R"pgn([Result "*"]

1. e4 e5 *

)pgn",
         2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PgnGame game;
        std::string PgnGame::*const fields[] = {&PgnGame::event, &PgnGame::site,  &PgnGame::date,
                                                &PgnGame::round, &PgnGame::white, &PgnGame::black,
                                                &PgnGame::result};
        for (int i = 0; i < 7; ++i) game.*fields[i] = row.tags[i];
        game.startFen = row.startFen;
        game.moves = row.moves;
        const PgnText pgn = WritePgn(game);
        EXPECT_EQ(pgn.text, row.text);
        EXPECT_EQ(pgn.complete, row.movesWritten == int(row.moves.size()));
        EXPECT_EQ(pgn.movesWritten, row.movesWritten);
        EXPECT_EQ(reftest::ReadPgn(row.text).error, "");
    }
    PgnGame game;
    game.startFen = "not a position";
    EXPECT_FALSE(WritePgn(game).complete);

    // The reader that checks the random games refuses each fault of a writer.
    // clang-format off
    const std::pair<const char*, const char*> faults[] = {
        {"Rfe1", "Re1"}, {"Rfe1", "Rf1e1"}, {"Rxe8+", "Rxe8"}, {"Kf1", "Kf1+"}, {"Nxe1", "Ne1"},
        {"13. exf6", "14. exf6"}, {"12... f5", "12. f5"}, {"Re1+\n", "Re1+ "}, {"[SetUp \"1\"]\n", ""},
        {"[Site", "[Sitio"}, {"[Result \"0-1", "[Result \"*"}};
    // clang-format on
    for (const auto& [good, bad] : faults) {
        std::string text = rows[0].text;
        text.replace(text.find(good), std::string(good).size(), bad);
        EXPECT_NE(reftest::ReadPgn(text).error, "") << bad;
    }
}

// The position FEN after moves played at ply 0 reads back with the same legal moves for both sides.
TEST(Pgn, PositionFenReadsBackAsTheSamePosition) {
    const char* const kRooks = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    // Start, moves separated by ", ", the loaded move number, the FEN after them.
    // clang-format off
    const std::tuple<const char*, const char*, int, const char*> rows[] = {
        {StandardStartFen.data(), "WP e2-e4, BP a7-a6, WP e4-e5, BP d7-d5", 0, "rnbqkbnr/1pp1pppp/p7/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3"},
        {kRooks, "WK e1-g1, BR a8-b8, WR a1-a2", 0, "1r2k2r/8/8/8/8/8/R7/5RK1 b k - 0 2"},
        {kRooks, "WK e1-d1, BK e8-f8, WK d1-e1, BK f8-e8", 0, "r3k2r/8/8/8/8/8/8/R3K2R w - - 0 3"},
        {kRooks, "WR a1xa8", 0, "R3k2r/8/8/8/8/8/8/4K2R b Kk - 0 1"},
        {"4k3/8/8/8/8/8/3P4/4K3 b - - 0 1", "BK e8-d8, WP d2-d4", 17, "3k4/8/8/8/3P4/8/8/4K3 b - - 0 10"},
    };
    // clang-format on
    for (const auto& [start, moves, loadedMoveNumber, fen] : rows) {
        SCOPED_TRACE(fen);
        std::string side = rulestest::Setup(start);
        LoadedMoveNumber = loadedMoveNumber;
        int played = 0;
        for (std::string_view rest = moves; !rest.empty(); ++played) {
            const std::string move(rest.substr(0, rest.find(", ")));
            rest.remove_prefix(std::min(rest.size(), move.size() + 2));
            ASSERT_TRUE(IsMoveLegal(move)) << move;
            PlayAcceptedMove(0);
            side = side == "W" ? "B" : "W";
        }
        CountPieces(0);
        ASSERT_EQ(CurrentPositionFen(side, played), fen);
        FenPosition read;
        ASSERT_TRUE(LoadFen(fen, 5, read));
        EXPECT_EQ(Board[5], Board[0]);
        for (const char* s : {"W", "B"})
            EXPECT_EQ(rulestest::CoreMoves(s, 5), rulestest::CoreMoves(s, 0));
    }
}

std::string TextOf(const reftest::Position& p, const reftest::Move& m) {
    const char c = p.square[m.from];
    return std::string{std::isupper(c) ? 'W' : 'B', static_cast<char>(std::toupper(c)), ' '} +
           reftest::SquareName(m.from) + (p.square[m.to] != '.' ? "x" : "-") +
           reftest::SquareName(m.to);
}

bool SamePosition(const reftest::Position& a, const reftest::Position& b) {
    return a.square == b.square && a.whiteToMove == b.whiteToMove && a.epSquare == b.epSquare &&
           std::equal(a.castle, a.castle + 4, b.castle);
}

TEST(Pgn, RandomGamesReadBackByAnIndependentReader) {
    const char* const starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 17",
        "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1",
        "4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 b - - 0 5",
    };
#ifdef CORVANE_SANITIZED_BUILD
    const int gamesPerStart = 15;
#else
    const int gamesPerStart = 60;
#endif
    std::mt19937 random(15);
    int games = 0, moves = 0, promotions = 0, mates = 0;
    for (const char* start : starts) {
        for (int g = 0; g < gamesPerStart; ++g, ++games) {
            reftest::Position p;
            ASSERT_TRUE(reftest::ParseFen(start, p));
            PgnGame game;
            game.startFen = start;
            for (int ply = 0; ply < 200; ++ply) {
                const std::vector<reftest::Move> legal = reftest::LegalMoves(p, true);
                if (legal.empty()) break;
                const reftest::Move m = legal[random() % legal.size()];
                std::string text = TextOf(p, m);
                if (m.promotion != 0) {
                    // The computer's "=Q", the chooser's "=WQ"; a bare text is a queen.
                    const unsigned style = random() % 3;
                    if (style == 0) {
                        text += std::string("=") + m.promotion;
                    } else if (style == 1 || m.promotion != 'Q') {
                        text += std::string("=") + text[0] + m.promotion;
                    }
                    ++promotions;
                }
                game.moves.push_back(text);
                p = reftest::Play(p, m);
            }
            mates += reftest::LegalMoves(p).empty() && reftest::InCheck(p, p.whiteToMove);
            moves += int(game.moves.size());
            rulestest::SetFromReference(p, 0);
            const rulestest::ModelSnapshot before;
            const PgnText pgn = WritePgn(game);
            ASSERT_TRUE(before.AllEqual());
            ASSERT_TRUE(pgn.complete) << pgn.text;
            const reftest::PgnRead read = reftest::ReadPgn(pgn.text);
            ASSERT_EQ(read.error, "") << pgn.text;
            ASSERT_EQ(read.moves, int(game.moves.size())) << pgn.text;
            ASSERT_TRUE(SamePosition(read.final, p)) << pgn.text;
        }
    }
    std::printf("%d games, %d moves, %d promotions, %d mates\n", games, moves, promotions, mates);
    EXPECT_GT(promotions, 50);
}

// The FEN of the position a game reaches, and the PGN's FEN tag, agree with an
// independent program on known games and on random games from several starts:
// side to move (after a mate too), castling, the en-passant square only where
// a pawn can take, the half-move clock counted over the moves, the move number.
TEST(Pgn, GameEndFenAgreesWithPgnExtract) {
    const char* const kItalian = "WP e2-e4, BP e7-e5, WN g1-f3, BP d7-d6, WB f1-c4, BQ d8-e7, "
                                 "WK e1-g1, BB c8-g4";
    const char* const kFool = "WP f2-f3, BP e7-e5, WP g2-g4, BQ d8-h4";
    // clang-format off
    const std::tuple<const char*, const char*, const char*> known[] = {
        {StandardStartFen.data(), kItalian, "rn2kbnr/ppp1qppp/3p4/4p3/2B1P1b1/5N2/PPPP1PPP/RNBQ1RK1 w kq - 4 5"},
        {StandardStartFen.data(), kFool, "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3"},
        {StandardStartFen.data(), "WP e2-e4, BN g8-f6, WP e4-e5, BP d7-d5", "rnbqkb1r/ppp1pppp/5n2/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3"},
        {"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "WR a1-a2, BK e8-e7, WK e1-f1, BK e7-e8, WK f1-g1, BK e8-f8", "5k2/8/8/8/8/8/R7/6KR w - - 6 4"},
    };
    // clang-format on
    std::string pgn;
    std::vector<std::string> expected;
    for (const auto& [start, moves, fen] : known) {
        PgnGame game;
        game.startFen = start;
        for (std::string_view rest = moves; !rest.empty();) {
            game.moves.emplace_back(rest.substr(0, rest.find(", ")));
            rest.remove_prefix(std::min(rest.size(), game.moves.back().size() + 2));
        }
        ASSERT_EQ(GameEndFen(game), fen);
        pgn += WritePgn(game).text + "\n";
        expected.push_back(fen);
    }
    const char* const starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 3 17",
        "4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 b - - 0 5",
        "4k3/8/8/2pP4/8/8/8/4K3 w - c6 0 30",
    };
    std::mt19937 random(2323);
    for (const char* start : starts) {
        for (int g = 0; g < 12; ++g) {
            reftest::Position p;
            ASSERT_TRUE(reftest::ParseFen(start, p));
            PgnGame game;
            game.startFen = start;
            const int length = 1 + static_cast<int>(random() % 120);
            for (int ply = 0; ply < length; ++ply) {
                const std::vector<reftest::Move> legal = reftest::LegalMoves(p, true);
                if (legal.empty()) break;
                const reftest::Move m = legal[random() % legal.size()];
                std::string text = TextOf(p, m);
                if (m.promotion != 0) text += std::string("=") + text[0] + m.promotion;
                game.moves.push_back(text);
                p = reftest::Play(p, m);
            }
            const std::string fen = GameEndFen(game);
            ASSERT_FALSE(fen.empty());
            pgn += WritePgn(game).text + "\n";
            expected.push_back(fen);
        }
    }
    std::vector<std::string> refereed;
    std::string error;
    ASSERT_TRUE(reftest::PgnExtractFinalFens(pgn, refereed, error)) << error;
    ASSERT_EQ(refereed.size(), expected.size()) << pgn;
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(expected[i], refereed[i]) << i;
}

} // namespace
