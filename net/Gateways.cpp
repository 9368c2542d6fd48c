#include "net/Gateways.h"

#include <QHostAddress>
#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <natpmp.h>
#include <string>
#include <sys/select.h>

namespace corvane {
namespace {

// The description the router shows beside the mapping.
constexpr char MappingName[] = "Corvane";

QString CheckedIPv4(const QString& text) {
    const QHostAddress address(text);
    return address.protocol() == QAbstractSocket::IPv4Protocol ? address.toString() : QString();
}

class UpnpGateway final : public Gateway {
public:
    // Searches the local network for an Internet Gateway Device.
    static std::unique_ptr<UpnpGateway> Find(int waitMs) {
        int error = 0;
        UPNPDev* devices =
            upnpDiscover(waitMs, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0, 2, &error);
        if (devices == nullptr) return nullptr;
        auto g = std::unique_ptr<UpnpGateway>(new UpnpGateway);
        char lan[64] = {};
        const int found = UPNP_GetValidIGD(devices, &g->urls_, &g->data_, lan, sizeof lan);
        freeUPNPDevlist(devices);
        if (found == 0) return nullptr;
        g->owned_ = true;
        if (found != 1 && found != 2) return nullptr; // a UPnP device, not a gateway
        g->lanAddress_ = lan;
        return g;
    }
    ~UpnpGateway() override {
        if (owned_) FreeUPNPUrls(&urls_);
    }

    int Add(quint16 port, int leaseSeconds) override {
        const std::string p = std::to_string(port);
        const std::string lease = std::to_string(leaseSeconds);
        return UPNP_AddPortMapping(urls_.controlURL, data_.first.servicetype, p.c_str(), p.c_str(),
                                   lanAddress_.c_str(), MappingName, "TCP", nullptr, lease.c_str());
    }
    void Delete(quint16 port) override {
        const std::string p = std::to_string(port);
        UPNP_DeletePortMapping(urls_.controlURL, data_.first.servicetype, p.c_str(), "TCP",
                               nullptr);
    }
    QString PublicAddress() override {
        char text[40] = {};
        if (UPNP_GetExternalIPAddress(urls_.controlURL, data_.first.servicetype, text) != 0)
            return {};
        return CheckedIPv4(QString::fromLatin1(text, qsizetype(strnlen(text, sizeof text - 1))));
    }

private:
    UpnpGateway() = default;
    bool owned_ = false; // urls_ hold memory of miniupnpc's
    UPNPUrls urls_{};
    IGDdatas data_{};
    std::string lanAddress_; // this machine's address toward the gateway
};

class NatPmpGateway final : public Gateway {
public:
    // Asks the default gateway for its public address.
    static std::unique_ptr<NatPmpGateway> Find(int waitMs) {
        auto g = std::unique_ptr<NatPmpGateway>(new NatPmpGateway(waitMs));
        if (initnatpmp(&g->session_, 0, 0) < 0) return nullptr;
        g->open_ = true;
        natpmpresp_t reply{};
        if (g->Ask(sendpublicaddressrequest(&g->session_), reply) != 0 ||
            reply.type != NATPMP_RESPTYPE_PUBLICADDRESS)
            return nullptr;
        g->public_ = CheckedIPv4(QString::fromLatin1(inet_ntoa(reply.pnu.publicaddress.addr)));
        return g;
    }
    ~NatPmpGateway() override {
        if (open_) closenatpmp(&session_);
    }

    int Add(quint16 port, int leaseSeconds) override {
        natpmpresp_t reply{};
        const int r = Ask(sendnewportmappingrequest(&session_, NATPMP_PROTOCOL_TCP, port, port,
                                                    uint32_t(leaseSeconds)),
                          reply);
        if (r == 0) return reply.pnu.newportmapping.mappedpublicport == port ? 0 : Refuse(port);
        // The router's own result codes: it answered and said no.
        return r <= NATPMP_ERR_UNSUPPORTEDVERSION && r >= NATPMP_ERR_OUTOFRESOURCES ? -r : r;
    }
    void Delete(quint16 port) override {
        natpmpresp_t reply{};
        Ask(sendnewportmappingrequest(&session_, NATPMP_PROTOCOL_TCP, port, 0, 0), reply);
    }
    QString PublicAddress() override { return public_; }

private:
    explicit NatPmpGateway(int waitMs) : waitMs_(waitMs) {}

    // Another public port than the one asked for is of no use to a friend
    // typing the game's port: given back at once.
    int Refuse(quint16 port) {
        Delete(port);
        return -NATPMP_ERR_UNDEFINEDERROR;
    }

    // Waits for the answer to the request just sent, with libnatpmp's
    // retries, for waitMs_ at most (its own retries would go on for a minute).
    int Ask(int sent, natpmpresp_t& reply) {
        if (sent < 0) return sent;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs_);
        for (;;) {
            const int r = readnatpmpresponseorretry(&session_, &reply);
            if (r != NATPMP_TRYAGAIN) return r;
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return NATPMP_ERR_RECVFROM;
            timeval timeout{};
            getnatpmprequesttimeout(&session_, &timeout);
            const long long wait =
                std::min<long long>(left.count(), timeout.tv_sec * 1000000LL + timeout.tv_usec);
            timeout = {time_t(wait / 1000000), suseconds_t(wait % 1000000)};
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(session_.s, &fds);
            select(session_.s + 1, &fds, nullptr, nullptr, &timeout);
        }
    }

    int waitMs_;
    natpmp_t session_{};
    bool open_ = false;
    QString public_;
};

} // namespace

std::unique_ptr<Gateway> FindGateway(int waitMs) {
    if (auto upnp = UpnpGateway::Find(waitMs)) return upnp;
    return NatPmpGateway::Find(waitMs);
}

} // namespace corvane
