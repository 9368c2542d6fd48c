#include "files/IniDocument.h"

#include "files/Windows1252.h"

namespace corvane {

namespace {

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    QString name;
    QString value;
};

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\r' || c == u'\n';
}

QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.mid(first, last - first);
}

ParsedLine ParseLine(const QString& raw) {
    ParsedLine parsed;
    const QString text = TrimBlanks(raw);
    if (text.isEmpty() || text.front() == u';') return parsed;
    if (text.front() == u'[') {
        const qsizetype close = text.indexOf(u']');
        parsed.kind = LineKind::Section;
        parsed.name = TrimBlanks(text.mid(1, close < 0 ? -1 : close - 1));
        return parsed;
    }
    const qsizetype equals = text.indexOf(u'=');
    parsed.name = TrimBlanks(equals < 0 ? text : text.left(equals));
    if (parsed.name.isEmpty()) return parsed;
    parsed.kind = LineKind::Key;
    if (equals >= 0) parsed.value = TrimBlanks(text.mid(equals + 1));
    return parsed;
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool HasLineBreak(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

IniDocument IniDocument::FromBytes(const QByteArray& bytes) {
    IniDocument doc;
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) {
        doc.byteOrderMark_ = true;
        body.remove(0, 3);
    }
    doc.utf8_ = IsValidUtf8(body);
    const QString text = doc.utf8_ ? QString::fromUtf8(body) : DecodeWindows1252(body);

    bool newLineSeen = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') continue;
        const bool crlf = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
        Line line{text.mid(start, i - start), crlf ? QStringLiteral("\r\n") : QString(c)};
        if (!newLineSeen) {
            doc.newLine_ = line.end;
            newLineSeen = true;
        }
        doc.lines_.append(line);
        if (crlf) ++i;
        start = i + 1;
    }
    if (start < text.size()) doc.lines_.append(Line{text.mid(start), QString()});
    return doc;
}

QByteArray IniDocument::ToBytes() const {
    QString text;
    for (const Line& line : lines_) text += line.text + line.end;
    if (!utf8_) {
        if (const auto bytes = EncodeWindows1252(text)) return *bytes;
    }
    QByteArray bytes = text.toUtf8();
    if (byteOrderMark_) bytes.prepend("\xEF\xBB\xBF");
    return bytes;
}

IniDocument::Place IniDocument::Find(const QString& section, const QString& key) const {
    Place place;
    bool inSection = false;
    bool inFirstSection = false;
    for (int i = 0; i < lines_.size(); ++i) {
        const ParsedLine parsed = ParseLine(lines_[i].text);
        if (parsed.kind == LineKind::Section) {
            inSection = SameName(parsed.name, section);
            inFirstSection = inSection && place.sectionLine < 0;
            if (inFirstSection) {
                place.sectionLine = i;
                place.insertAt = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        if (parsed.kind == LineKind::Key && SameName(parsed.name, key)) {
            place.keyLine = i;
            return place;
        }
        // A missing key goes after the last line of the section that is not
        // blank, so that blank lines before the next section stay there.
        if (inFirstSection && !TrimBlanks(lines_[i].text).isEmpty()) place.insertAt = i + 1;
    }
    return place;
}

QString IniDocument::Value(const QString& section, const QString& key) const {
    const Place place = Find(section, key);
    if (place.keyLine < 0) return QString();
    QString value = ParseLine(lines_[place.keyLine].text).value;
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
    }
    return value.left(MaxValueLength);
}

void IniDocument::InsertLine(int at, const QString& text) {
    if (at > 0 && lines_[at - 1].end.isEmpty()) lines_[at - 1].end = newLine_;
    lines_.insert(at, Line{text, newLine_});
}

bool IniDocument::SetValue(const QString& section, const QString& key, const QString& value) {
    if (!IsValidSectionName(section) || !IsValidKeyName(key)) return false;
    QString cleanValue = value;
    cleanValue.replace(u'\r', u' ').replace(u'\n', u' ');

    const Place place = Find(section, key);
    if (place.keyLine >= 0) {
        const QString name = ParseLine(lines_[place.keyLine].text).name;
        lines_[place.keyLine].text = name + u'=' + cleanValue;
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
