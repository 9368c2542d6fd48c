// The shell's dialogs over the real widgets: the new-game dialog's choices and
// its "&Jogar"/"&Cancelar" rules, the question and the splash.
#include "assets/frmPieces.h"
#include "files/Settings.h"
#include "files/modINI.h"
#include "rules/GameState.h"
#include "shell/app/frmAviso.h"
#include "shell/app/frmNovo.h"
#include "shell/app/frmQuestion.h"
#include "shell/app/frmSplash.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

const QColor kIdle(89, 150, 168);
const QColor kChosen(192, 246, 249);

// The colour the label is painted with, style sheets included.
QColor TextColour(QLabel& l) {
    l.ensurePolished();
    return l.palette().color(QPalette::WindowText);
}
bool Same(const QPixmap& a, const QPixmap& b) {
    return a.toImage() == b.toImage();
}
QPixmap Pic(const char* name) {
    return frmPieces::Instance().Pixmap(QString::fromLatin1(name));
}

struct DialogFixture : ::testing::Test {
    void SetUp() override {
        ResetGameState();
        NetworkGame = false;
    }
    // A dialog whose beeps are counted instead of sounded, over a window whose
    // label style must not leak into it.
    std::unique_ptr<frmNovo> Open(int mode = 1, int level = 2, const QString& nick = QString()) {
        owner.setStyleSheet(QStringLiteral("QLabel { color: #3a2e26; }"));
        auto d = std::make_unique<frmNovo>(mode, level, nick, &owner);
        d->beep = [this] { ++beeps; };
        return d;
    }
    QWidget owner;
    int beeps = 0;
};

using NewGameDialog = DialogFixture;

TEST_F(NewGameDialog, OpensWithThePreviousChoicesAndTheNick) {
    auto d = Open(2, 3, QStringLiteral("maria"));
    EXPECT_EQ(d->txtNome->text(), QStringLiteral("MARIA"));
    EXPECT_EQ(d->SelectedMode(), 2);
    EXPECT_EQ(d->SelectedLevel(), 3);
    EXPECT_TRUE(d->NetServerMode());
    EXPECT_FALSE(d->NetworkTab());
    EXPECT_TRUE(Same(d->imgRede[1]->pixmap(), Pic("radiodown")));
    EXPECT_TRUE(Same(d->imgRede[2]->pixmap(), Pic("radioup")));

    const QString account = SystemUserName();
    ASSERT_FALSE(account.isEmpty());
    EXPECT_EQ(Open(1, 2, QString())->txtNome->text(), account.toUpper());
}

// Clicking a caption or its radio image selects it; the group is recoloured.
TEST_F(NewGameDialog, ChoicesByMouseOnCaptionOrRadio) {
    auto d = Open(1, 1);
    d->show();
    struct Row {
        int group; // 1 mode, 2 level, 3 network
        int index;
        bool onRadio;
    };
    const std::vector<Row> rows{{1, 2, false}, {1, 3, true}, {2, 3, false},
                                {2, 1, true},  {3, 2, true}, {3, 1, false}};
    for (const Row& r : rows) {
        d->ClickTab(r.group);
        auto& captions = r.group == 1 ? d->lblModo : d->lblNivel;
        ClickLabel* target = nullptr;
        if (r.group == 3)
            target = r.onRadio ? d->imgRede[r.index].get() : d->lblRede[r.index].get();
        else
            target = r.onRadio ? (r.group == 1 ? d->imgModo : d->imgNivel)[r.index].get()
                               : captions[r.index].get();
        QTest::mouseClick(target, Qt::LeftButton);
        const int count = r.group == 3 ? 2 : 3;
        for (int i = 1; i <= count; ++i) {
            QLabel& cap = r.group == 3 ? *d->lblRede[i] : *captions[i];
            const QLabel& radio =
                r.group == 3 ? *d->imgRede[i] : *(r.group == 1 ? d->imgModo : d->imgNivel)[i];
            const bool chosen = i == r.index;
            EXPECT_EQ(TextColour(cap), chosen ? kChosen : kIdle)
                << r.group << "/" << r.index << " caption " << i;
            EXPECT_TRUE(Same(radio.pixmap(), chosen ? Pic("radiodown") : Pic("radioup")));
        }
        const int stored = r.group == 1 ? d->SelectedMode() : r.group == 2 ? d->SelectedLevel() : 0;
        if (r.group == 3) {
            EXPECT_EQ(d->NetServerMode(), r.index == 1);
        } else {
            EXPECT_EQ(stored, r.index);
        }
    }
    // A right click does not choose.
    d->ClickTab(1);
    QTest::mouseClick(d->lblModo[1].get(), Qt::RightButton);
    EXPECT_EQ(d->SelectedMode(), 3);
}

