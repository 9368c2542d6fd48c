#pragma once
// Resuming a network game after its connection broke, between two copies that
// announced the extensions (net/NetProtocol.h). No windows here.
//
// Each side sends a random token in its handshake (the field after the
// announcement); the two tokens together are the key of the connection. When
// the connection breaks without the peer having said it leaves ("Corvane:#SAIR"
// just before an orderly close), both keep the game; the joiner connects again
// and the host accepts only a connection whose first message is
//     "Corvane:#RETOMAR#" + key + "#" + received + "#" + game + "#" + plies + "#" + digest
//         + "#" + white + "#" + black
// and answers
//     "Corvane:#RETOMADO#" + received + "#" + game + "#" + plies + "#" + digest
//         + "#" + white + "#" + black
// and, after what it sends again,
//     "Corvane:#CONFERE#" + received + "#" + game + "#" + plies + "#" + digest
// which the peer checks once it has taken everything sent before it.
// received counts the messages of the game this side took from the peer over
// the connection (keep-alives and these two not counted), game the games
// finished, plies the moves listed, digest the digest of the move list, white
// and black the two clocks in milliseconds. Each side's clock ran on until it
// noticed the break, and a move in flight ran the clock of its mover on one
// side and of the other player on the other: both sides take the smaller
// reading of each clock, so they show the same times again. Each
// side then sends again, in order, what it sent that the peer did not receive
// (kept in its outbox), and play goes on. A side that holds more moves than
// its peer compares the digest of its list cut to the peer's length; a list
// that does not begin like the peer's cannot be repaired and ends the game.
// Anything else on a new connection, a wrong key or game, or a list that
// does not match, is refused: the connection is closed.
//
// Keep-alives carry the count received ("Corvane:#VIVO#" + received), so that
// each side forgets what the peer has already got; one also goes after every
// ConfirmEvery messages received.
#include "net/NetProtocol.h"

#include <QString>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

inline const QString ResumeWord = QStringLiteral("RETOMAR");
inline const QString ResumedWord = QStringLiteral("RETOMADO");
inline const QString LeaveWord = QStringLiteral("SAIR");
inline const QString CheckWord = QStringLiteral("CONFERE");
// Messages kept for sending again; a game sends few between keep-alives.
inline constexpr int MaxOutbox = 128;
// A keep-alive also goes after every so many messages received.
inline constexpr int ConfirmEvery = 16;
// Chat lines typed while the connection is down.
inline constexpr int MaxChatWhileDown = 20;

// 16 random hexadecimal digits.
QString NewToken();
bool IsToken(const QString& text);

// Digest of the first plies of a game's move texts, game being the games
// finished before it: 16 hexadecimal digits.
QString MoveListDigest(int game, const std::vector<std::string>& moves, int plies);

struct ResumeState {
    QString key;      // RETOMAR only
    int received = 0; // messages taken from the peer
    int game = 0;
    int plies = 0;
    QString digest;
    qint64 white = 0, black = 0; // the clocks (RETOMAR and RETOMADO only)
    bool operator==(const ResumeState&) const = default;
};

// RETOMAR (with the key), RETOMADO or CONFERE (without).
QString StateMessage(const QString& word, const ResumeState& state);
// A received RETOMAR, RETOMADO or CONFERE as word says; nullopt when it is
// another message or malformed.
std::optional<ResumeState> ReadState(const NetMessage& message, const QString& word);
// The count a keep-alive carries; nullopt when none.
std::optional<int> KeepAliveCount(const NetMessage& message);

// The messages sent to the peer that it may not have received, numbered from
// 1 over the connection's life.
class Outbox {
public:
    // Keeps a sent message; false when the outbox is full (the peer has not
    // confirmed anything for too long).
    bool Keep(const QString& message);
    // The peer has received the first count messages.
    void Confirmed(int count);
    // The messages after the first count, in order.
    std::vector<QString> After(int count) const;
    int Sent() const { return sent_; }
    // The peer's count of what it received is one this outbox can answer.
    bool Covers(int count) const { return count >= first_ && count <= sent_; }
    int ChatLines() const;
    void Clear();

private:
    std::deque<QString> kept_; // messages first_ + 1 .. sent_
    int first_ = 0;
    int sent_ = 0;
};

// Waits between the joiner's attempts to connect again: 250 ms, doubling up
// to 4 s.
class ReconnectSchedule {
public:
    int Next();
    void Reset() { next_ = 250; }

private:
    int next_ = 250;
};

} // namespace corvane
