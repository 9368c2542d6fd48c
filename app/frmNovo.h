#pragma once
// "Novo Jogo": the kind of game to play. Tab 1 chooses who plays which colour,
// tab 2 the computer's level, tab 3 a network game hosted or joined. A local
// choice is only recorded (Level, PlayerOption and Confirmed()); the caller starts
// the game. A network choice hands over to the network side through callbacks.
#include "kit/WindowConventions.h"

#include <QLabel>
#include <QLineEdit>
#include <array>
#include <functional>
#include <memory>

namespace corvane {

// A picture or caption that reacts to a left click.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The operating system's name for the account, at most 100 characters, cut at
// the first NUL; empty when it cannot be learnt.
QString SystemUserName();

class frmNovo : public BorderlessDialog {
    Q_OBJECT
public:
    // mode 1..3 and level 1..3 are those of the previous game; nick is the "NICK"
    // setting, empty when there is none (the account name is used instead).
    frmNovo(int mode, int level, const QString& nick, QWidget* parent = nullptr);
    ~frmNovo() override;

    // Results, read after the modal call returns.
    bool Confirmed() const { return confirmed_; }
    int SelectedMode() const { return selection_[1]; }
    int SelectedLevel() const { return selection_[2]; }
    bool NetServerMode() const { return netServerMode_; }
    bool NetworkTab() const { return networkTab_; }
    QString PlayerNick() const { return playerNick_; }

    // The actions behind the controls, public so that the caller and tests drive them.
    void ClickTab(int tab);
    void ChooseMode(int index);
    void ChooseLevel(int index);
    void ChooseRede(int index);
    void Jogar();
    void Cancelar();

    // Network play: close the running connection before a new game; host or join
    // (true = host). Unset, a network "&Jogar" only beeps.
    std::function<void()> closeConnection;
    std::function<void(bool host)> startNetwork;
    // Every refusal beeps through here (QApplication::beep when unset).
    std::function<void()> beep;
    // Before hosting: whether the firewall product runs (KasperskyRunning when
    // unset), and the warning shown when it does (frmAviso when unset).
    std::function<bool()> antivirusRunning;
    std::function<void()> showWarning;
    // False when the "AVISO" setting, read as the dialog opened, hides the warning.
    bool WarningAllowed() const { return warningAllowed_; }

    // Controls, named as the rest of the program knows them; index 0 unused.
    // (Members are destroyed before the panels that hold them, never after.)
    QLabel Label1, PicTab;
    std::array<std::unique_ptr<ClickLabel>, 4> Image1;
    std::array<std::unique_ptr<QWidget>, 4> picOptions;
    QLabel Label2, Label3, lblNick;
    std::array<std::unique_ptr<ClickLabel>, 4> lblModo, imgModo, lblNivel, imgNivel;
    std::array<std::unique_ptr<ClickLabel>, 3> lblRede, imgRede;
    std::array<std::unique_ptr<QLabel>, 3> imgVez;
    std::unique_ptr<QLineEdit> txtNome;
    ImageButton lblJogar, lblCancelar;

private:
    // Shows choice index of a group as selected, the others as not (index 0 unused).
    template <std::size_t N>
    void Select(std::array<std::unique_ptr<ClickLabel>, N>& captions,
                std::array<std::unique_ptr<ClickLabel>, N>& radios, int index);
    void ShowModeIcons();
    void NickEdited(const QString& text);
    void AntivirusCheck();

    std::array<int, 3> selection_{0, 1, 2}; // element 1 mode, element 2 level
    bool networkTab_ = false;
    bool netServerMode_ = true;
    bool confirmed_ = false;
    bool warningAllowed_ = true;
    bool warningShown_ = false;
    QString playerNick_;
};

} // namespace corvane
