// Any INI bytes read back as they were; one key written changes that value only, keeps the mark.
#include "FuzzCheck.h"
#include "files/IniDocument.h"

#include <array>
#include <vector>

using corvane::IniDocument;

static const std::array<QString, 4> Sections = {"Corvane", "Other", "a b", "[x"};
static const std::array<QString, 7> Keys = {"DATA", "POSTION", "MOVE", "SOM", "NICK", "A", "k y"};
static const QByteArray Mark = "\xEF\xBB\xBF";

// No blanks or line breaks at its ends, no enclosing quotes, not longer than a read returns.
static bool ReadsBackAsIs(const QString& value) {
    if (value.isEmpty() || value.size() > IniDocument::MaxValueLength) return false;
    if (value != value.trimmed() || value.contains(u'\r') || value.contains(u'\n')) return false;
    return !(value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
             value.back() == value.front());
}

static std::vector<QString> AllValues(const IniDocument& doc) {
    std::vector<QString> values;
    for (const QString& section : Sections)
        for (const QString& key : Keys) values.push_back(doc.Value(section, key));
    return values;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    corvane::fuzz::Input input(data, size);
    const std::size_t s = input.Byte() % Sections.size(), k = input.Byte() % Keys.size();
    const QString &section = Sections[s], &key = Keys[k];
    const std::string_view valueBytes = input.Take(input.Byte() % 48);
    const QString value = QString::fromUtf8(valueBytes.data(), qsizetype(valueBytes.size()));
    const std::string_view rest = input.Rest();
    const QByteArray file(rest.data(), qsizetype(rest.size()));

    IniDocument doc = IniDocument::FromBytes(file);
    FUZZ_CHECK(doc.ToBytes() == file);
    const std::vector<QString> before = AllValues(doc);

    FUZZ_CHECK(doc.SetValue(section, key, value));
    const QByteArray written = doc.ToBytes();
    const IniDocument again = IniDocument::FromBytes(written);
    FUZZ_CHECK(again.ToBytes() == written);
    FUZZ_CHECK(written.startsWith(Mark) == file.startsWith(Mark));
    const std::vector<QString> after = AllValues(again);
    FUZZ_CHECK(after == AllValues(doc));
    for (std::size_t i = 0; i < after.size(); ++i)
        if (i != s * Keys.size() + k) FUZZ_CHECK(after[i] == before[i]);
    if (ReadsBackAsIs(value)) FUZZ_CHECK(again.Value(section, key) == value);
    return 0;
}
