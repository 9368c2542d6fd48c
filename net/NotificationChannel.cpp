// The notification channel: QSocketNotifiers on the user-interface thread that
// turn socket readiness into the one-shot events of an asynchronous select
// (accept, connect, read, write-ready, close) and hand them, with host-lookup
// results, to the owning CSocketLink through the registry's tables.
#include "net/CSocketLink.h"
#include "net/modSocketLink.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QSocketNotifier>
#include <QtGlobal>

#include <cerrno>
#include <netinet/in.h>
#include <new>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane {

namespace {

// Qt objects are released from the event loop, never from inside their own
// signal (a notifier may be dropped by the very event it delivered).
struct LaterDeleter {
    void operator()(QObject* object) const {
        if (QCoreApplication::instance() != nullptr)
            object->deleteLater();
        else
            std::default_delete<QObject>()(object);
    }
};
using NotifierPtr = std::unique_ptr<QSocketNotifier, LaterDeleter>;

template <class T, class... Args> std::unique_ptr<T, LaterDeleter> MakeQObject(Args&&... args) {
    return std::unique_ptr<T, LaterDeleter>(
        std::make_unique<T>(std::forward<Args>(args)...).release());
}

enum class Mode { Idle, Connecting, Listening, Stream, Datagram };

struct Record {
    Mode mode = Mode::Idle;
    bool readArmed = true;    // cleared when a read or accept is posted, set by the next call
    bool writeWanted = false; // a send would have blocked
    bool closePosted = false; // the close of a stream is posted once
    NotifierPtr read, write, exception;
};

class Channel : public QObject {
    Q_OBJECT
public:
    std::map<int, Record> records;
    std::map<long, ResolutionBuffer*> lookups;

    void Add(int fd, bool accepted);
    void Remove(int fd);
    void Sync(Record& r);
    void Activated(int fd, QSocketNotifier* notifier);
    Q_SLOT void LookupDone(const QHostInfo& info);

private:
    void Stream(int fd, Record& r, bool writable);
    void Connecting(int fd, Record& r);
    NotifierPtr MakeNotifier(int fd, QSocketNotifier::Type type);
};

std::unique_ptr<Channel, LaterDeleter> gChannel;

Channel& TheChannel() {
    if (!gChannel) gChannel = MakeQObject<Channel>();
    return *gChannel;
}

void TearDownIfIdle() {
    if (gChannel && RegisteredSockets.empty() && gChannel->lookups.empty()) gChannel.reset();
}

Record* Find(int fd) {
    if (!gChannel) return nullptr;
    const auto it = gChannel->records.find(fd);
    return it == gChannel->records.end() ? nullptr : &it->second;
}

// Hands one event to the owner of fd. Nothing here touches the channel or the
// record afterwards: the owner may close, release or replace them.
void Deliver(int fd, unsigned event, int error) {
    CSocketLink* owner = SocketTable.Owner(fd);
    if (owner == nullptr) return;
    try {
        owner->WndProc(0, kMsgSocketEvent, fd, MakeLParam(event, unsigned(error)));
    } catch (const std::exception& e) {
        qWarning("socket event handler failed: %s", e.what());
    }
}

NotifierPtr Channel::MakeNotifier(int fd, QSocketNotifier::Type type) {
    NotifierPtr n = MakeQObject<QSocketNotifier>(qintptr(fd), type);
    n->setEnabled(false);
    QSocketNotifier* raw = n.get();
    QObject::connect(raw, &QSocketNotifier::activated, raw, [fd, raw] {
        if (gChannel) gChannel->Activated(fd, raw);
    });
    return n;
}

void Channel::Add(int fd, bool accepted) {
    if (records.count(fd) != 0) return;
    Record& r = records[fd];
    int type = 0;
    socklen_t len = sizeof type;
    getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &len);
    if (type == SOCK_DGRAM) {
        r.mode = Mode::Datagram;
    } else {
        // Even one reset before its accept: the close is then its first event.
        if (accepted) r.mode = Mode::Stream;
        const int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_OOBINLINE, &one, sizeof one);
    }
    r.read = MakeNotifier(fd, QSocketNotifier::Read);
    r.write = MakeNotifier(fd, QSocketNotifier::Write);
    r.exception = MakeNotifier(fd, QSocketNotifier::Exception);
    Sync(r);
}

