// The main window for the AT-SPI test (atspi-test.sh): a two-player game whose
// moves arrive as lines on standard input, typed into the move line as a
// person would type them. Ends when its input ends.
#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

#include "game/TypedMoveLine.h"
#include "game/frmMain.h"
#include "rules/GameState.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvane-atspi-board"));
    corvane::ResetGameState();
    corvane::frmMain window;
    window.messagePresenter = [] {};
    window.NovoJogo(3);
    window.show();
    window.picBoard()->setFocus();
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char line[64];
        const ssize_t n = read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0) {
            app.quit();
            return;
        }
        line[n] = '\0';
        window.TypedLine()->setText(QString::fromLatin1(line).trimmed());
        window.TypedLine()->Submit();
    });
    return app.exec();
}
