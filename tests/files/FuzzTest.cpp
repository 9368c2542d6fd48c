// Saved games and settings files built from random pieces of INI text and
// random bytes: reading never fails badly, and a save over such a file keeps
// every value it does not write.
#include "files/SavedGame.h"
#include "files/Settings.h"
#include "files/modINI.h"

#include "files/QtPrint.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

namespace corvane {
namespace {

const QString Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0";
const QStringList Sections = {"Corvane", "Other", "Third"};
const QStringList Keys = {"DATA", "POSTION", "DIFFICULTY", "PLAYER", "MOVE", "SOM", "NICK", "A"};
const QStringList SavedKeys = {"DATA", "POSTION", "DIFFICULTY", "PLAYER", "MOVE"};

QByteArray RandomFile(std::mt19937& random) {
    static const char* const pieces[] = {"[Corvane]",   "[ corvane ]",
                                         "[Other]",     "[Third",
                                         "POSTION=",    "MOVE=",
                                         "DIFFICULTY=", "PLAYER=",
                                         "DATA=",       "SOM=",
                                         "nick=",       "A =",
                                         "=",           ";",
                                         "\"",          "1",
                                         "-3",          "True",
                                         "k",           "K",
                                         "8/",          "4k3/8/8/8/8/8/8/4K3 w - - 0",
                                         " ",           "\t",
                                         "\r\n",        "\n",
                                         "\r",          "\xEF\xBB\xBF",
                                         "\xC3\xA9",    "\xE9",
                                         "\x80",        "\x00"};
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    QByteArray bytes;
    const int count = pick(60);
    for (int i = 0; i < count; ++i) {
        switch (pick(10)) {
        case 0:
            bytes.append(static_cast<char>(pick(256)));
            break;
        case 1:
            bytes.append(QByteArray(pick(400), static_cast<char>('a' + pick(26))));
            break;
        default: {
            const char* piece = pieces[pick(std::size(pieces))];
            bytes.append(*piece == 0 ? QByteArray(1, '\0') : QByteArray(piece));
        }
        }
    }
    return bytes;
}

TEST(FilesFuzz, DamagedFilesNeitherCrashNorLoseValues) {
    QTemporaryDir dir;
    SetProgramFolder(dir.path());
    ASSERT_TRUE(MakeSaveFolder());
    std::mt19937 random(20261206);
    for (int round = 0; round < 200; ++round) {
        const QByteArray bytes = RandomFile(random);
        for (const QString& path : {SavedGamePath("f"), ConfigPath()}) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
        }
        const OpenedGame opened = OpenSavedGame("f");
        if (opened.ok) {
            EXPECT_EQ(PositionProblem(opened.position), "") << round;
        }
        EXPECT_TRUE(opened.ok || !opened.message.isEmpty()) << round;
        EXPECT_TRUE(opened.level >= 0 && opened.level <= 3) << round;
        EXPECT_TRUE(opened.playerOption >= 0 && opened.playerOption <= 3) << round;
        EXPECT_TRUE(opened.loadedSide == 0 || opened.loadedSide == 1) << round;
        PreviewSavedGame("f");
        ReadSoundOn();
        ReadNick();

        const IniDocument before = IniDocument::FromBytes(bytes);
        ASSERT_TRUE(WriteSavedGame("f", {Start, 3, 2, "B"})) << round;
        const OpenedGame saved = OpenSavedGame("f");
        EXPECT_TRUE(saved.ok) << round << " " << saved.message.toStdString();
        EXPECT_EQ(saved.position, Start) << round;
        EXPECT_EQ(saved.level, 3) << round;
        EXPECT_EQ(saved.playerOption, 2) << round;
        EXPECT_EQ(saved.loadedSide, 1) << round;
        const auto after = LoadIniFile(SavedGamePath("f"));
        ASSERT_TRUE(after.has_value());
        for (const QString& section : Sections) {
            for (const QString& key : Keys) {
                if (section == "Corvane" && SavedKeys.contains(key)) continue;
                EXPECT_EQ(after->Value(section, key), before.Value(section, key))
                    << round << " " << section.toStdString() << "/" << key.toStdString();
            }
        }
    }
    SetProgramFolder(QString());
}

} // namespace
} // namespace corvane
