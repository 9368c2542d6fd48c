#pragma once
// Small widgets of the main window: images that report presses, the set-up
// palette of the twelve pieces and the move list.
#include <QLabel>
#include <QListWidget>
#include <QWidget>
#include <functional>

namespace corvane {

// An image that reports the button pressed on it: the choice images of the
// promotion panels, the move indicators.
class PressableImage : public QLabel {
    Q_OBJECT
public:
    explicit PressableImage(QWidget* parent) : QLabel(parent) {}
    std::function<void(Qt::MouseButton)> onPress;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The twelve piece images beside the board in set-up mode. A piece is dragged
// from here onto a square; onDrag reports the PieceIndex, the global mouse
// position and whether the button was released.
class PiecePalette : public QWidget {
    Q_OBJECT
public:
    static constexpr int Cell = 34;
    explicit PiecePalette(QWidget* parent);
    std::function<void(int, QPoint, bool)> onDrag;
    // Centre of the image of a PieceIndex (1..12), in palette coordinates.
    QPoint CentreOf(int piece) const;
    QSize sizeHint() const override { return {6 * Cell + 8, 2 * Cell + 8}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    int PieceAt(QPoint pos) const;
    int dragged_ = 0;
};

// The move list. When it shrinks (the promotion panel opens beside it, the
// window leaves full screen) the current entry stays in view.
class MoveList : public QListWidget {
    Q_OBJECT
public:
    explicit MoveList(QWidget* parent) : QListWidget(parent) {}

protected:
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace corvane
