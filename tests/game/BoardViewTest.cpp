// The board view: drops, Flip, the move list, clocks, peer move texts, the cached picture.
#include <QPainter>
#include <random>

#include "GameTestSupport.h"
#include "game/PieceArt.h"

namespace corvane::testing {
namespace {

using BoardViewTest = GameWindowTest;

// Drops land on the square under the mouse of a scaled view, either side at the
// bottom, or beside a drop on the frame; Flip mirrors every image, twice restores.
TEST_F(BoardViewTest, DropsOnAScaledAndFlippedView) {
    window->NovoJogo(3);
    window->resize(1500, 1100);
    QTest::qWait(20);
    EXPECT_GT(window->picBoard()->ScaleFactor(), 1.5);
    const auto place = [&](int i) { return std::pair(window->IM(i).left, window->IM(i).top); };
    std::vector<std::pair<int, int>> places;
    for (int i = 0; i < 64; ++i) places.push_back(place(i));
    Drag("e2", "e4");
    EXPECT_EQ(TagAt("e4"), "WP");
    window->Flip();
    for (int i = 0; i < 64; ++i) EXPECT_EQ(place(i), places[63 - i]) << i;
    Drag("d7", "d5");
    EXPECT_EQ(TagAt("d5"), "BP");

    // Left frame, beside the third row from the top (Black at the bottom: rank 3).
    BoardView* board = window->picBoard();
    const QPoint frame = board->ToWidget(QPointF(12, 34 + 2 * 44 + 22)).toPoint();
    DragTo(Sq("h2"), frame); // h2 -> h3: on the left frame, that is the h-file here
    EXPECT_EQ(TagAt("h3"), "WP");
    window->Flip();
    const QPoint bottom = board->ToWidget(QPointF(34 + 3 * 44 + 22, 420 - 10)).toPoint();
    DragTo(Sq("d5"), bottom); // below the board: d1, refused
    EXPECT_EQ(TagAt("d5"), "BP");
    EXPECT_EQ(window->MoveCount(), 3);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(place(i), places[i]) << i;
    ComputerBusy = true;
    window->Flip();
    EXPECT_TRUE(WhiteAtBottom) << "no flip while the computer thinks";
    ComputerBusy = false;
}

// The promotion panel and the lower window height squeeze the move list; the
// newest entry must stay in view rather than be cut off at the bottom.
TEST_F(BoardViewTest, NewestEntryStaysInViewWhenTheListShrinks) {
    window->resize(808, 631);
    for (int i = 0; i < 30; ++i) {
        window->ListTheMove(i % 2 ? "BN g8-f6" : "WN g1-f3");
    }
    QListWidget* list = window->ListMoves();
    const auto newestVisible = [&] {
        QCoreApplication::processEvents();
        const QRect item = list->visualItemRect(list->item(29));
        return list->viewport()->rect().contains(item);
    };
    ASSERT_TRUE(newestVisible());
    const int before = list->height();
    window->picWPP()->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->height() < before; }, 1000));
    EXPECT_TRUE(newestVisible());
    window->picWPP()->hide();
    window->resize(808, 500);
    EXPECT_TRUE(newestVisible());
}

TEST_F(BoardViewTest, ClockTextsAndArithmetic) {
    const std::pair<qint64, const char*> texts[] = {
        {999, "00:00"}, {3'599'000, "59:59"}, {3'600'000, "00:00"}, {3'725'000, "02:05"}};
    for (const auto& [ms, text] : texts) EXPECT_EQ(frmMain::ClockText(ms), text) << ms;

    qint64 now = 1'000'000;
    window->clockNow = [&] { return now; };
    window->ResetClocks();
    window->StartClocks();
    // White 5 s, Black 7.4 s, White 0.6 s: White absorbs the fraction since Black's last tick.
    for (const auto& [side, ms] : {std::pair{"W", 5'000}, {"B", 7'400}, {"W", 600}}) {
        SideToMove = side;
        now += ms;
        window->ClockTick();
    }
    EXPECT_EQ(window->lblTime(1)->text(), "00:07");
    EXPECT_EQ(window->WhiteTime(), 13'000 - 7'400);
    EXPECT_EQ(window->lblTime(0)->text(), "00:05");
}

