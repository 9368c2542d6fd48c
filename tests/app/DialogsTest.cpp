// The new-game dialog's choices and "&Jogar"/"&Cancelar" rules, the question and the splash.
#include "app/frmAviso.h"
#include "app/frmNovo.h"
#include "app/frmQuestion.h"
#include "app/frmSplash.h"
#include "files/Settings.h"
#include "files/modINI.h"
#include "game/frmMain.h"
#include "rules/GameState.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

struct DialogFixture : ::testing::Test {
    void SetUp() override {
        ResetGameState();
        NetworkGame = false;
    }
    // A dialog whose beeps are counted instead of sounded.
    std::unique_ptr<frmNovo> Open(int mode = 1, int level = 2, const QString& nick = QString()) {
        auto d = std::make_unique<frmNovo>(mode, level, nick, &owner);
        d->beep = [this] { ++beeps; };
        return d;
    }
    QWidget owner;
    int beeps = 0;
};

using NewGameDialog = DialogFixture;

// Clicking a caption or its radio image selects it; a right click does not.
TEST_F(NewGameDialog, ChoicesByMouseOnCaptionOrRadio) {
    auto d = Open(1, 1);
    d->show();
    d->ClickTab(1);
    QTest::mouseClick(d->imgModo[3].get(), Qt::LeftButton);
    QTest::mouseClick(d->lblModo[1].get(), Qt::RightButton);
    d->ClickTab(2);
    QTest::mouseClick(d->lblNivel[3].get(), Qt::LeftButton);
    d->ClickTab(3);
    QTest::mouseClick(d->lblRede[2].get(), Qt::LeftButton);
    EXPECT_EQ(d->SelectedMode() * 10 + d->SelectedLevel(), 33);
    EXPECT_FALSE(d->NetServerMode());
}

// Which tab was clicked last decides between a local and a network "&Jogar".
TEST_F(NewGameDialog, JogarStartsALocalGameOnlyWhenTab3WasNotTheLastClicked) {
    const std::pair<std::vector<int>, bool> rows[] = {
        {{}, true}, {{3}, false}, {{3, 1}, true}, {{1, 3}, false}, {{2, 3, 2}, true}};
    for (const auto& [tabs, local] : rows) {
        Level = 2;
        PlayerOption = 1;
        beeps = 0;
        auto d = Open(1, 2, QStringLiteral("JOAO"));
        d->ChooseMode(3);
        d->ChooseLevel(1);
        for (int t : tabs) QTest::mouseClick(d->Image1[t].get(), Qt::LeftButton);
        d->Jogar();
        EXPECT_EQ(d->result() == QDialog::Accepted, local) << "tabs " << tabs.size();
        EXPECT_EQ(Level * 10 + PlayerOption, local ? 13 : 21);
        EXPECT_EQ(beeps, local ? 0 : 1); // no network play wired: the network "&Jogar" beeps
    }
}

TEST_F(NewGameDialog, NetworkJogarChecksTheNick) {
    struct Row {
        QString typed, nick;
        bool accepted;
    };
    const std::vector<Row> rows{
        {QStringLiteral("abc   "), {}, false},
        {QStringLiteral("abcd"), QStringLiteral("ABCD"), true},
        {QStringLiteral("  ze ninguem "), QStringLiteral("ZE NINGUEM"), true}};
    for (const Row& r : rows) {
        beeps = 0;
        auto d = Open();
        std::vector<bool> started;
        d->startNetwork = [&](bool host) { started.push_back(host); };
        d->show();
        d->ClickTab(3);
        d->txtNome->clear();
        QTest::keyClicks(d->txtNome.get(), r.typed);
        EXPECT_FALSE(d->txtNome->text().startsWith(u' ')) << "leading blanks go as typed";
        QTest::keyClick(d->txtNome.get(), Qt::Key_Return); // Enter acts as "&Jogar"
        EXPECT_EQ(beeps, r.accepted ? 0 : 1) << r.typed.toStdString();
        EXPECT_EQ(d->PlayerNick(), r.nick);
        EXPECT_TRUE(d->isVisible()); // the dialog stays open under the connection dialog
        d->ChooseRede(2);
        d->Jogar();
        EXPECT_EQ(started, (r.accepted ? std::vector<bool>{true, false} : std::vector<bool>{}));
    }
}

