#pragma once
// A fresh main window over fresh shared state, recording its sounds and
// announcements, with helpers that play moves by real mouse drags.
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "game/frmMain.h"
#include "kit/ModResWav.h"
#include "kit/frmMensagem.h"
#include "rules/ModChecker.h"

namespace corvane::testing {

// Records the number of every sound played.
struct RecordingPlayer : SoundPlayer {
    void Play(const QByteArray& wave) override {
        for (int i = 0; i < SoundCount; ++i)
            if (Sounds[i] == wave) played.push_back(i);
    }
    void Stop() override {}
    int Count(int number) const { return int(std::count(played.begin(), played.end(), number)); }
    std::vector<int> played;
};

// Square image index of a square name ("e2").
inline int Sq(const std::string& name) {
    return ImageIndexOf(name[1] - '0', name[0] - 'a' + 1);
}

class GameWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameState();
        frmMensagem::SetTimeScale(0.0);
        SetSoundPlayer(&sounds);
        window = std::make_unique<frmMain>();
        window->blinkMilliseconds = 1;
        window->messagePresenter = [this] {
            messages.push_back(GameStatus);
            ShowGameMessage(window->picBoard());
        };
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        window.reset();
        SetSoundPlayer(nullptr);
        ResetGameState();
    }

    // Widget position of the centre of a square image.
    QPoint Centre(int index) const {
        const SquareImage& im = window->IM(index);
        return window->picBoard()->ToWidget(QPointF(im.left + 22, im.top + 22)).toPoint();
    }
    // Presses on one square, moves and releases on another widget position.
    void DragTo(int from, QPoint to) {
        BoardView* board = window->picBoard();
        QTest::mousePress(board, Qt::LeftButton, {}, Centre(from));
        QTest::mouseMove(board, (Centre(from) + to) / 2);
        QTest::mouseMove(board, to);
        QTest::mouseRelease(board, Qt::LeftButton, {}, to);
    }
    void Drag(const std::string& from, const std::string& to) { DragTo(Sq(from), Centre(Sq(to))); }
    // Clicks the promotion choice (1 R, 2 N, 3 B, 4 Q) once the chooser waits;
    // a right click on it first must not choose.
    void ChooseLater(int choice, bool white) {
        QWidget* panel = white ? window->picWPP() : window->picBPP();
        WhenThen([panel] { return panel->isVisible(); },
                 [this, choice, white] {
                     QWidget* image = white ? window->IMWPP(choice) : window->IMBPP(choice);
                     QTest::mouseClick(image, Qt::RightButton);
                     choiceSurvivedOtherButton = PromotionChoice.empty();
                     QTest::mouseClick(image, Qt::LeftButton);
                 });
    }
    bool choiceSurvivedOtherButton = false;
    // Runs action once when(), polled while events run, first holds.
    void WhenThen(std::function<bool()> when, std::function<void()> action) {
        auto* timer = new QTimer(window.get());
        QObject::connect(timer, &QTimer::timeout, window.get(), [timer, when, action] {
            if (!when()) return;
            timer->stop();
            timer->deleteLater();
            action();
        });
        timer->start(1);
    }
    std::string TagAt(const std::string& square) const { return window->Tag(Sq(square)); }
    std::string Entry(int i) const { return window->ListMoves()->item(i)->text().toStdString(); }
    // An empty board in set-up mode, then the pieces of a text ("WK e1 BK e8").
    void SetUpText(const std::string& pieces) {
        window->optSetUp(0)->click();
        for (std::size_t at = 0; at + 5 <= pieces.size(); at += 6)
            window->SetSquare(Sq(pieces.substr(at + 3, 2)), pieces.substr(at, 2));
        LoadBoardFromView(*window, 0);
    }
    // The same, then play starts.
    void StartFrom(const std::string& pieces) {
        SetUpText(pieces);
        window->optSetUp(3)->click();
        ASSERT_FALSE(SetUpMode);
    }

    RecordingPlayer sounds;
    std::vector<std::string> messages;
    std::unique_ptr<frmMain> window;
};

} // namespace corvane::testing
