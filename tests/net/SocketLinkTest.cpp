// Connections over real loopback sockets: connecting by address and by name,
// accepting, the order and accounting of received data, closes and failures.
#include "NetTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

using namespace corvane;
using namespace corvane::nettest;

namespace {

QString ReadAll(CSocketLink& s) {
    Variant text = QString();
    s.GetData(text);
    return text.ToString();
}

TEST(SocketConnect, DottedAddressConnectsWithoutLookup) {
    Host host;
    long requestID = 0;
    QString peerIP;
    long peerPort = 0;
    host.listener.OnConnectionRequest = [&](long id) {
        requestID = id;
        peerIP = host.listener.RemoteHostIP();
        peerPort = host.listener.RemotePort();
        host.accepted.push_back(std::make_unique<CSocketLink>());
        host.accepted.back()->Accept(id);
    };
    EventLog log;
    auto client = ConnectedPair(host, &log);
    ASSERT_EQ(client->State(), SocketState::Connected);
    EXPECT_EQ(log.connects, 1);
    EXPECT_EQ(log.states, (std::vector{SocketState::Connecting, SocketState::Connected}))
        << "no lookup states for a dotted address";
    EXPECT_EQ(client->RemoteHost(), "127.0.0.1");
    EXPECT_EQ(client->RemoteHostIP(), "127.0.0.1");
    EXPECT_EQ(client->RemotePort(), host.Port());
    EXPECT_NE(client->LocalPort(), 0);
    EXPECT_EQ(client->LocalIP(), "127.0.0.1");

    CSocketLink* server = host.Last();
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(requestID, server->SocketHandle());
    EXPECT_EQ(peerIP, "127.0.0.1");
    EXPECT_EQ(peerPort, client->LocalPort());
    EXPECT_EQ(server->State(), SocketState::Connected);
    EXPECT_EQ(server->RemotePort(), client->LocalPort());
    // Still listening after the event: the listener's own values come back.
    EXPECT_EQ(host.listener.State(), SocketState::Listening);
    EXPECT_EQ(host.listener.RemotePort(), 0);
    EXPECT_EQ(host.listener.RemoteHostIP(), "");
    EXPECT_TRUE(AcceptHolders.empty());
}

// A name passes through the lookup states that a dotted address skips.
TEST(SocketConnect, NamePassesThroughLookupStates) {
    Host host;
    EventLog log;
    CSocketLink client;
    log.Attach(client);
    client.Connect("localhost", host.Port());
    EXPECT_EQ(client.State(), SocketState::ResolvingHost);
    ASSERT_TRUE(WaitUntil([&] { return client.State() == SocketState::Connected; }, 10000));
    EXPECT_EQ(log.states, (std::vector{SocketState::ResolvingHost, SocketState::HostResolved,
                                       SocketState::Connecting, SocketState::Connected}));
    EXPECT_EQ(client.RemoteHost(), "localhost") << "the text given to Connect stays";
    EXPECT_EQ(client.RemoteHostIP(), "127.0.0.1");
    for (std::size_t i = 1; i < LookupTable.Handles.size(); ++i)
        EXPECT_EQ(LookupTable.Handles[i], -1) << "the finished lookup left the lookup table";
}

TEST(SocketConnect, FailuresEndInErrorWithTheirNumbers) {
    struct Row {
        QString host;
        long port;
        std::vector<int> numbers; // acceptable error numbers
        QString source;
    };
    const std::vector<Row> rows = {
        {"127.0.0.1", FreePort(), {10061}, "CSocketLink.PostSocket"},
        {"no-such-host.invalid", FreePort(), {11001, 11002, 11003}, "CSocketLink.ConnectToIP"},
        {"", FreePort(), {11001, 11003}, "CSocketLink.ConnectToIP"},
    };
    // Each row runs twice: the first lookup of the process starts the resolver's
    // threads, which keep descriptors of their own.
    bool resolverStarted = false;
    for (const std::size_t index : {0, 1, 1, 2}) {
        const Row& row = rows[index];
        const bool countDescriptors = index != 1 || resolverStarted;
        resolverStarted = resolverStarted || index == 1;
        const int fds = OpenDescriptors();
        {
            CSocketLink client;
            EventLog log;
            log.Attach(client);
            client.Connect(row.host, int(row.port));
            ASSERT_TRUE(WaitUntil([&] { return !log.errors.empty(); }, 15000))
                << row.host.toStdString();
            EXPECT_EQ(client.State(), SocketState::Error);
            EXPECT_NE(std::find(row.numbers.begin(), row.numbers.end(), log.errors[0].first),
                      row.numbers.end())
                << log.errors[0].first;
            EXPECT_EQ(log.errors[0].second, row.source);
            EXPECT_EQ(log.descriptions[0], ErrorDescription(log.errors[0].first));
            EXPECT_EQ(log.connects, 0);
            EXPECT_EQ(log.closes, 0);
            client.CloseSck();
            EXPECT_EQ(client.State(), SocketState::Closed);
        }
        Pump(20);
        if (countDescriptors) {
            EXPECT_EQ(OpenDescriptors(), fds) << row.host.toStdString();
        }
    }
}

TEST(SocketConnect, ClearingCancelDisplayShowsTheError) {
    CSocketLink client;
    QString shownText, shownTitle;
    client.OnError = [](int, const QString&, long, const QString&, const QString&, long,
                        bool& cancel) { cancel = false; };
    client.OnShowError = [&](const QString& text, const QString& title) {
        shownText = text;
        shownTitle = title;
    };
    client.Connect("127.0.0.1", int(FreePort()));
    ASSERT_TRUE(WaitUntil([&] { return !shownText.isEmpty(); }));
    EXPECT_EQ(shownText, "Connection refused.");
    EXPECT_EQ(shownTitle, "CSocketLink.PostSocket");
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
        if (client) {
            EXPECT_EQ(client->State(), SocketState::Closed);
        }
    }
}

