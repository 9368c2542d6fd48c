#pragma once
// "Abrir PGN": a PGN file read, one of its games chosen with the mode it is
// played in, and that game replayed into the main window as the game being
// played, from its last position.
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <array>
#include <functional>

#include "kit/WindowConventions.h"
#include "rules/PgnFile.h"

namespace corvane {

class frmMain;

// The game picker "ABRIR PGN": the file's games (number, players, date,
// result) and the mode the chosen game goes on in.
class frmPartidas : public BorderlessDialog {
public:
    explicit frmPartidas(const PgnIndex& index, QWidget* parent = nullptr);

    QLabel Image1;     // decoration
    QLabel Label2;     // "Abrir PGN"
    QListWidget List1; // one entry per game of the index
    QLabel lblNota;    // the note when the file holds more games than listed
    // The player options of a new game: 1 the computer has Black, 2 it has
    // White, 3 two players.
    std::array<QRadioButton*, 3> optModo{};
    ImageButton lblAbrir;
    ImageButton lblCancelar;

    int Game() const { return List1.currentRow() + 1; } // 1 for the file's first game
    int Mode() const;
    // The list's text of a game: "12. Branco – Preto (2024.01.31) 1-0".
    static QString EntryText(int number, const PgnGameEntry& game);
};

class PgnOpener {
public:
    explicit PgnOpener(frmMain& window) : window_(window) {}
    // Asks for the file ("" cancels); the default is a file chooser.
    std::function<QString()> chooseFile;
    // Shows the picker; false cancels. The default runs it modally.
    std::function<bool(frmPartidas&)> pick;
    // Tells the player why nothing was opened; the default is a warning notice.
    std::function<void(const QString&)> tellFailure;

    // The whole road: file, picker, game, replay. True when a game was opened;
    // on a refusal the game on the board stays as it was.
    bool Open();
    bool OpenFile(const QString& path);

private:
    void Fail(const QString& message);
    frmMain& window_;
};

} // namespace corvane
