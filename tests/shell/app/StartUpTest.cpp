// The program's start-up and close, the image menu's rules and tooltips, the
// pause arithmetic and full screen, over the real main window.
#include "shell/app/StartUp.h"
#include "assets/BusyCursor.h"
#include "files/Settings.h"
#include "files/frmAbrir.h"
#include "files/frmSalvar.h"
#include "files/modINI.h"
#include "game/frmMain.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"
#include "shell/app/MainMenu.h"
#include "shell/app/frmNovo.h"
#include "shell/app/frmQuestion.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

// A started program whose dialogs are answered by the test.
struct Started : ::testing::Test {
    void SetUp() override {
        ResetGameState();
        options.timeScale = 0.01;
        options.lockPath = dir.filePath(QStringLiteral("corvane.lock"));
        options.trace = [this](const QString& s) { steps.push_back(s); };
        options.beep = [this] { ++beeps; };
        options.dialogShown = [this](QDialog& d) {
            shown.push_back(QString::fromLatin1(d.metaObject()->className()));
            QTimer::singleShot(0, &d, [this, &d] { answer(d); });
        };
    }
    void TearDown() override {
        ComputerBusy = false;
        NetworkGame = false;
    }

    // Starts with the first new-game dialog answered by first(dialog).
    void Start(std::function<void(frmNovo&)> first = [](frmNovo& d) { d.Cancelar(); }) {
        answer = [first](QDialog& d) { first(dynamic_cast<frmNovo&>(d)); };
        program = std::make_unique<CorvaneProgram>(options);
        ASSERT_TRUE(program->Start());
        shown.clear();
        steps.clear();
    }
    frmMain& W() { return *program->Window(); }
    MainMenu& M() { return *program->Menu(); }

    QTemporaryDir dir;
    StartUpOptions options;
    std::vector<QString> steps;
    std::vector<QString> shown; // class of each dialog shown (the dialogs are gone after)
    std::function<void(QDialog&)> answer = [](QDialog& d) { d.reject(); };
    int beeps = 0;
    std::unique_ptr<CorvaneProgram> program;
};

using StartUp = Started;

TEST_F(StartUp, StepsInOrderAndTheDefaultGameWhenTheDialogIsCancelled) {
    options.readSound = [] { return false; };
    answer = [](QDialog& d) { dynamic_cast<frmNovo&>(d).Cancelar(); };
    program = std::make_unique<CorvaneProgram>(options);
    ASSERT_TRUE(program->Start());
    const std::vector<QString> expected{"lock",    "splash",          "main window",
                                        "topmost", "new game dialog", "default game clock"};
    EXPECT_EQ(steps, expected);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], QStringLiteral("corvane::frmNovo"));
    EXPECT_TRUE(W().isVisible());
    EXPECT_TRUE(W().tmrElapsed()->isActive());
    EXPECT_EQ(GameMode, "CB");
    EXPECT_EQ(Level, 2);
    EXPECT_FALSE(SoundOn);
    EXPECT_EQ(M().ToolTipText(2), QStringLiteral("Ligar Som"));
    EXPECT_EQ(M().imgMenu(2)->Variant(), 1);
}

// The window is live during the pause before the new-game dialog: closed then,
// the program ends and no dialog opens.
TEST_F(StartUp, ClosedDuringThePauseBeforeTheDialog) {
    options.trace = [this](const QString& s) {
        steps.push_back(s);
        if (s == QStringLiteral("topmost")) {
            QTimer::singleShot(0, [this] { program->Window()->close(); });
        }
    };
    program = std::make_unique<CorvaneProgram>(options);
    ASSERT_TRUE(program->Start());
    EXPECT_TRUE(program->Ended());
    EXPECT_TRUE(shown.empty());
    const std::vector<QString> expected{"lock",    "splash",  "main window",
                                        "topmost", "closing", "closed"};
    EXPECT_EQ(steps, expected);
}

TEST_F(StartUp, ConfirmedDialogStartsTheChosenGame) {
    Start([](frmNovo& d) {
        d.ChooseMode(3);
        d.ChooseLevel(3);
        d.Jogar();
    });
    EXPECT_EQ(GameMode, "H");
    EXPECT_EQ(Level, 3);
    EXPECT_EQ(PlayerOption, 3);
    EXPECT_TRUE(W().tmrElapsed()->isActive());
    EXPECT_EQ(M().ToolTipText(2), QStringLiteral("Desligar Som")); // "SOM" defaults to on
}

TEST_F(StartUp, ASecondCopyEndsAtOnce) {
    Start();
    std::vector<QString> second;
    StartUpOptions o = options;
    o.trace = [&](const QString& s) { second.push_back(s); };
    CorvaneProgram other(o);
    EXPECT_FALSE(other.Start());
    EXPECT_EQ(second, std::vector<QString>{QStringLiteral("another copy runs")});
    EXPECT_EQ(other.Window(), nullptr);
}

