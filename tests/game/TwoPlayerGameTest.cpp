// Two-player games played with real mouse drags on the board view.
#include "GameTestSupport.h"

namespace corvane::testing {
namespace {

// "WK h1 WP g2": the list of pieces SetUpPosition takes.
std::vector<std::string> Pieces(const std::string& text) {
    std::vector<std::string> list;
    for (std::size_t at = 0; at + 5 <= text.size(); at += 6) list.push_back(text.substr(at, 5));
    return list;
}

class TwoPlayerGameTest : public GameWindowTest {
protected:
    void SetUp() override {
        GameWindowTest::SetUp();
        window->NovoJogo(3);
        sounds.played.clear();
    }
};

// Castling both ways, en passant and an under-promotion with capture, checked
// move by move against the list, the board and the flags.
TEST_F(TwoPlayerGameTest, WholeGameByDrags) {
    struct Step {
        const char* from;
        const char* to;
        const char* entry;
    };
    const Step steps[] = {
        {"e2", "e4", " 1 WP e2-e4"}, {"a7", "a6", " 2 BP a7-a6"}, {"e4", "e5", " 3 WP e4-e5"},
        {"d7", "d5", " 4 BP d7-d5"}, {"e5", "d6", " 5 WP e5-d6"}, {"b8", "c6", " 6 BN b8-c6"},
        {"g1", "f3", " 7 WN g1-f3"}, {"c8", "e6", " 8 BB c8-e6"}, {"f1", "e2", " 9 WB f1-e2"},
        {"d8", "d7", "10 BQ d8-d7"}, {"e1", "g1", "11 WK 0-0"},   {"e8", "c8", "12 WK 0-0-0"},
        {"d6", "c7", "13 WP d6xc7"}, {"h7", "h6", "14 BP h7-h6"},
    };
    int n = 0;
    for (const Step& s : steps) {
        Drag(s.from, s.to);
        ASSERT_EQ(window->MoveCount(), n + 1) << s.from << "-" << s.to;
        EXPECT_EQ(Entry(n), s.entry);
        ++n;
        if (std::string(s.to) == "d6") {
            EXPECT_EQ(TagAt("d5"), "") << "en passant removes the pawn";
            EXPECT_EQ(window->lblMW(9)->text(), "1");
            EXPECT_TRUE(window->lblMW(9)->isVisible());
        }
    }
    EXPECT_EQ(TagAt("f1"), "WR");
    EXPECT_EQ(TagAt("h1"), "");
    EXPECT_EQ(TagAt("d8"), "BR");
    EXPECT_EQ(TagAt("a8"), "");
    EXPECT_EQ(WhiteCastleFlags[0][0], 2);
    EXPECT_EQ(BlackCastleFlags[0][0], 3);
    EXPECT_EQ(CastleMade[0], (PlyFlags{0, 0, 0, 0}));
    EXPECT_EQ(window->lblMW(9)->text(), "2");

    // Pawn takes the rook on d8 and becomes a knight; a right click does not choose.
    ChooseLater(2, true, Qt::RightButton);
    Drag("c7", "d8");
    ASSERT_EQ(window->MoveCount(), 15);
    EXPECT_TRUE(choiceSurvivedOtherButton);
    EXPECT_EQ(Entry(14), "15 WP c7xd8=WN");
    EXPECT_EQ(TagAt("d8"), "WN");
    EXPECT_EQ(window->lblMW(6)->text(), "1");
    EXPECT_FALSE(window->picWPP()->isVisible());
    EXPECT_TRUE(window->picBoard()->isEnabled());
    EXPECT_EQ(SideToMove, "B");

    // Eleven entries went into the opening line, the twelfth did not.
    EXPECT_EQ(OpeningLine, "e2-e4 a7-a6 e4-e5 d7-d5 e5-d6 b8-c6 g1-f3 c8-e6 f1-e2 d8-d7 e1-g1 ");
    EXPECT_EQ(sounds.Count(0), 10 + 2 * 2) << "ten quiet moves, two castlings";
    EXPECT_EQ(sounds.Count(9), 3) << "en passant, c7 and d8";
    EXPECT_EQ(sounds.Count(8), 1) << "the promotion";
}

// Every promotion choice, for both colours.
TEST_F(TwoPlayerGameTest, EveryPromotionChoice) {
    const char* kinds = " RNBQ";
    for (int white = 0; white <= 1; ++white) {
        for (int choice = 1; choice <= 4; ++choice) {
            window->NovoJogo(3);
            SetUpPosition({"WK e1", "BK h8", "WP a7", "BP h2"});
            window->optSetUp(3)->click();
            if (!white) {
                Drag("e1", "e2");
                ASSERT_EQ(SideToMove, "B");
            }
            ChooseLater(choice, white != 0);
            const std::string piece = std::string(white ? "W" : "B") + kinds[choice];
            Drag(white ? "a7" : "h2", white ? "a8" : "h1");
            EXPECT_EQ(TagAt(white ? "a8" : "h1"), piece);
            const std::string text =
                window->ListMoves()->item(window->MoveCount() - 1)->text().toStdString();
            EXPECT_NE(text.find("=" + piece), std::string::npos) << text;
            EXPECT_EQ((white ? WhitePawnFlags : BlackPawnFlags)[0][2], 0);
        }
    }
}

// En passant is possible only right after the double step.
TEST_F(TwoPlayerGameTest, EnPassantLastsOneMove) {
    for (const char* m : {"e2e4", "a7a6", "e4e5", "d7d5", "h2h3", "h7h6"}) {
        Drag(std::string(m, 2), std::string(m + 2, 2));
    }
    ASSERT_EQ(window->MoveCount(), 6);
    Drag("e5", "d6");
    EXPECT_EQ(window->MoveCount(), 6);
    EXPECT_EQ(TagAt("e5"), "WP");
    EXPECT_EQ(TagAt("d5"), "BP");
}

// Refused drops go back; "ERRO" sounds only when the rules gave a reason.
TEST_F(TwoPlayerGameTest, RefusedMovesGoBack) {
    Drag("e2", "e4");
    Drag("d7", "d6");
    Drag("f1", "b5"); // check
    ASSERT_EQ(window->MoveCount(), 3);
    ASSERT_EQ(messages, std::vector<std::string>{"XEQUE"});
    EXPECT_EQ(sounds.Count(1), 1) << "check by White";
    sounds.played.clear();

    struct Case {
        const char* name;
        const char* from;
        const char* to;
        bool erro;
        const char* label; // a refused move shows the last entry again
    };
    const Case cases[] = {
        {"leaves own king in check", "a7", "a6", true, " 3 WB f1-b5"},
        {"piece of the side not to move", "g1", "f3", false, " 3 WB f1-b5"},
        {"own square", "a7", "a7", false, "BP a7"},
    };
    for (const Case& c : cases) {
        sounds.played.clear();
        Drag(c.from, c.to);
        EXPECT_EQ(window->MoveCount(), 3) << c.name;
        EXPECT_FALSE(TagAt(c.from).empty()) << c.name;
        EXPECT_TRUE(window->IM(Sq(c.from)).visible) << c.name;
        EXPECT_EQ(sounds.Count(5), c.erro ? 1 : 0) << c.name;
        EXPECT_EQ(window->LabMvString()->text().toStdString(), c.label) << c.name;
    }

    // Dropped outside the board: back, and the move label empties.
    DragTo(Sq("c7"), QPoint(-40, -40));
    EXPECT_EQ(TagAt("c7"), "BP");
    EXPECT_TRUE(window->IM(Sq("c7")).visible);
    EXPECT_EQ(window->LabMvString()->text(), "");
    EXPECT_EQ(window->MoveCount(), 3);
    Drag("c7", "c6"); // blocks the check
    EXPECT_EQ(window->MoveCount(), 4);
}

// The move that ends the game is announced and the game stops; a capture
// leaves what decides a material draw; a check by the capture is announced first.
TEST_F(TwoPlayerGameTest, TheMoveThatEndsTheGame) {
    struct Case {
        const char* name;
        const char* pieces;
        const char* from;
        const char* to;
        std::vector<std::string> messages;
        int sound; // the announcement's sound, -1 none
    };
    const Case cases[] = {
        {"checkmate", "BK h8 WK f6 WQ a7", "a7", "g7", {"XEQUE-MATE"}, SoundCheckmate},
        {"stalemate", "BK h8 WK f7 WQ g5", "g5", "g6", {"STALEMATE"}, SoundStalemate},
        {"bare kings", "WK e1 BK e8 BR d2", "e1", "d2", {"EMPATE"}, SoundDraw},
        {"bishop against knight",
         "WK e1 WB c4 BK e8 BN b8 BR d2",
         "e1",
         "d2",
         {"EMPATE"},
         SoundDraw},
        {"king and pawn against king", "WK e1 WP a2 BK e8 BR d2", "e1", "d2", {}, -1},
        {"two knights against king", "WK e1 WN a1 WN b1 BK e8 BR d2", "e1", "d2", {}, -1},
        {"knight takes with check",
         "WK e1 WN c4 BK e8 BR d6",
         "c4",
         "d6",
         {"XEQUE", "EMPATE"},
         SoundDraw},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window->NovoJogo(3);
        messages.clear();
        SetUpPosition(Pieces(c.pieces));
        window->optSetUp(3)->click();
        ASSERT_FALSE(SetUpMode);
        sounds.played.clear();
        Drag(c.from, c.to);
        ASSERT_EQ(window->MoveCount(), 1);
        EXPECT_EQ(messages, c.messages);
        const bool ends = c.sound >= 0;
        EXPECT_EQ(window->picBoard()->isEnabled(), !ends);
        if (!ends) continue;
        EXPECT_EQ(sounds.Count(c.sound), 1);
        EXPECT_FALSE(window->tmrElapsed()->isActive());
        EXPECT_EQ(window->LabTime()->text().left(4), "Max ");
    }
}

// A moved king cannot castle; a refused castling costs nothing.
TEST_F(TwoPlayerGameTest, CastlingRightsFollowTheMoves) {
    SetUpPosition({"WK e1", "WR a1", "WR h1", "BK e8", "BR a8", "BQ h6"});
    window->optSetUp(3)->click();
    ASSERT_FALSE(SetUpMode);
    Drag("e1", "f1");
    Drag("h6", "h5");
    Drag("f1", "e1");
    Drag("h5", "h6");
    ASSERT_EQ(window->MoveCount(), 4);
    for (const char* to : {"g1", "c1"}) {
        Drag("e1", to);
        EXPECT_EQ(TagAt(to), "") << to;
        EXPECT_EQ(TagAt("e1"), "WK");
        EXPECT_EQ(window->MoveCount(), 4);
    }

    window->NovoJogo(3);
    SetUpPosition({"WK e1", "WR h1", "WP a2", "BK e8", "BR f8"});
    window->optSetUp(3)->click();
    sounds.played.clear();
    Drag("e1", "g1"); // through the attacked f1
    EXPECT_EQ(window->MoveCount(), 0);
    EXPECT_EQ(sounds.Count(5), 1);
    Drag("a2", "a3");
    Drag("f8", "h8");
    Drag("e1", "g1");
    ASSERT_EQ(window->MoveCount(), 3);
    EXPECT_EQ(Entry(2), " 3 WK 0-0");
    EXPECT_EQ(TagAt("f1"), "WR");
}

// A network game: the local move goes to the peer and the board waits; the
// peer's move comes back through the same step; each mate starts the next game
// with the colours swapped.
TEST_F(TwoPlayerGameTest, NetworkMovesAndTheNextGame) {
    std::vector<std::string> sent;
    window->sendToPeer = [&](const std::string& m) { sent.push_back(m); };
    NetworkGame = true;
    window->SetLocalIsWhite(true);
    window->SetPlayerNicks("Ana", "Rui");
    Drag("e2", "e4");
    EXPECT_EQ(sent, std::vector<std::string>{"Jogar:#WP e2-e4#"});
    EXPECT_TRUE(window->WaitingForPeer());
    EXPECT_FALSE(window->picBoard()->isEnabled());
    EXPECT_FALSE(window->PlayPeerMove("BP f6-f5", "")) << "no pawn on f6";
    ASSERT_TRUE(window->PlayPeerMove("BP f7-f6", ""));
    EXPECT_FALSE(window->WaitingForPeer());
    EXPECT_TRUE(window->picBoard()->isEnabled());
    EXPECT_EQ(SideToMove, "W");
    Drag("d2", "d4");
    ASSERT_TRUE(window->PlayPeerMove("BP g7-g5", ""));
    Drag("d1", "h5");
    EXPECT_EQ(sent.back(), "Jogar:#WQ d1-h5#XEQUE-MATE");
    EXPECT_EQ(messages, std::vector<std::string>{"XEQUE-MATE"});

    // The next game: the initial position, the local player Black at the bottom,
    // waiting for the peer's first move.
    const auto nextGame = [&](bool localWhite) {
        EXPECT_EQ(window->LocalIsWhite(), localWhite);
        EXPECT_EQ(WhiteAtBottom, localWhite);
        EXPECT_EQ(window->WaitingForPeer(), !localWhite);
        EXPECT_EQ(window->picBoard()->isEnabled(), localWhite);
        EXPECT_EQ(window->MoveCount(), 0);
        EXPECT_EQ(SideToMove, "W");
        EXPECT_EQ(TagAt("h5"), "");
        EXPECT_EQ(window->LabCH(0)->text(), "Ana");
        EXPECT_EQ(window->LabCH(1)->text(), "Rui");
        EXPECT_TRUE(window->tmrElapsed()->isActive());
    };
    nextGame(false);
    ASSERT_TRUE(window->PlayPeerMove("WP e2-e4", ""));
    Drag("f7", "f6");
    ASSERT_TRUE(window->PlayPeerMove("WP d2-d4", ""));
    Drag("g7", "g5");
    ASSERT_TRUE(window->PlayPeerMove("WQ d1-h5", "XEQUE-MATE"));
    EXPECT_EQ(messages, (std::vector<std::string>{"XEQUE-MATE", "XEQUE-MATE"}));
    nextGame(true);
}

} // namespace
} // namespace corvane::testing
