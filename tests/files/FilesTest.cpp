// INI values as other programs leave them, safe replacement, saved games and settings.
#include "files/SafeFile.h"
#include "files/SavedGame.h"
#include "files/Settings.h"
#include "files/modINI.h"

#include "files/FileTestSupport.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

class IniFiles : public ::testing::Test {
protected:
    QString In(const QString& name) const { return dir_.filePath(name); }
    QString Path() const { return In(QStringLiteral("test.ini")); }
    void Put(const QByteArray& bytes) const { PutFile(Path(), bytes); }
    static void Put(const QString& path, const QByteArray& bytes) { PutFile(path, bytes); }
    QByteArray Get(const QString& path = {}) const {
        return GetFile(path.isEmpty() ? Path() : path);
    }
    // Everything in the folder: a failed write leaves no temporary file behind.
    QStringList Entries() const {
        return QDir(dir_.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    QTemporaryDir dir_;
};

TEST_F(IniFiles, ReadFollowsTheProfileRules) {
    const std::tuple<const char*, QByteArray, const char*, QString> cases[] = {
        {"names in any case", "[corvane]\nsom=True\n", "SOM", "True"},
        {"blanks around names", "  [ Corvane ]  \n \t SOM   =  False \t\n", "SOM", "False"},
        {"key of the next section", "[Corvane]\nA=1\n[Other]\nSOM=x\n", "SOM", "<d>"},
        {"enclosing quotes dropped", "[Corvane]\nNICK=\" ANA \"\n", "NICK", " ANA "},
        {"Windows-1252 letters", "[Corvane]\r\nNICK=JO\xC3O \x80\x93\x94\r\n", "NICK",
         QString::fromUtf8("JOÃO €“”")},
        {"byte-order mark", "\xEF\xBB\xBF[Corvane]\nSOM=x\n", "SOM", "x"},
        {"NUL and stray bytes on other lines",
         QByteArray("\x00\xFF\xFE garbage\n[Corvane]\n\x01\x02=\x03\nSOM=y\n", 33), "SOM", "y"},
    };
    for (const auto& [what, file, key, expected] : cases) {
        Put(file);
        EXPECT_EQ(ReadIniValue("Corvane", key, Path(), "<d>"), expected) << what;
    }
}

struct WriteCase {
    const char* what;
    QByteArray before; // "<none>": no file
    IniPairs writes;
    QByteArray after;
};

TEST_F(IniFiles, WriteKeepsEverythingElse) {
    const WriteCase cases[] = {
        {"replaced in place, CRLF and comments kept",
         "; note\r\n[Other]\r\nA=1\r\n[corvane]\r\n  som = True\r\nNICK=X\r\n",
         {{"SOM", "False"}},
         "; note\r\n[Other]\r\nA=1\r\n[corvane]\r\nsom=False\r\nNICK=X\r\n"},
        {"new key at the end of its section",
         "[Corvane]\nA=1\n\n[Next]\nB=2\n",
         {{"C", "3"}},
         "[Corvane]\nA=1\nC=3\n\n[Next]\nB=2\n"},
        {"after a last line without line end",
         "[Other]\nA=1",
         {{"SOM", "True"}},
         "[Other]\nA=1\n[Corvane]\nSOM=True\n"},
        {"Windows-1252 stays",
         "[Corvane]\r\nNICK=JO\xC3O\r\n",
         {{"SOM", QString::fromUtf8("Ç")}},
         "[Corvane]\r\nNICK=JO\xC3O\r\nSOM=\xC7\r\n"},
        {"Windows-1252 turns UTF-8 for a letter it lacks",
         "[Corvane]\r\nNICK=JO\xC3O\r\n",
         {{"NICK", QString::fromUtf8("ЖЕНЯ")}, {"A", QString::fromUtf8("é")}},
         "[Corvane]\r\nNICK=\xD0\x96\xD0\x95\xD0\x9D\xD0\xAF\r\nA=\xC3\xA9\r\n"},
        {"line breaks become blanks",
         "<none>",
         {{"NICK", "a\r\nSOM=False"}},
         "[Corvane]\nNICK=a  SOM=False\n"},
    };
    for (const WriteCase& c : cases) {
        QFile::remove(Path());
        if (c.before != "<none>") Put(c.before);
        EXPECT_TRUE(WriteIniValues("Corvane", c.writes, Path())) << c.what;
        EXPECT_EQ(Get(), c.after) << c.what;
    }
    EXPECT_EQ(ReadIniValue("Corvane", "SOM", dir_.path(), "True"), "True"); // a folder
}

// A file that changes encoding on a write keeps its mark and re-encodes its
// other values; Windows-1252 bytes for these letters would form UTF-8 for others.
TEST_F(IniFiles, WrittenValuesReadBackAndTheFileKeepsItsMark) {
    for (const QByteArray mark : {"", "\xEF\xBB\xBF"}) {
        Put(mark + "[Corvane]\nA=\xE9\n");
        ASSERT_TRUE(WriteIniValue("Corvane", "NICK", QString::fromUtf8("Ã©"), Path()));
        ASSERT_TRUE(WriteIniValue("Corvane", "SOM", QString::fromUtf8("Ç"), Path()));
        EXPECT_EQ(ReadIniValue("CORVANE", "nick", Path(), ""), QString::fromUtf8("Ã©"));
        EXPECT_EQ(ReadIniValue("Corvane", "A", Path(), ""), QString::fromUtf8("é"));
        EXPECT_EQ(Get().startsWith("\xEF\xBB\xBF"), !mark.isEmpty());
    }
}

TEST_F(IniFiles, BadNamesWriteNothing) {
    Put("[Corvane]\nSOM=True\n");
    const std::pair<QString, QString> bad[] = {
        {"Corvane", ""}, {"Corvane", "A=B"}, {"Corvane", "[A"}, {"Corvane", "A\nB"},
        {"", "A"},       {"Cor]vane", "A"},  {" Corvane", "A"}};
    for (const auto& [section, key] : bad) {
        EXPECT_FALSE(WriteIniValue(section, key, "1", Path()))
            << section.toStdString() << "/" << key.toStdString();
    }
    // One bad key spoils the whole write.
    EXPECT_FALSE(WriteIniValues("Corvane", {{"SOM", "False"}, {"", "x"}}, Path()));
    EXPECT_EQ(Get(), "[Corvane]\nSOM=True\n");
}

const QByteArray OldFile = "[Corvane]\nSOM=True\nNICK=ANA\n";

TEST_F(IniFiles, FailedWritesKeepWhatIsThere) {
    const QString path = In("config.dat");
    Put(path, OldFile);
    // A file-size limit fails the write part-way, as a full disk does.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteIniValue("Corvane", "NICK", QString(500, u'x'), path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(Get(path), OldFile);
    EXPECT_EQ(Entries(), QStringList{"config.dat"});
    ASSERT_TRUE(QFile::remove(path));
    // A folder where the file should be, and a folder that does not exist.
    ASSERT_TRUE(QDir().mkpath(In("game.sav")));
    Put(In("game.sav/inside"), "x");
    EXPECT_FALSE(WriteIniValue("Corvane", "SOM", "True", In("game.sav")));
    EXPECT_EQ(Get(In("game.sav/inside")), "x");
    EXPECT_FALSE(WriteIniValue("Corvane", "SOM", "True", In("missing/config.dat")));
    EXPECT_FALSE(QFileInfo::exists(In("missing")));
    EXPECT_EQ(Entries(), QStringList{"game.sav"});
}

TEST_F(IniFiles, ReplacementKeepsModeAndLinks) {
    const QString real = In("real.dat");
    Put(real, OldFile);
    ASSERT_EQ(chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(real, In("link.dat")));

    ASSERT_TRUE(WriteIniValue("Corvane", "SOM", "False", In("link.dat")));
    EXPECT_TRUE(QFileInfo(In("link.dat")).isSymLink());
    EXPECT_EQ(Get(real), "[Corvane]\nSOM=False\nNICK=ANA\n");
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(), (QStringList{"link.dat", "real.dat"}));
}

TEST_F(IniFiles, OnlySmallRegularFilesAreRead) {
    QByteArray bytes;
    // A pipe would block a plain read for ever.
    ASSERT_EQ(mkfifo(QFile::encodeName(In("pipe.sav")).constData(), 0600), 0);
    EXPECT_EQ(ReadSmallFile(In("pipe.sav"), bytes), FileReadResult::Failed);
    EXPECT_EQ(ReadIniValue("Corvane", "SOM", In("pipe.sav"), "d"), "d");
    EXPECT_FALSE(WriteIniValue("Corvane", "SOM", "True", In("pipe.sav")));

    // Too large to be one of ours: neither read nor rewritten.
    const QByteArray huge = "[Corvane]\nSOM=False\n" + QByteArray(MaxSmallFileBytes, 'x');
    Put(In("huge.dat"), huge);
    EXPECT_EQ(ReadIniValue("Corvane", "SOM", In("huge.dat"), "d"), "d");
    EXPECT_FALSE(WriteIniValue("Corvane", "SOM", "True", In("huge.dat")));
    EXPECT_EQ(QFileInfo(In("huge.dat")).size(), huge.size());
    // Enormous lines within the limit do not hide the keys.
    const QByteArray line(MaxSmallFileBytes / 3, '#');
    Put(In("big.sav"), line + "\n[Corvane]\nPOSTION=" + line + "\nMOVE=1\n");
    EXPECT_EQ(ReadIniValue("Corvane", "MOVE", In("big.sav"), ""), "1");
    EXPECT_EQ(ReadIniValue("Corvane", "POSTION", In("big.sav"), ""), QString(254, u'#'));
    ASSERT_TRUE(WriteIniValue("Corvane", "MOVE", "0", In("big.sav")));
    EXPECT_EQ(Get(In("big.sav")), line + "\n[Corvane]\nPOSTION=" + line + "\nMOVE=0\n");
}

const QString Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0";

class SavedGames : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(dir_.path());
        ASSERT_TRUE(MakeSaveFolder());
        qputenv("XDG_DATA_HOME", dir_.filePath("share").toLocal8Bit()); // the trash in here
    }
    void TearDown() override {
        SetProgramFolder(QString());
        qunsetenv("XDG_DATA_HOME");
    }
    static void Put(const QString& name, const QByteArray& bytes) {
        PutFile(SavedGamePath(name), bytes);
    }
    static QByteArray Get(const QString& name) { return GetFile(SavedGamePath(name)); }
    QTemporaryDir dir_;
};

