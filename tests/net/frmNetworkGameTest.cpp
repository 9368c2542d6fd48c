// Network play against a scripted peer on 127.0.0.1: a real main window, the
// handshake from both sides, a whole game both ways, the colour swap, chat,
// and a peer that sends what it must not or goes away.
#include "NetworkGameFixture.h"
#include "files/modINI.h"

#include <QTemporaryDir>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvane;
using namespace corvane::nettest;
using corvane::testing::Sq;

namespace {

// One game, White first: en passant, two promotions, castling, a mate; some
// moves name a square and the tag it must then hold.
struct Ply {
    const char *move, *square = nullptr, *tag = nullptr;
};
// clang-format off
const Ply kGame[] = {
    {"WP e2-e4"}, {"BP a7-a5"}, {"WP e4-e5"}, {"BP d7-d5"}, {"WP e5-d6", "d5", ""},
    {"BP a5-a4"}, {"WP d6xc7"}, {"BP a4-a3"}, {"WP c7xb8=WQ", "b8", "WQ"}, {"BR a8xb8"},
    {"WN g1-h3"}, {"BP a3xb2"}, {"WB f1-c4"}, {"BB c8-d7"}, {"WK e1-g1", "f1", "WR"},
    {"BP b2xa1=BQ", "a1", "BQ"}, {"WQ d1-f3"}, {"BP h7-h6"}, {"WQ f3xf7"}};
// clang-format on
constexpr int kMatePly = 18;

class NetworkGameTest : public NetworkGameFixture {
protected:
    // Plays kGame: the local side's moves by mouse, the peer's over the wire.
    void PlayGame(bool localWhite) {
        QByteArray expected = peer->Received();
        for (int i = 0; i < int(std::size(kGame)); ++i) {
            const std::string move = kGame[i].move;
            const std::string message =
                "Jogar:#" + move + "#" + (i == kMatePly ? "XEQUE-MATE" : "");
            if ((i % 2 == 0) == localWhite) {
                if (move.find('=') != std::string::npos) ChooseLater(4, localWhite);
                Drag(move.substr(3, 2), move.substr(6, 2));
                ASSERT_TRUE(peer->WaitFor(expected += QByteArray::fromStdString(message))) << move;
            } else {
                peer->Send(QString::fromStdString(message));
                ASSERT_TRUE(WaitUntil([&] {
                    return i == kMatePly ? window->LocalIsWhite() != localWhite
                                         : !window->WaitingForPeer();
                })) << move;
            }
            if (kGame[i].square != nullptr) {
                EXPECT_EQ(TagAt(kGame[i].square), kGame[i].tag) << move;
            }
        }
        EXPECT_EQ(peer->Received(), expected);
        EXPECT_EQ(messages.back(), "XEQUE-MATE");
    }
};

TEST_F(NetworkGameTest, AWholeGameEitherWayThenTheColoursSwapAtEveryEnd) {
    for (const bool host : {true, false}) {
        sounds.played.clear();
        Connect(host);
        ExpectSides(host, "after the handshake");
        EXPECT_EQ(tip, "Entregar");
        EXPECT_EQ(sounds.Count(10), 1);
        int keepAlive = 0, idle = 0;
        socklen_t size = sizeof(int);
        const int fd = int(session->Socket()->SocketHandle());
        getsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &keepAlive, &size);
        getsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, &size);
        EXPECT_TRUE(keepAlive && idle == KeepIdleSeconds);
        ASSERT_TRUE(session->Chat());
        EXPECT_TRUE(session->Chat()->isVisible() && !session->Chat()->isModal());
        // The peer opens the next game while this side still shows its mate.
        if (host) {
            WhenThen([this] { return peer->Received().endsWith("XEQUE-MATE"); },
                     [this] { peer->Send(QStringLiteral("Jogar:#WP d2-d4#")); });
        }
        PlayGame(host);
        if (host) {
            ASSERT_TRUE(WaitUntil([this] { return !window->WaitingForPeer(); }));
            EXPECT_EQ(TagAt("d4") + SideToMove, "WPB");
        } else {
            ExpectSides(!host, "after the mate");
        }
        // The host resigns the next game, or the peer does: the colours swap again.
        if (host) {
            session->Resign();
            EXPECT_TRUE(peer->WaitFor("EntregarJogo:#"));
            EXPECT_EQ(messages.back(), "AGUARDE ENQUANTO INICIA O JOGO...");
        } else {
            peer->Send(QStringLiteral("EntregarJogo:#"));
            ASSERT_TRUE(WaitUntil([&] { return !window->LocalIsWhite(); }));
            EXPECT_EQ(messages.back(), "ZEZE ENTREGOU O JOGO.");
        }
        ExpectSides(host, "after the resignation");
        session->CloseConnection();
        EXPECT_TRUE(peer->SeesClose());
        EXPECT_EQ(tip, "Reniciar jogo");
    }
}

