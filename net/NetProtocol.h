#pragma once
// The network game's wire unit: the messages two copies of the game exchange
// over their one TCP connection, how a stream of received bytes is cut back into
// those messages, and the checks every received field passes before it reaches
// the game. No windows here; the main window and the chat window call in.
//
// Wire format. A message is text, one byte per character in the Windows-1252
// code page, with no terminator and no length. Fields are separated by "#" and
// the first field is the command word with its colon:
//     "StartServidor:#" + nick        joiner to host, once, after connecting
//     "StartCliente:#" + nick         host to joiner, in answer
//     "Jogar:#" + move + "#" + status after each local move ("Jogar:#WP e2-e4#")
//     "EntregarJogo:#"                the sender resigns
//     "Chat:#" + line                 a chat line, "#" characters included
//
// Framing. TCP keeps no message boundaries: one read may hold two messages
// ("Jogar:#WP e2-e4#Chat:#oi") or part of one ("Jogar:#WP e2"). Every message
// begins with a command word followed by "#" (a header), so a message ends
// where the next header begins, and everything up to there belongs to it (a
// chat line keeps its "#" characters). Only the last message of what has
// arrived is in doubt, because nothing marks its end (unless the peer sends
// end marks, see Extensions below). NetReceiver takes it:
//   - at once, when it ends with an end mark, or when its shape is closed and
//     no further byte could change its meaning: "EntregarJogo:#"; a move whose
//     status is "XEQUE-MATE", "STALEMATE" or "EMPATE"; a move's field list
//     closed by another "#";
//   - after the connection has been quiet for QuietMs (the owner's timer calls
//     Flush), when it is whole as it stands but could still grow: a chat line,
//     a nick (also one followed by "#" and the extensions field still on its
//     way), a move with the empty status or "XEQUE" (which may become
//     "XEQUE-MATE"). A peer sends each message in one piece, so a quiet
//     connection means the message is whole: exactly the reading of a peer
//     that takes one read as one message;
//   - never before more bytes come, when it surely is a part: a header not yet
//     whole ("Jog"), a move without its status separator ("Jogar:#WP e2"), a
//     status cut inside its word ("XEQUE-MA").
// Bytes before the first header, or between a taken message and the next
// header, belong to no message and are dropped. At most MaxPending such bytes
// and held bytes together are kept: a peer that sends more without completing
// a message is reported (Overflow) and its connection is to be closed.
//
// Text a peer sends reaches the game only through NetMessage, cleaned: no
// control characters, nicks cut to MaxNickLength, chat lines to MaxChatLength,
// unknown status words emptied. Windows show these as plain text, never as
// markup. A received move text is kept as it came, only cut after
// MaxMoveTextKept characters (a longer text is no move either way);
// IsWellFormedMove checks its shape, the game controller whether it is legal.
//
// Extensions. Two copies of Corvane agree on more than the messages above;
// a copy that knows only those still plays a Corvane copy exactly as before:
//   - Announcement. Each handshake message carries a third field, EXTENSIONS
//     ("StartServidor:#ANA#+CV1#" + token + end mark, net/Resume.h). The
//     design reads field 2 as the
//     nick and ignores the rest. A side uses what follows only when the peer's
//     handshake carried the same field.
//   - End mark. With a peer that announced, every message this side sends ends
//     with EndMark (a control character, which no cleaned text holds). The
//     receiver takes a message at its end mark at once, without the quiet
//     wait. The handshake messages always carry one.
//   - "Corvane:#" + word + fields, each ended by an end mark, sent only to a
//     peer that announced (words and fields in net/Extensions.h and
//     net/Agreements.h): a keep-alive, the leave on purpose, the offers of
//     a draw and a take-back with their answers, and the resuming of a game
//     whose connection broke (net/Resume.h). A side that did not announce
//     ignores them.
//
// Bounds. Every message is short (see above), and at most MaxWaitingMessages
// of them wait in an inbox while the game is busy with an earlier one; a peer
// that sends more is reported (Overflow) like one that floods the connection.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace corvane {

// The two players' nicks: 1 the local player's, 2 the peer's (received in the
// handshake). Entry 0 is not used.
extern std::array<QString, 3> PlayerNick;

enum class NetCommand { StartServidor, StartCliente, Jogar, EntregarJogo, Chat, Extension };

// "StartServidor:", "StartCliente:", "Jogar:", "EntregarJogo:", "Chat:", "Corvane:".
QString CommandWord(NetCommand command);

inline constexpr int MaxNickLength = 20;
inline constexpr int MaxChatLength = 500;
// Longest move text: "WP e7-e8=WQ".
inline constexpr int MaxMoveLength = 11;
// A received move text longer than this is kept cut to this length.
inline constexpr int MaxMoveTextKept = 64;
inline constexpr qsizetype MaxPending = 64 * 1024;
// Messages an inbox keeps while an earlier one is handled (a message window
// shows, a local move is being made). An honest peer sends a few meanwhile.
inline constexpr qsizetype MaxWaitingMessages = 32;
// Quiet time after which a message that could still grow is taken as whole.
inline constexpr int QuietMs = 150;
// Ends every message between two copies that announced their extensions.
inline constexpr char EndMark = '\x1e';
// The handshake's third field: this copy understands the extensions.
inline const QString ExtensionsField = QStringLiteral("+CV1");
// The keep-alive's word ("Corvane:#VIVO"): it only shows the peer is there,
// so an inbox drops it rather than let it wait.
inline const QString KeepAliveWord = QStringLiteral("VIVO");
// An extension message's text is kept cut to this length: the longest, a
// resume's account of the game (net/Resume.h), takes 98 characters.
inline constexpr int MaxExtensionLength = 100;

