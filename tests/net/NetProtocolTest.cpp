// The wire unit: cutting a byte stream into messages, move text shapes, and a scripted peer.
#include "net/NetProtocol.h"
#include "NetTestSupport.h"
#include "ScriptedPeer.h"

#include <QTest>
#include <gtest/gtest.h>

#include <random>

using namespace corvane;
using namespace corvane::nettest;

namespace {

using C = NetCommand;
using Messages = std::vector<NetMessage>;

// What the receiver makes of a whole stream that then falls quiet.
TEST(NetProtocol, StreamsAreCutAtTheCommandWords) {
    const QByteArray long600(600, 'y');
    struct Row {
        QByteArray bytes;
        Messages want;
    } rows[] = {
        {"Jogar:#WP e2-e4#Chat:#oi", {{C::Jogar, "WP e2-e4", ""}, {C::Chat, "oi", ""}}},
        {"Chat:#a#b Jogar: c#Jogar:#BP e7-e5#XEQUE",
         {{C::Chat, "a#b Jogar: c#", ""}, {C::Jogar, "BP e7-e5", "XEQUE"}}},
        {"Jogar:#WQ d1-h5#XEQUE-MATEJog", {{C::Jogar, "WQ d1-h5", "XEQUE-MATE"}}},
        {"Jogar:#WQ d1-h5#XEQUE#", {{C::Jogar, "WQ d1-h5", "XEQUE"}}},
        {"Chat:#Chat:#oi", {{C::Chat, "", ""}, {C::Chat, "oi", ""}}},
        {"Jogar:#WP e2-e4#FOO#x", {{C::Jogar, "WP e2-e4", ""}}},
        {"lixo#StartServidor:# AB\x01\tCD\x7f\x81 #EntregarJogo:#EntregarJogo:#",
         {{C::StartServidor, "ABCD", ""}, {C::EntregarJogo, "", ""}, {C::EntregarJogo, "", ""}}},
        {"StartCliente:#" + QByteArray(30, 'N'), {{C::StartCliente, QString(20, 'N'), ""}}},
        {"Chat:#" + long600, {{C::Chat, QString(500, 'y'), ""}}},
        {"Chat:#ol\xe1 \x80 <b>", {{C::Chat, QString::fromUtf8("olá € <b>"), ""}}},
        {"Jogo:#Chat", {}},
        // Extensions: the announcement after the nick, end marks, the extension word.
        {"StartServidor:#ANA#+CV1\x1e"
         "Chat:#a\x1e"
         "b",
         {{C::StartServidor, "ANA", "", true}, {C::Chat, "a", ""}}},
        {"StartServidor:#ANA#+CV2\x1e", {{C::StartServidor, "ANA", ""}}},
        {"Jogar:#WP e2-e4#\x1eJogar:#BP e7-e5#XEQUE\x1e",
         {{C::Jogar, "WP e2-e4", ""}, {C::Jogar, "BP e7-e5", "XEQUE"}}},
        {"Corvane:#VOLTAR?#0#12#2\x1e"
         "Corvane:#X\x01Y",
         {{C::Extension, "VOLTAR?", "0#12#2"}, {C::Extension, "XY", ""}}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ParseStream(r.bytes), r.want) << r.bytes.toPercentEncoding(" #:<>").data();
}

// When each message comes out as the bytes trickle in: "" in a row is the quiet
// timer's Flush, counts are cumulative.
TEST(NetProtocol, TheLastMessageIsHeldOnlyWhileItCanStillGrow) {
    struct Step {
        QByteArray bytes;
        std::size_t out;
        bool wantsFlush;
    };
    const std::vector<std::vector<Step>> rows = {
        {{"Jogar:#WP e2", 0, false}, {"", 0, false}, {"-e4#", 0, true}, {"", 1, false}},
        {{"Jogar:#WP e2-e4#XEQUE", 0, true}, {"Chat:#x", 1, true}, {"", 2, false}},
        {{"Jogar:#WP e2-e4#XEQUE-M", 0, false}, {"", 0, false}, {"ATEJog", 1, false}},
        {{"Chat:#oi Jog", 0, true}, {"ar:#WP e2-e4#EMPATE", 2, false}},
        {{"Entreg", 0, false}, {"arJogo:#", 1, false}},
        {{"StartServidor:#ZEZE", 0, true}, {"#", 0, true}, {"", 1, false}},
        // An end mark takes the message at once, without the quiet wait.
        {{"Jogar:#WP e2-e4#", 0, true}, {"\x1e", 1, false}},
        {{"Chat:#oi", 0, true}, {"\x1e", 1, false}},
        {{"StartServidor:#ZEZE#+C", 0, true}, {"V1", 0, true}, {"\x1e", 1, false}},
        {{"Corvane:#VIVO", 0, true}, {"\x1e", 1, false}},
    };
    for (const auto& row : rows) {
        NetReceiver receiver;
        std::size_t out = 0;
        for (const Step& s : row) {
            const auto result = s.bytes.isEmpty() ? receiver.Flush() : receiver.Feed(s.bytes);
            out += result.messages.size();
            EXPECT_EQ(out, s.out) << row.front().bytes.toStdString() << " + " << s.bytes.data();
            EXPECT_EQ(receiver.WantsFlush(), s.wantsFlush) << s.bytes.data();
        }
    }
}

// Whatever the builders send comes back whole through any cutting of the stream.
TEST(NetProtocol, BuiltMessagesSurviveAnyCutting) {
    const std::vector<std::pair<QString, NetMessage>> sent = {
        {StartServidorMessage("ZEZE"), {C::StartServidor, "ZEZE", "", true}},
        {StartClienteMessage("ANA"), {C::StartCliente, "ANA", "", true}},
        {ExtensionMessage("EMPATE?", {"1", "2"}) + QChar(EndMark),
         {C::Extension, "EMPATE?", "1#2"}},
        {ChatMessage("Corvane:#SIM#EMPATE#0#0") + QChar(EndMark),
         {C::Chat, "Corvane: #SIM#EMPATE#0#0", ""}},
        {ChatMessage("vamos Jogar:#WP e7-e5#XEQUE e Chat:#"),
         {C::Chat, "vamos Jogar: #WP e7-e5#XEQUE e Chat: #", ""}},
        {JogarMessage("BQ d8-h4", "XEQUE"), {C::Jogar, "BQ d8-h4", "XEQUE"}},
        {EntregarJogoMessage(), {C::EntregarJogo, "", ""}},
        {JogarMessage("WP e7-e8=WQ", "XEQUE-MATE"), {C::Jogar, "WP e7-e8=WQ", "XEQUE-MATE"}},
    };
    EXPECT_EQ(sent[4].first, "Chat:#vamos Jogar: #WP e7-e5#XEQUE e Chat: #");
    QByteArray stream;
    Messages want;
    for (const auto& [text, message] : sent) {
        stream += ToCodePage(text);
        want.push_back(message);
    }
    std::mt19937 random(12);
    for (int round = 0; round < 300; ++round) {
        NetReceiver receiver;
        Messages got;
        for (qsizetype at = 0; at < stream.size();) {
            const qsizetype n = std::uniform_int_distribution<qsizetype>(1, 9)(random);
            const auto r = receiver.Feed(stream.mid(at, n));
            got.insert(got.end(), r.messages.begin(), r.messages.end());
            at += n;
        }
        const auto r = receiver.Flush();
        got.insert(got.end(), r.messages.begin(), r.messages.end());
        ASSERT_EQ(got, want) << "round " << round;
    }
}

// Fields are read between separators, the text given the ones it lacks.
TEST(NetProtocol, GetFieldReadsBetweenSeparators) {
    const struct {
        const char* text;
        int n;
        const char *field, *after;
    } rows[] = {
        {"Jogar:#WP e2-e4#", 1, "Jogar:", "#Jogar:#WP e2-e4#"},
        {"Jogar:#WP e2-e4#", 2, "WP e2-e4", "#Jogar:#WP e2-e4#"},
        {"Jogar:#WP e2-e4#", 3, "", "#Jogar:#WP e2-e4#"},
        {"Jogar:#WP e2-e4#XEQUE", 3, "XEQUE", "#Jogar:#WP e2-e4#XEQUE#"},
        {"#a##b#", 3, "b", "#a##b#"},
        {"a", 0, "", "a"},
        {"a", 2, "", "#a#"},
    };
    for (const auto& r : rows) {
        QString text = r.text;
        EXPECT_EQ(GetField(text, r.n), r.field) << r.text << " " << r.n;
        EXPECT_EQ(text, r.after) << r.text << " " << r.n;
    }
}

TEST(NetProtocol, MoveTextsAreCheckedForShape) {
    for (const QString& m : QStringList{"BN g8xf6", "WK e1-g1", "WP e7-e8=WQ", "BP b2xa1=BN"})
        EXPECT_TRUE(IsWellFormedMove(m)) << m.toStdString();
    for (const QString& m : QStringList{
             "", "WP e2", "WP e2-e4 ", "wp e2-e4", "WX e2-e4", "WP e2+e4", "WP i2-e4", "WP e9-e4",
             "WPxe2-e4", "WP e2-e2", "WP e7-e8", "WN e7-e8=WQ", "WP e7-e8=BQ", "WP e7-e8=WK",
             "WP e6-e7=WQ", "BP e2-e1=WQ", "WP e7-e8=W", QString("WP e2-e") + QChar(0x0664)})
        EXPECT_FALSE(IsWellFormedMove(m)) << m.toStdString();
}

// Random bytes sprinkled with pieces of headers, fed in random pieces: every
// message that comes out is clean and bounded, and a flood is refused for good.
TEST(NetProtocol, HostileBytesNeverYieldUncleanMessages) {
    const QByteArray pieces[] = {"Chat:#",        "Jogar:#",        "#",   "XEQUE",
                                 "EntregarJogo:", "StartCliente:#", "Jog", ":#"};
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        NetReceiver receiver;
        for (int feed = 0; feed < 40 && !receiver.Overflowed(); ++feed) {
            QByteArray bytes;
            const int size = std::uniform_int_distribution<int>(0, round % 10 ? 64 : 20000)(rng);
            while (bytes.size() < size) {
                if (round % 10 && rng() % 4 == 0) bytes += pieces[rng() % std::size(pieces)];
                bytes += char(rng());
            }
            for (const NetMessage& m : receiver.Feed(bytes).messages) {
                EXPECT_TRUE(m.status.isEmpty() || StatusWord(m.status) == m.status);
                if (m.command == C::Jogar) {
                    EXPECT_LE(m.text.size(), MaxMoveTextKept);
                    continue;
                }
                EXPECT_LE(m.text.size(), m.command == C::Chat ? MaxChatLength : MaxNickLength);
                EXPECT_EQ(CleanText(m.text, MaxChatLength), m.text);
            }
            EXPECT_LE(receiver.Held(), MaxPending);
        }
        // Every tenth round is a flood of bare random bytes.
        ASSERT_EQ(receiver.Overflowed(), round % 10 == 0) << round;
        if (receiver.Overflowed()) {
            const auto after = receiver.Feed("EntregarJogo:#");
            EXPECT_TRUE(after.overflow && after.messages.empty() && receiver.Flush().overflow);
            receiver.Clear();
            EXPECT_EQ(receiver.Feed("EntregarJogo:#").messages.size(), 1u);
        }
    }
}

// Messages that arrive while a handler runs wait behind it, at most
// MaxWaitingMessages of them, whether they come one by one or in one read; one
// more is a flood: all that waited is dropped and nothing more is taken.
TEST(NetProtocol, MessagesWaitingBehindAHandlerAreBounded) {
    const QByteArray one = "EntregarJogo:#";
    struct Row {
        qsizetype waiting;
        bool oneRead;
    } rows[] = {{MaxWaitingMessages, false},
                {MaxWaitingMessages + 1, false},
                {MaxWaitingMessages + 1, true}};
    for (const Row& r : rows) {
        NetInbox inbox;
        int handled = 0, floods = 0;
        inbox.OnMessage = [&](const NetMessage&) {
            if (++handled > 1) return;
            if (r.oneRead) return inbox.Receive(one.repeated(r.waiting));
            for (qsizetype i = 0; i < r.waiting; ++i) inbox.Receive(one);
        };
        inbox.OnOverflow = [&](bool tooMany) { floods += tooMany ? 1 : 100; };
        inbox.Receive(one);
        inbox.Receive(one);
        const bool flood = r.waiting > MaxWaitingMessages;
        EXPECT_EQ(floods, flood ? 1 : 0) << r.waiting;
        EXPECT_EQ(handled, flood ? 1 : r.waiting + 2) << r.waiting;
        EXPECT_TRUE(inbox.Idle());
    }
}

// From a peer that ends its messages with marks, a message cut by a broken
// connection is never taken, neither after the quiet time nor at the close;
// from any other peer it is (the last chat line before a leave).
TEST(NetProtocol, APartOfAMarkedMessageIsNeverTaken) {
    for (const bool marked : {false, true}) {
        NetInbox inbox;
        inbox.TakeOnlyMarked(marked);
        QStringList taken;
        inbox.OnMessage = [&](const NetMessage& m) { taken << m.text; };
        inbox.Receive(QByteArray("Chat:#bom dia") + EndMark + "Chat:#boa s");
        QTest::qWait(QuietMs * 2);
        inbox.Flush();
        EXPECT_EQ(taken, marked ? QStringList{"bom dia"} : QStringList({"bom dia", "boa s"}));
    }
}

// Handshake both ways, messages one at a time even when a handler lets events run.
TEST(NetProtocol, HandshakeOverLoopbackWithAScriptedPeer) {
    for (const bool gameHosts : {true, false}) {
        Messages got;
        NetInbox inbox;
        std::unique_ptr<ScriptedPeer> peer;
        std::unique_ptr<Host> host;
        CSocketLink* link = nullptr;
        CSocketLink joiner;
        int depth = 0, deepest = 0;
        inbox.OnMessage = [&](const NetMessage& m) {
            deepest = std::max(deepest, ++depth);
            got.push_back(m);
            if (m.command == C::StartServidor)
                link->SendData(StartClienteMessage("ANA"));
            else if (got.size() == 2) { // events run inside, as under a modal announcement
                // Cut where no pause can make a part look whole.
                peer->SendSplit("Jogar:#BP e7-e5#XEQUE", {10, 17}, QuietMs * 2);
                QTest::qWait(QuietMs * 2);
            }
            --depth;
        };
        inbox.OnOverflow = [&](bool) { link->CloseSck(); };
        const auto attach = [&](CSocketLink& s) {
            link = &s;
            s.OnDataArrival = [&s, &inbox](long) {
                Variant bytes = QByteArray();
                s.GetData(bytes);
                inbox.Receive(*bytes.If<QByteArray>());
            };
        };
        if (gameHosts) {
            host = std::make_unique<Host>();
            host->prepare = attach;
            peer = ScriptedPeer::Connecting(host->Port());
            ASSERT_TRUE(peer->Connected());
            peer->Send(QString("StartServidor:#ZEZE"));
            ASSERT_TRUE(peer->WaitFor("StartCliente:#ANA"));
        } else {
            peer = ScriptedPeer::Listening();
            attach(joiner);
            joiner.OnConnect = [&] { joiner.SendData(StartServidorMessage("ANA")); };
            joiner.Connect("127.0.0.1", peer->Port());
            ASSERT_TRUE(peer->Accept());
            ASSERT_TRUE(peer->WaitFor("StartServidor:#ANA"));
            peer->Send(QString("StartCliente:#ZEZE"));
        }
        peer->Send(QByteArray("Jogar:#WP e2-e4#Chat:#oi # tudo?"));
        ASSERT_TRUE(WaitUntil([&] { return got.size() == 4 && inbox.Idle(); }));
        EXPECT_EQ(deepest, 1) << "a message was delivered inside another's handler";
        EXPECT_EQ(got, (Messages{{gameHosts ? C::StartServidor : C::StartCliente, "ZEZE", ""},
                                 {C::Jogar, "WP e2-e4", ""},
                                 {C::Chat, "oi # tudo?", ""},
                                 {C::Jogar, "BP e7-e5", "XEQUE"}}));
        peer->SendSplit(QByteArray(MaxPending + 1, 'A'), {MaxPending / 2}, 10);
        EXPECT_TRUE(peer->SeesClose());
        EXPECT_EQ(got.size(), 4u);
    }
}

} // namespace
