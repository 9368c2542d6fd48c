#pragma once
// The one line that says what just happened on the board, for the eye and for
// screen readers: every move (the person's, the computer's, the peer's), check,
// the end of a game and the reasons a typed move was refused. Its accessible
// role is a status bar and its accessible name is the last announcement; each
// announcement raises the name-change event, which a screen reader reports.
#include <QLabel>
#include <QString>
#include <string>

namespace corvane {

class Announcer : public QLabel {
    Q_OBJECT
public:
    explicit Announcer(QWidget* parent = nullptr);
    // Shows the text (plain, on one line) and raises the name change.
    void Say(const QString& text);
    QString LastSaid() const { return said_; }

    // "Cavalo preto de g8 para f6", "Peão branco de e5 para d6, captura",
    // "Rei branco de e1 para g1, roque pequeno", "..., promove a dama";
    // "" for a text that is not a move text.
    static QString MoveWords(const std::string& moveText, bool capture);
    // The words of a game status for the side that has just moved ("W"/"B"):
    // "Xeque", "Xeque-mate, brancas vencem", "Afogamento, empate", "Empate";
    // any other status is said as it stands.
    static QString StatusWords(const std::string& status, const std::string& moverSide);
    // "peão branco", "dama preta"; "" for an empty or unknown code.
    static QString PieceWords(const std::string& pieceCode);

signals:
    // After each announcement (its name-change event raised).
    void Said(const QString& text);

private:
    QString said_;
};

} // namespace corvane
