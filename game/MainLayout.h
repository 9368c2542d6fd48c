#pragma once
// The main window's controls and their placement: the board with the player
// rows above and below it, the move list, the move text and times, the
// captured pieces, the set-up options and palette, the promotion choosers, the
// toolbar and the clock timer. The small procedures here only show things; the
// game controller (frmMain) decides what they show and answers the controls.
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>
#include <array>
#include <string>

#include "game/BoardView.h"

namespace corvane {

class Announcer;
class PiecePalette;
class PressableImage;
class TypedMoveLine;

class MainLayout : public QWidget {
    Q_OBJECT
public:
    explicit MainLayout(QWidget* parent = nullptr);

    // --- Controls -------------------------------------------------------------
    BoardView* picBoard() const { return picBoard_; }
    SquareImage& IM(int index) { return picBoard_->IM(index); }
    QLabel* LabCH(int i) const { return LabCH_.at(i); }
    QLabel* lblTime(int i) const { return lblTime_.at(i); }
    QLabel* imgMvIndicator(int i) const;
    bool IndicatorOn(int i) const { return indicatorOn_.at(i); }
    // Beside indicator i in set-up mode: who moves first, and the way to change it.
    QLabel* lblVez(int i) const;
    QLabel* LabMvString() const { return LabMvString_; }
    // The match score of a network connection ("2 × 1"); hidden otherwise.
    QLabel* lblPlacar() const { return lblPlacar_; }
    QListWidget* ListMoves() const { return ListMoves_; }
    QLabel* LabTime() const { return LabTime_; }
    QLabel* LabPB(int i) const { return LabPB_.at(i); }
    QLabel* lblMW(int i) const { return lblMW_.at(i); }
    QWidget* picWPP() const { return picWPP_; }
    QWidget* picBPP() const { return picBPP_; }
    QWidget* IMWPP(int i) const;
    QWidget* IMBPP(int i) const;
    QLabel* lblPromover() const { return lblPromover_; }
    QWidget* picOptions() const { return picOptions_; }
    QRadioButton* optSetUp(int i) const { return optSetUp_.at(i); }
    QWidget* picToobar() const { return picToobar_; }
    QTimer* tmrElapsed() const { return tmrElapsed_; }
    QWidget* palette() const;
    // Under the board: the line where a move is typed, and the announcements.
    TypedMoveLine* TypedLine() const { return txtLance_; }
    Announcer* Announcements() const { return lblAnuncio_; }
    // The number of moves in the list.
    int MoveCount() const { return ListMoves_->count(); }

    // --- What the view shows ----------------------------------------------------
    // Disables / enables the board and the toolbar (mouse input off / on).
    void LockBoard();
    void UnlockBoard();
    // Centres a dialog over the board on the screen.
    void CenterOverBoard(QWidget* window) const;
    // Adds one to the captured-pieces counter of a PieceCode; kings and "" count nothing.
    void CountCapture(const std::string& code);
    void ResetCapturePanel();
    void ClearMoveList();

protected:
    // Move indicator i lit (PointerON) or not.
    void ShowIndicator(int i, bool on);
    // Each clock beside its side: with White at the bottom lblTime(0) is in the bottom row.
    void PlaceClockLabels(bool whiteAtBottom);
    void SetMoveLabel(const std::string& text);
    PressableImage* Indicator(int i) const { return imgMvIndicator_.at(i); }
    PressableImage* VezLabel(int i) const { return lblVez_.at(i); }
    PressableImage* PromotionImage(bool white, int i) const;
    PiecePalette* Palette() const { return palette_; }

private:
    void BuildBoardColumn(QHBoxLayout* body);
    QWidget* BuildSidePanel();
    QWidget* BuildCapturePanel();
    QWidget* BuildOptions();
    QWidget* BuildPromotionPanel(bool white);

    BoardView* picBoard_ = nullptr;
    std::array<QLabel*, 2> LabCH_{};
    std::array<QLabel*, 2> lblTime_{};
    std::array<PressableImage*, 2> imgMvIndicator_{};
    std::array<bool, 2> indicatorOn_{};
    std::array<PressableImage*, 2> lblVez_{};
    QLabel* LabMvString_ = nullptr;
    QLabel* lblPlacar_ = nullptr;
    QListWidget* ListMoves_ = nullptr;
    QLabel* LabTime_ = nullptr;
    std::array<QLabel*, 3> LabPB_{};
    std::array<QLabel*, 10> lblMW_{};
    QWidget* picWPP_ = nullptr;
    QWidget* picBPP_ = nullptr;
    std::array<PressableImage*, 5> IMWPP_{};
    std::array<PressableImage*, 5> IMBPP_{};
    QLabel* lblPromover_ = nullptr;
    QWidget* picOptions_ = nullptr;
    std::array<QRadioButton*, 4> optSetUp_{};
    QWidget* picToobar_ = nullptr;
    PiecePalette* palette_ = nullptr;
    QTimer* tmrElapsed_ = nullptr;
    QWidget* topRow_ = nullptr;
    QWidget* bottomRow_ = nullptr;
    TypedMoveLine* txtLance_ = nullptr;
    Announcer* lblAnuncio_ = nullptr;
};

} // namespace corvane
