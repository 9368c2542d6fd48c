#include "net/Extensions.h"

#include <algorithm>

namespace corvane {

PeerWatch::PeerWatch() {
    QObject::connect(&tick_, &QTimer::timeout, [this] { Tick(); });
}

void PeerWatch::Start(const ExtensionTimes& times) {
    times_ = times;
    heard_.start();
    sent_.start();
    // Often enough to keep both promises within a fifth of the shorter one.
    tick_.start(std::max(10, std::min(times.keepAliveMs, times.silenceMs) / 5));
}

void PeerWatch::Stop() {
    tick_.stop();
}

void PeerWatch::Tick() {
    if (heard_.elapsed() >= times_.silenceMs) {
        Stop();
        const std::function<void()> call = peerSilent;
        if (call) call();
        return;
    }
    if (sent_.elapsed() >= times_.keepAliveMs && sendKeepAlive) {
        sent_.restart();
        sendKeepAlive();
    }
}

} // namespace corvane
