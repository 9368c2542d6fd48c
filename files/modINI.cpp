#include "files/modINI.h"

#include "files/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace corvane {

namespace {

QString& ChosenProgramFolder() {
    static QString folder;
    return folder;
}

QString DefaultProgramFolder() {
    const QString fromEnvironment = qEnvironmentVariable("CORVANE_PROGRAM_FOLDER");
    if (!fromEnvironment.isEmpty()) return fromEnvironment;
    // Without an application name the data location would be the shared data
    // folder itself; keep the program's files in a folder of their own.
    if (QCoreApplication::applicationName().isEmpty()) {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/Corvane");
    }
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

} // namespace

QString ProgramFolder() {
    QString folder = ChosenProgramFolder();
    if (folder.isEmpty()) folder = DefaultProgramFolder();
    if (!folder.endsWith(u'/')) folder += u'/';
    QDir().mkpath(folder);
    return folder;
}

void SetProgramFolder(const QString& folder) {
    ChosenProgramFolder() = folder;
}

std::optional<IniDocument> LoadIniFile(const QString& file) {
    QByteArray bytes;
    if (ReadSmallFile(file, bytes) != FileReadResult::Read) return std::nullopt;
    return IniDocument::FromBytes(bytes);
}

QString ReadIniValue(const QString& section, const QString& key, const QString& file,
                     const QString& dflt) {
    const auto doc = LoadIniFile(file);
    const QString value = doc ? doc->Value(section, key) : QString();
    return value.isEmpty() ? dflt : value;
}

bool WriteIniValues(const QString& section, const IniPairs& values, const QString& file) {
    QByteArray bytes;
    const FileReadResult read = ReadSmallFile(file, bytes);
    // A file that exists but cannot be read is left alone rather than replaced
    // by one holding only the new keys.
    if (read == FileReadResult::Failed) return false;
    IniDocument doc = IniDocument::FromBytes(bytes);
    for (const auto& [key, value] : values) {
        if (!doc.SetValue(section, key, value)) return false;
    }
    return ReplaceFile(file, doc.ToBytes());
}

bool WriteIniValue(const QString& section, const QString& key, const QString& value,
                   const QString& file) {
    return WriteIniValues(section, {{key, value}}, file);
}

} // namespace corvane
