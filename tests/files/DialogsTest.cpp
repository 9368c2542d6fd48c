// The Save and Open windows driven as a user does, over a plain board view.
#include "files/SavedGame.h"
#include "files/frmAbrir.h"
#include "files/frmSalvar.h"
#include "files/modINI.h"
#include "kit/PlainText.h"
#include "kit/QuestionBox.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"

#include "files/FileTestSupport.h"
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
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
        LoadBoardFromView(view_, 0); // the game's position, which a save writes
        qputenv("XDG_DATA_HOME", dir_.filePath("share").toLocal8Bit()); // the trash in here
    }
    void TearDown() override {
        SetProgramFolder(QString());
        qunsetenv("XDG_DATA_HOME");
    }
    static void Put(const QString& name, const QByteArray& bytes) {
        PutFile(SavedGamePath(name), bytes);
    }
    static QString Key(const QString& name, const char* key) {
        return ReadIniValue(IniSection, key, SavedGamePath(name), "<none>");
    }
    // A save window whose question, message and beep are recorded.
    struct Save {
        Save() {
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
        QStringList questions, messages;
        int beeps = 0;
    };
    QTemporaryDir dir_;
    PlainSquareImages view_;
};

TEST_F(FileDialogs, SaveFiltersWritesAndAsksBeforeReplacing) {
    for (const char* name : {"a", "b", "c"}) Put(name, "x");
    Save save;
    EXPECT_EQ(save.dialog.txtNome.text(), "Game 04");
    save.dialog.txtNome.clear();
    QTest::keyClicks(&save.dialog.txtNome, "   ");
    QTest::mouseClick(&save.dialog.lblOk, Qt::LeftButton);
    EXPECT_EQ(save.beeps, 1); // no name: nothing saved, the window stays
    EXPECT_TRUE(save.dialog.isVisible());
    QTest::keyClicks(&save.dialog.txtNome, "  Jo?go: \\final|");
    EXPECT_EQ(save.dialog.txtNome.text(), "Jogo final"); // filtered as typed

    std::string side;
    LoadPosition(view_, "4k3/8/8/8/8/8/8/4K2R w - - 0", side);
    LoadBoardFromView(view_, 0);
    SideToMove = "B";
    Level = 3;
    QTest::mouseClick(&save.dialog.lblOk, Qt::LeftButton);
    EXPECT_EQ(save.dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(save.questions.isEmpty());
    EXPECT_EQ(Key("Jogo final", "POSTION"), "4k3/8/8/8/8/8/8/4K2R w - - 0");
    EXPECT_EQ(Key("Jogo final", "DIFFICULTY") + Key("Jogo final", "MOVE"), "31");

    LoadPosition(view_, Start, side);
    LoadBoardFromView(view_, 0);
    for (const bool replace : {false, true}) { // asked first; "no" writes nothing
        Save again;
        again.answer = replace;
        again.dialog.txtNome.setText("Jogo final");
        again.dialog.lblOk.click();
        EXPECT_EQ(again.questions.size(), 1);
        EXPECT_EQ(again.dialog.isVisible(), !replace);
        EXPECT_EQ(Key("Jogo final", "POSTION") == QString::fromStdString(Start), replace);
    }

    // A folder where the file should go: the user is told and the window stays.
    ASSERT_TRUE(QDir().mkpath(SavedGamePath("Blocked")));
    Save blocked;
    blocked.dialog.txtNome.setText("Blocked");
    blocked.dialog.lblOk.click();
    EXPECT_EQ(blocked.messages, QStringList{SaveFailedMessage("Blocked")});
    EXPECT_TRUE(blocked.dialog.isVisible());
}

TEST_F(FileDialogs, OpenPreviewsAndDeletes) {
    {
        frmAbrir none(view_); // nothing to open or delete: the buttons do nothing
        none.lblAbrir.click();
        none.lblExcluir.click();
        EXPECT_FALSE(LoadedGame);
    }
    Put("A", "[Corvane]\nDATA=01/02/26 - 10:00\nPOSTION=" + QByteArray(Start.c_str()) + "\n");
    Put("B", "[Corvane]\nDATA=02/02/26 - 11:00\nPOSTION=4k3/8/8/8/8/8/8/4K3 w - - 0\n");
    Put("C", "[Corvane]\nDATA=03/02/26 - 12:00\n");
    frmAbrir open(view_);
    open.show();
    QStringList messages;
    open.tellFailure = [&](const QString& m) { messages << m; };
    ASSERT_EQ(open.List1.count(), 3);
    EXPECT_EQ(open.lblData.text(), "Jogo salvo em: 01/02/26 - 10:00");
    EXPECT_EQ(open.picBoard.imgPiece(0), "BR");

    open.List1.setCurrentRow(2); // deleting the last selects the one before
    QTest::mouseClick(&open.lblExcluir, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(SavedGamePath("C")));
    EXPECT_TRUE(QFile::exists(dir_.filePath("share/Trash/files/C.sav")));
    EXPECT_EQ(open.List1.currentItem()->text(), "B");
    EXPECT_EQ(open.lblData.text(), "Jogo salvo em: 02/02/26 - 11:00");
    EXPECT_EQ(open.picBoard.imgPiece(0), "");
    EXPECT_EQ(open.picBoard.imgPiece(4), "BK");

    open.List1.setCurrentRow(0);
    QTest::mouseClick(&open.lblExcluir, Qt::LeftButton);

    // A saved game the trash cannot take stays, keeps its entry and says so.
    PutFile(dir_.filePath("plain"), "x");
    qputenv("XDG_DATA_HOME", dir_.filePath("plain/share").toLocal8Bit());
    open.lblExcluir.click();
    EXPECT_EQ(messages, QStringList{DeleteFailedMessage("B")});
    EXPECT_EQ(open.List1.count(), 1);
    EXPECT_TRUE(QFile::exists(SavedGamePath("B")));
}

// A saved game's date and name are outside text: shown as plain text, the date
// cleaned and cut; a failure naming the game is a plain message box.
TEST_F(FileDialogs, OpenShowsTheFilesTextAsPlainText) {
    const QString hostile[] = {"<img src=/dev/zero>", "<font size=7>12/05/24</font>",
                               QString::fromLatin1("a\x01\x1b[1mb\tc"),
                               QString::fromUtf8("\u202E42/01/24 <b>x</b>\u200F"),
                               QString(100 * 1024, u'<')};
    for (const QString& text : hostile) {
        SCOPED_TRACE(text.left(30).toStdString());
        // The name: what a file name may hold of it.
        const QString name = text.left(60).remove(u'/');
        Put(name, "[Corvane]\nDATA=" + text.toUtf8() + "\nPOSTION=8/8/8 w\n");
        frmAbrir open(view_);
        ASSERT_EQ(open.List1.count(), 1);
        const QString shown = CleanOutsideText(name);
        EXPECT_EQ(open.List1.item(0)->text(), shown);
        EXPECT_EQ(QTextDocumentFragment::fromHtml(open.List1.item(0)->toolTip()).toPlainText(),
                  shown);
        const QString date = open.lblData.text();
        EXPECT_EQ(open.lblData.textFormat(), Qt::PlainText);
        EXPECT_TRUE(date.startsWith("Jogo salvo em: ") && date.size() <= 40);
        EXPECT_TRUE(std::none_of(date.begin(), date.end(), [](QChar c) {
            return c.category() == QChar::Other_Control || c == QChar(0x202E);
        }));
        EXPECT_TRUE(text.size() > 24 || !text.startsWith(u'<') || date.endsWith(text));
        // "&Abrir" refuses the damaged position in a plain warning notice.
        QStringList boxes;
        QTimer::singleShot(0, [&] {
            auto* box = dynamic_cast<NoticeDialog*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            boxes << box->Label2.text();
            EXPECT_EQ(box->Label2.textFormat(), Qt::PlainText);
            box->done(0);
        });
        open.lblAbrir.click();
        EXPECT_EQ(boxes.size(), 1);
        EXPECT_FALSE(LoadedGame);
        ASSERT_TRUE(QFile::remove(SavedGamePath(name)));
    }
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
    QStringList messages, notes;
    open.tellFailure = [&](const QString& m) { messages << m; };
    open.tellNote = [&](const QString& m) { notes << m; };
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
            EXPECT_TRUE(messages.size() == told + 1 && view_.Tag(0) == "BR" &&
                        view_.Tag(60) == "WK")
                << name.toStdString(); // refused and said so; the board untouched
            continue;
        }
        ++opened;
        QString tags;
        for (int i = 0; i < 64; ++i) tags += QString::fromStdString(view_.Tag(i)) + ",";
        EXPECT_EQ(tags.count("WK") * 10 + tags.count("BK"), 11) << name.toStdString(); // one each
        EXPECT_TRUE(Level >= 1 && Level <= 3 && (LoadedSide == 0 || LoadedSide == 1));
        open.setResult(0);
        open.show();
    }
    EXPECT_GT(opened, 0); // the table holds playable files too
    EXPECT_LT(opened, 40);
    EXPECT_FALSE(notes.isEmpty()); // "DIFFICULTY=9" and "PLAYER=-2" are named
    for (const QString& note : notes) EXPECT_FALSE(note.contains(u'\n')) << note.toStdString();
}

