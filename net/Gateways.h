#pragma once
// The two ways of asking a home router to forward a port: UPnP Internet
// Gateway Device (miniupnpc) and NAT-PMP (libnatpmp). Every call blocks while
// the router answers: they are for the port mapper's worker thread only.
#include <QString>
#include <memory>

namespace corvane {

class Gateway {
public:
    virtual ~Gateway() = default;
    // Forwards TCP port of the router's public side to the same port of this
    // machine for leaseSeconds. 0 when mapped; > 0 when the router said no;
    // < 0 when it did not answer.
    virtual int Add(quint16 port, int leaseSeconds) = 0;
    virtual void Delete(quint16 port) = 0;
    // The router's public IPv4 address (checked: the router's reply is outside
    // text), or empty.
    virtual QString PublicAddress() = 0;
};

// The first router that answers within about waitMs each: a UPnP gateway
// found by multicast discovery, else NAT-PMP at the default gateway. Null
// when neither answers.
std::unique_ptr<Gateway> FindGateway(int waitMs);

} // namespace corvane
