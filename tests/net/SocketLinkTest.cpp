// The socket object over loopback: connecting, accepting, received data, closes, failures.
#include "NetTestSupport.h"
#include "net/SocketHelpers.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace corvane;
using namespace corvane::nettest;

namespace {

QString ReadAll(CSocketLink& s) {
    Variant text = QString();
    s.GetData(text);
    return text.ToString();
}

// Runs f and returns the SocketError it threw (number -1 when none).
template <class F> SocketError Thrown(F&& f) {
    try {
        f();
    } catch (const SocketError& e) {
        return e;
    }
    return SocketError(-1, QString(), QString());
}

TEST(SocketConnect, DottedAddressSkipsTheLookupAndANameDoesNot) {
    Host host;
    long peerPort = 0;
    host.listener.OnConnectionRequest = [&](long id) {
        peerPort = host.listener.RemotePort();
        host.accepted.push_back(std::make_unique<CSocketLink>());
        host.accepted.back()->Accept(id);
    };
    EventLog log;
    auto client = ConnectedPair(host, &log);
    EXPECT_EQ(log.states, (std::vector{SocketState::Connecting, SocketState::Connected}));
    EXPECT_EQ(peerPort, client->LocalPort());
    EXPECT_EQ(host.Last()->RemotePort(), client->LocalPort());
    // Still listening after the event: the listener's own values come back.
    EXPECT_EQ(host.listener.RemotePort(), 0);

    EventLog named;
    CSocketLink byName;
    named.Attach(byName);
    byName.Connect("localhost", host.Port());
    ASSERT_TRUE(WaitUntil([&] { return byName.State() == SocketState::Connected; }, 10000));
    EXPECT_EQ(named.states, (std::vector{SocketState::ResolvingHost, SocketState::HostResolved,
                                         SocketState::Connecting, SocketState::Connected}));
    EXPECT_EQ(byName.RemoteHost(), "localhost");
    EXPECT_EQ(byName.RemoteHostIP(), "127.0.0.1");
    for (std::size_t i = 1; i < LookupTable.Handles.size(); ++i)
        EXPECT_EQ(LookupTable.Handles[i], -1) << "the finished lookup left the lookup table";
}

// A refused connection ends in Error with its number and leaks no descriptor.
TEST(SocketConnect, RefusedEndsInError) {
    const RefusingPort nobody;
    const int fds = OpenDescriptors();
    {
        CSocketLink client;
        EventLog log;
        log.Attach(client);
        client.Connect("127.0.0.1", int(nobody.Port()));
        ASSERT_TRUE(WaitUntil([&] { return !log.errors.empty(); }));
        EXPECT_EQ(client.State(), SocketState::Error);
        EXPECT_EQ(log.errors[0], std::make_pair(10061, QString("CSocketLink.PostSocket")));
        EXPECT_EQ(log.connects + log.closes, 0);
    }
    Pump(20);
    EXPECT_EQ(OpenDescriptors(), fds);
}

TEST(SocketConnect, ClosingDuringLookupCancelsIt) {
    Host host;
    for (const bool release : {false, true}) {
        auto client = std::make_unique<CSocketLink>();
        EventLog log;
        log.Attach(*client);
        client->Connect("localhost", host.Port());
        ASSERT_EQ(client->State(), SocketState::ResolvingHost);
        if (release)
            client.reset();
        else
            client->CloseSck();
        const std::size_t statesSeen = log.states.size();
        Pump(300);
        EXPECT_EQ(log.connects + int(log.errors.size()), 0);
        EXPECT_EQ(log.states.size(), statesSeen);
        EXPECT_TRUE(host.accepted.empty());
    }
}

TEST(SocketData, SendsArriveInOrderAndReadsTakeExactSizes) {
    Host host;
    std::vector<long> arrivals;
    host.prepare = [&](CSocketLink& s) {
        s.OnDataArrival = [&](long n) { arrivals.push_back(n); };
    };
    auto client = ConnectedPair(host);
    CSocketLink& server = *host.Last();
    client->SendData("Jogar:#WP e2-e4#");
    client->SendData("Chat:#oi");
    ASSERT_TRUE(WaitUntil([&] { return server.BytesReceived() == 24; }));
    // Not read yet: the next arrival reports everything buffered.
    const std::size_t seen = arrivals.size();
    client->SendData(QByteArray("xyz"));
    ASSERT_TRUE(WaitUntil([&] { return arrivals.size() > seen; }));
    EXPECT_EQ(arrivals.back(), 27);
    Variant part;
    server.GetData(part, VarType::String, 6);
    EXPECT_EQ(part.ToString(), "Jogar:");
    Variant bytes;
    server.PeekData(bytes, std::nullopt, "all"); // a non-numeric length means everything
    EXPECT_EQ(bytes.If<QByteArray>()->size(), 21);
    EXPECT_EQ(ReadAll(server), "#WP e2-e4#Chat:#oixyz");
    EXPECT_EQ(server.BytesReceived(), 0);

    client->SendData(std::int16_t(-2));
    client->SendData(QByteArray("\x01\x02\x03", 3));
    ASSERT_TRUE(WaitUntil([&] { return server.BytesReceived() == 2 + 3; }));
    Variant v = std::int16_t(0);
    server.GetData(v);
    EXPECT_EQ(v, Variant(std::int16_t(-2)));
    v = 7; // a 32-bit read with three bytes left takes nothing
    server.GetData(v);
    EXPECT_EQ(v, Variant(7));
    EXPECT_EQ(Thrown([&] { server.GetData(part, VarType::String, -1); }).Number(), 40014);
    EXPECT_EQ(Thrown([&] { client->SendData(Variant()); }).Number(), 40018);
    EXPECT_EQ(server.BytesReceived(), 3);
}

// The owner lets events run before taking the connection over; what arrived
// meanwhile, a close or a reset reaches the new owner from Accept.
TEST(SocketAccept, WhatHappenedBeforeAcceptIsDelivered) {
    enum class Peer { Stays, Closes, Resets };
    const SocketState after[] = {SocketState::Connected, SocketState::Closing, SocketState::Error};
    for (const Peer peer : {Peer::Stays, Peer::Closes, Peer::Resets}) {
        Host host;
        CSocketLink taker;
        EventLog log;
        log.Attach(taker);
        QString received;
        taker.OnDataArrival = [&](long n) {
            log.arrivals.push_back(n);
            received += ReadAll(taker);
        };
        const int raw = RawConnect(host.Port());
        if (peer != Peer::Resets) RawWrite(raw, "StartServidor:#Ana");
        if (peer == Peer::Closes) close(raw);
        if (peer == Peer::Resets) RawReset(raw);
        host.listener.OnConnectionRequest = [&](long id) {
            Pump(150);
            taker.Accept(id);
        };
        ASSERT_TRUE(WaitUntil([&] {
            return taker.State() != SocketState::Closed && log.closes == int(peer != Peer::Stays);
        }));
        EXPECT_TRUE(AcceptHolders.empty());
        EXPECT_EQ(received, peer == Peer::Resets ? "" : "StartServidor:#Ana");
        EXPECT_EQ(log.arrivals.size(), peer == Peer::Resets ? 0u : 1u);
        EXPECT_EQ(taker.State(), after[int(peer)]);
        if (peer == Peer::Stays) {
            taker.SendData("StartCliente:#Rui");
            EXPECT_EQ(RawRead(raw, 17), "StartCliente:#Rui");
            close(raw);
        }
        // The listener still takes the next connection.
        host.listener.OnConnectionRequest = [&](long id) {
            host.accepted.push_back(std::make_unique<CSocketLink>());
            host.accepted.back()->Accept(id);
        };
        EXPECT_EQ(ConnectedPair(host)->State(), SocketState::Connected);
    }
}

TEST(SocketListen, SecondListenerRefusedRelistenAllowed) {
    const long port = FreePort();
    {
        Host host(port);
        CSocketLink second;
        const SocketError e = Thrown([&] {
            second.Bind(int(port), "127.0.0.1");
            second.Listen();
        });
        EXPECT_EQ(e.Number(), 10048);
        // A game on the port, ended by the host first (its side lingers in TIME_WAIT).
        auto client = ConnectedPair(host);
        host.listener.CloseSck();
        host.Last()->CloseSck();
        ASSERT_TRUE(WaitUntil([&] { return client->State() == SocketState::Closing; }));
    }
    CSocketLink again;
    again.Bind(int(port), "127.0.0.1");
    again.Listen();
    EXPECT_EQ(again.State(), SocketState::Listening);
}

TEST(SocketClose, ReleasingInsideItsOwnEvents) {
    Host host;
    // Released from DataArrival while more data and the close are on their way.
    std::unique_ptr<CSocketLink> server;
    int eventsAfter = 0;
    host.listener.OnConnectionRequest = [&](long id) {
        server = std::make_unique<CSocketLink>();
        server->OnDataArrival = [&](long) { server.reset(); };
        server->OnCloseSck = [&] { ++eventsAfter; };
        server->Accept(id);
    };
    const int raw = RawConnect(host.Port());
    ASSERT_TRUE(WaitUntil([&] { return server != nullptr; }));
    RawWrite(raw, "first");
    ASSERT_TRUE(WaitUntil([&] { return server == nullptr; }));
    RawWrite(raw, "second");
    EXPECT_TRUE(RawSeesClose(raw)) << "releasing closed the connection";
    close(raw);
    Pump(50);
    EXPECT_EQ(eventsAfter, 0);

    // The listener released from its own ConnectionRequest.
    auto listener = std::make_unique<CSocketLink>();
    listener->Bind(0, "127.0.0.1");
    listener->Listen();
    listener->OnConnectionRequest = [&](long) { listener.reset(); };
    const int raw2 = RawConnect(listener->LocalPort());
    ASSERT_TRUE(WaitUntil([&] { return listener == nullptr; }));
    EXPECT_TRUE(RawSeesClose(raw2)) << "the pending connection is dropped too";
    EXPECT_TRUE(AcceptHolders.empty());
    close(raw2);

    // A client released from its Connect and from its Error event.
    auto client = std::make_unique<CSocketLink>();
    client->OnConnect = [&] { client.reset(); };
    client->Connect("127.0.0.1", host.Port());
    ASSERT_TRUE(WaitUntil([&] { return client == nullptr; }));
    auto refused = std::make_unique<CSocketLink>();
    refused->OnError = [&](int, const QString&, long, const QString&, const QString&, long, bool&) {
        refused.reset();
    };
    const RefusingPort nobody;
    refused->Connect("127.0.0.1", int(nobody.Port()));
    ASSERT_TRUE(WaitUntil([&] { return refused == nullptr; }));
    Pump(50);
}

TEST(SocketRules, ArgumentsAndStatesAreChecked) {
    const std::pair<Variant, int> ports[] = {
        {0, 40014}, {65536, 40014}, {"abc", 40018}, {"80x", 40018}, {Variant(Null{}), 40018}};
    const int fds = OpenDescriptors();
    for (const auto& [port, number] : ports) {
        CSocketLink s;
        EXPECT_EQ(Thrown([&] { s.Connect("127.0.0.1", port); }).Number(), number);
        EXPECT_EQ(s.State(), SocketState::Closed);
    }
    EXPECT_EQ(OpenDescriptors(), fds);
    CSocketLink s;
    Variant v;
    EXPECT_EQ(Thrown([&] { s.GetData(v); }).Number(), 40006);
    s.Bind(0, "127.0.0.1");
    s.Listen();
    EXPECT_EQ(Thrown([&] { s.Connect("127.0.0.1", 1); }).Number(), 40020);
}

// Accept refuses a handle that is no pending connection, and leaves something
// that is not a socket at all open.
TEST(SocketRules, AcceptRefusesWhatIsNotPendingAcceptance) {
    CSocketLink listener;
    listener.Bind(0, "127.0.0.1");
    listener.Listen();
    CSocketLink other;
    EXPECT_EQ(Thrown([&] { other.Accept(listener.SocketHandle()); }).Number(), 40006);
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    EXPECT_EQ(Thrown([&] { other.Accept(pipeFds[0]); }).Number(), 10038);
    EXPECT_EQ(other.SocketHandle(), -1);
    EXPECT_EQ(close(pipeFds[0]), 0) << "the descriptor must still be open";
    close(pipeFds[1]);
}

} // namespace
