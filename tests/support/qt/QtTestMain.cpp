// main() for the tests that need a QApplication; offscreen unless asked otherwise (test discovery
// runs the binaries outside ctest's environment).
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A window that hosts looks up the public address on a web page: in tests it asks a
    // closed local port instead, so nothing leaves the machine.
    if (std::getenv("CORVANE_MYIP_URL") == nullptr)
        setenv("CORVANE_MYIP_URL", "http://127.0.0.1:1/", 1);
    // Nor does it announce the game on the local network or ask the router for a port.
    setenv("CORVANE_NO_DISCOVERY", "1", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
