#pragma once
// The user's settings kept between runs in "config.dat" in the program folder.
// Each is read from the file when it is needed and written when it changes;
// nothing is kept in memory here.
#include <QString>
#include <optional>

namespace corvane {

QString ConfigPath(); // ProgramFolder() + "config.dat"

// "SOM": sound on; true when missing.
bool ReadSoundOn();
bool WriteSoundOn(bool soundOn);

// "NICK": the local nickname for network games, in upper case, as the new-game
// window shows it; the account's user name when missing.
QString ReadNick();
bool WriteNick(const QString& nick);

// "ENDERECO": the host name or address last typed to join a network game
// (cleaned: no control characters, at most 255 characters); empty when missing.
QString ReadLastAddress();
bool WriteLastAddress(const QString& address);

// "AVISO": the firewall warning is not to be shown again; false when missing.
bool ReadWarningHidden();
bool WriteWarningHidden(bool hidden);

// "NOTACAO": the move list in standard notation; false (the game's own) when missing.
bool ReadStandardNotation();
bool WriteStandardNotation(bool standard);

// "UPNP": hosting asks the router to open the game port; true when missing.
bool ReadOpenRouterPort();
bool WriteOpenRouterPort(bool open);

// What the main window writes when it closes ("SOM", then "NICK"), in one
// replacement of the file. An empty nick (none was chosen during the run)
// keeps the stored one.
bool WriteSettingsOnClose(bool soundOn, const QString& nick);

// Booleans are stored as "True" and "False".
QString BoolText(bool value);
// "True"/"False" in any letter case, the Portuguese words, and numbers
// (0 is false); nullopt for anything else.
std::optional<bool> ParseBoolText(const QString& text);

// The name of the operating-system account ("JOGADOR" when there is none).
QString AccountUserName();

} // namespace corvane
