#pragma once
// The keep-alive of two copies that announced their extensions (see
// net/NetProtocol.h): while connected each side sends "Corvane:#VIVO" after
// every KeepAliveMs without sending anything else, and a side that has heard
// nothing of its peer for SilenceMs takes the peer as gone (a machine that
// vanished, a cable pulled), instead of after the minute of TCP's own probes.
#include "net/NetProtocol.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <functional>

namespace corvane {

// Times of the extensions, in milliseconds; tests shorten them.
struct ExtensionTimes {
    int keepAliveMs = 2000;     // a keep-alive after this long without sending
    int silenceMs = 10000;      // the peer is gone after this long unheard
    int answerMs = 30000;       // an offer's question closes unanswered after this
    int answerGraceMs = 2000;   // the asker waits this much longer for the answer
    int resumeLimitMs = 120000; // a broken connection is given up after this
    int resumeHelloMs = 5000;   // a new connection must show its key within this
};

class PeerWatch {
public:
    PeerWatch();
    PeerWatch(const PeerWatch&) = delete;
    PeerWatch& operator=(const PeerWatch&) = delete;

    // Sends a keep-alive (the owner adds the end mark).
    std::function<void()> sendKeepAlive;
    // Nothing was heard from the peer for silenceMs.
    std::function<void()> peerSilent;

    void Start(const ExtensionTimes& times);
    void Stop();
    bool Running() const { return tick_.isActive(); }
    // Something came from the peer / went to it.
    void Heard() { heard_.restart(); }
    void Sent() { sent_.restart(); }

private:
    void Tick();

    QTimer tick_;
    QElapsedTimer heard_, sent_;
    ExtensionTimes times_;
};

} // namespace corvane
