// Two-player games played with real mouse drags on the board view.
#include "GameTestSupport.h"

namespace corvane::testing {
namespace {

using TwoPlayerGameTest = GameWindowTest;

// Castling both ways, en passant and an under-promotion with capture, checked
// move by move against the list, the board, the flags and the sounds.
TEST_F(TwoPlayerGameTest, WholeGameByDrags) {
    window->NovoJogo(3);
    sounds.played.clear();
    const char* const steps[][3] = {
        {"e2", "e4", " 1 WP e2-e4"}, {"a7", "a6", " 2 BP a7-a6"}, {"e4", "e5", " 3 WP e4-e5"},
        {"d7", "d5", " 4 BP d7-d5"}, {"e5", "d6", " 5 WP e5-d6"}, {"b8", "c6", " 6 BN b8-c6"},
        {"g1", "f3", " 7 WN g1-f3"}, {"c8", "e6", " 8 BB c8-e6"}, {"f1", "e2", " 9 WB f1-e2"},
        {"d8", "d7", "10 BQ d8-d7"}, {"e1", "g1", "11 WK 0-0"},   {"e8", "c8", "12 WK 0-0-0"},
        {"d6", "c7", "13 WP d6xc7"}, {"h7", "h6", "14 BP h7-h6"},
    };
    int n = 0;
    for (const auto& s : steps) {
        Drag(s[0], s[1]);
        ASSERT_EQ(window->MoveCount(), ++n) << s[0] << "-" << s[1];
        EXPECT_EQ(Entry(n - 1), s[2]);
    }
    EXPECT_EQ(TagAt("d5"), "") << "en passant removes the pawn";
    for (const auto& [square, tag] : {std::pair{"f1", "WR"}, {"h1", ""}, {"d8", "BR"}, {"a8", ""}})
        EXPECT_EQ(TagAt(square), tag) << square;
    EXPECT_EQ(WhiteCastleFlags[0][0], 2);
    EXPECT_EQ(BlackCastleFlags[0][0], 3);
    EXPECT_EQ(CastleMade[0], (PlyFlags{0, 0, 0, 0}));
    EXPECT_EQ(window->lblMW(9)->text(), "2");

    // Pawn takes the rook on d8 and becomes a knight; a right click does not choose.
    ChooseLater(2, true);
    Drag("c7", "d8");
    ASSERT_EQ(window->MoveCount(), 15);
    EXPECT_TRUE(choiceSurvivedOtherButton);
    EXPECT_EQ(Entry(14), "15 WP c7xd8=WN");
    EXPECT_EQ(window->lblMW(6)->text(), "1");
    // Eleven entries went into the opening line, the twelfth did not.
    EXPECT_EQ(OpeningLine, "e2-e4 a7-a6 e4-e5 d7-d5 e5-d6 b8-c6 g1-f3 c8-e6 f1-e2 d8-d7 e1-g1 ");
    EXPECT_EQ(sounds.Count(0), 10 + 2 * 2) << "ten quiet moves, two castlings";
    EXPECT_EQ(sounds.Count(9), 3) << "en passant, c7 and d8";
    EXPECT_EQ(sounds.Count(8), 1) << "the promotion";
    EXPECT_EQ(sounds.Count(5), 0) << "no ERRO for an allowed move";
}

TEST_F(TwoPlayerGameTest, EveryPromotionChoice) {
    for (int white = 0; white <= 1; ++white) {
        for (int choice = 1; choice <= 4; ++choice) {
            window->NovoJogo(3);
            StartFrom("WK e1 BK h8 WP a7 BP h2");
            if (!white) Drag("e1", "e2");
            ChooseLater(choice, white != 0);
            const std::string piece = std::string(white ? "W" : "B") + " RNBQ"[choice];
            Drag(white ? "a7" : "h2", white ? "a8" : "h1");
            EXPECT_EQ(TagAt(white ? "a8" : "h1"), piece);
            EXPECT_NE(Entry(window->MoveCount() - 1).find("=" + piece), std::string::npos);
        }
    }
}

// Refused drops go back; "ERRO" sounds only when the rules gave a reason.
TEST_F(TwoPlayerGameTest, RefusedMovesGoBack) {
    window->NovoJogo(3);
    Drag("e2", "e4");
    Drag("d7", "d6");
    Drag("f1", "b5"); // check
    ASSERT_EQ(messages, std::vector<std::string>{"XEQUE"});
    EXPECT_EQ(sounds.Count(1), 1) << "check by White";
    const struct {
        const char *from, *to;
        bool erro;
    } cases[] = {{"a7", "a6", true}, {"g1", "f3", false}, {"a7", "a7", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + c.to);
        sounds.played.clear();
        Drag(c.from, c.to);
        EXPECT_EQ(window->MoveCount(), 3);
        EXPECT_TRUE(!TagAt(c.from).empty() && window->IM(Sq(c.from)).visible);
        EXPECT_EQ(sounds.Count(5), c.erro ? 1 : 0);
    }
    Drag("c7", "c6"); // blocks the check
    EXPECT_EQ(window->MoveCount(), 4);
}

// A piece let go off the board goes back, though a8, the corner nearest the
// release, is a square it could move to.
TEST_F(TwoPlayerGameTest, APieceLetGoOffTheBoardGoesBack) {
    window->NovoJogo(3);
    StartFrom("WK e1 WR a1 BK h8");
    DragTo(Sq("a1"), QPoint(-40, -40));
    EXPECT_EQ(window->MoveCount(), 0);
    EXPECT_EQ(TagAt("a1"), "WR");
    EXPECT_TRUE(window->IM(Sq("a1")).visible);
}

} // namespace
} // namespace corvane::testing
