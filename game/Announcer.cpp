#include "game/Announcer.h"

#include <QAccessible>

#include "kit/PlainText.h"
#include "rules/MoveText.h"

namespace corvane {

namespace {

// Longest announcement kept: a peer's note or a status is cut to this.
constexpr int MaxSaid = 160;

} // namespace

Announcer::Announcer(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("lblAnuncio"));
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

void Announcer::Say(const QString& text) {
    // Outside text may reach here (a peer's note): one plain line, cut.
    said_ = CleanOutsideText(text, MaxSaid);
    setText(said_);
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
    emit Said(said_);
}

QString Announcer::PieceWords(const std::string& code) {
    if (code.size() < 2 || (code[0] != 'W' && code[0] != 'B')) return {};
    const bool white = code[0] == 'W';
    // Dama and torre are feminine.
    switch (code[1]) {
    case 'K':
        return white ? "rei branco" : "rei preto";
    case 'Q':
        return white ? "dama branca" : "dama preta";
    case 'R':
        return white ? "torre branca" : "torre preta";
    case 'B':
        return white ? "bispo branco" : "bispo preto";
    case 'N':
        return white ? "cavalo branco" : "cavalo preto";
    case 'P':
        return white ? QString::fromUtf8("peão branco") : QString::fromUtf8("peão preto");
    default:
        return {};
    }
}

QString Announcer::MoveWords(const std::string& moveText, bool capture) {
    MoveText m;
    if (!ParseMoveText(moveText, m)) return {};
    const std::string code = PieceCodeOf(m.piece);
    QString words = PieceWords(code);
    if (words.isEmpty()) return {};
    words[0] = words[0].toUpper();
    words += QStringLiteral(" de %1 para %2")
                 .arg(QString::fromStdString(SquareName(m.fromRank, m.fromFile)),
                      QString::fromStdString(SquareName(m.toRank, m.toFile)));
    // A pawn that changes file always takes, en passant too (its text has no "x").
    const bool pawnTakes = code.size() == 2 && code[1] == 'P' && m.fromFile != m.toFile;
    if (capture || m.capture || pawnTakes) words += QStringLiteral(", captura");
    const Castling castling = CastlingOf(moveText);
    if (castling == Castling::KingSide) words += QStringLiteral(", roque pequeno");
    if (castling == Castling::QueenSide) words += QStringLiteral(", roque grande");
    const PieceIndex promoted = PromotedPieceOf(m);
    if (promoted != Empty) {
        const QString piece = PieceWords(PieceCodeOf(promoted));
        words += QStringLiteral(", promove a ") + piece.section(' ', 0, 0);
    }
    return words;
}

QString Announcer::StatusWords(const std::string& status, const std::string& moverSide) {
    if (status == "XEQUE") return QStringLiteral("Xeque");
    if (status == "XEQUE-MATE")
        return moverSide == "B" ? QStringLiteral("Xeque-mate, pretas vencem")
                                : QStringLiteral("Xeque-mate, brancas vencem");
    if (status == "STALEMATE") return QStringLiteral("Afogamento, empate");
    if (status == "EMPATE") return QStringLiteral("Empate");
    return QString::fromStdString(status);
}

} // namespace corvane
