// Games played with the keyboard alone: moves typed on the board and moves
// walked with the arrow keys, read back through the accessibility layer.
#include <QAccessible>
#include <QApplication>
#include <QMenu>

#include "GameTestSupport.h"
#include "game/Announcer.h"
#include "game/BoardAccessible.h"
#include "game/BoardKeys.h"
#include "game/TypedMoveLine.h"
#include "rules/GameState.h"

namespace corvane::testing {
namespace {

class KeyboardPlayTest : public GameWindowTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        GameWindowTest::SetUp();
        // The status element's accessible name after each announcement, as a
        // screen reader reads it (the offscreen platform has no bridge to raise
        // the event on: tests/game/AtSpiTest.py hears it on the bus).
        Announcer* announcer = window->Announcements();
        QObject::connect(announcer, &Announcer::Said, announcer, [this, announcer] {
            QAccessibleInterface* status = QAccessible::queryAccessibleInterface(announcer);
            ASSERT_EQ(status->role(), QAccessible::StatusBar);
            announced.push_back(status->text(QAccessible::Name).toStdString());
        });
        window->TypedLine()->beep = [this] { ++beeps; };
    }
    BoardView* Board() const { return window->picBoard(); }
    // Black at the bottom for the parameter's second value.
    void Orient() {
        if (GetParam()) window->Flip();
        Board()->setFocus(Qt::TabFocusReason);
        // The first key starts the walk on the king's pawn of the side below.
        Key(Qt::Key_Up);
        Key(Qt::Key_Down);
        ASSERT_EQ(BoardKeys::FocusOf(Board()), Sq(GetParam() ? "e7" : "e2"));
    }
    // Walks the focus square to a square with the arrow keys alone.
    void WalkTo(const std::string& square) {
        const int target = Sq(square);
        const int focus = BoardKeys::FocusOf(Board());
        ASSERT_GE(focus, 0);
        // Rows and columns as the board is shown.
        const auto shown = [](int index) { return WhiteAtBottom ? index : 63 - index; };
        const int rows = shown(target) / 8 - shown(focus) / 8;
        const int columns = shown(target) % 8 - shown(focus) % 8;
        for (int i = 0; i < std::abs(rows); ++i) Key(rows > 0 ? Qt::Key_Down : Qt::Key_Up);
        for (int i = 0; i < std::abs(columns); ++i) Key(columns > 0 ? Qt::Key_Right : Qt::Key_Left);
        ASSERT_EQ(BoardKeys::FocusOf(Board()), target) << square;
    }
    void Key(Qt::Key key) { QTest::keyClick(Board(), key); }
    // A move by walking: Enter on the piece, Space on the target.
    void Walk(const std::string& from, const std::string& to) {
        WalkTo(from);
        Key(Qt::Key_Return);
        WalkTo(to);
        Key(Qt::Key_Space);
    }
    // A move typed on the board, then Enter.
    void Type(const std::string& text) {
        QTest::keyClicks(Board(), QString::fromStdString(text));
        Key(Qt::Key_Return);
    }
    // A promotion choice by its key, once the chooser waits.
    void ChooseByKey(Qt::Key key) {
        WhenThen([this] { return window->picWPP()->isVisible() || window->picBPP()->isVisible(); },
                 [this, key] { QTest::keyClick(window.get(), key); });
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> entries;
        for (int i = 0; i < window->MoveCount(); ++i) entries.push_back(Entry(i));
        return entries;
    }

    int beeps = 0;
    std::vector<std::string> announced;
};

// A whole two-player game with the keyboard alone, in every typed form and by
// walking, ending in mate; each move and the mate are announced once, in order.
TEST_P(KeyboardPlayTest, WholeGameByKeys) {
    window->NovoJogo(3);
    Orient();
    Walk("e2", "e4");
    Type("e7e5");
    Type("Bc4");
    Type("Cc6");
    Type("Dh5");
    Walk("g8", "f6");
    Type("Qxf7#");
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{" 1 WP e2-e4", " 2 BP e7-e5", " 3 WB f1-c4", " 4 BN b8-c6",
                                        " 5 WQ d1-h5", " 6 BN g8-f6", " 7 WQ h5xf7"}));
    EXPECT_EQ(messages, std::vector<std::string>{"XEQUE-MATE"});
    EXPECT_EQ(announced, (std::vector<std::string>{
                             "Peão branco de e2 para e4", "Peão preto de e7 para e5",
                             "Bispo branco de f1 para c4", "Cavalo preto de b8 para c6",
                             "Dama branca de d1 para h5", "Cavalo preto de g8 para f6",
                             "Dama branca de h5 para f7, captura", "Xeque-mate, brancas vencem"}));
    EXPECT_EQ(beeps, 0);
    EXPECT_TRUE(window->TypedLine()->text().isEmpty());
}

