#include "app/NetworkGame.h"

#include "files/Settings.h"
#include "game/frmMain.h"
#include "kit/ModResWav.h"
#include "kit/PlainText.h"
#include "net/PeerMove.h"
#include "net/frmChat.h"
#include "net/frmConectar.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"

#include <QScreen>
#include <QThread>
#include <algorithm>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace corvane {

bool NetServerMode = true;
QString NetServerAddress;

long NetPort() {
    bool ok = false;
    const long port = qEnvironmentVariable("CORVANE_NET_PORT").toLong(&ok);
    return ok && port > 0 && port < 65536 ? port : GamePort;
}

QString PeerName() {
    return PlayerNick[2].isEmpty() ? QStringLiteral("O outro jogador") : PlayerNick[2];
}

namespace {

// A refused move text is shown this long at most.
constexpr int ShownMoveLength = 30;

// What a game-ending status word announces, in words.
QString ClaimWords(const std::string& status) {
    if (status == "XEQUE-MATE") return QStringLiteral("xeque-mate");
    if (status == "STALEMATE") return QStringLiteral("afogamento (STALEMATE)");
    return QStringLiteral("empate");
}

} // namespace

NetworkGameSession::NetworkGameSession(frmMain& window) : window_(window) {
    inbox_.OnMessage = [this](const NetMessage& message) {
        if (resuming_ || awaitingHello_) return ResumeMessageArrived(message);
        if (extended_ && message.command == NetCommand::Extension && message.text == LeaveWord) {
            peerLeaving_ = true; // its close that follows ends the game
            return;
        }
        if (extended_ && CountsForResume(message)) {
            // A peer that sends much never waits for a keep-alive: confirm now and then.
            if (++received_ % ConfirmEvery == 0)
                EnviarDados(ExtensionMessage(KeepAliveWord, {QString::number(received_)}));
        }
        Dispatch(message);
    };
    inbox_.OnKeepAlive = [this](const NetMessage& message) {
        if (const auto count = KeepAliveCount(message)) outbox_.Confirmed(*count);
    };
    inbox_.OnOverflow = [this](bool tooMany) {
        PeerGone((tooMany ? MsgMensagensDemais : MsgDadosDemais).arg(PeerName()));
    };
    handshakeTimer_.setSingleShot(true);
    handshakeTimer_.setInterval(HandshakeMs);
    connect(&handshakeTimer_, &QTimer::timeout, this, [this] { PeerGone(MsgSemApresentacao); });
    heldTimer_.setInterval(50);
    connect(&heldTimer_, &QTimer::timeout, this, &NetworkGameSession::ReleaseHeld);
    goneTimer_.setInterval(50);
    connect(&goneTimer_, &QTimer::timeout, this, [this] {
        if (!gonePending_ || dispatching_ > 0 || window_.MoveBeingMade()) return;
        gonePending_ = false;
        PeerGone(goneText_);
    });
    // Extensions.
    watch_.sendKeepAlive = [this] {
        EnviarDados(ExtensionMessage(KeepAliveWord, {QString::number(received_)}));
    };
    watch_.peerSilent = [this] { ConnectionBroke(); };
    resumeTick_.setInterval(250);
    connect(&resumeTick_, &QTimer::timeout, this, &NetworkGameSession::ResumeTick);
    retryTimer_.setSingleShot(true);
    connect(&retryTimer_, &QTimer::timeout, this, &NetworkGameSession::ConnectAgain);
    answerTimer_.setSingleShot(true);
    connect(&answerTimer_, &QTimer::timeout, this, &NetworkGameSession::OfferUnanswered);
    if (const int lease = qEnvironmentVariableIntValue("CORVANE_ROUTER_LEASE"); lease > 0)
        mapper_.SetLeaseSeconds(lease);
    if (const int wait = qEnvironmentVariableIntValue("CORVANE_ROUTER_WAIT_MS"); wait > 0)
        mapper_.SetDiscoveryMs(wait);
}

NetworkGameSession::~NetworkGameSession() {
    DropSocket();
    UnloadChat();
}