void Channel::Remove(int fd) {
    const auto it = records.find(fd);
    if (it == records.end()) return;
    // Disabled before the descriptor closes; the objects go on the next loop pass.
    for (NotifierPtr* n : {&it->second.read, &it->second.write, &it->second.exception})
        (*n)->setEnabled(false);
    records.erase(it);
}

void Channel::Sync(Record& r) {
    const bool reading = r.readArmed && !r.closePosted &&
                         (r.mode == Mode::Listening || r.mode == Mode::Stream ||
                          r.mode == Mode::Datagram || r.mode == Mode::Connecting);
    r.read->setEnabled(reading);
    r.exception->setEnabled(reading && (r.mode == Mode::Stream || r.mode == Mode::Connecting));
    r.write->setEnabled(r.mode == Mode::Connecting || (r.mode == Mode::Stream && r.writeWanted));
}

void Channel::Connecting(int fd, Record& r) {
    int error = 0;
    socklen_t len = sizeof error;
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
    if (error == 0) {
        sockaddr_in peer{};
        socklen_t plen = sizeof peer;
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &plen) != 0) return; // not yet
    }
    r.mode = error == 0 ? Mode::Stream : Mode::Idle;
    r.readArmed = true;
    r.writeWanted = false;
    Sync(r);
    Deliver(fd, FD_CONNECT, WsaFromErrno(error));
}

void Channel::Stream(int fd, Record& r, bool writable) {
    if (writable) {
        r.writeWanted = false;
        Sync(r);
        Deliver(fd, FD_WRITE, 0);
        return;
    }
    int available = 0;
    if (ioctl(fd, FIONREAD, &available) == 0 && available > 0) {
        r.readArmed = false;
        Sync(r);
        Deliver(fd, FD_READ, 0);
        return;
    }
    // Nothing to read: either the peer is gone or the wake-up was spurious.
    char probe = 0;
    const ssize_t n = recv(fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) {
        r.readArmed = false;
        Sync(r);
        Deliver(fd, FD_READ, 0);
    } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        const int error = n == 0 ? 0 : WsaFromErrno(errno);
        r.closePosted = true;
        Sync(r);
        Deliver(fd, FD_CLOSE, error);
    }
}

void Channel::Activated(int fd, QSocketNotifier* notifier) {
    Record* r = Find(fd);
    if (r == nullptr ||
        (notifier != r->read.get() && notifier != r->write.get() && notifier != r->exception.get()))
        return; // a notifier of a socket already closed
    switch (r->mode) {
    case Mode::Connecting:
        Connecting(fd, *r);
        break;
    case Mode::Listening:
        r->readArmed = false;
        Sync(*r);
        Deliver(fd, FD_ACCEPT, 0);
        break;
    case Mode::Stream:
        Stream(fd, *r, notifier == r->write.get());
        break;
    case Mode::Datagram: {
        char probe = 0;
        if (recv(fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT) < 0 && errno == EAGAIN) return;
        r->readArmed = false;
        Sync(*r);
        Deliver(fd, FD_READ, 0);
        break;
    }
    case Mode::Idle:
        Sync(*r);
        break;
    }
}

void Channel::LookupDone(const QHostInfo& info) {
    const long id = info.lookupId();
    const auto it = lookups.find(id);
    if (it == lookups.end()) return; // cancelled
    ResolutionBuffer* buffer = it->second;
    lookups.erase(it);
    buffer->Count = 0;
    for (const QHostAddress& a : info.addresses()) {
        if (a.protocol() != QAbstractSocket::IPv4Protocol) continue;
        if (buffer->Count == ResolutionBuffer::kCapacity) break;
        buffer->Addresses[buffer->Count++] = htonl(a.toIPv4Address());
    }
    int error = 0;
    if (info.error() == QHostInfo::HostNotFound)
        error = 11001;
    else if (info.error() != QHostInfo::NoError)
        error = 11003;
    else if (buffer->Count == 0)
        error = 11004;
    CSocketLink* owner = LookupTable.Owner(id);
    if (owner != nullptr) {
        try {
            owner->WndProc(0, kMsgLookupDone, id, MakeLParam(0, unsigned(error)));
        } catch (const std::exception& e) {
            qWarning("host lookup handler failed: %s", e.what());
        }
    }
    TearDownIfIdle();
}

