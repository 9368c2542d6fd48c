// Start-up and close, the image menu's rules and pause, over the real window.
#include "app/StartUp.h"
#include "app/MainMenu.h"
#include "app/frmNovo.h"
#include "app/frmQuestion.h"
#include "assets/BusyCursor.h"
#include "files/FileTestSupport.h"
#include "files/SavedGame.h"
#include "files/Settings.h"
#include "files/frmAbrir.h"
#include "files/modINI.h"
#include "game/frmMain.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

// A started program whose dialogs are answered by the test.
struct StartUp : ::testing::Test {
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

// Cancelled, the new-game dialog leaves the default game; closed during the pause
// before it, the program ends and no dialog opens.
TEST_F(StartUp, StepsInOrderCancelledOrClosedDuringThePause) {
    options.readSound = [] { return false; };
    for (const bool close : {false, true}) {
        steps.clear();
        shown.clear();
        options.trace = [this, close](const QString& s) {
            steps.push_back(s);
            if (close && s == QStringLiteral("topmost"))
                QTimer::singleShot(0, [this] { program->Window()->close(); });
        };
        answer = [](QDialog& d) { dynamic_cast<frmNovo&>(d).Cancelar(); };
        program.reset();
        program = std::make_unique<CorvaneProgram>(options);
        ASSERT_TRUE(program->Start());
        std::vector<QString> expected{"lock", "splash", "main window", "topmost"};
        expected.insert(expected.end(), {close ? "closing" : "new game dialog",
                                         close ? "closed" : "default game clock"});
        EXPECT_EQ(steps, expected);
        EXPECT_EQ(program->Ended(), close);
        EXPECT_EQ(shown.size(), close ? 0u : 1u);
    }
    EXPECT_EQ(GameMode, "CB");
    EXPECT_FALSE(SoundOn);
}

// A data folder that cannot be used is told (the folder and the system's
// reason) instead of passing for another running copy.
TEST_F(StartUp, AnUnusableDataFolderIsTold) {
    PutFile(dir.filePath("plain"), "x");
    options.lockPath = dir.filePath("plain/Corvane/corvane.lock");
    CorvaneProgram blocked(options);
    EXPECT_FALSE(blocked.Start());
    EXPECT_EQ(steps, std::vector<QString>{"data folder unusable"});
    EXPECT_EQ(blocked.Window(), nullptr);
    EXPECT_TRUE(blocked.StartProblem().contains(dir.filePath("plain/Corvane")));
    EXPECT_TRUE(blocked.StartProblem().contains(QString::fromUtf8("não uma pasta")));
}

// Qt's own windows speak Portuguese once its translations are loaded.
TEST(QtTranslations, FileChooserInPortuguese) {
    ASSERT_TRUE(LoadQtTranslations()) << "qt6-translations-l10n is missing";
    EXPECT_EQ(QCoreApplication::translate("QFileSystemModel", "Name"), QStringLiteral("Nome"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
}

using Menu = StartUp;

// Which items act, which beep and which do nothing, by game state.
TEST_F(Menu, RulesWhileBusyOrInANetworkGame) {
    Start();
    struct Row {
        bool busy, network, waiting;
        int item;
        bool beep, acts;
    };
    const std::vector<Row> rows{
        {true, false, true, 2, false, false},  {true, true, false, 5, false, false},
        {false, false, false, 5, true, false}, {false, false, false, 8, true, false},
        {false, false, false, 9, false, true}, {false, false, true, 5, false, true},
        {false, false, true, 8, false, true},  {false, true, false, 5, true, false},
        {false, true, false, 8, true, false},  {false, true, false, 9, true, false},
        {false, true, true, 6, true, false},   {false, true, false, 6, false, true},
        {false, true, true, 7, false, true},
    };
    int saves = 0, opens = 0;
    M().save = [&] { ++saves; };
    M().open = [&] { ++opens; };
    answer = [](QDialog& d) { d.reject(); };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.item << r.busy << r.network << r.waiting);
        ComputerBusy = r.busy;
        NetworkGame = r.network;
        W().SetWaitingForPeer(r.waiting);
        beeps = 0;
        shown.clear();
        const bool sound = SoundOn, white = WhiteAtBottom;
        const int saved = saves, opened = opens;
        M().Click(r.item);
        // Each item's effect: sound, board turned, save or open called, or a dialog.
        const bool acted = r.item == 2   ? SoundOn != sound
                           : r.item == 7 ? WhiteAtBottom != white
                           : r.item == 8 ? saves != saved
                           : r.item == 9 ? opens != opened
                                         : !shown.empty();
        EXPECT_EQ(beeps, r.beep ? 1 : 0);
        EXPECT_EQ(acted, r.acts);
    }
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
    bool stoppedDuringPause = false;
    answer = [&](QDialog& d) {
        stoppedDuringPause = !W().tmrElapsed()->isActive();
        now += 60000; // a minute away from the board
        QTest::mouseClick(&dynamic_cast<frmPause&>(d).lbOk, Qt::LeftButton);
    };
    M().Click(5);
    EXPECT_TRUE(stoppedDuringPause && W().tmrElapsed()->isActive());
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
            yes ? dynamic_cast<frmQuestion&>(d).Sim() : dynamic_cast<frmQuestion&>(d).Nao();
        };
        M().Click(6);
        EXPECT_EQ(W().lblTime(0)->text(), yes ? QStringLiteral("00:00") : QStringLiteral("05:00"));
        EXPECT_EQ(W().WaitingForPeer() && W().tmrElapsed()->isActive(), yes);
    }
    // In a network game the question is the resignation, and "&Sim" resigns.
    int resigned = 0;
    M().resign = [&] { ++resigned; };
    NetworkGame = true;
    W().SetWaitingForPeer(false);
    answer = [](QDialog& d) { dynamic_cast<frmQuestion&>(d).Sim(); };
    M().Click(6);
    EXPECT_EQ(resigned, 1);
}

