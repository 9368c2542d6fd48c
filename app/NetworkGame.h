#pragma once
// Network play as the main window sees it: hosting and joining, the one
// connection, the handshake, the peer's moves, resignations and chat lines,
// the peer leaving. The window is driven through its public procedures only;
// the shell fills the hooks below (the menu's tooltip, the new-game dialog).
//
// What a peer sends is not trusted: its bytes pass the wire unit (framing,
// cleaning, a bounded buffer), and a move reaches the board only when it is
// well formed, of the peer's colour, sent while the local side waits for it
// and legal on the position. Anything else ends the connection, with a
// message naming the peer and what it sent. What the move leaves (check, mate,
// stalemate, a draw) is this side's own finding; the status the peer sent with
// it is judged against that finding (PeerClaim).
//
// Messages are handled one at a time and never while a local move is being
// made; those that must wait are kept, in order, at most MaxWaitingMessages of
// them.
#include "net/Agreements.h"
#include "net/CSocketLink.h"
#include "net/Discovery.h"
#include "net/Extensions.h"
#include "net/NetProtocol.h"
#include "net/PortMapping.h"
#include "net/Resume.h"
#include "net/frmChat.h"
#include "net/frmConectar.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace corvane {

class frmMain;

// This side hosts (set by the new-game dialog).
extern bool NetServerMode;
// Host name or dotted address typed in the connection dialog.
extern QString NetServerAddress;

// The game's TCP port; CORVANE_NET_PORT, when set to a valid port, replaces it.
inline constexpr long GamePort = 1243;
long NetPort();

// The peer's nick for a message, also before the handshake told it.
QString PeerName();

// Keep-alive timing of a game connection: a peer machine that vanished is
// noticed after about idle + interval * count seconds.
inline constexpr int KeepIdleSeconds = 30;
inline constexpr int KeepIntervalSeconds = 10;
inline constexpr int KeepCount = 3;
// A joiner that connects and never introduces itself is dropped after this.
inline constexpr int HandshakeMs = 30000;

// Texts for the player; %1 is the peer's nick, %2 the refused text.
// Each sentence stays whole on its line.
// clang-format off
inline const QString MsgPortaOcupada =
    QStringLiteral("Não foi possível abrir a porta para o servidor! As causas possíveis são:") + u'\n' +
    QStringLiteral("1 - Você já têm o servidor aberto em outra janela.") + u'\n' +
    QStringLiteral("2 - Algum programa de proteção (como Firewalls, Wingate) não está permitindo a abertura da porta.");
// clang-format on
inline const QString MsgSaiuDoJogo = QStringLiteral("%1 saiu do jogo");
inline const QString MsgLanceRecusado =
    QStringLiteral("%1 enviou um lance que não é válido nesta posição:\n\"%2\"\n"
                   "A conexão foi encerrada.");
inline const QString MsgDadosDemais =
    QStringLiteral("%1 enviou dados que não são mensagens do jogo.\nA conexão foi encerrada.");
inline const QString MsgMensagensDemais = QStringLiteral(
    "%1 enviou mais mensagens do que o jogo pode guardar.\nA conexão foi encerrada.");
// %2 the move, %3 the status word sent with it.
inline const QString MsgAnuncioImpossivel =
    QStringLiteral("%1 enviou o lance \"%2\" anunciando %3, o que não é possível nesta posição.\n"
                   "A conexão foi encerrada.");
// Shown in the message window when the game ends on the peer's word; %2 is
// what it announced ("xeque-mate", "afogamento", "empate").
inline const QString MsgFimContestado =
    QStringLiteral("%1 anunciou %2, mas pelas regras deste computador o jogo não terminou. "
                   "Começa o próximo jogo.");
// Agreements with a peer that announced the extensions; %1 is the peer's nick.
inline const QString MsgPropoeEmpate = QStringLiteral("%1 propõe empate. Aceita?");
inline const QString MsgPedeVoltar = QStringLiteral("%1 pede para voltar a jogada. Aceita?");
inline const QString MsgEmpateRecusado = QStringLiteral("%1 recusou o empate.");
inline const QString MsgVoltarRecusado = QStringLiteral("%1 recusou voltar a jogada.");
inline const QString MsgOfertaSemResposta = QStringLiteral("%1 não respondeu.");
inline const QString MsgAguardeResposta = QStringLiteral("Aguarde a resposta de %1.");
inline const QString MsgJaRecusou =
    QStringLiteral("%1 já recusou. Uma nova proposta só depois da próxima jogada.");
