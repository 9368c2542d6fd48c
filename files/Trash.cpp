#include "files/Trash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

bool StatOf(const QString& path, struct stat& info, bool follow = true) {
    const QByteArray name = QFile::encodeName(path);
    return (follow ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info)) == 0;
}

// The folder and its "files" and "info" folders, made for the user alone when missing.
bool MakeTrash(const QString& trash) {
    for (const QString& dir :
         {trash, trash + QStringLiteral("/files"), trash + QStringLiteral("/info")}) {
        const QByteArray name = QFile::encodeName(dir);
        if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) return false;
        struct stat info {};
        if (!StatOf(dir, info, false) || !S_ISDIR(info.st_mode)) return false;
    }
    return true;
}

// The mount point of the file system a path lies on: the highest folder
// above it on the same device.
QString TopOf(const QString& path, dev_t device) {
    QString top = QFileInfo(path).absolutePath();
    for (;;) {
        const QString parent = QFileInfo(top).absolutePath();
        struct stat info {};
        if (parent == top || !StatOf(parent, info) || info.st_dev != device) return top;
        top = parent;
    }
}

// The trash for a file on another file system than the home trash:
// $top/.Trash/$uid when the administrator made $top/.Trash (a real folder with
// the sticky bit), else $top/.Trash-$uid.
QString TopTrash(const QString& top) {
    const QString uid = QString::number(::getuid());
    const QString shared = top + QStringLiteral("/.Trash");
    struct stat info {};
    if (StatOf(shared, info, false) && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) != 0 &&
        MakeTrash(shared + u'/' + uid))
        return shared + u'/' + uid;
    const QString own = top + QStringLiteral("/.Trash-") + uid;
    return MakeTrash(own) ? own : QString();
}

} // namespace

QString HomeTrashFolder() {
    QString data = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Trash");
}

bool MoveToTrash(const QString& path) {
    const QFileInfo file(path);
    struct stat source {};
    if (!StatOf(file.absoluteFilePath(), source, false)) return false;

    // The home trash when the file can be renamed into it.
    QString trash = HomeTrashFolder();
    QString recorded = file.absoluteFilePath(); // the path the restore information names
    struct stat home {};
    const bool homeReady =
        QDir().mkpath(QFileInfo(trash).absolutePath()) && MakeTrash(trash) && StatOf(trash, home);
    if (!homeReady) return false;
    if (home.st_dev != source.st_dev) {
        const QString top = TopOf(file.absoluteFilePath(), source.st_dev);
        trash = TopTrash(top);
        if (trash.isEmpty()) return false;
        recorded = QDir(top).relativeFilePath(file.absoluteFilePath());
    }

    // A name not yet used in the trash, claimed by creating its restore
    // information exclusively.
    const QString base = file.completeBaseName();
    const QString suffix = file.suffix().isEmpty() ? QString() : u'.' + file.suffix();
    const QByteArray info =
        "[Trash Info]\nPath=" + QFile::encodeName(recorded).toPercentEncoding("/") +
        "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).toLatin1() + "\n";
    for (int n = 1; n < 1000; ++n) {
        const QString name =
            n == 1 ? file.fileName() : base + QStringLiteral(" (%1)").arg(n) + suffix;
        const QString target = trash + QStringLiteral("/files/") + name;
        const QByteArray infoPath = QFile::encodeName(trash + QStringLiteral("/info/") + name +
                                                      QStringLiteral(".trashinfo"));
        struct stat taken {};
        if (StatOf(target, taken, false)) continue;
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        const bool written = ::write(fd, info.constData(), size_t(info.size())) == info.size();
        const bool closed = ::close(fd) == 0;
        if (written && closed &&
            ::rename(QFile::encodeName(file.absoluteFilePath()).constData(),
                     QFile::encodeName(target).constData()) == 0)
            return true;
        ::unlink(infoPath.constData());
        return false;
    }
    return false;
}

} // namespace corvane