TEST_F(NetworkGameTest, ChatGluedToAMoveAndSplitMessagesArriveWhole) {
    Connect(false);
    peer->Send(QStringLiteral("Jogar:#WP e2-e4#Chat:#oi # tudo bem?"));
    ASSERT_TRUE(WaitUntil(
        [this] { return session->Chat()->txtChat.toPlainText() == "ZEZE : oi # tudo bem?\n"; }));
    Drag("e7", "e5");
    ASSERT_TRUE(peer->WaitFor("Jogar:#BP e7-e5#"));
    peer->SendSplit("Jogar:#WN g1-f3#", {3, 11}, 30);
    ASSERT_TRUE(WaitUntil([this] { return !window->WaitingForPeer(); }));
    EXPECT_EQ(TagAt("f3") + TagAt("e4"), "WNWP");
    session->Chat()->txtEnviar.setText("bom # jogo");
    Q_EMIT session->Chat()->txtEnviar.returnPressed();
    EXPECT_TRUE(peer->WaitFor("Chat:#bom # jogo"));
}

TEST_F(NetworkGameTest, AMoveThatMayNotBePlayedEndsTheConnection) {
    struct Row {
        const char* what;
        QString sent, refused;
    } rows[] = {
        {"illegal", "Jogar:#BP e7-e4#", "BP e7-e4"},
        {"the local colour", "Jogar:#WP d2-d4#", "WP d2-d4"},
        {"out of turn", "Jogar:#BP e7-e5#Jogar:#BP d7-d5#", "BP d7-d5"},
        {"no piece there", "Jogar:#BQ d5-d4#", "BQ d5-d4"},
        {"malformed", "Jogar:#BP e7-e5;rm -rf#", "BP e7-e5;rm -rf"},
    };
    for (const Row& r : rows) {
        Connect(true);
        Drag("e2", "e4");
        ASSERT_TRUE(peer->WaitFor("Jogar:#WP e2-e4#"));
        peer->Send(r.sent);
        EXPECT_TRUE(peer->SeesClose()) << r.what;
        ExpectPeerGone(MsgLanceRecusado.arg("ZEZE", r.refused), r.what);
        EXPECT_EQ(TagAt("d2") + TagAt("d5") + TagAt("e4"), "WPWP") << r.what;
    }
}

TEST_F(NetworkGameTest, APeerThatLeavesOrFloodsEndsTheGame) {
    const QString left = MsgSaiuDoJogo.arg("ZEZE");
    struct Row {
        const char* what;
        std::function<void(ScriptedPeer&)> act;
        QString message;
    } rows[] = {
        {"close", [](ScriptedPeer& p) { p.Close(); }, left},
        {"reset", [](ScriptedPeer& p) { p.Reset(); }, left},
        {"flood", [](ScriptedPeer& p) { p.Send(QByteArray(MaxPending + 10, 'x')); },
         MsgDadosDemais.arg("ZEZE")},
    };
    for (const Row& r : rows) {
        Connect(false);
        r.act(*peer);
        ExpectPeerGone(r.message, r.what);
    }
}

