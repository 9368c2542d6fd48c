#pragma once
// The transient message window: shows GameStatus ("XEQUE", "XEQUE-MATE",
// "EMPATE", "STALEMATE", or any other line such as a resignation), plays the
// status's sound 300 ms after it opens and closes itself 1000 ms later for a
// check, 3000 ms later otherwise. Modal, borderless, topmost, opacity 210.
#include "kit/WindowConventions.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <string>

namespace corvane {

class frmMensagem : public BorderlessDialog {
    QVBoxLayout layout_; // first member: it must outlive nothing it holds

public:
    static constexpr int SoundDelayMs = 300;
    static constexpr int CheckCloseMs = 1000;
    static constexpr int CloseMs = 3000;
    static constexpr int Alpha = 210;

    // Loading: takes the text of GameStatus and starts tmrSom.
    explicit frmMensagem(QWidget* parent = nullptr);

    // Sound number for a status and the side that has just moved ("W" or "B");
    // -1 for a text that has no sound.
    static int SoundFor(const std::string& status, const std::string& sideToMove);
    // Closing delay chosen at the first tmrSom tick (0 before it).
    int CloseDelay() const { return closeDelay_; }
    // A text wider than this many pixels wraps onto more lines.
    void FitWidth(int width);

    // Multiplies every delay of the window (tests use 0 to run them at once).
    static void SetTimeScale(double scale);
    static double TimeScale();

    QLabel LabMessage;
    QTimer tmrSom;
    QTimer tmrClose;

private:
    void SomTick();
    void CloseTick();
    int closeDelay_ = 0;
};

// Shows GameStatus in the message window centred over the board, no wider than
// the board, and returns when the window has closed by itself. The
// controller's one call for announcements.
void ShowGameMessage(QWidget* boardWidget);

} // namespace corvane