// An opened game is played on from where it was saved, whatever went before.
TEST_F(Menu, AnOpenedGameIsPlayedOn) {
    SetProgramFolder(dir.path());
    Start();
    ASSERT_TRUE(QDir().mkpath(dir.filePath("savegames")));
    PutFile(dir.filePath("savegames/Preta.sav"),
            "[Corvane]\r\nDATA=01/01/26 - 10:00\r\n"
            "POSTION=rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w - - 0\r\n"
            "DIFFICULTY=1\r\nPLAYER=1\r\nMOVE=1\r\n");
    W().EndGame(); // the previous game is over
    answer = [](QDialog& d) {
        auto& open = dynamic_cast<frmAbrir&>(d);
        open.List1.setCurrentRow(0);
        open.lblAbrir.click();
    };
    M().Click(9);
    EXPECT_EQ(Level, 1);
    // Black, the computer, was to move: it has answered and the user has White.
    EXPECT_EQ(W().MoveCount(), 1);
    EXPECT_EQ(SideToMove + GameMode, "WCB");
    EXPECT_TRUE(W().WaitingForPeer()); // the game runs
    SetProgramFolder(QString());
}

// "Maximizar", then "Restaurar", puts the window back where it stood, at its size.
TEST_F(Menu, RestoreGoesBackWhereTheWindowWas) {
    Start();
    W().setGeometry(QRect(QPoint(123, 77), QSize(840, 650)));
    const QRect before = W().geometry();
    M().Click(4);
    ASSERT_TRUE(M().FullScreen());
    QTest::qWait(100); // the window system finishes entering full screen
    EXPECT_NE(W().geometry(), before);
    M().Click(4);
    QTest::qWait(150); // the window system finishes leaving full screen
    EXPECT_EQ(W().geometry(), before);
    EXPECT_EQ(M().ToolTipText(4), "Maximizar");
}

// The settings file: "NICK" offered at start, "SOM" and "NICK" written at the close.
TEST_F(StartUp, SettingsSurviveTheProgram) {
    SetProgramFolder(dir.path());
    UseSettingsFile(options);
    QStringList offered; // the nick box as the new-game dialog opened
    Start([&](frmNovo& d) {
        offered << d.txtNome->text();
        d.Cancelar();
    });
    EXPECT_EQ(offered, QStringList{AccountUserName().toUpper()});
    EXPECT_FALSE(QFile::exists(ConfigPath())); // nothing is written before the close
    answer = [&](QDialog& d) {
        auto& novo = dynamic_cast<frmNovo&>(d);
        novo.ClickTab(3);
        novo.txtNome->setText(QStringLiteral("  ana maria "));
        novo.Jogar(); // the connection fails: the nick is kept, the dialog stays
        novo.Cancelar();
    };
    M().startNetwork = [](bool) { return false; };
    M().Click(3);
    W().SetWaitingForPeer(true);
    M().Click(2); // sound off
    M().Click(4); // closed from full screen
    M().Click(1);
    ASSERT_TRUE(program->Ended());
    EXPECT_EQ(ReadIniValue(IniSection, "SOM", ConfigPath(), ""), "False");
    EXPECT_EQ(ReadIniValue(IniSection, "NICK", ConfigPath(), ""), "ANA MARIA");
    SetProgramFolder(QString());
}