TEST_F(NewGameDialog, ModeIconsShowWhoPlaysWhiteAndBlack) {
    auto d = Open();
    struct Row {
        int mode;
        QPixmap white, black;
    };
    // each icon wears the colour of the pieces it plays: variant 1 White, 2 Black
    const std::vector<Row> rows{{1, Pic("imgJog1"), Pic("imgCPU2")},
                                {2, Pic("imgCPU1"), Pic("imgJog2")},
                                {3, Pic("imgJog1"), Pic("imgJog2")}};
    for (const Row& r : rows) {
        d->ChooseMode(r.mode);
        EXPECT_TRUE(Same(d->imgVez[1]->pixmap(), r.white)) << r.mode;
        EXPECT_TRUE(Same(d->imgVez[2]->pixmap(), r.black)) << r.mode;
    }
}

// Which tab was clicked last decides between a local and a network "&Jogar".
TEST_F(NewGameDialog, JogarStartsALocalGameOnlyWhenTab3WasNotTheLastClicked) {
    struct Row {
        std::vector<int> tabs;
        bool local;
    };
    const std::vector<Row> rows{{{}, true},      {{2}, true},       {{3}, false},
                                {{3, 1}, true},  {{3, 2}, true},    {{1, 3}, false},
                                {{3, 3}, false}, {{2, 3, 2}, true}, {{3, 2, 3}, false}};
    for (const Row& r : rows) {
        Level = 2;
        PlayerOption = 1;
        beeps = 0;
        auto d = Open(1, 2, QStringLiteral("JOAO"));
        d->ChooseMode(3);
        d->ChooseLevel(1);
        for (int t : r.tabs) QTest::mouseClick(d->Image1[t].get(), Qt::LeftButton);
        d->Jogar();
        EXPECT_EQ(d->Confirmed(), r.local) << "tabs " << r.tabs.size();
        EXPECT_EQ(d->result() == QDialog::Accepted, r.local);
        EXPECT_EQ(Level, r.local ? 1 : 2);
        EXPECT_EQ(PlayerOption, r.local ? 3 : 1);
        EXPECT_EQ(beeps, r.local ? 0 : 1); // no network play yet: the network "&Jogar" beeps
    }
}

TEST_F(NewGameDialog, NetworkJogarChecksTheNick) {
    struct Row {
        QString typed;
        bool accepted;
        QString nick;
    };
    const std::vector<Row> rows{
        {QStringLiteral("abc"), false, {}},
        {QStringLiteral("abc   "), false, {}},
        {QStringLiteral("   ab"), false, {}},
        {QStringLiteral("abcd"), true, QStringLiteral("ABCD")},
        {QStringLiteral("  ze ninguem "), true, QStringLiteral("ZE NINGUEM")}};
    for (const Row& r : rows) {
        beeps = 0;
        auto d = Open();
        std::vector<bool> started;
        d->startNetwork = [&](bool host) { started.push_back(host); };
        d->show();
        d->ClickTab(3);
        d->txtNome->clear();
        QTest::keyClicks(d->txtNome.get(), r.typed);
        EXPECT_FALSE(d->txtNome->text().startsWith(QLatin1Char(' '))) << r.typed.toStdString();
        QTest::keyClick(d->txtNome.get(), Qt::Key_Return); // Enter acts as "&Jogar"
        EXPECT_EQ(beeps, r.accepted ? 0 : 1) << r.typed.toStdString();
        EXPECT_EQ(started.size(), r.accepted ? 1u : 0u);
        EXPECT_EQ(d->PlayerNick(), r.nick);
        EXPECT_FALSE(d->Confirmed());
        EXPECT_TRUE(d->isVisible()); // the dialog stays open under the connection dialog
        if (!r.accepted) {
            EXPECT_EQ(d->focusWidget(), d->txtNome.get());
        }
        if (r.accepted) {
            d->ChooseRede(2);
            d->Jogar();
            ASSERT_EQ(started.size(), 2u);
            EXPECT_TRUE(started[0]);
            EXPECT_FALSE(started[1]);
        }
    }
}

