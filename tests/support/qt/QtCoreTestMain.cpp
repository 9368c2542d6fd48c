// main() for the tests that need an event loop but no window (sockets, timers).
#include <QCoreApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // No test announces a game on the machine's real network or asks its router for a
    // port (and the copies of the program a test starts inherit this); the tests about
    // those run them inside network namespaces.
    setenv("CORVANE_NO_DISCOVERY", "1", 0);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
