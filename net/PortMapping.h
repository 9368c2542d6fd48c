#pragma once
// The router opened while hosting: a UPnP Internet Gateway Device on the local
// network (or else the default gateway, by NAT-PMP) is asked to forward one TCP
// port of its public address to this machine, for a lease that is renewed at half its length while
// hosting and removed when hosting ends or the mapper is destroyed (the program closes). A program
// that dies without removing it loses the mapping when the lease runs out, an hour at most.
//
// The router's calls block (its discovery alone waits about two seconds), so
// they run on a worker thread of the mapper; results come back to the thread
// that owns the mapper, the user-interface thread, as OutcomeChanged.
// Destroying the mapper waits for the call in progress and for the removal of
// the mapping, a few seconds at most.
//
// Nothing is sent while the switch of Discovery.h (CORVANE_NO_DISCOVERY) is set.
#include <QObject>
#include <QString>
#include <memory>

class QTimer;

namespace corvane {

class PortMapper : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Idle,     // not hosting: nothing mapped
        Disabled, // the switch is set
        Working,  // asking the router
        Granted,  // the port is forwarded; PublicAddress() is the router's address
        Refused,  // a router answered and did not map the port
        NoRouter  // no gateway answered
    };
    Q_ENUM(Outcome)

    static constexpr int MaxLeaseSeconds = 3600;

    explicit PortMapper(QObject* parent = nullptr);
    ~PortMapper() override;

    // Maps TCP port (outside) to the same port of this machine, and keeps it
    // mapped until Stop. A second Start replaces the first.
    void Start(quint16 port);
    void Stop();

    // Lease asked of the router, 1..MaxLeaseSeconds (the default); takes effect
    // at the next Start or renewal.
    void SetLeaseSeconds(int seconds);
    int LeaseSeconds() const { return leaseSeconds_; }
    // How long the router's discovery waits for answers (2000 ms by default).
    void SetDiscoveryMs(int ms);

    Outcome outcome() const { return outcome_; }
    quint16 Port() const { return port_; }
    // The router's public IPv4 address when it told it, else empty.
    QString PublicAddress() const { return publicAddress_; }
    // One line for the hosting dialog about the outcome (empty when Idle or Disabled).
    QString Note() const;

Q_SIGNALS:
    void OutcomeChanged(corvane::PortMapper::Outcome outcome);

private:
    struct Result;
    class Worker;
    void Deliver(const Result& r);
    void Ask();
    void SetOutcome(Outcome o);

    std::unique_ptr<Worker> worker_;
    QTimer* renewal_ = nullptr;
    Outcome outcome_ = Outcome::Idle;
    quint16 port_ = 0;
    QString publicAddress_;
    int leaseSeconds_ = MaxLeaseSeconds;
    int discoveryMs_ = 2000;
    unsigned generation_ = 0;
};

} // namespace corvane
