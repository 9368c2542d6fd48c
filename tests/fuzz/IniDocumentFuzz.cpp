// An INI file of any bytes, and one key written into it: the file reads back
// byte for byte while untouched; after the write every other value reads as
// before, the new one as written, the byte-order mark stays, and the bytes
// written read back as the same document.
#include "FuzzCheck.h"
#include "files/IniDocument.h"

#include <array>

using corvane::IniDocument;

namespace {

const std::array<QString, 4> Sections = {"Corvane", "Other", "a b", "[x"};
const std::array<QString, 7> Keys = {"DATA", "POSTION", "MOVE", "SOM", "NICK", "A", "k y"};
const QByteArray Mark = "\xEF\xBB\xBF";

// A value that reads back exactly as written: no blanks or line breaks at its
// ends, no enclosing quotes, not longer than a read returns.
bool ReadsBackAsIs(const QString& value) {
    if (value.isEmpty() || value.size() > IniDocument::MaxValueLength) return false;
    if (value != value.trimmed() || value.contains(u'\r') || value.contains(u'\n')) return false;
    return !(value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
             value.back() == value.front());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    corvane::fuzz::Input input(data, size);
    const QString& section = Sections[input.Byte() % Sections.size()];
    const QString& key = Keys[input.Byte() % Keys.size()];
    const std::string_view valueBytes = input.Take(input.Byte() % 48);
    const QString value = QString::fromUtf8(valueBytes.data(), qsizetype(valueBytes.size()));
    const std::string_view rest = input.Rest();
    const QByteArray file(rest.data(), qsizetype(rest.size()));

    IniDocument doc = IniDocument::FromBytes(file);
    FUZZ_CHECK(doc.ToBytes() == file);
    std::array<std::array<QString, Keys.size()>, Sections.size()> before;
    for (std::size_t s = 0; s < Sections.size(); ++s) {
        for (std::size_t k = 0; k < Keys.size(); ++k)
            before[s][k] = doc.Value(Sections[s], Keys[k]);
    }

    FUZZ_CHECK(doc.SetValue(section, key, value));
    const QByteArray written = doc.ToBytes();
    const IniDocument again = IniDocument::FromBytes(written);
    FUZZ_CHECK(again.ToBytes() == written);
    FUZZ_CHECK(written.startsWith(Mark) == file.startsWith(Mark));
    for (std::size_t s = 0; s < Sections.size(); ++s) {
        for (std::size_t k = 0; k < Keys.size(); ++k) {
            const QString now = again.Value(Sections[s], Keys[k]);
            FUZZ_CHECK(now == doc.Value(Sections[s], Keys[k]));
            if (Sections[s] != section || Keys[k] != key) FUZZ_CHECK(now == before[s][k]);
        }
    }
    if (ReadsBackAsIs(value)) FUZZ_CHECK(again.Value(section, key) == value);
    return 0;
}
