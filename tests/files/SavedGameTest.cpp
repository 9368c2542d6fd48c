// Saved-game files: names, the five keys, the listing, preview, open and delete,
// against files that are sound, damaged or hostile.
#include "files/SavedGame.h"
#include "files/modINI.h"

#include "files/FileTestSupport.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace corvane {
namespace {

const QString Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0";

class SavedGames : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(dir_.path());
        ASSERT_TRUE(MakeSaveFolder());
    }
    void TearDown() override { SetProgramFolder(QString()); }
    static void Put(const QString& name, const QByteArray& bytes) {
        PutFile(SavedGamePath(name), bytes);
    }
    static QByteArray Get(const QString& name) { return GetFile(SavedGamePath(name)); }
    QTemporaryDir dir_;
};

TEST_F(SavedGames, FoldersLiveInTheProgramFolder) {
    EXPECT_EQ(SavedGamePath("Game 01"), dir_.path() + "/savegames/Game 01.sav");
    SetProgramFolder(dir_.filePath("new/place"));
    EXPECT_EQ(ProgramFolder(), dir_.filePath("new/place/"));
    EXPECT_TRUE(QDir(dir_.filePath("new/place")).exists()); // created when missing
}

TEST_F(SavedGames, ProposedNameCountsTheSavedGames) {
    // Files that are not saved games do not count.
    Put("ignored", "x");
    QFile::rename(SavedGamePath("ignored"), SaveFolder() + "notes.txt");
    Put("upper", "x");
    QFile::rename(SavedGamePath("upper"), SaveFolder() + "upper.SAV");
    const std::pair<int, const char*> rows[] = {
        {0, "Game 01"}, {3, "Game 04"}, {8, "Game 09"}, {9, "Game 10"}, {10, "Game 11"}};
    int present = 0;
    for (const auto& [count, proposed] : rows) {
        for (; present < count; ++present) Put(QString("g%1").arg(present), "[Corvane]\n");
        EXPECT_EQ(ProposedSaveName(), proposed) << count << " saved";
    }
}

TEST_F(SavedGames, TypedNamesLoseTheDiscardedCharacters) {
    const std::pair<QString, QString> rows[] = {
        {"Jogo?1", "Jogo1"},
        {"a\\b", "ab"},
        {"\"*/:<>?\\|", ""},
        {"   ", ""},
        {"  Meu jogo ", "Meu jogo "},
        {" :x", "x"},
        {"tab\there\n", "tabhere"},
        {QString::fromUtf8("Partida é ótima"), QString::fromUtf8("Partida é ótima")},
    };
    for (const auto& [typed, kept] : rows)
        EXPECT_EQ(CleanSaveName(typed), kept) << typed.toStdString();
}

TEST_F(SavedGames, SaveWritesTheFiveKeysInOrder) {
    const QDateTime when(QDate(2026, 3, 7), QTime(9, 5));
    ASSERT_TRUE(WriteSavedGame("Black", {Start, 3, 2, "B"}, when));
    EXPECT_EQ(Get("Black"), "[Corvane]\nDATA=07/03/26 - 09:05\nPOSTION=" + Start.toLatin1() +
                                "\nDIFFICULTY=3\nPLAYER=2\nMOVE=1\n");
    ASSERT_TRUE(WriteSavedGame("White", {Start, 1, 3, "W"}, when));
    EXPECT_EQ(ReadIniValue(IniSection, "MOVE", SavedGamePath("White"), ""), "0");
}

TEST_F(SavedGames, SavingAgainReplacesTheValuesInPlace) {
    Put("Mine", "; mine\r\n[Corvane]\r\nDATA=01/01/20 - 00:00\r\nEXTRA=kept\r\nMOVE=0\r\n");
    ASSERT_TRUE(
        WriteSavedGame("Mine", {Start, 2, 1, "B"}, QDateTime(QDate(2026, 12, 6), QTime(20, 31))));
    EXPECT_EQ(Get("Mine"),
              "; mine\r\n[Corvane]\r\nDATA=06/12/26 - 20:31\r\nEXTRA=kept\r\nMOVE=1\r\nPOSTION=" +
                  Start.toLatin1() + "\r\nDIFFICULTY=2\r\nPLAYER=1\r\n");
}

