// Start path of the program: shows the main window with a game already set.
// CORVANE_MODE (1 White against the computer, 2 Black, 3 two players) and
// CORVANE_LEVEL (1..3) choose the first game.
#include <QApplication>
#include <cstdlib>

#include "game/frmMain.h"
#include "rules/GameState.h"

namespace {

int EnvNumber(const char* name, int low, int high, int fallback) {
    const char* value = std::getenv(name);
    if (value == nullptr) return fallback;
    char* end = nullptr;
    const long n = std::strtol(value, &end, 10);
    return (end != value && *end == '\0' && n >= low && n <= high) ? static_cast<int>(n) : fallback;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvane");
    corvane::frmMain window;
    const int mode = EnvNumber("CORVANE_MODE", 1, 3, 1);
    corvane::Level = static_cast<std::int16_t>(EnvNumber("CORVANE_LEVEL", 1, 3, 2));
    corvane::PlayerOption = static_cast<std::int16_t>(mode);
    window.show();
    if (mode != 1 || corvane::Level != 2) window.NovoJogo(mode);
    window.StartClocks();
    return app.exec();
}
