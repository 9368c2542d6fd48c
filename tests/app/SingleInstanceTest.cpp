// The single-instance lock across processes: copies of this binary (the Child case,
// run only with CORVANE_LOCK_CHILD set) take, hold or try the lock.
#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

using corvane::SingleInstanceLock;
using Result = corvane::SingleInstanceLock::Result;

namespace {

constexpr int kGotLock = 0;
constexpr int kRefused = 3;

// "try": exit with the result at once; "hold": take it, print "held", wait to be killed.
TEST(SingleInstanceChild, Child) {
    const char* path = std::getenv("CORVANE_LOCK_CHILD");
    if (path == nullptr) GTEST_SKIP() << "only run as a child process";
    const std::string mode =
        std::getenv("CORVANE_LOCK_MODE") ? std::getenv("CORVANE_LOCK_MODE") : "try";
    static SingleInstanceLock lock; // kept to the end of the process
    const bool got =
        lock.Acquire(QString::fromLocal8Bit(path)) == SingleInstanceLock::Result::Taken;
    if (mode == "hold" && got) {
        std::printf("held\n");
        std::fflush(stdout);
        for (;;) QThread::sleep(1);
    }
    std::_Exit(got ? kGotLock : kRefused);
}

void StartChild(QProcess& p, const QString& path, const char* mode) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CORVANE_LOCK_CHILD"), path);
    env.insert(QStringLiteral("CORVANE_LOCK_MODE"), QString::fromLatin1(mode));
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--gtest_filter=SingleInstanceChild.Child")});
    ASSERT_TRUE(p.waitForStarted(10000));
}

int TryInChild(const QString& path) {
    QProcess p;
    StartChild(p, path, "try");
    EXPECT_TRUE(p.waitForFinished(20000));
    return p.exitCode();
}

TEST(SingleInstance, SecondProcessIsRefusedWhileTheFirstRuns) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/corvane.lock")); // folder made on demand
    QProcess holder;
    StartChild(holder, path, "hold");
    QByteArray out;
    while (!out.contains("held\n") && holder.waitForReadyRead(20000))
        out += holder.readAllStandardOutput();
    ASSERT_TRUE(out.contains("held\n")) << out.constData();

    EXPECT_EQ(TryInChild(path), kRefused);
    SingleInstanceLock mine;
    EXPECT_EQ(mine.Acquire(path), Result::HeldElsewhere);

    // A crash (SIGKILL: no clean-up at all) leaves no stale lock.
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished(10000));
    EXPECT_EQ(TryInChild(path), kGotLock);
    EXPECT_EQ(mine.Acquire(path), Result::Taken);
    EXPECT_EQ(TryInChild(path), kRefused); // while this process holds it; after release, not
    mine.Release();
    EXPECT_EQ(TryInChild(path), kGotLock);
}

// A folder that cannot be used is not "another copy runs": the system's reason
// comes back, and the player's message names the folder and that reason.
TEST(SingleInstance, UnusableFolderFailsWithTheSystemReason) {
    QTemporaryDir dir;
    QFile regular(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    const QString readOnly = dir.filePath(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const struct {
        QString path;
        int error;
        const char* reason;
    } cases[] = {
        {dir.filePath(QStringLiteral("file/sub/corvane.lock")), ENOTDIR, "não uma pasta"},
        {dir.filePath(QStringLiteral("file/corvane.lock")), ENOTDIR, "não uma pasta"},
        {QStringLiteral("/proc/no-such-folder/corvane.lock"), ENOENT, "erro do sistema"},
        // root writes anywhere: the read-only folder only refuses other users
        {readOnly + QStringLiteral("/corvane.lock"), ::geteuid() == 0 ? 0 : EACCES,
         "permissão negada"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        SingleInstanceLock lock;
        const Result result = lock.Acquire(c.path);
        if (c.error == 0) {
            EXPECT_EQ(result, Result::Taken);
            continue;
        }
        EXPECT_EQ(result, Result::FolderUnusable);
        EXPECT_FALSE(lock.Held());
        EXPECT_EQ(lock.Error(), c.error);
        const QString folder = QFileInfo(c.path).absolutePath();
        const QString message = corvane::DataFolderMessage(folder, lock.Error());
        EXPECT_TRUE(message.contains(folder)) << message.toStdString();
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.reason))) << message.toStdString();
    }
    QFile::setPermissions(readOnly,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // A path from the environment is shown cut and cleaned.
    const QString odd = QStringLiteral("/x\n\x1b[31m/") + QString(500, u'a');
    const QString told = corvane::DataFolderMessage(odd, ENOTDIR);
    EXPECT_FALSE(told.contains(QChar(0x1b)));
    EXPECT_TRUE(told.contains(QString(240, u'a')));
    EXPECT_LT(told.size(), 500);
}

} // namespace
