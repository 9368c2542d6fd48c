// One echo request to a host, answered on the event loop: over ICMP when the
// system lets us open such a socket, otherwise a TCP connection attempt.
#include "net/modGetAddress.h"

#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace corvane {
namespace {

constexpr std::uint8_t kEchoRequest = 8;
constexpr std::uint8_t kEchoReply = 0;
constexpr std::size_t kIcmpHeader = 8;
constexpr std::size_t kPayloadSize = sizeof(EchoPayload) - 1; // without the terminating NUL

std::uint16_t InternetChecksum(const unsigned char* data, std::size_t size) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < size; i += 2) sum += std::uint32_t(data[i] << 8 | data[i + 1]);
    if (size % 2 != 0) sum += std::uint32_t(data[size - 1] << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return std::uint16_t(~sum);
}

sockaddr_in SocketAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(address);
    return a;
}

class EchoRequest : public QObject {
public:
    EchoRequest(QObject* context, std::uint32_t address, std::function<void(bool)> done)
        : QObject(context), address_(address), done_(std::move(done)) {
        timer_.setSingleShot(true);
        connect(&timer_, &QTimer::timeout, this, [this] { Finish(false); });
    }
    ~EchoRequest() override {
        notifiers_.clear(); // before their descriptors close
        for (const int fd : fds_) ::close(fd);
    }

    // False when the socket cannot be opened (no right to, or no such kind).
    bool StartIcmp(bool raw, int timeoutMs);
    bool StartTcp(int timeoutMs);

private:
    void Finish(bool answered);
    void Watch(int fd, QSocketNotifier::Type type);
    void ReadIcmp(int fd);
    void TcpSettled(int fd, QSocketNotifier* notifier);

    std::uint32_t address_;
    std::function<void(bool)> done_;
    QTimer timer_;
    std::vector<int> fds_;
    std::vector<std::unique_ptr<QSocketNotifier>> notifiers_;
    bool raw_ = false;
    std::uint16_t id_ = 0;
    std::uint16_t sequence_ = 0;
    int pendingPorts_ = 0;
    bool finished_ = false;
};

void EchoRequest::Finish(bool answered) {
    if (finished_) return;
    finished_ = true;
    timer_.stop();
    for (const auto& n : notifiers_) n->setEnabled(false);
    const std::function<void(bool)> done = std::move(done_);
    deleteLater();
    if (done) done(answered);
}

void EchoRequest::Watch(int fd, QSocketNotifier::Type type) {
    auto notifier = std::make_unique<QSocketNotifier>(fd, type);
    QSocketNotifier* n = notifier.get();
    if (type == QSocketNotifier::Read)
        connect(n, &QSocketNotifier::activated, this, [this, fd] { ReadIcmp(fd); });
    else
        connect(n, &QSocketNotifier::activated, this, [this, fd, n] { TcpSettled(fd, n); });
    notifiers_.push_back(std::move(notifier));
}

bool EchoRequest::StartIcmp(bool raw, int timeoutMs) {
    const int fd = ::socket(AF_INET, (raw ? SOCK_RAW : SOCK_DGRAM) | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            IPPROTO_ICMP);
    if (fd < 0) return false;
    fds_.push_back(fd);
    raw_ = raw;
    id_ = std::uint16_t(QRandomGenerator::global()->bounded(1u << 16));
    sequence_ = std::uint16_t(QRandomGenerator::global()->bounded(1u << 16));

    unsigned char packet[kIcmpHeader + kPayloadSize] = {kEchoRequest,
                                                        0,
                                                        0,
                                                        0,
                                                        std::uint8_t(id_ >> 8),
                                                        std::uint8_t(id_),
                                                        std::uint8_t(sequence_ >> 8),
                                                        std::uint8_t(sequence_)};
    std::memcpy(packet + kIcmpHeader, EchoPayload, kPayloadSize);
    const std::uint16_t sum = InternetChecksum(packet, sizeof packet);
    packet[2] = std::uint8_t(sum >> 8);
    packet[3] = std::uint8_t(sum);

    const sockaddr_in to = SocketAddress(address_, 0);
    if (::sendto(fd, packet, sizeof packet, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) !=
        ssize_t(sizeof packet)) {
        Finish(false); // no route, network down: nobody will answer
        return true;
    }
    if (!raw) {
        // The system puts its own identifier (the socket's port) in the request.
        sockaddr_in local{};
        socklen_t size = sizeof local;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) == 0)
            id_ = ntohs(local.sin_port);
    }
    Watch(fd, QSocketNotifier::Read);
    timer_.start(timeoutMs);
    return true;
}

// Reads every datagram waiting; a matching echo reply ends the request. A raw
// socket sees every ICMP message of the machine (our own request on loopback
// too), behind the IP header.
void EchoRequest::ReadIcmp(int fd) {
    unsigned char buffer[1500];
    for (;;) {
        sockaddr_in from{};
        socklen_t size = sizeof from;
        const ssize_t got =
            ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &size);
        if (got < 0) return;
        std::size_t offset = 0;
        if (raw_) {
            if (got < 20) continue;
            offset = std::size_t(buffer[0] & 0x0F) * 4;
        }
        if (std::size_t(got) < offset + kIcmpHeader) continue;
        const unsigned char* icmp = buffer + offset;
        const std::uint16_t id = std::uint16_t(icmp[4] << 8 | icmp[5]);
        const std::uint16_t sequence = std::uint16_t(icmp[6] << 8 | icmp[7]);
        if (icmp[0] == kEchoReply && icmp[1] == 0 && id == id_ && sequence == sequence_ &&
            ntohl(from.sin_addr.s_addr) == address_) {
            Finish(true);
            return;
        }
    }
}

bool EchoRequest::StartTcp(int timeoutMs) {
    bool answered = false;
    for (const std::uint16_t port : TcpProbePorts) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) continue;
        fds_.push_back(fd);
        const sockaddr_in to = SocketAddress(address_, port);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 ||
            errno == ECONNREFUSED) {
            answered = true;
        } else if (errno == EINPROGRESS) {
            Watch(fd, QSocketNotifier::Write);
            ++pendingPorts_;
        }
    }
    if (fds_.empty()) return false;
    if (answered || pendingPorts_ == 0)
        Finish(answered);
    else
        timer_.start(timeoutMs);
    return true;
}

// A connection attempt has settled: accepted or refused, the host is there.
void EchoRequest::TcpSettled(int fd, QSocketNotifier* notifier) {
    notifier->setEnabled(false);
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) error = errno;
    if (error == 0 || error == ECONNREFUSED)
        Finish(true);
    else if (--pendingPorts_ == 0)
        Finish(false);
}

} // namespace

bool StartEcho(std::uint32_t address, EchoKind kind, int timeoutMs, QObject* context,
               std::function<void(bool)> done) {
    auto request = std::make_unique<EchoRequest>(context, address, std::move(done));
    const bool started = kind == EchoKind::TcpProbe
                             ? request->StartTcp(timeoutMs)
                             : request->StartIcmp(kind == EchoKind::IcmpRaw, timeoutMs);
    if (started) request.release(); // its parent, or its own Finish, ends it
    return started;
}

} // namespace corvane
