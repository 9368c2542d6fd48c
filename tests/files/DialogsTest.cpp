// The Save and Open windows driven as a user does, headless, over a plain
// board view standing in for the main window.
#include "files/SavedGame.h"
#include "files/frmAbrir.h"
#include "files/frmSalvar.h"
#include "files/modINI.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"
#include "shell/kit/QuestionBox.h"

#include "files/FileTestSupport.h"
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <random>

namespace corvane {
namespace {

const std::string Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0";

class FileDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(dir_.path());
        ASSERT_TRUE(MakeSaveFolder());
        Level = 2;
        PlayerOption = 1;
        SideToMove = "W";
        LoadedGame = false;
        LoadedSide = 0;
        WhiteAtBottom = true;
        std::string side;
        LoadPosition(view_, Start, side);
    }
    void TearDown() override { SetProgramFolder(QString()); }
    static void Put(const QString& name, const QByteArray& bytes) {
        PutFile(SavedGamePath(name), bytes);
    }
    static QString Key(const QString& name, const char* key) {
        return ReadIniValue(IniSection, key, SavedGamePath(name), "<none>");
    }
    // A save window whose question, message and beep are recorded.
    struct Save {
        explicit Save(SquareImages& view) : dialog(view) {
            dialog.askOverwrite = [this](const QString& q) {
                questions << q;
                return answer;
            };
            dialog.tellFailure = [this](const QString& m) { messages << m; };
            dialog.beep = [this] { ++beeps; };
            dialog.show();
        }
        frmSalvar dialog;
        bool answer = true;
        QStringList questions;
        QStringList messages;
        int beeps = 0;
    };
    QTemporaryDir dir_;
    PlainSquareImages view_;
};

TEST_F(FileDialogs, SaveProposesANameAndFiltersTyping) {
    for (const char* name : {"a", "b", "c"}) Put(name, "x");
    Save save(view_);
    EXPECT_EQ(save.dialog.txtNome.text(), "Game 04");
    save.dialog.txtNome.clear();
    QTest::keyClicks(&save.dialog.txtNome, "  Jo?go: \\final|");
    EXPECT_EQ(save.dialog.txtNome.text(), "Jogo final"); // filtered as typed
    save.dialog.txtNome.clear();
    QTest::keyClicks(&save.dialog.txtNome, "   ");
    EXPECT_EQ(save.dialog.txtNome.text(), "");
    QTest::mouseClick(&save.dialog.lblOk, Qt::LeftButton);
    EXPECT_EQ(save.beeps, 1);
    EXPECT_TRUE(save.dialog.isVisible());
    EXPECT_EQ(ListSavedGames().size(), 3);
}

TEST_F(FileDialogs, SaveWritesTheBoardAndTheGameValues) {
    std::string side;
    LoadPosition(view_, "4k3/8/8/8/8/8/8/4K2R w - - 0", side);
    SideToMove = "B";
    Level = 3;
    PlayerOption = 2;
    Save save(view_);
    save.dialog.txtNome.setText("Final");
    QTest::mouseClick(&save.dialog.lblOk, Qt::LeftButton);
    EXPECT_EQ(save.dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(save.questions.isEmpty());
    EXPECT_EQ(Key("Final", "POSTION"), "4k3/8/8/8/8/8/8/4K2R w - - 0");
    EXPECT_EQ(Key("Final", "DIFFICULTY"), "3");
    EXPECT_EQ(Key("Final", "PLAYER"), "2");
    EXPECT_EQ(Key("Final", "MOVE"), "1");
    EXPECT_EQ(Key("Final", "DATA").size(), 16);
}

TEST_F(FileDialogs, SaveAsksBeforeReplacingAndReportsFailure) {
    Put("Old", "[Corvane]\nPOSTION=8/8/8/8/8/8/8/8 w - - 0\n");
    Save yes(view_);
    yes.dialog.txtNome.setText("Old");
    yes.dialog.lblOk.click();
    EXPECT_EQ(yes.questions,
              QStringList{QString::fromUtf8("O arquivo Old já existe, deseja Substituí-lo?")});
    EXPECT_EQ(Key("Old", "POSTION"), QString::fromStdString(Start));
    EXPECT_EQ(yes.dialog.result(), QDialog::Accepted);

    // A folder where the file should go cannot be replaced: the user is told
    // and the window stays open.
    ASSERT_TRUE(QDir().mkpath(SavedGamePath("Blocked")));
    Save blocked(view_);
    blocked.dialog.txtNome.setText("Blocked");
    blocked.dialog.lblOk.click();
    EXPECT_EQ(blocked.messages, QStringList{SaveFailedMessage("Blocked")});
    EXPECT_TRUE(blocked.dialog.isVisible());
    EXPECT_NE(blocked.dialog.result(), QDialog::Accepted);
}

// The replace question as the program asks it; "&Não" writes nothing.
TEST_F(FileDialogs, OverwriteQuestionNoKeepsTheFile) {
    Put("Old", "[Corvane]\nPOSTION=8/8/8/8/8/8/8/8 w - - 0\n");
    frmSalvar dialog(view_);
    dialog.show();
    dialog.txtNome.setText("Old");
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QuestionBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->Label2.text();
        QTest::mouseClick(&box->lblNao, Qt::LeftButton);
    });
    dialog.lblOk.click();
    EXPECT_EQ(text, QString::fromUtf8("O arquivo Old já existe, deseja Substituí-lo?"));
    EXPECT_TRUE(dialog.isVisible()); // "no": nothing written, the window stays
    EXPECT_EQ(Key("Old", "POSTION"), "8/8/8/8/8/8/8/8 w - - 0");
}

