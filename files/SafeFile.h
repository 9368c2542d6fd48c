#pragma once
// Reading and replacing the program's small text files without ever leaving a
// half-written one behind.
#include <QByteArray>
#include <QString>

namespace corvane {

// Larger files are not ours: they are neither read nor rewritten.
inline constexpr qsizetype MaxSmallFileBytes = 4 * 1024 * 1024;

enum class FileReadResult { Read, Missing, Failed };

// Reads a regular file of at most MaxSmallFileBytes. Failed for anything else
// (a folder, a device, a pipe, no permission, too large, a read error).
FileReadResult ReadSmallFile(const QString& path, QByteArray& bytes);

// Writes the bytes to a new file in the same folder, flushes it to the disk and
// renames it over path, so path holds either the old or the new contents
// whatever happens. A symbolic link is followed; an existing file keeps its
// permissions. False when any step failed; the old file is then untouched.
bool ReplaceFile(const QString& path, const QByteArray& bytes);

} // namespace corvane