// --- Starting and ending ------------------------------------------------------------

bool NetworkGameSession::StartNetwork() {
    try {
        DropSocket();
        socket_ = std::make_unique<CSocketLink>();
        Wire(*socket_);
        socket_->CloseSck();
        if (NetServerMode) {
            socket_->SetLocalPort(NetPort());
            socket_->Listen();
        } else {
            socket_->Connect(NetServerAddress, NetPort());
        }
        return true;
    } catch (const corvane::SocketError& e) {
        socket_.reset();
        Tell(e.Number() == 10048
                 ? MsgPortaOcupada
                 : QStringLiteral("Erro nº %1\n%2").arg(e.Number()).arg(e.Description()),
             true);
        return false;
    }
}

bool NetworkGameSession::HostOrJoin(bool host, const QString& nick, QWidget* dialogParent) {
    NetServerMode = host;
    // The peer shows at most this much of it; so does this side.
    PlayerNick[1] = CleanText(nick, MaxNickLength);
    if (host && !StartNetwork()) return false;
    frmConectar dialog(host, dialogParent);
    conectar_ = &dialog;
    if (host) StartHosting(dialog);
    // The address typed last time is offered again.
    if (!host && dialog.txtServ.text().isEmpty()) dialog.txtServ.setText(ReadLastAddress());
    dialog.startNetwork = [this, &dialog] {
        NetServerAddress = dialog.NetServerAddress();
        return StartNetwork();
    };
    dialog.releaseSocket = [this] { ReleaseSocket(); };
    window_.CenterOverBoard(&dialog);
    if (connectDialogShown) connectDialogShown(dialog);
    const bool connected = dialog.exec() == QDialog::Accepted && NetworkGame;
    if (connected && !host) WriteLastAddress(NetServerAddress);
    return connected;
}

// The game is announced on the local network, and the router asked to open
// the port when the player wants it (the dialog's check box switches it).
void NetworkGameSession::StartHosting(frmConectar& dialog) {
    const auto port = quint16(NetPort());
    publisher_.Start(PlayerNick[1], port);
    if (ReadOpenRouterPort()) mapper_.Start(port);
    dialog.ShowPortMapping(mapper_, port);
}

// Hosting ends with the connection (or the wait for one): nothing stays
// announced or mapped.
void NetworkGameSession::StopHosting() {
    publisher_.Stop();
    mapper_.Stop();
}

void NetworkGameSession::ReleaseSocket() {
    DropSocket();
}

void NetworkGameSession::DropSocket() {
    handshakeTimer_.stop();
    heldTimer_.stop();
    held_.clear();
    inbox_.Reset();
    handshakeDone_ = false;
    StopExtensions();
    StopHosting();
    // The socket object may be the one whose event is being handled; releasing
    // it there is allowed, and no event of it follows.
    socket_.reset();
}

void NetworkGameSession::CloseConnection() {
    const bool wasConnected = NetworkGame;
    // The peer is told this is a leave, not a break to be resumed.
    if (extended_ && handshakeDone_) EnviarDados(ExtensionMessage(LeaveWord));
    gonePending_ = false;
    goneTimer_.stop();
    DropSocket();
    NetworkGame = false;
    UnloadChat();
    if (setResignTip) setResignTip(QStringLiteral("Reniciar jogo"));
    if (wasConnected && !window_.Closing()) window_.EndGame();
}

bool NetworkGameSession::EnviarDados(const QString& dados) {
    if (NetworkGame && extended_ && KeptForResume(dados)) {
        // Kept until the peer confirms it, and sent once the connection is back.
        const bool chat = dados.startsWith(CommandWord(NetCommand::Chat) + u'#');
        if (resuming_ && chat && outbox_.ChatLines() >= MaxChatWhileDown) return false;
        if (!outbox_.Keep(dados) && resuming_) return false;
        if (resuming_) return true;
    }
    if (!NetworkGame || !socket_ || socket_->State() != SocketState::Connected) return false;
    try {
        // A peer that announced the extensions takes each message at its end mark.
        socket_->SendData(extended_ ? dados + QChar(EndMark) : dados);
        watch_.Sent();
        return true;
    } catch (const corvane::SocketError&) {
        return false;
    }
}