TEST_F(FileDialogs, OpenWithoutSavedGamesDoesNothing) {
    frmAbrir open(view_);
    open.show();
    EXPECT_EQ(open.List1.count(), 0);
    EXPECT_FALSE(open.lblData.isVisible());
    QTest::mouseClick(&open.lblAbrir, Qt::LeftButton);
    QTest::mouseClick(&open.lblExcluir, Qt::LeftButton);
    EXPECT_FALSE(LoadedGame);
    EXPECT_TRUE(open.isVisible());
}

TEST_F(FileDialogs, OpenPreviewsAndDeletes) {
    Put("A", "[Corvane]\nDATA=01/02/26 - 10:00\nPOSTION=" + QByteArray(Start.c_str()) + "\n");
    Put("B", "[Corvane]\nDATA=02/02/26 - 11:00\nPOSTION=4k3/8/8/8/8/8/8/4K3 w - - 0\n");
    Put("C", "[Corvane]\nDATA=03/02/26 - 12:00\n");
    frmAbrir open(view_);
    open.show();
    QStringList messages;
    open.tellFailure = [&](const QString& m) { messages << m; };
    ASSERT_EQ(open.List1.count(), 3);
    EXPECT_EQ(open.List1.currentRow(), 0);
    EXPECT_TRUE(open.lblData.isVisible());
    EXPECT_EQ(open.lblData.text(), "Jogo salvo em: 01/02/26 - 10:00");
    EXPECT_EQ(open.picBoard.imgPiece(0), "BR");

    open.List1.setCurrentRow(1);
    EXPECT_EQ(open.picBoard.imgPiece(0), "");
    EXPECT_EQ(open.picBoard.imgPiece(4), "BK");

    open.List1.setCurrentRow(2); // deleting the third selects the second
    QTest::mouseClick(&open.lblExcluir, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(SavedGamePath("C")));
    EXPECT_EQ(open.List1.count(), 2);
    EXPECT_EQ(open.List1.currentItem()->text(), "B");
    EXPECT_EQ(open.lblData.text(), "Jogo salvo em: 02/02/26 - 11:00");

    open.List1.setCurrentRow(0); // deleting the first selects the new first
    QTest::mouseClick(&open.lblExcluir, Qt::LeftButton);
    EXPECT_EQ(open.List1.count(), 1);
    EXPECT_EQ(open.List1.currentItem()->text(), "B");
    EXPECT_EQ(open.picBoard.imgPiece(4), "BK");

    // A saved game that cannot be deleted keeps its entry and says so.
    ASSERT_TRUE(QFile::remove(SavedGamePath("B")));
    ASSERT_TRUE(QDir().mkpath(SavedGamePath("B") + "/inside"));
    open.lblExcluir.click();
    EXPECT_EQ(messages, QStringList{DeleteFailedMessage("B")});
    EXPECT_EQ(open.List1.count(), 1);

    QTest::mouseClick(&open.lblExcluir, Qt::LeftButton);
    EXPECT_EQ(open.List1.count(), 1);
}

