#include "ScriptedPeer.h"

#include "NetTestSupport.h"
#include "net/SocketVariant.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane::nettest {

std::unique_ptr<ScriptedPeer> ScriptedPeer::Listening() {
    std::unique_ptr<ScriptedPeer> peer(new ScriptedPeer);
    peer->listener_ = RawListen(peer->port_);
    return peer;
}

std::unique_ptr<ScriptedPeer> ScriptedPeer::Connecting(long port) {
    std::unique_ptr<ScriptedPeer> peer(new ScriptedPeer);
    peer->fd_ = RawConnect(port);
    peer->port_ = port;
    return peer;
}

ScriptedPeer::~ScriptedPeer() {
    Close();
    if (listener_ >= 0) close(listener_);
}

bool ScriptedPeer::Accept(int timeoutMs) {
    if (fd_ < 0 && listener_ >= 0) fd_ = RawAccept(listener_, timeoutMs);
    return fd_ >= 0;
}

void ScriptedPeer::Send(const QByteArray& bytes) {
    if (fd_ >= 0) RawWrite(fd_, bytes);
}

void ScriptedPeer::Send(const QString& text) {
    Send(ToCodePage(text));
}

void ScriptedPeer::SendSplit(const QByteArray& bytes, const std::vector<qsizetype>& cuts,
                             int pauseMs) {
    qsizetype from = 0;
    for (const qsizetype cut : cuts) {
        Send(bytes.mid(from, cut - from));
        Pump(pauseMs);
        from = cut;
    }
    Send(bytes.mid(from));
}

bool ScriptedPeer::Collect() {
    if (fd_ < 0) return false;
    char buffer[4096];
    for (;;) {
        const ssize_t n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            received_.append(buffer, qsizetype(n));
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) closedByGame_ = true;
        return !closedByGame_;
    }
}

const QByteArray& ScriptedPeer::Received() {
    Collect();
    return received_;
}

bool ScriptedPeer::WaitFor(const QByteArray& text, int timeoutMs) {
    return WaitUntil(
        [&] {
            Collect();
            return received_.contains(text);
        },
        timeoutMs);
}

bool ScriptedPeer::SeesClose(int timeoutMs) {
    return WaitUntil([&] { return !Collect() && fd_ >= 0; }, timeoutMs);
}

void ScriptedPeer::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

void ScriptedPeer::Reset() {
    if (fd_ >= 0) RawReset(fd_);
    fd_ = -1;
}

} // namespace corvane::nettest