TEST_F(NewGameDialog, RunningNetworkGameIsClosedFirstAndCancelChangesNothing) {
    int closes = 0;
    for (const bool network : {false, true}) {
        NetworkGame = network;
        auto d = Open();
        d->closeConnection = [&] { ++closes; };
        d->Jogar();
        EXPECT_EQ(closes, network ? 1 : 0);
    }
    NetworkGame = false;

    Level = 3;
    PlayerOption = 2;
    auto c = Open(2, 3);
    c->ChooseLevel(1);
    c->ChooseMode(1);
    QTimer::singleShot(0, c.get(), [&] { QTest::mouseClick(&c->lblCancelar, Qt::LeftButton); });
    EXPECT_EQ(c->exec(), QDialog::Rejected);
    EXPECT_EQ(Level * 10 + PlayerOption, 32);
}

// The firewall warning before hosting: once while "AVISO" allows it, which it writes on close.
TEST_F(NewGameDialog, FirewallWarningFollowsAviso) {
    QTemporaryDir dir;
    SetProgramFolder(dir.path());
    struct Row {
        bool hidden;  // "AVISO=True" stored before the dialog opens
        bool running; // the firewall product runs
        int rede;     // 1 host, 2 join
        int warnings; // after two presses of "&Jogar"
    };
    const Row rows[] = {
        {false, true, 1, 1}, {true, true, 1, 0}, {false, false, 1, 0}, {false, true, 2, 0}};
    for (const Row& r : rows) {
        QFile::remove(ConfigPath());
        ASSERT_TRUE(!r.hidden || WriteWarningHidden(true));
        auto d = Open();
        int warnings = 0, starts = 0;
        d->antivirusRunning = [&] { return r.running; };
        d->showWarning = [&] { ++warnings; };
        d->startNetwork = [&](bool) { ++starts; };
        d->ClickTab(3);
        d->ChooseRede(r.rede);
        d->txtNome->setText(QStringLiteral("JOGADOR"));
        d->Jogar();
        d->Jogar();
        EXPECT_EQ(warnings, r.warnings) << r.hidden << r.running << r.rede;
        EXPECT_EQ(starts, 2);
    }

    // The warning itself: one information beep, and the box kept as "AVISO".
    for (const bool ticked : {true, false}) {
        frmAviso warning;
        int beeps = 0;
        warning.beep = [&] { ++beeps; };
        warning.show();
        warning.hide();
        warning.show();
        EXPECT_EQ(beeps, 1); // once per warning, not per show
        warning.chkExibir.setChecked(ticked);
        warning.cmdOK.click();
        EXPECT_EQ(ReadIniValue(IniSection, "AVISO", ConfigPath(), ""), ticked ? "True" : "False");
        EXPECT_EQ(Open()->WarningAllowed(), !ticked);
    }
    SetProgramFolder(QString());
}

// The new-game dialog: Enter plays (from any tab's control), Esc cancels.
TEST_F(NewGameDialog, EnterPlaysEscapeCancels) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        auto d = Open(2, 3);
        d->show();
        QTest::keyClick(d.get(), key);
        EXPECT_EQ(d->Confirmed(), key == Qt::Key_Return);
        EXPECT_FALSE(d->isVisible());
    }
}

// The question's answer by click, Enter (the focused button, else "&Sim") or
// Esc; the pause notice closes with Enter or Esc; the splash ends even if its
// timer runs out in show().
TEST(QuestionAndSplash, AnswersAndClose) {
    frmQuestion yes(false);
    QTimer::singleShot(0, &yes, [&] { QTest::mouseClick(&yes.lblSim, Qt::LeftButton); });
    yes.exec();
    EXPECT_TRUE(yes.Answer());
    const struct {
        Qt::Key key;
        bool focusNao, answer;
    } keys[] = {{Qt::Key_Return, false, true},
                {Qt::Key_Enter, false, true},
                {Qt::Key_Return, true, false},
                {Qt::Key_Escape, false, false}};
    for (const auto& k : keys) {
        frmQuestion question(false);
        QTimer::singleShot(0, &question, [&] {
            if (k.focusNao) question.lblNao.setFocus();
            QTest::keyClick(&question, k.key);
        });
        question.exec();
        EXPECT_EQ(question.Answer(), k.answer) << k.key << k.focusNao;
    }
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        frmPause pause;
        bool hung = false;
        QTimer::singleShot(0, &pause, [&] { QTest::keyClick(&pause, key); });
        QTimer::singleShot(10000, &pause, [&] { // a hang guard
            hung = true;
            pause.reject();
        });
        pause.exec();
        EXPECT_FALSE(hung) << key;
    }

    frmSplash instant(0);
    bool hung = false;
    QTimer::singleShot(10000, &instant, [&] { // a hang guard
        hung = true;
        instant.show();
        instant.accept();
    });
    instant.Run();
    EXPECT_FALSE(hung);
    EXPECT_FALSE(instant.isVisible());
    EXPECT_EQ(instant.result(), QDialog::Accepted);
}

} // namespace
} // namespace corvane