void NetworkGameSession::Resign() {
    window_.tmrElapsed()->stop();
    GameOver(false, false);
    EnviarDados(EntregarJogoMessage());
    GameStatus = "AGUARDE ENQUANTO INICIA O JOGO...";
    betweenGames_ = true;
    window_.ShowGameMessage();
    betweenGames_ = false;
    // The peer may have left while the message showed.
    if (NetworkGame && !window_.Closing()) window_.StartNextNetworkGame();
}

// --- Socket events -----------------------------------------------------------------------

void NetworkGameSession::Wire(CSocketLink& socket) {
    socket.OnConnectionRequest = [this](long id) { Socket_ConnectionRequest(id); };
    socket.OnConnect = [this] { Socket_Connect(); };
    socket.OnDataArrival = [this](long total) { Socket_DataArrival(total); };
    socket.OnCloseSck = [this] { Socket_CloseSck(); };
    socket.OnError = [this](int number, const QString& description, long, const QString&,
                            const QString&, long, bool& cancelDisplay) {
        cancelDisplay = true;
        OnSocketError(number, description);
    };
}

void NetworkGameSession::Socket_ConnectionRequest(long requestID) {
    // The listener closes before the first joiner is taken: a second one is refused.
    if (!socket_ || socket_->State() != SocketState::Listening) return;
    try {
        socket_->CloseSck();
        socket_->Accept(requestID);
    } catch (const corvane::SocketError&) {
        socket_.reset();
        if (resuming_) ListenAgain();
        return;
    }
    if (resuming_) {
        // Only the peer with the key of this connection resumes it.
        awaitingHello_ = true;
        KeepAlive();
        retryTimer_.start(times.resumeHelloMs);
        return;
    }
    Connected();
}

void NetworkGameSession::Socket_Connect() {
    if (resuming_) {
        awaitingHello_ = true;
        KeepAlive();
        SendRaw(StateMessage(ResumeWord, OwnResumeState()));
        return;
    }
    Connected();
    EnviarDados(StartServidorMessage(PlayerNick[1], ownToken_));
}

// Either side: the connection is made and the handshake is awaited.
void NetworkGameSession::Connected() {
    ownToken_ = NewToken();
    inbox_.Reset();
    handshakeDone_ = false;
    NetworkGame = true;
    publisher_.Stop(); // the game starts: nobody else is to join it
    KeepAlive();
    handshakeTimer_.start();
    if (conectar_) conectar_->Connected();
}

void NetworkGameSession::Socket_DataArrival(long) {
    if (!socket_) return;
    Variant data = QByteArray();
    try {
        socket_->GetData(data, VarType::ByteArray);
    } catch (const corvane::SocketError&) {
        return;
    }
    if (const QByteArray* bytes = data.If<QByteArray>()) Receive(*bytes);
}

void NetworkGameSession::Receive(const QByteArray& bytes) {
    watch_.Heard();
    inbox_.Receive(bytes);
}

void NetworkGameSession::Socket_CloseSck() {
    if (resuming_) {
        // An attempt that failed or was refused; the next one follows.
        awaitingHello_ = false;
        socket_.reset();
        if (NetServerMode) ListenAgain();
        return;
    }
    // A break: every message of the peer ends with its mark, so a cut one is
    // not taken; it comes again whole.
    if (CanResume()) return ConnectionBroke();
    // What the peer sent last (a chat line, a nick) counts before it left.
    inbox_.Flush();
    PeerGone(MsgSaiuDoJogo.arg(PeerName()));
}

// A connect that fails after the host answered the check is told in the
// connection dialog; a lost connection is followed by its close event.
void NetworkGameSession::OnSocketError(int number, const QString& description) {
    if (resuming_) {
        awaitingHello_ = false;
        socket_.reset(); // the joiner's retry timer runs
        return;
    }
    if (NetworkGame || !conectar_ || NetServerMode) return;
    conectar_->ConnectionFailed(QStringLiteral("%1 (%2)").arg(description).arg(number));
}

