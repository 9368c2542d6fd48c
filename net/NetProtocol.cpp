#include "net/NetProtocol.h"

#include "files/Windows1252.h"

#include <QObject>
#include <optional>
#include <string_view>

namespace corvane {

std::array<QString, 3> PlayerNick;

namespace {

struct Header {
    NetCommand command;
    std::string_view text; // the command word and its "#"
};

constexpr std::array<Header, 6> Headers{{
    {NetCommand::StartServidor, "StartServidor:#"},
    {NetCommand::StartCliente, "StartCliente:#"},
    {NetCommand::Jogar, "Jogar:#"},
    {NetCommand::EntregarJogo, "EntregarJogo:#"},
    {NetCommand::Chat, "Chat:#"},
    {NetCommand::Extension, "Corvane:#"},
}};

constexpr std::array<std::string_view, 4> StatusWords{"XEQUE", "XEQUE-MATE", "STALEMATE", "EMPATE"};

const Header& HeaderOf(NetCommand command) {
    for (const Header& h : Headers)
        if (h.command == command) return h;
    return Headers.front();
}

QString Latin(std::string_view text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// Gives every header inside text a blank before its "#".
QString Defused(QString text) {
    for (const Header& h : Headers) {
        const QString word = Latin(h.text.substr(0, h.text.size() - 1));
        text.replace(word + u'#', word + QStringLiteral(" #"));
    }
    return text;
}

std::string_view View(const QByteArray& bytes, qsizetype from, qsizetype to) {
    return {bytes.constData() + from, std::size_t(to - from)};
}

// The longest status word that s begins with, or nullopt.
std::optional<std::string_view> LeadingStatus(std::string_view s) {
    std::optional<std::string_view> best;
    for (std::string_view w : StatusWords)
        if (s.starts_with(w) && (!best || w.size() > best->size())) best = w;
    return best;
}

bool IsProperStatusPrefix(std::string_view s) {
    for (std::string_view w : StatusWords)
        if (s.size() < w.size() && w.starts_with(s)) return true;
    return false;
}

NetMessage Parse(NetCommand command, QByteArray bytes) {
    if (bytes.endsWith(EndMark)) bytes.chop(1);
    QString text = DecodeWindows1252(bytes);
    NetMessage m{command, {}, {}, false};
    switch (command) {
    case NetCommand::Chat:
        m.text = CleanText(text.mid(qsizetype(HeaderOf(command).text.size())), MaxChatLength);
        break;
    case NetCommand::StartServidor:
    case NetCommand::StartCliente:
        m.text = CleanText(GetField(text, 2).trimmed(), MaxNickLength).trimmed();
        m.extended = GetField(text, 3) == ExtensionsField;
        if (m.extended) m.status = CleanText(GetField(text, 4), 16);
        break;
    case NetCommand::Extension: {
        const QString rest =
            CleanText(text.mid(qsizetype(HeaderOf(command).text.size())), MaxExtensionLength);
        const qsizetype hash = rest.indexOf(u'#');
        m.text = hash < 0 ? rest : rest.left(hash);
        m.status = hash < 0 ? QString() : rest.mid(hash + 1);
        break;
    }
    case NetCommand::Jogar:
        m.text = GetField(text, 2).left(MaxMoveTextKept);
        m.status = StatusWord(GetField(text, 3));
        break;
    case NetCommand::EntregarJogo:
        break;
    }
    return m;
}

} // namespace

QString CommandWord(NetCommand command) {
    const std::string_view h = HeaderOf(command).text;
    return Latin(h.substr(0, h.size() - 1));
}

QString GetField(QString& text, int n, const QString& separator) {
    if (separator.isEmpty() || n < 1) return {};
    if (!text.startsWith(separator)) text.prepend(separator);
    if (!text.endsWith(separator)) text.append(separator);
    qsizetype start = 0;
    for (int i = 1; i < n; ++i) {
        start = text.indexOf(separator, start + separator.size());
        if (start < 0) return {};
    }
    const qsizetype from = start + separator.size();
    const qsizetype end = text.indexOf(separator, from);
    return end < 0 ? QString() : text.mid(from, end - from);
}

namespace {
QString Announced(const QString& token) {
    return u'#' + ExtensionsField + (token.isEmpty() ? QString() : u'#' + token) + QChar(EndMark);
}
} // namespace

QString StartServidorMessage(const QString& nick, const QString& token) {
    return CommandWord(NetCommand::StartServidor) + u'#' + Defused(nick) + Announced(token);
}
QString StartClienteMessage(const QString& nick, const QString& token) {
    return CommandWord(NetCommand::StartCliente) + u'#' + Defused(nick) + Announced(token);
}
QString JogarMessage(const QString& move, const QString& status) {
    return CommandWord(NetCommand::Jogar) + u'#' + move + u'#' + status;
}
QString EntregarJogoMessage() {
    return CommandWord(NetCommand::EntregarJogo) + u'#';
}
QString ChatMessage(const QString& line) {
    return CommandWord(NetCommand::Chat) + u'#' + Defused(line);
}

QString ExtensionMessage(const QString& word, const QStringList& fields) {
    QString message = CommandWord(NetCommand::Extension) + u'#' + word;
    for (const QString& field : fields) message += u'#' + field;
    return message;
}

QString CleanText(const QString& text, int maxLength) {
    QString out;
    out.reserve(qMin(text.size(), qsizetype(maxLength)));
    for (const QChar c : text) {
        if (out.size() >= maxLength) break;
        if (c.category() != QChar::Other_Control) out.append(c);
    }
    return out;
}

QString StatusWord(const QString& status) {
    for (std::string_view w : StatusWords)
        if (status == Latin(w)) return status;
    return {};
}

bool IsWellFormedMove(const QString& move) {
    if (move.size() != 8 && move.size() != 11) return false;
    const auto in = [&](qsizetype i, const char* set) {
        return move[i].unicode() < 128 &&
               std::string_view(set).find(char(move[i].unicode())) != std::string_view::npos;
    };
    if (!in(0, "WB") || !in(1, "RNBQKP") || move[2] != u' ' || !in(3, "abcdefgh") ||
        !in(4, "12345678") || !in(5, "-x") || !in(6, "abcdefgh") || !in(7, "12345678"))
        return false;
    if (move.mid(3, 2) == move.mid(6, 2)) return false;
    const bool white = move[0] == u'W';
    const bool promotes = move[1] == u'P' && move[7] == (white ? u'8' : u'1');
    if (move.size() == 8) return !promotes;
    return promotes && move[8] == u'=' && move[9] == move[0] && in(10, "RNBQ");
}

// --- NetReceiver ------------------------------------------------------------------------

namespace {

std::optional<Header> HeaderAt(const QByteArray& b, qsizetype pos) {
    const std::string_view rest = View(b, pos, b.size());
    for (const Header& h : Headers)
        if (rest.starts_with(h.text)) return h;
    return std::nullopt;
}

// Length of the longest end of b[from..] that a header begins with (shorter
// than the header): the start of a message still on its way.
qsizetype HeaderStartAtEnd(const QByteArray& b, qsizetype from) {
    const qsizetype longest = 14;
    for (qsizetype n = qMin(longest, b.size() - from); n > 0; --n) {
        const std::string_view tail = View(b, b.size() - n, b.size());
        for (const Header& h : Headers)
            if (tail.size() < h.text.size() && h.text.starts_with(tail)) return n;
    }
    return 0;
}

// How much of a message whose header begins at pos is taken now: take > 0
// bytes, or nothing yet (open: Flush may take it as it stands).
struct Cut {
    qsizetype take = 0;
    bool open = false;
};

Cut CutMove(const QByteArray& b, qsizetype pos, qsizetype body, bool flushing) {
    const qsizetype end = b.size();
    const qsizetype second = b.indexOf('#', body);
    // Without the separator before its status a move is not whole yet, unless it
    // is already too long to be a move at all.
    if (second < 0) return end - body > MaxMoveLength ? Cut{end - pos} : Cut{};
    const qsizetype status = second + 1;
    const qsizetype third = b.indexOf('#', status);
    if (third >= 0) return {third + 1 - pos};
    const std::string_view s = View(b, status, end);
    if (s.empty() || s == "XEQUE") return flushing ? Cut{end - pos} : Cut{0, true};
    if (IsProperStatusPrefix(s)) return {};
    // A status word and then the beginning of the next message, or no status.
    const auto word = LeadingStatus(s);
    return {status + qsizetype(word ? word->size() : 0) - pos};
}

// A nick's "#" followed by nothing yet or the beginning of the extensions
// field: the end mark may be on its way.
bool AnnouncementComing(const QByteArray& b, qsizetype from) {
    const std::string_view rest = View(b, from, b.size());
    const QByteArray field = ExtensionsField.toLatin1();
    const std::string_view announced(field.constData(), std::size_t(field.size()));
    // The announcement and a token: "+CV1#" and 16 digits.
    constexpr std::size_t longest = 32;
    return rest.size() <= longest && (announced.starts_with(rest) || rest.starts_with(announced));
}

Cut CutMessage(const QByteArray& b, const Header& h, qsizetype pos, qsizetype next, bool flushing) {
    const qsizetype body = pos + qsizetype(h.text.size());
    // An end mark ends the message it closes, whatever its shape.
    const qsizetype mark = b.indexOf(EndMark, body);
    if (mark >= 0 && (next < 0 || mark < next)) return {mark + 1 - pos};
    if (next >= 0) return {next - pos}; // everything up to the next header
    const Cut whole = flushing ? Cut{b.size() - pos} : Cut{0, true};
    switch (h.command) {
    case NetCommand::EntregarJogo:
        return {body - pos};
    case NetCommand::StartServidor:
    case NetCommand::StartCliente: {
        const qsizetype end = b.indexOf('#', body);
        if (end >= 0 && AnnouncementComing(b, end + 1)) return whole;
        return end >= 0 ? Cut{end + 1 - pos} : whole;
    }
    case NetCommand::Extension:
        return whole;
    case NetCommand::Jogar:
        return CutMove(b, pos, body, flushing);
    case NetCommand::Chat:
        return whole;
    }
    return whole;
}

} // namespace

NetReceiver::Result NetReceiver::Feed(const QByteArray& bytes) {
    if (overflowed_) return {{}, true};
    buffer_.append(bytes);
    return Drain(false);
}

NetReceiver::Result NetReceiver::Flush() {
    if (overflowed_) return {{}, true};
    return Drain(true);
}

void NetReceiver::Clear() {
    buffer_.clear();
    searched_ = 0;
    dropped_ = 0;
    wantsFlush_ = false;
    overflowed_ = false;
}

NetReceiver::Result NetReceiver::Drain(bool flushing) {
    Result result;
    wantsFlush_ = false;
    // The first header that begins at from or later, -1 when none: found by its
    // ":#", the only place where a header holds those two characters.
    const auto nextHeader = [this](qsizetype from) -> qsizetype {
        for (qsizetype q = buffer_.indexOf(":#", qMax(from, searched_)); q >= 0;
             q = buffer_.indexOf(":#", q + 1)) {
            for (const Header& h : Headers) {
                const qsizetype start = q + 2 - qsizetype(h.text.size());
                if (start >= from && View(buffer_, start, q + 2) == h.text) return start;
            }
        }
        searched_ = qMax(searched_, buffer_.size() - 1);
        return -1;
    };
    qsizetype pos = 0;
    while (pos < buffer_.size()) {
        const std::optional<Header> header = HeaderAt(buffer_, pos);
        if (!header) {
            // Bytes of no message, up to the next header or the start of one.
            const qsizetype next = nextHeader(pos + 1);
            const qsizetype skip =
                next >= 0 ? next : buffer_.size() - HeaderStartAtEnd(buffer_, pos);
            dropped_ += skip - pos;
            pos = skip;
            if (next < 0) break;
            continue;
        }
        const qsizetype next = nextHeader(pos + qsizetype(header->text.size()));
        const Cut cut = CutMessage(buffer_, *header, pos, next, flushing);
        if (cut.take == 0) {
            wantsFlush_ = cut.open;
            break;
        }
        result.messages.push_back(Parse(header->command, buffer_.mid(pos, cut.take)));
        dropped_ = 0;
        pos += cut.take;
    }
    buffer_.remove(0, pos);
    searched_ = qMax(qsizetype(0), searched_ - pos);
    if (dropped_ + buffer_.size() > MaxPending) {
        Clear();
        overflowed_ = true;
        result.overflow = true;
    }
    return result;
}

std::vector<NetMessage> ParseStream(const QByteArray& bytes, bool* overflow) {
    NetReceiver receiver;
    NetReceiver::Result all = receiver.Feed(bytes);
    NetReceiver::Result rest = receiver.Flush();
    all.messages.insert(all.messages.end(), rest.messages.begin(), rest.messages.end());
    if (overflow) *overflow = all.overflow || rest.overflow;
    return all.messages;
}

// --- NetInbox ---------------------------------------------------------------------------

NetInbox::NetInbox() {
    quiet_.setSingleShot(true);
    quiet_.setInterval(QuietMs);
    QObject::connect(&quiet_, &QTimer::timeout, [this] { Take(receiver_.Flush()); });
}

NetInbox::~NetInbox() {
    *alive_ = false;
}

void NetInbox::Receive(const QByteArray& bytes) {
    if (receiver_.Overflowed() || flooded_) return;
    Take(receiver_.Feed(bytes));
}

void NetInbox::Flush() {
    if (receiver_.Overflowed() || flooded_ || onlyMarked_) return;
    Take(receiver_.Flush());
}

void NetInbox::Reset() {
    flooded_ = false;
    receiver_.Clear();
    queue_.clear();
    quiet_.stop();
}

void NetInbox::Take(NetReceiver::Result result) {
    if (receiver_.WantsFlush() && !onlyMarked_)
        quiet_.start();
    else
        quiet_.stop();
    if (result.overflow) return Overflow(false);
    for (const NetMessage& m : result.messages) {
        if (m.command != NetCommand::Extension || m.text != KeepAliveWord) {
            queue_.push_back(m);
        } else if (OnKeepAlive) {
            OnKeepAlive(m);
        }
    }
    if (qsizetype(queue_.size()) > MaxWaitingMessages) return Overflow(true);
    Deliver();
}

void NetInbox::Overflow(bool tooMany) {
    // A flooding peer: what it sent before the flood is not trusted either.
    queue_.clear();
    receiver_.Clear();
    flooded_ = true;
    quiet_.stop();
    const std::function<void(bool)> call = OnOverflow;
    if (call) call(tooMany);
}

void NetInbox::Deliver() {
    if (delivering_) return; // the running handler's loop delivers it when it returns
    delivering_ = true;
    const std::shared_ptr<bool> alive = alive_;
    struct Done {
        const std::shared_ptr<bool>& alive;
        bool& flag;
        ~Done() {
            if (*alive) flag = false;
        }
    } done{alive, delivering_};
    while (!queue_.empty()) {
        const NetMessage message = queue_.front();
        queue_.pop_front();
        // A copy: the handler may release the inbox, and its callbacks with it.
        const std::function<void(const NetMessage&)> call = OnMessage;
        if (call) call(message);
        if (!*alive) return;
    }
}

} // namespace corvane