// Field n (1-based) of text, fields being separated by separator. The text is
// first given a leading and a trailing separator when it lacks them (the
// caller's text is changed in place), so field 1 of "Jogar:#WP e2-e4#" is
// "Jogar:" and field 3 is the empty text. A field past the last is empty.
QString GetField(QString& text, int n, const QString& separator = QStringLiteral("#"));

// One received message, its fields cleaned.
struct NetMessage {
    NetCommand command;
    // StartServidor / StartCliente: the sender's nick; Jogar: the move text as
    // received; Chat: the line; EntregarJogo: empty; Extension: the word.
    QString text;
    // Jogar: "XEQUE", "XEQUE-MATE", "STALEMATE", "EMPATE" or empty.
    // Extension: the fields after the word, "#" between them. StartServidor /
    // StartCliente of a sender that announced the extensions: its token.
    QString status;
    // StartServidor / StartCliente: the sender announced the extensions.
    bool extended = false;
    bool operator==(const NetMessage&) const = default;
};

// The outgoing messages. A nick or chat line that itself contains a header
// ("Jogar:#" ...) gets a blank between its colon and "#", so that the peer can
// never read part of a line as a move or a resignation.
// The handshake messages announce the extensions (see above), with the
// sender's token for resuming (net/Resume.h) when given.
QString StartServidorMessage(const QString& nick, const QString& token = {});
QString StartClienteMessage(const QString& nick, const QString& token = {});
QString JogarMessage(const QString& move, const QString& status);
QString EntregarJogoMessage();
QString ChatMessage(const QString& line);
// "Corvane:#" + word, then each field after a "#" (no end mark: the sender adds it).
QString ExtensionMessage(const QString& word, const QStringList& fields = {});

// text without control characters, cut to maxLength characters.
QString CleanText(const QString& text, int maxLength);
// status when it is one of the four status words, else the empty text.
QString StatusWord(const QString& status);
// True for the shape of a move text: PieceCode, blank, from-square, "-" or "x",
// to-square (two different squares), and "=" with a rook, knight, bishop or
// queen of the mover's colour exactly when a pawn reaches the last rank
// ("WP e2-e4", "BN g8xf6", "WK e1-g1", "WP e7-e8=WQ"). Legality is not judged.
bool IsWellFormedMove(const QString& move);

// Cuts the bytes of one connection into messages (see Framing above).
class NetReceiver {
public:
    struct Result {
        std::vector<NetMessage> messages; // in the order they were sent
        bool overflow = false;            // close the connection
    };

    // Adds received bytes; the messages they complete.
    Result Feed(const QByteArray& bytes);
    // The connection has been quiet: takes a held message that is whole as it stands.
    Result Flush();
    // True when a held message waits for Flush (the owner's quiet timer should run).
    bool WantsFlush() const { return wantsFlush_; }
    // After an overflow every further byte is refused until Clear.
    bool Overflowed() const { return overflowed_; }
    qsizetype Held() const { return buffer_.size(); }
    // Forgets everything (a new connection).
    void Clear();

private:
    Result Drain(bool flushing);

    QByteArray buffer_;      // starts with a header, or is the beginning of one
    qsizetype searched_ = 0; // no header begins inside buffer_ before this offset
    qsizetype dropped_ = 0;  // bytes of no message since the last message began
    bool wantsFlush_ = false;
    bool overflowed_ = false;
};

// What a connection that received exactly these bytes, and then fell quiet,
// would dispatch. overflow, when given, tells whether it would be closed.
std::vector<NetMessage> ParseStream(const QByteArray& bytes, bool* overflow = nullptr);

// A NetReceiver with its quiet timer, for the owner of a connection. Messages
// are delivered one at a time in order: one that arrives while a handler runs
// (a handler may show a modal window, which lets socket events in) waits until
// that handler has returned.
class NetInbox {
public:
    NetInbox();
    ~NetInbox();
    NetInbox(const NetInbox&) = delete;
    NetInbox& operator=(const NetInbox&) = delete;

    std::function<void(const NetMessage&)> OnMessage;
    // The peer flooded the connection: bytes that make no message, or more
    // messages than may wait (tooMany). The owner closes it; nothing more is
    // delivered, nothing that waited either.
    std::function<void(bool tooMany)> OnOverflow;
    // A keep-alive ("Corvane:#VIVO"): handled at once, never kept waiting.
    std::function<void(const NetMessage&)> OnKeepAlive;

    // Bytes read from the connection.
    void Receive(const QByteArray& bytes);
    // The connection ended: a held message that is whole as it stands (a last
    // chat line) is delivered now rather than lost.
    void Flush();
    // Drops held bytes and waiting messages (the connection is gone or new).
    void Reset();
    // The peer announced the extensions and ends every message with its end
    // mark: a message without one is a part whose rest was lost with the
    // connection (it comes again whole after a resume), never taken on quiet
    // or at the close.
    void TakeOnlyMarked(bool on) { onlyMarked_ = on; }
    bool Idle() const { return queue_.empty() && receiver_.Held() == 0; }
    qsizetype Waiting() const { return qsizetype(queue_.size()); }

private:
    void Take(NetReceiver::Result result);
    void Overflow(bool tooMany);
    void Deliver();

    NetReceiver receiver_;
    QTimer quiet_;
    std::deque<NetMessage> queue_;
    bool delivering_ = false;
    bool flooded_ = false; // Overflow ran: nothing more until Reset
    bool onlyMarked_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace corvane
