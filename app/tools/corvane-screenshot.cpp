// corvane-screenshot FOLDER: draws the two pictures of the software-centre entry
// into FOLDER without a display: corvane-partida.png, a game between two players
// a few moves in, and corvane-novo-jogo.png, the new-game dialog over the board.
// The moves go through the same pick-up and drop as the mouse's, so a change to
// the rules or the window shows here as it would to a player.
#include "app/MainMenu.h"
#include "app/frmNovo.h"
#include "files/modINI.h"
#include "game/frmMain.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

using namespace corvane;

namespace {

int Square(const char* name) {
    return ImageIndexOf(name[1] - '0', name[0] - 'a' + 1);
}

// Plays "e2e4"-style moves on the board; false (with the move named) when one
// is refused.
bool Play(frmMain& window, std::initializer_list<const char*> moves) {
    for (const char* move : moves) {
        const int from = Square(move), to = Square(move + 2);
        const std::string piece = window.Tag(from).substr(0, 2);
        // The board's own press and drop, as the mouse gives them.
        window.picBoard()->onPress(from, Qt::LeftButton);
        window.picBoard()->onDropSquare(to);
        if (piece.empty() || window.Tag(to).substr(0, 2) != piece) {
            std::fprintf(stderr, "corvane-screenshot: the move %s was refused\n", move);
            return false;
        }
    }
    return true;
}

bool Save(const QImage& image, const QDir& folder, const char* name) {
    if (image.save(folder.filePath(QString::fromLatin1(name)), "PNG")) return true;
    std::fprintf(stderr, "corvane-screenshot: cannot write %s\n", name);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvane-screenshot FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    // Settings and saved games of this run stay out of the user's folder.
    const QTemporaryDir data;
    SetProgramFolder(data.path());
    SoundOn = false;

    frmMain window;
    MainMenu menu(window);
    window.resize(MainMenu::NormalWidth, MainMenu::NormalHeight);
    // Away from the pointer, which rests at the screen's corner: no button lit.
    window.move(100, 100);
    window.show();
    window.NovoJogo(3);
    if (!Play(window, {"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "b5c6", "d7c6", "e1g1",
                       "f7f6", "d2d4", "e5d4", "f3d4", "c6c5"}))
        return 1;
    QCoreApplication::processEvents();
    const QImage game = window.grab().toImage();
    if (!Save(game, folder, "corvane-partida.png")) return 1;

    frmNovo dialog(3, 2, QStringLiteral("JOGADOR"), &window);
    window.CenterOverBoard(&dialog);
    dialog.show();
    QCoreApplication::processEvents();
    QImage withDialog = window.grab().toImage();
    QPainter painter(&withDialog);
    painter.drawPixmap(window.mapFromGlobal(dialog.mapToGlobal(QPoint(0, 0))), dialog.grab());
    painter.end();
    return Save(withDialog, folder, "corvane-novo-jogo.png") ? 0 : 1;
}
