#include "net/Agreements.h"

namespace corvane {

namespace {

const QString DrawWord = QStringLiteral("EMPATE");
const QString TakeBackWord = QStringLiteral("VOLTAR");

QString KindWord(OfferKind kind) {
    return kind == OfferKind::Draw ? DrawWord : TakeBackWord;
}

// A count written by the peer: digits only, at most 4 of them.
std::optional<int> Count(const QString& text) {
    if (text.isEmpty() || text.size() > 4) return std::nullopt;
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return std::nullopt;
    return text.toInt();
}

QString Points(int halves) {
    if (halves == 1) return QStringLiteral("½");
    return QString::number(halves / 2) + (halves % 2 ? QStringLiteral("½") : QString());
}

} // namespace

QString OfferMessage(const Offer& offer) {
    QStringList fields{QString::number(offer.game), QString::number(offer.plies)};
    if (offer.kind == OfferKind::TakeBack) fields << QString::number(offer.takeBack);
    return ExtensionMessage(KindWord(offer.kind) + u'?', fields);
}

QString AnswerMessage(const Offer& offer, bool yes) {
    return ExtensionMessage(
        yes ? QStringLiteral("SIM") : QStringLiteral("NAO"),
        {KindWord(offer.kind), QString::number(offer.game), QString::number(offer.plies)});
}

std::optional<AgreementMessage> ReadAgreement(const NetMessage& message) {
    if (message.command != NetCommand::Extension) return std::nullopt;
    QStringList fields = message.status.split(u'#');
    AgreementMessage read;
    if (message.text == u"SIM" || message.text == u"NAO") {
        read.answer = true;
        read.yes = message.text == u"SIM";
        if (fields.size() != 3) return std::nullopt;
        if (fields[0] != DrawWord && fields[0] != TakeBackWord) return std::nullopt;
        read.offer.kind = fields[0] == DrawWord ? OfferKind::Draw : OfferKind::TakeBack;
        fields.removeFirst();
    } else if (message.text == DrawWord + u'?' && fields.size() == 2) {
        read.offer.kind = OfferKind::Draw;
    } else if (message.text == TakeBackWord + u'?' && fields.size() == 3) {
        read.offer.kind = OfferKind::TakeBack;
        const auto n = Count(fields[2]);
        if (!n || *n < 1 || *n > 2) return std::nullopt;
        read.offer.takeBack = *n;
    } else {
        return std::nullopt;
    }
    const auto game = Count(fields[0]), plies = Count(fields[1]);
    if (!game || !plies) return std::nullopt;
    read.offer.game = *game;
    read.offer.plies = *plies;
    return read;
}

bool Agreements::MayOffer(OfferKind kind, int game, int plies) const {
    const std::optional<Offer>& refused = refused_[int(kind)];
    return !mine_ && !(refused && refused->game == game && refused->plies == plies);
}

bool Agreements::Answered(const Offer& answer, bool yes) {
    if (!mine_ || mine_->kind != answer.kind || mine_->game != answer.game ||
        mine_->plies != answer.plies)
        return false;
    if (!yes) refused_[int(mine_->kind)] = mine_;
    mine_.reset();
    return true;
}

void Agreements::Unanswered() {
    if (mine_) refused_[int(mine_->kind)] = mine_;
    mine_.reset();
}

void Agreements::Clear() {
    mine_.reset();
    refused_ = {};
}

QString MatchScore::Text() const {
    return Points(own_) + QStringLiteral(" × ") + Points(peer_);
}

} // namespace corvane