TEST_F(FileDialogs, OpenLoadsTheGameOrRefusesIt) {
    Put("Black", "[Corvane]\nPOSTION=4k3/8/8/8/8/8/8/4K2R w - - 0\nPLAYER=3\nMOVE=1\n");
    Put("Broken", "[Corvane]\nPOSTION=8/8/8/8/8/8/8/8 w - - 0\nDIFFICULTY=3\nMOVE=1\n");
    const int clearsBefore = view_.Clears();
    {
        frmAbrir open(view_);
        QStringList messages;
        open.tellFailure = [&](const QString& m) { messages << m; };
        open.List1.setCurrentRow(1); // "Broken"
        ASSERT_EQ(open.List1.currentItem()->text(), "Broken");
        open.lblAbrir.click();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(QString::fromUtf8("um rei de cada cor")));
        EXPECT_FALSE(LoadedGame);
        EXPECT_EQ(Level, 2);
        EXPECT_EQ(view_.Tag(0), "BR"); // the game in progress is untouched
        EXPECT_EQ(view_.Clears(), clearsBefore);
    }
    frmAbrir open(view_);
    open.List1.setCurrentRow(0);
    open.lblAbrir.click();
    EXPECT_EQ(open.result(), QDialog::Accepted);
    EXPECT_TRUE(LoadedGame);
    EXPECT_EQ(LoadedSide, 1); // Black to move although the text says "w"
    EXPECT_EQ(Level, 2);      // no DIFFICULTY: the level stays
    EXPECT_EQ(PlayerOption, 3);
    EXPECT_EQ(view_.Tag(0), "");
    EXPECT_EQ(view_.Tag(4), "BK");
    EXPECT_EQ(view_.Tag(63), "WR");
    EXPECT_EQ(view_.Clears(), clearsBefore + 1); // move list and move label cleared
}

// Damaged saved games through the Open window: previewing (and painting) each
// one and pressing "&Abrir" either refuses it with the board untouched or
// loads a board with one king of each colour.
TEST_F(FileDialogs, DamagedSavedGamesNeverReachTheBoardBroken) {
    std::mt19937 random(1243);
    const QByteArray pieces[] = {"[Corvane]\n",
                                 "POSTION=",
                                 "MOVE=1\n",
                                 "DIFFICULTY=9\n",
                                 "PLAYER=-2\n",
                                 "DATA=",
                                 "4k3/8/8/8/8/8/8/4K3 w - - 0\n",
                                 "K",
                                 "k",
                                 "9",
                                 "/",
                                 "\xFF\xFE",
                                 QByteArray(1, '\0'),
                                 "\r\n",
                                 " ",
                                 QByteArray(3000, 'Q')};
    for (int n = 0; n < 40; ++n) {
        // Every fifth one starts as a good saved game and is damaged after it.
        QByteArray bytes = n % 5 == 0 ? "[Corvane]\nPOSTION=4k3/8/8/8/8/8/8/4K3 w - - 0\n" : "";
        const int count = static_cast<int>(random() % 30);
        for (int i = 0; i < count; ++i) {
            if (random() % 8 == 0)
                bytes.append(static_cast<char>(random() % 256));
            else
                bytes.append(pieces[random() % std::size(pieces)]);
        }
        Put(QStringLiteral("f%1").arg(n, 2, 10, QChar(u'0')), bytes);
    }
    frmAbrir open(view_);
    QStringList messages;
    open.tellFailure = [&](const QString& m) { messages << m; };
    open.show();
    ASSERT_EQ(open.List1.count(), 40);
    int opened = 0;
    for (int row = 0; row < open.List1.count(); ++row) {
        std::string side;
        LoadPosition(view_, Start, side);
        LoadedGame = false;
        open.List1.setCurrentRow(row);
        open.grab(); // paints the preview
        const qsizetype told = messages.size();
        open.lblAbrir.click();
        const QString name = open.List1.item(row)->text();
        if (!LoadedGame) {
            EXPECT_EQ(messages.size(), told + 1) << name.toStdString();
            EXPECT_EQ(view_.Tag(0), "BR") << name.toStdString();
            EXPECT_EQ(view_.Tag(60), "WK") << name.toStdString();
            continue;
        }
        ++opened;
        int whiteKings = 0, blackKings = 0;
        for (int i = 0; i < 64; ++i) {
            whiteKings += view_.Tag(i) == "WK";
            blackKings += view_.Tag(i) == "BK";
        }
        EXPECT_EQ(whiteKings, 1) << name.toStdString();
        EXPECT_EQ(blackKings, 1) << name.toStdString();
        EXPECT_GE(Level, 1);
        EXPECT_LE(Level, 3);
        EXPECT_TRUE(LoadedSide == 0 || LoadedSide == 1);
        open.setResult(0);
        open.show();
    }
    EXPECT_GT(opened, 0); // the table holds playable files too
    EXPECT_LT(opened, 40);
}

} // namespace
} // namespace corvane
