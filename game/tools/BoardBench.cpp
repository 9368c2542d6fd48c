// corvane-board-bench: what painting the board costs, offscreen, at 8 x 53 px
// squares: the first paint, a full repaint, a square that blinks and the frames
// of a piece dragged across the board, in processor time and (where the kernel counts them)
// instructions.
#include <QApplication>
#include <QMouseEvent>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/tools/CpuCounters.h"
#include "game/BoardView.h"

using namespace corvane;

namespace {

constexpr int kSquarePixels = 53;
constexpr int kRepaints = 40;

void SetUpStartPosition(BoardView& view) {
    const char* const back[8] = {"R", "N", "B", "Q", "K", "B", "N", "R"};
    for (int i = 0; i < 64; ++i) {
        const int row = i / 8, col = i % 8;
        std::string code;
        if (row == 0) code = std::string("B") + back[col];
        if (row == 1) code = "BP";
        if (row == 6) code = "WP";
        if (row == 7) code = std::string("W") + back[col];
        SquareImage& im = view.IM(i);
        im.picture = im.dragIcon = im.tag = code;
        im.visible = true;
    }
}

struct Figure {
    std::vector<double> ms;
    std::vector<double> instructions;
};

void Print(const char* what, const Figure& f, bool counted) {
    const bench::Spread t = bench::SpreadOf(f.ms);
    std::printf("  %-14s median %7.3f ms, p90 %7.3f ms, max %7.3f ms", what, t.median, t.p90,
                t.max);
    if (counted) {
        std::printf(", median %.2f M instructions", bench::SpreadOf(f.instructions).median / 1e6);
    }
    std::printf("  (%zu samples)\n", f.ms.size());
}

// Runs work once and records its processor time and instructions.
template <typename Work> void Measure(Figure& f, bench::InstructionCounter& counter, Work work) {
    const double start = bench::ThreadCpuMs();
    counter.Start();
    work();
    const double instructions = static_cast<double>(counter.Stop());
    f.ms.push_back(bench::ThreadCpuMs() - start);
    f.instructions.push_back(instructions);
}

void MoveMouse(BoardView& view, QPointF at) {
    QMouseEvent move(QEvent::MouseMove, at, view.mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    bench::InstructionCounter counter;

    BoardView view;
    const int side = (BoardView::PictureSize * kSquarePixels + BoardView::SquareSize / 2) /
                     BoardView::SquareSize;
    view.setFixedSize(side, side);
    SetUpStartPosition(view);
    view.onPress = [&view](int index, Qt::MouseButton) {
        view.BeginDrag(index, QPointF(view.IM(index).left + 22, view.IM(index).top + 22));
        view.IM(index).visible = false;
    };

    Figure first, repaint, blink, drag;
    Measure(first, counter, [&] {
        view.show();
        QApplication::processEvents();
    });
    for (int i = 0; i < kRepaints; ++i) Measure(repaint, counter, [&] { view.repaint(); });

    // The computer's move blinks its square: one piece shown and hidden by turns.
    for (int i = 0; i < kRepaints; ++i) {
        Measure(blink, counter, [&] {
            view.IM(59).visible = !view.IM(59).visible;
            view.update();
            QApplication::processEvents();
        });
    }
    view.IM(59).visible = true;

    // A pawn picked up on e2 and carried in small steps to the far side and back.
    const QPointF e2 = view.ToWidget(QPointF(view.IM(52).left + 22, view.IM(52).top + 22));
    QMouseEvent press(QEvent::MouseButtonPress, e2, view.mapToGlobal(e2), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &press);
    QApplication::processEvents();
    for (int step = 0; step < 2 * kRepaints; ++step) {
        const int phase = step < kRepaints ? step : 2 * kRepaints - step;
        const QPointF at = e2 + QPointF(phase * 3, -phase * 9);
        Measure(drag, counter, [&] {
            MoveMouse(view, at);
            QApplication::processEvents();
        });
    }

    std::printf("Board painting, offscreen, %d x %d px (squares of %d px):\n", side, side,
                kSquarePixels);
    Print("first paint", first, counter.Available());
    Print("full repaint", repaint, counter.Available());
    Print("blink frame", blink, counter.Available());
    Print("drag frame", drag, counter.Available());
    if (!counter.Available()) {
        std::printf("  (instruction counts: the kernel offers no instruction counter here)\n");
    }
    return 0;
}
