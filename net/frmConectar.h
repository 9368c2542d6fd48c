#pragma once
// The connection dialog, between "&Jogar" on the network tab and the first
// move. A host (already listening) sees its addresses to give a friend and a
// moving indicator while it waits; a joiner types the host's name or address,
// the dialog checks that the host answers and then has the network side
// connect. The network side closes the dialog once the connection is made.
//
// A joiner also sees the games announced on the local network while the
// dialog is open; choosing one (double click or Enter) is the same as typing
// its address. A host sees whether the router opened the game port.
#include "kit/WindowConventions.h"
#include "net/DL.h"
#include "net/Discovery.h"
#include "net/PortMapping.h"
#include "net/modGetAddress.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

namespace corvane {

// Texts of the dialog, also for the network side to reuse.
inline const QString MsgInformeServidor =
    QStringLiteral("Informe o nome ou IP do computador para qual quer conectar!");
inline const QString MsgServidorNaoEncontrado =
    QStringLiteral("Servidor não encontrado, o nome ou IP do computador está incorreto!");
inline const QString MsgBuscando = QStringLiteral("Buscando o servidor na rede...");
inline const QString MsgEncontrado = QStringLiteral("Endereço do servidor encontrado...");
// A connection that failed after the host answered the check; %1 is the reason.
inline const QString MsgConexaoFalhou =
    QStringLiteral("Não foi possível conectar ao servidor.\nMotivo: %1\n"
                   "Verifique se o jogo foi criado no outro computador e tente de novo.");
// No connection reported in time after the attempt started.
inline const QString MsgSemResposta =
    QStringLiteral("O servidor não respondeu.\n"
                   "Verifique se o jogo foi criado no outro computador e tente de novo.");

class frmConectar : public BorderlessDialog {
    Q_OBJECT
public:
    // netServerMode: this side hosts (it is already listening).
    explicit frmConectar(bool netServerMode, QWidget* parent = nullptr);
    ~frmConectar() override;

    // --- Seams to the network side ---
    // Called once the host answered: starts the connection (it reads
    // NetServerAddress()). False when it failed; it has told the player then.
    std::function<bool()> startNetwork;
    // Releases the main window's socket (cancel, or an attempt given up).
    std::function<void()> releaseSocket;
    // Shows a message to the player (an information box when unset).
    std::function<void(const QString&)> tellUser;
    // The machine's own addresses (LocalIPv4Addresses when unset).
    std::function<QStringList()> localAddresses;
    // How names are resolved by the reachability check.
    NameResolver resolveName = SystemResolver();
    // How long a started connection may stay silent before the player is told.
    int connectBoundMs = 10000;

    // The trimmed address of the last "&Conectar".
    QString NetServerAddress() const { return netServerAddress_; }
    bool NetServerMode() const { return netServerMode_; }

    // The connection is made: the dialog closes (accepted).
    void Connected();
    // Host mode: the router's mapping of the game port for this game. The
    // check box shows whether it is asked for and switches it (remembered as
    // a setting); the line under it tells what the router answered.
    void ShowPortMapping(PortMapper& mapper, quint16 port);
    // Join mode: the games found on the local network, as the browser lists them.
    void ShowGames(const std::vector<FoundGame>& games);
    // A connection started by startNetwork failed; reason names the cause. The
    // player may try again or cancel.
    void ConnectionFailed(const QString& reason);

    // The actions behind the controls.
    void Conectar();
    void Cancelar();
    void AnimationTick();
    // Joins the game of lstJogos' row as if its address had been typed.
    void JoinListed(int row);

    void reject() override; // Esc and closing the window cancel
    void done(int result) override;

    // Controls, named as the rest of the program knows them.
    QLabel Image1, lblTitulo;
    QWidget picListen, picServidor;
    QLabel Label1, Label4;
    QListWidget List1;
    QWidget ProgressBar;
    QLabel ImgGo;
    QLabel Label2;
    QLineEdit txtServ;
    QLabel lblMens;
    ImageButton lblConectar, lblCancelar;
    QTimer AnimationTimer;
    DL DL1;
    QCheckBox chkRoteador;
    QLabel lblRoteador;
    QLabel lblJogos;
    QListWidget lstJogos;
    QLabel lblRedeLocal;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LayOut();
    void OpenHost();
    void ServerChecked(bool found, int attempt);
    void StartConnection();
    void Tell(const QString& text);
    void ShowMens(const QString& text);
    void RouterSwitched(bool on);
    void ShowRouterOutcome();
    void ShowBrowserNote();

    bool netServerMode_;
    bool opened_ = false;
    bool closed_ = false;
    bool failed_ = false; // the network side reported a failed connection
    int attempt_ = 0;     // callbacks of an older attempt are stale
    bool movingRight_ = true;
    QString netServerAddress_;
    QTimer connectBound_;
    GameBrowser browser_; // join mode, while the dialog is open
    QPointer<PortMapper> mapper_;
    quint16 routerPort_ = 0;
};

} // namespace corvane