TEST_F(SavedGames, NamesListingAndProposal) {
    Put("upper", "x"); // only lower-case ".sav" files are saved games
    QFile::rename(SavedGamePath("upper"), SaveFolder() + "upper.SAV");
    Put("", "x"); // ".sav" has no name to show
    for (const char* name :
         {"Game A", "Game 10", "game 2", "Game 02b", "Abc", "abd", "Game 9", "x", "y", "z"})
        Put(name, "x");
    EXPECT_EQ(ProposedSaveName(), "Game 12"); // ".sav" counts here, "upper.SAV" does not
    EXPECT_EQ(ListSavedGames().mid(0, 7),
              (QStringList{"Abc", "abd", "game 2", "Game 02b", "Game 9", "Game 10", "Game A"}));
    const char* typed[][2] = {
        {"Jogo?1", "Jogo1"}, {"\"*/:<>?\\|", ""}, {" :x", "x"}, {"a\tb\n", "ab"}};
    for (const auto& [text, kept] : typed) EXPECT_EQ(CleanSaveName(text), kept) << text;
}

TEST_F(SavedGames, SaveWritesTheKeysAndReplacesThemInPlace) {
    const QDateTime when(QDate(2026, 3, 7), QTime(9, 5));
    ASSERT_TRUE(WriteSavedGame("Black", {Start, 3, 2, "B"}, when));
    EXPECT_EQ(Get("Black"), "[Corvane]\nDATA=07/03/26 - 09:05\nPOSTION=" + Start.toLatin1() +
                                "\nDIFFICULTY=3\nPLAYER=2\nMOVE=1\n");
    Put("Mine", "; mine\r\n[Corvane]\r\nDATA=01/01/20 - 00:00\r\nEXTRA=kept\r\nMOVE=1\r\n");
    ASSERT_TRUE(WriteSavedGame("Mine", {Start, 2, 1, "W"}, when));
    EXPECT_EQ(Get("Mine"),
              "; mine\r\n[Corvane]\r\nDATA=07/03/26 - 09:05\r\nEXTRA=kept\r\nMOVE=0\r\nPOSTION=" +
                  Start.toLatin1() + "\r\nDIFFICULTY=2\r\nPLAYER=1\r\n");
}

