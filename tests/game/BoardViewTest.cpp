// The board view: Flip, drops on a scaled view and on the frame, the clocks,
// the captured-pieces panel and the move texts of the peer.
#include <QPaintEvent>
#include <QPainter>
#include <random>

#include "GameTestSupport.h"
#include "game/PieceArt.h"

namespace corvane::testing {
namespace {

using BoardViewTest = GameWindowTest;

TEST_F(BoardViewTest, FlipTwiceRestoresEveryImage) {
    std::vector<std::pair<int, int>> places;
    for (int i = 0; i < 64; ++i) places.emplace_back(window->IM(i).left, window->IM(i).top);
    window->Flip();
    EXPECT_FALSE(WhiteAtBottom);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(window->IM(i).left, places[63 - i].first) << i;
        EXPECT_EQ(window->IM(i).top, places[63 - i].second) << i;
    }
    // The names stay, their captions follow the side at the bottom; the clocks move.
    EXPECT_EQ(window->LabCH(0)->text(), "CPU");
    EXPECT_EQ(window->LabCH(1)->text(), "JOGADOR");
    EXPECT_EQ(window->lblTime(0)->parentWidget(), window->LabCH(1)->parentWidget());
    window->Flip();
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(std::make_pair(window->IM(i).left, window->IM(i).top), places[i]) << i;
    }
    EXPECT_EQ(window->lblTime(0)->parentWidget(), window->LabCH(0)->parentWidget());

    ComputerBusy = true;
    window->Flip();
    EXPECT_TRUE(WhiteAtBottom) << "no flip while the computer thinks";
    ComputerBusy = false;
}

TEST_F(BoardViewTest, IndicatorsFollowTheSideToMove) {
    struct Case {
        bool whiteAtBottom;
        int side;
        bool on0, on1;
    };
    const Case cases[] = {{true, 0, true, false},
                          {true, 1, false, true},
                          {false, 0, false, true},
                          {false, 1, true, false}};
    for (const Case& c : cases) {
        if (WhiteAtBottom != c.whiteAtBottom) window->Flip();
        window->WhoMoves(c.side);
        EXPECT_EQ(window->IndicatorOn(0), c.on0) << c.whiteAtBottom << c.side;
        EXPECT_EQ(window->IndicatorOn(1), c.on1) << c.whiteAtBottom << c.side;
    }
}

// The view scales with the window; drops land on the square under the mouse,
// with either side at the bottom, and a drop on the frame takes the square beside it.
TEST_F(BoardViewTest, DropsOnAScaledAndFlippedView) {
    window->NovoJogo(3);
    window->resize(1500, 1100);
    QTest::qWait(20);
    const double scale = window->picBoard()->ScaleFactor();
    EXPECT_GT(scale, 1.5);
    Drag("e2", "e4");
    EXPECT_EQ(TagAt("e4"), "WP");
    window->Flip();
    Drag("d7", "d5");
    EXPECT_EQ(TagAt("d5"), "BP");
    ASSERT_EQ(window->MoveCount(), 2);

    // Left frame, beside the third row from the top (Black at the bottom: rank 3).
    BoardView* board = window->picBoard();
    const QPoint frame = board->ToWidget(QPointF(12, 34 + 2 * 44 + 22)).toPoint();
    const int h1 = Sq("h2");
    DragTo(h1, frame); // h2 -> h3: on the left frame, that is the h-file here
    EXPECT_EQ(TagAt("h3"), "WP");
    window->Flip();
    const QPoint bottom = board->ToWidget(QPointF(34 + 3 * 44 + 22, 420 - 10)).toPoint();
    DragTo(Sq("d5"), QPoint(bottom.x(), bottom.y())); // below the board: d1, refused
    EXPECT_EQ(TagAt("d5"), "BP");
    EXPECT_EQ(window->MoveCount(), 3);
}

