// Set-up mode: validation of the position, the palette, moving and removing pieces.
#include "GameTestSupport.h"

namespace corvane::testing {
namespace {

using SetUpModeTest = GameWindowTest;

TEST_F(SetUpModeTest, ValidationTable) {
    struct Case {
        std::vector<std::string> pieces;
        bool ok;
        const char* status;
    };
    const Case cases[] = {
        {{"WQ d4"}, false, "Missing Kings"},
        {{"BK e8", "WQ d1"}, false, "Missing Kings"},
        {{"WK e1"}, false, " Missing Black King"},
        {{"WK e4", "BK e5"}, false, " Missing Black King"},
        {{"WK e4", "BK f5"}, false, " Missing Black King"},
        {{"WK e4", "BK f6"}, true, ""},
        {{"WK e1", "BK e8", "BR e5"}, false, "XEQUE"},
        {{"WK e1", "BK e8", "WR e5"}, false, "XEQUE"},
        {{"WK e1", "BK e8", "WP a8"}, false, "XEQUE"},
        {{"WK e1", "BK e8", "BP h1"}, false, "XEQUE"},
        {{"WK e1", "WK a3", "BK e8"}, false, "XEQUE"},
        {{"WK e1", "BK e8", "WP a2", "BP h7"}, true, ""},
    };
    for (const Case& c : cases) {
        SetUpPosition(c.pieces);
        EXPECT_EQ(window->ValidateSetUp(), c.ok) << c.pieces.size() << " " << c.status;
        EXPECT_EQ(GameStatus, c.status);
    }
}

TEST_F(SetUpModeTest, PlayIsRefusedWithAReason) {
    window->NovoJogo(3);
    window->optSetUp(0)->click();
    EXPECT_TRUE(SetUpMode);
    EXPECT_TRUE(window->palette()->isVisible());
    window->optSetUp(3)->click();
    EXPECT_TRUE(SetUpMode) << "empty board";
    EXPECT_TRUE(window->optSetUp(2)->isChecked());

    SetUpPosition({"WK e4", "BK e5"});
    window->optSetUp(3)->click();
    EXPECT_TRUE(SetUpMode);
    EXPECT_EQ(GameStatus, " Missing Black King");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Os reis não podem ficar lado a lado");

    SetUpPosition({"WK e4", "BK g6"});
    window->optSetUp(3)->click();
    EXPECT_FALSE(SetUpMode);
    EXPECT_FALSE(window->palette()->isVisible());
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
    EXPECT_EQ(TagAt("e1"), "WK");
    EXPECT_EQ(TagAt("e8"), "BK");
    EXPECT_EQ(TagAt("d4"), "WQ");
    EXPECT_EQ(window->LabMvString()->text(), "WQ d4");
    EXPECT_EQ(PieceTotal, 3);

    Drag("d4", "d4"); // on its own square: stays
    EXPECT_EQ(TagAt("d4"), "WQ");
    Drag("d4", "h4");
    EXPECT_EQ(TagAt("d4"), "");
    EXPECT_EQ(TagAt("h4"), "WQ");
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
    const auto press = [&](int i) { QTest::mouseClick(window->imgMvIndicator(i), Qt::LeftButton); };
    press(1); // Black's, at the top
    EXPECT_EQ(SideToMove, "W") << "the initial position";
    Drag("e2", "e4");
    press(1);
    EXPECT_EQ(SideToMove, "B");
    EXPECT_TRUE(window->IndicatorOn(1));
    EXPECT_FALSE(window->IndicatorOn(0));
    window->optSetUp(3)->click();
    Drag("e7", "e5");
    EXPECT_EQ(Entry(0), " 1 BP e7-e5");
    press(1); // outside set-up mode the indicators only show
    EXPECT_EQ(SideToMove, "W");
}

// After a finished game, Play starts a live game of the mode the captions show:
// the clocks run, pausing and saving are allowed, the computer plays its side.
TEST_F(SetUpModeTest, PlayAfterAFinishedGameIsLive) {
    SetUpPosition({"WK f7", "BK h8", "WQ g1"});
    window->optSetUp(3)->click();
    Drag("g1", "g7");
    ASSERT_EQ(messages, std::vector<std::string>{"XEQUE-MATE"});
    ASSERT_FALSE(window->tmrElapsed()->isActive());
    window->optSetUp(1)->click();
    window->optSetUp(3)->click();
    EXPECT_EQ(GameMode, "CB");
    EXPECT_TRUE(window->tmrElapsed()->isActive());
    EXPECT_TRUE(window->WaitingForPeer());
    Drag("e2", "e4");
    EXPECT_EQ(window->MoveCount(), 2) << "the computer answers";
}

// While the promotion chooser waits nothing changes the position: the set-up
// options do nothing and keep showing the option in force.
TEST_F(SetUpModeTest, OptionsWaitForThePromotionChoice) {
    window->NovoJogo(3);
    SetUpPosition({"WK e1", "BK h6", "WP a7"});
    window->optSetUp(3)->click();
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
    EXPECT_EQ(TagAt("a8"), "WQ");
    EXPECT_EQ(TagAt("e1"), "WK");
    EXPECT_EQ(Entry(0), " 1 WP a7-a8=WQ");
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(window->picOptions()->isEnabled());
}

} // namespace
} // namespace corvane::testing