TEST(AnnouncerWords, PawnThatChangesFileTakes) {
    EXPECT_EQ(Announcer::MoveWords("WP e5-d6", false),
              QString::fromUtf8("Peão branco de e5 para d6, captura"));
    EXPECT_EQ(Announcer::MoveWords("BP d7-d5", false),
              QString::fromUtf8("Peão preto de d7 para d5"));
}

// Promotions by keys: walked with the chooser answered by a key, typed without
// a piece (the chooser), typed with a Portuguese letter and in coordinates; a
// rook and "R": castling and the king's step.
TEST_P(KeyboardPlayTest, PromotionsByKeys) {
    window->NovoJogo(3);
    StartFrom("WK e1 BK e8 WP a7 WP c7 BP h2 BP b2");
    Orient();
    ChooseByKey(Qt::Key_C);
    Walk("a7", "a8");
    ChooseByKey(Qt::Key_T);
    Type("h1");
    Type("Rd2"); // the only R that moves is the king
    Type("b1=D");
    Type("c7c8q");
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{" 1 WP a7-a8=WN", " 2 BP h2-h1=BR", " 3 WK e1-d2",
                                        " 4 BP b2-b1=BQ", " 5 WP c7-c8=WQ"}));
    EXPECT_EQ(TagAt("a8"), "WN");
    EXPECT_EQ(TagAt("h1"), "BR");
    EXPECT_EQ(TagAt("b1"), "BQ");
    EXPECT_EQ(TagAt("c8"), "WQ");
    EXPECT_EQ(messages, (std::vector<std::string>{"XEQUE", "XEQUE"}));
    EXPECT_EQ(announced[1], "Peão preto de h2 para h1, promove a torre");
    EXPECT_EQ(announced[2], "Xeque");
    EXPECT_EQ(beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(BothSides, KeyboardPlayTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "BlackBelow" : "WhiteBelow"; });

using KeyboardInputTest = KeyboardPlayTest;

