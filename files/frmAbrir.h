#pragma once
// The Open window "ABRIR JOGO": lists the saved games, previews the selected
// one with its saving date, deletes one, or opens one onto the main board and
// leaves the values the game resumes from (Level, PlayerOption, LoadedSide,
// LoadedGame).
#include "kit/WindowConventions.h"
#include "rules/SquareImages.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <array>
#include <functional>

namespace corvane {

// The small preview board: an 8 x 8 grid, the square in row r and column c
// (row 0 at the top) dark when abs(r - c) is odd, with the 64 piece images
// imgPiece(0..63) over it (0 = a8, 63 = h1).
class PreviewBoard : public QWidget {
public:
    static constexpr int Cell = 24;
    explicit PreviewBoard(QWidget* parent = nullptr);
    const QString& imgPiece(int index) const { return pieces_.at(index); }
    void SetPieces(const std::array<QString, 64>& pieces);
    void ClearPieces();
    static bool DarkSquare(int row, int column);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QString, 64> pieces_{};
};

class frmAbrir : public BorderlessDialog {
public:
    // mainView: the main window's board view, where an opened game is shown.
    explicit frmAbrir(SquareImages& mainView, QWidget* parent = nullptr);

    QLabel Label2;     // "Abrir Jogo"
    QListWidget List1; // saved-game names
    QFrame Picture1;   // frame of the preview
    PreviewBoard picBoard;
    QLabel lblData; // "Jogo salvo em: " + date
    ImageButton lblAbrir;
    ImageButton lblExcluir;
    ImageButton lblCancelar;
    QLabel Image1; // decoration

    // Tells the user why a game cannot be opened or deleted; the window stays open.
    std::function<void(const QString& message)> tellFailure;
    // Tells the user, in one line, which values of an opened game were replaced.
    std::function<void(const QString& note)> tellNote;

private:
    void ListSelected();
    void AbrirClick();
    void ExcluirClick();
    QString Selected() const;

    SquareImages& view_;
};

} // namespace corvane