// Move texts from the peer: legal moves apply, anything else is refused.
TEST_F(BoardViewTest, PeerMoveTexts) {
    const std::pair<const char*, bool> texts[] = {
        {"", false},          {"WP", false},      {"WP e2-e9", false}, {"WP z2-e4", false},
        {"XX e2-e4", false},  {"WP e2e4", false}, {"WP e3-e4", false}, {"WP e2-e4=ZZ", false},
        {" wp E2-E4 ", true}, {"bn G8-F6", true}, {"BK e8-c8", false}, {"WK e1-f1", false},
        {"WB f1-e2", true},   {"BN f6-e4", true},
    };
    for (const auto& [text, ok] : texts) {
        EXPECT_EQ(window->ShowMoveRecord(text), ok) << text;
        if (ok && text[1] == 'w') {
            EXPECT_EQ(WhitePawnFlags[0][1], 5) << "double step on the e-file";
        }
    }
    EXPECT_EQ(WhitePawnFlags[0][1], 0) << "the right lasts one move";
    for (const auto& [square, tag] :
         {std::pair{"e4", "BN"}, {"e2", "WB"}, {"f1", ""}, {"g8", ""}, {"e8", "BK"}, {"d8", "BQ"}})
        EXPECT_EQ(TagAt(square), tag) << square;
    EXPECT_EQ(window->lblMW(4)->text(), "1") << "the pawn taken on e4 is counted";
}

// The cached picture, brought up to date square by square, must show exactly
// what drawing the board and every piece afresh shows.
QImage DrawnAfresh(BoardView& view, bool whiteAtBottom, QImage::Format format) {
    QImage img(view.size(), format);
    img.fill(view.palette().color(QPalette::Window));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(view.ToWidget(QPointF(0, 0)));
    p.scale(view.ScaleFactor(), view.ScaleFactor());
    PaintBoardPicture(p, whiteAtBottom);
    for (int i = 0; i < 64; ++i) {
        const SquareImage& im = view.IM(i);
        PaintSquareMark(p, QRectF(im.left, im.top, 44, 44), view.Marks()[i],
                        im.visible && !im.picture.empty());
    }
    for (int i = 0; i < 64; ++i) {
        const SquareImage& im = view.IM(i);
        if (im.visible) PaintPiece(p, QRectF(im.left, im.top, 44, 44), im.picture);
    }
    return img;
}

TEST(BoardViewPicture, ShowsWhatAFreshDrawingShows) {
    const char* const codes[] = {"",   "WR", "WN", "WB", "WQ", "WK", "WP",
                                 "BR", "BN", "BB", "BQ", "BK", "BP"};
    BoardView view;
    view.resize(506, 506);
    for (int i = 0; i < 64; i += 3) view.IM(i).picture = codes[1 + i % 12];
    bool whiteAtBottom = true;
    std::mt19937 rng(14);
    int blinking = 0;
    for (int step = 0; step < 12; ++step) {
        // Pieces placed, taken or hidden, a mark changed; now and then a flip or a resize.
        for (int edit = 0; edit < 4; ++edit) {
            const int at = static_cast<int>(rng() % 64);
            SquareImage& im = view.IM(at);
            if (edit == 3) {
                SquareMarks marks = view.Marks();
                marks[at] = static_cast<std::uint8_t>(rng() % 16);
                view.SetMarks(marks);
            } else if (rng() % 3 == 0) {
                im.visible = !im.visible;
            } else {
                im.picture = codes[rng() % 13];
            }
        }
        // A square with a piece blinks: it looks again as it looked two paints ago.
        while (view.IM(blinking).picture.empty()) blinking = static_cast<int>(rng() % 64);
        for (int blink = 0; blink < 3; ++blink) {
            view.IM(blinking).visible = !view.IM(blinking).visible;
            const QImage shown = view.grab().toImage();
            ASSERT_EQ(shown, DrawnAfresh(view, whiteAtBottom, shown.format())) << "blink " << step;
        }
        if (step % 5 == 2) {
            view.MirrorImages();
            whiteAtBottom = !whiteAtBottom;
            view.SetWhiteAtBottomLabels(whiteAtBottom);
        }
        if (step == 8) view.resize(431, 440);
        const QImage shown = view.grab().toImage();
        ASSERT_EQ(shown, DrawnAfresh(view, whiteAtBottom, shown.format())) << "step " << step;
    }
    // A new palette: the board stands on the new background at once.
    QPalette palette = view.palette();
    palette.setColor(QPalette::Window, Qt::darkCyan);
    view.setPalette(palette);
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(shown, DrawnAfresh(view, whiteAtBottom, shown.format()));
}

} // namespace
} // namespace corvane::testing