TEST(SocketData, SendsArriveInOrderAndAccumulate) {
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

    Variant peek = QString();
    server.PeekData(peek);
    EXPECT_EQ(peek.ToString(), "Jogar:#WP e2-e4#Chat:#oixyz");
    EXPECT_EQ(server.BytesReceived(), 27) << "PeekData leaves the buffer";
    Variant part;
    server.GetData(part, VarType::String, 6);
    EXPECT_EQ(part.Type(), VarType::String);
    EXPECT_EQ(part.ToString(), "Jogar:");
    EXPECT_EQ(server.BytesReceived(), 21);
    Variant bytes;
    server.PeekData(bytes, std::nullopt, "all"); // a non-numeric length means everything
    EXPECT_EQ(bytes.Type(), VarType::ByteArray);
    EXPECT_EQ(bytes.If<QByteArray>()->size(), 21);
    EXPECT_EQ(ReadAll(server), "#WP e2-e4#Chat:#oixyz");
    EXPECT_EQ(server.BytesReceived(), 0);
    Variant empty = QString("stale");
    server.GetData(empty);
    EXPECT_EQ(empty.ToString(), "");
}

TEST(SocketData, TypedReadsTakeExactSizes) {
    Host host;
    auto client = ConnectedPair(host);
    CSocketLink& server = *host.Last();
    client->SendData(std::int16_t(-2));
    client->SendData(0x7fffffff);
    client->SendData(2.5);
    client->SendData(true);
    client->SendData(QByteArray("\x01\x02\x03", 3));
    ASSERT_TRUE(WaitUntil([&] { return server.BytesReceived() == 2 + 4 + 8 + 2 + 3; }));

    Variant v = std::int16_t(0);
    server.GetData(v);
    EXPECT_EQ(v, Variant(std::int16_t(-2)));
    v = Variant();
    server.GetData(v, VarType::Long);
    EXPECT_EQ(v, Variant(0x7fffffff));
    v = 0.0;
    server.PeekData(v);
    EXPECT_EQ(v, Variant(2.5));
    server.GetData(v);
    v = false;
    server.GetData(v);
    EXPECT_EQ(v, Variant(true));
    v = 7; // a 32-bit read with three bytes left takes nothing
    server.GetData(v);
    EXPECT_EQ(v, Variant(7));
    EXPECT_EQ(server.BytesReceived(), 3);

    struct Row {
        std::function<void()> call;
        int number;
    };
    Variant out, null = Null{};
    const std::vector<Row> rows = {
        {[&] { server.GetData(out, VarType::String, -1); }, 40014},
        {[&] { server.GetData(null); }, 40018},
        {[&] { client->SendData(Variant()); }, 40018},
        {[&] { client->SendData(Variant(Null{})); }, 40018},
    };
    for (const Row& row : rows) {
        try {
            row.call();
            ADD_FAILURE() << "no error for " << row.number;
        } catch (const SocketError& e) {
            EXPECT_EQ(e.Number(), row.number);
        }
    }
    server.GetData(out, VarType::ByteArray, 0);
    EXPECT_EQ(out, Variant(QByteArray()));
    EXPECT_EQ(server.BytesReceived(), 3);
}