inline const QString MsgNadaAVoltar = QStringLiteral("Não há jogada sua para voltar.");
inline const QString MsgVoltarDesencontro =
    QStringLiteral("%1 aceitou voltar a jogada, mas o jogo dos dois computadores não confere.\n"
                   "A conexão foi encerrada.");
// The connection broke: the time left to resume ("m:ss").
inline const QString MsgConexaoPerdida = QStringLiteral("Conexão perdida. Tentando reconectar… %1");
inline const QString MsgJogoNaoConfere =
    QStringLiteral("O jogo de %1 não confere com o deste computador depois da reconexão.\n"
                   "A conexão foi encerrada.");
inline const QString MsgSemApresentacao =
    QStringLiteral("O outro computador conectou mas não iniciou o jogo.\nA conexão foi encerrada.");

class NetworkGameSession : public QObject {
    Q_OBJECT
public:
    explicit NetworkGameSession(frmMain& window);
    ~NetworkGameSession() override;

    // --- Hooks filled by the shell -------------------------------------------------
    // Tooltip text of menu button 6 ("Entregar" while connected, "Reniciar jogo").
    std::function<void(const QString& text)> setResignTip;
    // Menu button 3: the new-game dialog.
    std::function<void()> openNewGame;
    // A message box (critical: the critical icon, else information). Unset: a
    // QMessageBox over the main window.
    std::function<void(const QString& text, bool critical)> tellUser;
    // Called with each connection dialog just before it is shown (tests, scripts).
    std::function<void(frmConectar&)> connectDialogShown;
    // Asks the local player about the peer's offer; closed unanswered after
    // timeoutMs, which answers no. Unset: a question window over the board.
    std::function<bool(const QString& question, int timeoutMs)> askPlayer;
    // The keep-alive and the offers' waits (tests shorten them).
    ExtensionTimes times;

    // --- Procedures -------------------------------------------------------------------
    // A fresh socket that listens (NetServerMode) or connects to NetServerAddress.
    // False, with no socket left and the player told, when that fails.
    bool StartNetwork();
    // Sends one whole message while a network game is connected; false otherwise.
    bool EnviarDados(const QString& dados);
    // "&Jogar" on the network tab: host (StartNetwork, then the connection dialog)
    // or join (the connection dialog). True when the connection was made; the
    // caller then closes the new-game dialog.
    bool HostOrJoin(bool host, const QString& nick, QWidget* dialogParent);
    // Menu button 6 after "&Sim" in a network game.
    void Resign();
    // The local side ends the connection (a new game, the window closing): the
    // peer sees the close; nothing half-sent, no message here.
    void CloseConnection();
    // Releases the socket object (cancel in the connection dialog).
    void ReleaseSocket();

    // "Propor empate" and "Pedir para voltar a jogada" (menu and keys), with a
    // peer that announced the extensions: the peer's player answers.
    void OfferDraw();
    void AskTakeBack();
    bool PeerExtended() const { return extended_; }
    // The connection broke and the game waits to be resumed; the window that
    // says so (with "Desistir").
    bool Resuming() const { return resuming_; }
    QDialog* LostWindow() const { return lostWindow_; }
    void GiveUpResuming();
    const MatchScore& Score() const { return score_; }

    // While this side hosts: the game announced on the local network until a
    // joiner comes, and the router's mapping of the game port (when the
    // "UPNP" setting asks for it) until the connection ends. Tests may set the
    // lease (CORVANE_ROUTER_LEASE, seconds; else the longest) and how long
    // the router's discovery waits (CORVANE_ROUTER_WAIT_MS).
    const GamePublisher& Publisher() const { return publisher_; }
    const PortMapper& Mapper() const { return mapper_; }

    CSocketLink* Socket() const { return socket_.get(); }
    frmChat* Chat() const { return chat_; }
    bool HandshakeDone() const { return handshakeDone_; }

