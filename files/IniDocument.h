#pragma once
// One INI file held line by line, read and changed the way the Windows profile
// functions do it: "[section]" headers and key=value lines, names matched
// without regard to case, blanks around names and values ignored, every other
// line (comments, other sections, unknown keys, line ends) kept as found.
#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

namespace corvane {

using IniPairs = QList<std::pair<QString, QString>>;

class IniDocument {
public:
    // A value read is cut to this many characters (the 255-character buffer of
    // the profile functions, less its terminator).
    static constexpr int MaxValueLength = 254;

    IniDocument() = default;

    // Text in UTF-8 when the bytes are valid UTF-8 (a byte-order mark is kept),
    // otherwise Windows-1252. Lines end in CRLF, LF or CR.
    static IniDocument FromBytes(const QByteArray& bytes);
    // The file again: untouched lines give back their bytes and a byte-order
    // mark stays. A Windows-1252 file stays Windows-1252 unless a new value has
    // no byte in it, or its bytes would read back as UTF-8; then the whole file
    // is written as UTF-8.
    QByteArray ToBytes() const;

    // The key's value in the first section of that name holding it: trimmed,
    // without one pair of enclosing quotes, at most MaxValueLength characters.
    // The empty text when the section or key is missing.
    QString Value(const QString& section, const QString& key) const;

    // Replaces the value where the key stands (the key keeps its spelling),
    // otherwise adds key=value at the end of the section, otherwise adds the
    // section at the end of the file. Line breaks in the value become blanks.
    // False (and nothing changed) when the section or key cannot be a name.
    bool SetValue(const QString& section, const QString& key, const QString& value);

    static bool IsValidSectionName(const QString& name);
    static bool IsValidKeyName(const QString& name);

private:
    enum class Kind { Other, Section, Key };
    // A line and what it holds, parsed once when read or changed.
    struct Line {
        QString text; // without its line end
        QString end;  // "\r\n", "\n", "\r" or "" for a last line without one
        Kind kind = Kind::Other;
        bool blank = false;
        QString name; // of the section or key, trimmed
        // The trimmed value of a key, in text.
        qsizetype valueFrom = 0;
        qsizetype valueLength = 0;
    };
    struct Place {
        int keyLine = -1;     // line of the key, -1 when missing
        int sectionLine = -1; // header of the first section of that name, -1 when missing
        int insertAt = -1;    // where a missing key goes in that section
    };

    // skip: characters at the start of the text that are not read.
    static Line ParseLine(QString text, QString end, qsizetype skip = 0);
    Place Find(const QString& section, const QString& key) const;
    void InsertLine(int at, const QString& text);

    QList<Line> lines_;
    bool utf8_ = true;
    bool byteOrderMark_ = false;
    QString newLine_ = QStringLiteral("\n");
};

} // namespace corvane
