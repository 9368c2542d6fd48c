#pragma once
// The INI files of the program (the saved games and config.dat) and the folder
// they live in.
#include "files/IniDocument.h"

#include <QString>
#include <optional>

namespace corvane {

// ---- Owner: files. The program folder -------------------------------------
// The section of every file the program writes: the application title.
inline const QString IniSection = QStringLiteral("Corvane");

// The per-user data folder, always ending in "/", created when missing. It is
// the folder SetProgramFolder named, else the folder in the environment
// variable CORVANE_PROGRAM_FOLDER, else the application's data location.
QString ProgramFolder();
// Points the program at another folder (tests); the empty text undoes it.
void SetProgramFolder(const QString& folder);

// ---- INI operations ---------------------------------------------------------
// The value of key in section of the file, or dflt when the file, the section
// or the key is missing, the value is empty or the file cannot be read.
QString ReadIniValue(const QString& section, const QString& key, const QString& file,
                     const QString& dflt);

// Sets key=value in section of the file, creating the file, the section or the
// key as needed; everything else in the file stays as it was. The file is
// replaced as a whole, so it never holds half of a write. False when nothing
// was written (the old file is then untouched).
bool WriteIniValue(const QString& section, const QString& key, const QString& value,
                   const QString& file);
// Several keys in one replacement, in the given order for keys new to the file.
bool WriteIniValues(const QString& section, const IniPairs& values, const QString& file);

// The whole file; nullopt when it is missing or cannot be read.
std::optional<IniDocument> LoadIniFile(const QString& file);

} // namespace corvane
