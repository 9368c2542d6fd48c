// Games against the computer, how games end, and closing the window during each wait.
#include "GameTestSupport.h"
#include "engine/ModCompMove.h"

namespace corvane::testing {
namespace {

using ComputerGameTest = GameWindowTest;

// A saved position resumes with its side to move, player mode, and move number
// held within its bound: the list counts on from it.
TEST_F(ComputerGameTest, ResumeLoadedGame) {
    LoadedSide = 1;
    PlayerOption = 2;
    window->ResumeLoadedGame("4k3/8/8/8/8/8/4P3/4K3 w - - 2147483647");
    EXPECT_EQ(GameMode, "CW");
    EXPECT_EQ(SideToMove, "B");
    Drag("e8", "d8");
    ASSERT_GE(window->MoveCount(), 1);
    EXPECT_EQ(Entry(0), "100000001 BK e8-d8");
}

// An opened game goes on as a new game would: the computer moves when it is to
// move; a position whose side to move is already mated, stalemated or short
// of material ends at once with the announcement and the sound of its end.
TEST_F(ComputerGameTest, OpenedGamesResumeOrEnd) {
    const struct {
        const char* position;
        int side, player;
        int listed;
        std::vector<std::string> messages;
        int sound; // -1: the game goes on
    } cases[] = {
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0", 1, 1, 1, {}, -1}, // the computer has Black
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0", 0, 2, 1, {}, -1}, // the computer has White
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0", 0, 1, 0, {}, -1}, // the player's turn
        {"7k/6Q1/6K1/8/8/8/8/8 w - - 0", 1, 1, 0, {"XEQUE-MATE"}, SoundCheckmate},
        {"7k/6Q1/6K1/8/8/8/8/8 w - - 0", 1, 3, 0, {"XEQUE-MATE"}, SoundCheckmate},
        {"8/8/8/8/8/1k6/1q6/K7 w - - 0", 0, 2, 0, {"XEQUE-MATE"}, SoundCheckmateMan},
        {"7k/5Q2/6K1/8/8/8/8/8 w - - 0", 1, 1, 0, {"STALEMATE"}, SoundStalemate},
        {"4k3/8/8/8/8/8/8/4K1N1 w - - 0", 0, 1, 0, {"EMPATE"}, SoundDraw},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        window->NovoJogo(3);
        window->optSetUp(2)->click(); // opened during set-up: played, not set up
        messages.clear();
        sounds.played.clear();
        LoadedSide = static_cast<std::int16_t>(c.side);
        PlayerOption = static_cast<std::int16_t>(c.player);
        window->ResumeLoadedGame(c.position);
        EXPECT_EQ(window->MoveCount(), c.listed);
        if (c.listed > 0) {
            EXPECT_EQ(Entry(0).substr(3, 1), c.side == 0 ? "W" : "B");
        }
        EXPECT_EQ(messages, c.messages);
        EXPECT_FALSE(ComputerBusy || SetUpMode || window->lblVez(0)->isVisible());
        EXPECT_EQ(window->picBoard()->isEnabled(), c.sound < 0);
        EXPECT_EQ(window->WaitingForPeer(), c.sound < 0); // a live game may be saved
        if (c.sound >= 0) {
            EXPECT_EQ(sounds.Count(c.sound), 1);
        }
    }
}

// The computer without a move is mated when its king is in check: it says so
// with the mate sound of the side that mated it, not "STALEMATE".
TEST_F(ComputerGameTest, ComputerWithoutAMoveInCheckIsMated) {
    for (const bool computerWhite : {false, true}) {
        SCOPED_TRACE(computerWhite);
        window->NovoJogo(3);
        SetUpText(computerWhite ? "WK h1 BQ g2 BK f3" : "BK h8 WQ g7 WK g6");
        SetUpMode = false;
        GameMode = computerWhite ? "CW" : "CB";
        SideToMove = computerWhite ? "W" : "B";
        messages.clear();
        sounds.played.clear();
        window->ComputerTurn(1);
        EXPECT_EQ(messages, std::vector<std::string>{"XEQUE-MATE"});
        EXPECT_EQ(sounds.Count(computerWhite ? SoundCheckmateMan : SoundCheckmate), 1);
        EXPECT_EQ(SideToMove, computerWhite ? "W" : "B"); // the mated side is to move
        EXPECT_FALSE(window->picBoard()->isEnabled());
    }
}

// The computer takes the rook on its corner: that castling right is gone.
TEST_F(ComputerGameTest, CornerCaptureEndsTheCastlingRight) {
    StartFrom("WK e1 WR h1 WR a1 WP a2 BK e8 BB a8 BP h7");
    Drag("a2", "a3");
    ASSERT_EQ(window->MoveCount(), 2);
    ASSERT_EQ(Entry(1), " 2 BB a8xh1");
    EXPECT_EQ(WhiteCastleFlags[0][1], 1);
    EXPECT_EQ(WhiteCastleFlags[0][2], 0);
}

// How a game ends between two players (mode 3) and against the computer, who
// opens when the row has no move; bishops and a blocked pawn box a stalemated king.
TEST_F(ComputerGameTest, TheGameEnds) {
    const struct {
        int mode;
        const char *pieces, *from, *to;
        int listed;
        std::vector<std::string> messages;
        int sound; // -1: the game goes on
    } cases[] = {
        {3, "BK h8 WK f6 WQ a7", "a7", "g7", 1, {"XEQUE-MATE"}, SoundCheckmate},
        {3, "BK h8 WK f7 WQ g5", "g5", "g6", 1, {"STALEMATE"}, SoundStalemate},
        {3, "WK e1 BK e8 BR d2", "e1", "d2", 1, {"EMPATE"}, SoundDraw},
        {3, "WK e1 WB c4 BK e8 BN b8 BR d2", "e1", "d2", 1, {"EMPATE"}, SoundDraw},
        {3, "WK e1 WP a2 BK e8 BR d2", "e1", "d2", 1, {}, -1},
        {3, "WK e1 WN a1 WN b1 BK e8 BR d2", "e1", "d2", 1, {}, -1},
        {3, "WK e1 WN c4 BK e8 BR d6", "c4", "d6", 1, {"XEQUE", "EMPATE"}, SoundDraw},
        {1,
         "WK h1 WP g2 WP h2 WP b3 BK g8 BR a8 BP f7 BP g7 BP h7",
         "b3",
         "b4",
         2,
         {"XEQUE-MATE"},
         SoundCheckmateMan},
        {1, "WK e1 WN b1 BK e8 BN g8 BR d2", "e1", "d2", 1, {"EMPATE"}, SoundDraw},
        {2, "WK e1 WN b1 BK e8", nullptr, nullptr, 0, {"EMPATE"}, SoundDraw},
        {2,
         "WK a1 WB h2 WB g3 WP a6 BK a8 BP a7",
         nullptr,
         nullptr,
         1,
         {"STALEMATE"},
         SoundStalemate},
        {1,
         "WK h1 WP h2 WP a2 BK h8 BP h3 BP a4 BB a7 BB b6",
         "a2",
         "a3",
         2,
         {"STALEMATE"},
         SoundStalemate},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pieces);
        messages.clear();
        window->NovoJogo(c.mode);
        SetUpText(c.pieces);
        if (!c.from) SideToMove = "W";
        sounds.played.clear();
        window->optSetUp(3)->click();
        ASSERT_FALSE(SetUpMode);
        if (c.from) Drag(c.from, c.to);
        ASSERT_EQ(window->MoveCount(), c.listed);
        EXPECT_EQ(messages, c.messages);
        EXPECT_FALSE(ComputerBusy);
        EXPECT_EQ(window->picBoard()->isEnabled(), c.sound < 0);
        if (c.sound < 0) continue;
        EXPECT_EQ(sounds.Count(c.sound), 1);
        EXPECT_FALSE((c.mode == 3 || c.sound != SoundDraw) && window->tmrElapsed()->isActive());
    }
}

// A search stops when the window closes; nothing is played afterwards. An option
// clicked while the computer thinks is ignored and does not look selected.
TEST_F(ComputerGameTest, ClosingDuringTheSearchStopsIt) {
    StartFrom("WK g1 WQ d1 WR a1 WR f1 WB c4 WN c3 WP a2 WP b2 WP f2 WP g2 WP h2 BK g8 BQ d8 "
              "BR a8 BR f8 BB c5 BN c6 BP a7 BP b7 BP f7 BP g7 BP h7");
    bool closedWhileBusy = false, inForceShown = false;
    WhenThen([] { return ComputerBusy; },
             [&] {
                 window->optSetUp(1)->click();
                 inForceShown = window->optSetUp(3)->isChecked() && !SetUpMode;
                 closedWhileBusy = ComputerBusy;
                 window->close();
             });
    Drag("h2", "h3");
    EXPECT_TRUE(closedWhileBusy);
    EXPECT_TRUE(inForceShown);
    EXPECT_TRUE(window->Closing());
    EXPECT_TRUE(StopSearch);
    EXPECT_EQ(window->MoveCount(), 1) << "the computer's move is not listed";
    EXPECT_TRUE(messages.empty());
}

// The promotion wait ends when the window closes; the move is taken back.
TEST_F(ComputerGameTest, ClosingDuringThePromotionWait) {
    StartFrom("WK e1 BK h8 WP a7");
    WhenThen([&] { return window->picWPP()->isVisible(); }, [&] { window->close(); });
    Drag("a7", "a8");
    EXPECT_TRUE(window->Closing());
    EXPECT_EQ(TagAt("a7") + "|" + TagAt("a8"), "WP|");
    EXPECT_EQ(window->MoveCount(), 0);
}

// A mate in a network game: the peer is told, the pause before the message lets
// its messages in, and a close during it announces nothing more.
TEST_F(ComputerGameTest, ThePauseAfterANetworkMate) {
    for (const bool close : {false, true}) {
        SCOPED_TRACE(close);
        std::vector<std::string> sent;
        window->sendToPeer = [&](const std::string& m) { sent.push_back(m); };
        window->NovoJogo(3);
        StartFrom("WK e1 WR a1 BK h8 BP g7 BP h7");
        NetworkGame = true;
        window->SetLocalIsWhite(true);
        messages.clear();
        bool ranInPause = false;
        WhenThen([&] { return !sent.empty(); },
                 [&] {
                     ranInPause = messages.empty() && !window->picBoard()->isEnabled();
                     if (close) window->close();
                 });
        Drag("a1", "a8");
        EXPECT_EQ(sent, std::vector<std::string>{"Jogar:#WR a1-a8#XEQUE-MATE"});
        EXPECT_TRUE(ranInPause);
        EXPECT_EQ(messages,
                  close ? std::vector<std::string>{} : std::vector<std::string>{"XEQUE-MATE"});
    }
}

// Whole games against the computer at every level, the user's moves by drags:
// after every reply the view and the model agree and the computer's king is safe.
class WholeGameTest : public GameWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(WholeGameTest, PlaysOnUntilTheEndOrTheMoveLimit) {
    Level = static_cast<std::int16_t>(GetParam());
    window->NovoJogo(1);
    const int limit = GetParam() == 3 ? 6 : 14;
    for (int round = 0; round < limit && window->picBoard()->isEnabled(); ++round) {
        ASSERT_EQ(SideToMove, "W");
        RulesMoveList moves;
        LoadBoardFromView(*window, 0);
        CountPieces(0);
        ListLegalMoves("W", 0, moves);
        ASSERT_GT(moves.count, 0) << "the game should have ended";
        // Prefer a capture, else the move in the middle of the list.
        RulesMove m = moves.moves[moves.count / 2];
        for (int i = 0; i < moves.count; ++i)
            if (Board[0][moves.moves[i].toRank][moves.moves[i].toFile] != Empty) m = moves.moves[i];
        const int from = ImageIndexOf(m.fromRank, m.fromFile);
        if (window->Tag(from) == "WP" && m.toRank == 8) ChooseLater(4, true);
        const int before = window->MoveCount();
        DragTo(from, Centre(ImageIndexOf(m.toRank, m.toFile)));
        ASSERT_GT(window->MoveCount(), before) << window->Tag(from) << " " << from;
        if (!window->picBoard()->isEnabled()) break; // the game ended
        ASSERT_EQ(window->MoveCount(), before + 2) << "the computer replied";
        for (int i = 0; i < 64; ++i)
            ASSERT_EQ(PieceIndexOf(window->Tag(i)), Board[0][RankOfImage(i)][FileOfImage(i)]) << i;
        std::int32_t kr = 0, kf = 0;
        ASSERT_TRUE(FindKing("B", kr, kf, 0));
        CountPieces(0);
        const std::string reply = Entry(window->MoveCount() - 1);
        EXPECT_FALSE(IsSquareAttacked(kr, kf, "W", 0)) << reply;
        EXPECT_EQ(reply.substr(3, 1), "B") << reply;
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, WholeGameTest, ::testing::Values(1, 2, 3));

} // namespace
} // namespace corvane::testing
