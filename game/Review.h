#pragma once
// Looking at an earlier position of the game: a picture laid over the board
// showing the position after a listed move, with that move marked and a plain
// banner. The game underneath is untouched: the clocks run, moves of the
// computer or the peer still land, and the board takes no move while the
// picture covers it.
#include <QLabel>
#include <QWidget>
#include <array>
#include <string>

namespace corvane {

class BoardView;

class ReviewOverlay : public QWidget {
public:
    explicit ReviewOverlay(BoardView& board);
    // Shows the 64 squares (piece codes, 0 = a8 .. 63 = h1) with the moved
    // piece's squares marked (-1 for none) and the banner's text.
    void Show(const std::array<std::string, 64>& squares, int from, int to, const QString& banner);
    const std::array<std::string, 64>& Squares() const { return squares_; }
    QString Banner() const { return banner_.text(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    // Follows the board's size.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    BoardView& board_;
    std::array<std::string, 64> squares_{};
    int from_ = -1, to_ = -1;
    QLabel banner_;
};

} // namespace corvane
