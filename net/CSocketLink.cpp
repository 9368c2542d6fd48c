// CSocketLink: life cycle, properties, connecting, binding, listening, accepting
// and the notifications that drive them. Sending and receiving are in
// CSocketLinkData.cpp.
#include "net/CSocketLink.h"

#include "net/SocketHelpers.h"

#include <QtGlobal>

#include <arpa/inet.h>
#include <cerrno>
#include <cmath>
#include <netdb.h>
#include <netinet/in.h>
#include <new>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane {

QString Src(const char* procedure) {
    return QStringLiteral("CSocketLink.") + QLatin1String(procedure);
}

bool ParseDotted(const QString& text, std::uint32_t& address) {
    in_addr a{};
    if (text.isEmpty() || inet_aton(text.toLatin1().constData(), &a) == 0) return false;
    address = a.s_addr;
    return true;
}

QString Dotted(std::uint32_t address) {
    in_addr a{};
    a.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return QString::fromLatin1(text);
}

int ResolveSync(const QString& name, std::uint32_t& address) {
    if (ParseDotted(name, address)) return 0;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = getaddrinfo(name.toLocal8Bit().constData(), nullptr, &hints, &found);
    if (rc != 0) return WsaFromResolver(rc);
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return 0;
}

long CheckedPort(const Variant& value, long low, const QString& source) {
    if (!value.IsNumeric()) ThrowSocketError(sckUnsupported, source);
    const double port = std::nearbyint(value.ToDouble());
    if (!(port >= double(low) && port <= 65535.0)) ThrowSocketError(sckInvalidArg, source);
    return long(port);
}

bool IsConnectionLoss(int code) {
    return code == 10052 || code == 10053 || code == 10054 || code == 10057 || code == 10058 ||
           code == 10060;
}

namespace {

void CheckPortRange(long port, const char* procedure) {
    if (port < 0 || port > 65535) ThrowSocketError(sckInvalidArg, Src(procedure));
}

// Closes and forgets an incoming connection the owner did not take over.
void DropUnaccepted(long handle) {
    const auto it = AcceptHolders.find(SocketKey(handle));
    if (it == AcceptHolders.end()) return;
    UnregisterSocket(handle);
    ::close(int(handle));
    AcceptHolders.erase(it);
}

} // namespace

CSocketLink::CSocketLink() {
    if (InstanceCount == 0) InitiateProcesses();
    ++InstanceCount;
}

CSocketLink::~CSocketLink() {
    *alive_ = false;
    CancelPendingLookups();
    if (handle_ != -1 && !acceptHolder_) {
        UnregisterSocket(handle_);
        ::close(handle_); // nothing to report to from here
    }
    if (--InstanceCount == 0) FinalizeProcesses();
}

// --- Properties ---

void CSocketLink::SetRemotePort(long port) {
    if (protocol_ == SocketProtocol::TCP && state_ != SocketState::Closed)
        ThrowSocketError(sckInvalidOp, Src("RemotePort"));
    CheckPortRange(port, "RemotePort");
    remotePort_ = port;
}

void CSocketLink::SetRemoteHost(const QString& host) {
    if (protocol_ == SocketProtocol::TCP && state_ != SocketState::Closed)
        ThrowSocketError(sckInvalidOp, Src("RemoteHost"));
    remoteHost_ = host;
}

void CSocketLink::SetLocalPort(long port) {
    if (state_ != SocketState::Closed) ThrowSocketError(sckInvalidOp, Src("LocalPort"));
    CheckPortRange(port, "LocalPort");
    localPort_ = port;
}

void CSocketLink::SetProtocol(SocketProtocol protocol) {
    if (state_ != SocketState::Closed) ThrowSocketError(sckInvalidOp, Src("Protocol"));
    protocol_ = protocol;
}

QString CSocketLink::LocalHostName() const {
    char name[257] = {};
    if (gethostname(name, 256) != 0) ThrowSocketError(WsaFromErrno(errno), Src("GetLocalHostName"));
    return QString::fromLocal8Bit(name); // stops at the first NUL
}

QString CSocketLink::LocalIP() const {
    if (state_ == SocketState::Connected) return boundIP_;
    std::uint32_t address = 0;
    if (const int code = ResolveSync(LocalHostName(), address); code != 0)
        ThrowSocketError(code, Src("GetLocalIP"));
    return Dotted(address);
}

// --- Life cycle of the socket ---

void CSocketLink::SetState(SocketState state) {
    state_ = state;
    if (OnStateChange) OnStateChange(state);
}

