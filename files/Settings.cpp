#include "files/Settings.h"

#include "files/modINI.h"

#include <pwd.h>
#include <unistd.h>

namespace corvane {

namespace {

// The keys of config.dat and their defaults; nothing else names them.
const QString SoundKey = QStringLiteral("SOM");
const QString NickKey = QStringLiteral("NICK");
const QString WarningKey = QStringLiteral("AVISO");
const QString NotationKey = QStringLiteral("NOTACAO");
const QString AddressKey = QStringLiteral("ENDERECO");
const QString RouterPortKey = QStringLiteral("UPNP");
constexpr qsizetype LongestAddress = 255;
constexpr bool SoundDefault = true;
constexpr bool WarningHiddenDefault = false;
constexpr bool StandardNotationDefault = false;
constexpr bool RouterPortDefault = true;
QString NickDefault() {
    return AccountUserName();
}

bool ReadBool(const QString& key, bool dflt) {
    const QString text = ReadIniValue(IniSection, key, ConfigPath(), BoolText(dflt));
    return ParseBoolText(text).value_or(dflt);
}

} // namespace

QString ConfigPath() {
    return ProgramFolder() + QStringLiteral("config.dat");
}

bool ReadSoundOn() {
    return ReadBool(SoundKey, SoundDefault);
}

bool WriteSoundOn(bool soundOn) {
    return WriteIniValue(IniSection, SoundKey, BoolText(soundOn), ConfigPath());
}

QString ReadNick() {
    return ReadIniValue(IniSection, NickKey, ConfigPath(), NickDefault()).toUpper();
}

bool WriteNick(const QString& nick) {
    return WriteIniValue(IniSection, NickKey, nick, ConfigPath());
}

QString ReadLastAddress() {
    QString address;
    for (const QChar c : ReadIniValue(IniSection, AddressKey, ConfigPath(), QString()))
        if (!c.isNonCharacter() && c.category() != QChar::Other_Control &&
            c.category() != QChar::Other_Format && address.size() < LongestAddress)
            address.append(c);
    return address.trimmed();
}

bool WriteLastAddress(const QString& address) {
    return WriteIniValue(IniSection, AddressKey, address.left(LongestAddress), ConfigPath());
}

bool ReadWarningHidden() {
    return ReadBool(WarningKey, WarningHiddenDefault);
}

bool WriteWarningHidden(bool hidden) {
    return WriteIniValue(IniSection, WarningKey, BoolText(hidden), ConfigPath());
}

bool ReadStandardNotation() {
    return ReadBool(NotationKey, StandardNotationDefault);
}

bool WriteStandardNotation(bool standard) {
    return WriteIniValue(IniSection, NotationKey, BoolText(standard), ConfigPath());
}

bool ReadOpenRouterPort() {
    return ReadBool(RouterPortKey, RouterPortDefault);
}

bool WriteOpenRouterPort(bool open) {
    return WriteIniValue(IniSection, RouterPortKey, BoolText(open), ConfigPath());
}

bool WriteSettingsOnClose(bool soundOn, const QString& nick) {
    IniPairs values = {{SoundKey, BoolText(soundOn)}};
    if (!nick.trimmed().isEmpty()) values.push_back({NickKey, nick});
    return WriteIniValues(IniSection, values, ConfigPath());
}

QString BoolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<bool> ParseBoolText(const QString& text) {
    const QString word = text.trimmed();
    if (word.compare(u"true", Qt::CaseInsensitive) == 0 ||
        word.compare(u"verdadeiro", Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (word.compare(u"false", Qt::CaseInsensitive) == 0 ||
        word.compare(u"falso", Qt::CaseInsensitive) == 0) {
        return false;
    }
    bool isNumber = false;
    const double number = word.toDouble(&isNumber);
    if (isNumber) return number != 0.0;
    return std::nullopt;
}

QString AccountUserName() {
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_name != nullptr) {
        const QString name = QString::fromLocal8Bit(entry->pw_name);
        if (!name.isEmpty()) return name;
    }
    const QString fromEnvironment = qEnvironmentVariable("USER");
    return fromEnvironment.isEmpty() ? QStringLiteral("JOGADOR") : fromEnvironment;
}

} // namespace corvane
