#include "files/IniDocument.h"

#include "files/Windows1252.h"

#include <QStringDecoder>
#include <algorithm>
#include <optional>

namespace corvane {

namespace {

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\r' || c == u'\n';
}

QStringView TrimBlanks(QStringView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.sliced(first, last - first);
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool HasLineBreak(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n');
}

bool IsAscii(const QByteArray& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char b) { return (b & 0x80) == 0; });
}

} // namespace

IniDocument::Line IniDocument::ParseLine(QString text, QString end, qsizetype skip) {
    Line line;
    line.text = std::move(text);
    line.end = std::move(end);
    // Views into the text: a long value is not copied until it is read.
    const QStringView trimmed = TrimBlanks(QStringView(line.text).sliced(skip));
    line.blank = trimmed.isEmpty();
    if (line.blank || trimmed.front() == u';') return line;
    if (trimmed.front() == u'[') {
        const qsizetype close = trimmed.indexOf(u']');
        line.kind = Kind::Section;
        line.name =
            TrimBlanks(trimmed.sliced(1, close < 0 ? trimmed.size() - 1 : close - 1)).toString();
        return line;
    }
    const qsizetype equals = trimmed.indexOf(u'=');
    line.name = TrimBlanks(equals < 0 ? trimmed : trimmed.first(equals)).toString();
    if (line.name.isEmpty()) return line;
    line.kind = Kind::Key;
    if (equals >= 0) {
        const QStringView value = TrimBlanks(trimmed.sliced(equals + 1));
        line.valueFrom = value.data() - line.text.constData();
        line.valueLength = value.size();
    }
    return line;
}

IniDocument IniDocument::FromBytes(const QByteArray& bytes) {
    IniDocument doc;
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) {
        doc.byteOrderMark_ = true;
        body.remove(0, 3);
    }
    doc.utf8_ = IsValidUtf8(body);
    // More marks at the start of the body are characters of the text, kept
    // as they are but not read as part of the first line (QString::fromUtf8
    // would drop one).
    const QString text = doc.utf8_ ? QStringDecoder(QStringDecoder::Utf8,
                                                    QStringDecoder::Flag::ConvertInitialBom)(body)
                                   : DecodeWindows1252(body);

    const auto* chars = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype size = text.size();
    qsizetype marks = 0;
    while (marks < size && chars[marks] == u'\uFEFF') ++marks;
    bool newLineSeen = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = chars[i];
        if (c != u'\r' && c != u'\n') continue;
        const bool crlf = c == u'\r' && i + 1 < size && chars[i + 1] == u'\n';
        QString end = crlf ? QStringLiteral("\r\n") : QString(QChar(c));
        if (!newLineSeen) {
            doc.newLine_ = end;
            newLineSeen = true;
        }
        doc.lines_.append(
            ParseLine(text.mid(start, i - start), std::move(end), start == 0 ? marks : 0));
        if (crlf) ++i;
        start = i + 1;
    }
    if (start < size)
        doc.lines_.append(ParseLine(text.mid(start), QString(), start == 0 ? marks : 0));
    return doc;
}

QByteArray IniDocument::ToBytes() const {
    qsizetype size = 0;
    for (const Line& line : lines_) size += line.text.size() + line.end.size();
    QString text;
    text.reserve(size);
    for (const Line& line : lines_) text.append(line.text).append(line.end);
    std::optional<QByteArray> bytes;
    if (!utf8_) {
        // Windows-1252 bytes that happen to form UTF-8 beyond ASCII would be
        // read back as UTF-8, that is as other letters: such a file is written
        // as UTF-8, which holds the same text.
        bytes = EncodeWindows1252(text);
        if (bytes && IsValidUtf8(*bytes) && !IsAscii(*bytes)) bytes.reset();
    }
    if (!bytes) bytes = text.toUtf8();
    if (byteOrderMark_) bytes->prepend("\xEF\xBB\xBF");
    return *bytes;
}

IniDocument::Place IniDocument::Find(const QString& section, const QString& key) const {
    Place place;
    bool inSection = false;
    bool inFirstSection = false;
    for (int i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) {
            inSection = SameName(line.name, section);
            inFirstSection = inSection && place.sectionLine < 0;
            if (inFirstSection) {
                place.sectionLine = i;
                place.insertAt = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        if (line.kind == Kind::Key && SameName(line.name, key)) {
            place.keyLine = i;
            return place;
        }
        // A missing key goes after the last line of the section that is not
        // blank, so that blank lines before the next section stay there.
        if (inFirstSection && !line.blank) place.insertAt = i + 1;
    }
    return place;
}

QString IniDocument::Value(const QString& section, const QString& key) const {
    const Place place = Find(section, key);
    if (place.keyLine < 0) return QString();
    const Line& line = lines_[place.keyLine];
    QStringView value = QStringView(line.text).sliced(line.valueFrom, line.valueLength);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        value = value.sliced(1, value.size() - 2);
    }
    return value.first(std::min<qsizetype>(value.size(), MaxValueLength)).toString();
}

void IniDocument::InsertLine(int at, const QString& text) {
    if (at > 0 && lines_[at - 1].end.isEmpty()) lines_[at - 1].end = newLine_;
    lines_.insert(at, ParseLine(text, newLine_));
}

bool IniDocument::SetValue(const QString& section, const QString& key, const QString& value) {
    if (!IsValidSectionName(section) || !IsValidKeyName(key)) return false;
    QString cleanValue = value;
    cleanValue.replace(u'\r', u' ').replace(u'\n', u' ');

    const Place place = Find(section, key);
    if (place.keyLine >= 0) {
        Line& line = lines_[place.keyLine];
        line = ParseLine(line.name + u'=' + cleanValue, line.end);
    } else if (place.sectionLine >= 0) {
        InsertLine(place.insertAt, key + u'=' + cleanValue);
    } else {
        InsertLine(static_cast<int>(lines_.size()), u'[' + section + u']');
        InsertLine(static_cast<int>(lines_.size()), key + u'=' + cleanValue);
    }
    return true;
}

bool IniDocument::IsValidSectionName(const QString& name) {
    return !TrimBlanks(name).isEmpty() && name == TrimBlanks(name) && !name.contains(u']') &&
           !HasLineBreak(name);
}

bool IniDocument::IsValidKeyName(const QString& name) {
    return !TrimBlanks(name).isEmpty() && name == TrimBlanks(name) && !name.contains(u'=') &&
           name.front() != u'[' && name.front() != u';' && !HasLineBreak(name);
}

} // namespace corvane