// A peer machine that vanishes without closing is noticed by keep-alive probes.
void NetworkGameSession::KeepAlive() {
    if (!socket_) return;
    const int fd = int(socket_->SocketHandle());
    const int on = 1, idle = KeepIdleSeconds, interval = KeepIntervalSeconds, count = KeepCount;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
}

// --- Messages ---------------------------------------------------------------------------------

// A message that must wait is kept with any that follow it, and handled in
// order once it may be.
void NetworkGameSession::Dispatch(const NetMessage& message) {
    if (!held_.empty() || MustWait(message)) {
        Hold(message);
        return;
    }
    Handle(message);
}

// Nothing is handled while another message is (its handler may wait in a
// window that lets socket events in) or while a local move is being made, up
// to the end of its pause and message window. A move or resignation that
// comes while this side still ends the previous game belongs to the next one:
// it waits until that game has begun.
bool NetworkGameSession::MustWait(const NetMessage& message) const {
    if (dispatching_ > 0 || window_.MoveBeingMade()) return true;
    const bool forTheGame =
        message.command == NetCommand::Jogar || message.command == NetCommand::EntregarJogo;
    return forTheGame && BetweenGames();
}

void NetworkGameSession::Hold(const NetMessage& message) {
    if (qsizetype(held_.size()) >= MaxWaitingMessages) {
        PeerGone(MsgMensagensDemais.arg(PeerName()));
        return;
    }
    held_.push_back(message);
    if (!heldTimer_.isActive()) heldTimer_.start();
}

bool NetworkGameSession::BetweenGames() const {
    // The toolbar is locked from a game-ending move until the next game starts.
    return betweenGames_ || !window_.picToobar()->isEnabled();
}

void NetworkGameSession::ReleaseHeld() {
    while (!held_.empty() && !MustWait(held_.front())) {
        const NetMessage message = held_.front();
        held_.pop_front();
        Handle(message);
    }
    if (held_.empty()) heldTimer_.stop();
}

void NetworkGameSession::Handle(const NetMessage& message) {
    if (!NetworkGame) return;
    ++dispatching_;
    switch (message.command) {
    case NetCommand::StartServidor:
    case NetCommand::StartCliente:
        Handshake(message);
        break;
    case NetCommand::Jogar:
        if (handshakeDone_) PeerMoved(message);
        break;
    case NetCommand::EntregarJogo:
        if (handshakeDone_) PeerResigned();
        break;
    case NetCommand::Chat:
        if (handshakeDone_ && chat_) chat_->AddPeerLine(message.text);
        break;
    case NetCommand::Extension:
        if (handshakeDone_ && extended_) HandleExtension(message);
        break;
    }
    --dispatching_;
    // The link broke while the message was handled, and its end unlocked the board.
    if (dispatching_ == 0 && resuming_) LockForBreak();
    if (dispatching_ == 0 && gonePending_) {
        gonePending_ = false;
        PeerGone(goneText_);
    }
}

// "StartServidor:" reaches the host, "StartCliente:" the joiner, once each.
void NetworkGameSession::Handshake(const NetMessage& message) {
    const bool host = message.command == NetCommand::StartServidor;
    if (handshakeDone_ || host != NetServerMode) return;
    handshakeDone_ = true;
    handshakeTimer_.stop();
    PlayerNick[2] = message.text;
    window_.SetPlayerNicks(PlayerNick[1].toStdString(), PlayerNick[2].toStdString());
    if (setResignTip) setResignTip(QStringLiteral("Entregar"));
    // A fresh game in which the host has White: the next network game after
    // one in which the colours were the other way round.
    window_.SetLocalIsWhite(!host);
    window_.StartNextNetworkGame();
    if (host) EnviarDados(StartClienteMessage(PlayerNick[1], ownToken_));
    peerToken_ = message.extended ? message.status : QString();
    StartExtensions(message.extended);
    PlaySound(10);
    OpenChat();
}

