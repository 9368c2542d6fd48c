// CSocketLink: sending, receiving and reading received data.
#include "net/CSocketLink.h"

#include "net/SocketHelpers.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <netinet/in.h>
#include <sys/socket.h>

namespace corvane {

namespace {

// Bytes of a value for the wire, or nullopt for a type that has none.
std::optional<QByteArray> WireBytes(const Variant& data) {
    if (const QString* s = data.If<QString>()) return ToCodePage(*s);
    if (const QByteArray* b = data.If<QByteArray>()) return *b;
    bool ok = false;
    QByteArray bytes = ScalarBytes(data, ok);
    if (!ok) return std::nullopt;
    return bytes;
}

Variant TextOrBytes(VarType target, const QByteArray& bytes) {
    return target == VarType::String ? Variant(FromCodePage(bytes)) : Variant(bytes);
}

} // namespace

long CSocketLink::BytesReceived() const {
    if (protocol_ == SocketProtocol::TCP) return long(recvBuffer_.size());
    return std::max(0L, PendingDatagramSize());
}

long CSocketLink::PendingDatagramSize() const {
    if (handle_ == -1) return -1;
    // MSG_TRUNC reports the datagram's real length without reading it.
    const ssize_t n = recv(handle_, nullptr, 0, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
    return n < 0 ? -1 : long(n);
}

// --- Sending ---

void CSocketLink::SendData(const Variant& data) {
    if (protocol_ == SocketProtocol::UDP) {
        if (!SocketExists()) return;
        if (state_ != SocketState::Open) {
            if (!BindInternal(std::nullopt, std::nullopt, Src("SendData"))) return;
            SetState(SocketState::Open);
        }
    } else if (state_ != SocketState::Connected) {
        ThrowSocketError(sckBadState, Src("SendData"));
    }
    const std::optional<QByteArray> bytes = WireBytes(data);
    if (!bytes) ThrowSocketError(sckUnsupported, Src("SendData"));
    if (bytes->isEmpty()) return;
    if (SendPending() > 0) {
        // Still draining: the write-ready notification carries on, in order.
        sendBuffer_.append(*bytes);
        return;
    }
    sendBuffer_ = *bytes;
    sendOffset_ = 0;
    if (protocol_ == SocketProtocol::UDP)
        SendBufferedDataUDP();
    else
        SendBufferedData();
}

void CSocketLink::SendBufferedData() {
    const long chunk = sendChunk_ > 0 ? sendChunk_ : 8192;
    long sent = 0;
    while (SendPending() > 0) {
        const auto length = std::size_t(std::min<qsizetype>(SendPending(), chunk));
        const ssize_t n =
            PlatformSend(handle_, sendBuffer_.constData() + sendOffset_, length, nullptr);
        if (n < 0) {
            const int code = WsaFromErrno(errno);
            if (code == wsaWouldBlock) {
                if (sent > 0) Raise(OnSendProgress, sent, long(SendPending()));
                return;
            }
            SetState(SocketState::Error);
            connectionLost_ = IsConnectionLoss(code);
            RaiseError(code, Src("SendBufferedData"));
            return;
        }
        sent += long(n);
        sendOffset_ += n;
        if (SendPending() == 0) {
            sendBuffer_.clear();
            sendOffset_ = 0;
            if (!Raise(OnSendProgress, sent, 0L)) return;
            Raise(OnSendComplete);
            return;
        }
        if (sendOffset_ >= (1 << 20) && sendOffset_ * 2 >= sendBuffer_.size()) {
            sendBuffer_.remove(0, sendOffset_); // keep the front of a long queue short
            sendOffset_ = 0;
        }
    }
}

void CSocketLink::SendBufferedDataUDP() {
    std::uint32_t address = 0;
    if (const int code = ResolveSync(remoteHost_, address); code != 0) {
        sendBuffer_.clear();
        sendOffset_ = 0;
        if (code == wsaAfNoSupport) ThrowSocketError(code, Src("SendBufferedDataUDP"));
        throw SocketError(sckInvalidArg, QStringLiteral("Invalid argument"),
                          Src("SendBufferedDataUDP"));
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(std::uint16_t(remotePort_));
    to.sin_addr.s_addr = address;
    const QByteArray datagram = sendBuffer_.mid(sendOffset_);
    sendBuffer_.clear();
    sendOffset_ = 0;
    if (PlatformSend(handle_, datagram.constData(), std::size_t(datagram.size()), &to) >= 0) return;
    const int code = WsaFromErrno(errno);
    if (code == wsaWouldBlock) ThrowSocketError(code, Src("SendBufferedDataUDP"));
    SetState(SocketState::Error);
    RaiseError(code, Src("SendBufferedDataUDP"));
}

// --- Receiving ---

void CSocketLink::DataReady() {
    if (protocol_ == SocketProtocol::TCP) {
        if (state_ != SocketState::Connected) return;
        if (RecvDataToBuffer() > 0) Raise(OnDataArrival, long(recvBuffer_.size()));
        return;
    }
    if (state_ != SocketState::Open) return;
    const long size = PendingDatagramSize();
    if (size < 0) return;
    datagramTaken_ = false;
    const int fd = handle_;
    if (!Raise(OnDataArrival, size)) return;
    if (!datagramTaken_ && handle_ == fd) {
        char drop = 0;
        PlatformRecv(fd, &drop, 1, 0, nullptr); // a datagram nobody read is dropped
    }
}

long CSocketLink::RecvDataToBuffer() {
    const long chunk = recvChunk_ > 0 ? recvChunk_ : 8192;
    const qsizetype old = recvBuffer_.size();
    recvBuffer_.resize(old + chunk);
    const ssize_t n =
        PlatformRecv(handle_, recvBuffer_.data() + old, std::size_t(chunk), 0, nullptr);
    const int err = errno;
    recvBuffer_.resize(old + std::max<qsizetype>(n, 0));
    if (n >= 0) return long(n); // 0: the peer closed; the close notification follows
    const int code = WsaFromErrno(err);
    if (code == wsaWouldBlock) return 0;
    SetState(SocketState::Error);
    connectionLost_ = IsConnectionLoss(code);
    ThrowSocketError(code, Src("RecvDataToBuffer"));
}

void CSocketLink::GetData(Variant& data, std::optional<VarType> varType,
                          std::optional<Variant> maxLen) {
    RecvData(data, varType, std::move(maxLen), false);
}

void CSocketLink::PeekData(Variant& data, std::optional<VarType> varType,
                           std::optional<Variant> maxLen) {
    RecvData(data, varType, std::move(maxLen), true);
}

void CSocketLink::RecvData(Variant& data, std::optional<VarType> varType,
                           std::optional<Variant> maxLen, bool peek) {
    const QString source = Src(peek ? "PeekData" : "GetData");
    const QString reader = Src("RecvData");
    long available = 0;
    if (protocol_ == SocketProtocol::TCP) {
        const bool allowed = state_ == SocketState::Connected || (!peek && acceptHolder_);
        if (!allowed) ThrowSocketError(sckBadState, source);
        available = long(recvBuffer_.size());
    } else {
        if (state_ != SocketState::Open) ThrowSocketError(sckBadState, source);
        available = PendingDatagramSize();
        if (available < 0) return; // no datagram
    }
    std::optional<long> limit;
    if (maxLen) {
        if (!maxLen->IsNumeric()) {
            limit = available;
        } else {
            const double value = std::nearbyint(maxLen->ToDouble());
            if (value < 0) ThrowSocketError(sckInvalidArg, reader);
            limit = long(std::min(value, 2147483647.0));
        }
    }
    VarType target = data.Type();
    if (target == VarType::Empty) target = varType.value_or(VarType::ByteArray);
    if (target == VarType::Empty) target = VarType::ByteArray;

    if (protocol_ == SocketProtocol::UDP) {
        RecvDatagram(data, target, limit, peek, reader);
        return;
    }
    if (target == VarType::String || target == VarType::ByteArray) {
        if (available == 0 || (limit && *limit == 0)) {
            data = Variant::OfType(target);
            return;
        }
        const long take = limit ? std::min(*limit, available) : available;
        data = TextOrBytes(target, recvBuffer_.left(take));
        if (!peek) recvBuffer_.remove(0, take);
        return;
    }
    const int size = FixedSize(target);
    if (size == 0) ThrowSocketError(sckUnsupported, reader);
    if (available < size) return; // too few bytes: nothing taken
    data = ScalarFromBytes(target, recvBuffer_.constData());
    if (!peek) recvBuffer_.remove(0, size);
}

void CSocketLink::RecvDatagram(Variant& data, VarType target, std::optional<long> limit, bool peek,
                               const QString& source) {
    const long pending = PendingDatagramSize();
    const bool text = target == VarType::String || target == VarType::ByteArray;
    const int size = FixedSize(target);
    if (!text && size == 0) ThrowSocketError(sckUnsupported, source);
    if (text && (pending == 0 || (limit && *limit == 0))) {
        char drop = 0;
        PlatformRecv(handle_, &drop, 1, 0, nullptr);
        datagramTaken_ = true;
        data = Variant::OfType(target);
        ThrowSocketError(wsaMsgSize, source);
    }
    if (!text && pending < size) return;
    QByteArray bytes(std::max<long>(pending, 1), '\0');
    sockaddr_in from{};
    const ssize_t n =
        PlatformRecv(handle_, bytes.data(), std::size_t(bytes.size()), peek ? MSG_PEEK : 0, &from);
    if (n < 0) ThrowSocketError(WsaFromErrno(errno), source);
    if (!peek) datagramTaken_ = true;
    remotePort_ = ntohs(from.sin_port);
    remoteHostIP_ = Dotted(from.sin_addr.s_addr);
    bytes.truncate(n);
    if (text)
        data = TextOrBytes(target, limit ? bytes.left(*limit) : bytes);
    else
        data = ScalarFromBytes(target, bytes.constData());
}

} // namespace corvane