using Menu = Started;

// Which items act, which beep and which do nothing, by game state.
TEST_F(Menu, RulesWhileBusyOrInANetworkGame) {
    Start();
    struct Row {
        bool busy, network, waiting;
        int item;
        bool beep, acts;
    };
    const std::vector<Row> rows{
        {true, false, true, 2, false, false},  {true, false, true, 7, false, false},
        {true, true, false, 5, false, false},  {false, false, false, 5, true, false},
        {false, false, false, 8, true, false}, {false, false, false, 9, false, true},
        {false, false, false, 7, false, true}, {false, false, true, 5, false, true},
        {false, false, true, 8, false, true},  {false, false, true, 2, false, true},
        {false, true, false, 5, true, false},  {false, true, false, 8, true, false},
        {false, true, false, 9, true, false},  {false, true, true, 6, true, false},
        {false, true, false, 6, false, true},  {false, true, true, 7, false, true},
    };
    int saves = 0, opens = 0;
    M().save = [&] { ++saves; };
    M().open = [&] { ++opens; };
    answer = [](QDialog& d) { d.reject(); };
    for (const Row& r : rows) {
        ComputerBusy = r.busy;
        NetworkGame = r.network;
        W().SetWaitingForPeer(r.waiting);
        beeps = 0;
        shown.clear();
        const bool sound = SoundOn, white = WhiteAtBottom;
        const int saved = saves, opened = opens;
        M().Click(r.item);
        ComputerBusy = false;
        NetworkGame = false;
        // Each item's effect: sound, board turned, save or open called, or a dialog.
        const bool acted = r.item == 2   ? SoundOn != sound
                           : r.item == 7 ? WhiteAtBottom != white
                           : r.item == 8 ? saves != saved
                           : r.item == 9 ? opens != opened
                                         : !shown.empty();
        EXPECT_EQ(beeps, r.beep ? 1 : 0)
            << "item " << r.item << " busy " << r.busy << " net " << r.network;
        EXPECT_EQ(acted, r.acts) << "item " << r.item << " busy " << r.busy << " net " << r.network;
    }
}

TEST_F(Menu, TooltipsArePaddedCentredAndHidden) {
    Start();
    for (int n = 1; n <= 9; ++n) {
        M().Hover(n);
        QLabel& tip = M().lblToolTip();
        EXPECT_EQ(tip.text(), QStringLiteral("   ") + M().ToolTipText(n) + QStringLiteral("   "));
        EXPECT_TRUE(tip.isVisible());
        EXPECT_TRUE(M().shpToolTip().isVisible());
        EXPECT_EQ(M().shpToolTip().geometry(), tip.geometry());
        const MenuButton& b = *M().imgMenu(n);
        const int itemLeft = b.mapTo(&W(), QPoint(0, 0)).x();
        EXPECT_EQ(tip.x(), itemLeft - (tip.width() - b.width()) / 2) << n;
        EXPECT_GE(tip.width(), tip.fontMetrics().horizontalAdvance(tip.text()));
    }
    // A mouse move over the window hides it; the same item shows it again.
    QMouseEvent move(QEvent::MouseMove, QPointF(400, 300), QPointF(400, 300), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&W(), &move);
    EXPECT_FALSE(M().lblToolTip().isVisible());
    EXPECT_FALSE(M().shpToolTip().isVisible());
    M().Hover(9);
    EXPECT_TRUE(M().lblToolTip().isVisible());

    // Toggling the sound with the mouse on item 2: the click hides the tooltip,
    // the next move over the item shows the new text.
    W().SetWaitingForPeer(true);
    M().Hover(2);
    QTest::mouseClick(M().imgMenu(2), Qt::LeftButton);
    EXPECT_FALSE(SoundOn);
    EXPECT_FALSE(M().lblToolTip().isVisible());
    QTest::mouseMove(M().imgMenu(2), QPoint(10, 10));
    M().Hover(2);
    EXPECT_EQ(M().lblToolTip().text(), QStringLiteral("   Ligar Som   "));
    M().Click(2);
    M().Hover(2);
    EXPECT_EQ(M().lblToolTip().text(), QStringLiteral("   Desligar Som   "));
    EXPECT_TRUE(SoundOn);
}

