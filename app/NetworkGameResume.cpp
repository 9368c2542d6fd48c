// The network session's resuming of a game whose connection broke (see
// net/Resume.h for the exchange).
#include "app/NetworkGame.h"
#include "game/frmMain.h"
#include "kit/PlainText.h"
#include "kit/QuestionBox.h"
#include "rules/GameState.h"

#include <algorithm>

namespace corvane {

namespace {

// "Conexão perdida. Tentando reconectar… m:ss" with "&Desistir", in the look of
// the program's notices. It leaves the chat window usable: lines typed during
// the break go out after it.
class frmConexaoPerdida : public NoticeDialog {
public:
    explicit frmConexaoPerdida(QWidget* parent)
        : NoticeDialog(QStringLiteral("Corvane"), MsgConexaoPerdida.arg(QStringLiteral("0:00")),
                       WarningPicture(), parent),
          cmdDesistir(QStringLiteral("&Desistir"), this) {
        setObjectName("frmConexaoPerdida");
        Label2.setObjectName("lblPerdida");
        cmdDesistir.setObjectName("cmdDesistir");
        PlaceButton(cmdDesistir, 0, 1);
        SetDefaultButton(&cmdDesistir);
        setModal(false);
    }
    ImageButton cmdDesistir;
};

bool IsWord(const QString& message, const QString& word) {
    const QString head = CommandWord(NetCommand::Extension) + u'#' + word;
    return message == head || message.startsWith(head + u'#');
}

} // namespace

// What the two sides count and send again: every message of the game, not
// the keep-alive and the resuming exchange themselves.
bool NetworkGameSession::CountsForResume(const NetMessage& m) {
    if (m.command != NetCommand::Extension) return true;
    return m.text != KeepAliveWord && m.text != ResumeWord && m.text != ResumedWord &&
           m.text != LeaveWord && m.text != CheckWord;
}

bool NetworkGameSession::KeptForResume(const QString& message) {
    for (const QString& word : {KeepAliveWord, ResumeWord, ResumedWord, LeaveWord, CheckWord})
        if (IsWord(message, word)) return false;
    return true;
}

QString NetworkGameSession::ResumeKey() const {
    return NetServerMode ? ownToken_ + peerToken_ : peerToken_ + ownToken_;
}

bool NetworkGameSession::CanResume() const {
    return extended_ && handshakeDone_ && NetworkGame && !peerLeaving_ && !gonePending_ &&
           IsToken(ownToken_) && IsToken(peerToken_) && !window_.Closing();
}

void NetworkGameSession::SendRaw(const QString& message) {
    if (!socket_ || socket_->State() != SocketState::Connected) return;
    try {
        socket_->SendData(message + QChar(EndMark));
        watch_.Sent();
    } catch (const corvane::SocketError&) {
    }
}

std::vector<std::string> NetworkGameSession::ListedMoves() const {
    std::vector<std::string> moves;
    for (const auto& entry : window_.History().Moves()) moves.push_back(entry.moveText);
    return moves;
}

ResumeState NetworkGameSession::OwnResumeState() const {
    const std::vector<std::string> moves = ListedMoves();
    const int plies = int(moves.size());
    return {ResumeKey(),
            received_,
            score_.Games(),
            plies,
            MoveListDigest(score_.Games(), moves, plies),
            window_.WhiteTime(),
            window_.BlackTime()};
}

// The peer's account of the game fits this side's: the key (a new connection),
// what it received of this side's messages, and the moves both hold. Moves
// the peer holds and this side does not yet are checked once they came.
bool NetworkGameSession::ResumeFits(const ResumeState& peer, bool withKey) const {
    if (withKey && peer.key != ResumeKey()) return false;
    if (!outbox_.Covers(peer.received)) return false;
    const int games = score_.Games();
    // A game that ended on one side only, its last move or resignation still
    // on the way: the side behind takes it with what is sent again. Ahead of
    // this side, the peer's account is checked by its CONFERE once that came;
    // behind, its list must begin like the one of the game that ended here.
    if (peer.game == games + 1) return peer.plies <= 2;
    const bool peerBehind = peer.game + 1 == games;
    if (!peerBehind && peer.game != games) return false;
    const std::vector<std::string> moves = peerBehind ? finishedMoves_ : ListedMoves();
    if (peer.plies > int(moves.size())) return !peerBehind && peer.plies - int(moves.size()) <= 2;
    if (peerBehind && int(moves.size()) - peer.plies > 2) return false;
    return MoveListDigest(peer.game, moves, peer.plies) == peer.digest;
}

// --- The connection breaks -------------------------------------------------------------

void NetworkGameSession::ConnectionBroke() {
    if (!CanResume()) return PeerGone(MsgSaiuDoJogo.arg(PeerName()));
    resuming_ = true;
    awaitingHello_ = false;
    handshakeTimer_.stop();
    watch_.Stop();
    inbox_.Reset(); // a message cut in the middle comes again whole
    socket_.reset();
    clocksWereRunning_ = false;
    LockForBreak();
    resumeClock_.start();
    resumeTick_.start(250);
    if (!lostWindow_) {
        auto* dialog = new frmConexaoPerdida(&window_);
        connect(&dialog->cmdDesistir, &ImageButton::clicked, this,
                &NetworkGameSession::GiveUpResuming);
        connect(dialog, &QDialog::rejected, this, &NetworkGameSession::GiveUpResuming);
        lostWindow_ = dialog;
    }
    ResumeTick();
    window_.CenterOverBoard(lostWindow_);
    lostWindow_->show();
    if (NetServerMode) {
        ListenAgain();
    } else {
        schedule_.Reset();
        retryTimer_.start(schedule_.Next());
    }
}

// The board stays locked and the clocks stopped while the link is down, also
// when a move that was under way as it broke ends by unlocking them.
void NetworkGameSession::LockForBreak() {
    window_.picBoard()->setEnabled(false);
    if (window_.tmrElapsed()->isActive()) {
        window_.PauseClocks();
        clocksWereRunning_ = true;
    }
}

void NetworkGameSession::ResumeTick() {
    const qint64 left = times.resumeLimitMs - resumeClock_.elapsed();
    if (left <= 0) return GiveUpResuming();
    LockForBreak();
    const qint64 seconds = (left + 999) / 1000;
    const QString shown =
        QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
    if (auto* lost = static_cast<frmConexaoPerdida*>(lostWindow_.data()))
        ShowPlain(lost->Label2, MsgConexaoPerdida.arg(shown));
}

void NetworkGameSession::GiveUpResuming() {
    if (!resuming_) return;
    resuming_ = false;
    PeerGone(MsgSaiuDoJogo.arg(PeerName()));
}

// The host listens again for its peer; the joiner tries again and again.
void NetworkGameSession::ListenAgain() {
    awaitingHello_ = false;
    retryTimer_.stop();
    inbox_.Reset();
    try {
        socket_ = std::make_unique<CSocketLink>();
        Wire(*socket_);
        socket_->SetLocalPort(NetPort());
        socket_->Listen();
    } catch (const corvane::SocketError&) {
        // The port is busy for a moment: listen again a little later.
        socket_.reset();
        retryTimer_.start(1000);
    }
}

void NetworkGameSession::ConnectAgain() {
    if (!resuming_) return;
    // The host: a new connection kept silent too long, or listening failed.
    if (NetServerMode) return RefuseResume();
    awaitingHello_ = false;
    inbox_.Reset();
    try {
        socket_ = std::make_unique<CSocketLink>();
        Wire(*socket_);
        socket_->Connect(NetServerAddress, NetPort());
    } catch (const corvane::SocketError&) {
        socket_.reset();
    }
    retryTimer_.start(schedule_.Next());
}

void NetworkGameSession::RefuseResume() {
    socket_.reset();
    ListenAgain();
}

// --- The new connection ------------------------------------------------------------------

void NetworkGameSession::ResumeMessageArrived(const NetMessage& message) {
    if (!awaitingHello_) return;
    if (NetServerMode) {
        const auto peer = ReadState(message, ResumeWord);
        if (!peer || !ResumeFits(*peer, true)) return RefuseResume();
        SendRaw(StateMessage(ResumedWord, OwnResumeState()));
        return FinishResume(*peer);
    }
    const auto peer = ReadState(message, ResumedWord);
    if (!peer || !ResumeFits(*peer, false)) {
        resuming_ = false;
        return PeerGone(MsgJogoNaoConfere.arg(PeerName()));
    }
    FinishResume(*peer);
}

void NetworkGameSession::FinishResume(const ResumeState& peer) {
    // Both sides take the smaller reading of each clock (see net/Resume.h); a
    // peer can only take time off, never add it.
    if (clocksWereRunning_)
        window_.SetClocks(std::min(window_.WhiteTime(), peer.white),
                          std::min(window_.BlackTime(), peer.black));
    resuming_ = false;
    awaitingHello_ = false;
    retryTimer_.stop();
    resumeTick_.stop();
    if (lostWindow_) lostWindow_->hide();
    watch_.Start(times);
    if (clocksWereRunning_) window_.ResumeClocks();
    if (!BetweenGames() && !agreements_.Mine())
        window_.picBoard()->setEnabled(!window_.WaitingForPeer());
    for (const QString& message : outbox_.After(peer.received)) SendRaw(message);
    SendRaw(StateMessage(CheckWord, OwnResumeState()));
}

// The peer's CONFERE: everything it sent before has been taken here.
void NetworkGameSession::Checked(const NetMessage& message) {
    const auto peer = ReadState(message, CheckWord);
    if (!peer) return;
    // This side may have ended a game the peer has yet to see end.
    if (peer->game + 1 == score_.Games()) return;
    const ResumeState own = OwnResumeState();
    bool fits = peer->game == own.game && peer->plies <= own.plies;
    if (fits) fits = MoveListDigest(own.game, ListedMoves(), peer->plies) == peer->digest;
    if (!fits) PeerGone(MsgJogoNaoConfere.arg(PeerName()));
}

} // namespace corvane
