// Set-up mode: validation of the position, the palette, moving and removing pieces.
#include "GameTestSupport.h"

namespace corvane::testing {
namespace {

using SetUpModeTest = GameWindowTest;

TEST_F(SetUpModeTest, ValidationTable) {
    const struct {
        const char* pieces;
        bool ok;
        const char* status;
    } cases[] = {
        {"WQ d4", false, "Missing Kings"},
        {"BK e8 WQ d1", false, "Missing Kings"},
        {"WK e1", false, " Missing Black King"},
        {"WK e4 BK e5", false, " Missing Black King"},
        {"WK e4 BK f5", false, " Missing Black King"},
        {"WK e4 BK f6", true, ""},
        {"WK e1 BK e8 BR e5", false, "XEQUE"},
        {"WK e1 BK e8 WR e5", false, "XEQUE"},
        {"WK e1 BK e8 WP a8", false, "XEQUE"},
        {"WK e1 BK e8 BP h1", false, "XEQUE"},
        {"WK e1 WK a3 BK e8", false, "XEQUE"},
        {"WK e1 BK e8 WP a2 BP h7", true, ""},
    };
    for (const auto& c : cases) {
        SetUpText(c.pieces);
        EXPECT_EQ(window->ValidateSetUp(), c.ok) << c.pieces;
        EXPECT_EQ(GameStatus, c.status) << c.pieces;
    }
}

// Pieces come from the palette, move freely, and leave when dropped on it.
TEST_F(SetUpModeTest, PaletteAndMoves) {
    window->NovoJogo(3);
    window->optSetUp(0)->click();
    QWidget* palette = window->palette();
    BoardView* board = window->picBoard();
    auto fromPalette = [&](int piece, const std::string& square) {
        const QPoint start = palette->mapToGlobal(
            QPoint(4 + ((piece - 1) % 6) * 34 + 17, 4 + (piece >= 7) * 34 + 17));
        const QPoint target = board->mapToGlobal(Centre(Sq(square)));
        QTest::mousePress(palette, Qt::LeftButton, {}, palette->mapFromGlobal(start));
        QTest::mouseMove(palette, palette->mapFromGlobal(target));
        QTest::mouseRelease(palette, Qt::LeftButton, {}, palette->mapFromGlobal(target));
    };
    fromPalette(WhiteKing, "e1");
    fromPalette(BlackKing, "e8");
    fromPalette(WhiteQueen, "d4");
    EXPECT_EQ(TagAt("e1") + TagAt("e8") + TagAt("d4"), "WKBKWQ");

    Drag("d4", "d4"); // on its own square: stays
    Drag("d4", "h4");
    EXPECT_EQ(TagAt("d4") + "|" + TagAt("h4"), "|WQ");
    DragTo(Sq("h4"), QPoint(-30, -30)); // outside: stays
    EXPECT_EQ(TagAt("h4"), "WQ");
    DragTo(Sq("h4"), board->mapFromGlobal(palette->mapToGlobal(palette->rect().center())));
    EXPECT_EQ(TagAt("h4"), "") << "dropped on the palette";
    CountPieces(0);
    EXPECT_EQ(PieceTotal, 2);
}

// "Set full board" gives White the move; in set-up mode a click on the move
// indicator beside a side gives that side the first move, except from the
// initial position.
TEST_F(SetUpModeTest, WhoMovesFirst) {
    window->NovoJogo(3);
    Drag("e2", "e4");
    ASSERT_EQ(SideToMove, "B");
    window->optSetUp(1)->click();
    EXPECT_EQ(SideToMove, "W");
    // The side to move is spelled out beside its indicator (0 bottom, 1 top).
    const auto shown = [&] {
        std::string text;
        for (int i = 0; i < 2; ++i)
            if (window->lblVez(i)->isVisible())
                text += std::to_string(i) + " " + window->lblVez(i)->text().toStdString();
        return text;
    };
    EXPECT_EQ(shown(), "0 Brancas jogam");
    const auto press = [&](int i) { QTest::mouseClick(window->imgMvIndicator(i), Qt::LeftButton); };
    press(1); // Black's, at the top
    EXPECT_EQ(SideToMove, "W") << "the initial position";
    Drag("e2", "e4");
    EXPECT_EQ(shown(), "0 Brancas jogam — clique para trocar");
    press(1);
    EXPECT_EQ(SideToMove, "B");
    EXPECT_EQ(shown(), "1 Pretas jogam — clique para trocar");
    EXPECT_FALSE(window->IndicatorOn(0)); // only Black's indicator, at the top, is lit
    EXPECT_TRUE(window->IndicatorOn(1));
    QTest::mouseClick(window->lblVez(1), Qt::LeftButton); // the line hands the move over
    EXPECT_EQ(SideToMove, "W");
    window->Flip();
    EXPECT_EQ(shown(), "1 Brancas jogam — clique para trocar"); // White now at the top
    QTest::mouseClick(window->lblVez(1), Qt::LeftButton);
    EXPECT_EQ(shown(), "0 Pretas jogam — clique para trocar");
    window->Flip();
    window->optSetUp(3)->click();
    EXPECT_EQ(shown(), "") << "only in set-up mode";
    Drag("e7", "e5");
    EXPECT_EQ(Entry(0), " 1 BP e7-e5");
    press(1); // outside set-up mode the indicators only show
    EXPECT_EQ(SideToMove, "W");
}

// After a finished game, Play starts a live game of the mode the captions show:
// the clocks run, pausing and saving are allowed, the computer plays its side.
TEST_F(SetUpModeTest, PlayAfterAFinishedGameIsLive) {
    StartFrom("WK f7 BK h8 WQ g1");
    Drag("g1", "g7");
    ASSERT_EQ(messages, std::vector<std::string>{"XEQUE-MATE"});
    window->optSetUp(1)->click();
    window->optSetUp(3)->click();
    EXPECT_TRUE(window->tmrElapsed()->isActive());
    Drag("e2", "e4");
    EXPECT_EQ(window->MoveCount(), 2) << "the computer answers";
}

// While the promotion chooser waits the set-up options do nothing and keep
// showing the option in force.
TEST_F(SetUpModeTest, OptionsWaitForThePromotionChoice) {
    window->NovoJogo(3);
    StartFrom("WK e1 BK h6 WP a7");
    bool inForceShown = false;
    WhenThen([&] { return window->picWPP()->isVisible(); },
             [&] {
                 window->optSetUp(0)->click();
                 window->OptionClicked(0);
                 inForceShown = window->optSetUp(3)->isChecked();
                 QTest::mouseClick(window->IMWPP(4), Qt::LeftButton);
             });
    Drag("a7", "a8");
    EXPECT_TRUE(inForceShown);
    EXPECT_EQ(Entry(0), " 1 WP a7-a8=WQ") << "the position did not change";
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(window->picOptions()->isEnabled());
}

} // namespace
} // namespace corvane::testing