TEST_F(Menu, PauseMovesTheClockStartByThePause) {
    Start();
    qint64 now = 1000;
    W().clockNow = [&] { return now; };
    W().StartClocks();
    W().SetWaitingForPeer(true);
    SideToMove = "B";
    now = 2500;
    W().ClockTick();
    SideToMove = "W";
    now = 5000;
    W().ClockTick();
    const qint64 whiteBefore = W().WhiteTime();
    bool timerStoppedDuringPause = false;
    answer = [&](QDialog& d) {
        auto& p = dynamic_cast<frmPause&>(d);
        EXPECT_EQ(p.Label2.text(),
                  QString::fromUtf8("Jogo em pausa. Clique no botão Ok para retornar"));
        timerStoppedDuringPause = !W().tmrElapsed()->isActive();
        now += 60000; // a minute away from the board
        QTest::mouseClick(&p.lbOk, Qt::LeftButton);
    };
    M().Click(5);
    EXPECT_TRUE(timerStoppedDuringPause);
    EXPECT_TRUE(W().tmrElapsed()->isActive());
    EXPECT_EQ(W().ClockStart(), 61000);
    W().ClockTick();
    EXPECT_EQ(W().WhiteTime(), whiteBefore);
    EXPECT_EQ(W().BlackTime(), 1500);
}

TEST_F(Menu, RestartAsksFirst) {
    Start();
    for (bool yes : {false, true}) {
        W().lblTime(0)->setText(QStringLiteral("05:00"));
        W().SetWaitingForPeer(false);
        W().tmrElapsed()->stop();
        answer = [yes](QDialog& d) {
            auto& q = dynamic_cast<frmQuestion&>(d);
            EXPECT_EQ(q.Label2.text(), QStringLiteral("Deseja Reniciar o jogo atual ?"));
            yes ? q.Sim() : q.Nao();
        };
        M().Click(6);
        EXPECT_EQ(W().lblTime(0)->text(), yes ? QStringLiteral("00:00") : QStringLiteral("05:00"));
        EXPECT_EQ(W().WaitingForPeer(), yes);
        EXPECT_EQ(W().tmrElapsed()->isActive(), yes);
    }
    // In a network game the question is the resignation, and "&Sim" resigns.
    int resigned = 0;
    M().resign = [&] { ++resigned; };
    NetworkGame = true;
    W().SetWaitingForPeer(false);
    answer = [](QDialog& d) {
        auto& q = dynamic_cast<frmQuestion&>(d);
        EXPECT_EQ(q.Label2.text(), QStringLiteral("Desejo entregar o jogo ?"));
        q.Sim();
    };
    M().Click(6);
    EXPECT_EQ(resigned, 1);
}