TEST_F(SavedGames, ExistenceUnusableNamesAndDelete) {
    Put("empty", "");
    EXPECT_FALSE(SavedGameExists("empty")); // a file of length zero does not count
    Put("full", "[Corvane]\n");
    EXPECT_TRUE(SavedGameExists("full"));
    for (const QString name : {"", "a/b", "a?b", " lead", "../up"})
        EXPECT_FALSE(WriteSavedGame(name, {Start, 2, 1, "W"})) << name.toStdString();
    EXPECT_FALSE(QFile::exists(dir_.filePath("up.sav")));
    EXPECT_TRUE(DeleteSavedGame("full"));
    EXPECT_FALSE(QFile::exists(SavedGamePath("full")));
    EXPECT_TRUE(DeleteSavedGame("full")); // already gone
    Put("../kept", "x");
    EXPECT_FALSE(DeleteSavedGame("../kept"));
    EXPECT_TRUE(QFile::exists(dir_.filePath("kept.sav")));
}

// "Excluir" puts the file in the desktop's trash with what restores it; a
// second game of the same name gets a name of its own there; when the trash
// cannot be made the file stays.
TEST_F(SavedGames, DeleteMovesToTheTrash) {
    const QString trash = dir_.filePath("share/Trash/");
    // A restore note left over without its file keeps its name taken.
    ASSERT_TRUE(QDir().mkpath(trash + "info"));
    PutFile(trash + "info/Game 01 (2).sav.trashinfo", "[Trash Info]\n");
    const std::pair<QByteArray, QString> games[] = {{"first", "Game 01.sav"},
                                                    {"second", "Game 01 (3).sav"}};
    for (const auto& [bytes, trashed] : games) {
        Put("Game 01", bytes);
        ASSERT_TRUE(DeleteSavedGame("Game 01"));
        EXPECT_FALSE(QFile::exists(SavedGamePath("Game 01")));
        EXPECT_EQ(GetFile(trash + "files/" + trashed), bytes);
        const QByteArray info = GetFile(trash + "info/" + trashed + ".trashinfo");
        EXPECT_TRUE(
            info.startsWith("[Trash Info]\nPath=" +
                            QFile::encodeName(SavedGamePath("Game 01")).toPercentEncoding("/") +
                            "\nDeletionDate=20"))
            << info.constData();
    }
    PutFile(dir_.filePath("plain"), "x");
    qputenv("XDG_DATA_HOME", dir_.filePath("plain/share").toLocal8Bit());
    Put("kept", "y");
    EXPECT_FALSE(DeleteSavedGame("kept"));
    EXPECT_EQ(Get("kept"), "y");
    EXPECT_FALSE(QDir(dir_.path()).exists("files")); // nothing strays beside the folder either
    EXPECT_FALSE(QDir().exists("files/kept.sav"));
}

