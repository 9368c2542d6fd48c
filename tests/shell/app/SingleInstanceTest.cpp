// The single-instance lock across processes: copies of this binary (the Child case,
// run only with CORVANE_LOCK_CHILD set) take, hold or try the lock.
#include "shell/app/SingleInstance.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

using corvane::SingleInstanceLock;

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
    const bool got = lock.Acquire(QString::fromLocal8Bit(path));
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
    EXPECT_FALSE(mine.Acquire(path));

    // A crash (SIGKILL: no clean-up at all) leaves no stale lock.
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished(10000));
    EXPECT_EQ(TryInChild(path), kGotLock);
    EXPECT_TRUE(mine.Acquire(path));
    EXPECT_EQ(TryInChild(path), kRefused); // while this process holds it; after release, not
    mine.Release();
    EXPECT_EQ(TryInChild(path), kGotLock);
}

TEST(SingleInstance, UnusablePathFailsWithoutHolding) {
    SingleInstanceLock lock;
    EXPECT_FALSE(lock.Acquire(QStringLiteral("/proc/no-such-folder/corvane.lock")));
    EXPECT_FALSE(lock.Held());
}

} // namespace
