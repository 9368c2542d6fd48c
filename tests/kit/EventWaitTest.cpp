// The waits end on their limit or their condition, and sleep instead of spinning.
#include "kit/EventWait.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

namespace corvane {
namespace {

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
