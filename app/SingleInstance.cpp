#include "app/SingleInstance.h"

#include "files/modINI.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

// Creates every missing folder of the path; 0 or the error number of the step
// that failed (a regular file in the way gives ENOTDIR).
int MakeFolders(const QByteArray& path) {
    for (qsizetype end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path[end] != '/') continue;
        const QByteArray part = path.left(end);
        struct stat info {};
        if (::stat(part.constData(), &info) == 0) {
            if (!S_ISDIR(info.st_mode)) return ENOTDIR;
            continue;
        }
        if (errno != ENOENT) return errno;
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST) return errno;
    }
    return 0;
}

// A file can be made and written in the folder (a read-only or full disk says no).
int ProbeWritable(const QByteArray& folder) {
    QByteArray name = folder + "/.corvane-probe-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return errno;
    int error = 0;
    if (::write(fd, "x", 1) != 1) error = errno != 0 ? errno : ENOSPC;
    ::close(fd);
    ::unlink(name.constData());
    return error;
}

} // namespace

SingleInstanceLock::~SingleInstanceLock() {
    Release();
}

SingleInstanceLock::Result SingleInstanceLock::Acquire(const QString& path) {
    if (fd_ >= 0) return Result::Taken;
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    error_ = MakeFolders(folder);
    if (error_ != 0) return Result::FolderUnusable;
    const QByteArray name = QFile::encodeName(path);
    // O_CLOEXEC: a program started from here must not inherit the lock.
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        error_ = errno;
        return Result::FolderUnusable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return Result::HeldElsewhere;
        error_ = error;
        return Result::FolderUnusable;
    }
    // Only the copy that holds the lock looks further: the folder must take
    // the settings and the saved games.
    error_ = ProbeWritable(folder);
    if (error_ != 0) {
        ::close(fd);
        return Result::FolderUnusable;
    }
    fd_ = fd;
    return Result::Taken;
}

void SingleInstanceLock::Release() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

QString SingleInstanceLock::DefaultPath() {
    return ProgramFolder() + QStringLiteral("corvane.lock");
}

QString SystemReason(int error) {
    switch (error) {
    case ENOTDIR:
        return QStringLiteral("um dos nomes do caminho é um arquivo, não uma pasta");
    case EACCES:
    case EPERM:
        return QStringLiteral("permissão negada");
    case EROFS:
        return QStringLiteral("o sistema de arquivos é somente leitura");
    case ENOSPC:
        return QStringLiteral("não há espaço livre no disco");
    case EDQUOT:
        return QStringLiteral("a cota de disco do usuário se esgotou");
    case ENAMETOOLONG:
        return QStringLiteral("o caminho é longo demais");
    case ELOOP:
        return QStringLiteral("há links simbólicos demais no caminho");
    case EISDIR:
        return QStringLiteral("o arquivo de trava é uma pasta");
    case EIO:
        return QStringLiteral("erro de leitura ou gravação no disco");
    default:
        return QStringLiteral("erro do sistema %1 (%2)")
            .arg(error)
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

QString DataFolderMessage(const QString& folder, int error) {
    // The path comes from the environment: shown whole up to a sensible length,
    // with nothing that is not a printable character.
    QString shown = folder.size() > 240 ? QStringLiteral("…") + folder.right(240) : folder;
    for (QChar& c : shown) {
        if (!c.isPrint()) c = u'?';
    }
    return QStringLiteral("Não foi possível usar a pasta de dados do Corvane:\n") + shown +
           QStringLiteral("\nMotivo: ") + SystemReason(error) +
           QStringLiteral(".\nO Corvane guarda nela as configurações e os jogos salvos e não "
                          "pode ser iniciado sem ela.");
}

} // namespace corvane