// Text that is not a move now: a beep and a reason, and nothing changes.
TEST_P(KeyboardInputTest, BadTypedInputChangesNothing) {
    window->NovoJogo(3);
    StartFrom("WK g1 WR e1 BK e8 BP e7");
    Orient();
    const std::string before = window->PositionFen();
    const struct {
        std::string text;
        const char* reason;
        bool busy = false;
    } cases[] = {
        {"zz9", "Lance mal escrito"},
        {std::string(40, 'e'), "Lance mal escrito"}, // cut by the line, then refused
        {"e4\x01", "Lance mal escrito"},
        {"e\te4", "Lance mal escrito"},
        {"Ke4", "Lance impossível nesta posição"},
        {"e5", "Lance impossível nesta posição"}, // Black's pawn: White moves
        {"Rf1", "Lance ambíguo"},                 // the rook or the king
        {"Re2", "Não é a sua vez", true},         // the computer thinks
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const int beepsBefore = beeps;
        ComputerBusy = c.busy;
        window->TypedLine()->setText(QString::fromStdString(c.text));
        Key(Qt::Key_Enter);
        ComputerBusy = false;
        EXPECT_EQ(beeps, beepsBefore + 1);
        EXPECT_EQ(window->Announcements()->LastSaid().toStdString(), c.reason);
        EXPECT_EQ(window->PositionFen(), before);
        EXPECT_EQ(window->MoveCount(), 0);
        EXPECT_FALSE(window->TypedLine()->text().isEmpty()) << "the text stays to be mended";
        Key(Qt::Key_Escape);
        EXPECT_TRUE(window->TypedLine()->text().isEmpty()) << "Esc clears the line";
    }
    // Backspace edits what was typed on the board; Esc with an empty line lets
    // a selected piece go.
    QTest::keyClicks(Board(), "Ree");
    Key(Qt::Key_Backspace);
    QTest::keyClicks(Board(), "2");
    EXPECT_EQ(window->TypedLine()->text(), "Re2");
    Key(Qt::Key_Escape);
    WalkTo("e1");
    Key(Qt::Key_Return);
    EXPECT_EQ(window->SelectedSquare(), Sq("e1"));
    EXPECT_NE(Board()->Marks()[Sq("e4")] & MarkTarget, 0);
    Key(Qt::Key_Escape);
    EXPECT_EQ(window->SelectedSquare(), -1);
    // Alt with the arrows is not the focus square's.
    const int focus = BoardKeys::FocusOf(Board());
    QTest::keyClick(Board(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(BoardKeys::FocusOf(Board()), focus);
}

// Set-up by keys: Enter carries a piece, P opens the palette, Delete empties.
TEST_P(KeyboardInputTest, SetUpByKeys) {
    window->optSetUp(0)->click();
    Orient();
    // The palette menu, answered by keys: the fifth entry is the white king.
    const auto choose = [this](int downs) {
        WhenThen([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
                 [downs] {
                     QWidget* menu = QApplication::activePopupWidget();
                     for (int i = 0; i < downs; ++i) QTest::keyClick(menu, Qt::Key_Down);
                     QTest::keyClick(menu, Qt::Key_Return);
                 });
        Key(Qt::Key_P);
    };
    WalkTo("e1");
    choose(5);
    EXPECT_EQ(TagAt("e1"), "WK");
    WalkTo("a8");
    choose(11);
    EXPECT_EQ(TagAt("a8"), "BK");
    WalkTo("d4");
    choose(4);
    EXPECT_EQ(TagAt("d4"), "WQ");
    Key(Qt::Key_Return); // carried
    EXPECT_NE(Board()->Marks()[Sq("d4")] & MarkHeld, 0);
    WalkTo("h4");
    Key(Qt::Key_Space);
    EXPECT_EQ(TagAt("d4"), "");
    EXPECT_EQ(TagAt("h4"), "WQ");
    Key(Qt::Key_Delete);
    EXPECT_EQ(TagAt("h4"), "");
    EXPECT_TRUE(window->TypedLine()->text().isEmpty()) << "no typing in set-up";
}

INSTANTIATE_TEST_SUITE_P(BothSides, KeyboardInputTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "BlackBelow" : "WhiteBelow"; });

// The tree a screen reader walks: the board as a table of named cells in the
// order shown, the cells named again after a move, the focused cell, the
// status element and the labels that show numbers.
TEST_P(KeyboardInputTest, AccessibleTree) {
    window->NovoJogo(3);
    Orient();
    QAccessibleInterface* board = QAccessible::queryAccessibleInterface(Board());
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->role(), QAccessible::Table);
    ASSERT_EQ(board->childCount(), 64);
    QAccessibleTableInterface* table = board->tableInterface();
    ASSERT_NE(table, nullptr);
    const bool black = GetParam();
    Type("e4");
    const struct {
        int row, column;
        const char* name;
    } cells[] = {
        {0, 0, black ? "h1, torre branca" : "a8, torre preta"},
        {7, 3, black ? "e8, rei preto" : "d1, dama branca"},
        {4, 4, black ? "d5, vazia" : "e4, peão branco"},
        {3, 3, black ? "e4, peão branco" : "d5, vazia"},
        {6, 4, black ? "d7, peão preto" : "e2, vazia"},
    };
    for (const auto& c : cells) {
        SCOPED_TRACE(c.name);
        QAccessibleInterface* cell = table->cellAt(c.row, c.column);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell, board->child(c.row * 8 + c.column));
        EXPECT_EQ(cell->role(), QAccessible::Cell);
        EXPECT_EQ(cell->text(QAccessible::Name).toStdString(), c.name);
        EXPECT_EQ(cell->parent(), board);
    }
    // The focus square starts before the player's king's pawn and moves right as shown.
    Key(Qt::Key_Right);
    QAccessibleInterface* focused = board->focusChild();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->text(QAccessible::Name).toStdString(),
              black ? "d7, peão preto" : "f2, peão branco");
    EXPECT_TRUE(focused->state().focused);
    EXPECT_NE(Board()->Marks()[Sq(black ? "d7" : "f2")] & MarkFocus, 0);

    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(window->Announcements());
    EXPECT_EQ(status->role(), QAccessible::StatusBar);
    EXPECT_EQ(status->text(QAccessible::Name).toStdString(), "Peão branco de e2 para e4");
    QAccessibleInterface* clock = QAccessible::queryAccessibleInterface(window->lblTime(1));
    EXPECT_EQ(clock->text(QAccessible::Name).toStdString(), "00:00");
    EXPECT_EQ(clock->text(QAccessible::Description).toStdString(), "Relógio das pretas");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window->IMBPP(2))
                  ->text(QAccessible::Name)
                  .toStdString(),
              "Cavalo");
}

} // namespace
} // namespace corvane::testing
