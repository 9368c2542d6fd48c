#pragma once
// What two copies that announced their extensions agree on besides the moves:
// a draw offered by one side, a take-back asked by one side, each answered by
// the other player; and the match score of the connection. No windows here:
// the network session asks the player and ends or winds back the game.
//
// Messages (each ended by the end mark, see net/NetProtocol.h):
//     "Corvane:#EMPATE?#" + game + "#" + plies          a draw is offered
//     "Corvane:#VOLTAR?#" + game + "#" + plies + "#" + n the last n half-moves
//                                                         (1 or 2) are asked back
//     "Corvane:#SIM#" + kind + "#" + game + "#" + plies  the offer is accepted
//     "Corvane:#NAO#" + kind + "#" + game + "#" + plies  the offer is refused
// game counts the games finished on this connection, plies the moves listed in
// the current one, kind is "EMPATE" or "VOLTAR". An offer or answer whose game
// or plies differ from the receiver's own belongs to another moment and is
// refused or ignored; each side computes the game and the plies itself.
//
// One offer of this side may be pending at a time; one the peer refused (or
// left unanswered) is not made again before the next move. An offer that
// arrives while this side's own waits is refused.
#include "net/NetProtocol.h"

#include <QString>
#include <array>
#include <optional>

namespace corvane {

enum class OfferKind { Draw, TakeBack };

struct Offer {
    OfferKind kind = OfferKind::Draw;
    int game = 0;     // games finished on the connection before this one
    int plies = 0;    // moves listed in this game when the offer was made
    int takeBack = 0; // TakeBack: the half-moves to take back (1 or 2)
    bool operator==(const Offer&) const = default;
};

// A received extension message read as an offer or an answer.
struct AgreementMessage {
    Offer offer;
    bool answer = false; // an answer to one of this side's offers
    bool yes = false;    // the answer
};

QString OfferMessage(const Offer& offer);
QString AnswerMessage(const Offer& offer, bool yes);
// nullopt for an extension message that is no offer or answer, or malformed.
std::optional<AgreementMessage> ReadAgreement(const NetMessage& message);

class Agreements {
public:
    // This side may offer kind now: nothing pending, and not refused at this moment.
    bool MayOffer(OfferKind kind, int game, int plies) const;
    void Sent(const Offer& offer) { mine_ = offer; }
    const std::optional<Offer>& Mine() const { return mine_; }
    // The peer answered: true when the answer is to this side's pending offer
    // (which is then over; a refusal is remembered).
    bool Answered(const Offer& answer, bool yes);
    // The pending offer was not answered in time: over, remembered as refused.
    void Unanswered();
    // A new connection or game: nothing pending, nothing refused.
    void Clear();

private:
    std::optional<Offer> mine_;
    std::array<std::optional<Offer>, 2> refused_{};
};

// The match score of one connection, in half points.
class MatchScore {
public:
    void Won() { own_ += 2; }
    void Lost() { peer_ += 2; }
    void Drawn() {
        ++own_;
        ++peer_;
    }
    void Clear() { own_ = peer_ = 0; }
    int Games() const { return (own_ + peer_) / 2; }
    // "2 × 1", "1½ × ½", "0 × 0": the local player's points first.
    QString Text() const;

private:
    int own_ = 0, peer_ = 0;
};

} // namespace corvane
