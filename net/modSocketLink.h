#pragma once
// The process-wide part of the socket object: network start-up and shutdown, the
// registry that routes socket and lookup notifications to the owning object, the
// notification channel on the user-interface thread, and the error texts.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <vector>

struct sockaddr_in;

namespace corvane {

class CSocketLink;

// A synchronous failure thrown to the caller: number, description and the
// procedure that failed ("CSocketLink.Connect", ...).
class SocketError : public std::runtime_error {
public:
    SocketError(int number, const QString& description, const QString& source);
    int Number() const { return number_; }
    const QString& Description() const { return description_; }
    const QString& Source() const { return source_; }

private:
    int number_;
    QString description_;
    QString source_;
};

// Error numbers of the socket object's own.
constexpr int sckOutOfMemory = 7;
constexpr int sckBadState = 40006;
constexpr int sckInvalidArg = 40014;
constexpr int sckUnsupported = 40018;
constexpr int sckInvalidOp = 40020;

// Platform error numbers (Windows Sockets numbering) the object treats specially.
constexpr int wsaWouldBlock = 10035;
constexpr int wsaMsgSize = 10040;
constexpr int wsaAfNoSupport = 10047;
constexpr int wsaAddrNotAvail = 10049;
constexpr int wsaHostNotFound = 11001;

// Text of a platform error number ("Unknown error." for one not in the table).
QString ErrorText(int code);
// Description of any number the object throws or raises: its own 400xx and 7,
// else the platform text.
QString ErrorDescription(int number);
// Linux errno mapped onto the Windows Sockets number with the same meaning.
int WsaFromErrno(int err);
// getaddrinfo failure mapped onto the lookup errors 11001..11004.
int WsaFromResolver(int gaiError);
// Throws SocketError(number, ErrorDescription(number), source).
[[noreturn]] void ThrowSocketError(int number, const QString& source);

// Messages handed to CSocketLink::WndProc by the notification channel.
constexpr unsigned kMsgLookupDone = 0x8000;  // wParam lookup handle, high word of lParam error
constexpr unsigned kMsgSocketEvent = 0x8001; // wParam socket, low word event, high word error
// Event bits of kMsgSocketEvent.
constexpr unsigned FD_READ = 0x01;
constexpr unsigned FD_WRITE = 0x02;
constexpr unsigned FD_OOB = 0x04;
constexpr unsigned FD_ACCEPT = 0x08;
constexpr unsigned FD_CONNECT = 0x10;
constexpr unsigned FD_CLOSE = 0x20;
constexpr std::intptr_t MakeLParam(unsigned low, unsigned high) {
    return std::intptr_t((high & 0xFFFFu) << 16 | (low & 0xFFFFu));
}

// Parallel arrays of handle and owning object, 1-based (slot 0 unused). A
// released slot holds -1 and is reused first; registering a present handle does
// nothing.
struct HandleTable {
    std::vector<long> Handles{-1};
    std::vector<CSocketLink*> Owners{nullptr};

    void Register(long handle, CSocketLink* owner);
    void Release(long handle);
    // Slot index of a handle, 0 when absent.
    std::size_t Find(long handle) const;
    CSocketLink* Owner(long handle) const;
    void Repoint(long handle, CSocketLink* owner);
    std::size_t Slots() const { return Handles.size() - 1; }
};

// --- Socket registry (owned by modSocketLink; unguarded, user-interface thread) ---
// Live CSocketLink objects; the network starts with the first and stops with the last.
extern int InstanceCount;
// Socket handle -> owning object, for routing notifications.
extern HandleTable SocketTable;
// Asynchronous lookup handle -> owning object.
extern HandleTable LookupTable;
// Registered sockets keyed by SocketKey; the channel closes when it empties.
extern std::set<std::string> RegisteredSockets;
// Connections accepted but not yet taken over by the owner, keyed by SocketKey.
extern std::map<std::string, std::unique_ptr<CSocketLink>> AcceptHolders;

// Collection keys: the decimal handle followed by "S" (sockets) or "R" (lookups).
std::string SocketKey(long handle);
std::string LookupKey(long handle);

// Network library start-up and shutdown (the first and last object).
void InitiateProcesses();
void FinalizeProcesses();
// Puts a socket under the notification channel, routed to owner. An accepted
// connection starts connected and inherits the listener's notifications.
void RegisterSocket(long handle, CSocketLink* owner, bool accepted = false);
// Takes a socket off the channel and out of the tables (the caller closes it).
void UnregisterSocket(long handle);

// The 1024-byte block an asynchronous lookup writes its IPv4 addresses into.
struct ResolutionBuffer {
    static constexpr int kCapacity = 255;
    std::uint32_t Count = 0;
    std::uint32_t Addresses[kCapacity] = {}; // network byte order
};

// Starts an asynchronous lookup; the addresses go into buffer and
// owner->WndProc(kMsgLookupDone) follows, routed through the lookup table.
// Returns the lookup handle (-1 when no lookup could start).
long StartLookup(const QString& name, CSocketLink* owner, ResolutionBuffer* buffer);
// Cancels a lookup still running; false when it had already finished.
bool CancelLookup(long lookupHandle);

// Socket calls that keep the channel's notifications armed as an asynchronous
// select does: a read is posted again after each receive, an accept after each
// accept, a write-ready after a send that would block, a connect once the
// connection completes or fails.
int PlatformConnect(int fd, const sockaddr_in& to);
int PlatformListen(int fd, int backlog);
int PlatformAccept(int fd, sockaddr_in* peer);
ssize_t PlatformRecv(int fd, void* buffer, std::size_t length, int flags, sockaddr_in* from);
ssize_t PlatformSend(int fd, const void* data, std::size_t length, const sockaddr_in* to);

} // namespace corvane
