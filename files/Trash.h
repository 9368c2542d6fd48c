#pragma once
// The desktop's trash (the freedesktop.org trash that file managers show and
// restore from): a file moved there can be put back by the user.
#include <QString>

namespace corvane {

// Moves the file at path into the trash of the user: the home trash
// ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash) when the file lies on the
// same file system, else the trash at the top of the file's own file system.
// Writes the restore information first and renames the file last, so a file
// the trash cannot take stays where it was. False in that case.
bool MoveToTrash(const QString& path);

// The home trash folder ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash).
QString HomeTrashFolder();

} // namespace corvane
