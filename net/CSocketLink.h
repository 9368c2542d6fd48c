#pragma once
// CSocketLink: an event-driven TCP/UDP socket object. The owner calls methods and
// receives events through the On... callbacks, always on the user-interface
// thread. Misuse and synchronous failures throw SocketError; failures of
// asynchronous work put the object in State Error and raise OnError.
//
// An event handler may call any method of the object that raised it, release
// the object included; no event follows the release.
//
// A host takes one peer the way the game does:
//     socket.SetLocalPort(1243);
//     socket.Listen();
//     socket.OnConnectionRequest = [&](long id) { socket.CloseSck(); socket.Accept(id); };
//     socket.OnDataArrival = [&](long) { Variant text = QString(); socket.GetData(text); ... };
// A connection lost to a reset raises OnError and then OnCloseSck (State Error),
// so an owner that only handles OnCloseSck still learns that the peer is gone.
#include "net/SocketVariant.h"
#include "net/modSocketLink.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace corvane {

enum class SocketState {
    Closed = 0,
    Open = 1,
    Listening = 2,
    ConnectionPending = 3, // never entered
    ResolvingHost = 4,
    HostResolved = 5,
    Connecting = 6,
    Connected = 7,
    Closing = 8,
    Error = 9
};

enum class SocketProtocol { TCP = 0, UDP = 1 };

class CSocketLink {
public:
    CSocketLink();
    ~CSocketLink();
    CSocketLink(const CSocketLink&) = delete;
    CSocketLink& operator=(const CSocketLink&) = delete;

    // --- Properties ---
    long RemotePort() const { return remotePort_; }
    void SetRemotePort(long port);
    QString RemoteHost() const { return remoteHost_; }
    void SetRemoteHost(const QString& host);
    QString RemoteHostIP() const { return remoteHostIP_; }
    // The bound port when one was assigned, else the requested one.
    long LocalPort() const { return boundPort_ != 0 ? boundPort_ : localPort_; }
    void SetLocalPort(long port);
    SocketState State() const { return state_; }
    QString LocalHostName() const;
    // Connected: the local address of the connection; otherwise the first IPv4
    // address of the machine's host name (a synchronous lookup).
    QString LocalIP() const;
    // TCP: bytes received and not yet read; UDP: size of the pending datagram.
    long BytesReceived() const;
    long SocketHandle() const { return handle_; }
    QString Tag() const { return tag_; }
    void SetTag(const QString& tag) { tag_ = tag; }
    SocketProtocol Protocol() const { return protocol_; }
    void SetProtocol(SocketProtocol protocol);

    // --- Methods ---
    void CloseSck();
    void Connect(std::optional<Variant> remoteHost = std::nullopt,
                 std::optional<Variant> remotePort = std::nullopt);
    void Bind(std::optional<Variant> localPort = std::nullopt,
              std::optional<Variant> localIP = std::nullopt);
    void SendData(const Variant& data);
    void GetData(Variant& data, std::optional<VarType> varType = std::nullopt,
                 std::optional<Variant> maxLen = std::nullopt);
    void PeekData(Variant& data, std::optional<VarType> varType = std::nullopt,
                  std::optional<Variant> maxLen = std::nullopt);
    void Listen();
    void Accept(long requestID);
    // Entry of the notification channel (kMsgLookupDone, kMsgSocketEvent).
    long WndProc(long hwnd, unsigned uMsg, std::intptr_t wParam, std::intptr_t lParam);

    // --- Events ---
    std::function<void()> OnCloseSck;
    std::function<void()> OnConnect;
    std::function<void(long requestID)> OnConnectionRequest;
    std::function<void(long bytesTotal)> OnDataArrival;
    std::function<void(int number, const QString& description, long sCode, const QString& source,
                       const QString& helpFile, long helpContext, bool& cancelDisplay)>
        OnError;
    std::function<void()> OnSendComplete;
    std::function<void(long bytesSent, long bytesRemaining)> OnSendProgress;

    // Shows an error's description titled with its source when an OnError
    // handler cleared cancelDisplay (the GUI installs a message box).
    std::function<void(const QString& text, const QString& title)> OnShowError;
    // Observer of every state change, for diagnostics; must not call back.
    std::function<void(SocketState)> OnStateChange;

private:
    bool SocketExists();
    void ProcessOptions();
    bool BindInternal(const std::optional<Variant>& localPort,
                      const std::optional<Variant>& localIP, const QString& source);
    void ResolveIfHostname(const QString& host);
    void ConnectToIP(std::uint32_t address, int error);
    void PostResolution(long lookupHandle, int error);
    void PostSocket(unsigned event, int error);
    void IncomingConnection();
    void TakeOverHolder(std::unique_ptr<CSocketLink> holder);
    void ConnectionClosed(int error);
    void DataReady();
    void SendBufferedData();
    void SendBufferedDataUDP();
    long RecvDataToBuffer();
    void RecvData(Variant& data, std::optional<VarType> varType, std::optional<Variant> maxLen,
                  bool peek);
    void RecvDatagram(Variant& data, VarType target, std::optional<long> maxLen, bool peek,
                      const QString& source);
    long PendingDatagramSize() const;
    void DestroySocket();
    void CancelPendingLookups();
    void ReadLocalSide();
    void ReadPeerSide();
    void SetState(SocketState state);
    void ClearConnectionData();
    qsizetype SendPending() const { return sendBuffer_.size() - sendOffset_; }

    // Each Raise returns false when the handler released the object.
    bool RaiseError(int number, const QString& source, const QString& description = {});
    template <class... Args, class... Given>
    bool Raise(const std::function<void(Args...)>& handler, Given&&... args);

    int handle_ = -1;
    SocketState state_ = SocketState::Closed;
    QString tag_;
    QString remoteHost_;
    long remotePort_ = 0;
    QString remoteHostIP_;
    long localPort_ = 0;
    long boundPort_ = 0;
    QString boundIP_;
    SocketProtocol protocol_ = SocketProtocol::TCP;
    std::unique_ptr<ResolutionBuffer> resolution_;
    long sendChunk_ = 0;
    long recvChunk_ = 0;
    QByteArray sendBuffer_;
    qsizetype sendOffset_ = 0; // bytes at the front of sendBuffer_ already sent
    QByteArray recvBuffer_;
    bool acceptHolder_ = false;
    std::map<std::string, long> pendingLookups_;
    bool connectionLost_ = false; // a send or receive failed on a dead connection
    bool datagramTaken_ = false;  // the DataArrival handler read the datagram
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

template <class... Args, class... Given>
bool CSocketLink::Raise(const std::function<void(Args...)>& handler, Given&&... args) {
    const std::shared_ptr<bool> alive = alive_;
    if (handler) {
        // A copy: the handler may release this object, and its callbacks with it.
        const std::function<void(Args...)> call = handler;
        call(std::forward<Given>(args)...);
    }
    return *alive;
}

} // namespace corvane
