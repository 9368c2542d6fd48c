// Volume and endurance: multi-megabyte transfers over several write-ready
// rounds, resets under load, hundreds of sequential connections, descriptor
// accounting, and UDP datagrams.
#include "NetTestSupport.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace corvane;
using namespace corvane::nettest;

namespace {

QByteArray Pattern(qsizetype size) {
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i) bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

// A host whose accepted objects append everything they receive to `received`.
struct Sink : Host {
    QByteArray received;
    Sink() {
        prepare = [this](CSocketLink& s) {
            s.OnDataArrival = [this, link = &s](long) {
                Variant chunk;
                link->GetData(chunk);
                received += *chunk.If<QByteArray>();
            };
        };
    }
};

TEST(SocketVolume, LargeSendTakesSeveralRoundsInOrder) {
    Sink host;
    EventLog log;
    auto client = ConnectedPair(host, &log);
    ASSERT_EQ(client->State(), SocketState::Connected);
    const QByteArray payload = Pattern(12 * 1024 * 1024);
    QElapsedTimer timer;
    timer.start();
    client->SendData(payload);
    client->SendData("#FIM"); // queued behind the first while it drains
    ASSERT_TRUE(WaitUntil([&] { return log.completes == 1; }, 30000));
    ASSERT_TRUE(WaitUntil([&] { return host.received.size() == payload.size() + 4; }, 30000));
    std::printf("[ figures ] %lld bytes in %lld ms, %zu progress rounds\n",
                static_cast<long long>(host.received.size()),
                static_cast<long long>(timer.elapsed()), log.progress.size());
    EXPECT_TRUE(host.received.startsWith(payload));
    EXPECT_TRUE(host.received.endsWith("#FIM"));

    ASSERT_GE(log.progress.size(), 2u) << "several write-ready rounds";
    long sent = 0;
    for (std::size_t i = 0; i < log.progress.size(); ++i) {
        sent += log.progress[i].first;
        const bool last = i + 1 == log.progress.size();
        EXPECT_EQ(log.progress[i].second == 0, last) << i;
        // The first round runs inside the first SendData, before "#FIM" is queued.
        const qsizetype queued = i == 0 ? payload.size() : payload.size() + 4;
        if (!last) {
            EXPECT_EQ(log.progress[i].second, queued - sent) << i;
        }
    }
    EXPECT_EQ(sent, payload.size() + 4);
    EXPECT_TRUE(log.errors.empty());
}

TEST(SocketVolume, ResetOrReleaseWhileSending) {
    long port = 0;
    const int rawListener = RawListen(port);
    for (const bool releaseInProgress : {false, true}) {
        const int fds = OpenDescriptors();
        auto client = std::make_unique<CSocketLink>();
        EventLog log;
        log.Attach(*client);
        if (releaseInProgress) client->OnSendProgress = [&](long, long) { client.reset(); };
        client->Connect("127.0.0.1", int(port));
        const int peer = RawAccept(rawListener);
        ASSERT_GE(peer, 0);
        ASSERT_TRUE(WaitUntil([&] { return client->State() == SocketState::Connected; }));
        // The peer reads nothing, so most of this stays queued.
        client->SendData(Pattern(16 * 1024 * 1024));
        if (releaseInProgress) {
            EXPECT_EQ(client, nullptr) << "released from its SendProgress";
            close(peer);
            Pump(20);
            EXPECT_EQ(OpenDescriptors(), fds);
            continue;
        }
        ASSERT_GT(log.progress.size(), 0u);
        EXPECT_GT(log.progress.back().second, 0);
        Pump(100);
        EXPECT_EQ(client->State(), SocketState::Connected) << "a silent peer is no failure";
        RawReset(peer);
        ASSERT_TRUE(WaitUntil([&] { return log.closes == 1; }));
        ASSERT_EQ(log.errors.size(), 1u);
        EXPECT_EQ(log.errors[0].first, 10054);
        EXPECT_EQ(client->State(), SocketState::Error);
        EXPECT_EQ(log.completes, 0);
        client->CloseSck();
        EXPECT_EQ(client->State(), SocketState::Closed);
    }
    close(rawListener);
}

TEST(SocketVolume, DescriptorsComeBackAfterManyCycles) {
    enum class End { ClientCloses, ServerCloses, ClientReleased, ServerReleased };
    Pump(20);
    const int fds = OpenDescriptors();
    {
        Host host;
        for (int i = 0; i < 160; ++i) {
            const End end = End(i % 4);
            auto client = ConnectedPair(host);
            ASSERT_EQ(client->State(), SocketState::Connected) << i;
            std::unique_ptr<CSocketLink> server = std::move(host.accepted.back());
            host.accepted.pop_back();
            client->SendData("Chat:#" + QString::number(i));
            ASSERT_TRUE(WaitUntil([&] { return server->BytesReceived() > 0; })) << i;
            if (end == End::ClientCloses) client->CloseSck();
            if (end == End::ServerCloses) server->CloseSck();
            if (end == End::ClientReleased) client.reset();
            if (end == End::ServerReleased) server.reset();
            // The other end sees the close.
            const bool clientEnded = end == End::ClientCloses || end == End::ClientReleased;
            CSocketLink* survivor = clientEnded ? server.get() : client.get();
            ASSERT_TRUE(WaitUntil([&] { return survivor->State() == SocketState::Closing; })) << i;
        }
    }
    Pump(50);
    EXPECT_EQ(OpenDescriptors(), fds);
    EXPECT_TRUE(RegisteredSockets.empty());
    EXPECT_TRUE(AcceptHolders.empty());
}

TEST(SocketVolume, HundredsOfSequentialConnections) {
    Host host;
    host.prepare = [](CSocketLink& s) {
        // Echo, as a peer answering the handshake would.
        s.OnDataArrival = [link = &s](long) {
            Variant text = QString();
            link->GetData(text);
            link->SendData("StartCliente:#" + text.ToString().section('#', 1));
        };
    };
    QElapsedTimer timer;
    timer.start();
    const int rounds = 300;
    int answered = 0;
    for (int i = 0; i < rounds; ++i) {
        CSocketLink client;
        QString reply;
        client.OnConnect = [&] { client.SendData("StartServidor:#p" + QString::number(i)); };
        client.OnDataArrival = [&](long) {
            Variant text = QString();
            client.GetData(text);
            reply += text.ToString();
        };
        client.Connect("127.0.0.1", host.Port());
        ASSERT_TRUE(WaitUntil([&] { return reply.size() >= 15; })) << i;
        answered += reply == "StartCliente:#p" + QString::number(i);
        client.CloseSck();
        host.accepted.clear();
    }
    EXPECT_EQ(answered, rounds);
    std::printf("[ figures ] %d sequential connections in %lld ms\n", rounds,
                static_cast<long long>(timer.elapsed()));
}

TEST(SocketDatagram, SendAndReceive) {
    CSocketLink receiver;
    receiver.SetProtocol(SocketProtocol::UDP);
    receiver.Bind(0, "127.0.0.1");
    ASSERT_EQ(receiver.State(), SocketState::Open);
    std::vector<QString> seen;
    std::vector<long> sizes;
    bool peekOnly = false;
    receiver.OnDataArrival = [&](long size) {
        sizes.push_back(size);
        Variant text = QString();
        if (peekOnly)
            receiver.PeekData(text);
        else
            receiver.GetData(text);
        seen.push_back(text.ToString());
    };

    CSocketLink sender;
    sender.SetProtocol(SocketProtocol::UDP);
    sender.SetRemoteHost("127.0.0.1");
    sender.SetRemotePort(receiver.LocalPort());
    sender.SendData("ola");
    EXPECT_EQ(sender.State(), SocketState::Open);
    ASSERT_TRUE(WaitUntil([&] { return seen.size() == 1; }));
    EXPECT_EQ(seen[0], "ola");
    EXPECT_EQ(sizes[0], 3);
    EXPECT_EQ(receiver.RemoteHostIP(), "127.0.0.1");
    EXPECT_EQ(receiver.RemotePort(), sender.LocalPort());

    // A datagram only peeked at is dropped after the event; the next one is separate.
    peekOnly = true;
    sender.SendData("primeiro");
    ASSERT_TRUE(WaitUntil([&] { return seen.size() == 2; }));
    peekOnly = false;
    sender.SendData("segundo");
    ASSERT_TRUE(WaitUntil([&] { return seen.size() == 3; }));
    EXPECT_EQ(seen[1], "primeiro");
    EXPECT_EQ(seen[2], "segundo");
    EXPECT_EQ(sizes[2], 7);
    EXPECT_EQ(receiver.BytesReceived(), 0);

    // Reading with a zero length drops the datagram and reports it.
    int number = 0;
    receiver.OnDataArrival = [&](long) {
        Variant v;
        try {
            receiver.GetData(v, VarType::String, 0);
        } catch (const SocketError& e) {
            number = e.Number();
        }
    };
    sender.SendData("x");
    ASSERT_TRUE(WaitUntil([&] { return number != 0; }));
    EXPECT_EQ(number, 10040);

    sender.SetRemoteHost("no-such-host.invalid");
    try {
        sender.SendData("x");
        ADD_FAILURE() << "sent to a name that does not resolve";
    } catch (const SocketError& e) {
        EXPECT_EQ(e.Number(), 40014);
        EXPECT_EQ(e.Description(), "Invalid argument");
        EXPECT_EQ(e.Source(), "CSocketLink.SendBufferedDataUDP");
    }
    // Connect on a datagram socket only binds it and names the peer.
    CSocketLink other;
    other.SetProtocol(SocketProtocol::UDP);
    other.Connect("127.0.0.1", receiver.LocalPort());
    EXPECT_EQ(other.State(), SocketState::Open);
    receiver.OnDataArrival = [&](long size) { sizes.push_back(size); };
    other.SendData(QByteArray(1000, 'u'));
    ASSERT_TRUE(WaitUntil([&] { return sizes.back() == 1000; }));
    EXPECT_EQ(receiver.BytesReceived(), 0) << "an unread datagram is dropped after the event";

    sender.CloseSck();
    receiver.CloseSck();
    EXPECT_EQ(receiver.State(), SocketState::Closed);
}

} // namespace
