#include "files/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

bool WriteAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= n;
    }
    return true;
}

mode_t NewFileMode(const QByteArray& target) {
    struct stat st {};
    if (::stat(target.constData(), &st) == 0) return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Makes the rename itself durable; a folder that cannot be synced is no reason
// to call a finished replacement a failure.
void SyncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

FileReadResult ReadSmallFile(const QString& path, QByteArray& bytes) {
    bytes.clear();
    const QFileInfo info(path);
    if (!info.exists()) return info.isSymLink() ? FileReadResult::Failed : FileReadResult::Missing;
    if (!info.isFile() || info.size() > MaxSmallFileBytes) return FileReadResult::Failed;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return FileReadResult::Failed;
    // Read by pieces: one read of the whole limit would reserve it for every
    // small file, and the file may have grown since its size was looked at.
    while (bytes.size() <= MaxSmallFileBytes) {
        const QByteArray piece = file.read(64 * 1024);
        if (piece.isEmpty()) break;
        bytes += piece;
    }
    if (file.error() != QFileDevice::NoError || bytes.size() > MaxSmallFileBytes) {
        bytes.clear();
        return FileReadResult::Failed;
    }
    return FileReadResult::Read;
}

bool ReplaceFile(const QString& path, const QByteArray& bytes) {
    QString targetPath = path;
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists()) targetPath = info.canonicalFilePath();
    const QByteArray target = QFile::encodeName(targetPath);
    const QByteArray folder = QFile::encodeName(QFileInfo(targetPath).absolutePath());
    // A file the user made read-only stays as it is.
    if (::access(target.constData(), F_OK) == 0 && ::access(target.constData(), W_OK) != 0) {
        return false;
    }
    QByteArray temp = folder + "/.corvane-XXXXXX";

    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, NewFileMode(target)) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }
    SyncFolder(folder);
    return true;
}

} // namespace corvane