// The promotion panel and the lower window height squeeze the move list; the
// newest entry must stay in view rather than be cut off at the bottom.
TEST_F(BoardViewTest, NewestEntryStaysInViewWhenTheListShrinks) {
    window->resize(808, 631);
    for (int i = 0; i < 30; ++i) {
        window->LabMvString()->setText(i % 2 ? "BN g8-f6" : "WN g1-f3");
        window->ListTheMove();
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
        {0, "00:00"},         {999, "00:00"},       {65'000, "01:05"},
        {3'599'000, "59:59"}, {3'600'000, "00:00"}, {3'725'000, "02:05"},
    };
    for (const auto& [ms, text] : texts) EXPECT_EQ(frmMain::ClockText(ms), text) << ms;

    qint64 now = 1'000'000;
    window->clockNow = [&] { return now; };
    window->ResetClocks();
    window->StartClocks();
    EXPECT_TRUE(window->tmrElapsed()->isActive());
    SideToMove = "W";
    now += 5'000;
    window->ClockTick();
    EXPECT_EQ(window->lblTime(0)->text(), "00:05");
    SideToMove = "B";
    now += 7'400;
    window->ClockTick();
    EXPECT_EQ(window->lblTime(1)->text(), "00:07");
    SideToMove = "W";
    now += 600; // White absorbs the fraction since Black's last tick
    window->ClockTick();
    EXPECT_EQ(window->WhiteTime(), 13'000 - 7'400);
    EXPECT_EQ(window->lblTime(0)->text(), "00:05");
    window->ResetClocks();
    EXPECT_EQ(window->lblTime(0)->text(), "00:00");
    EXPECT_EQ(window->lblTime(1)->text(), "00:00");
    window->NovoJogo(3);
    EXPECT_FALSE(window->tmrElapsed()->isActive());
}

TEST_F(BoardViewTest, CapturedPiecesPanel) {
    window->CountCapture("BP");
    window->CountCapture("BP");
    window->CountCapture("WQ");
    window->CountCapture("WK");
    window->CountCapture("");
    EXPECT_EQ(window->lblMW(9)->text(), "2");
    EXPECT_EQ(window->lblMW(0)->text(), "1");
    int shown = 0;
    for (int k = 0; k < 10; ++k) shown += window->lblMW(k)->isVisible();
    EXPECT_EQ(shown, 2);
    window->ResetCapturePanel();
    for (int k = 0; k < 10; ++k) EXPECT_FALSE(window->lblMW(k)->isVisible());
}

// Move texts from the peer: well-formed ones apply, anything else is refused.
TEST_F(BoardViewTest, PeerMoveTexts) {
    const std::pair<const char*, bool> texts[] = {
        {"", false},
        {"WP", false},
        {"WP e2-e9", false},
        {"WP z2-e4", false},
        {"XX e2-e4", false},
        {"WP e2e4", false},
        {"WP e3-e4", false},
        {"WP e2-e4=ZZ", false},
        {" wp E2-E4 ", true},
        {"bn G8-F6", true},
        // Kings two files from the edge: no rook square beyond the board.
        {"BK e8-c8", true},
        {"BK c8-a8", true},
        {"WK e1-f1", true},
        {"WK f1-h1", true},
    };
    for (const auto& [text, ok] : texts) {
        EXPECT_EQ(window->ShowMoveRecord(text), ok) << text;
        if (ok && text[1] == 'w') {
            EXPECT_EQ(WhitePawnFlags[0][1], 5) << "double step on the e-file";
        }
    }
    EXPECT_EQ(WhitePawnFlags[0][1], 0) << "the right lasts one move";
    EXPECT_EQ(TagAt("e4"), "WP");
    EXPECT_EQ(TagAt("e2"), "");
    EXPECT_EQ(TagAt("f6"), "BN");
    EXPECT_EQ(TagAt("a8"), "BK");
    EXPECT_EQ(TagAt("d8"), "BR") << "the rook of the castling";
    EXPECT_EQ(TagAt("h1"), "WK");
    EXPECT_EQ(TagAt("g1"), "WN");
}

// The view paints from a cached picture that it brings up to date square by
// square; whatever happened to the images, what it shows must be exactly what
// drawing the board and every piece afresh shows.
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
        // A move, a blink, a piece placed or taken away, a mark changed; now and
        // then a flip or a resize.
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
}

// A dragged piece repaints only around itself, not the whole board.
TEST(BoardViewPicture, DragRepaintsOnlyWhereThePieceWas) {
    BoardView view;
    view.resize(506, 506);
    view.IM(52).picture = view.IM(52).dragIcon = "WP";
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QRegion painted;
    struct Recorder : QObject {
        QRegion* region;
        explicit Recorder(QRegion* r) : region(r) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) *region += static_cast<QPaintEvent*>(e)->region();
            return false;
        }
    } recorder(&painted);
    view.BeginDrag(52, QPointF(view.IM(52).left + 22, view.IM(52).top + 22));
    QCoreApplication::processEvents();
    view.installEventFilter(&recorder);
    const QPointF from = view.ToWidget(QPointF(view.IM(52).left + 22, view.IM(52).top + 22));
    QMouseEvent move(QEvent::MouseMove, from + QPointF(6, -9),
                     view.mapToGlobal(from + QPointF(6, -9)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &move);
    QCoreApplication::processEvents();
    const int square = qRound(44 * view.ScaleFactor());
    EXPECT_FALSE(painted.isEmpty());
    EXPECT_LT(painted.boundingRect().width(), 2 * square);
    EXPECT_LT(painted.boundingRect().height(), 2 * square);
}

} // namespace
} // namespace corvane::testing
