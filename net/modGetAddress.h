#pragma once
// Addresses for a network game: the machine's own addresses that a host gives
// to a friend, the public address read from a what-is-my-IP page, the dotted
// address test, and the check that a host answers before the joiner connects.
// No widgets; the checks run on the event loop without blocking it.
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace corvane {

// Stands for an address that is missing.
inline const QString NoIP = QStringLiteral("No IP");

// The outcome of the local-address lookup. further holds every other address,
// each followed by a line break, or NoIP when there is none.
struct LocalAddresses {
    QString first = NoIP;
    QString second = NoIP;
    QString further = NoIP;
    bool operator==(const LocalAddresses&) const = default;
};

// The lookup rule over a list of addresses in the machine's order: the last two
// are kept (first = the one before the last, second = the last); a single one is
// first; the rest go to further.
LocalAddresses PickAddresses(const QStringList& addresses);

// The machine's IPv4 addresses on interfaces that are up, loopback left out
// (the host name of a Linux machine usually resolves to 127.0.1.1, of no use to a
// friend).
QStringList LocalIPv4Addresses();

// True when text splits at "." into exactly four decimal numbers of at most 255.
bool IsIP(const QString& text);

// The what-is-my-IP page; the CORVANE_MYIP_URL environment variable replaces it.
QString MyIpPageURL();

// The text between the first "Address:" and the following "</" of the page
// (markers in any case), trimmed; empty when either marker is missing.
QString PublicAddressFromPage(const QString& page);

// What the host lists for a friend: the first address; then the second when it
// is an address, otherwise the public one (asked for only then) when it is an
// address other than the first.
QStringList HostAddressList(const LocalAddresses& local,
                            const std::function<QString()>& publicAddress);

// --- Reachability ------------------------------------------------------------------

// IPv4 addresses in host byte order.
using IPv4List = QList<std::uint32_t>;

// Resolves a host name and hands its IPv4 addresses to done (empty when the
// name is unknown). done may run at once or later on the event loop, and never
// once context is destroyed.
using NameResolver =
    std::function<void(const QString& name, QObject* context, std::function<void(IPv4List)> done)>;

// The system's resolver, asked without blocking.
NameResolver SystemResolver();

// How an echo request is sent: an unprivileged ICMP datagram socket, a raw ICMP
// socket (needs the right to open one), or a TCP connection attempt to a few
// common ports where an accepted or refused connection means the host answered.
// The probe never touches the game's own port.
enum class EchoKind { IcmpDatagram, IcmpRaw, TcpProbe };

// The ports the TCP probe tries.
inline constexpr std::uint16_t TcpProbePorts[] = {7, 80, 443};

// Sends one echo request of that kind to address and reports through done
// whether an answer came within timeoutMs. False (and done never runs) when the
// system does not allow that kind of socket. done runs at most once, possibly at
// once, never once context is destroyed.
bool StartEcho(std::uint32_t address, EchoKind kind, int timeoutMs, QObject* context,
               std::function<void(bool)> done);

// The echo request's payload.
inline constexpr char EchoPayload[] = "Echo this";
// How long an echo may take.
inline constexpr int EchoTimeoutMs = 250;
// How long a name lookup may take before the host counts as not found.
inline constexpr int ResolveTimeoutMs = 10000;

// The host reachability check: a name counts as found when it resolves to an
// IPv4 address; an address gets one echo request (the first kind the system
// allows, in the order of EchoKind) and counts as found when it answers within
// EchoTimeoutMs. done runs exactly once (possibly at once) unless context is
// destroyed first.
void FindServer(const QString& text, QObject* context, std::function<void(bool)> done,
                const NameResolver& resolve = SystemResolver());

} // namespace corvane