TEST(SocketAccept, UnacceptedConnectionIsClosedAtOnce) {
    Host host;
    int requests = 0;
    host.listener.OnConnectionRequest = [&](long) { ++requests; };
    const int fds = OpenDescriptors();
    const int raw = RawConnect(host.Port());
    ASSERT_GE(raw, 0);
    EXPECT_TRUE(RawSeesClose(raw));
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(AcceptHolders.empty());
    EXPECT_EQ(host.listener.State(), SocketState::Listening);
    close(raw);
    Pump(20);
    EXPECT_EQ(OpenDescriptors(), fds);
}

TEST(SocketAccept, BytesBeforeAcceptAreDelivered) {
    // The owner lets events run before taking the connection over; what arrived
    // meanwhile (and a close) reaches the new owner from Accept.
    for (const bool peerCloses : {false, true}) {
        Host host;
        const long port = host.Port();
        CSocketLink taker;
        EventLog log;
        log.Attach(taker);
        QString received;
        taker.OnDataArrival = [&](long n) {
            log.arrivals.push_back(n);
            received += ReadAll(taker);
        };
        const int raw = RawConnect(host.Port());
        RawWrite(raw, "StartServidor:#Ana");
        if (peerCloses) close(raw);
        host.listener.OnConnectionRequest = [&](long id) {
            Pump(150);
            host.listener.CloseSck(); // as the game does: one peer only
            taker.Accept(id);
        };
        ASSERT_TRUE(WaitUntil([&] { return taker.State() != SocketState::Closed; }));
        EXPECT_EQ(log.arrivals, std::vector<long>{18});
        EXPECT_EQ(received, "StartServidor:#Ana");
        EXPECT_EQ(log.closes, peerCloses ? 1 : 0);
        EXPECT_EQ(taker.State(), peerCloses ? SocketState::Closing : SocketState::Connected);
        EXPECT_EQ(taker.RemoteHostIP(), "127.0.0.1");
        EXPECT_EQ(host.listener.State(), SocketState::Closed);
        EXPECT_TRUE(AcceptHolders.empty());
        if (!peerCloses) {
            taker.SendData("StartCliente:#Rui");
            EXPECT_EQ(RawRead(raw, 17), "StartCliente:#Rui");
            RawWrite(raw, "Chat:#x");
            ASSERT_TRUE(WaitUntil([&] { return received.endsWith("Chat:#x"); }));
            close(raw);
            ASSERT_TRUE(WaitUntil([&] { return log.closes == 1; }));
            EXPECT_EQ(taker.State(), SocketState::Closing);
        }
        EXPECT_LT(RawConnect(port), 0) << "nobody listens after the take-over";
        taker.CloseSck();
        EXPECT_EQ(taker.State(), SocketState::Closed);
    }
}