    // --- Socket events (public for the tests' sake; the socket raises them) -------
    void Socket_ConnectionRequest(long requestID);
    void Socket_Connect();
    void Socket_DataArrival(long bytesTotal);
    void Socket_CloseSck();
    // Bytes read from the connection (what Socket_DataArrival reads, and what
    // the fuzz target feeds in).
    void Receive(const QByteArray& bytes);

private:
    void Wire(CSocketLink& socket);
    void OnSocketError(int number, const QString& description);
    void Dispatch(const NetMessage& message);
    bool MustWait(const NetMessage& message) const;
    void Hold(const NetMessage& message);
    bool BetweenGames() const;
    void ReleaseHeld();
    void Handle(const NetMessage& message);
    void Handshake(const NetMessage& message);
    void PeerMoved(const NetMessage& message);
    void PeerResigned();
    void OpenChat();
    void UnloadChat();
    void Connected();
    void KeepAlive();
    // The game ends as if the peer had left; text is what the player is told.
    void PeerGone(const QString& text);
    void TellPeerGone(const QString& text);
    void DropSocket();
    void StartHosting(frmConectar& dialog);
    void StopHosting();
    void Tell(const QString& text, bool critical);
    // The extensions (NetworkGameAgreements.cpp).
    void StartExtensions(bool peerExtended);
    void StopExtensions();
    void HandleExtension(const NetMessage& message);
    bool MayAgree() const;
    bool SendOffer(const Offer& offer);
    void PeerOffered(const Offer& offer);
    bool Ask(const QString& question);
    void PeerAnswered(const Offer& offer, bool yes);
    void OfferUnanswered();
    void OfferOver();
    void AgreedDraw();
    int PliesListed() const;
    void GameOver(bool localWon, bool drawn);
    void ShowScore();
    // Resuming (NetworkGameResume.cpp).
    bool CanResume() const;
    void ConnectionBroke();
    void ListenAgain();
    void ConnectAgain();
    void ResumeTick();
    void ResumeMessageArrived(const NetMessage& message);
    bool ResumeFits(const ResumeState& peer, bool withKey) const;
    ResumeState OwnResumeState() const;
    std::vector<std::string> ListedMoves() const;
    void FinishResume(const ResumeState& peer);
    void LockForBreak();
    void RefuseResume();
    QString ResumeKey() const;
    void Checked(const NetMessage& message);
    void SendRaw(const QString& message);
    static bool CountsForResume(const NetMessage& message);
    static bool KeptForResume(const QString& message);

    frmMain& window_;
    std::unique_ptr<CSocketLink> socket_;
    NetInbox inbox_;
    QPointer<frmChat> chat_;
    QPointer<frmConectar> conectar_;
    QTimer handshakeTimer_;
    std::deque<NetMessage> held_; // messages that wait (see MustWait)
    QTimer heldTimer_;
    bool betweenGames_ = false; // a resignation's message shows
    bool handshakeDone_ = false;
    int dispatching_ = 0;      // a message handler runs (it may wait in a nested loop)
    bool gonePending_ = false; // the peer left while a handler or a local move ran
    QTimer goneTimer_;         // ends the game once that is over
    QString goneText_;
    // The extensions: whether the peer announced them, the keep-alive, the
    // offers, the match score.
    bool extended_ = false;
    PeerWatch watch_;
    Agreements agreements_;
    QTimer answerTimer_;
    MatchScore score_;
    // Resuming.
    QString ownToken_, peerToken_;
    Outbox outbox_;
    int received_ = 0;         // game messages taken from the peer
    bool peerLeaving_ = false; // the peer said it leaves
    bool resuming_ = false;
    bool awaitingHello_ = false; // a new connection has yet to show its key
    bool clocksWereRunning_ = false;
    QElapsedTimer resumeClock_;
    QTimer resumeTick_, retryTimer_;
    ReconnectSchedule schedule_;
    std::vector<std::string> finishedMoves_; // the moves of the game that ended last
    QPointer<QDialog> lostWindow_;
    // Hosting.
    GamePublisher publisher_;
    PortMapper mapper_;
};

} // namespace corvane