void NetworkGameSession::PeerMoved(const NetMessage& message) {
    const std::string move = message.text.toStdString();
    const std::string claim = message.status.toStdString();
    const bool peerIsWhite = !window_.LocalIsWhite();
    const QString shownMove = CleanOutsideText(message.text, ShownMoveLength);
    const bool itsTurn = window_.WaitingForPeer() && SideToMove == (peerIsWhite ? "W" : "B");
    if (!itsTurn || !PeerMoveIsLegal(move, peerIsWhite)) {
        PeerGone(MsgLanceRecusado.arg(PeerName(), shownMove));
        return;
    }
    const PeerJudgement judged = JudgePeerMove(move, claim, peerIsWhite);
    if (judged.claim == PeerClaim::Impossible) {
        PeerGone(MsgAnuncioImpossivel.arg(PeerName(), shownMove, message.status));
        return;
    }
    frmMain::PeerAnnouncement announcement{judged.status, {}, judged.claim == PeerClaim::Missed};
    if (judged.claim == PeerClaim::Disputed) {
        announcement.note = MsgFimContestado.arg(PeerName(), ClaimWords(claim)).toStdString();
    }
    if (!window_.PlayPeerMove(move, announcement))
        PeerGone(MsgLanceRecusado.arg(PeerName(), shownMove));
}

void NetworkGameSession::PeerResigned() {
    window_.tmrElapsed()->stop();
    GameOver(true, false);
    GameStatus = (PlayerNick[2] + QStringLiteral(" ENTREGOU O JOGO.")).toStdString();
    betweenGames_ = true;
    window_.ShowGameMessage();
    betweenGames_ = false;
    if (!window_.Closing()) window_.StartNextNetworkGame();
}

// --- The chat window and the end of a connection -------------------------------------------

void NetworkGameSession::OpenChat() {
    if (!chat_) {
        chat_ = new frmChat(&window_); // owned by the main window, unloaded by us
        chat_->send = [this](const QString& message) { return EnviarDados(message); };
        // Beside the main window, where it hides nothing of the board.
        const QRect main = window_.frameGeometry();
        QRect area = main.adjusted(0, 0, chat_->width() + 8, 0);
        if (const QScreen* screen = window_.screen()) area = screen->availableGeometry();
        const int left = std::min(main.right() + 8, area.right() - chat_->width());
        chat_->move(std::max(area.left(), left), main.top() + 40);
    }
    chat_->show();
}

void NetworkGameSession::UnloadChat() {
    delete chat_.data();
}

void NetworkGameSession::PeerGone(const QString& text) {
    if (dispatching_ > 0 || window_.MoveBeingMade()) {
        // A handler or a local move waits in a nested loop (a blink, a message
        // window, the promotion chooser): the game ends once it is over.
        // Nothing more is sent or received.
        if (!gonePending_) goneText_ = text;
        gonePending_ = true;
        DropSocket();
        goneTimer_.start();
        return;
    }
    goneTimer_.stop();
    const bool wasConnected = NetworkGame || socket_ != nullptr;
    DropSocket();
    if (!wasConnected) return;
    window_.EndGame();
    NetworkGame = false;
    UnloadChat();
    if (setResignTip) setResignTip(QStringLiteral("Reniciar jogo"));
    // The message and the new-game dialog run after the socket's event has
    // returned, and once no pause or message window of the game still waits.
    QTimer::singleShot(0, this, [this, text] { TellPeerGone(text); });
}

void NetworkGameSession::TellPeerGone(const QString& text) {
    if (window_.Closing()) return;
    if (QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(100, this, [this, text] { TellPeerGone(text); });
        return;
    }
    Tell(text, false);
    if (openNewGame && !window_.Closing()) openNewGame();
}

void NetworkGameSession::Tell(const QString& text, bool critical) {
    if (tellUser) {
        tellUser(text, critical);
        return;
    }
    TellPlain(&window_, critical ? QMessageBox::Critical : QMessageBox::Information,
              QStringLiteral("Corvane"), text);
}

} // namespace corvane
