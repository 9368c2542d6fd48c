#pragma once
// The main window: board view, labels, move list, clocks, captured pieces,
// promotion chooser and set-up panel, and the game controller that runs on them
// (new game, turn flow, human move input and commit, the computer's turn, the
// clocks, set-up mode, promotion and the board view's small procedures).
//
// The game-level variables (GameMode, SideToMove, Level, ComputerBusy, ...) live
// in rules/GameState.h; the board model in rules/ModChecker.h. The window's own
// flags are members below.
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "game/BoardView.h"
#include "rules/CoreHooks.h"
#include "rules/SquareImages.h"

namespace corvane {

class PiecePalette;
class PromotionImage;

// --- Owned by the game controller --------------------------------------------

// Longest time the computer took for one move in the current game, in whole seconds.
extern std::int32_t LongestThinkTime;
// PieceIndex of the piece a human promotion chose; -1 when none took place.
extern std::int32_t PromotedPiece;
// PieceIndex placed by a set-up drop that does not come from the board.
extern std::int16_t SetUpPiece;

class frmMain : public QWidget, public SquareImages {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // --- Controls -------------------------------------------------------------
    BoardView* picBoard() const { return picBoard_; }
    SquareImage& IM(int index) { return picBoard_->IM(index); }
    QLabel* LabCH(int i) const { return LabCH_.at(i); }
    QLabel* lblTime(int i) const { return lblTime_.at(i); }
    QLabel* imgMvIndicator(int i) const { return imgMvIndicator_.at(i); }
    bool IndicatorOn(int i) const { return indicatorOn_.at(i); }
    QLabel* LabMvString() const { return LabMvString_; }
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

    // --- Game lifecycle and turn flow ------------------------------------------
    void NovoJogo(int mode);
    void WhoMoves(int side);
    void Reset_ALL_BOOLS();
    void EndGame();
    void LockBoard();
    void UnlockBoard();
    void PeerPause();
    void CenterOverBoard(QWidget* window) const;
    // After a saved game was opened: its position string, LoadedSide and PlayerOption.
    void ResumeLoadedGame(const std::string& positionString);

    // --- Human move input --------------------------------------------------------
    void PickUp(int index, Qt::MouseButton button);
    void DropOnSquare(int target);
    void DropOnBoard(double x, double y);
    void DropOutsideBoard();
    bool CommitMove(int target);
    void ReturnPiece();
    void MoveCastlingRook(int kingTarget);
    void CountCapture(const std::string& code);
    bool ShowMoveRecord(const std::string& text);

    // --- Move list, computer, clocks, set-up, promotion, view ---------------------
    void ListTheMove();
    void ComputerTurn(int ply);
    void ResetClocks();
    void StartClocks();
    void ClockTick();
    static QString ClockText(qint64 milliseconds);
    void SelectOption(int index, bool guarded);
    void OptionClicked(int index);
    void SetUpDrop(int target);
    bool ValidateSetUp();
    bool ChoosePromotion(int target);
    void ChoosePromotionPiece(int index, Qt::MouseButton button);
    void ResetCapturePanel();
    void ClearMoveList();
    void ShowGameMessage();

    // SquareImages (the rules core reads and writes the board through these).
    std::string Tag(int index) const override;
    void SetSquare(int index, std::string_view code) override;
    void ClearMoveTextAndList() override;
    void Flip() override;

    // --- State of the window -----------------------------------------------------
    std::int16_t PickedSquare = -1;
    std::int32_t PickedLeft = 0, PickedTop = 0;
    bool Dragging = false;
    bool DropOutside = false;
    bool LocalIsWhite = true;
    bool WaitingForPeer = false;
    // Clock bookkeeping on a monotonic clock, in milliseconds since ClockStart.
    QElapsedTimer ClockBase;
    qint64 ClockStart = 0;
    qint64 WhiteTime = 0;
    qint64 BlackTime = 0;
    // Position string of the position play started from.
    std::string StartPosition;
    // Start tick of the computer's current move, then its elapsed seconds.
    qint64 ComputerMoveTicks = 0;

    // --- Seams for the tests ---------------------------------------------------------
    // Shows the status message; the default is the message window over the board.
    std::function<void()> messagePresenter;
    // Milliseconds per blink state of the computer's moved square (100 by default).
    int blinkMilliseconds = 100;
    // Clock milliseconds now (monotonic; a test may replace it).
    std::function<qint64()> clockNow;
    // True once the window began to close; waits and the search end.
    bool Closing() const { return closing_; }
    // The number of moves in the list.
    int MoveCount() const { return ListMoves_->count(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void BuildControls();
    void PlaceClockLabels();
    void SetPlayerCaptions();
    void Sound(int number);
    void SetMoveLabel(const std::string& text);
    void ShowIndicator(int i, bool on);
    void FinishHumanDrop(int target);
    void AnnounceAndEnd(bool nextNetworkGame);
    void PaletteDrag(int piece, QPoint globalPos, bool finished);
    bool ApplyComputerResult();
    std::string SquareName(int index) const;

    BoardView* picBoard_ = nullptr;
    std::array<QLabel*, 2> LabCH_{};
    std::array<QLabel*, 2> lblTime_{};
    std::array<QLabel*, 2> imgMvIndicator_{};
    std::array<bool, 2> indicatorOn_{};
    QLabel* LabMvString_ = nullptr;
    QListWidget* ListMoves_ = nullptr;
    QLabel* LabTime_ = nullptr;
    std::array<QLabel*, 3> LabPB_{};
    std::array<QLabel*, 10> lblMW_{};
    QWidget* picWPP_ = nullptr;
    QWidget* picBPP_ = nullptr;
    std::array<PromotionImage*, 5> IMWPP_{};
    std::array<PromotionImage*, 5> IMBPP_{};
    QLabel* lblPromover_ = nullptr;
    QWidget* picOptions_ = nullptr;
    std::array<QRadioButton*, 4> optSetUp_{};
    QWidget* picToobar_ = nullptr;
    PiecePalette* palette_ = nullptr;
    QTimer* tmrElapsed_ = nullptr;
    QWidget* topRow_ = nullptr;
    QWidget* bottomRow_ = nullptr;
    class WindowHooks;
    std::unique_ptr<WindowHooks> hooks_;
    bool closing_ = false;
    int setUpFailure_ = 0; // the set-up test that refused the last Play
};

} // namespace corvane