bool CSocketLink::RaiseError(int number, const QString& source, const QString& description) {
    const std::shared_ptr<bool> alive = alive_;
    const QString text = description.isEmpty() ? ErrorDescription(number) : description;
    const auto show = OnShowError;
    bool cancelDisplay = true;
    if (OnError) {
        const auto handler = OnError;
        handler(number, text, 0, source, QString(), 0, cancelDisplay);
    }
    if (!cancelDisplay) {
        if (show)
            show(text, source);
        else
            qWarning("%s: %s", qPrintable(source), qPrintable(text));
    }
    return *alive;
}

bool CSocketLink::SocketExists() {
    if (handle_ != -1) return true;
    const int type = protocol_ == SocketProtocol::TCP ? SOCK_STREAM : SOCK_DGRAM;
    const int fd = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        const int code = WsaFromErrno(errno);
        SetState(SocketState::Error);
        RaiseError(code, Src("SocketExists"));
        return false;
    }
    handle_ = fd;
    ProcessOptions();
    RegisterSocket(handle_, this);
    return true;
}

void CSocketLink::ProcessOptions() {
    if (protocol_ == SocketProtocol::TCP) {
        int size = 0;
        socklen_t len = sizeof size;
        if (getsockopt(handle_, SOL_SOCKET, SO_RCVBUF, &size, &len) != 0)
            ThrowSocketError(WsaFromErrno(errno), Src("ProcessOptions"));
        recvChunk_ = size;
        len = sizeof size;
        if (getsockopt(handle_, SOL_SOCKET, SO_SNDBUF, &size, &len) != 0)
            ThrowSocketError(WsaFromErrno(errno), Src("ProcessOptions"));
        sendChunk_ = size;
    } else {
        const int one = 1;
        if (setsockopt(handle_, SOL_SOCKET, SO_BROADCAST, &one, sizeof one) != 0)
            ThrowSocketError(WsaFromErrno(errno), Src("ProcessOptions"));
        // The largest IPv4 datagram payload.
        sendChunk_ = recvChunk_ = 65507;
    }
}

void CSocketLink::DestroySocket() {
    const int fd = handle_;
    handle_ = -1;
    UnregisterSocket(fd);
    if (::close(fd) != 0 && errno != EINTR) {
        SetState(SocketState::Error);
        ThrowSocketError(WsaFromErrno(errno), Src("DestroySocket"));
    }
}

void CSocketLink::CancelPendingLookups() {
    for (const auto& [key, lookup] : pendingLookups_) CancelLookup(lookup);
    pendingLookups_.clear();
    resolution_.reset();
}

void CSocketLink::ClearConnectionData() {
    boundPort_ = 0;
    boundIP_.clear();
    remoteHostIP_.clear();
    sendBuffer_.clear();
    sendOffset_ = 0;
    recvBuffer_.clear();
    sendChunk_ = recvChunk_ = 0;
    connectionLost_ = false;
}

void CSocketLink::CloseSck() {
    if (handle_ == -1) {
        // Without a socket (its creation failed) Closed is still the way back.
        if (state_ != SocketState::Closed) SetState(SocketState::Closed);
        return;
    }
    SetState(SocketState::Closing);
    CancelPendingLookups();
    DestroySocket();
    ClearConnectionData();
    SetState(SocketState::Closed);
}

void CSocketLink::ReadLocalSide() {
    sockaddr_in local{};
    socklen_t len = sizeof local;
    if (getsockname(handle_, reinterpret_cast<sockaddr*>(&local), &len) == 0) {
        boundPort_ = ntohs(local.sin_port);
        boundIP_ = Dotted(local.sin_addr.s_addr);
    }
}

void CSocketLink::ReadPeerSide() {
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    if (getpeername(handle_, reinterpret_cast<sockaddr*>(&peer), &len) == 0) {
        remotePort_ = ntohs(peer.sin_port);
        remoteHostIP_ = Dotted(peer.sin_addr.s_addr);
    }
}

// --- Bind, Connect, Listen ---