TEST_F(SavedGames, ExistenceAndUnusableNames) {
    EXPECT_FALSE(SavedGameExists("none"));
    Put("empty", "");
    EXPECT_FALSE(SavedGameExists("empty")); // a file of length zero does not count
    Put("full", "[Corvane]\n");
    EXPECT_TRUE(SavedGameExists("full"));
    for (const QString name : {"", "a/b", "a?b", " lead", "../up"}) {
        EXPECT_FALSE(WriteSavedGame(name, {Start, 2, 1, "W"})) << name.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir_.filePath("up.sav")));
}

TEST_F(SavedGames, ListIsInNameOrder) {
    for (const char* name : {"Game 10", "game 2", "Game 02b", "Abc", "abd", "Game 9"})
        Put(name, "x");
    Put("", "x"); // a file named ".sav" has no name to show
    Put("notes", "x");
    QFile::rename(SavedGamePath("notes"), SaveFolder() + "notes.sav.bak");
    EXPECT_EQ(ListSavedGames(),
              (QStringList{"Abc", "abd", "game 2", "Game 02b", "Game 9", "Game 10"}));
}

TEST_F(SavedGames, PlacementFollowsTheBoardLoader) {
    const auto start = PlacementSquares(Start);
    EXPECT_EQ(start[0], "BR");
    EXPECT_EQ(start[4], "BK");
    EXPECT_EQ(start[12], "BP");
    EXPECT_EQ(start[16], "");
    EXPECT_EQ(start[52], "WP");
    EXPECT_EQ(start[60], "WK");
    EXPECT_EQ(start[63], "WR");
    EXPECT_EQ(PlacementSquares("9b/8 b")[1], "BB"); // "9" skips one; the side letter places nothing
    // A long row spills into the next; the "/" still starts that next row.
    const auto spill = PlacementSquares("ppppppppppp/Q");
    EXPECT_EQ(spill[7], "BP");
    EXPECT_EQ(spill[8], "WQ");
    EXPECT_EQ(spill[10], "BP");
    EXPECT_EQ(spill[11], "");
    const std::array<QString, 64> empty{};
    EXPECT_EQ(PlacementSquares("8/8/8/8/8/8/8/8/KKKK"), empty); // beyond h1 places nothing
    EXPECT_EQ(PlacementSquares("8/8/8/8/8/8/8/88888888K"), empty);
    EXPECT_EQ(PlacementSquares(" K")[0], ""); // a blank ends the placement
}

struct OpenCase {
    const char* what;
    QByteArray file;
    bool ok;
    int level, player, side;
    const char* reason; // part of the message when refused
};