TEST_F(NewGameDialog, RunningNetworkGameIsClosedFirstAndCancelChangesNothing) {
    auto d = Open();
    int closes = 0;
    d->closeConnection = [&] { ++closes; };
    d->Jogar();
    EXPECT_EQ(closes, 0);
    NetworkGame = true;
    auto d2 = Open();
    d2->closeConnection = [&] { ++closes; };
    d2->Jogar();
    EXPECT_EQ(closes, 1);
    NetworkGame = false;

    Level = 3;
    PlayerOption = 2;
    auto c = Open(2, 3);
    c->ChooseLevel(1);
    c->ChooseMode(1);
    QTimer::singleShot(0, c.get(), [&] { QTest::mouseClick(&c->lblCancelar, Qt::LeftButton); });
    EXPECT_EQ(c->exec(), QDialog::Rejected);
    EXPECT_FALSE(c->Confirmed());
    EXPECT_EQ(Level, 3);
    EXPECT_EQ(PlayerOption, 2);
}

// The firewall warning before hosting: offered once while "AVISO" allows it,
// and "AVISO" written as the warning closes.
TEST_F(NewGameDialog, FirewallWarningFollowsAviso) {
    QTemporaryDir dir;
    SetProgramFolder(dir.path());
    struct Row {
        const char* aviso; // stored before the dialog opens; nullptr: no setting
        bool running;      // the firewall product runs
        int rede;          // 1 host, 2 join
        int warnings;      // after two presses of "&Jogar"
    };
    const Row rows[] = {
        {nullptr, true, 1, 1},  {"False", true, 1, 1}, {"True", true, 1, 0},
        {nullptr, false, 1, 0}, {nullptr, true, 2, 0},
    };
    for (const Row& r : rows) {
        QFile::remove(ConfigPath());
        if (r.aviso != nullptr) {
            ASSERT_TRUE(WriteWarningHidden(r.aviso == std::string("True")));
        }
        auto d = Open();
        EXPECT_EQ(d->WarningAllowed(), r.aviso == nullptr || r.aviso == std::string("False"));
        int warnings = 0, starts = 0;
        d->antivirusRunning = [&] { return r.running; };
        d->showWarning = [&] { ++warnings; };
        d->startNetwork = [&](bool) { ++starts; };
        d->ClickTab(3);
        d->ChooseRede(r.rede);
        d->txtNome->setText(QStringLiteral("JOGADOR"));
        d->Jogar();
        d->Jogar();
        EXPECT_EQ(warnings, r.warnings) << (r.aviso ? r.aviso : "-") << r.running << r.rede;
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
        EXPECT_EQ(beeps, 1);
        warning.chkExibir.setChecked(ticked);
        warning.cmdOK.click();
        EXPECT_FALSE(warning.isVisible());
        EXPECT_EQ(ReadIniValue(IniSection, "AVISO", ConfigPath(), ""), ticked ? "True" : "False");
        EXPECT_EQ(Open()->WarningAllowed(), !ticked);
    }
    SetProgramFolder(QString());
}

// The question's answer by click or Esc; the splash ends its wait even when
// its timer runs out while the window is being shown (Qt runs events inside a
// splash window's show()).
TEST(QuestionAndSplash, AnswersAndClose) {
    for (const bool network : {false, true}) {
        for (const bool yes : {true, false}) {
            frmQuestion q(network);
            ImageButton* b = yes ? &q.lblSim : &q.lblNao;
            QTimer::singleShot(0, &q, [b] { QTest::mouseClick(b, Qt::LeftButton); });
            q.exec();
            EXPECT_EQ(q.Answer(), yes);
            EXPECT_FALSE(q.isVisible());
        }
    }
    frmQuestion esc(false);
    QTimer::singleShot(0, &esc, [&] { QTest::keyClick(&esc, Qt::Key_Escape); });
    esc.exec();
    EXPECT_FALSE(esc.Answer());

    frmSplash standard;
    EXPECT_FALSE(standard.tmrClose.isActive()); // counts from the moment it shows
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