bool CSocketLink::BindInternal(const std::optional<Variant>& localPort,
                               const std::optional<Variant>& localIP, const QString& source) {
    if (state_ == SocketState::Open) return true;
    const long port = localPort ? CheckedPort(*localPort, 0, source) : localPort_;
    const QString ip = localIP ? localIP->ToString() : QString();
    std::uint32_t address = htonl(INADDR_ANY);
    if (!ip.isEmpty() && ResolveSync(ip, address) != 0)
        throw SocketError(sckInvalidArg, QStringLiteral("Invalid argument"), Src("BindInternal"));
    if (!SocketExists()) return false;
    if (protocol_ == SocketProtocol::TCP && port != 0) {
        // A host can listen again on its port right after a game; an active
        // listener on the same port still refuses the bind.
        const int one = 1;
        setsockopt(handle_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    }
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(std::uint16_t(port));
    at.sin_addr.s_addr = address;
    if (::bind(handle_, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0)
        ThrowSocketError(WsaFromErrno(errno), Src("BindInternal"));
    if (port == 0) {
        sockaddr_in bound{};
        socklen_t len = sizeof bound;
        if (getsockname(handle_, reinterpret_cast<sockaddr*>(&bound), &len) == 0)
            boundPort_ = ntohs(bound.sin_port);
    } else {
        localPort_ = port;
    }
    return true;
}

void CSocketLink::Bind(std::optional<Variant> localPort, std::optional<Variant> localIP) {
    if (state_ != SocketState::Closed) ThrowSocketError(sckInvalidOp, Src("Bind"));
    if (!BindInternal(localPort, localIP, Src("Bind"))) return;
    SetState(SocketState::Open);
}

void CSocketLink::Connect(std::optional<Variant> remoteHost, std::optional<Variant> remotePort) {
    if (state_ != SocketState::Closed) ThrowSocketError(sckInvalidOp, Src("Connect"));
    if (remoteHost) remoteHost_ = remoteHost->ToString();
    if (remotePort) remotePort_ = CheckedPort(*remotePort, 1, Src("Connect"));
    if (!SocketExists()) return;
    if (!BindInternal(std::nullopt, std::nullopt, Src("Connect"))) return;
    if (protocol_ == SocketProtocol::UDP) {
        SetState(SocketState::Open);
        return;
    }
    ResolveIfHostname(remoteHost_);
}

void CSocketLink::ResolveIfHostname(const QString& host) {
    std::uint32_t address = 0;
    if (ParseDotted(host, address)) {
        ConnectToIP(address, 0);
        return;
    }
    SetState(SocketState::ResolvingHost);
    try {
        resolution_ = std::make_unique<ResolutionBuffer>();
    } catch (const std::bad_alloc&) {
        SetState(SocketState::Error);
        ThrowSocketError(sckOutOfMemory, Src("ResolveIfHostname"));
    }
    const long lookup = StartLookup(host, this, resolution_.get());
    if (lookup < 0) {
        resolution_.reset();
        SetState(SocketState::Error);
        RaiseError(11003, Src("ResolveIfHostname"));
        return;
    }
    pendingLookups_[LookupKey(lookup)] = lookup;
}

void CSocketLink::PostResolution(long lookupHandle, int error) {
    pendingLookups_.erase(LookupKey(lookupHandle));
    LookupTable.Release(lookupHandle);
    if (state_ != SocketState::ResolvingHost) return;
    if (error != 0) {
        resolution_.reset();
        ConnectToIP(0, error);
        return;
    }
    SetState(SocketState::HostResolved);
    const std::uint32_t address = resolution_->Addresses[0];
    resolution_.reset();
    ConnectToIP(address, 0);
}

void CSocketLink::ConnectToIP(std::uint32_t address, int error) {
    if (error != 0) {
        SetState(SocketState::Error);
        RaiseError(error, Src("ConnectToIP"));
        return;
    }
    SetState(SocketState::Connecting);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(std::uint16_t(remotePort_));
    to.sin_addr.s_addr = address;
    if (PlatformConnect(handle_, to) == 0) return; // the connect notification follows
    const int code = WsaFromErrno(errno);
    if (code == wsaWouldBlock) return;
    SetState(SocketState::Error); // no connect notification will come
    if (code == wsaAddrNotAvail) ThrowSocketError(code, Src("ConnectToIP"));
    RaiseError(code, Src("ConnectToIP"));
}

void CSocketLink::Listen() {
    if (state_ != SocketState::Closed && state_ != SocketState::Open)
        ThrowSocketError(sckInvalidOp, Src("Listen"));
    if (!SocketExists()) return;
    if (!BindInternal(std::nullopt, std::nullopt, Src("Listen"))) return;
    if (PlatformListen(handle_, 5) != 0) ThrowSocketError(WsaFromErrno(errno), Src("Listen"));
    SetState(SocketState::Listening);
}

// --- Accepting ---

void CSocketLink::IncomingConnection() {
    sockaddr_in peer{};
    const int fd = PlatformAccept(handle_, &peer);
    if (fd < 0) {
        const int code = WsaFromErrno(errno);
        // Taken by another wake-up, or gone before it was accepted: the listener
        // itself is fine and keeps listening.
        if (code == wsaWouldBlock || code == 10053 || code == 10054) return;
        SetState(SocketState::Error);
        RaiseError(code, Src("PostSocket"));
        return;
    }
    auto holder = std::make_unique<CSocketLink>();
    try {
        holder->Accept(fd);
    } catch (const SocketError&) {
        ::close(fd);
        throw;
    }
    AcceptHolders[SocketKey(fd)] = std::move(holder);
    // Whatever the handler does (even releasing this listener), a connection it
    // did not take over is closed at once.
    struct DropGuard {
        long handle;
        ~DropGuard() { DropUnaccepted(handle); }
    } guard{fd};

    const long savedPort = remotePort_;
    const QString savedIP = remoteHostIP_;
    const QString savedHost = remoteHost_;
    remoteHost_.clear();
    remotePort_ = ntohs(peer.sin_port);
    remoteHostIP_ = Dotted(peer.sin_addr.s_addr);
    if (Raise(OnConnectionRequest, long(fd)) && state_ == SocketState::Listening) {
        remotePort_ = savedPort;
        remoteHostIP_ = savedIP;
        remoteHost_ = savedHost;
    }
}

void CSocketLink::Accept(long requestID) {
    if (state_ != SocketState::Closed) ThrowSocketError(sckInvalidOp, Src("Accept"));
    handle_ = int(requestID);
    protocol_ = SocketProtocol::TCP;
    try {
        ProcessOptions();
    } catch (const SocketError&) {
        // Not a socket we may own: never close it later.
        handle_ = -1;
        sendChunk_ = recvChunk_ = 0;
        throw;
    }
    if (const auto it = AcceptHolders.find(SocketKey(requestID)); it != AcceptHolders.end()) {
        std::unique_ptr<CSocketLink> holder = std::move(it->second);
        AcceptHolders.erase(it);
        TakeOverHolder(std::move(holder));
        return;
    }
    if (SocketTable.Find(requestID) == 0) {
        // The holder's own set-up, run by the listener on a fresh connection.
        acceptHolder_ = true;
        SetState(SocketState::Connected);
        ReadLocalSide();
        RegisterSocket(handle_, this, true);
        return;
    }
    handle_ = -1;
    sendChunk_ = recvChunk_ = 0;
    ThrowSocketError(sckBadState, Src("Accept"));
}

void CSocketLink::TakeOverHolder(std::unique_ptr<CSocketLink> holder) {
    ReadLocalSide();
    ReadPeerSide();
    SetState(SocketState::Connected);
    recvBuffer_.append(holder->recvBuffer_);
    SocketTable.Repoint(handle_, this);
    const SocketState holderState = holder->state_;
    holder.reset(); // an accept holder never closes its socket
    const int fd = handle_;
    if (!recvBuffer_.isEmpty() && !Raise(OnDataArrival, long(recvBuffer_.size()))) return;
    // The peer left before the take-over: report it now.
    if (handle_ != fd || state_ != SocketState::Connected) return;
    if (holderState == SocketState::Closing) {
        SetState(SocketState::Closing);
        Raise(OnCloseSck);
    } else if (holderState == SocketState::Error) {
        SetState(SocketState::Error);
        Raise(OnCloseSck);
    }
}

// --- Notifications ---

long CSocketLink::WndProc(long hwnd, unsigned uMsg, std::intptr_t wParam, std::intptr_t lParam) {
    (void)hwnd;
    const std::shared_ptr<bool> alive = alive_;
    const auto low = unsigned(lParam & 0xFFFF);
    const auto high = int((lParam >> 16) & 0xFFFF);
    try {
        if (uMsg == kMsgLookupDone)
            PostResolution(long(wParam), high);
        else if (uMsg == kMsgSocketEvent)
            PostSocket(low, high);
    } catch (const SocketError& e) {
        // Nobody to throw to inside a notification: the failure becomes an event.
        if (*alive) RaiseError(e.Number(), e.Source(), e.Description());
    }
    return 0;
}

void CSocketLink::PostSocket(unsigned event, int error) {
    if (event == FD_CLOSE) {
        ConnectionClosed(error);
        return;
    }
    if (error != 0) {
        SetState(SocketState::Error);
        RaiseError(error, Src("PostSocket"));
        return;
    }
    switch (event) {
    case FD_CONNECT:
        if (state_ != SocketState::Connecting) return;
        ReadLocalSide();
        ReadPeerSide();
        SetState(SocketState::Connected);
        Raise(OnConnect);
        return;
    case FD_ACCEPT:
        if (state_ == SocketState::Listening) IncomingConnection();
        return;
    case FD_READ:
        DataReady();
        return;
    case FD_WRITE:
        if (state_ == SocketState::Connected && SendPending() > 0) SendBufferedData();
        return;
    default:
        return;
    }
}

void CSocketLink::ConnectionClosed(int error) {
    const bool lostEarlier = state_ == SocketState::Error && connectionLost_;
    if (state_ != SocketState::Connected && !lostEarlier) return;
    if (state_ == SocketState::Connected && error != 0) {
        // A reset: reported as an error, then as the close the owner waits for.
        SetState(SocketState::Error);
        connectionLost_ = true;
        if (!RaiseError(error, Src("PostSocket"))) return;
        if (state_ != SocketState::Error || !connectionLost_) return;
    } else if (state_ == SocketState::Connected) {
        SetState(SocketState::Closing);
    }
    connectionLost_ = false;
    Raise(OnCloseSck);
}

} // namespace corvane
