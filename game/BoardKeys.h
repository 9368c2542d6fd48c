#pragma once
// The board played from the keyboard.
//
// The board takes the keyboard focus (Tab reaches it) and then shows a focus
// square that the arrow keys move as the board is turned. Enter or Space acts
// on it as a click does: the first press picks the piece up (its targets are
// marked), the second plays it to the focused square; Esc lets it go. In set-up
// mode the same keys carry a piece from one square to another, P opens the
// piece palette for the focused square and Delete empties it.
//
// While the typed-move line holds text its keys come first: Enter plays the
// line, Esc clears it, Backspace edits it, and the letters and digits typed on
// the board or the window go into it. Keys with Alt or Ctrl are left alone
// (Alt with the arrows reviews a game).
#include <QObject>
#include <functional>

#include "game/BoardView.h"

class QKeyEvent;

namespace corvane {

class frmMain;

class BoardKeys : public QObject {
    Q_OBJECT
public:
    explicit BoardKeys(frmMain& window);

    // The focus square of a board (a square image index), -1 before the board
    // first had the focus.
    static int FocusOf(const BoardView* board);
    int Focus() const { return focus_; }
    // The piece carried by the keys in set-up mode; -1 when none.
    int Carried() const { return InSetUp() ? carried_ : -1; }
    // The window is going: no more keys or focus changes reach it.
    void Detach();
    // Adds the focus square (while the board has the focus) and the carried piece.
    void AddMarks(SquareMarks& marks) const;

    // Asks which piece the palette puts on the focused square: a PieceIndex
    // 1..12, 0 to empty it, -1 when the user changed their mind. The default is
    // a menu over the square.
    std::function<int()> choosePalettePiece;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static bool InSetUp();
    static int StartSquare();
    bool BoardKey(QKeyEvent* event);
    bool WindowKey(QKeyEvent* event);
    // Text typed outside the line goes into it; true when it went.
    bool TypeIntoLine(QKeyEvent* event);
    bool LineHasText() const;
    bool FocusLeftForLock() const;
    void MoveFocus(int rows, int columns);
    void SetFocusSquare(int index);
    void Act();
    void SetUpAct();
    void Click(int index);
    int MenuPiece();
    void Refresh();

    frmMain& window_;
    BoardView& board_;
    int focus_ = -1;
    int carried_ = -1;
    bool refocus_ = false;
    bool shown_ = false; // the focus square shows once the keys are used
};

// While it lives, the promotion chooser also takes keys: D or Q the queen,
// T or R the rook, B the bishop, C or N the knight (or 4, 1, 3, 2, the order of
// the choice images). choose is called with the image's index 1..4.
class PromotionKeys : public QObject {
public:
    explicit PromotionKeys(std::function<void(int)> choose);
    ~PromotionKeys() override;
    PromotionKeys(const PromotionKeys&) = delete;
    PromotionKeys& operator=(const PromotionKeys&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(int)> choose_;
};

} // namespace corvane