TEST_F(SavedGames, OpenReadsOrRefuses) {
    const QByteArray start = "POSTION=" + Start.toLatin1() + "\n";
    QByteArray manySections;
    for (int i = 0; i < 10000; ++i) manySections += "[S" + QByteArray::number(i) + "]\nA=1\n";
    const OpenCase cases[] = {
        {"sound file", "[Corvane]\nDATA=x\n" + start + "DIFFICULTY=3\nPLAYER=2\nMOVE=1\n", true, 3,
         2, 1, ""},
        {"no DIFFICULTY keeps the level", "[Corvane]\n" + start + "PLAYER=3\nMOVE=0\n", true, 0, 3,
         0, ""},
        {"no MOVE is White", "[Corvane]\n" + start + "DIFFICULTY=1\nPLAYER=1\n", true, 1, 1, 0, ""},
        {"values out of range keep the current ones",
         "[Corvane]\n" + start + "DIFFICULTY=7\nPLAYER=0\nMOVE=2\n", true, 0, 0, 0, ""},
        {"numbers with trailing text",
         "[Corvane]\n" + start + "DIFFICULTY= 2x\nPLAYER=2.6\nMOVE=1.0\n", true, 2, 3, 1, ""},
        {"Black to move although the text says w",
         "[Corvane]\nPOSTION=4k3/8/8/8/8/8/8/4K3 w - - 0\nMOVE=1\n", true, 0, 0, 1, ""},
        {"placement ending in /", "[Corvane]\nPOSTION=4k3/8/8/8/8/8/8/4K3/ w - - 0\n", true, 0, 0,
         0, ""},
        {"a value of 4 MB", "[Corvane]\nDATA=" + QByteArray(4000000, 'x') + "\n" + start + "MOVE=1",
         true, 0, 0, 1, ""},
        {"after 10,000 sections", manySections + "[Corvane]\n" + start + "DIFFICULTY=3\n", true, 3,
         0, 0, ""},
        {"no position", "[Corvane]\nDIFFICULTY=2\n", false, 0, 0, 0, "não contém uma posição"},
        {"63 squares", "[Corvane]\nPOSTION=4k3/8/8/8/8/8/8/4K2 w - - 0\n", false, 0, 0, 0,
         "64 casas"},
        {"65 squares", "[Corvane]\nPOSTION=4k3/8/8/8/8/8/8/4K4 w - - 0\n", false, 0, 0, 0,
         "64 casas"},
        {"nine rows", "[Corvane]\nPOSTION=4k3/8/8/8/8/8/8/8/4K3 w - - 0\n", false, 0, 0, 0,
         "64 casas"},
        {"seven rows", "[Corvane]\nPOSTION=4k3/8/8/8/8/8/4K3 w - - 0\n", false, 0, 0, 0,
         "64 casas"},
        {"strange letter", "[Corvane]\nPOSTION=4k2x/8/8/8/8/8/8/4K3 w - - 0\n", false, 0, 0, 0,
         "64 casas"},
        {"empty board", "[Corvane]\nPOSTION=8/8/8/8/8/8/8/8 w - - 0\n", false, 0, 0, 0,
         "um rei de cada cor"},
        {"two white kings", "[Corvane]\nPOSTION=4k3/8/8/8/8/8/8/3KK3 w - - 0\n", false, 0, 0, 0,
         "um rei de cada cor"},
        {"no black king", "[Corvane]\nPOSTION=8/8/8/8/8/8/8/4K3 w - - 0\n", false, 0, 0, 0,
         "um rei de cada cor"},
        {"bytes of another file", QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR", 16), false, 0,
         0, 0, "não contém"},
    };
    for (const OpenCase& c : cases) {
        Put("g", c.file);
        const OpenedGame game = OpenSavedGame("g");
        EXPECT_EQ(game.ok, c.ok) << c.what << ": " << game.message.toStdString();
        EXPECT_TRUE(game.message.contains(QString::fromUtf8(c.reason)))
            << c.what << ": " << game.message.toStdString();
        if (!c.ok) continue;
        EXPECT_EQ(game.level, c.level) << c.what;
        EXPECT_EQ(game.playerOption, c.player) << c.what;
        EXPECT_EQ(game.loadedSide, c.side) << c.what;
    }
    const OpenedGame missing = OpenSavedGame("missing");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.message, QString::fromUtf8("Não foi possível ler o jogo missing."));
}

TEST_F(SavedGames, PreviewShowsDateAndPieces) {
    ASSERT_TRUE(WriteSavedGame("p", {Start, 2, 1, "W"}, QDateTime(QDate(2026, 1, 2), QTime(3, 4))));
    const SavedGamePreview preview = PreviewSavedGame("p");
    EXPECT_EQ(preview.dateLabel, "Jogo salvo em: 02/01/26 - 03:04");
    EXPECT_EQ(preview.squares, PlacementSquares(Start));
    // A folder in place of the file previews as an empty board.
    ASSERT_TRUE(QDir().mkpath(SavedGamePath("dir")));
    const SavedGamePreview none = PreviewSavedGame("dir");
    EXPECT_EQ(none.dateLabel, "Jogo salvo em: ");
    EXPECT_EQ(none.squares, (std::array<QString, 64>{}));
}

TEST_F(SavedGames, DeleteReportsWhatHappened) {
    Put("a", "[Corvane]\n");
    EXPECT_TRUE(DeleteSavedGame("a"));
    EXPECT_FALSE(QFile::exists(SavedGamePath("a")));
    EXPECT_TRUE(DeleteSavedGame("a")); // already gone
    // A folder full of files cannot be removed as a saved game.
    ASSERT_TRUE(QDir().mkpath(SavedGamePath("busy")));
    QFile inside(SavedGamePath("busy") + "/inside");
    ASSERT_TRUE(inside.open(QIODevice::WriteOnly));
    inside.close();
    EXPECT_FALSE(DeleteSavedGame("busy"));
    EXPECT_TRUE(QFile::exists(SavedGamePath("busy")));
    EXPECT_FALSE(DeleteSavedGame("../busy"));
}

TEST_F(SavedGames, LeadingNumberReadsLikeTheSavedValues) {
    const std::pair<const char*, int> rows[] = {
        {"2", 2},   {"  3", 3}, {"2abc", 2}, {"", 0},  {"abc", 0},         {"-1", -1}, {"+4", 4},
        {"2.5", 2}, {"3.5", 4}, {"2.6", 3},  {".", 0}, {"99999999999", 0}, {"1 2", 1}};
    for (const auto& [text, value] : rows) EXPECT_EQ(LeadingNumber(text), value) << text;
}

} // namespace
} // namespace corvane