// Restores errno around the bookkeeping that follows a socket call.
struct KeepErrno {
    int saved = errno;
    ~KeepErrno() { errno = saved; }
};

void SetMode(int fd, Mode mode) {
    if (Record* r = Find(fd)) {
        r->mode = mode;
        r->readArmed = true;
        gChannel->Sync(*r);
    }
}

} // namespace

void RegisterSocket(long handle, CSocketLink* owner, bool accepted) {
    SocketTable.Register(handle, owner);
    if (!RegisteredSockets.insert(SocketKey(handle)).second) return;
    try {
        TheChannel().Add(int(handle), accepted);
    } catch (const std::bad_alloc&) {
        RegisteredSockets.erase(SocketKey(handle));
        SocketTable.Release(handle);
        ThrowSocketError(sckOutOfMemory, QStringLiteral("modSocketLink.RegisterSocket"));
    }
}

void UnregisterSocket(long handle) {
    SocketTable.Release(handle);
    RegisteredSockets.erase(SocketKey(handle));
    if (gChannel) gChannel->Remove(int(handle));
    TearDownIfIdle();
}

long StartLookup(const QString& name, CSocketLink* owner, ResolutionBuffer* buffer) {
    Channel& channel = TheChannel();
    // The result goes to a slot named here rather than to a function object:
    // Qt 6.4 never frees the function object of a lookup that is aborted, or
    // whose channel goes first, and a cancelled connect does both.
    const int id = QHostInfo::lookupHost(name, &channel, SLOT(LookupDone(QHostInfo)));
    if (id < 0) return -1;
    channel.lookups[id] = buffer;
    LookupTable.Register(id, owner);
    return id;
}

bool CancelLookup(long lookupHandle) {
    LookupTable.Release(lookupHandle);
    if (!gChannel || gChannel->lookups.erase(lookupHandle) == 0) return false;
    QHostInfo::abortHostLookup(int(lookupHandle));
    TearDownIfIdle();
    return true;
}

int PlatformConnect(int fd, const sockaddr_in& to) {
    const int rc = connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    KeepErrno keep;
    if (rc == 0 || errno == EINPROGRESS) SetMode(fd, Mode::Connecting);
    return rc;
}

int PlatformListen(int fd, int backlog) {
    const int rc = listen(fd, backlog);
    KeepErrno keep;
    if (rc == 0) SetMode(fd, Mode::Listening);
    return rc;
}

int PlatformAccept(int fd, sockaddr_in* peer) {
    socklen_t len = sizeof(sockaddr_in);
    const int rc =
        accept4(fd, reinterpret_cast<sockaddr*>(peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    KeepErrno keep;
    if (Record* r = Find(fd)) {
        r->readArmed = true;
        gChannel->Sync(*r);
    }
    return rc;
}

ssize_t PlatformRecv(int fd, void* buffer, std::size_t length, int flags, sockaddr_in* from) {
    socklen_t len = sizeof(sockaddr_in);
    const ssize_t n = recvfrom(fd, buffer, length, flags | MSG_DONTWAIT,
                               reinterpret_cast<sockaddr*>(from), from ? &len : nullptr);
    KeepErrno keep;
    if (Record* r = Find(fd)) {
        r->readArmed = true;
        gChannel->Sync(*r);
    }
    return n;
}

ssize_t PlatformSend(int fd, const void* data, std::size_t length, const sockaddr_in* to) {
    const ssize_t n = sendto(fd, data, length, MSG_NOSIGNAL | MSG_DONTWAIT,
                             reinterpret_cast<const sockaddr*>(to), to ? sizeof(sockaddr_in) : 0);
    KeepErrno keep;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (Record* r = Find(fd)) {
            r->writeWanted = true;
            gChannel->Sync(*r);
        }
    }
    return n;
}

} // namespace corvane

#include "NotificationChannel.moc"
