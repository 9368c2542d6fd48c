// Games against the computer: its reply, its announcements, and closing the
// window during each wait: the search, the promotion chooser and the pause
// after a network mate.
#include "GameTestSupport.h"
#include "engine/ModCompMove.h"

namespace corvane::testing {
namespace {

using ComputerGameTest = GameWindowTest;

// "WK h1 WP g2": the list of pieces SetUpPosition takes.
std::vector<std::string> Pieces(const std::string& text) {
    std::vector<std::string> list;
    for (std::size_t at = 0; at + 5 <= text.size(); at += 6) list.push_back(text.substr(at, 5));
    return list;
}

// The window opens on a game against the computer: the user has White.
TEST_F(ComputerGameTest, ReplyAppearsAndTheTurnReturns) {
    EXPECT_EQ(GameMode, "CB");
    // An option clicked while the computer thinks is ignored and does not look selected.
    bool inForceShown = false;
    WhenThen([] { return ComputerBusy; },
             [&] {
                 window->optSetUp(1)->click();
                 inForceShown = window->optSetUp(3)->isChecked();
             });
    Drag("e2", "e4");
    EXPECT_TRUE(inForceShown);
    EXPECT_FALSE(SetUpMode);
    ASSERT_EQ(window->MoveCount(), 2);
    EXPECT_EQ(Entry(0), " 1 WP e2-e4");
    EXPECT_EQ(Entry(1).substr(0, 4), " 2 B");
    EXPECT_EQ(SideToMove, "W");
    EXPECT_FALSE(ComputerBusy);
    EXPECT_TRUE(window->picBoard()->isEnabled());
    EXPECT_TRUE(window->IndicatorOn(0));
    EXPECT_FALSE(window->IndicatorOn(1));
    EXPECT_EQ(window->LabPB(2)->text(), "H");
    // The board shows what the model holds.
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(PieceIndexOf(window->Tag(i)), Board[0][RankOfImage(i)][FileOfImage(i)]) << i;
    }
    // The computer's pieces stay out of reach of the user.
    const int before = window->MoveCount();
    Drag("a7", "a6");
    EXPECT_EQ(window->MoveCount(), before);
}

// Mode 2: the user has Black, the board turns, the computer opens.
TEST_F(ComputerGameTest, ComputerOpensWithWhite) {
    window->NovoJogo(2);
    EXPECT_FALSE(WhiteAtBottom);
    EXPECT_EQ(window->LabCH(0)->text(), "JOGADOR");
    EXPECT_EQ(window->LabCH(1)->text(), "CPU");
    ASSERT_EQ(window->MoveCount(), 1);
    EXPECT_EQ(Entry(0).substr(0, 4), " 1 W");
    EXPECT_EQ(SideToMove, "B");
    window->NovoJogo(1);
    EXPECT_TRUE(WhiteAtBottom);
}

// A saved position resumes with its side to move and player mode.
TEST_F(ComputerGameTest, ResumeLoadedGame) {
    LoadedSide = 1;
    PlayerOption = 2;
    // The saved move number is held within its bound: the list counts on from it.
    window->ResumeLoadedGame("4k3/8/8/8/8/8/4P3/4K3 w - - 2147483647");
    EXPECT_EQ(GameMode, "CW");
    EXPECT_EQ(SideToMove, "B");
    EXPECT_EQ(TagAt("e2"), "WP");
    EXPECT_EQ(TagAt("e8"), "BK");
    EXPECT_EQ(window->MoveCount(), 0);
    EXPECT_TRUE(window->tmrElapsed()->isActive());
    Drag("e8", "d8");
    ASSERT_GE(window->MoveCount(), 1);
    EXPECT_EQ(Entry(0), "100000001 BK e8-d8");
}

// The computer takes the rook on its corner: that castling right is gone.
TEST_F(ComputerGameTest, CornerCaptureEndsTheCastlingRight) {
    SetUpPosition({"WK e1", "WR h1", "WR a1", "WP a2", "BK e8", "BB a8", "BP h7"});
    window->optSetUp(3)->click();
    ASSERT_FALSE(SetUpMode);
    Drag("a2", "a3");
    ASSERT_EQ(window->MoveCount(), 2);
    ASSERT_EQ(Entry(1), " 2 BB a8xh1");
    EXPECT_EQ(window->lblMW(1)->text(), "1");
    EXPECT_EQ(WhiteCastleFlags[0][1], 1);
    EXPECT_EQ(WhiteCastleFlags[0][2], 0);
}

// How a game against the computer ends: its mate, a draw already on the user's
// move (nothing searched), a drawn position with the computer to move (nothing
// listed), and replies that stalemate the user, who then has no move to wait
// for. In the stalemates dark-squared bishops and a blocked pawn keep the
// user's king boxed whatever the computer plays, and no mate is available.
TEST_F(ComputerGameTest, TheGameEnds) {
    struct Case {
        const char* name;
        bool computerOpens; // the computer has White and moves first
        const char* pieces;
        const char* from; // the user's move, when the user starts
        const char* to;
        int listed;
        const char* message;
        int sound;
    };
    const std::vector<Case> cases = {
        {"computer mates", false, "WK h1 WP g2 WP h2 WP b3 BK g8 BR a8 BP f7 BP g7 BP h7", "b3",
         "b4", 2, "XEQUE-MATE", SoundCheckmateMan},
        {"draw on the user's move", false, "WK e1 WN b1 BK e8 BN g8 BR d2", "e1", "d2", 1, "EMPATE",
         SoundDraw},
        {"draw with the computer to move", true, "WK e1 WN b1 BK e8", nullptr, nullptr, 0, "EMPATE",
         SoundDraw},
        {"computer White stalemates", true, "WK a1 WB h2 WB g3 WP a6 BK a8 BP a7", nullptr, nullptr,
         1, "STALEMATE", SoundStalemate},
        {"computer Black stalemates", false, "WK h1 WP h2 WP a2 BK h8 BP h3 BP a4 BB a7 BB b6",
         "a2", "a3", 2, "STALEMATE", SoundStalemate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        sounds.played.clear();
        window->NovoJogo(c.computerOpens ? 2 : 1);
        SetUpPosition(Pieces(c.pieces));
        if (c.computerOpens) SideToMove = "W";
        window->optSetUp(3)->click();
        ASSERT_FALSE(SetUpMode);
        if (c.from != nullptr) Drag(c.from, c.to);
        ASSERT_EQ(window->MoveCount(), c.listed);
        EXPECT_EQ(messages, std::vector<std::string>{c.message});
        EXPECT_EQ(sounds.Count(c.sound), 1);
        EXPECT_FALSE(ComputerBusy);
        EXPECT_FALSE(window->picBoard()->isEnabled());
        if (c.sound != SoundDraw) {
            EXPECT_FALSE(window->tmrElapsed()->isActive());
            EXPECT_EQ(window->LabTime()->text().left(4), "Max ");
        }
    }
}

// A search stops when the window closes; nothing is played afterwards.
TEST_F(ComputerGameTest, ClosingDuringTheSearchStopsIt) {
    SetUpPosition({"WK g1", "WQ d1", "WR a1", "WR f1", "WB c4", "WN c3", "WP a2", "WP b2",
                   "WP f2", "WP g2", "WP h2", "BK g8", "BQ d8", "BR a8", "BR f8", "BB c5",
                   "BN c6", "BP a7", "BP b7", "BP f7", "BP g7", "BP h7"});
    window->optSetUp(3)->click();
    ASSERT_FALSE(SetUpMode);
    bool closedWhileBusy = false;
    WhenThen([] { return ComputerBusy; },
             [&] {
                 closedWhileBusy = ComputerBusy;
                 window->close();
             });
    Drag("h2", "h3");
    EXPECT_TRUE(closedWhileBusy);
    EXPECT_TRUE(window->Closing());
    EXPECT_TRUE(StopSearch);
    EXPECT_EQ(window->MoveCount(), 1) << "the computer's move is not listed";
    EXPECT_TRUE(messages.empty());
}

// The promotion wait ends when the window closes; the move is taken back.
TEST_F(ComputerGameTest, ClosingDuringThePromotionWait) {
    SetUpPosition({"WK e1", "BK h8", "WP a7"});
    window->optSetUp(3)->click();
    WhenThen([&] { return window->picWPP()->isVisible(); }, [&] { window->close(); });
    Drag("a7", "a8");
    EXPECT_TRUE(window->Closing());
    EXPECT_EQ(TagAt("a7"), "WP");
    EXPECT_EQ(TagAt("a8"), "");
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
        SetUpPosition({"WK e1", "WR a1", "BK h8", "BP g7", "BP h7"});
        window->optSetUp(3)->click();
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

} // namespace
} // namespace corvane::testing
