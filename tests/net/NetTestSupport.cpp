#include "NetTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane::nettest {

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
    if (pred()) return true;
    // A nested loop that sleeps until sockets or a 1 ms tick wake it.
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (pred() || clock.elapsed() >= timeoutMs) loop.quit();
    });
    tick.start();
    loop.exec();
    return pred();
}

void Pump(int ms) {
    QTest::qWait(ms);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int OpenDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

namespace {
sockaddr_in Loopback(long port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(std::uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool Readable(int fd, int timeoutMs) {
    return WaitUntil(
        [fd] {
            pollfd p{fd, POLLIN, 0};
            return poll(&p, 1, 0) > 0;
        },
        timeoutMs);
}
} // namespace

int RawConnect(long port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in to = Loopback(port);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int RawListen(long& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at = Loopback(0);
    bind(fd, reinterpret_cast<const sockaddr*>(&at), sizeof at);
    listen(fd, 5);
    socklen_t len = sizeof at;
    getsockname(fd, reinterpret_cast<sockaddr*>(&at), &len);
    port = ntohs(at.sin_port);
    return fd;
}

int RawAccept(int listener, int timeoutMs) {
    if (!Readable(listener, timeoutMs)) return -1;
    return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

QByteArray RawRead(int fd, qsizetype count, int timeoutMs) {
    QByteArray out;
    char buffer[65536];
    while (out.size() < count && Readable(fd, timeoutMs)) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0) break;
        out.append(buffer, qsizetype(n));
    }
    return out;
}

bool RawSeesClose(int fd, int timeoutMs) {
    char c = 0;
    return Readable(fd, timeoutMs) && recv(fd, &c, 1, MSG_DONTWAIT) <= 0;
}

void RawWrite(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0) return;
        done += n;
    }
}

void RawReset(int fd) {
    const linger abortive{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    close(fd);
}

RefusingPort::RefusingPort() : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in at = Loopback(0);
    bind(fd_, reinterpret_cast<const sockaddr*>(&at), sizeof at);
    socklen_t len = sizeof at;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&at), &len);
    port_ = ntohs(at.sin_port);
}
RefusingPort::~RefusingPort() {
    close(fd_);
}

long FreePort() {
    return RefusingPort().Port();
}

Host::Host(long port) {
    listener.Bind(int(port), "127.0.0.1");
    listener.Listen();
    listener.OnConnectionRequest = [this](long id) {
        auto link = std::make_unique<CSocketLink>();
        if (prepare) prepare(*link);
        link->Accept(id);
        accepted.push_back(std::move(link));
    };
}

void EventLog::Attach(CSocketLink& s) {
    s.OnConnect = [this] { ++connects; };
    s.OnCloseSck = [this] { ++closes; };
    s.OnSendComplete = [this] { ++completes; };
    s.OnDataArrival = [this](long total) { arrivals.push_back(total); };
    s.OnSendProgress = [this](long sent, long left) { progress.emplace_back(sent, left); };
    s.OnError = [this](int number, const QString& description, long, const QString& source,
                       const QString&, long, bool&) {
        errors.emplace_back(number, source);
        descriptions.push_back(description);
    };
    s.OnStateChange = [this](SocketState st) { states.push_back(st); };
}

std::unique_ptr<CSocketLink> ConnectedPair(Host& host, EventLog* clientLog) {
    auto client = std::make_unique<CSocketLink>();
    if (clientLog) clientLog->Attach(*client);
    const std::size_t before = host.accepted.size();
    client->Connect("127.0.0.1", host.Port());
    WaitUntil(
        [&] { return client->State() == SocketState::Connected && host.accepted.size() > before; });
    return client;
}

} // namespace corvane::nettest
