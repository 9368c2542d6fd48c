// Volume and endurance: big transfers, resets under load, hundreds of connections, UDP.
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
    EXPECT_TRUE(host.received == payload + "#FIM");

    ASSERT_GE(log.progress.size(), 2u) << "several write-ready rounds";
    long sent = 0;
    for (std::size_t i = 0; i < log.progress.size(); ++i) {
        sent += log.progress[i].first;
        const bool last = i + 1 == log.progress.size();
        EXPECT_EQ(log.progress[i].second == 0, last) << i;
        // The first round runs inside the first SendData, before "#FIM" is queued.
        const qsizetype queued = i == 0 ? payload.size() : payload.size() + 4;
        EXPECT_TRUE(last || log.progress[i].second == queued - sent) << i;
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
        Pump(100);
        EXPECT_EQ(client->State(), SocketState::Connected) << "a silent peer is no failure";
        RawReset(peer);
        ASSERT_TRUE(WaitUntil([&] { return log.closes == 1; }));
        ASSERT_EQ(log.errors.size(), 1u);
        EXPECT_EQ(log.errors[0].first, 10054);
        EXPECT_EQ(log.completes, 0);
    }
    close(rawListener);
}

TEST(SocketVolume, DescriptorsComeBackAfterManyCycles) {
    enum class End { ClientCloses, ServerCloses, ClientReleased, ServerReleased };
    Pump(20);
    const int fds = OpenDescriptors();
    QElapsedTimer timer;
    timer.start();
    {
        Host host;
        for (int i = 0; i < 300; ++i) {
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
            const bool clientEnded = end == End::ClientCloses || end == End::ClientReleased;
            CSocketLink* survivor = clientEnded ? server.get() : client.get();
            ASSERT_TRUE(WaitUntil([&] { return survivor->State() == SocketState::Closing; })) << i;
        }
    }
    std::printf("[ figures ] 300 connections in %lld ms\n",
                static_cast<long long>(timer.elapsed()));
    Pump(50);
    EXPECT_EQ(OpenDescriptors(), fds);
    EXPECT_TRUE(RegisteredSockets.empty());
    EXPECT_TRUE(AcceptHolders.empty());
}

// Datagrams arrive one by one; one left unread is dropped after its event;
// Connect on a datagram socket only binds it and names the peer.
TEST(SocketDatagram, SendAndReceive) {
    CSocketLink receiver;
    receiver.SetProtocol(SocketProtocol::UDP);
    receiver.Bind(0, "127.0.0.1");
    std::vector<QString> seen;
    receiver.OnDataArrival = [&](long size) {
        Variant text = QString();
        if (size < 1000) receiver.GetData(text);
        seen.push_back(text.ToString());
    };
    CSocketLink sender;
    sender.SetProtocol(SocketProtocol::UDP);
    sender.Connect("127.0.0.1", receiver.LocalPort());
    EXPECT_EQ(sender.State(), SocketState::Open);
    for (const QByteArray& d : {QByteArray("ola"), QByteArray(1000, 'u'), QByteArray("segundo")})
        sender.SendData(d);
    ASSERT_TRUE(WaitUntil([&] { return seen.size() == 3; }));
    EXPECT_EQ(seen, (std::vector<QString>{"ola", "", "segundo"}));
    EXPECT_EQ(receiver.RemotePort(), sender.LocalPort());
    EXPECT_EQ(receiver.BytesReceived(), 0);
}

} // namespace
