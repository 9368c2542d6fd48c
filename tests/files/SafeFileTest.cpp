// Replacing a file never loses the old one: failed writes leave it as it was
// and say so.
#include "files/SafeFile.h"
#include "files/modINI.h"

#include "files/FileTestSupport.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

class SafeFiles : public ::testing::Test {
protected:
    QString In(const QString& name) const { return dir_.filePath(name); }
    static void Put(const QString& path, const QByteArray& bytes) { PutFile(path, bytes); }
    static QByteArray Get(const QString& path) { return GetFile(path); }
    // Everything in the folder: a failed write leaves no temporary file behind.
    QStringList Entries() const {
        return QDir(dir_.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    QTemporaryDir dir_;
};

const QByteArray OldFile = "[Corvane]\nSOM=True\nNICK=ANA\n";

TEST_F(SafeFiles, FullDiskKeepsTheOldFile) {
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
}

TEST_F(SafeFiles, UnwritablePlacesFailAndKeepWhatIsThere) {
    // A folder where the file should be, and a folder that does not exist.
    ASSERT_TRUE(QDir().mkpath(In("game.sav")));
    Put(In("game.sav/inside"), "x");
    EXPECT_FALSE(WriteIniValue("Corvane", "SOM", "True", In("game.sav")));
    EXPECT_EQ(Get(In("game.sav/inside")), "x");
    EXPECT_FALSE(WriteIniValue("Corvane", "SOM", "True", In("missing/config.dat")));
    EXPECT_FALSE(QFileInfo::exists(In("missing")));
    EXPECT_EQ(Entries(), QStringList{"game.sav"});
}

TEST_F(SafeFiles, ReadOnlyFolderAndFileFail) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    const QString path = In("ro/config.dat");
    ASSERT_TRUE(QDir().mkpath(In("ro")));
    Put(path, OldFile);
    ASSERT_EQ(chmod(QFile::encodeName(In("ro")).constData(), 0555), 0);
    EXPECT_FALSE(WriteIniValue("Corvane", "SOM", "False", path));
    ASSERT_EQ(chmod(QFile::encodeName(In("ro")).constData(), 0755), 0);
    EXPECT_EQ(Get(path), OldFile);

    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0444), 0);
    EXPECT_FALSE(WriteIniValue("Corvane", "SOM", "False", path));
    EXPECT_EQ(Get(path), OldFile);
}

TEST_F(SafeFiles, ReplacementKeepsModeAndLinks) {
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

TEST_F(SafeFiles, OnlySmallRegularFilesAreRead) {
    QByteArray bytes = "left over";
    EXPECT_EQ(ReadSmallFile(In("none"), bytes), FileReadResult::Missing);
    EXPECT_TRUE(bytes.isEmpty());

    // A pipe would block a plain read for ever.
    ASSERT_EQ(mkfifo(QFile::encodeName(In("pipe.sav")).constData(), 0600), 0);
    EXPECT_EQ(ReadSmallFile(In("pipe.sav"), bytes), FileReadResult::Failed);
    EXPECT_EQ(ReadIniValue("Corvane", "SOM", In("pipe.sav"), "d"), "d");
    EXPECT_FALSE(WriteIniValue("Corvane", "SOM", "True", In("pipe.sav")));

    ASSERT_TRUE(QFile::link(In("nowhere"), In("dangling.sav")));
    EXPECT_EQ(ReadSmallFile(In("dangling.sav"), bytes), FileReadResult::Failed);

    // Too large to be one of ours: neither read nor rewritten.
    const QByteArray huge = "[Corvane]\nSOM=False\n" + QByteArray(MaxSmallFileBytes, 'x');
    Put(In("huge.dat"), huge);
    EXPECT_EQ(ReadIniValue("Corvane", "SOM", In("huge.dat"), "d"), "d");
    EXPECT_FALSE(WriteIniValue("Corvane", "SOM", "True", In("huge.dat")));
    EXPECT_EQ(QFileInfo(In("huge.dat")).size(), huge.size());
}

TEST_F(SafeFiles, EnormousLinesDoNotHideTheKeys) {
    const QByteArray line(MaxSmallFileBytes / 3, '#');
    Put(In("big.sav"), line + "\n[Corvane]\nPOSTION=" + line + "\nMOVE=1\n");
    EXPECT_EQ(ReadIniValue("Corvane", "MOVE", In("big.sav"), ""), "1");
    EXPECT_EQ(ReadIniValue("Corvane", "POSTION", In("big.sav"), ""), QString(254, u'#'));
    ASSERT_TRUE(WriteIniValue("Corvane", "MOVE", "0", In("big.sav")));
    EXPECT_EQ(Get(In("big.sav")), line + "\n[Corvane]\nPOSTION=" + line + "\nMOVE=0\n");
}

} // namespace
} // namespace corvane