// Enter does what the default button does (in the name box and the list too),
// Esc what "Cancelar" does.
TEST_F(FileDialogs, EnterAndEscape) {
    {
        Save save;
        save.dialog.activateWindow();
        save.dialog.txtNome.setText("Typed");
        QTest::keyClick(&save.dialog.txtNome, Qt::Key_Return);
        EXPECT_EQ(save.dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(SavedGameExists("Typed"));
        save.dialog.show();
        save.dialog.setResult(0);
        save.dialog.txtNome.setText("Typed");
        QTest::keyClick(&save.dialog.txtNome, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_EQ(save.questions.size(), 1); // asked once, not once per handler
    }
    {
        Save save;
        save.dialog.txtNome.setText("Escaped");
        QTest::keyClick(&save.dialog.txtNome, Qt::Key_Escape);
        EXPECT_EQ(save.dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(SavedGameExists("Escaped"));
    }
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        LoadedGame = false;
        frmAbrir open(view_);
        open.show();
        open.List1.setFocus();
        QTest::keyClick(&open.List1, key);
        EXPECT_EQ(LoadedGame, key == Qt::Key_Return);
        EXPECT_EQ(open.result(), key == Qt::Key_Return ? QDialog::Accepted : QDialog::Rejected);
    }
}

} // namespace
} // namespace corvane
