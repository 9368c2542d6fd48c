#include "net/PortMapping.h"

#include "net/Discovery.h"
#include "net/Gateways.h"

#include <QTimer>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace corvane {

struct PortMapper::Result {
    unsigned generation = 0;
    Outcome outcome = Outcome::NoRouter;
    QString publicAddress;
};

namespace {

struct Job {
    enum Kind { Map, Unmap, Quit } kind = Map;
    unsigned generation = 0;
    quint16 port = 0;
    int leaseSeconds = 0;
    int discoveryMs = 0;
};

} // namespace

// One thread that talks to the router, one job at a time, in order.
class PortMapper::Worker {
public:
    explicit Worker(std::function<void(const Result&)> deliver)
        : deliver_(std::move(deliver)), thread_([this] { Run(); }) {}
    ~Worker() {
        Post({Job::Quit});
        thread_.join();
    }
    void Post(const Job& job) {
        {
            std::lock_guard lock(mutex_);
            // A removal makes the requests before it moot, the one in progress too.
            if (job.kind != Job::Map) {
                std::erase_if(jobs_, [](const Job& j) { return j.kind == Job::Map; });
                cancelled_ = true;
            }
            jobs_.push_back(job);
        }
        wake_.notify_one();
    }

private:
    void Run() {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return !jobs_.empty(); });
                job = jobs_.front();
                jobs_.pop_front();
                cancelled_ = false;
            }
            if (job.kind == Job::Map && !cancelled_) Map(job);
            if (job.kind != Job::Map) Unmap();
            if (job.kind == Job::Quit) return;
        }
    }

    void Map(const Job& job) {
        Result r{job.generation, Outcome::NoRouter, {}};
        const bool wasKnown = gateway_ != nullptr;
        if (!wasKnown) gateway_ = FindGateway(job.discoveryMs);
        if (gateway_ == nullptr) return deliver_(r);
        if (cancelled_) return;
        int code = gateway_->Add(job.port, job.leaseSeconds);
        if (code < 0 && wasKnown && (gateway_ = FindGateway(job.discoveryMs))) // the router moved?
            code = gateway_->Add(job.port, job.leaseSeconds);
        if (code != 0) {
            r.outcome = code < 0 ? Outcome::NoRouter : Outcome::Refused;
            if (code < 0) gateway_.reset();
            return deliver_(r);
        }
        mapped_ = job.port;
        r.outcome = Outcome::Granted;
        r.publicAddress = gateway_->PublicAddress();
        deliver_(r);
    }

    void Unmap() {
        if (mapped_ && gateway_) gateway_->Delete(*mapped_);
        mapped_.reset();
    }

    std::function<void(const Result&)> deliver_;
    std::unique_ptr<Gateway> gateway_; // the router found, kept for renewals
    std::optional<quint16> mapped_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::atomic<bool> cancelled_ = false;
    std::thread thread_; // last: starts once the rest is built
};

PortMapper::PortMapper(QObject* parent) : QObject(parent), renewal_(new QTimer(this)) {
    renewal_->setSingleShot(true);
    connect(renewal_, &QTimer::timeout, this, &PortMapper::Ask);
}

PortMapper::~PortMapper() {
    renewal_->stop();
    worker_.reset(); // removes the mapping and waits for the router
}

void PortMapper::Start(quint16 port) {
    Stop();
    if (DiscoveryOff()) return SetOutcome(Outcome::Disabled);
    port_ = port;
    if (!worker_)
        worker_ = std::make_unique<Worker>([this](const Result& r) {
            QMetaObject::invokeMethod(
                this, [this, r] { Deliver(r); }, Qt::QueuedConnection);
        });
    SetOutcome(Outcome::Working);
    Ask();
}

void PortMapper::Stop() {
    ++generation_;
    renewal_->stop();
    publicAddress_.clear();
    if (worker_) worker_->Post({Job::Unmap});
    SetOutcome(Outcome::Idle);
}

void PortMapper::SetLeaseSeconds(int seconds) {
    leaseSeconds_ = std::clamp(seconds, 1, MaxLeaseSeconds);
}

void PortMapper::SetDiscoveryMs(int ms) {
    discoveryMs_ = std::max(ms, 100);
}

void PortMapper::Ask() {
    worker_->Post({Job::Map, generation_, port_, leaseSeconds_, discoveryMs_});
}

void PortMapper::Deliver(const Result& r) {
    if (r.generation != generation_) return; // answer to a request since withdrawn
    publicAddress_ = r.publicAddress;
    // Renewed at half the lease; a router that said no or was not found is
    // asked again as often (it may have been restarted).
    renewal_->start(std::chrono::milliseconds(leaseSeconds_ * 1000LL / 2));
    SetOutcome(r.outcome);
}

QString PortMapper::Note() const {
    switch (outcome_) {
    case Outcome::Working:
        return QStringLiteral("Pedindo ao roteador para abrir a porta %1...").arg(port_);
    case Outcome::Granted:
        return publicAddress_.isEmpty()
                   ? QStringLiteral("O roteador abriu a porta %1.").arg(port_)
                   : QStringLiteral("O roteador abriu a porta %1. Endereço na internet: %2")
                         .arg(port_)
                         .arg(publicAddress_);
    case Outcome::Refused:
    case Outcome::NoRouter:
        return QStringLiteral("O roteador não abriu a porta %1. Para jogar pela internet, abra "
                              "a porta TCP %1 no roteador e no firewall deste computador.")
            .arg(port_);
    default:
        return {};
    }
}

void PortMapper::SetOutcome(Outcome o) {
    if (o == outcome_) return;
    outcome_ = o;
    emit OutcomeChanged(o);
}

} // namespace corvane