TEST_F(Menu, FullScreenAndBack) {
    Start();
    M().Hover(4);
    QTest::mouseClick(M().imgMenu(4), Qt::LeftButton);
    // The window grows under the still mouse: its hover brings no tooltip back
    // until the mouse moves.
    M().Hover(4);
    EXPECT_FALSE(M().lblToolTip().isVisible());
    QCursor::setPos(QCursor::pos() + QPoint(1, 0));
    M().Hover(4);
    EXPECT_TRUE(M().lblToolTip().isVisible());
    EXPECT_TRUE(M().FullScreen());
    EXPECT_TRUE(W().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(W().windowState() & Qt::WindowFullScreen);
    EXPECT_EQ(M().ToolTipText(4), QStringLiteral("Restaurar"));
    EXPECT_EQ(M().imgMenu(4)->Variant(), 1);
    M().Click(4);
    EXPECT_FALSE(M().FullScreen());
    EXPECT_FALSE(W().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(W().size(), QSize(808, 631));
    EXPECT_EQ(M().ToolTipText(4), QStringLiteral("Maximizar"));
    EXPECT_EQ(M().imgMenu(4)->Variant(), 0);
}

// An opened game is played on from where it was saved, whatever went before.
TEST_F(Menu, AnOpenedGameIsPlayedOn) {
    SetProgramFolder(dir.path());
    Start();
    ASSERT_TRUE(QDir().mkpath(dir.filePath("savegames")));
    {
        QFile file(dir.filePath("savegames/Preta.sav"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Corvane]\r\nDATA=01/01/26 - 10:00\r\n"
                   "POSTION=rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w - - 0\r\n"
                   "DIFFICULTY=1\r\nPLAYER=1\r\nMOVE=1\r\n");
    }
    W().SetWaitingForPeer(true);
    const std::string before = GameMode;
    answer = [](QDialog& d) { d.reject(); };
    M().Click(9);
    EXPECT_FALSE(LoadedGame);
    EXPECT_EQ(GameMode, before); // a cancelled Open leaves the game alone

    W().EndGame(); // the previous game is over
    answer = [](QDialog& d) {
        auto& open = dynamic_cast<frmAbrir&>(d);
        open.List1.setCurrentRow(0);
        open.lblAbrir.click();
    };
    M().Click(9);
    EXPECT_EQ(GameMode, "CB");
    EXPECT_EQ(Level, 1);
    // Black, the computer, was to move: it has answered and the user has White.
    EXPECT_EQ(W().MoveCount(), 1);
    EXPECT_EQ(SideToMove, "W");
    EXPECT_FALSE(ComputerBusy);
    // The game runs: saving it is allowed.
    EXPECT_TRUE(W().WaitingForPeer());
    int saves = 0;
    M().save = [&] { ++saves; };
    beeps = 0;
    M().Click(8);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(beeps, 0);
    // A new game after it starts from the initial position.
    answer = [](QDialog& d) {
        auto& novo = dynamic_cast<frmNovo&>(d);
        novo.ChooseMode(3);
        novo.Jogar();
    };
    M().Click(3);
    EXPECT_EQ(W().Tag(52), "WP"); // e2
    EXPECT_EQ(W().Tag(36), "");   // e4
    EXPECT_FALSE(LoadedGame);
    SetProgramFolder(QString());
}

using Close = Started;

// The real settings file across two runs of the program: "SOM" read at start
// and written at the close, "NICK" read by every new-game dialog and written at
// the close.
TEST_F(Close, SettingsSurviveTheProgram) {
    SetProgramFolder(dir.path());
    UseSettingsFile(options);
    QStringList offered; // the nick box of each new-game dialog as it opened
    const auto record = [&](frmNovo& d) { offered << d.txtNome->text(); };
    Start([&](frmNovo& d) {
        record(d);
        d.Cancelar();
    });
    EXPECT_EQ(offered, QStringList{AccountUserName().toUpper()});
    EXPECT_TRUE(SoundOn);
    EXPECT_FALSE(QFile::exists(ConfigPath())); // nothing is written before the close

    // The file changes while the program runs: the next dialog reads it.
    ASSERT_TRUE(WriteNick(QStringLiteral("beto")));
    answer = [&](QDialog& d) {
        auto& novo = dynamic_cast<frmNovo&>(d);
        record(novo);
        novo.ClickTab(3);
        novo.txtNome->setText(QStringLiteral("  ana maria "));
        novo.Jogar(); // the connection fails: the nick is kept, the dialog stays
        novo.Cancelar();
    };
    M().startNetwork = [](bool) { return false; };
    M().Click(3);
    EXPECT_EQ(offered.back(), QStringLiteral("BETO"));
    W().SetWaitingForPeer(true);
    M().Click(2); // sound off
    M().Click(4); // closed from full screen
    M().Click(1);
    ASSERT_TRUE(program->Ended());
    EXPECT_FALSE(W().isVisible());
    EXPECT_FALSE(W().windowState() & Qt::WindowFullScreen);
    EXPECT_EQ(steps.back(), QStringLiteral("closed"));
    EXPECT_EQ(ReadIniValue(IniSection, "SOM", ConfigPath(), ""), "False");
    EXPECT_EQ(ReadIniValue(IniSection, "NICK", ConfigPath(), ""), "ANA MARIA");

    // The second run starts with sound off and offers the saved nick.
    program.reset();
    offered.clear();
    Start([&](frmNovo& d) {
        record(d);
        d.Cancelar();
    });
    EXPECT_FALSE(SoundOn);
    EXPECT_EQ(M().ToolTipText(2), QStringLiteral("Ligar Som"));
    EXPECT_EQ(offered, QStringList{QStringLiteral("ANA MARIA")});
    // Closed without choosing a nick: the saved one stays.
    M().Click(1);
    EXPECT_EQ(ReadIniValue(IniSection, "NICK", ConfigPath(), ""), "ANA MARIA");
    EXPECT_EQ(ReadIniValue(IniSection, "SOM", ConfigPath(), ""), "False");
    SetProgramFolder(QString());
}

// The window closes while the computer searches: the search stops, the busy
// cursor goes, every window closes and the call returns.
TEST_F(Close, DuringTheComputersSearch) {
    Start();
    std::string side;
    // a middlegame with White (the computer) to move, past the opening book
    LoadPosition(W(), "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w - - 0", side);
    GameMode = "CW";
    Level = 3;
    SideToMove = "W";
    QDialog other;
    other.show();
    bool closedDuringSearch = false;
    QTimer::singleShot(0, &W(), [&] {
        closedDuringSearch = ComputerBusy;
        W().close();
    });
    W().ComputerTurn(0);
    EXPECT_TRUE(closedDuringSearch);
    EXPECT_TRUE(program->Ended());
    EXPECT_TRUE(W().Closing());
    EXPECT_FALSE(W().isVisible());
    EXPECT_FALSE(other.isVisible());
    EXPECT_FALSE(BusyCursor::IsActive());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Nothing of the stopped search reaches the board (c4 and d5 as they were).
    EXPECT_EQ(W().Tag(34), "WP");
    EXPECT_EQ(W().Tag(27), "BP");
}

} // namespace
} // namespace corvane
