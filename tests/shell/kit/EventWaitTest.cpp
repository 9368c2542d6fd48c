// The waits: timers and socket notifications run during them, the condition
// ends them, the time limit ends them, and they sleep instead of spinning.
#include "shell/kit/EventWait.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane {
namespace {

// A timer ticks during the wait and, at its third tick, writes to a socket as a
// peer would; the socket's notification ends the wait.
TEST(EventWait, TimersAndSocketsRunAndTheConditionEndsTheWait) {
    int fd[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fd), 0);
    int ticks = 0;
    char received = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (++ticks == 3) {
            EXPECT_EQ(::write(fd[1], "m", 1), 1);
        }
    });
    ticker.start(1);
    QSocketNotifier notifier(fd[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated,
                     [&] { EXPECT_EQ(::read(fd[0], &received, 1), 1); });
    EXPECT_TRUE(RunEventsUntil([&] { return received != 0; }, 10000)); // 10 s: a hang guard
    EXPECT_EQ(received, 'm');
    EXPECT_GE(ticks, 3);
    ::close(fd[0]);
    ::close(fd[1]);
}

// With nothing to do, a wait wakes only for its own timer; stop() cuts it short.
TEST(EventWait, LimitsAndSleep) {
    int wakeups = 0;
    const auto counter = QObject::connect(QAbstractEventDispatcher::instance(),
                                          &QAbstractEventDispatcher::awake, [&] { ++wakeups; });
    EXPECT_FALSE(RunEventsUntil([] { return false; }, 100));
    QObject::disconnect(counter);
    EXPECT_LT(wakeups, 20); // a spinning wait wakes thousands of times

    bool stop = false;
    QTimer::singleShot(0, [&] { stop = true; });
    QElapsedTimer t;
    t.start();
    RunEventsFor(60000, [&] { return stop; });
    EXPECT_TRUE(stop);
    EXPECT_LT(t.elapsed(), 30000); // a hang guard
}

} // namespace
} // namespace corvane