// The game in progress at the close has a name of its own that a typed name never takes.
TEST_F(SavedGames, InterruptedGameHasAReservedName) {
    EXPECT_NE(CleanSaveName(InterruptedGameName), InterruptedGameName);
    EXPECT_FALSE(WriteSavedGame(InterruptedGameName, {Start, 2, 1, "W"}));
    ASSERT_TRUE(WriteInterruptedGame({Start, 3, 2, "B"}));
    ASSERT_TRUE(WriteInterruptedGame({Start, 1, 1, "W"})); // replaced
    EXPECT_TRUE(ListSavedGames().contains(InterruptedGameName));
    const OpenedGame game = OpenSavedGame(InterruptedGameName);
    EXPECT_TRUE(game.ok);
    EXPECT_EQ(std::tuple(game.level, game.playerOption, game.loadedSide), std::tuple(1, 1, 0));
}

struct OpenCase {
    const char* what;
    QByteArray file;
    bool ok;
    int level, player, side;
    const char* reason; // part of the message when refused; the values replaced when opened
};

TEST_F(SavedGames, OpenReadsOrRefuses) {
    const QByteArray start = "[Corvane]\nPOSTION=" + Start.toLatin1() + "\n";
    QByteArray manySections;
    for (int i = 0; i < 10000; ++i) manySections += "[S" + QByteArray::number(i) + "]\nA=1\n";
    const OpenCase cases[] = {
        {"sound file", start + "DIFFICULTY=3\nPLAYER=2\nMOVE=1\n", true, 3, 2, 1, ""},
        {"out of range", start + "DIFFICULTY=7\nPLAYER=0\nMOVE=2\n", true, 0, 0, 1,
         "DIFFICULTY=7, PLAYER=0, MOVE=2"},
        {"far out", start + "DIFFICULTY=9\nPLAYER=7\nMOVE=5\n", true, 0, 0, 1,
         "DIFFICULTY=9, PLAYER=7, MOVE=5"},
        {"trailing text", start + "DIFFICULTY= 2x\nPLAYER=2.6\nMOVE=0.9\n", true, 2, 3, 1, ""},
        {"after 10,000 sections", manySections + start + "DIFFICULTY=3\n", true, 3, 0, 0, ""},
        {"no position", "[Corvane]\nDIFFICULTY=2\n", false, 0, 0, 0, "não contém uma posição"},
        {"nine rows", "[Corvane]\nPOSTION=4k3/8/8/8/8/8/8/8/4K3 w\n", false, 0, 0, 0, "64 casas"},
        {"two white kings", "[Corvane]\nPOSTION=4k3/8/8/8/8/8/8/3KK3 w\n", false, 0, 0, 0,
         "um rei de cada cor"},
        {"no black king", "[Corvane]\nPOSTION=8/8/8/8/8/8/8/4K3 w\n", false, 0, 0, 0,
         "um rei de cada cor"},
        {"kings side by side", "[Corvane]\nPOSTION=8/8/8/8/8/8/3k4/4K3 w\n", false, 0, 0, 0,
         "casas vizinhas"},
        {"White to move, Black in check", "[Corvane]\nPOSTION=4k3/8/8/8/8/8/4R3/3K4 w\nMOVE=0\n",
         false, 0, 0, 0, "o rei das Pretas está em xeque"},
        {"saved right after a check", "[Corvane]\nPOSTION=4k3/8/8/8/8/8/4R3/3K4 w\nMOVE=1\n", true,
         0, 0, 1, ""},
        {"Black to move, White in check", "[Corvane]\nPOSTION=4k3/8/8/8/8/8/4r3/4K3 w\nMOVE=1\n",
         false, 0, 0, 0, "o rei das Brancas está em xeque"},
        {"pawn on the last rank", "[Corvane]\nPOSTION=P3k3/8/8/8/8/8/8/4K3 w\n", false, 0, 0, 0,
         "peão na primeira ou na última"},
        {"pawn on the first rank", "[Corvane]\nPOSTION=4k3/8/8/8/8/8/8/4K2p w\n", false, 0, 0, 0,
         "peão na primeira ou na última"},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.what);
        Put("g", c.file);
        const OpenedGame game = OpenSavedGame("g", 1); // Black is to move now
        EXPECT_EQ(game.ok, c.ok) << game.message.toStdString();
        if (!c.ok) {
            EXPECT_TRUE(game.message.contains(QString::fromUtf8(c.reason)))
                << game.message.toStdString();
        } else {
            EXPECT_EQ(std::tuple(game.level, game.playerOption, game.loadedSide),
                      std::tuple(c.level, c.player, c.side));
            EXPECT_EQ(game.replaced.join(", "), QString::fromUtf8(c.reason));
            EXPECT_EQ(ReplacedValuesNote(game).isEmpty(), game.replaced.isEmpty());
        }
    }
    EXPECT_EQ(OpenSavedGame("missing").message,
              QString::fromUtf8("Não foi possível ler o jogo missing."));
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("CORVANE_PROGRAM_FOLDER", dir_.path().toLocal8Bit().constData(), 1);
        SetProgramFolder(QString()); // this process follows the variable too
    }
    void TearDown() override { unsetenv("CORVANE_PROGRAM_FOLDER"); }

    // Runs the probe as a new program and returns what it printed.
    static std::string Start(const std::string& args) {
        const std::string command = std::string("'") + SETTINGS_PROBE + "' " + args;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return "<no probe>";
        std::string out;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
        const int status = pclose(pipe);
        return status == 0 ? out : out + "<failed>";
    }
    void PutConfig(const QByteArray& bytes) const { PutFile(dir_.filePath("config.dat"), bytes); }
    QTemporaryDir dir_;
};

