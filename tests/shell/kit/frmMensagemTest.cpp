// The message window: the sound chosen for each status and side, and the
// timing of its two timers (run under a time scale).
#include "shell/kit/frmMensagem.h"
#include "rules/GameState.h"
#include "shell/RecordingPlayer.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace corvane {
namespace {

struct ScaleGuard {
    explicit ScaleGuard(double s) { frmMensagem::SetTimeScale(s); }
    ~ScaleGuard() { frmMensagem::SetTimeScale(1.0); }
};

TEST(frmMensagem, SoundAndDelayForEachStatus) {
    struct Row {
        const char* status;
        const char* side;
        int sound;
        int closeMs;
    };
    const Row rows[] = {
        {"XEQUE", "W", SoundCheck, 1000},
        {"XEQUE", "B", SoundCheckMan, 1000},
        {"XEQUE-MATE", "W", SoundCheckmate, 3000},
        {"XEQUE-MATE", "B", SoundCheckmateMan, 3000},
        {"EMPATE", "W", SoundDraw, 3000},
        {"EMPATE", "B", SoundDraw, 3000},
        {"STALEMATE", "B", SoundStalemate, 3000},
        {"JOGADOR entregou o jogo", "W", -1, 3000},
        {"xeque", "W", -1, 3000}, // exact texts only
    };
    LoadSounds();
    SoundOn = true;
    ScaleGuard scale(0.01);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.status);
        EXPECT_EQ(frmMensagem::SoundFor(r.status, r.side), r.sound);
        RecordingPlayer player;
        GameStatus = r.status;
        SideToMove = r.side;
        frmMensagem m;
        EXPECT_TRUE(player.played.isEmpty()); // nothing before the first tick
        m.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !m.tmrSom.isActive(); }, 5000));
        EXPECT_EQ(m.CloseDelay(), r.closeMs);
        EXPECT_EQ(player.Numbers(), r.sound < 0 ? QList<int>{} : QList<int>{r.sound});
        EXPECT_TRUE(QTest::qWaitFor([&] { return !m.isVisible(); }, 5000));
        EXPECT_EQ(m.result(), QDialog::Accepted);
        EXPECT_EQ(player.played.size(), r.sound < 0 ? 0 : 1); // one sound only
    }
    GameStatus.clear();
}

// A long set-up message wraps to the board's width.
TEST(frmMensagem, LongMessagesWrap) {
    GameStatus = "Peão na primeira ou na última fileira";
    frmMensagem wide;
    wide.FitWidth(300);
    EXPECT_LE(wide.width(), 300);
    EXPECT_GT(wide.LabMessage.height(), wide.LabMessage.fontMetrics().lineSpacing()); // two lines
    GameStatus.clear();
}

TEST(frmMensagem, ShowGameMessageWaitsForTheWindowAndHonoursSoundOff) {
    LoadSounds();
    ScaleGuard scale(0.0);
    QWidget board;
    board.setGeometry(100, 100, 420, 420);
    board.show();
    for (const bool on : {true, false}) {
        RecordingPlayer player;
        SoundOn = on;
        GameStatus = "XEQUE-MATE";
        SideToMove = "B";
        ShowGameMessage(&board); // returns only once the window has closed itself
        EXPECT_EQ(player.Numbers(), on ? QList<int>{SoundCheckmateMan} : QList<int>{});
    }
    SoundOn = true;
    GameStatus.clear();
}

} // namespace
} // namespace corvane