TEST(SocketAccept, PeerResetBeforeAcceptIsReportedOnTakeOver) {
    Host host;
    CSocketLink taker;
    EventLog log;
    log.Attach(taker);
    host.listener.OnConnectionRequest = [&](long id) {
        Pump(150);
        taker.Accept(id);
    };
    RawReset(RawConnect(host.Port()));
    ASSERT_TRUE(WaitUntil([&] { return log.closes == 1; }));
    EXPECT_EQ(taker.State(), SocketState::Error);
    EXPECT_EQ(host.listener.State(), SocketState::Listening);
    taker.CloseSck();
    EXPECT_EQ(taker.State(), SocketState::Closed);
    // The listener still takes the next connection.
    EventLog second;
    auto client = std::make_unique<CSocketLink>();
    second.Attach(*client);
    host.listener.OnConnectionRequest = [&](long id) {
        host.accepted.push_back(std::make_unique<CSocketLink>());
        host.accepted.back()->Accept(id);
    };
    client->Connect("127.0.0.1", host.Port());
    ASSERT_TRUE(WaitUntil([&] { return second.connects == 1 && !host.accepted.empty(); }));
}

TEST(SocketListen, SecondListenerRefusedRelistenAllowed) {
    const long port = FreePort();
    {
        Host host(port);
        ASSERT_EQ(host.listener.State(), SocketState::Listening);
        // A second listener on the port (both ask for address reuse) is refused.
        CSocketLink second;
        try {
            second.Bind(int(port), "127.0.0.1");
            second.Listen();
            ADD_FAILURE() << "two listeners on one port";
        } catch (const SocketError& e) {
            EXPECT_EQ(e.Number(), 10048);
            EXPECT_EQ(e.Description(), "Address already in use.");
            EXPECT_EQ(e.Source(), "CSocketLink.BindInternal");
        }
        // A game on the port, ended by the host first (its side lingers in TIME_WAIT).
        auto client = ConnectedPair(host);
        host.listener.CloseSck();
        host.Last()->CloseSck();
        ASSERT_TRUE(WaitUntil([&] { return client->State() == SocketState::Closing; }));
        client->CloseSck();
    }
    CSocketLink again;
    again.Bind(int(port), "127.0.0.1");
    again.Listen();
    EXPECT_EQ(again.State(), SocketState::Listening);
    EXPECT_EQ(again.LocalPort(), port);
}

TEST(SocketClose, PeerLeavingMidMessageOrByReset) {
    struct Row {
        bool reset;
        SocketState after;
        int errors;
    };
    for (const Row& row : {Row{false, SocketState::Closing, 0}, Row{true, SocketState::Error, 1}}) {
        Host host;
        EventLog log;
        QString received;
        host.prepare = [&](CSocketLink& s) {
            log.Attach(s);
            s.OnDataArrival = [&, link = &s](long) { received += ReadAll(*link); };
        };
        const int raw = RawConnect(host.Port());
        ASSERT_TRUE(WaitUntil([&] { return host.Last() != nullptr; }));
        RawWrite(raw, "Jogar:#WP e2");
        ASSERT_TRUE(WaitUntil([&] { return received.size() == 12; }));
        if (row.reset)
            RawReset(raw);
        else
            close(raw);
        ASSERT_TRUE(WaitUntil([&] { return log.closes == 1; }));
        EXPECT_EQ(received, "Jogar:#WP e2");
        EXPECT_EQ(host.Last()->State(), row.after);
        ASSERT_EQ(int(log.errors.size()), row.errors);
        if (row.reset) {
            EXPECT_EQ(log.errors[0].first, 10054);
            EXPECT_EQ(log.errors[0].second, "CSocketLink.PostSocket");
        }
        Pump(50);
        EXPECT_EQ(log.closes, 1) << "the close is reported once";
        host.Last()->CloseSck();
        EXPECT_EQ(host.Last()->State(), SocketState::Closed);
    }
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
    close(raw2);
    EXPECT_TRUE(AcceptHolders.empty());

    // A client released from its Connect and from its Error event.
    auto client = std::make_unique<CSocketLink>();
    client->OnConnect = [&] { client.reset(); };
    client->Connect("127.0.0.1", host.Port());
    ASSERT_TRUE(WaitUntil([&] { return client == nullptr; }));
    auto refused = std::make_unique<CSocketLink>();
    refused->OnError = [&](int, const QString&, long, const QString&, const QString&, long, bool&) {
        refused.reset();
    };
    refused->Connect("127.0.0.1", int(FreePort()));
    ASSERT_TRUE(WaitUntil([&] { return refused == nullptr; }));
    Pump(50);
}

} // namespace
