// The network session's extensions: the keep-alive, draw offers and take-back
// requests answered by the other player, and the match score.
#include "app/NetworkGame.h"
#include "game/frmMain.h"
#include "kit/QuestionBox.h"
#include "rules/GameState.h"

#include <QTimer>

namespace corvane {

void NetworkGameSession::StartExtensions(bool peerExtended) {
    extended_ = peerExtended;
    inbox_.TakeOnlyMarked(peerExtended);
    agreements_.Clear();
    score_.Clear();
    ShowScore();
    window_.networkGameOver = [this](bool whiteMoved, const std::string& ending) {
        GameOver(whiteMoved == window_.LocalIsWhite(), ending != "XEQUE-MATE");
    };
    outbox_.Clear();
    received_ = 0;
    peerLeaving_ = false;
    if (!extended_) return;
    watch_.Start(times);
    window_.offerDraw = [this] { OfferDraw(); };
    window_.askTakeBack = [this] { AskTakeBack(); };
}

void NetworkGameSession::StopExtensions() {
    extended_ = false;
    inbox_.TakeOnlyMarked(false);
    resuming_ = awaitingHello_ = false;
    resumeTick_.stop();
    retryTimer_.stop();
    if (lostWindow_) lostWindow_->hide();
    watch_.Stop();
    answerTimer_.stop();
    agreements_.Clear();
    window_.offerDraw = nullptr;
    window_.askTakeBack = nullptr;
    window_.networkGameOver = nullptr;
    window_.lblPlacar()->hide();
}

// --- The score -----------------------------------------------------------------------

void NetworkGameSession::GameOver(bool localWon, bool drawn) {
    finishedMoves_ = ListedMoves(); // for a peer that has yet to see the game end
    if (drawn) {
        score_.Drawn();
    } else if (localWon) {
        score_.Won();
    } else {
        score_.Lost();
    }
    // An offer about the game just ended is over with it.
    agreements_.Clear();
    answerTimer_.stop();
    ShowScore();
}

void NetworkGameSession::ShowScore() {
    window_.lblPlacar()->setText(score_.Text());
    window_.lblPlacar()->setVisible(NetworkGame);
}

// --- Offers of this side ----------------------------------------------------------------

int NetworkGameSession::PliesListed() const {
    return int(window_.History().Moves().size());
}

// A game is being played and nothing else is under way.
bool NetworkGameSession::MayAgree() const {
    return NetworkGame && handshakeDone_ && extended_ && dispatching_ == 0 &&
           !window_.MoveBeingMade() && !BetweenGames() && !window_.Closing();
}

void NetworkGameSession::OfferDraw() {
    if (!MayAgree()) return;
    SendOffer({OfferKind::Draw, score_.Games(), PliesListed(), 0});
}

void NetworkGameSession::AskTakeBack() {
    if (!MayAgree()) return;
    // The local player's last move, and the peer's answer to it when there is one.
    const int n = window_.WaitingForPeer() ? 1 : 2;
    if (PliesListed() < n) {
        Tell(MsgNadaAVoltar, false);
        return;
    }
    SendOffer({OfferKind::TakeBack, score_.Games(), PliesListed(), n});
}

bool NetworkGameSession::SendOffer(const Offer& offer) {
    if (!agreements_.MayOffer(offer.kind, offer.game, offer.plies)) {
        Tell((agreements_.Mine() ? MsgAguardeResposta : MsgJaRecusou).arg(PeerName()), false);
        return false;
    }
    if (!EnviarDados(OfferMessage(offer))) return false;
    agreements_.Sent(offer);
    // No move while the peer decides: the answer is about this moment.
    window_.picBoard()->setEnabled(false);
    answerTimer_.start(times.answerMs + times.answerGraceMs);
    return true;
}

// The offer is over: the board is the player's again when it is its turn.
void NetworkGameSession::OfferOver() {
    answerTimer_.stop();
    if (NetworkGame && !BetweenGames() && !window_.Closing())
        window_.picBoard()->setEnabled(!window_.WaitingForPeer());
}

void NetworkGameSession::OfferUnanswered() {
    if (!agreements_.Mine()) return;
    agreements_.Unanswered();
    OfferOver();
    Tell(MsgOfertaSemResposta.arg(PeerName()), false);
}

// --- Messages of the peer ------------------------------------------------------------------

void NetworkGameSession::HandleExtension(const NetMessage& message) {
    if (message.text == CheckWord) return Checked(message);
    const std::optional<AgreementMessage> read = ReadAgreement(message);
    if (!read) return; // a word of a later version, or nothing
    if (read->answer) {
        PeerAnswered(read->offer, read->yes);
    } else {
        PeerOffered(read->offer);
    }
}

void NetworkGameSession::PeerOffered(const Offer& offer) {
    // The offer is about this very moment of this game, as this side counts.
    bool fits = !agreements_.Mine() && offer.game == score_.Games() &&
                offer.plies == PliesListed() && !BetweenGames();
    // Taken back is the asker's last move: with 1 it waits for this side's answer to it.
    if (offer.kind == OfferKind::TakeBack)
        fits = fits && (offer.takeBack == 1) == !window_.WaitingForPeer();
    const bool draw = offer.kind == OfferKind::Draw;
    bool yes = fits && Ask((draw ? MsgPropoeEmpate : MsgPedeVoltar).arg(PeerName()));
    if (!NetworkGame || window_.Closing()) return;
    if (yes && !draw) yes = window_.TakeBackPlies(offer.takeBack);
    EnviarDados(AnswerMessage(offer, yes));
    if (yes && draw) AgreedDraw();
}

bool NetworkGameSession::Ask(const QString& question) {
    if (askPlayer) return askPlayer(question, times.answerMs);
    QuestionBox box(QStringLiteral("Corvane"), question, WarningPicture(), &window_);
    window_.CenterOverBoard(&box);
    QTimer::singleShot(times.answerMs, &box, [&box] { box.Nao(); });
    box.exec();
    return box.Answer();
}

void NetworkGameSession::PeerAnswered(const Offer& answer, bool yes) {
    if (!agreements_.Mine()) return;
    const Offer offer = *agreements_.Mine();        // the answer does not repeat the count
    if (!agreements_.Answered(answer, yes)) return; // no offer of this side's
    OfferOver();
    if (!yes) {
        const bool draw = offer.kind == OfferKind::Draw;
        Tell((draw ? MsgEmpateRecusado : MsgVoltarRecusado).arg(PeerName()), false);
        return;
    }
    if (offer.kind == OfferKind::Draw) return AgreedDraw();
    // The board stayed locked since the request: the game is as it was then.
    if (PliesListed() != offer.plies || !window_.TakeBackPlies(offer.takeBack))
        PeerGone(MsgVoltarDesencontro.arg(PeerName()));
}

// Both players agreed: the game ends drawn, and the next one begins.
void NetworkGameSession::AgreedDraw() {
    window_.tmrElapsed()->stop();
    GameOver(false, true);
    GameStatus = "EMPATE";
    betweenGames_ = true;
    window_.ShowGameMessage();
    betweenGames_ = false;
    if (NetworkGame && !window_.Closing()) window_.StartNextNetworkGame();
}

} // namespace corvane
