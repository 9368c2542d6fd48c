#pragma once
// The shell's small notices: the yes/no question before a restart or a
// resignation, and the pause notice that holds the game until "&OK".
#include "shell/kit/WindowConventions.h"

#include <QLabel>

namespace corvane {

class frmQuestion : public BorderlessDialog {
    Q_OBJECT
public:
    // networkGame picks the resignation question instead of the restart one.
    explicit frmQuestion(bool networkGame, QWidget* parent = nullptr);
    // True after "&Sim", false after "&Não" (or any other way of closing).
    bool Answer() const { return answer_; }
    void Sim();
    void Nao();

    QLabel Label1, Label2, Image1;
    ImageButton lblSim, lblNao;

private:
    bool answer_ = false;
};

class frmPause : public BorderlessDialog {
    Q_OBJECT
public:
    explicit frmPause(QWidget* parent = nullptr);
    void Ok() { accept(); }

    QLabel Label1, Label2, Image1;
    ImageButton lbOk;
};

} // namespace corvane