// Closed while the computer searches: the search stops, the busy cursor and every window go.
TEST_F(StartUp, DuringTheComputersSearch) {
    Start();
    std::string side; // a middlegame past the opening book, the computer (White) to move
    LoadPosition(W(), "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w - - 0", side);
    GameMode = "CW";
    Level = 3;
    SideToMove = "W";
    bool closedDuringSearch = false;
    QTimer::singleShot(0, &W(), [&] {
        closedDuringSearch = ComputerBusy;
        W().close();
    });
    W().ComputerTurn(0);
    EXPECT_TRUE(closedDuringSearch);
    EXPECT_TRUE(program->Ended());
    EXPECT_FALSE(BusyCursor::IsActive());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Nothing of the stopped search reaches the board (c4 and d5 as they were).
    EXPECT_EQ(W().Tag(34) + W().Tag(27), "WPBP");
}

// Closing during a game in progress keeps it first as an ordinary saved game
// under its reserved name, replaced each time; a game that cannot be kept is
// not lost without the player's word; no game in progress, no file.
TEST_F(StartUp, TheGameInProgressIsKeptAtTheClose) {
    SetProgramFolder(dir.path());
    const QString kept = dir.filePath("savegames/" + InterruptedGameName + ".sav");
    const auto centre = [this](const char* square) {
        const SquareImage& im = W().IM(ImageIndexOf(square[1] - '0', square[0] - 'a' + 1));
        return W().picBoard()->ToWidget(QPointF(im.left + 22, im.top + 22)).toPoint();
    };
    const auto play = [&](const char* from, const char* to) {
        QTest::mousePress(W().picBoard(), Qt::LeftButton, {}, centre(from));
        QTest::mouseMove(W().picBoard(), centre(to));
        QTest::mouseRelease(W().picBoard(), Qt::LeftButton, {}, centre(to));
    };
    const struct {
        const char* what;
        int moves;    // moves played before the close
        bool blocked; // the saved-games folder cannot be made
        bool closeAnyway;
        bool ended, keptFile;
    } cases[] = {
        {"no move yet", 0, false, true, true, false},
        {"a move played", 1, false, true, true, true},
        {"cannot be kept, stay", 1, true, false, false, false},
        {"cannot be kept, close", 1, true, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(kept);
        QFile::remove(dir.filePath("savegames"));
        QDir(dir.filePath("savegames")).removeRecursively();
        if (c.blocked) PutFile(dir.filePath("savegames"), "x");
        QStringList asked;
        options.askCloseAnyway = [&](const QString& q) {
            asked << q;
            return c.closeAnyway;
        };
        program.reset();
        Start([](frmNovo& d) {
            d.ChooseMode(3);
            d.Jogar();
        });
        if (c.moves > 0) play("e2", "e4");
        ASSERT_EQ(W().MoveCount(), c.moves);
        M().Click(1);
        EXPECT_EQ(program->Ended(), c.ended);
        EXPECT_EQ(asked.size(), c.blocked ? 1 : 0);
        EXPECT_EQ(QFile::exists(kept), c.keptFile);
        if (c.keptFile) {
            const QString ini = dir.filePath("savegames/" + InterruptedGameName + ".sav");
            EXPECT_EQ(ReadIniValue(IniSection, "POSTION", ini, ""),
                      "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w - - 0");
            EXPECT_EQ(ReadIniValue(IniSection, "MOVE", ini, "") +
                          ReadIniValue(IniSection, "PLAYER", ini, ""),
                      "13");
        }
        if (!c.ended) {
            EXPECT_TRUE(W().isVisible());
        }
    }
    QFile::remove(dir.filePath("savegames"));
    SetProgramFolder(QString());
}

} // namespace
} // namespace corvane