TEST_F(SettingsFile, RoundTripAcrossProgramStarts) {
    const std::string user = AccountUserName().toUpper().toStdString();
    EXPECT_EQ(Start("read"), "SOM=True\nNICK=" + user + "\nAVISO=False\n");
    EXPECT_FALSE(QFile::exists(dir_.filePath("config.dat"))); // reading creates nothing

    EXPECT_EQ(Start("close False 'Ana Maria'"), "");
    EXPECT_EQ(Start("read"), "SOM=False\nNICK=ANA MARIA\nAVISO=False\n");
    EXPECT_EQ(Start("close True ana"), "");
    EXPECT_EQ(Start("read"), "SOM=True\nNICK=ANA\nAVISO=False\n");
    EXPECT_EQ(ReadIniValue("Corvane", "NICK", ConfigPath(), ""), "ana"); // stored as given
}

TEST_F(SettingsFile, OddValuesFallBackToTheDefaults) {
    // Files from before "UPNP" existed open the router's port, as a new one does.
    const std::pair<QByteArray, std::tuple<bool, bool, bool>> rows[] = {
        {"[Corvane]\nSOM=talvez\nAVISO=sim\nUPNP=<b>\n", {true, false, true}},
        {"[Corvane]\r\nSOM=0\r\nAVISO=-1\r\nUPNP=falso\r\n", {false, true, false}},
        {"\xFF\xFE\x00\x01", {true, false, true}},
    };
    for (const auto& [file, expected] : rows) {
        PutConfig(file);
        EXPECT_EQ(std::tuple(ReadSoundOn(), ReadWarningHidden(), ReadOpenRouterPort()), expected)
            << file.toStdString();
    }
}

