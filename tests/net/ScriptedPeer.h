#pragma once
// A scripted network peer for tests: the other copy of the game played byte by
// byte over a plain socket on 127.0.0.1 (an ephemeral port, never a fixed one).
// It listens or connects, sends raw bytes (whole, several messages glued in one
// write, or one message split into pieces with pauses between them), collects
// what it receives, and can close or reset the connection. Going silent needs no
// call: the peer keeps the connection open and sends nothing. Every wait runs
// the event loop, so the game under test keeps working meanwhile.
#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

namespace corvane::nettest {

class ScriptedPeer {
public:
    // A peer that hosts: listening on 127.0.0.1, the game connects to Port().
    static std::unique_ptr<ScriptedPeer> Listening();
    // A peer that joins a game listening on 127.0.0.1:port (check Connected()).
    static std::unique_ptr<ScriptedPeer> Connecting(long port);
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    long Port() const { return port_; }
    // Takes the game's connection (a listening peer); false when none came in time.
    bool Accept(int timeoutMs = 5000);
    bool Connected() const { return fd_ >= 0; }

    // One write of the bytes (several messages in it arrive glued).
    void Send(const QByteArray& bytes);
    // Text in the game's code page (Windows-1252).
    void Send(const QString& text);
    // The bytes cut at the given offsets, each piece a write of its own, with
    // pauseMs of running event loop between the pieces.
    void SendSplit(const QByteArray& bytes, const std::vector<qsizetype>& cuts, int pauseMs);

    // Everything received so far.
    const QByteArray& Received();
    // Waits until the received bytes contain text; false on timeout.
    bool WaitFor(const QByteArray& text, int timeoutMs = 5000);
    // True when the game closed the connection within the wait.
    bool SeesClose(int timeoutMs = 5000);

    void Close(); // an orderly close (FIN)
    void Reset(); // an abortive close (RST)

private:
    ScriptedPeer() = default;
    // Reads what is pending; false once the game has closed.
    bool Collect();

    int listener_ = -1;
    int fd_ = -1;
    long port_ = 0;
    bool closedByGame_ = false;
    QByteArray received_;
};

} // namespace corvane::nettest