TEST_F(NetworkGameTest, TheHostTakesOneJoinerAndReportsABusyPort) {
    Connect(true);
    const int second = RawConnect(NetPort());
    EXPECT_TRUE(second < 0 || RawSeesClose(second, 1000));
    if (second >= 0) ::close(second);
    EXPECT_TRUE(NetworkGame);
    session->CloseConnection();

    long port = 0;
    const int busy = RawListen(port);
    UsePort(port);
    told.clear();
    EXPECT_FALSE(session->StartNetwork());
    EXPECT_EQ(told, QStringList{MsgPortaOcupada});
    EXPECT_EQ(session->Socket(), nullptr);
    ::close(busy);
}

// Hosting announces the game until a joiner comes, and asks the router for
// the port until the connection ends (both switched off in tests: Disabled
// means asked). The check box's choice holds the next time.
TEST_F(NetworkGameTest, HostingAnnouncesAndMapsUntilItEnds) {
    using Outcome = PortMapper::Outcome;
    using Announced = GamePublisher::State;
    QTemporaryDir folder;
    SetProgramFolder(folder.path() + "/");
    UsePort(FreePort());
    session->connectDialogShown = [&](frmConectar& dialog) {
        EXPECT_TRUE(dialog.chkRoteador.isChecked()) << "on by default";
        EXPECT_EQ(session->Mapper().outcome(), Outcome::Disabled);
        EXPECT_EQ(session->Publisher().state(), Announced::Disabled);
        QTimer::singleShot(0, &dialog, [&dialog] {
            QTest::mouseClick(&dialog.chkRoteador, Qt::LeftButton);
            dialog.Cancelar();
        });
    };
    EXPECT_FALSE(session->HostOrJoin(true, "ANA", window.get()));
    EXPECT_EQ(session->Mapper().outcome(), Outcome::Idle);
    EXPECT_EQ(session->Publisher().state(), Announced::Stopped);

    session->connectDialogShown = [&](frmConectar& dialog) {
        EXPECT_FALSE(dialog.chkRoteador.isChecked()) << "remembered";
        EXPECT_EQ(session->Mapper().outcome(), Outcome::Idle);
        QTimer::singleShot(0, &dialog, [&dialog, this] {
            QTest::mouseClick(&dialog.chkRoteador, Qt::LeftButton);
            peer = ScriptedPeer::Connecting(NetPort());
        });
    };
    EXPECT_TRUE(session->HostOrJoin(true, "ANA", window.get()));
    EXPECT_EQ(session->Publisher().state(), Announced::Stopped) << "the game started";
    EXPECT_EQ(session->Mapper().outcome(), Outcome::Disabled) << "kept while connected";
    session->CloseConnection();
    EXPECT_EQ(session->Mapper().outcome(), Outcome::Idle);
    SetProgramFolder(QString());
}

TEST_F(NetworkGameTest, AJoinThatFindsNobodyListeningTellsThePlayer) {
    const RefusingPort nobody;
    UsePort(nobody.Port());
    QStringList dialogTold;
    session->connectDialogShown = [&](frmConectar& dialog) {
        dialog.tellUser = [&](const QString& text) {
            dialogTold << text;
            dialog.Cancelar();
        };
        dialog.txtServ.setText("127.0.0.1");
        QTimer::singleShot(0, &dialog, &frmConectar::Conectar);
    };
    EXPECT_FALSE(session->HostOrJoin(false, "ANA", window.get()));
    ASSERT_EQ(dialogTold.size(), 1);
    EXPECT_TRUE(dialogTold[0].startsWith(MsgConexaoFalhou.section('\n', 0, 0)));
    EXPECT_TRUE(dialogTold[0].contains("10061")) << dialogTold[0].toStdString();
    EXPECT_FALSE(NetworkGame);
}

} // namespace
