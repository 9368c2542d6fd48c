#pragma once
// The Save window "SALVAR JOGO": proposes a name, keeps the typed name to the
// characters a file name may hold, asks before replacing a saved game, and
// writes the game shown on the main board.
#include "rules/SquareImages.h"
#include "shell/kit/WindowConventions.h"

#include <QLabel>
#include <QLineEdit>
#include <functional>

namespace corvane {

class frmSalvar : public BorderlessDialog {
public:
    // mainView: the main window's board view, read when the game is saved.
    explicit frmSalvar(SquareImages& mainView, QWidget* parent = nullptr);

    QLabel Label2;     // "Salvar Jogo"
    QLabel Label1;     // "Informe um nome descritivo:"
    QLineEdit txtNome; // the name without ".sav"
    ImageButton lblOk; // saves
    ImageButton lblCancelar;
    QLabel Image1; // decoration

    // The Yes/No question with a warning icon; true for yes.
    std::function<bool(const QString& question)> askOverwrite;
    // Tells the user that the game could not be written; the window stays open.
    std::function<void(const QString& message)> tellFailure;
    std::function<void()> beep;

private:
    void NomeChanged(const QString& text);
    void OkClick();

    SquareImages& view_;
};

} // namespace corvane