// The address last typed to join: kept, read back cleaned and cut.
TEST_F(SettingsFile, TheLastJoinAddressIsKeptCleaned) {
    EXPECT_EQ(ReadLastAddress(), "");
    const std::pair<QByteArray, QString> rows[] = {
        {"[Corvane]\nENDERECO=casa.local\n", "casa.local"},
        {"[Corvane]\nENDERECO= 10.0.0.7 \n", "10.0.0.7"},
        {"[Corvane]\nENDERECO=a\x01"
         "b\x1b"
         "[2Jc\x7f\n",
         "ab[2Jc"},
    };
    for (const auto& [file, expected] : rows) {
        PutConfig(file);
        EXPECT_EQ(ReadLastAddress(), expected) << file.left(40).toStdString();
    }
    PutConfig("[Corvane]\nENDERECO=" + QByteArray(4000, 'x') + "\n");
    EXPECT_LE(ReadLastAddress().size(), 255);
    ASSERT_TRUE(WriteLastAddress("192.168.0.9"));
    EXPECT_EQ(ReadLastAddress(), "192.168.0.9");
    EXPECT_EQ(Start("read"),
              "SOM=True\nNICK=" + AccountUserName().toUpper().toStdString() + "\nAVISO=False\n");
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

// A game of 26 half-moves: a capture, castling and knights going back and forth.
GameRecord KeptGame() {
    GameRecord record;
    record.startFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    record.moves = {"WP e2-e4", "BP d7-d5", "WP e4xd5", "BN g8-f6", "WN g1-f3",
                    "BN f6xd5", "WB f1-c4", "BP e7-e6", "WK e1-g1"};
    for (int i = 0; i < 4; ++i) {
        for (const char* move : {"BN b8-c6", "WN b1-c3", "BN c6-b8", "WN c3-b1"})
            record.moves.push_back(move);
    }
    record.moves.push_back("BB f8-e7");
    record.whiteAtBottom = false;
    record.whiteMs = 61000;
    record.blackMs = 4200;
    record.captured = {0, 0, 0, 0, 0, 1, 0, 0, 0, 1};
    return record;
}
const QString KeptPosition = "rnbqk2r/ppp1bppp/4p3/3n4/2B5/5N2/PPPP1PPP/RNBQ1RK1 w - - 0";

// A game saved with its record opens with it; a file whose record disagrees
// with its position opens with the position alone and one line saying so; a
// file saved without a record (as before records existed) opens as it did.
TEST_F(SavedGames, RecordRoundTripsOrFallsBackToThePosition) {
    const GameRecord kept = KeptGame();
    ASSERT_EQ(kept.moves.size(), 26u);
    ASSERT_TRUE(WriteSavedGame("whole", {KeptPosition, 2, 3, "W", kept}));
    const QString path = SavedGamePath("whole");
    EXPECT_EQ(ReadIniValue(IniSection, "LANCES", path, ""), "26");
    EXPECT_EQ(ReadIniValue(IniSection, "LANCES3", path, ""), "");
    const OpenedGame whole = OpenSavedGame("whole");
    ASSERT_TRUE(whole.ok && whole.record.has_value()) << whole.recordNote.toStdString();
    EXPECT_EQ(*whole.record, kept);
    EXPECT_EQ(whole.recordNote, "");

    QString first; // the first key's 20 moves
    for (int i = 1; i < 20; ++i) first += u',' + QString::fromStdString(kept.moves[i]);
    QString padded; // 20 moves, but past the 254 characters a value is read back to
    for (int i = 0; i < 20; ++i) padded += QString::fromStdString(kept.moves[i]) + ",          ";
    const struct {
        const char* what;
        const char* key;
        QString value;
        const char* note;
    } damaged[] = {
        {"illegal move", "LANCES1", "WP e2-e5" + first, "lance 1"},
        {"wrong mover", "LANCES2", "BN c6-b8,WN c3-b1,BB f8-e7,BN b8-c6,WN b1-c3,BN c6-b8",
         "lance 21"},
        {"missing key", "LANCES2", "", "LANCES2"},
        {"one more counted", "LANCES", "27", "LANCES2"},
        {"count not a number", "LANCES", "2x", "número"},
        {"over 254 characters", "LANCES1", padded, "LANCES1"},
        {"other position", "POSTION", "rnbqk2r/ppp1bppp/4p3/3n4/2B5/5N2/PPPP1PPP/RNBQR1K1 w",
         "posição"},
        {"other side to move", "MOVE", "1", "vez"},
        {"bad start", "INICIO", "rnbqkbnr/pppppppp/8/8 w", "inicial"},
        {"orientation", "BRANCAS_EMBAIXO", "2", "orientação"},
        {"clocks", "RELOGIOS", "61000", "relógios"},
        {"captured", "CAPTURADAS", "0 0 0 0 0 1 0 0 0", "capturadas"},
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.what);
        ASSERT_TRUE(WriteSavedGame("damaged", {KeptPosition, 2, 3, "W", kept}));
        ASSERT_TRUE(WriteIniValue(IniSection, d.key, d.value, SavedGamePath("damaged")));
        const OpenedGame game = OpenSavedGame("damaged");
        EXPECT_FALSE(game.record.has_value());
        EXPECT_TRUE(game.recordNote.contains(d.note)) << game.recordNote.toStdString();
        EXPECT_TRUE(game.recordNote.endsWith("o jogo abre só com a posição."));
        EXPECT_TRUE(game.ok) << game.message.toStdString(); // the position still opens
    }

    // Saved again as a position alone, the earlier moves are no longer this game's.
    ASSERT_TRUE(WriteSavedGame("whole", {Start, 2, 3, "W"}));
    const OpenedGame plain = OpenSavedGame("whole");
    EXPECT_TRUE(plain.ok);
    EXPECT_FALSE(plain.record.has_value());
    EXPECT_EQ(plain.recordNote, "");
}

} // namespace
} // namespace corvane
