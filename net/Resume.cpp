#include "net/Resume.h"

#include <QRandomGenerator>
#include <algorithm>

namespace corvane {

namespace {

std::optional<qint64> Number(const QString& text, int digits) {
    if (text.isEmpty() || text.size() > digits) return std::nullopt;
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return std::nullopt;
    return text.toLongLong();
}

std::optional<int> Count(const QString& text) {
    const auto n = Number(text, 6);
    return n ? std::optional<int>(int(*n)) : std::nullopt;
}

// A clock reading: up to 9 digits of milliseconds, more than a hundred hours.
std::optional<qint64> Clock(const QString& text) {
    return Number(text, 9);
}

bool IsHex16(const QString& text) {
    if (text.size() != 16) return false;
    for (const QChar c : text)
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'))) return false;
    return true;
}

} // namespace

QString NewToken() {
    return QStringLiteral("%1").arg(QRandomGenerator::system()->generate64(), 16, 16, QChar(u'0'));
}

bool IsToken(const QString& text) {
    return IsHex16(text);
}

QString MoveListDigest(int game, const std::vector<std::string>& moves, int plies) {
    // FNV-1a over the game number and each move text, each ended by a zero.
    quint64 h = 14695981039346656037ull;
    const auto add = [&h](const std::string& text) {
        for (const unsigned char c : text) h = (h ^ c) * 1099511628211ull;
        h = (h ^ 0u) * 1099511628211ull;
    };
    add(std::to_string(game));
    const int n = std::clamp(plies, 0, int(moves.size()));
    for (int i = 0; i < n; ++i) add(moves[std::size_t(i)]);
    return QStringLiteral("%1").arg(h, 16, 16, QChar(u'0'));
}

QString StateMessage(const QString& word, const ResumeState& s) {
    QStringList fields{QString::number(s.received), QString::number(s.game),
                       QString::number(s.plies), s.digest};
    if (word != CheckWord) fields << QString::number(s.white) << QString::number(s.black);
    if (word == ResumeWord) fields.prepend(s.key);
    return ExtensionMessage(word, fields);
}

std::optional<ResumeState> ReadState(const NetMessage& message, const QString& word) {
    if (message.command != NetCommand::Extension || message.text != word) return std::nullopt;
    QStringList f = message.status.split(u'#');
    ResumeState s;
    if (word == ResumeWord) {
        if (f[0].size() != 32) return std::nullopt;
        if (!IsHex16(f[0].left(16)) || !IsHex16(f[0].mid(16))) return std::nullopt;
        s.key = f.takeFirst();
    }
    if (word != CheckWord) {
        const auto white = f.size() == 6 ? Clock(f[4]) : std::nullopt;
        const auto black = f.size() == 6 ? Clock(f[5]) : std::nullopt;
        if (!white || !black) return std::nullopt;
        s.white = *white;
        s.black = *black;
        f.resize(4);
    }
    if (f.size() != 4 || !IsHex16(f[3])) return std::nullopt;
    const auto received = Count(f[0]), game = Count(f[1]), plies = Count(f[2]);
    if (!received || !game || !plies) return std::nullopt;
    s.received = *received;
    s.game = *game;
    s.plies = *plies;
    s.digest = f[3];
    return s;
}

std::optional<int> KeepAliveCount(const NetMessage& message) {
    if (message.command != NetCommand::Extension || message.text != KeepAliveWord)
        return std::nullopt;
    return Count(message.status);
}

bool Outbox::Keep(const QString& message) {
    if (int(kept_.size()) >= MaxOutbox) return false;
    kept_.push_back(message);
    ++sent_;
    return true;
}

void Outbox::Confirmed(int count) {
    while (first_ < std::min(count, sent_)) {
        kept_.pop_front();
        ++first_;
    }
}

std::vector<QString> Outbox::After(int count) const {
    std::vector<QString> out;
    for (int i = std::max(count, first_); i < sent_; ++i)
        out.push_back(kept_[std::size_t(i - first_)]);
    return out;
}

int Outbox::ChatLines() const {
    return int(std::count_if(kept_.begin(), kept_.end(),
                             [](const QString& m) { return m.startsWith(u"Chat:#"); }));
}

void Outbox::Clear() {
    kept_.clear();
    first_ = sent_ = 0;
}

int ReconnectSchedule::Next() {
    const int wait = next_;
    next_ = std::min(next_ * 2, 4000);
    return wait;
}

} // namespace corvane
