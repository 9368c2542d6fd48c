// Error texts, error numbers, the handle tables, the value conversions and the
// argument and state rules of the socket object (no traffic needed).
#include "NetTestSupport.h"
#include "net/SocketHelpers.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>

using namespace corvane;
using namespace corvane::nettest;

namespace {

// Runs f and returns the SocketError it threw (number -1 when none).
template <class F> SocketError Thrown(F&& f) {
    try {
        f();
    } catch (const SocketError& e) {
        return e;
    }
    return SocketError(-1, QString(), QString());
}

// The texts the player may read, and the numbers the system's errors become.
TEST(SocketErrors, NumbersAndTexts) {
    const std::vector<std::pair<int, const char*>> texts = {
        {10048, "Address already in use."},
        {10054, "Connection reset by peer."},
        {10061, "Connection refused."},
        {11001, "Host not found."},
        {10059, "Unknown error."},
        {0, "Unknown error."},
        {7, "Out of memory"},
        {40006, "Wrong protocol or connection state for the requested transaction or request"},
        {40020, "Invalid operation at current state"},
    };
    for (const auto& [code, text] : texts) EXPECT_EQ(ErrorDescription(code), text) << code;
    EXPECT_EQ(ErrorText(40006), "Unknown error."); // the platform table has only platform codes
    const std::vector<std::pair<int, int>> numbers = {{EINPROGRESS, 10035},
                                                      {EAGAIN, 10035},
                                                      {ECONNREFUSED, 10061},
                                                      {EADDRINUSE, 10048},
                                                      {ECONNRESET, 10054},
                                                      {EPIPE, 10054},
                                                      {ENOTSOCK, 10038},
                                                      {EMSGSIZE, 10040},
                                                      {ETIMEDOUT, 10060},
                                                      {EHOSTUNREACH, 10065},
                                                      {0, 0}};
    for (const auto& [err, wsa] : numbers) EXPECT_EQ(WsaFromErrno(err), wsa) << err;
    // Anything off the table keeps a number whose text is the unknown one.
    EXPECT_EQ(ErrorText(WsaFromErrno(ENOENT)), "Unknown error.");
}

TEST(SocketRegistry, HandleTableReusesReleasedSlotsFirst) {
    HandleTable table;
    CSocketLink* a = reinterpret_cast<CSocketLink*>(0x10);
    CSocketLink* b = reinterpret_cast<CSocketLink*>(0x20);
    table.Register(5, a);
    table.Register(6, a);
    table.Register(7, b);
    table.Register(6, b); // already present: nothing changes
    EXPECT_EQ(table.Slots(), 3u);
    EXPECT_EQ(table.Owner(6), a);
    table.Release(6);
    EXPECT_EQ(table.Find(6), 0u);
    EXPECT_EQ(table.Handles[2], -1);
    table.Register(9, b);
    EXPECT_EQ(table.Find(9), 2u) << "the released slot is reused";
    EXPECT_EQ(table.Slots(), 3u);
    table.Register(11, a);
    EXPECT_EQ(table.Find(11), 4u) << "grown by one when no slot is free";
    EXPECT_EQ(table.Owner(42), nullptr);
}

TEST(SocketRegistry, InstanceCounterFollowsObjects) {
    const int before = InstanceCount;
    {
        CSocketLink one, two;
        EXPECT_EQ(InstanceCount, before + 2);
    }
    EXPECT_EQ(InstanceCount, before);
}

TEST(SocketValues, CodePageAndScalarImages) {
    const QString text = QString::fromUtf8("Xeque! ação € “ok” Ÿ");
    const QByteArray wire = ToCodePage(text);
    EXPECT_EQ(wire.size(), text.size());
    EXPECT_EQ(wire.at(wire.indexOf("o ") + 2), char(0x80)); // the euro sign
    EXPECT_EQ(FromCodePage(wire), text);
    EXPECT_EQ(ToCodePage(QString::fromUtf8("я")), "?");

    struct Row {
        Variant value;
        QByteArray bytes;
    };
    const std::vector<Row> rows = {
        {Variant(true), QByteArray("\xff\xff", 2)},
        {Variant(false), QByteArray("\0\0", 2)},
        {Variant(std::int16_t(0x1234)), QByteArray("\x34\x12", 2)},
        {Variant(std::uint8_t(0xAB)), QByteArray("\xab", 1)},
        {Variant(0x01020304), QByteArray("\x04\x03\x02\x01", 4)},
        {Variant(1.0f), QByteArray("\0\0\x80\x3f", 4)},
        {Variant(1.0), QByteArray("\0\0\0\0\0\0\xf0\x3f", 8)},
        {Variant(Currency{10000}), QByteArray("\x10\x27\0\0\0\0\0\0", 8)},
    };
    for (const Row& row : rows) {
        bool ok = false;
        EXPECT_EQ(ScalarBytes(row.value, ok), row.bytes) << int(row.value.Type());
        EXPECT_TRUE(ok);
        EXPECT_EQ(ScalarFromBytes(row.value.Type(), row.bytes.constData()), row.value);
    }
    bool ok = true;
    ScalarBytes(Variant(Null{}), ok);
    EXPECT_FALSE(ok);
}

TEST(SocketRules, ConnectArgumentsAreChecked) {
    struct Row {
        Variant port;
        int number;
    };
    const std::vector<Row> rows = {{0, 40014},     {65536, 40014},  {-1, 40014},
                                   {"abc", 40018}, {"", 40018},     {Variant(Null{}), 40018},
                                   {"80x", 40018}, {70000.0, 40014}};
    const int fds = OpenDescriptors();
    for (const Row& row : rows) {
        CSocketLink s;
        const SocketError e = Thrown([&] { s.Connect("127.0.0.1", row.port); });
        EXPECT_EQ(e.Number(), row.number) << row.port.ToString().toStdString();
        EXPECT_EQ(e.Source(), "CSocketLink.Connect");
        EXPECT_EQ(e.Description(), ErrorDescription(row.number));
        EXPECT_EQ(s.State(), SocketState::Closed);
    }
    EXPECT_EQ(OpenDescriptors(), fds);
}

TEST(SocketRules, PropertyRules) {
    CSocketLink s;
    Variant v;
    struct Row {
        std::function<void()> call;
        int number;
        const char* source;
    };
    const std::vector<Row> closedRows = {
        {[&] { s.SetRemotePort(65536); }, 40014, "CSocketLink.RemotePort"},
        {[&] { s.SetRemotePort(-1); }, 40014, "CSocketLink.RemotePort"},
        {[&] { s.SetLocalPort(70000); }, 40014, "CSocketLink.LocalPort"},
        {[&] { s.Bind(65536); }, 40014, "CSocketLink.Bind"},
        {[&] { s.Bind("x"); }, 40018, "CSocketLink.Bind"},
        {[&] { s.Bind(0, "no-such-host.invalid"); }, 40014, "CSocketLink.BindInternal"},
        {[&] { s.SendData("x"); }, 40006, "CSocketLink.SendData"},
        {[&] { s.GetData(v); }, 40006, "CSocketLink.GetData"},
        {[&] { s.PeekData(v); }, 40006, "CSocketLink.PeekData"},
    };
    for (const Row& row : closedRows) {
        const SocketError e = Thrown(row.call);
        EXPECT_EQ(e.Number(), row.number) << row.source;
        EXPECT_EQ(e.Source(), row.source);
    }
    EXPECT_EQ(Thrown([&] { s.Bind(0, "no-such-host.invalid"); }).Description(), "Invalid argument");
    s.SetRemotePort(0);
    s.SetRemotePort(65535);
    s.SetLocalPort(0);

    s.Bind(0, "127.0.0.1");
    ASSERT_EQ(s.State(), SocketState::Open);
    EXPECT_NE(s.LocalPort(), 0);
    s.Listen();
    ASSERT_EQ(s.State(), SocketState::Listening);
    const std::vector<Row> listeningRows = {
        {[&] { s.SetRemotePort(1); }, 40020, "CSocketLink.RemotePort"},
        {[&] { s.SetRemoteHost("a"); }, 40020, "CSocketLink.RemoteHost"},
        {[&] { s.SetLocalPort(1); }, 40020, "CSocketLink.LocalPort"},
        {[&] { s.SetProtocol(SocketProtocol::UDP); }, 40020, "CSocketLink.Protocol"},
        {[&] { s.Connect("127.0.0.1", 1); }, 40020, "CSocketLink.Connect"},
        {[&] { s.Bind(); }, 40020, "CSocketLink.Bind"},
        {[&] { s.Listen(); }, 40020, "CSocketLink.Listen"},
        {[&] { s.Accept(3); }, 40020, "CSocketLink.Accept"},
        {[&] { s.SendData("x"); }, 40006, "CSocketLink.SendData"},
    };
    for (const Row& row : listeningRows) {
        const SocketError e = Thrown(row.call);
        EXPECT_EQ(e.Number(), row.number) << row.source;
        EXPECT_EQ(e.Source(), row.source);
    }
    s.CloseSck();
    EXPECT_EQ(s.State(), SocketState::Closed);
    EXPECT_EQ(s.SocketHandle(), -1);
    s.SetProtocol(SocketProtocol::UDP);
    s.Bind(0, "127.0.0.1");
    s.SetRemotePort(9); // UDP: the peer may change at any time
    s.SetRemoteHost("127.0.0.1");
    EXPECT_EQ(s.RemotePort(), 9);
}

TEST(SocketRules, AcceptRefusesWhatIsNotPendingAcceptance) {
    CSocketLink listener;
    listener.Bind(0, "127.0.0.1");
    listener.Listen();
    CSocketLink other;
    // A registered socket that is no incoming connection.
    SocketError e = Thrown([&] { other.Accept(listener.SocketHandle()); });
    EXPECT_EQ(e.Number(), 40006);
    EXPECT_EQ(other.SocketHandle(), -1);
    // Something that is not a socket at all is left alone.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    e = Thrown([&] { other.Accept(pipeFds[0]); });
    EXPECT_EQ(e.Number(), 10038);
    EXPECT_EQ(e.Source(), "CSocketLink.ProcessOptions");
    EXPECT_EQ(other.SocketHandle(), -1);
    EXPECT_EQ(close(pipeFds[0]), 0) << "the descriptor must still be open";
    close(pipeFds[1]);
}

TEST(SocketRules, HostNameAndLocalAddress) {
    CSocketLink s;
    const QString name = s.LocalHostName();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_FALSE(name.contains(QChar(0)));
    try {
        std::uint32_t a = 0;
        const QString ip = s.LocalIP();
        EXPECT_TRUE(ParseDotted(ip, a)) << ip.toStdString();
    } catch (const SocketError& e) {
        // A machine whose own name does not resolve reports a lookup error.
        EXPECT_EQ(e.Source(), "CSocketLink.GetLocalIP");
        EXPECT_GE(e.Number(), 11001);
    }
}

} // namespace
