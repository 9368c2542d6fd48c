#pragma once
// Helpers for the socket tests: bounded waits on the event loop, raw loopback
// peers written with plain blocking sockets, and a descriptor count.
#include "net/CSocketLink.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace corvane::nettest {

// Runs the event loop until pred holds or timeoutMs pass; the result of pred.
bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);
// Lets pending events (and deferred deletions) run for ms milliseconds.
void Pump(int ms);
// Entries of /proc/self/fd.
int OpenDescriptors();

// A plain blocking TCP socket connected to 127.0.0.1:port (-1 on failure).
int RawConnect(long port);
// A plain listening socket on 127.0.0.1 with an ephemeral port.
int RawListen(long& port);
// accept() with a bounded wait while the event loop runs; -1 on timeout.
int RawAccept(int listener, int timeoutMs = 5000);
// Reads until count bytes, end of stream or timeout, pumping events meanwhile.
QByteArray RawRead(int fd, qsizetype count, int timeoutMs = 5000);
// True when the peer closed (end of stream or reset) within the wait.
bool RawSeesClose(int fd, int timeoutMs = 5000);
void RawWrite(int fd, const QByteArray& bytes);
// Closes with an RST instead of a FIN.
void RawReset(int fd);
// A loopback port held bound but never listening: connects to it are refused, and
// nothing else can take it (not even a connect's own source port) while this lives.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;
    long Port() const { return port_; }

private:
    int fd_;
    long port_ = 0;
};
// A loopback port with nobody on it, for a listener the test starts next.
long FreePort();

// A listener on 127.0.0.1 that takes every connection onto a fresh object.
struct Host {
    CSocketLink listener;
    std::vector<std::unique_ptr<CSocketLink>> accepted;
    // Runs on each fresh object before Accept, to install its handlers.
    std::function<void(CSocketLink&)> prepare;

    explicit Host(long port = 0);
    long Port() const { return listener.LocalPort(); }
    CSocketLink* Last() { return accepted.empty() ? nullptr : accepted.back().get(); }
};

// Records the events of one object.
struct EventLog {
    int connects = 0, closes = 0, completes = 0;
    std::vector<long> arrivals;                  // bytesTotal of each DataArrival
    std::vector<std::pair<long, long>> progress; // SendProgress arguments
    std::vector<std::pair<int, QString>> errors; // number and source
    std::vector<QString> descriptions;
    std::vector<SocketState> states;

    void Attach(CSocketLink& s);
    int Total() const {
        return connects + closes + completes +
               int(arrivals.size() + progress.size() + errors.size());
    }
};

// Connects a client to the host and waits until both ends are Connected.
std::unique_ptr<CSocketLink> ConnectedPair(Host& host, EventLog* clientLog = nullptr);

} // namespace corvane::nettest
