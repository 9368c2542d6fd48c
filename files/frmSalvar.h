#pragma once
// The Save window "SALVAR JOGO": proposes a name, keeps the typed name to the
// characters a file name may hold, asks before replacing a saved game, and
// writes the game shown on the main board.
#include "kit/WindowConventions.h"

#include <QLabel>
#include <QLineEdit>
#include <functional>
#include <optional>

#include "files/GameRecord.h"

namespace corvane {

class frmSalvar : public BorderlessDialog {
public:
    // Saves the game's position (ply 0, which set-up keeps in step with the board).
    explicit frmSalvar(QWidget* parent = nullptr);

    QLabel Label2;     // "Salvar Jogo"
    QLabel Label1;     // "Informe um nome descritivo:"
    QLineEdit txtNome; // the name without ".sav"
    ImageButton lblOk; // saves
    ImageButton lblCancelar;
    ImageButton lblExportar; // "Exportar PGN", shown once offered
    QLabel Image1;           // decoration

    // The Yes/No question with a warning icon; true for yes.
    std::function<bool(const QString& question)> askOverwrite;
    // Tells the user that the game could not be written; the window stays open.
    std::function<void(const QString& message)> tellFailure;
    std::function<void()> beep;
    // The whole game to keep with the position; unset or none: the position alone.
    std::function<std::optional<GameRecord>()> record;

    // Offers "Exportar PGN" between the two buttons; the action writes the
    // export and the window closes when it did (true).
    void OfferExport(std::function<bool()> action);

private:
    void NomeChanged(const QString& text);
    void OkClick();

    std::function<bool()> export_;
};

} // namespace corvane
